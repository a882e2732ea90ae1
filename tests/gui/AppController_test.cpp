// The client wired to its main window, against the reference server in this
// process: the demo start, Connect through the real login dialog, Disconnect,
// session commands from the menus, and the user messages.
#include "core/config/ConfigKeys.h"
#include "core/link/MVRequests.h"
#include "core/link/MVTransaction.h"
#include "core/session/MVCache.h"
#include "core/session/SessionCommands.h"
#include "core/session/Client.h"
#include "gui/common/QtLocalePort.h"
#include "gui/dialogs/ChooseNameForm.h"
#include "gui/dialogs/CreateConfForm.h"
#include "gui/dialogs/GetNameForm.h"
#include "gui/dialogs/LoginForm.h"
#include "gui/shell/AppController.h"
#include "gui/shell/AppWindows.h"
#include "gui/shell/MainForm.h"
#include "gui/shell/MainMenus.h"
#include "gui/common/GuiServices.h"
#include "gui/common/MainStatusBar.h"
#include "gui/shell/QtSessionUi.h"
#include "gui/shell/UserMessagePresenter.h"
#include "server/Server.h"

#include "support/gui/AppDriving.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

using namespace pellar;
using pellar::test::AnswerDialog;

namespace {

// Cheap password hashes: the demo seed hashes every person's password.
constexpr int kTestIterations = 1000;

QAction* CommandAction(AppController& app, MainCommand command)
{
    for (const auto& [action, which] : app.MainWindow().Menus()->CommandActions())
        if (which == command)
            return action;
    return nullptr;
}

struct Shown {
    QMessageBox::Icon icon;
    QString text;
};

} // namespace

class AppControllerTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<AppController> MakeController()
    {
        auto controller = std::make_unique<AppController>(test::QuietAppOptionsWithGreetingTimeout(state_));
        controller->Messages().SetShower([this](QMessageBox::Icon icon, const QString& text) {
            shown_.push_back({icon, text});
        });
        return controller;
    }

    bool ConnectThroughLoginDialog(AppController& app, const QString& user, const QString& password)
    {
        return test::ConnectThroughLogin(app, server_->Port(), user, password);
    }

    QTemporaryDir state_;
    std::unique_ptr<miravod::Server> server_;
    std::vector<Shown> shown_;

private slots:
    void initTestCase()
    {
        miravod::ServerOptions options;
        options.passwordIterations = kTestIterations;
        std::string error;
        server_ = test::StartDemoServer(&error, options);
        QVERIFY2(server_, error.c_str());
    }

    void cleanupTestCase() { server_.reset(); }

    void init() { shown_.clear(); }

    void demoStartLogsOnWithoutADialog()
    {
        auto app = MakeController();
        std::string error;
        QVERIFY2(app->StartDemo({}, &error, kTestIterations), error.c_str());
        // The next tick of the main window connects with the profile "Demo".
        QTRY_VERIFY_WITH_TIMEOUT(app->MainWindow().IsOnline(), 20000);
        QVERIFY(app->MainWindow().windowTitle().contains(QStringLiteral("Demo User")));

        TMiravoConfiguration& config = app->ClientContext().Config();
        QCOMPARE(config.ProfilePath(), TMiravoConfiguration::ProfilePathFor("Demo"));
        QCOMPARE(config.ReadString("Port", ""), std::to_string(app->DemoPort()));
        QCOMPARE(config.ReadPassword(), std::string("demo"));
        QVERIFY(config.ReadString("Pwd", "") != "demo");
        QVERIFY(app->ClientContext().CurrentPerson() > 0);
        QVERIFY(shown_.empty());
        // Dates and names follow the user's locale, not the plain form.
        QVERIFY(dynamic_cast<const QtLocalePort*>(&app->ClientContext().Locale()));
        app->Disconnect();
        QVERIFY(!app->MainWindow().IsOnline());
    }

    void theServicesChooseANameInTheChooseNameDialog()
    {
        auto app = MakeController();
        QVERIFY(app->Services().chooseName);
        int listed = -1;
        QString picked;
        QTimer poll;
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, this, [&] {
            if (auto* chooser = qobject_cast<TChooseNameForm*>(QApplication::activeModalWidget())) {
                listed = chooser->NameListBox()->count();
                chooser->NameListBox()->setCurrentRow(1);
                picked = chooser->NameListBox()->currentItem()->text();
                chooser->accept();
            }
        });
        poll.start();
        const std::vector<NameMatch> matches{{"Anna", "person", 6}, {"Axel", "person", 7}};
        const std::optional<int32_t> chosen = ChooseName(&app->Services(), matches, &app->MainWindow());
        QCOMPARE(listed, 2);
        QVERIFY(chosen.has_value());
        QCOMPARE(*chosen, picked == QStringLiteral("Anna") ? 6 : 7);
    }

    void aFailedConnectLeavesNoSessionInTheStatusBar()
    {
        auto app = MakeController();
        app->MainWindow().StatusBar1()->SetNotice(QStringLiteral("Demo User logged in."));
        QVERIFY(!ConnectThroughLoginDialog(*app, QStringLiteral("Demo User"), QStringLiteral("not the password")));
        QTRY_VERIFY(!shown_.empty());  // the refusal was told
        QCOMPARE(app->MainWindow().StatusBar1()->Notice(), QString());
    }

    void aQuestionDuringTheLogonIsNotHiddenBehindTheProgressWindow()
    {
        auto app = MakeController();
        bool hadProgress = false;
        bool progressVisible = true;
        QString question;
        AnswerDialog<QMessageBox>([&](QMessageBox* box) {
            TConnectingForm* progress = app->Ui().ProgressWindow();
            hadProgress = progress != nullptr;
            progressVisible = progress && progress->isVisible();
            question = box->text();
            box->button(QMessageBox::No)->click();
        });
        QVERIFY(!ConnectThroughLoginDialog(*app, QStringLiteral("Nobody Of This Name"), QStringLiteral("x")));
        QVERIFY2(question.startsWith(QStringLiteral("Unable to find this user (\"Nobody Of This Name\" on 127.0.0.1:")), qPrintable(question));
        QVERIFY(hadProgress);
        QVERIFY(!progressVisible);
    }

    void connectThroughTheLoginDialogAndDisconnect()
    {
        auto app = MakeController();
        // The reading window shows the notice text and changes the activity.
        auto windows = std::make_unique<AppWindows>(*app);
        QSignalSpy online(&app->MainWindow(), &TMainForm::OnlineChanged);
        // The server's notice text is shown during the logon, once the
        // person is logged on (before that the server refuses to hand it
        // out), and before the logon settles the activity on "wait".
        Client& client = app->ClientContext();
        client.Config().WriteString(ActivityConfigKey("reread"), "rereading");
        client.Config().WriteString(ActivityConfigKey("wait"), "waiting");
        std::vector<std::pair<bool, bool>> whenAsked;  // logged on, window online
        connect(&app->Ui(), &QtSessionUi::ShowTextRequested, this, [&](int32_t) {
            whenAsked.emplace_back(client.CurrentPerson() > 0, app->MainWindow().IsOnline());
        });
        QVERIFY(ConnectThroughLoginDialog(*app, QStringLiteral("Demo User"), QStringLiteral("demo")));
        QCOMPARE(online.count(), 1);
        QCOMPARE(whenAsked, (std::vector<std::pair<bool, bool>>{{true, false}}));
        // What the others see this session doing.
        TGenericTrans whoIsOn(client.Protocol(), "Get who is on", requests::WhoIsOn(true, 0, false));
        QVERIFY(client.Transactions().ExecuteAndWait(whoIsOn));
        QVERIFY(whoIsOn.ReplyLine().find("7Hwaiting") != std::string::npos);
        QVERIFY(whoIsOn.ReplyLine().find("9Hrereading") == std::string::npos);
        QVERIFY(client.ConnectedEvent().IsSet());
        QVERIFY(app->MainWindow().Menus()->SessionDisconnectAction->isEnabled());
        QVERIFY(!app->MainWindow().Menus()->SessionConnectAction->isEnabled());
        std::vector<int32_t> member;
        client.Cache().ListMemberConferences(member);
        QVERIFY(!member.empty());

        QSignalSpy disconnected(app.get(), &AppController::Disconnected);
        app->MainWindow().Menus()->SessionDisconnectAction->trigger();
        QCOMPARE(disconnected.count(), 1);
        QVERIFY(!app->MainWindow().IsOnline());
        QVERIFY(client.ComThread().Idle());
        QVERIFY(!client.ConnectedEvent().IsSet());
        QVERIFY(app->MainWindow().Menus()->SessionConnectAction->isEnabled());
        member.clear();
        client.Cache().ListMemberConferences(member);
        QVERIFY(member.empty());

        // And again: a second session on the same client works.
        QVERIFY(ConnectThroughLoginDialog(*app, QStringLiteral("Demo User"), QStringLiteral("demo")));
    }

    void aRefusedLogonStaysOfflineAndSaysWhy()
    {
        auto app = MakeController();
        QVERIFY(!ConnectThroughLoginDialog(*app, QStringLiteral("Demo User"), QStringLiteral("wrong")));
        QVERIFY(app->MainWindow().Menus()->SessionConnectAction->isEnabled());
        QVERIFY(!app->MainWindow().Menus()->SessionDisconnectAction->isEnabled());
        QTRY_VERIFY(!shown_.empty());
        QCOMPARE(shown_.front().icon, QMessageBox::Critical);
        QVERIFY(!shown_.front().text.startsWith(QLatin1Char('!')));
    }

    void cancellingTheLoginDialogChangesNothing()
    {
        auto app = MakeController();
        AnswerDialog<TLoginForm>([](TLoginForm* login) { login->reject(); });
        app->MainWindow().Menus()->SessionConnectAction->trigger();
        QVERIFY(!app->MainWindow().IsOnline());
        QVERIFY(app->ClientContext().ComThread().Idle());
        QVERIFY(app->MainWindow().Menus()->SessionConnectAction->isEnabled());
    }

    void sessionCommandsReachTheServer()
    {
        auto app = MakeController();
        QVERIFY(ConnectThroughLoginDialog(*app, QStringLiteral("Demo User"), QStringLiteral("demo")));
        Client& client = app->ClientContext();

        // Online → Conferences → Create new..., answered in the real dialog.
        const QString name = QStringLiteral("Tea and biscuits %1").arg(QCoreApplication::applicationPid());
        QSignalSpy created(&app->Ui(), &QtSessionUi::PresentationEditorRequested);
        AnswerDialog<TCreateConfForm>([name](TCreateConfForm* form) {
            form->NameEdit()->setText(name);
            form->OkButton()->click();
        });
        CommandAction(*app, MainCommand::CreateConference)->trigger();
        QCOMPARE(created.count(), 1);
        const int32_t conf = created.at(0).at(0).value<int32_t>();
        QVERIFY(conf > 0);

        // What the server holds, not what the cache remembers.
        const auto memberOnServer = [&] {
            client.Cache().ClearAllCaches();
            app->LogonSequence().LoadMemberships();
            return client.Cache().GetMembership(conf) != nullptr;
        };
        QVERIFY(memberOnServer());

        AnswerDialog<TGetNameForm>([](TGetNameForm* form) { form->OkButton()->click(); });
        app->Commands().LeaveConference(conf);
        QVERIFY(!memberOnServer());

        AnswerDialog<TGetNameForm>([name](TGetNameForm* form) {
            form->NameEdit()->setText(name);
            form->OkButton()->click();
        });
        app->Commands().JoinConferenceCommand();
        QVERIFY(memberOnServer());
        app->Disconnect();
    }

    void userMessagesShowOneAtATimeWithTheirKind()
    {
        auto app = MakeController();
        UserMessageQueue& queue = app->ClientContext().UserMessages();
        queue.PostUserMessage("!Failed to connect: refused");
        queue.PostUserMessage("iSuccess!");
        queue.PostUserMessage("?plain <b>text</b>");
        // A command with nothing to act on is no error: no red cross.
        queue.PostUserMessage("!No current article available");
        queue.PostUserMessage("!Not a valid number");
        QTRY_COMPARE(shown_.size(), size_t{5});
        QCOMPARE(shown_[3].icon, QMessageBox::Warning);
        QCOMPARE(shown_[3].text, QStringLiteral("No current article available"));
        QCOMPARE(shown_[4].icon, QMessageBox::Warning);
        QCOMPARE(shown_[0].icon, QMessageBox::Critical);
        QCOMPARE(shown_[0].text, QStringLiteral("Failed to connect: refused"));
        QCOMPARE(shown_[1].icon, QMessageBox::Information);
        QCOMPARE(shown_[1].text, QStringLiteral("Success!"));
        QCOMPARE(shown_[2].icon, QMessageBox::NoIcon);
        QCOMPARE(shown_[2].text, QStringLiteral("plain <b>text</b>"));

        // While disconnecting, what is queued is dropped unseen.
        app->ClientContext().DisconnectingEvent().SetEv();
        queue.PostUserMessage("!stale");
        QTRY_COMPARE(queue.Count(), 0);
        QCOMPARE(shown_.size(), size_t{5});
        app->ClientContext().DisconnectingEvent().ResetEv();

        // A window without the session's services shows its box the same way.
        QList<QMessageBox::Icon> fallback;
        for (const char* message : {"!No current article available", "!Failed to connect: refused"}) {
            AnswerDialog<QMessageBox>([&fallback](QMessageBox* box) {
                fallback << box->icon();
                box->accept();
            });
            PostUserMessage(nullptr, message, nullptr);
        }
        QCOMPARE(fallback, (QList<QMessageBox::Icon>{QMessageBox::Warning, QMessageBox::Critical}));
    }
};

QTEST_MAIN(AppControllerTest)
#include "AppController_test.moc"
