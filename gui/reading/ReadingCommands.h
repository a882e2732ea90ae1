// The reading window's commands: history, reading by number and root,
// writing replies, the conference list's and subject tree's menus, and the
// typed user commands. The reading controller holds the state and the steps
// that need no widget; this turns menu commands into them.
#pragma once

#include <QObject>

#include <cstdint>
#include <memory>
#include <string>

namespace pellar {

class ReadingController;
class TReadArticleForm;
class TextStatType;

class TReadingCommands : public QObject {
    Q_OBJECT

public:
    explicit TReadingCommands(TReadArticleForm& form);

    // A user command by its number (1..26), from the typed-key interpreter.
    void RunUserCommand(int command);

    void ReadPrevious();
    void ViewPrevText();
    void ViewNextText();
    void ShowHistoryEntry(int entry);
    void FindRootText();
    void ReadGlobalTextNr();
    void SkipOverComments();
    void WriteNewText();
    void WriteLetter();
    void WriteComment(bool footnote);
    void PrivateReply();
    void ClipboardCopy();
    void SetReformat(bool on);
    void SetPinned(bool on);
    void Find();

    void JoinConference();
    void LeaveConference();
    void ReadOnlyLastTexts();
    void SetPriority();
    void SendMessage();
    void ViewRowPresentation();
    void Unsubscribe();
    void ShowAllConferences(bool on);
    void ConfRowDoubleClicked();

    void ReadTreeText();
    void SkipTree();

    void ViewPresentation(int32_t confOrPerson);
    void ChooseAndViewPresentation();
    void ReadTopConference();

private:
    void Post(const std::string& message);
    // Whether there is a current text to comment or reply to; false (and
    // the user told so) when there is none.
    bool CurrentTextForReply();
    // Brackets a command with the busy counter; false when refused.
    template <typename Fn>
    void Work(Fn&& fn);

    TReadArticleForm& form_;
    ReadingController& reader_;
    QWidget* pinnedFrom_ = nullptr;
};

} // namespace pellar
