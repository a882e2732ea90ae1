// Readers for the server's asynchronous message lines (":" already taken
// off by the receive thread): the message number, then the fields of each
// kind the client acts on. Lenient like the wire-token readers: a missing
// field reads as 0 or empty. A new text's status is read by RecordParsers.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/wire/RequestCatalogue.h"

namespace pellar {

// Skips the parameter count and reads the message number; pos is left on
// the first field.
AsyncNumber ReadAsyncNumber(std::string_view line, size_t& pos);

struct NewNameMessage {
    int32_t number = 0;
    std::string oldName, newName;
};

struct PresenceReport {
    int32_t person = 0, workingConf = 0, session = 0;
    std::string doing, userName;
};

// A session logged on or off.
struct SessionMessage {
    int32_t person = 0, session = 0;
};

struct TextMessage {
    int32_t recipient = 0, sender = 0;  // recipient 0: everyone
    std::string text;
};

NewNameMessage ParseNewName(std::string_view line, size_t& pos);
PresenceReport ParsePresence(std::string_view line, size_t& pos);
SessionMessage ParseSessionMessage(std::string_view line, size_t& pos);
TextMessage ParseTextMessage(std::string_view line, size_t& pos);

} // namespace pellar
