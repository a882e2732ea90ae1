// What the controls and dialogs need from the running client, handed to them
// by pointer instead of reached through globals: name look-ups, the
// user-message queue, presentations and the choose-name question.
#pragma once

#include "core/session/NameLookup.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace pellar {

class SpellService;

// Lets the user pick one of two or more matches; none when cancelled.
using NameChooser = std::function<std::optional<int32_t>(const std::vector<NameMatch>&, QWidget*)>;

struct GuiServices {
    NameLookup* names = nullptr;

    // Queues a user message: first byte "!" for an error, "i" for information.
    std::function<void(const std::string&)> postUserMessage;

    // Shows a person's or conference's presentation in the reading window.
    std::function<void(int32_t)> showPresentation;

    // Lets the user pick one of two or more matches; none when cancelled.
    // The shell sets the choose-name dialog here (DialogNameChooser, in
    // gui/dialogs); unset, nothing can be chosen.
    NameChooser chooseName;

    // Creates a conference (the create dialog, with name proposed) and joins
    // it; its number, or -1. Unset where no session can.
    std::function<int32_t(const std::string& name)> createConference;

    // The spell checker the editors share; null: no checking.
    SpellService* spelling = nullptr;
};

// Posts through the services' queue; without one the message is shown at once.
void PostUserMessage(const GuiServices* services, const std::string& message, QWidget* parent);

// Runs the services' chooser; none without one (as if cancelled).
std::optional<int32_t> ChooseName(const GuiServices* services, const std::vector<NameMatch>& matches,
                                  QWidget* parent);

} // namespace pellar
