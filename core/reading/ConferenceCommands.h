// Conference-level commands that live beside the reading order: set the
// number of unread texts, view a presentation, and start changing or remove
// presentations and notices. They run on the GUI thread and ask the user
// through ConferenceCommandUi.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/wire/NameKind.h"

namespace pellar {

class Client;

enum class PresentationKind { Person, Conference, Notice };

class ConferenceCommandUi
{
public:
    virtual ~ConferenceCommandUi() = default;
    // The name chooser: a number, or -1 when cancelled or nothing matched.
    virtual int32_t ChooseName(std::string_view title, std::string_view preset, NameKind kind) = 0;
    // An input box; none when cancelled.
    virtual std::optional<std::string> AskString(std::string_view title, std::string_view prompt) = 0;
    virtual void ShowMessageBox(std::string_view text) = 0;
    // The reading window shows the text and adds it to its history ("No such
    // text" for one it cannot fetch).
    virtual void ShowTextInReadingWindow(int32_t text) = 0;
    // The composition window in presentation or notice mode for target.
    virtual void OpenComposition(PresentationKind kind, int32_t target, int32_t recipient,
                                 const std::string& subject) = 0;
};

// "R&ead only the # last texts...": conf preselects the chooser when above 0.
void SetUnreadInConference(Client& client, ConferenceCommandUi& ui, int32_t conf);
// The text that presents the conference or person: 0 when it has none or
// there is no such one. May ask the server: not on the GUI thread.
int32_t PresentationText(Client& client, int32_t confOrPerson);
void ChangePresentation(Client& client, ConferenceCommandUi& ui, bool person);
// person: the chooser offers persons (the Users menu) instead of conferences.
void ChangeNotice(Client& client, ConferenceCommandUi& ui, bool person = false);
void RemoveNotice(Client& client, ConferenceCommandUi& ui, bool person = false);

// The person's priority in a conference; true when the server took it.
bool ChangePriority(Client& client, int32_t conf, int32_t priority);

// A whole decimal number (blanks around it allowed), or none.
std::optional<int32_t> ParseWholeNumber(std::string_view text);

} // namespace pellar
