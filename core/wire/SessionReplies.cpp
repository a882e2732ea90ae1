#include "core/wire/SessionReplies.h"

#include "core/wire/WireTokens.h"

namespace pellar {

ServerInfoRec ParseServerInfo(std::string_view line)
{
    ServerInfoRec rec;
    size_t pos = 0;
    rec.Version = ReadInt(line, pos);
    rec.ConfPresentationConf = ReadInt(line, pos);
    rec.PersonPresentationConf = ReadInt(line, pos);
    rec.MotdConf = ReadInt(line, pos);
    rec.JoinOnCreateConf = ReadInt(line, pos);
    rec.MotdText = ReadInt(line, pos);
    return rec;
}

ServerVersionInfoRec ParseServerVersionInfo(std::string_view line)
{
    ServerVersionInfoRec rec;
    size_t pos = 0;
    rec.ProtocolVersion = ReadInt(line, pos);
    rec.ServerName = ReadHollerith(line, pos);
    rec.ServerVersion = ReadHollerith(line, pos);
    return rec;
}

StaticSessionInfoRec ParseStaticSessionInfo(std::string_view line)
{
    StaticSessionInfoRec rec;
    size_t pos = 0;
    rec.account = ReadHollerith(line, pos);
    rec.host = ReadHollerith(line, pos);
    rec.ident = ReadHollerith(line, pos);
    rec.connectionTime = ReadTime(line, pos);
    return rec;
}

} // namespace pellar
