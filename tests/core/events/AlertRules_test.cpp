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

TEST(AlertRules, SettingsReadWithDispatcherDefaultsAndBadLevelsAsZero)
{
    TMiravoConfiguration config(std::make_shared<MemoryRegistryBackend>(), "tester");
    AlertSettings d = AlertSettings::Read(config);
    EXPECT_FALSE(d.trayAllMsg);
    EXPECT_FALSE(d.soundPriText);
    EXPECT_EQ(d.trayPriTextLvl, 255);
    EXPECT_EQ(d.soundPriTextLvl, 255);

    config.WriteFlag("TrayPersMsg", true);
    config.WriteString("TrayPriTextLvl", "abc");
    config.WriteString("SoundPriTextLvl", "240");
    d = AlertSettings::Read(config);
    EXPECT_TRUE(d.trayPersMsg);
    EXPECT_EQ(d.trayPriTextLvl, 0);
    EXPECT_EQ(d.soundPriTextLvl, 240);
    EXPECT_EQ(ParseAlertLevel("12x"), 0);
}

} // namespace
} // namespace pellar
