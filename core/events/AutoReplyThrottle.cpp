#include "core/events/AutoReplyThrottle.h"

#include <charconv>

namespace pellar {

bool AutoReplyThrottle::ShouldReply(int32_t sender, int32_t recipient, int32_t currentPerson,
                                    bool replyToConferences, int64_t nowMs)
{
    if (sender == currentPerson || sender == 0)
        return false;
    const auto it = lastReply_.find(sender);
    if (it != lastReply_.end() && nowMs - it->second < kIntervalMs)
        return false;
    if (!replyToConferences && recipient != currentPerson)
        return false;
    lastReply_[sender] = nowMs;
    return true;
}

std::string CleanOutgoingMessage(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c != '\r')
            out += c;
    }
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

std::string ReceivedMessageEntry(std::string_view when, std::string_view recipientName,
                                 std::string_view senderName, std::string_view message, const LocalePort& words)
{
    std::string e(94, '=');
    e += "\r" + words.Label("Message at") + " ";
    e += when;
    e += " " + words.Label("to") + " ";
    e += recipientName;
    e += "\r" + words.Label("from") + " ";
    e += senderName;
    e += ":\r\r";
    e += message;
    e += "\r";
    std::string out;
    for (char c : e) {
        if (c != '\n')
            out += c;
    }
    return out;
}

std::string SentMessageEntry(std::string_view when, std::string_view recipientName, std::string_view message,
                             const LocalePort& words)
{
    std::string e(94, '-');
    e += "\r" + words.Label("Sent message at") + " ";
    e += when;
    e += " " + words.Label("to") + " ";
    e += recipientName;
    e += "\r";
    // The sent text keeps its line feeds as line breaks.
    for (char c : message)
        e += c == '\n' ? '\r' : c;
    e += "\r";
    return e;
}

std::string IncrementCount(std::string_view field)
{
    long long n = 0;
    const auto [end, ec] = std::from_chars(field.data(), field.data() + field.size(), n);
    if (ec != std::errc() || end != field.data() + field.size() || n < 0)
        n = 0;
    return std::to_string(n + 1);
}

} // namespace pellar
