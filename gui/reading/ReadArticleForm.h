// The reading window: the conferences with unread texts, the subject tree of
// the selected one, the article pane and the pane of commented texts. A view
// over the reading controller, which holds the read status and history and
// runs the read-next steps and the subject-tree builder; the window hands
// writing and session commands to the windows that carry them out.
#pragma once

#include "core/reading/ArticlePanePort.h"
#include "core/reading/ReadingController.h"
#include "gui/reading/ReadingPrompts.h"
#include "gui/common/MainCommands.h"
#include "gui/common/WriteRequest.h"

#include <QMainWindow>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QSplitter;
class QTimer;

namespace pellar {

class ReadingSession;
class SessionCommands;
class SubjectTreeAsyncThread;
class TArticleViewForm;
class TConfListView;
class TFindDialog;
class MainWindow;
class TMiravoTextEdit;
class TReadArticleActions;
class TReadingCommands;
class TSubjectTreeView;
struct GuiServices;

class TReadArticleForm : public QMainWindow {
    Q_OBJECT

public:
    TReadArticleForm(ReadingSession& session, const GuiServices& services, QWidget* parent = nullptr);
    ~TReadArticleForm() override;

    // --- Wiring (the application hands these over once) -------------------
    // Status-bar panels 1 and 2.
    void SetMainForm(MainWindow* mainForm);
    // Join, leave, go to, rename, activity and "user active".
    void SetSessionCommands(SessionCommands* commands) { reading_->SetSessionCommands(commands); }
    // Choosers, input boxes and questions.
    void SetSessionUi(SessionQuestions* ui) { prompts_.SetSessionUi(ui); }
    ReadingPrompts& Prompts() { return prompts_; }
    // The profiles the Connect button's drop-down offers (asked on each opening).
    void SetProfileLister(std::function<std::vector<std::string>()> list) { listProfiles_ = std::move(list); }
    std::vector<std::string> QuickConnectEntries() const
    {
        return listProfiles_ ? listProfiles_() : std::vector<std::string>{};
    }

    // --- What the session and other windows ask ----------------------------
    // Shows the text; "No such text" when it cannot be had.
    void ShowText(int32_t text, bool addToHistory = true);
    // Brings the list up to date now, in the session's wait (the logon's
    // fill, which its box counts).
    void RefreshConferenceList();
    // The same after a command or a new text: off the GUI thread.
    void RefreshConferenceListLater();
    void GoToConference(int32_t conf);
    // The subject-tree builder forgets a conference that was left.
    void DropConference(int32_t conf);
    // A read-next step; ignored while offline or busy.
    void ReadNext();
    // After logon: the subject-tree builder starts, conferences with unread
    // texts are prefetched.
    void OnConnected();
    // Disconnect begins: the builder stops before the link goes.
    void OnDisconnecting();
    // After disconnect: tree, history, list and text are emptied.
    void ClearReading();
    // Empties the article and commented panes.
    void ClearText();
    void SetOnlineCommands(bool online);
    void ApplyLayout();
    void SaveLayout();

    // --- Parts, for the commands and the tests ------------------------------
    ReadingController& Reader() { return *reading_; }
    ReadingServices& Services() { return reading_->Services(); }
    TCurrentReadStatus& ReadStatus() { return reading_->ReadStatus(); }
    ReadHistory& History() { return reading_->History(); }
    TArticleViewForm* ArticleView() const { return articleView_; }
    TConfListView* ConfListView() const { return confList_; }
    TSubjectTreeView* SubjectTreeView() const { return subjectTree_; }
    TMiravoTextEdit* CommentedEdit() const { return commentedEdit_; }
    QSplitter* ConfSubjSplitter() const { return confSubjSplitter_; }
    TReadArticleActions* Actions() const { return actions_; }
    TReadingCommands* Commands() const { return readingCommands_; }
    // The find dialog over the article pane, made on first use.
    TFindDialog* FindDialog();
    SubjectTreeAsyncThread* SubjectTreeBuilder() const { return reading_->SubjectTreeBuilder(); }
    SessionCommands* Session() const { return reading_->Session(); }
    MainWindow* MainForm() const;
    bool IsConnected() const;
    bool Reformat() const;

    // Begin work is refused while something runs.
    bool BeginWork() { return reading_->BeginWork(); }
    void EndWork() { reading_->EndWork(); }
    int BusyCount() const { return reading_->BusyCount(); }
    // A step is running.
    bool ReadNextRunning() const { return reading_->ReadNextRunning(); }

    // Shows the read status's current text in both panes.
    void DisplayCurrentText() { reading_->DisplayCurrentText(); }
    void ChangeActivityKey(std::string_view key) { reading_->ChangeActivityKey(key); }

signals:
    void WriteRequested(const pellar::WriteRequest& request);
    // The messages window gets the conference as recipient and focus.
    void SendMessageRequested(const QString& recipient);
    void ShowActiveUsersRequested();
    void MainCommandRequested(pellar::MainCommand command);
    void TextPropertiesRequested(int32_t text);
    // A presentation or notice editor, for the conference commands.
    void PresentationEditorRequested(PresentationKind kind, int32_t target, int32_t recipient, const QString& subject);
    void ConnectRequested();
    // A profile of the Connect drop-down: connect with it ("" the default).
    void ProfileConnectRequested(const QString& startProfile);
    void DisconnectRequested();
    // Read-next started: the tray alert goes away.
    void ReadNextStarted();
    // After each shown text (tests and the tray wait on it).
    void TextShown(int32_t text);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The list's width that shows all of its columns without scrolling.
    int ListWidthForAllColumns() const;
    // For a Name column with no stored width: as wide as kNameWidth where
    // the list has room, narrower (not below a readable minimum) where it has
    // not, so that the unread count stays in view.
    void FitNameColumn(int listWidth);
    // What the reading controller asks of the window.
    class View : public ReadingView {
    public:
        explicit View(TReadArticleForm& form) : form_(form) {}
        void DisplayArticle(const PreparedArticle& article) override { form_.DisplayArticle(article); }
        void TextShown(int32_t text) override { emit form_.TextShown(text); }
        void SelectTreeText(int32_t text) override;
        void ShowInfo(const std::string& line) override;
        void SetBusy(bool busy) override;
        void ReadNextStarting() override { emit form_.ReadNextStarted(); }
        void RequestDisconnect() override { emit form_.DisconnectRequested(); }
        bool AskYesNo(const std::string& question) override { return form_.prompts_.AskYesNo(question); }
        void ShowMessageBox(const std::string& text) override { form_.prompts_.ShowMessageBox(text); }

    private:
        TReadArticleForm& form_;
    };

    // The article and commented panes and the history buttons.
    void DisplayArticle(const PreparedArticle& article);
    void BuildLayout();

    ReadingSession& session_;
    const GuiServices& guiServices_;
    ReadingPrompts prompts_;
    std::function<std::vector<std::string>()> listProfiles_;
    TFindDialog* findDialog_ = nullptr;
    QPointer<MainWindow> mainForm_;
    // "Working..." shows only for work that lasts: a step of a few
    // milliseconds would paint and lay out the status bar twice for nothing,
    // ahead of the article it brings.
    static constexpr int kBusyShownAfterMs = 150;
    QTimer* busyShown_ = nullptr;

    TConfListView* confList_ = nullptr;
    TSubjectTreeView* subjectTree_ = nullptr;
    QSplitter* confSubjSplitter_ = nullptr;
    QSplitter* textSplitter_ = nullptr;
    QSplitter* mainSplitter_ = nullptr;
    TMiravoTextEdit* commentedEdit_ = nullptr;
    TArticleViewForm* articleView_ = nullptr;
    TReadArticleActions* actions_ = nullptr;
    TReadingCommands* readingCommands_ = nullptr;

    View view_{*this};
    // The article pane's port; its commands' worker stops before the pane goes.
    std::unique_ptr<ArticlePanePort> articlePane_;
    std::unique_ptr<ReadingController> reading_;
};

} // namespace pellar
