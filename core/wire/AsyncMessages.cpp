#include "core/wire/AsyncMessages.h"

#include "core/wire/WireTokens.h"

namespace pellar {

AsyncNumber ReadAsyncNumber(std::string_view line, size_t& pos)
{
    ReadInt(line, pos);  // the number of parameters
    return static_cast<AsyncNumber>(ReadInt(line, pos));
}

NewNameMessage ParseNewName(std::string_view line, size_t& pos)
{
    NewNameMessage m;
    m.number = ReadInt(line, pos);
    m.oldName = ReadHollerith(line, pos);
    m.newName = ReadHollerith(line, pos);
    return m;
}

PresenceReport ParsePresence(std::string_view line, size_t& pos)
{
    PresenceReport r;
    r.person = ReadInt(line, pos);
    r.workingConf = ReadInt(line, pos);
    r.session = ReadInt(line, pos);
    r.doing = ReadHollerith(line, pos);
    r.userName = ReadHollerith(line, pos);
    return r;
}

SessionMessage ParseSessionMessage(std::string_view line, size_t& pos)
{
    SessionMessage m;
    m.person = ReadInt(line, pos);
    m.session = ReadInt(line, pos);
    return m;
}

TextMessage ParseTextMessage(std::string_view line, size_t& pos)
{
    TextMessage m;
    m.recipient = ReadInt(line, pos);
    m.sender = ReadInt(line, pos);
    m.text = ReadHollerith(line, pos);
    return m;
}

} // namespace pellar
