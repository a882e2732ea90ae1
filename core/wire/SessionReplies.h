// The replies about the server and its sessions, read into records: server
// information, version information and a session's static information.
// Each parser reads one reply line as leniently as the wire-token readers:
// what is missing reads as 0 or empty.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "core/wire/DateTime.h"

namespace pellar {

// The server's information block, filled at logon.
struct ServerInfoRec {
    int32_t Version = 0;
    int32_t ConfPresentationConf = 0;
    int32_t PersonPresentationConf = 0;
    int32_t MotdConf = 0;
    int32_t JoinOnCreateConf = 0;
    int32_t MotdText = 0;
};

struct ServerVersionInfoRec {
    int32_t ProtocolVersion = 0;  // below 10: the older request forms
    std::string ServerName;
    std::string ServerVersion;
};

struct StaticSessionInfoRec {
    std::string account, host, ident;
    TDateTime connectionTime = 0;
};

ServerInfoRec ParseServerInfo(std::string_view line);
ServerVersionInfoRec ParseServerVersionInfo(std::string_view line);
StaticSessionInfoRec ParseStaticSessionInfo(std::string_view line);

} // namespace pellar
