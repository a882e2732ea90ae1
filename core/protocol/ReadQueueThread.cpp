#include "core/protocol/ReadQueueThread.h"

#include <cctype>
#include <cstdint>

#include "core/protocol/WireTokens.h"

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
                                   std::filesystem::path tracePath)
    : queue_(receiveQueue),
      transactions_(transactions),
      asyncMessages_(asyncMessages),
      connected_(connectedEvent),
      tracePath_(std::move(tracePath))
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
    line += queue_.ReadUntil("\n");
    queue_.ReadChar();
    for (char& ch : line)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    if (line == "MIRAVO")
        connected_.SetEv();
}

void TReadQueueThread::HandleAsyncMessage()
{
    std::string line = queue_.ReadUntil("\n");
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
            const int64_t partRead = static_cast<int64_t>(rest.size() - h - 1);
            const int64_t missing = count - partRead - 1;
            if (missing > 0) {
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
