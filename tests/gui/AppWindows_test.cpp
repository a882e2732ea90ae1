// The application's windows wired together, against the reference server:
// what the reading window, the session and the main window's menus ask for
// opens in the right window, and Disconnect closes search and marked texts.
#include "support/gui/GuiTestSupport.h"
#include "support/gui/PreparedArticles.h"
#include "support/gui/LiveSession.h"

#include "core/config/TMiravoConfiguration.h"
#include "core/wire/TMiravoConference.h"
#include "core/wire/TMiscInfo.h"
#include "core/wire/TextStatType.h"
#include "core/wire/TMiravoMembership.h"
#include "core/wire/TMiravoText.h"
#include "core/session/MVCache.h"
#include "core/writing/SubmissionFormat.h"
#include "gui/config/ConfigForm.h"
#include "gui/config/ConfigListForm.h"
#include "gui/dialogs/ConferenceAttributesForm.h"
#include "gui/dialogs/StatisticsForm.h"
#include "gui/dialogs/ViewMarksForm.h"
#include "gui/events/ActiveUsersForm.h"
#include "gui/events/EventsController.h"
#include "gui/events/IconTaskBar.h"
#include "gui/events/MessagesForm.h"
#include "gui/reading/ArticleViewForm.h"
#include "gui/reading/ConfListView.h"
#include "gui/reading/ReadArticleForm.h"
#include "gui/reading/ReadingCommands.h"
#include "gui/search/FindTextForm.h"
#include "gui/shell/AppWindows.h"
#include "gui/shell/QtSessionUi.h"
#include "gui/common/MainStatusBar.h"
#include "gui/common/MiravoCompletionEdit.h"
#include "gui/common/MiravoTextEdit.h"
#include "gui/writing/TextRcptEditForm.h"
#include "gui/writing/WriteTextForm.h"

#include <functional>

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QMdiArea>
#include <QPushButton>
#include <QMdiSubWindow>
#include <QPointer>
#include <QTextCursor>
#include <QTextEdit>
#include <QTest>
#include <QTreeWidget>

using namespace pellar;

namespace {

QAction* CommandAction(AppController& app, MainCommand command)
{
    for (const auto& [action, which] : app.MainWindow().Menus()->CommandActions())
        if (which == command)
            return action;
    return nullptr;
}

// The newest window of type T in the frame.
template <typename T>
T* NewestInFrame(AppController& app)
{
    T* found = nullptr;
    for (QMdiSubWindow* sub : app.MainWindow().MdiArea()->subWindowList())
        if (auto* w = qobject_cast<T*>(sub->widget()))
            found = w;
    return found;
}

template <typename T>
int CountInFrame(AppController& app)
{
    int n = 0;
    for (QMdiSubWindow* sub : app.MainWindow().MdiArea()->subWindowList())
        if (qobject_cast<T*>(sub->widget()))
            ++n;
    return n;
}

// Frames in the work area, and whether any of them is an empty one left
// behind by a window that closed alone.
int FrameCount(AppController& app)
{
    return int(app.MainWindow().MdiArea()->subWindowList().size());
}

bool AnyEmptyFrame(AppController& app)
{
    for (QMdiSubWindow* sub : app.MainWindow().MdiArea()->subWindowList())
        if (!sub->widget())
            return true;
    return false;
}

// Clicks the window's own button of that object name.
bool ClickButton(QWidget* window, const char* name)
{
    auto* button = window->findChild<QPushButton*>(QString::fromLatin1(name));
    if (!button)
        return false;
    QTest::mouseClick(button, Qt::LeftButton);
    return true;
}

void CloseAll(QWidget* window)
{
    if (auto* sub = qobject_cast<QMdiSubWindow*>(window->parentWidget()))
        sub->close();
    else
        window->close();
}

} // namespace

class AppWindowsTest : public QObject {
    Q_OBJECT

private:
    AppController& App() { return session_.App(); }

    // A text of the demo data written by someone else, and one written by
    // the demo user.
    int32_t TextBy(bool me)
    {
        MVCache& cache = session_.ClientContext().Cache();
        const int32_t self = session_.ClientContext().CurrentPerson();
        for (int32_t n = 1; n < 400; ++n)
            if (auto stat = cache.GetTextStat(n); stat && (stat->Author() == self) == me)
                return n;
        return 0;
    }

    pellar::test::LiveSession session_;
    std::unique_ptr<AppWindows> windows_;

private slots:
    void initTestCase()
    {
        std::string error;
        QVERIFY2(session_.Start(&error, [this](AppController& app) { windows_ = std::make_unique<AppWindows>(app); }),
                 error.c_str());
        App().MainWindow().show();
    }

    void cleanupTestCase()
    {
        App().Disconnect();
        windows_.reset();
        session_.Stop();
    }

    void init() { session_.messages.clear(); }

    // A profile that never saved a window size: the conference list shows
    // every column, Unread included, without scrolling.
    void theFirstWindowShowsEveryColumnOfTheConferenceList()
    {
        TReadArticleForm* reading = windows_->Reading();
        QVERIFY(QTest::qWaitForWindowExposed(&App().MainWindow()));
        TConfListView* list = reading->ConfListView();
        QTRY_VERIFY(list->isVisible());
        QHeaderView* header = list->header();
        const int last = TConfListView::UnreadColumn;
        QTRY_VERIFY2(header->sectionViewportPosition(last) + header->sectionSize(last) <= list->viewport()->width(),
                     qPrintable(QStringLiteral("Unread ends at %1 of %2")
                                    .arg(header->sectionViewportPosition(last) + header->sectionSize(last))
                                    .arg(list->viewport()->width())));
        QCOMPARE(list->horizontalScrollBar()->value(), 0);
    }

    void writingCommandsOfTheReadingWindowOpenTheWritingWindow()
    {
        const int32_t foreign = TextBy(false);
        QVERIFY(foreign > 0);
        TReadArticleForm* reading = windows_->Reading();
        QVERIFY(test::ShowAndWait(*reading, foreign));
        QCOMPARE(reading->ReadStatus().CurrentText(), foreign);

        reading->Commands()->WriteComment(false);
        auto* comment = NewestInFrame<TWriteTextForm>(App());
        QVERIFY(comment);
        QVERIFY(comment->Model().IsComment());
        QTRY_VERIFY(!comment->Model().WorkerRunning());
        QCOMPARE(comment->Model().Links().Numbers(LinkKind::CommentTo), std::vector<int32_t>{foreign});
        comment->Model().SetBody("");
        CloseAll(comment);
        QTRY_COMPARE(CountInFrame<TWriteTextForm>(App()), 0);

        reading->Commands()->PrivateReply();
        auto* reply = NewestInFrame<TWriteTextForm>(App());
        QVERIFY(reply);
        const int32_t author = session_.ClientContext().Cache().GetTextStat(foreign)->Author();
        QTRY_VERIFY(!reply->Model().WorkerRunning());
        const std::vector<int32_t> recipients = reply->Model().Links().Numbers(LinkKind::Recipient);
        QVERIFY(std::find(recipients.begin(), recipients.end(), author) != recipients.end());
        QCOMPARE(reply->Model().Links().Numbers(LinkKind::CommentTo), std::vector<int32_t>{foreign});
        CloseAll(reply);
        QTRY_COMPARE(CountInFrame<TWriteTextForm>(App()), 0);

        // A footnote to someone else's text opens nothing and says why.
        reading->Commands()->WriteComment(true);
        QTRY_VERIFY(!session_.messages.empty());
        QCOMPARE(session_.messages.back(),
                 QStringLiteral("Footnotes to texts can only be added by the author of the original message"));
        QCOMPARE(CountInFrame<TWriteTextForm>(App()), 0);
    }

    // The status bar shows the writing window's caret only while it is the
    // active window.
    void theCaretPositionLeavesTheStatusBarWithTheWritingWindow()
    {
        TReadArticleForm* reading = windows_->Reading();
        QVERIFY(test::ShowAndWait(*reading, TextBy(false)));
        reading->Commands()->WriteComment(false);
        auto* writing = NewestInFrame<TWriteTextForm>(App());
        QVERIFY(writing);
        QTRY_VERIFY(!writing->Model().WorkerRunning());
        QMdiArea* area = App().MainWindow().MdiArea();
        QCOMPARE(area->activeSubWindow()->widget(), writing);
        QLabel* panel = App().MainWindow().StatusBar1()->KeyCommandPanel();
        writing->WriteTextEdit()->setFocus();
        QTest::keyClicks(writing->WriteTextEdit(), QStringLiteral("Hello"));
        QTRY_COMPARE(panel->text(), QStringLiteral("0:5"));

        area->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(reading->parentWidget()));
        QCOMPARE(panel->text(), QString());
        area->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(writing->parentWidget()));
        QCOMPARE(panel->text(), QStringLiteral("0:5"));

        writing->SetCloseAnswerer([](const QString&) { return TWriteTextForm::CloseChoice::Discard; });
        CloseAll(writing);
        QTRY_COMPARE(CountInFrame<TWriteTextForm>(App()), 0);
        QCOMPARE(panel->text(), QString());
    }

    void presentationAndNoticeEditorsOpenForWhatWasAsked()
    {
        const int32_t general = session_.Number("General discussion");
        QVERIFY(general > 0);
        // The session asks after creating a conference.
        emit App().Ui().PresentationEditorRequested(general);
        auto* presentation = NewestInFrame<TWriteTextForm>(App());
        QVERIFY(presentation);
        QTRY_VERIFY(!presentation->Model().WorkerRunning());
        QCOMPARE(presentation->Model().Links().Numbers(LinkKind::PresentationFor), std::vector<int32_t>{general});
        // It opens on the conference's existing presentation, to be edited.
        MVCache& cache = session_.ClientContext().Cache();
        const int32_t existing = cache.GetConference(general)->Presentation();
        QVERIFY(existing > 0);
        const auto text = cache.GetText(existing);
        QVERIFY(text);
        QCOMPARE(presentation->SubjectEdit()->text(), QString::fromLatin1(text->Subject().c_str()));
        const QString firstLine = QString::fromLatin1(text->Body().substr(0, text->Body().find_first_of("\r\n")).c_str());
        QVERIFY2(presentation->WriteTextEdit()->toPlainText().startsWith(firstLine),
                 qPrintable(presentation->WriteTextEdit()->toPlainText() + QStringLiteral(" | ") + firstLine));
        CloseAll(presentation);
        QTRY_COMPARE(CountInFrame<TWriteTextForm>(App()), 0);

        // A logon that finds no presentation asks before the window is online.
        const int32_t me = session_.ClientContext().CurrentPerson();
        App().MainWindow().SetOnline(false);
        emit App().Ui().PresentationEditorRequested(me);
        App().MainWindow().SetOnline(true);
        auto* own = NewestInFrame<TWriteTextForm>(App());
        QVERIFY(own);
        QTRY_VERIFY(!own->Model().WorkerRunning());
        QCOMPARE(own->Model().Links().Numbers(LinkKind::PresentationFor), std::vector<int32_t>{me});
        const int32_t personPresentations = session_.ClientContext().ServerInfo().PersonPresentationConf;
        QCOMPARE(own->Model().Links().Numbers(LinkKind::Recipient), std::vector<int32_t>{personPresentations});
        CloseAll(own);
        QTRY_COMPARE(CountInFrame<TWriteTextForm>(App()), 0);

        // The conference commands ask through the reading window.
        emit windows_->Reading()->PresentationEditorRequested(PresentationKind::Notice, general,
                                                              0, QStringLiteral("General discussion"));
        auto* notice = NewestInFrame<TWriteTextForm>(App());
        QVERIFY(notice);
        QTRY_VERIFY(!notice->Model().WorkerRunning());
        QCOMPARE(notice->Model().Links().Numbers(LinkKind::MotdFor), std::vector<int32_t>{general});
        CloseAll(notice);
        QTRY_COMPARE(CountInFrame<TWriteTextForm>(App()), 0);
    }

    void sendMessageAndTrayRequestsReachTheEventsWindows()
    {
        EventsController& events = windows_->Events();
        emit windows_->Reading()->SendMessageRequested(QStringLiteral("General discussion"));
        QCOMPARE(events.MainMessages()->TargetEdit()->text(), QStringLiteral("General discussion"));
        QCOMPARE(App().MainWindow().MdiArea()->activeSubWindow()->widget(), events.MainMessages());

        events.Tray()->SetUseTray(false);
        events.Tray()->ShowIcon(1);
        QVERIFY(events.Tray()->Visible());
        emit windows_->Reading()->ReadNextStarted();
        QVERIFY(!events.Tray()->Visible());

        // The tray's "new text" double-click brings the reading window up.
        emit events.ShowReadingWindowRequested();
        QCOMPARE(App().MainWindow().MdiArea()->activeSubWindow()->widget(), windows_->Reading());
    }

    void aNewTextInAHighPriorityConferenceRaisesTheTextAlert()
    {
        EventsController& events = windows_->Events();
        events.Tray()->SetUseTray(false);
        events.Tray()->HideIcon();
        const int32_t welcome = session_.Number("Welcome");
        QVERIFY(welcome > 0);
        QVERIFY(session_.ClientContext().Cache().GetMembership(welcome)->Priority() > 150);
        // Text alerts are off until the user asks for them.
        TMiravoConfiguration& config = session_.ClientContext().Config();
        config.WriteString("TrayPriText", "1");
        config.WriteString("TrayPriTextLvl", "150");

        test::SessionClient anna(session_.ServerPort(), "Anna Berg");
        QVERIFY(anna.logon.LogOn());
        const std::string misc = "1 { 0 " + std::to_string(welcome) + " }";
        TGenericTrans post(anna.client.Protocol(), "Submit text",
                           requests::CreateText(SubmissionFormat::BuildText("Hello all", "A new text."), misc, "0 { }"));
        QVERIFY(anna.client.Transactions().ExecuteAndWait(post));
        QTRY_VERIFY(events.Tray()->Visible());
        QCOMPARE(events.Tray()->State(), 1);
        anna.logon.LogOff();
    }

    void altEnterInTheArticleOpensThePropertiesOfTheNumberUnderTheCaret()
    {
        // A comment by someone else: its header names the commented text.
        MVCache& cache = session_.ClientContext().Cache();
        int32_t comment = 0, parent = 0;
        for (int32_t n = 1; n < 400 && !comment; ++n)
            if (auto stat = cache.GetTextStat(n))
                stat->ForEachMiscInfo<TMiscInfoCommTo>([&](const TMiscInfoCommTo& c) {
                    if (!comment) {
                        comment = n;
                        parent = c.textNo;
                    }
                });
        QVERIFY(comment > 0 && parent > 0);
        QVERIFY(test::ShowAndWait(*windows_->Reading(), comment));
        QTextEdit* article = windows_->Reading()->ArticleView()->MainEdit();
        const QString number = QString::number(parent);
        const int at = article->toPlainText().indexOf(QStringLiteral("Comment to: ") + number);
        QVERIFY(at >= 0);
        QTextCursor caret = article->textCursor();
        caret.setPosition(at + 12 + 1);
        article->setTextCursor(caret);
        App().MainWindow().activateWindow();
        article->setFocus();
        QTRY_VERIFY(article->hasFocus());
        QTest::keyClick(article, Qt::Key_Return, Qt::AltModifier);
        // The view's own command, not the frame's (which takes the text shown).
        QTRY_VERIFY(NewestInFrame<TTextRcptEditForm>(App()));
        QCOMPARE(CountInFrame<TTextRcptEditForm>(App()), 1);
        QVERIFY2(NewestInFrame<TTextRcptEditForm>(App())->windowTitle().startsWith(
                     QStringLiteral("Text properties for text %1 ").arg(parent)),
                 qPrintable(NewestInFrame<TTextRcptEditForm>(App())->windowTitle()));
        CloseAll(NewestInFrame<TTextRcptEditForm>(App()));
        QTRY_COMPARE(CountInFrame<TTextRcptEditForm>(App()), 0);
    }

    void settingsAndProfilesOpenOnTheSessionsStore()
    {
        TMiravoConfiguration& config = session_.ClientContext().Config();
        config.WriteString("Server", "conf.example");
        QString host;
        pellar::test::AnswerDialog<TConfigForm>([&host](TConfigForm* form) {
            host = form->HostEdit()->text();
            form->ProxyServerEdit()->setText(QStringLiteral("proxy.example"));
            form->OkButton()->click();
        });
        CommandAction(App(), MainCommand::Settings)->trigger();
        QCOMPARE(host, QStringLiteral("conf.example"));
        QCOMPARE(config.ReadString("ProxyServer", ""), std::string("proxy.example"));
        // The window settings went through the session's instance.
        QVERIFY(!config.ReadString("WindowPosWidth", "").empty());

        QString title;
        pellar::test::AnswerDialog<TConfigListForm>([&title](TConfigListForm* list) {
            title = list->windowTitle();
            list->DoneButton()->click();
        });
        CommandAction(App(), MainCommand::Servers)->trigger();
        QCOMPARE(title, QStringLiteral("Configurations"));
        QVERIFY(!QApplication::activeModalWidget());
    }

    // Last: it disconnects.
    void chosenTextsAndPresentationsBringTheReadingWindowToTheFront()
    {
        const int32_t first = TextBy(false);
        const int32_t second = TextBy(true);
        QVERIFY(first > 0 && second > 0);
        QMdiArea* area = App().MainWindow().MdiArea();
        TReadArticleForm* reading = windows_->Reading();

        TViewMarksForm* marks = windows_->OpenMarkedTexts();
        QCOMPARE(area->activeSubWindow()->widget(), marks);
        emit marks->ReadTextRequested(first);
        QCOMPARE(reading->ReadStatus().CurrentText(), first);
        QCOMPARE(area->activeSubWindow()->widget(), reading);

        TFindTextForm* find = windows_->OpenFindText();
        QCOMPARE(area->activeSubWindow()->widget(), find);
        emit find->ReadTextRequested(second);
        QCOMPARE(reading->ReadStatus().CurrentText(), second);
        QCOMPARE(area->activeSubWindow()->widget(), reading);

        // The choosers' "Presentation" button and the who-is-on popup go
        // through the services: set by the running program, not by a test.
        QVERIFY(App().Services().showPresentation);
        area->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(find->parentWidget()));
        Client& client = session_.ClientContext();
        const int32_t me = client.CurrentPerson();
        const auto own = client.Cache().GetConference(me);
        QVERIFY(own && own->Presentation() > 0);
        App().Services().showPresentation(me);
        QCOMPARE(reading->ReadStatus().CurrentText(), own->Presentation());
        QCOMPARE(area->activeSubWindow()->widget(), reading);

        CloseAll(marks);
        CloseAll(find);
    }

    void logonWindowSettingsReachTheActiveUsersColumns()
    {
        Client& client = session_.ClientContext();
        client.Config().WriteString("WhoIsOnListCol3", "250");
        client.Config().WriteString("WhoIsOnListCol5", "77");
        // What the logon calls at its step of window settings.
        App().Ui().applyWindowSettings();
        QTreeWidget* list = windows_->Events().ActiveUsers()->ListView();
        QCOMPARE(list->columnWidth(3), 250);
        QCOMPARE(list->columnWidth(5), 77);
    }

    void clearingTheCachesWhileOnlineKeepsTheMembershipsForReading()
    {
        Client& client = session_.ClientContext();
        std::vector<int32_t> before;
        client.Cache().ListMemberConferences(before);
        QVERIFY(!before.empty());
        App().MainWindow().SetYesNoQuestion([](const QString&) { return true; });
        App().MainWindow().Menus()->ClearCachesItem->trigger();
        std::vector<int32_t> after;
        client.Cache().ListMemberConferences(after);
        QCOMPARE(after, before);
    }

    void whoIsOnIsCompleteWhenItOpens()
    {
        TActiveUsersForm* users = windows_->Events().ActiveUsers();
        QVERIFY(users);
        // Nobody pressed Refresh in this session: seeing it was enough.
        emit windows_->Reading()->ShowActiveUsersRequested();
        QTRY_VERIFY(users->Users().Updater().CompletedUpdates() >= 1);
        Client& client = session_.ClientContext();
        const QString me = QString::fromStdString(client.Cache().GetName(client.CurrentPerson()));
        QTRY_VERIFY(!users->ListView()->findItems(me, Qt::MatchExactly, 1).isEmpty());
        CloseAll(users);
    }

    void everyWindowClosesWithItsFrameThroughItsOwnButtons()
    {
        const int before = FrameCount(App());
        const int32_t text = TextBy(false);
        QVERIFY(text > 0);
        const int32_t general = session_.Number("General discussion");

        struct Case {
            const char* what;
            std::function<QWidget*()> open;
            const char* button;  // nullptr: the window closes by itself
        };
        const std::vector<Case> cases = {
            {"find texts, Done", [this] { return static_cast<QWidget*>(windows_->OpenFindText()); }, "DoneButton"},
            {"text properties, Close",
             [this, text] { return static_cast<QWidget*>(windows_->OpenTextProperties(text)); }, "CloseButton"},
            {"text properties of a missing text",
             [this] { return static_cast<QWidget*>(windows_->OpenTextProperties(9999999)); }, nullptr},
            {"statistics, Close", [this] { return static_cast<QWidget*>(windows_->OpenStatistics()); },
             "CloseButton"},
            {"conference attributes, Ok",
             [this, general] { return static_cast<QWidget*>(windows_->OpenConferenceProperties(general)); },
             "OkButton"},
            {"conference attributes, Cancel",
             [this, general] { return static_cast<QWidget*>(windows_->OpenConferenceProperties(general)); },
             "CancelButton"},
        };
        for (const Case& c : cases) {
            QPointer<QWidget> window = c.open();
            QVERIFY2(window, c.what);
            QVERIFY2(FrameCount(App()) == before + 1, c.what);
            if (c.button)
                QVERIFY2(ClickButton(window, c.button), c.what);
            QTRY_VERIFY2(window.isNull(), c.what);
            QTRY_VERIFY2(FrameCount(App()) == before, c.what);
            QVERIFY2(!AnyEmptyFrame(App()), c.what);
        }
    }

    void viewTextAndViewPresentationBringTheReadingWindowToTheFront()
    {
        QMdiArea* area = App().MainWindow().MdiArea();
        TReadArticleForm* reading = windows_->Reading();
        const int32_t text = TextBy(false);
        QVERIFY(text > 0);

        TTextRcptEditForm* properties = windows_->OpenTextProperties(text);
        QVERIFY(properties);
        QCOMPARE(area->activeSubWindow()->widget(), properties);
        QVERIFY(ClickButton(properties, "ViewTextButton"));
        QCOMPARE(reading->ReadStatus().CurrentText(), text);
        QCOMPARE(area->activeSubWindow()->widget(), reading);

        // The Online menu's "View presentation..." after its chooser.
        area->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(properties->parentWidget()));
        QCOMPARE(area->activeSubWindow()->widget(), properties);
        Client& client = session_.ClientContext();
        const int32_t me = client.CurrentPerson();
        const auto own = client.Cache().GetConference(me);
        QVERIFY(own && own->Presentation() > 0);
        emit App().MainWindow().ViewPresentationRequested(me);
        // The record is fetched off the GUI thread; the window is in front at once.
        QTRY_COMPARE(reading->ReadStatus().CurrentText(), own->Presentation());
        QCOMPARE(area->activeSubWindow()->widget(), reading);
        CloseAll(properties);
    }

    void mainWindowCommandsOpenTheirWindowsAndDisconnectClosesSearchAndMarks()
    {
        const int32_t text = TextBy(true) ? TextBy(true) : TextBy(false);
        QVERIFY(test::ShowAndWait(*windows_->Reading(), text));
        App().MainWindow().Menus()->PropertiesAction->trigger();
        auto* properties = NewestInFrame<TTextRcptEditForm>(App());
        QVERIFY(properties);
        QVERIFY(properties->windowTitle().contains(QString::number(text)));

        App().MainWindow().Menus()->FindTextAction->trigger();
        App().MainWindow().Menus()->ViewMarkedAction->trigger();
        QPointer<TFindTextForm> find = NewestInFrame<TFindTextForm>(App());
        QPointer<TViewMarksForm> marks = NewestInFrame<TViewMarksForm>(App());
        QVERIFY(find);
        QVERIFY(marks);

        CommandAction(App(), MainCommand::Statistics)->trigger();
        QVERIFY(NewestInFrame<TStatisticsForm>(App()));
        const int32_t general = session_.Number("General discussion");
        emit App().MainWindow().EditConferencePropertiesRequested(general);
        QVERIFY(NewestInFrame<TConferenceAttributesForm>(App()));

        const QString user = QString::fromStdString(
            session_.ClientContext().Cache().GetName(session_.ClientContext().CurrentPerson()));
        // The caption as a logon sets it (a test above went offline for a
        // moment, which took it away).
        App().Ui().setCaption("Pellar (127.0.0.1) " + user.toStdString());
        QVERIFY2(App().MainWindow().windowTitle().startsWith(QStringLiteral("Pellar (127.0.0.1) ") + user),
                 qPrintable(App().MainWindow().windowTitle()));
        App().Disconnect();
        // The caption no longer names a user who is gone.
        QVERIFY2(!App().MainWindow().windowTitle().contains(user), qPrintable(App().MainWindow().windowTitle()));
        QCOMPARE(App().MainWindow().Caption(), QStringLiteral("Pellar"));
        QTRY_VERIFY(find.isNull());
        QTRY_VERIFY(marks.isNull());
        // Offline, the text commands open nothing.
        App().MainWindow().Menus()->PropertiesAction->trigger();
        QVERIFY(!windows_->OpenTextProperties(text));
    }
};

QTEST_MAIN(AppWindowsTest)
#include "AppWindows_test.moc"
