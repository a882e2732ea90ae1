#include "core/events/AlertRules.h"

#include <memory>

#include <gtest/gtest.h>

#include "core/config/MemoryRegistryBackend.h"
#include "core/config/TMiravoConfiguration.h"

namespace pellar {
namespace {

constexpr int32_t kMe = 6;

TEST(AlertRules, MessageAlertsFollowTheSixSettings)
{
    AlertSettings none;
    const AlertDecision quiet = DecideMessageAlert(none, kMe, kMe);
    EXPECT_FALSE(quiet.beep);
    EXPECT_EQ(quiet.trayState, TrayAlert::None);
    EXPECT_FALSE(quiet.bringToFront);

    AlertSettings personal;
    personal.soundPersMsg = personal.trayPersMsg = personal.focusPersMsg = true;
    const AlertDecision toMe = DecideMessageAlert(personal, kMe, kMe);
    EXPECT_TRUE(toMe.beep);
    EXPECT_EQ(toMe.trayState, TrayAlert::Message);
    EXPECT_TRUE(toMe.bringToFront);
    // To everyone, or to a conference, is not personal.
    for (int32_t recipient : {0, 12}) {
        const AlertDecision d = DecideMessageAlert(personal, recipient, kMe);
        EXPECT_FALSE(d.beep) << recipient;
        EXPECT_EQ(d.trayState, TrayAlert::None) << recipient;
        EXPECT_FALSE(d.bringToFront) << recipient;
    }

    AlertSettings all;
    all.soundAllMsg = all.trayAllMsg = all.focusAllMsg = true;
    const AlertDecision toAll = DecideMessageAlert(all, 0, kMe);
    EXPECT_TRUE(toAll.beep);
    EXPECT_EQ(toAll.trayState, TrayAlert::Message);
    EXPECT_TRUE(toAll.bringToFront);
}

TEST(AlertRules, TextAlertsCompareLevelWithPriorityStrictly)
{
    AlertSettings s;
    s.trayPriText = s.soundPriText = true;
    s.trayPriTextLvl = 100;
    s.soundPriTextLvl = 255;
    EXPECT_EQ(DecideTextAlert(s, {100}, 7, kMe).trayState, TrayAlert::None);
    EXPECT_EQ(DecideTextAlert(s, {50, 101}, 7, kMe).trayState, TrayAlert::ImportantText);
    EXPECT_FALSE(DecideTextAlert(s, {255}, 7, kMe).beep);  // 255 never alerts

    s.soundPriTextLvl = 0;
    EXPECT_TRUE(DecideTextAlert(s, {1}, 7, kMe).beep);
    EXPECT_FALSE(DecideTextAlert(s, {0}, 7, kMe).beep);
    EXPECT_FALSE(DecideTextAlert(s, {}, 7, kMe).beep);

    // One's own text never alerts; a noted alert needs its switch.
    EXPECT_EQ(DecideTextAlert(s, {200}, kMe, kMe).trayState, TrayAlert::None);
    EXPECT_FALSE(DecideTextAlert(s, {200}, kMe, kMe).beep);
    s.trayPriText = false;
    EXPECT_EQ(DecideTextAlert(s, {200}, 7, kMe).trayState, TrayAlert::None);
}

TEST(AlertRules, FreshProfileNotifiesPersonalMessagesOnlyAndBadLevelsReadAsZero)
{
    TMiravoConfiguration config(std::make_shared<MemoryRegistryBackend>(), "tester");
    AlertSettings d = AlertSettings::Read(config);
    // A message to the user raises the tray alert; one to everyone, or a
    // new text, raises nothing; nothing beeps or pulls the window forward.
    const AlertDecision personal = DecideMessageAlert(d, kMe, kMe);
    EXPECT_EQ(personal.trayState, TrayAlert::Message);
    EXPECT_FALSE(personal.beep);
    EXPECT_FALSE(personal.bringToFront);
    const AlertDecision broadcast = DecideMessageAlert(d, 0, kMe);
    EXPECT_EQ(broadcast.trayState, TrayAlert::None);
    EXPECT_FALSE(broadcast.beep);
    EXPECT_FALSE(broadcast.bringToFront);
    EXPECT_EQ(DecideTextAlert(d, {255}, 7, kMe).trayState, TrayAlert::None);
    EXPECT_FALSE(DecideTextAlert(d, {255}, 7, kMe).beep);
    EXPECT_EQ(d.trayPriTextLvl, 150);
    EXPECT_EQ(d.soundPriTextLvl, 240);

    config.WriteFlag("TrayPersMsg", false);
    config.WriteString("TrayPriTextLvl", "abc");
    config.WriteString("SoundPriTextLvl", "200");
    d = AlertSettings::Read(config);
    EXPECT_FALSE(d.trayPersMsg);
    EXPECT_EQ(DecideMessageAlert(d, kMe, kMe).trayState, TrayAlert::None);
    EXPECT_EQ(d.trayPriTextLvl, 0);
    EXPECT_EQ(d.soundPriTextLvl, 200);
    EXPECT_EQ(ParseAlertLevel("12x"), 0);
    // Empty is unset: the default, not 0.
    config.WriteString("SoundPriTextLvl", "");
    EXPECT_EQ(AlertSettings::Read(config).soundPriTextLvl, 240);
}

} // namespace
} // namespace pellar
