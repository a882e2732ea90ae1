#include "core/protocol/MVTransaction.h"

#include <cstdint>

#include "core/protocol/MiravoTables.h"
#include "core/protocol/WireTokens.h"

namespace pellar {

void ShowProtocolError(std::string_view errorText, UserMessageSink& messages)
{
    size_t pos = 0;
    const int32_t code = ReadInt(errorText, pos);
    if (const char* text = MiravoErrorText(code))
        messages.PostUserMessage(std::string("!") + text);
}

TMiravoTransaction::TMiravoTransaction(ProtocolContext& context)
    : context_(context), id_(context.NextRequestId())
{
}

void TMiravoTransaction::SetQueue(TQueue& queue, TMiravoActiveTransactions& owner)
{
    queue_ = &queue;
    owner_ = &owner;
}

std::string TMiravoTransaction::ReadLine()
{
    std::string line = Queue().ReadUntil("\n");
    Queue().ReadChar();
    return line;
}

void TMiravoTransaction::ParseError()
{
    errorText_ = ReadLine();
    if (showErrors_)
        ShowProtocolError(errorText_, context_.UserMessages());
}

std::string TMiravoTransaction::BuildRequest(std::initializer_list<RequestArg> args) const
{
    std::string line = std::to_string(id_);
    for (const auto& arg : args) {
        line += ' ';
        line += arg.Text();
    }
    line += '\n';
    return line;
}

void TMiravoTransaction::SendRequest(std::initializer_list<RequestArg> args)
{
    context_.Send(BuildRequest(args));
    ++context_.Counters().requestsSent;
}

TGenericTrans::TGenericTrans(ProtocolContext& context, std::string label, std::initializer_list<RequestArg> args)
    : TMiravoTransaction(context), label_(std::move(label)), requestLine_(BuildRequest(args))
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
    {
        std::lock_guard lock(mutex_);
        table_.emplace(id, std::move(entry));
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
    sync->WaitFor(kInfinite);
    return request.Success();
}

void TMiravoActiveTransactions::HandleReply(bool isError)
{
    const std::string idText = queue_.ReadUntil(" \n");
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
        }
    }
    if (!found) {
        // Unknown or aborted id: skip the first line only.
        queue_.ReadUntil("\n");
        queue_.ReadChar();
        return;
    }
    TMiravoTransaction& request = *entry.request;
    request.success_ = !isError;
    try {
        if (isError)
            request.ParseError();
        else
            request.ParseReply();
    } catch (...) {
        // A malformed or interrupted reply fails the request; the waiter
        // must still be released.
        request.success_ = false;
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
    }
    for (auto& [id, entry] : aborted) {
        entry.request->success_ = false;
        entry.request->errorText_.clear();
        Complete(entry);
    }
}

int TMiravoActiveTransactions::ActiveCount() const
{
    std::lock_guard lock(mutex_);
    return static_cast<int>(table_.size());
}

} // namespace pellar
