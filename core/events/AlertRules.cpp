#include "core/events/AlertRules.h"

#include <charconv>

#include "core/config/ConfigKeys.h"
#include "core/config/TMiravoConfiguration.h"

namespace pellar {

namespace {

// An empty level is unset (a named profile that follows the default one):
// it reads as the default, not as 0.
int ReadAlertLevel(const TMiravoConfiguration& config, std::string_view key)
{
    const std::string text = config.ReadString(key, "");
    return ParseAlertLevel(text.empty() ? ConfigDefault(key) : text);
}

} // namespace

int ParseAlertLevel(std::string_view text)
{
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size())
        return 0;
    return value;
}

AlertSettings AlertSettings::Read(const TMiravoConfiguration& config)
{
    AlertSettings s;
    s.soundAllMsg = config.ReadFlag("SoundAllMsg", ConfigDefaultFlag("SoundAllMsg"));
    s.soundPersMsg = config.ReadFlag("SoundPersMsg", ConfigDefaultFlag("SoundPersMsg"));
    s.trayAllMsg = config.ReadFlag("TrayAllMsg", ConfigDefaultFlag("TrayAllMsg"));
    s.trayPersMsg = config.ReadFlag("TrayPersMsg", ConfigDefaultFlag("TrayPersMsg"));
    s.focusAllMsg = config.ReadFlag("FocusAllMsg", ConfigDefaultFlag("FocusAllMsg"));
    s.focusPersMsg = config.ReadFlag("FocusPersMsg", ConfigDefaultFlag("FocusPersMsg"));
    s.soundPriText = config.ReadFlag("SoundPriText", ConfigDefaultFlag("SoundPriText"));
    s.trayPriText = config.ReadFlag("TrayPriText", ConfigDefaultFlag("TrayPriText"));
    s.soundPriTextLvl = ReadAlertLevel(config, ConfigKeys::SoundPriTextLvl);
    s.trayPriTextLvl = ReadAlertLevel(config, ConfigKeys::TrayPriTextLvl);
    return s;
}

AlertDecision DecideMessageAlert(const AlertSettings& s, int32_t recipient, int32_t currentPerson)
{
    const bool personal = recipient != 0 && recipient == currentPerson;
    AlertDecision d;
    d.beep = s.soundAllMsg || (s.soundPersMsg && personal);
    if (s.trayAllMsg || (s.trayPersMsg && personal))
        d.trayState = TrayAlert::Message;
    d.bringToFront = s.focusAllMsg || (s.focusPersMsg && personal);
    return d;
}

AlertDecision DecideTextAlert(const AlertSettings& s, const std::vector<int32_t>& priorities, int32_t author,
                              int32_t currentPerson)
{
    AlertDecision d;
    if (author == currentPerson)
        return d;
    bool tray = false, sound = false;
    for (int32_t priority : priorities) {
        tray = tray || s.trayPriTextLvl < priority;
        sound = sound || s.soundPriTextLvl < priority;
    }
    if (tray && s.trayPriText)
        d.trayState = TrayAlert::ImportantText;
    d.beep = sound && s.soundPriText;
    return d;
}

} // namespace pellar
