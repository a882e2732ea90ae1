// The away answer: who gets an automatic reply, at most one per sender a
// minute, and how typed message text is cleaned before it is sent.
#pragma once

#include "core/base/LocalePort.h"

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace pellar {

class AutoReplyThrottle {
public:
    static constexpr int64_t kIntervalMs = 60000;

    // True when the sender should get an automatic reply now; records it.
    bool ShouldReply(int32_t sender, int32_t recipient, int32_t currentPerson, bool replyToConferences,
                     int64_t nowMs);

private:
    std::map<int32_t, int64_t> lastReply_;
};

// Carriage returns removed, trailing line feeds removed.
std::string CleanOutgoingMessage(std::string_view text);

// The log entries of the messages window, with CR as the line break. when is
// the date and time already formatted; the entries' own words are those of
// words (the user's language, English by default).
std::string ReceivedMessageEntry(std::string_view when, std::string_view recipientName,
                                 std::string_view senderName, std::string_view message,
                                 const LocalePort& words = PlainLocalePort());
std::string SentMessageEntry(std::string_view when, std::string_view recipientName, std::string_view message,
                             const LocalePort& words = PlainLocalePort());

// The "Send count" field plus one; empty or non-numeric counts as 0.
std::string IncrementCount(std::string_view field);

} // namespace pellar
