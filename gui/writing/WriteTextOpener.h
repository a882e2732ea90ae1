// Opens a writing window for each kind of writing: asks the prompts a kind
// needs, lets the model fill the pending lists, shows the window in the main
// window's MDI area and starts it. Reading, events and the shell call these.
#pragma once

#include "gui/common/WriteRequest.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <string>

class QWidget;

namespace pellar {

class DraftStore;
struct Draft;
class MainWindow;
class TWriteTextForm;
class WritingSession;
struct GuiServices;

struct WriteTextContext {
    WritingSession& session;
    const GuiServices* services = nullptr;
    // Null: the window opens as a top-level window.
    MainWindow* mainForm = nullptr;
    // The session's change-activity command by key; may be empty.
    std::function<void(const std::string&)> activity;
    // Where the window keeps its text while it is written; null: nowhere.
    const DraftStore* drafts = nullptr;
};

// number: the commented text (Comment, Footnote, PersonalReply), the
// conference or person (Presentation, Motd), or the default conference of
// the New text prompt (0: none). isPerson: a presentation of a person.
// Null when nothing opened (prompt cancelled, no current text, refused).
TWriteTextForm* OpenWriteText(const WriteTextContext& context, TextCompositionMode mode, int32_t number = 0,
                              bool isPerson = false);

// The same without the name prompt: for NewText and Letter, number is the
// recipient already chosen.
TWriteTextForm* OpenChosenWriteText(const WriteTextContext& context, TextCompositionMode mode, int32_t number,
                                    bool isPerson = false);

// A window with a kept draft back in it; it goes on saving to the same draft.
TWriteTextForm* OpenDraftWriteText(const WriteTextContext& context, const Draft& draft);

} // namespace pellar
