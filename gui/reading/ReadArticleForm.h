// The reading window: the conferences with unread texts, the subject tree of
// the selected one, the article pane and the pane of commented texts. It
// owns the reader's read status and history, runs read-next steps on their
// worker and the subject-tree builder, and hands writing and session
// commands to the windows that carry them out.
#pragma once

#include "core/reading/ClientReadingServices.h"
#include "core/reading/TReadNextTextThread.h"
#include "core/reading/TCurrentReadStatus.h"
#include "gui/reading/ReadHistory.h"
#include "gui/reading/ReadingPrompts.h"
#include "gui/common/MainCommands.h"
#include "gui/writing/WriteTextOpener.h"

#include <QMainWindow>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QSplitter;

namespace pellar {

class Client;
class QtGuiThread;
class SessionCommands;
class SubjectTreeAsyncThread;
class TArticleViewForm;
class TConfListView;
class TFindDialog;
class TMainForm;
class TMiravoTextEdit;
class TReadArticleActions;
class TReadingCommands;
class TSubjectTreeView;
struct GuiServices;

// What the writing window is asked to open: the kind and its number (the
// chosen conference or person, or the commented text).
struct WriteRequest {
    TextCompositionMode mode = TextCompositionMode::NewText;
    int32_t number = 0;
};

class TReadArticleForm : public QMainWindow {
    Q_OBJECT

public:
    TReadArticleForm(Client& client, const GuiServices& services, QWidget* parent = nullptr);
    ~TReadArticleForm() override;

    // --- Wiring (the application hands these over once) -------------------
    // Status-bar panels 1 and 2.
    void SetMainForm(TMainForm* mainForm);
    // Join, leave, go to, rename, activity and "user active".
    void SetSessionCommands(SessionCommands* commands) { commands_ = commands; }
    // Choosers, input boxes and questions.
    void SetSessionUi(SessionUi* ui) { prompts_.SetSessionUi(ui); }
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
    void RefreshConferenceList();
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
    Client& ClientContext() { return client_; }
    ReadingServices& Services() { return services_; }
    TCurrentReadStatus& ReadStatus() { return status_; }
    ReadHistory& History() { return history_; }
    TArticleViewForm* ArticleView() const { return articleView_; }
    TConfListView* ConfListView() const { return confList_; }
    TSubjectTreeView* SubjectTreeView() const { return subjectTree_; }
    TMiravoTextEdit* CommentedEdit() const { return commentedEdit_; }
    QSplitter* ConfSubjSplitter() const { return confSubjSplitter_; }
    TReadArticleActions* Actions() const { return actions_; }
    TReadingCommands* Commands() const { return readingCommands_; }
    // The find dialog over the article pane, made on first use.
    TFindDialog* FindDialog();
    SubjectTreeAsyncThread* SubjectTreeBuilder() const { return builder_.get(); }
    SessionCommands* Session() const { return commands_; }
    TMainForm* MainForm() const;
    bool IsConnected() const;
    bool Reformat() const;

    // Begin work is refused while something runs.
    bool BeginWork();
    void EndWork();
    int BusyCount() const { return busy_; }
    // A step is running.
    bool ReadNextRunning() const;

    // Shows the read status's current text in both panes.
    void DisplayCurrentText();
    void ChangeActivityKey(std::string_view key);

signals:
    void WriteRequested(const pellar::WriteRequest& request);
    // The messages window gets the conference as recipient and focus.
    void SendMessageRequested(const QString& recipient);
    void ShowActiveUsersRequested();
    void MainCommandRequested(pellar::MainCommand command);
    void TextPropertiesRequested(int32_t text);
    // A presentation or notice editor, for the conference commands.
    void PresentationEditorRequested(int kind, int32_t target, int32_t recipient, const QString& subject);
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
    // What a read-next step does to the window.
    class StepHost : public ReadNextHost {
    public:
        explicit StepHost(TReadArticleForm& form) : form_(form) {}
        void ShowText(int32_t text) override { form_.ShowNextText(text); }
        void ShowInfo(const std::string& line) override { form_.ShowInfo(line); }
        void ChangeActivity(std::string_view key) override { form_.ChangeActivityKey(key); }
        void Disconnect() override { emit form_.DisconnectRequested(); }
        void EndWork() override { form_.EndWork(); }

    private:
        TReadArticleForm& form_;
    };

    void ShowNextText(int32_t text);
    void ShowInfo(const std::string& line);

    void BuildLayout();
    void ConferenceSelected(int32_t conf);
    void ReadConfirmation(int32_t text);
    // Waits for a step or the builder, letting their hand-overs run.
    void WaitForWorkers();
    // Stops the subject-tree builder off the GUI thread (it may be waiting
    // for the server) while the window keeps painting; fn does the stopping.
    void StopBuilderWhilePainting(const std::function<void()>& fn);

    Client& client_;
    const GuiServices& guiServices_;
    ClientReadingServices services_;
    std::unique_ptr<QtGuiThread> gui_;
    TCurrentReadStatus status_;
    ReadHistory history_;
    ReadingPrompts prompts_;
    std::function<std::vector<std::string>()> listProfiles_;
    TFindDialog* findDialog_ = nullptr;
    QPointer<TMainForm> mainForm_;
    SessionCommands* commands_ = nullptr;

    TConfListView* confList_ = nullptr;
    TSubjectTreeView* subjectTree_ = nullptr;
    QSplitter* confSubjSplitter_ = nullptr;
    QSplitter* textSplitter_ = nullptr;
    QSplitter* mainSplitter_ = nullptr;
    TMiravoTextEdit* commentedEdit_ = nullptr;
    TArticleViewForm* articleView_ = nullptr;
    TReadArticleActions* actions_ = nullptr;
    TReadingCommands* readingCommands_ = nullptr;

    int busy_ = 0;
    bool closing_ = false;
    StepHost stepHost_{*this};
    std::unique_ptr<TReadNextTextThread> worker_;
    std::unique_ptr<SubjectTreeAsyncThread> builder_;
};

} // namespace pellar
