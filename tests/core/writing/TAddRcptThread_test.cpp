#include "core/writing/TAddRcptThread.h"

#include <gtest/gtest.h>

#include "core/wire/TMiravoConference.h"

namespace pellar {
namespace {

std::shared_ptr<TMiravoConference> Conf(std::string type, int32_t superConf)
{
    ConfStatFields f;
    f.confNo = 20;
    f.type = std::move(type);
    f.superConf = superConf;
    auto conf = std::make_shared<TMiravoConference>(20, nullptr);
    conf->StoreFullStatus(f);
    return conf;
}

TEST(TAddRcptThreadSubstitute, CommentsGoToTheSuperConferenceOnlyWhenTheFlagSaysSo)
{
    auto forwarding = Conf("01000000", 30);
    EXPECT_EQ(TAddRcptThread::Substitute(20, *forwarding, true), 30);
    EXPECT_EQ(TAddRcptThread::Substitute(20, *forwarding, false), 20);  // a new text stays
    auto plain = Conf("10100000", 30);
    EXPECT_EQ(TAddRcptThread::Substitute(20, *plain, true), 20);
}

TEST(TAddRcptThreadSubstitute, NoSuperConferenceOrNoTypeKeepsTheNumber)
{
    auto orphan = Conf("01000000", 0);
    EXPECT_EQ(TAddRcptThread::Substitute(20, *orphan, true), 20);
    auto empty = Conf("", 30);
    EXPECT_EQ(TAddRcptThread::Substitute(20, *empty, true), 20);
    auto shortType = Conf("0", 30);
    EXPECT_EQ(TAddRcptThread::Substitute(20, *shortType, true), 20);
}

} // namespace
} // namespace pellar
