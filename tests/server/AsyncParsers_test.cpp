// miravod's asynchronous message lines read back by the client's readers:
// each kind the client acts on, with fields that would show a swap, and
// message text that holds the bytes a careless reader trips on.
#include <gtest/gtest.h>

#include "core/wire/AsyncMessages.h"
#include "server/ReplyFormat.h"

namespace miravod::test {
namespace {

using pellar::AsyncNumber;

// What the receive thread hands on: the line without ":" and its LF.
std::string Received(AsyncNumber type, int fields, const std::string& values)
{
    const std::string wire = WireAsync(type, fields, values);
    EXPECT_EQ(wire.front(), ':');
    EXPECT_EQ(wire.back(), '\n');
    return wire.substr(1, wire.size() - 2);
}

TEST(AsyncParsers, ReadTheFieldsInTheOrderTheServerWritesThem)
{
    size_t pos = 0;
    std::string line = Received(AsyncNumber::NewName, 3, "12 " + WireString("Old") + " " + WireString("New name"));
    ASSERT_EQ(pellar::ReadAsyncNumber(line, pos), AsyncNumber::NewName);
    const pellar::NewNameMessage name = pellar::ParseNewName(line, pos);
    EXPECT_EQ(name.number, 12);
    EXPECT_EQ(name.oldName, "Old");
    EXPECT_EQ(name.newName, "New name");

    pos = 0;
    line = Received(AsyncNumber::IAmOn, 5, "6 21 3 " + WireString("reading") + " " + WireString("anna"));
    ASSERT_EQ(pellar::ReadAsyncNumber(line, pos), AsyncNumber::IAmOn);
    const pellar::PresenceReport presence = pellar::ParsePresence(line, pos);
    EXPECT_EQ(presence.person, 6);
    EXPECT_EQ(presence.workingConf, 21);
    EXPECT_EQ(presence.session, 3);
    EXPECT_EQ(presence.doing, "reading");
    EXPECT_EQ(presence.userName, "anna");

    for (AsyncNumber type : {AsyncNumber::Login, AsyncNumber::Logout}) {
        pos = 0;
        line = Received(type, 2, "6 3");
        ASSERT_EQ(pellar::ReadAsyncNumber(line, pos), type);
        const pellar::SessionMessage session = pellar::ParseSessionMessage(line, pos);
        EXPECT_EQ(session.person, 6);
        EXPECT_EQ(session.session, 3);
    }

    pos = 0;
    const std::string text = "two\nlines 5H and more";
    line = Received(AsyncNumber::SendMessage, 3, "0 6 " + WireString(text));
    ASSERT_EQ(pellar::ReadAsyncNumber(line, pos), AsyncNumber::SendMessage);
    const pellar::TextMessage message = pellar::ParseTextMessage(line, pos);
    EXPECT_EQ(message.recipient, 0);
    EXPECT_EQ(message.sender, 6);
    EXPECT_EQ(message.text, text);
}

TEST(AsyncParsers, AShortLineReadsAsZerosAndEmptyStrings)
{
    size_t pos = 0;
    const std::string line = "5 6 7";
    ASSERT_EQ(pellar::ReadAsyncNumber(line, pos), AsyncNumber::IAmOn);
    const pellar::PresenceReport presence = pellar::ParsePresence(line, pos);
    EXPECT_EQ(presence.person, 7);
    EXPECT_EQ(presence.workingConf, 0);
    EXPECT_EQ(presence.doing, "");
}

} // namespace
} // namespace miravod::test
