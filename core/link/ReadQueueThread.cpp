#include "core/link/ReadQueueThread.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdint>

#include "core/wire/WireTokens.h"

namespace pellar {

namespace {

constexpr int32_t kPersonalMessage = 12;

// The byte count before the first "H" of text (blanks skipped), saturated so
// that a hostile count cannot overflow.
int64_t HollerithCount(std::string_view text, size_t hPos)
{
    int64_t n = 0;
    for (size_t i = 0; i < hPos; ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9')
            n = std::min<int64_t>(n * 10 + (c - '0'), INT32_MAX);
        else if (c != ' ')
            break;
    }
    return n;
}

} // namespace

TReadQueueThread::TReadQueueThread(TQueue& receiveQueue, TMiravoActiveTransactions& transactions,
                                   TAsyncList& asyncMessages, TEvent& connectedEvent,
                                   std::filesystem::path tracePath, LogFile* log, ReceiveLimits limits)
    : queue_(receiveQueue),
      transactions_(transactions),
      asyncMessages_(asyncMessages),
      connected_(connectedEvent),
      tracePath_(std::move(tracePath)),
      log_(log),
      limits_(limits)
{
}

TReadQueueThread::~TReadQueueThread()
{
    Stop();
}

void TReadQueueThread::Start()
{
    if (thread_.joinable())
        return;
    stop_ = false;
    thread_ = std::thread([this] { Run(); });
}

void TReadQueueThread::Stop()
{
    stop_ = true;
    // Gets a parser out of a blocking read and the loop out of its wait.
    queue_.Interrupt();
    queue_.Wake();
    if (thread_.joinable())
        thread_.join();
}

void TReadQueueThread::Run()
{
    if (!trace_ && !tracePath_.empty()) {
        // A trace that cannot be written is a diagnostic lost, skipped silently.
        trace_ = std::make_unique<LogFile>(tracePath_);
        if (!trace_->IsOpen())
            trace_.reset();
    }
    while (!stop_) {
        if (!queue_.WaitForData(800))
            continue;
        ProcessQueued();
    }
    connected_.ResetEv();
}

void TReadQueueThread::ProcessQueued()
{
    while (!stop_ && queue_.Count() > 0) {
        try {
            ProcessOne();
        } catch (...) {
            // A broken message is abandoned; its remaining bytes are read as
            // free lines and processing goes on.
        }
    }
}

void TReadQueueThread::Trace(std::string_view prefix, std::string_view line)
{
    if (!trace_)
        return;
    std::string entry;
    entry.reserve(prefix.size() + line.size() + 1);
    entry.append(prefix);
    entry.append(line);
    entry += '\n';
    trace_->Append(entry);
}

void TReadQueueThread::ProcessOne()
{
    const char c = queue_.ReadChar();
    Trace({}, std::string_view(&c, 1));
    switch (c) {
    case '%':
        transactions_.HandleReply(true);
        break;
    case '=':
        transactions_.HandleReply(false);
        break;
    case ':':
        HandleAsyncMessage();
        break;
    default:
        HandleFreeLine(c);
        break;
    }
}

void TReadQueueThread::HandleFreeLine(char first)
{
    if (first == '\n')
        return;
    std::string line(1, first);
    if (!queue_.ReadUntilAtMost(line, "\n", limits_.maxFreeLine))
        queue_.SkipUntil("\n"); // far too long to be a greeting
    queue_.ReadChar();
    for (char& ch : line)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    if (line == "MIRAVO")
        connected_.SetEv();
}

bool TReadQueueThread::AwaitBytes(size_t count)
{
    const auto start = std::chrono::steady_clock::now();
    const auto budget = std::chrono::milliseconds(limits_.completeMs);
    size_t have = queue_.Count();
    while (!stop_) {
        if (queue_.WaitForCount(count, limits_.stallMs))
            return true;
        const size_t now = queue_.Count();
        if (now == have || std::chrono::steady_clock::now() - start >= budget)
            return false;
        have = now;
    }
    return false;
}

void TReadQueueThread::Drop(std::string_view line, const std::string& why)
{
    ++dropped_;
    Trace(":", line.substr(0, 200));
    if (log_) {
        std::string note = "Dropped an asynchronous message: " + why + ": ";
        note.append(line.substr(0, 200));
        if (line.size() > 200)
            note += "...";
        log_->Log("ReadQueueThread", note);
    }
}

void TReadQueueThread::HandleAsyncMessage()
{
    std::string line;
    if (!queue_.ReadUntilAtMost(line, "\n", limits_.maxAsyncLine)) {
        const uint64_t rest = queue_.SkipUntil("\n");
        queue_.ReadChar();
        Drop(line, "its line of " + std::to_string(line.size() + rest) + " bytes is longer than the " +
                       std::to_string(limits_.maxAsyncLine) + " bytes accepted");
        return;
    }
    queue_.ReadChar();
    size_t pos = 0;
    ReadInt(line, pos); // field count, not needed
    const int32_t type = ReadInt(line, pos);
    if (type == kPersonalMessage) {
        // The message text is a Hollerith string that may hold line feeds:
        // complete it from its byte count, reading only bytes that arrive.
        ReadInt(line, pos);
        ReadInt(line, pos);
        const std::string_view rest = std::string_view(line).substr(pos);
        const size_t h = rest.find('H');
        if (h != std::string_view::npos) {
            const int64_t count = HollerithCount(rest, h);
            if (count > static_cast<int64_t>(limits_.maxMessageBytes)) {
                // Not waited for: the bytes after this line are read as the
                // messages they most likely are.
                Drop(line, "it announces " + std::to_string(count) + " bytes of text, more than the " +
                               std::to_string(limits_.maxMessageBytes) + " a server sends");
                return;
            }
            const int64_t partRead = static_cast<int64_t>(rest.size() - h - 1);
            const int64_t missing = count - partRead - 1;
            if (missing > 0) {
                if (!AwaitBytes(static_cast<size_t>(missing))) {
                    // What did arrive stays queued and is read as messages,
                    // so no reply behind the stalled text is swallowed.
                    Drop(line, "only " + std::to_string(queue_.Count()) + " of the " + std::to_string(missing) +
                                   " further bytes it announces arrived");
                    return;
                }
                std::string more;
                queue_.ReadExact(more, static_cast<size_t>(missing));
                line += '\n';
                line += more;
                if (queue_.PeekChar() == '\n')
                    queue_.ReadChar();
            }
        }
    }
    asyncMessages_.Add(line);
    Trace(":", line);
}

} // namespace pellar
