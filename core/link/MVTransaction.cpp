#include "core/link/MVTransaction.h"

#include <algorithm>
#include <cstdint>

#include "core/wire/MiravoErrors.h"
#include "core/wire/WireTokens.h"

namespace pellar {

void ShowProtocolError(std::string_view errorText, UserMessageSink& messages)
{
    size_t pos = 0;
    const int32_t code = ReadInt(errorText, pos);
    if (const char* text = MiravoErrorText(code))
        messages.PostUserMessage(std::string("!") + text);
}

namespace {
thread_local bool inBackground = false;
}

BackgroundScope::BackgroundScope() : previous_(inBackground)
{
    inBackground = true;
}

BackgroundScope::~BackgroundScope()
{
    inBackground = previous_;
}

bool BackgroundScope::Active()
{
    return inBackground;
}

TMiravoTransaction::TMiravoTransaction(ProtocolContext& context)
    : context_(context), id_(context.NextRequestId()), background_(inBackground)
{
}

void TMiravoTransaction::SetQueue(TQueue& queue, TMiravoActiveTransactions& owner)
{
    queue_ = &queue;
    owner_ = &owner;
}

std::string TMiravoTransaction::ReadLine()
{
    std::string line;
    if (!Queue().ReadUntilAtMost(line, "\n", kLongestReplyLine)) {
        // Longer than any reply a server gives: not kept, and the request fails.
        Queue().SkipUntil("\n");
        Queue().ReadChar();
        throw MiravoException("a reply line longer than " + std::to_string(kLongestReplyLine) + " bytes");
    }
    Queue().ReadChar();
    return line;
}

std::string TMiravoTransaction::FailureText() const
{
    if (malformed_)
        return "The server's reply could not be read";
    if (errorText_.empty())
        return "No reply from the server";
    size_t pos = 0;
    const char* text = MiravoErrorText(ReadInt(errorText_, pos));
    return text ? text : "The server refused the request";
}

void TMiravoTransaction::ParseError()
{
    errorText_ = ReadLine();
    if (showErrors_)
        ShowProtocolError(errorText_, context_.UserMessages());
}

void TMiravoTransaction::SendRequest(const WireRequest& request)
{
    context_.Send(request.Line(id_));
    ++context_.Counters().requestsSent;
}

TGenericTrans::TGenericTrans(ProtocolContext& context, std::string label, const WireRequest& request)
    : TMiravoTransaction(context), label_(std::move(label)), requestLine_(request.Line(Id()))
{
}

void TGenericTrans::Transmit()
{
    // Generic requests are not counted as transactions.
    Context().Send(requestLine_);
}

void TGenericTrans::ParseReply()
{
    replyLine_ = ReadLine();
}

TMiravoActiveTransactions::TMiravoActiveTransactions(TQueue& queue, TEvent& connectedEvent)
    : queue_(queue), connected_(connectedEvent)
{
}

TMiravoActiveTransactions::~TMiravoActiveTransactions()
{
    AbortAll();
}

void TMiravoActiveTransactions::Complete(Entry& entry)
{
    if (entry.foreground) {
        entry.foreground = false;
        foreground_.fetch_sub(1, std::memory_order_relaxed);
    }
    if (entry.sync)
        entry.sync->Release();
}

void TMiravoActiveTransactions::Register(Entry entry)
{
    TMiravoTransaction& request = *entry.request;
    request.success_ = false;
    if (!connected_.IsSet()) {
        Complete(entry);
        return;
    }
    request.SetQueue(queue_, *this);
    const int32_t id = request.Id();
    // Keeps a fire-and-forget request alive while it transmits, even if its
    // reply is handled (and the table's reference dropped) meanwhile.
    const std::shared_ptr<TMiravoTransaction> keep = entry.owned;
    entry.registered = std::chrono::steady_clock::now();
    if (!request.background_) {
        entry.foreground = true;
        foreground_.fetch_add(1, std::memory_order_relaxed);
    }
    {
        std::lock_guard lock(mutex_);
        table_.emplace(id, std::move(entry));
        const int outstanding = static_cast<int>(table_.size()) - cancelledCount_;
        if (outstanding > peak_.load(std::memory_order_relaxed))
            peak_.store(outstanding, std::memory_order_relaxed);
    }
    // The link may have been lost between the check and the insertion, after
    // AbortAll ran: then nobody else would complete this request.
    if (!connected_.IsSet()) {
        Entry orphan;
        bool found = false;
        {
            std::lock_guard lock(mutex_);
            auto it = table_.find(id);
            if (it != table_.end()) {
                orphan = std::move(it->second);
                table_.erase(it);
                found = true;
            }
        }
        if (found)
            Complete(orphan);
        return;
    }
    request.Transmit();
}

void TMiravoActiveTransactions::Execute(std::unique_ptr<TMiravoTransaction> request,
                                        std::shared_ptr<TSyncronizer> sync)
{
    if (!request)
        return;
    Entry entry;
    entry.request = request.get();
    entry.owned = std::shared_ptr<TMiravoTransaction>(std::move(request));
    entry.sync = std::move(sync);
    Register(std::move(entry));
}

void TMiravoActiveTransactions::Execute(TMiravoTransaction& request, std::shared_ptr<TSyncronizer> sync)
{
    Entry entry;
    entry.request = &request;
    entry.sync = std::move(sync);
    Register(std::move(entry));
}

bool TMiravoActiveTransactions::ExecuteAndWait(TMiravoTransaction& request)
{
    if (!connected_.IsSet()) {
        request.success_ = false;
        return false;
    }
    auto sync = std::make_shared<TSyncronizer>();
    sync->Acquire();
    Execute(request, sync);
    const int32_t id = request.Id();
    WaitThrough(sync, request.WaitLabel(), [this, id] { Cancel(id); });
    return request.Success();
}

bool TMiravoActiveTransactions::WaitFor(const std::shared_ptr<TSyncronizer>& sync, const std::vector<int32_t>& ids,
                                        std::string what)
{
    return WaitThrough(sync, std::move(what), [this, &ids] {
               for (const int32_t id : ids)
                   Cancel(id);
           }) == WaitOutcome::Done;
}

WaitOutcome TMiravoActiveTransactions::WaitThrough(const std::shared_ptr<TSyncronizer>& sync, std::string what,
                                                   std::function<void()> cancel)
{
    BlockingWait* wait = blockingWait_.load();
    if (!wait)
        wait = &plainWait_;
    WaitPlan plan;
    plan.what = "Waiting for " + what + "...";
    plan.waitFor = [&sync](int timeoutMs) { return sync->WaitFor(timeoutMs) == WaitResult::Signaled; };
    plan.cancel = std::move(cancel);
    bool gaveUp = false;
    const std::chrono::milliseconds limit = LimitFor(std::this_thread::get_id(), gaveUp);
    // Set by whichever thread runs waitFor, read here once the wait is over.
    std::atomic<bool> outOfTime{false};
    if (limit.count() > 0) {
        using Clock = std::chrono::steady_clock;
        // Once one wait was given up the rest are too: the work that needs
        // them is failing already, and each would take the limit again.
        const auto deadline = gaveUp ? Clock::now() : Clock::now() + limit;
        plan.waitFor = [&sync, &outOfTime, deadline](int timeoutMs) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
            int slice = static_cast<int>(std::max<decltype(left)>(0, left));
            if (timeoutMs >= 0)
                slice = std::min(slice, timeoutMs);
            if (sync->WaitFor(slice) == WaitResult::Signaled)
                return true;
            if (Clock::now() < deadline)
                return false;
            outOfTime = true;
            return true;
        };
    }
    const WaitOutcome outcome = wait->Wait(plan);
    // A reply that came in the same instant still counts.
    const bool timedOut = outOfTime && outcome == WaitOutcome::Done && sync->WaitFor(0) != WaitResult::Signaled;
    if (timedOut)
        plan.cancel();
    // A reply already being parsed when the user cancelled still owns the
    // request until its parser is done; the caller may free it only then.
    sync->WaitFor(kInfinite);
    if (limit.count() > 0 && !gaveUp && (timedOut || outcome == WaitOutcome::Cancelled)) {
        std::lock_guard lock(limitMutex_);
        (timedOut ? limit_.timedOut : limit_.cancelled) = true;
    }
    return outcome;
}

void TMiravoActiveTransactions::LimitWaits(std::chrono::milliseconds limit)
{
    std::lock_guard lock(limitMutex_);
    limit_ = WaitLimit{};
    if (limit.count() > 0) {
        limit_.thread = std::this_thread::get_id();
        limit_.limit = limit;
    }
}

std::chrono::milliseconds TMiravoActiveTransactions::LimitFor(std::thread::id thread, bool& gaveUp) const
{
    std::lock_guard lock(limitMutex_);
    if (limit_.thread != thread)
        return std::chrono::milliseconds{0};
    gaveUp = limit_.timedOut || limit_.cancelled;
    return limit_.limit;
}

bool TMiravoActiveTransactions::LimitedWaitTimedOut() const
{
    std::lock_guard lock(limitMutex_);
    return limit_.timedOut;
}

bool TMiravoActiveTransactions::LimitedWaitCancelled() const
{
    std::lock_guard lock(limitMutex_);
    return limit_.cancelled;
}

bool TMiravoActiveTransactions::Cancel(int32_t id)
{
    Entry entry;
    {
        std::lock_guard lock(mutex_);
        auto it = table_.find(id);
        if (it == table_.end() || !it->second.request)
            return false;
        entry = std::move(it->second);
        // The id stays, without its request, so that a late reply is read
        // whole instead of its body being taken for further messages.
        it->second = Entry{};
        ++cancelledCount_;
    }
    entry.request->success_ = false;
    entry.request->errorText_.clear();
    Complete(entry);
    return true;
}

void TMiravoActiveTransactions::SkipReply()
{
    std::string scratch;
    bool tokenStart = true;
    for (;;) {
        char c = queue_.ReadChar();
        if (c == '\n')
            return;
        const bool startsToken = tokenStart;
        tokenStart = c == ' ';
        if (!startsToken || c < '0' || c > '9')
            continue;
        // A token that opens with digits may be a string: its length, "H",
        // then exactly that many bytes, line feeds included.
        uint64_t length = static_cast<uint64_t>(c - '0');
        for (c = queue_.PeekChar(); c >= '0' && c <= '9'; c = queue_.PeekChar()) {
            queue_.ReadChar();
            length = std::min<uint64_t>(length * 10 + static_cast<uint64_t>(c - '0'), UINT32_MAX);
        }
        // A length no server text can have is not waited for: the line goes
        // on being skipped up to its LF.
        if (c != 'H' || length > kLongestServerText)
            continue;
        queue_.ReadChar();
        while (length > 0) {
            const size_t chunk = static_cast<size_t>(std::min<uint64_t>(length, 4096));
            scratch.clear();
            queue_.ReadExact(scratch, chunk);
            length -= chunk;
        }
    }
}

void TMiravoActiveTransactions::HandleReply(bool isError)
{
    // An id is a few digits; anything longer is no id of ours.
    std::string idText;
    if (!queue_.ReadUntilAtMost(idText, " \n", 16))
        idText = "-";
    int64_t id = 0;
    for (size_t i = 0; i < idText.size() && idText[i] >= '0' && idText[i] <= '9'; ++i) {
        id = id * 10 + (idText[i] - '0');
        if (id > INT32_MAX) {
            id = -1; // no request ever has such an id
            break;
        }
    }

    // Taken out of the table before parsing, so that a link loss during the
    // parse cannot release the waiter while the parser still uses the request.
    Entry entry;
    bool found = false;
    {
        std::lock_guard lock(mutex_);
        auto it = table_.find(static_cast<int32_t>(id));
        if (it != table_.end()) {
            entry = std::move(it->second);
            table_.erase(it);
            found = true;
            if (!entry.request)
                --cancelledCount_;
        }
    }
    if (found) {
        const int64_t us = std::chrono::duration_cast<std::chrono::microseconds>(
                               std::chrono::steady_clock::now() - entry.registered)
                               .count();
        const int64_t shortest = shortestRoundTripUs_.load(std::memory_order_relaxed);
        if (shortest < 0 || us < shortest)
            shortestRoundTripUs_.store(us, std::memory_order_relaxed);
    }
    if (found && !entry.request) {
        SkipReply();
        return;
    }
    if (!found) {
        // Unknown or aborted id: skip the first line only, keeping none of it.
        queue_.SkipUntil("\n");
        queue_.ReadChar();
        return;
    }
    TMiravoTransaction& request = *entry.request;
    request.success_ = !isError;
    request.malformed_ = false;
    try {
        if (isError)
            request.ParseError();
        else
            request.ParseReply();
    } catch (const TWaitforInterruptedException&) {
        // The link went while the reply was read: the waiter must still be
        // released.
        request.success_ = false;
        Complete(entry);
        throw;
    } catch (...) {
        // Said at once, like a refusal: whoever waits sees a failure, and the
        // user why, never an empty answer.
        request.success_ = false;
        request.malformed_ = true;
        if (request.showErrors_)
            request.context_.UserMessages().PostUserMessage("!" + request.FailureText());
        Complete(entry);
        throw;
    }
    Complete(entry);
}

void TMiravoActiveTransactions::AbortAll()
{
    std::map<int32_t, Entry> aborted;
    {
        std::lock_guard lock(mutex_);
        aborted.swap(table_);
        cancelledCount_ = 0;
    }
    for (auto& [id, entry] : aborted) {
        if (!entry.request)
            continue;
        entry.request->success_ = false;
        entry.request->errorText_.clear();
        Complete(entry);
    }
}

int TMiravoActiveTransactions::ActiveCount() const
{
    std::lock_guard lock(mutex_);
    return static_cast<int>(table_.size()) - cancelledCount_;
}

} // namespace pellar
