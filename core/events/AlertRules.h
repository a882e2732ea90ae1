// Which alerts an incoming message or new text raises: a pure function of the
// alert settings, the recipient, the membership priorities and the author, so
// the windows only carry the decision out.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "core/events/TrayAlert.h"

namespace pellar {

class TMiravoConfiguration;

struct AlertSettings {
    bool soundAllMsg = false, soundPersMsg = false;
    bool trayAllMsg = false, trayPersMsg = false;
    bool focusAllMsg = false, focusPersMsg = false;
    bool soundPriText = false, trayPriText = false;
    int soundPriTextLvl = 255, trayPriTextLvl = 255;

    // Absent settings read as the dispatcher's defaults (all off, levels 255).
    static AlertSettings Read(const TMiravoConfiguration& config);
};

struct AlertDecision {
    bool beep = false;
    TrayAlert trayState = TrayAlert::None;
    bool bringToFront = false;
};

// A level setting as an integer; anything that is not a number reads as 0.
int ParseAlertLevel(std::string_view text);

AlertDecision DecideMessageAlert(const AlertSettings& s, int32_t recipient, int32_t currentPerson);

// priorities: the person's membership priority in each recipient conference
// he is a member of.
AlertDecision DecideTextAlert(const AlertSettings& s, const std::vector<int32_t>& priorities, int32_t author,
                              int32_t currentPerson);

} // namespace pellar
