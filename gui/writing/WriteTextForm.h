// The writing window: subject, body and link list over a TextComposition.
// The model decides (rows, checks, submission); this window shows it,
// forwards the user's actions and answers the model's questions.
#pragma once

#include "core/writing/TextComposition.h"
#include "core/writing/WritingServices.h"

#include <QMainWindow>
#include <QString>

#include <functional>
#include <memory>
#include <string>

class QAction;
class QLineEdit;
class QMenu;
class QTreeWidget;

namespace pellar {

class DraftKeeper;
class DraftStore;
class WritingSession;
struct Draft;
class CancellableGuiThread;
class MainWindow;
class TMiravoTextEdit;
struct GuiServices;

class TWriteTextForm : public QMainWindow, private WritingUi {
    Q_OBJECT

public:
    // mainForm (may be null) gives the status bar and the MDI area;
    // activity (may be empty) changes the session's activity by key.
    TWriteTextForm(WritingSession& session, const GuiServices* services, MainWindow* mainForm,
                   std::function<void(const std::string&)> activity = {}, QWidget* parent = nullptr);
    ~TWriteTextForm() override;

    TextComposition& Model() { return *model_; }
    // Rows from the pending lists, then the recipients worker; once, after show.
    void Start();

    // Yes/No questions go here instead of a message box when set (tests).
    void SetQuestionAnswerer(std::function<bool(const QString&)> answer) { answer_ = std::move(answer); }

    // What closing a window with an unsent text does.
    enum class CloseChoice { Keep, Discard, Cancel };
    // The close question goes here instead of a message box when set (tests).
    void SetCloseAnswerer(std::function<CloseChoice(const QString&)> answer) { closeAnswer_ = std::move(answer); }

    // Keeps the text in store as the user types (before Start). profile
    // and place: where the text is written (the server, port and person).
    void KeepDrafts(const DraftStore& store, const std::string& profile, const DraftPlace& place);
    // Fills the window from a kept draft and continues it (before Start).
    void RestoreDraft(const Draft& draft);
    DraftKeeper* Drafts() const { return drafts_; }
    // A subject or body that was neither sent nor trashed.
    bool HasUnsentText() const;
    // The program quits after asking once for every window: the text is
    // kept as a draft and the window closes without asking again.
    void KeepForQuit();

    QLineEdit* SubjectEdit() const { return subjectEdit_; }
    TMiravoTextEdit* WriteTextEdit() const { return writeTextEdit_; }
    QTreeWidget* ListView() const { return listView_; }
    // What status panel 1 shows: the caret's line and column.
    QString CaretText() const { return caretText_; }

    QAction* SubmitTextAction;
    QAction* TrashTextAction;
    QAction* AddRcptAction;
    QAction* AddCCRcptAction;
    QAction* AddComToAction;
    QAction* ReadConfirmationAction;
    QAction* NoCommentsAction;
    QAction* PersonalCommentsAction;
    QAction* PinWriteFormAction;
    QAction* ClipboardCopyAction;
    QAction* ClipboardCutAction;
    QAction* ClipboardPasteAction;

signals:
    // The server created the text (the window is about to close).
    void Submitted(int32_t text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // WritingUi
    bool AskYesNo(const std::string& question) override;
    void RowsChanged() override;
    void SubjectChanged(const std::string& subject) override;
    void BodyChanged(const std::string& body) override;
    void FocusBody() override;
    void SetActionsEnabled(bool enabled) override;
    void ShowNoteOnDoor(int32_t text) override;
    void PostTrashQuestion() override;
    void Close() override;

    void CreateActions();
    void CreateMenus();
    void CreateControls();
    void SubmitTextActionExecute();
    void AddRcptActionExecute(bool carbonCopy);
    void AddComToActionExecute();
    void PinWriteFormActionExecute(bool pinned);
    void ClipboardCopyActionExecute();
    void UpdateCaretAndClipboard();
    void ApplyBodyFont();
    bool BodyKey(QKeyEvent* key);
    bool Connected() const;
    void CloseWindow();
    CloseChoice AskClose();
    void TextEdited();

    WritingSession& session_;
    const GuiServices* services_;
    MainWindow* mainForm_;
    std::unique_ptr<WritingServices> writing_;
    std::unique_ptr<TextComposition> model_;
    std::function<bool(const QString&)> answer_;
    std::function<CloseChoice(const QString&)> closeAnswer_;
    DraftKeeper* drafts_ = nullptr;
    bool finished_ = false;
    bool quitting_ = false;
    bool restored_ = false;
    // What the window opened with: a reply's subject or a presentation's
    // body is no text of the user's until he changes it.
    QString startSubject_;
    QString startBody_;

    QLineEdit* subjectEdit_ = nullptr;
    TMiravoTextEdit* writeTextEdit_ = nullptr;
    QTreeWidget* listView_ = nullptr;
    QString caretText_;
    bool actionsEnabled_ = true;
    bool updatingBody_ = false;
};

} // namespace pellar
