// The transaction engine. Every request is a TMiravoTransaction with an id, a
// success flag and a completion; TMiravoActiveTransactions registers it by id,
// hands its line to the communication thread and, on the receive thread, lets
// it parse its reply and releases its waiter. A waiter is released by the
// reply, by link loss, by the user's cancel, or by the time limit of a thread
// that set one (the logon does).
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "core/sync/BlockingWait.h"
#include "core/sync/TQueue.h"
#include "core/wire/ProtocolContext.h"
#include "core/wire/RequestCatalogue.h"
#include "core/sync/TEvent.h"
#include "core/sync/TSyncronizer.h"

namespace pellar {

class TMiravoActiveTransactions;

// The longest reply line read into memory; a longer one fails its request.
inline constexpr size_t kLongestReplyLine = size_t{32} << 20;

// Marks the requests made on this thread while it lives as background work
// (prefetch the user is not waiting for). The table counts the others, so
// that background work can hold back while the user waits for a reply.
class BackgroundScope {
public:
    BackgroundScope();
    ~BackgroundScope();
    BackgroundScope(const BackgroundScope&) = delete;
    BackgroundScope& operator=(const BackgroundScope&) = delete;
    static bool Active();

private:
    bool previous_;
};

// "!" and the error table's text for the code at the start of errorText;
// nothing for a code without a row.
void ShowProtocolError(std::string_view errorText, UserMessageSink& messages);

class TMiravoTransaction {
public:
    explicit TMiravoTransaction(ProtocolContext& context);
    virtual ~TMiravoTransaction() = default;
    TMiravoTransaction(const TMiravoTransaction&) = delete;
    TMiravoTransaction& operator=(const TMiravoTransaction&) = delete;

    // Builds and sends the request line.
    virtual void Transmit() = 0;
    // Reads the reply after "=" and the id. The base reads nothing.
    virtual void ParseReply() {}
    // Reads the error reply after "%" and the id; overrides call the base.
    virtual void ParseError();
    // What a user waiting for the reply is told it is.
    virtual std::string WaitLabel() const { return "a reply from the server"; }

    void SetQueue(TQueue& queue, TMiravoActiveTransactions& owner);

    int32_t Id() const { return id_; }
    bool Success() const { return success_; }
    const std::string& ErrorText() const { return errorText_; }
    // The reply came but could not be read: the request failed, and not
    // because the server refused it or the link was lost.
    bool Malformed() const { return malformed_; }
    // One line for the user on why a failed request failed.
    std::string FailureText() const;
    bool ShowErrors() const { return showErrors_; }
    // Made inside a BackgroundScope: nobody is waiting for it.
    bool Background() const { return background_; }
    void SetBackground(bool on) { background_ = on; }
    void SetShowErrors(bool on) { showErrors_ = on; }

    // Sends the request's line under this id and counts it for the
    // statistics window.
    void SendRequest(const WireRequest& request);

protected:
    TQueue& Queue() { return *queue_; }
    ProtocolContext& Context() { return context_; }
    // The rest of the current line; its LF is consumed.
    std::string ReadLine();

private:
    friend class TMiravoActiveTransactions;

    ProtocolContext& context_;
    TQueue* queue_ = nullptr;
    TMiravoActiveTransactions* owner_ = nullptr;
    const int32_t id_;
    bool success_ = false;
    std::string errorText_;
    bool malformed_ = false;
    bool showErrors_ = true;
    bool background_ = false;
};

// A built request whose reply the caller only checks for success (and may
// read from ReplyLine()). The label is for diagnostics.
class TGenericTrans : public TMiravoTransaction {
public:
    TGenericTrans(ProtocolContext& context, std::string label, const WireRequest& request);

    void Transmit() override;
    void ParseReply() override;
    std::string WaitLabel() const override { return label_; }

    const std::string& Label() const { return label_; }
    const std::string& RequestLine() const { return requestLine_; }
    const std::string& ReplyLine() const { return replyLine_; }

private:
    std::string label_;
    std::string requestLine_;
    std::string replyLine_;
};

class TMiravoActiveTransactions {
public:
    TMiravoActiveTransactions(TQueue& queue, TEvent& connectedEvent);
    TMiravoActiveTransactions(const TMiravoActiveTransactions&) = delete;
    TMiravoActiveTransactions& operator=(const TMiravoActiveTransactions&) = delete;
    ~TMiravoActiveTransactions();

    // Fire-and-forget: the table owns the request and frees it when it
    // completes. With a synchroniser (already acquired by the caller for this
    // request) the caller can wait for many such requests at once.
    void Execute(std::unique_ptr<TMiravoTransaction> request,
                 std::shared_ptr<TSyncronizer> sync = nullptr);
    // The caller keeps the request and waits on its synchroniser. Offline,
    // the synchroniser is released at once and the request reads as failed.
    void Execute(TMiravoTransaction& request, std::shared_ptr<TSyncronizer> sync);
    // Sends and waits for the reply or link loss; returns Success(). Offline
    // it returns false at once and sends nothing. The wait goes through the
    // installed BlockingWait, so a user who cancels it gets false as well.
    bool ExecuteAndWait(TMiravoTransaction& request);
    // Waits on a caller's synchroniser for the requests with these ids; a
    // cancel fails them all. False when cancelled.
    bool WaitFor(const std::shared_ptr<TSyncronizer>& sync, const std::vector<int32_t>& ids, std::string what);
    // Fails an outstanding request here and now (success false, empty error
    // text, waiter released). Its reply, should it come, is read and dropped
    // whole. False when the id is not outstanding (no longer, or never).
    bool Cancel(int32_t id);
    // Null: callers block plainly.
    void SetBlockingWait(BlockingWait* wait) { blockingWait_.store(wait); }

    // Every later wait on the calling thread gives up after limit: its
    // requests fail as if cancelled. Zero lifts the limit. One thread at a
    // time (the logon's), whose server may greet and then say nothing.
    void LimitWaits(std::chrono::milliseconds limit);
    // How the limited thread's waits ended since LimitWaits: one ran out of
    // time, one was cancelled by the user.
    bool LimitedWaitTimedOut() const;
    bool LimitedWaitCancelled() const;

    // On the receive thread after "=" (false) or "%" (true) was read.
    void HandleReply(bool isError);
    // Link loss: every outstanding request fails with an empty error text.
    void AbortAll();

    int ActiveCount() const;
    // Requests sent and not yet answered that are not background work: a
    // user waits for them.
    int ForegroundOutstanding() const { return foreground_.load(std::memory_order_relaxed); }
    // The most requests ever outstanding at once since the last reset.
    int PeakOutstanding() const { return peak_.load(std::memory_order_relaxed); }
    void ResetPeakOutstanding() { peak_.store(0, std::memory_order_relaxed); }
    // The shortest time from a request's send to its reply seen on this
    // link, in microseconds: the round trip, as far as it is known; -1
    // before the first reply.
    int64_t ShortestRoundTripUs() const { return shortestRoundTripUs_.load(std::memory_order_relaxed); }

private:
    struct Entry {
        // Null once cancelled: the reply is then skipped whole.
        TMiravoTransaction* request = nullptr;
        std::shared_ptr<TMiravoTransaction> owned;  // fire-and-forget requests
        std::shared_ptr<TSyncronizer> sync;
        bool foreground = false;  // counted in foreground_
        std::chrono::steady_clock::time_point registered;
    };

    void Register(Entry entry);
    void Complete(Entry& entry);
    WaitOutcome WaitThrough(const std::shared_ptr<TSyncronizer>& sync, std::string what,
                            std::function<void()> cancel);
    // Reads one reply up to its closing LF, strings taken whole.
    void SkipReply();
    // The limit on this thread's waits, zero for none; gaveUp: one of them
    // already ran out or was cancelled.
    std::chrono::milliseconds LimitFor(std::thread::id thread, bool& gaveUp) const;

    TQueue& queue_;
    TEvent& connected_;
    mutable std::mutex mutex_;  // guards table_ only
    std::map<int32_t, Entry> table_;
    int cancelledCount_ = 0;  // entries in table_ without a request
    std::atomic<int> foreground_{0};
    std::atomic<int> peak_{0};
    std::atomic<int64_t> shortestRoundTripUs_{-1};
    PlainBlockingWait plainWait_;
    std::atomic<BlockingWait*> blockingWait_{nullptr};

    struct WaitLimit {
        std::thread::id thread;
        std::chrono::milliseconds limit{0};
        bool timedOut = false;
        bool cancelled = false;
    };
    mutable std::mutex limitMutex_;  // guards limit_ only
    WaitLimit limit_;
};

} // namespace pellar
