// Waiting for the server on the GUI thread: the event loop keeps running,
// a wait that lasts shows what it waits for with Cancel, and Cancel ends just
// that wait (a request fails, a connect or greeting wait gives up) while the
// window stays usable.
#include "core/link/MVTransaction.h"
#include "core/session/Client.h"
#include "gui/dialogs/LoginForm.h"
#include "gui/shell/AppController.h"
#include "gui/shell/ConnectingForm.h"
#include "gui/shell/QtSessionUi.h"
#include "gui/shell/MainForm.h"
#include "gui/shell/MainMenus.h"
#include "gui/shell/QtBlockingWait.h"
#include "gui/shell/UserMessagePresenter.h"
#include "gui/shell/WaitForm.h"
#include "server/Server.h"
#include "tests/support/UnansweredListener.h"
#include "support/ClientHarness.h"

#include "support/gui/AppDriving.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <memory>

using namespace pellar;
using pellar::test::AnswerDialog;

namespace {

constexpr int kReplyDelayMs = 1500;

std::unique_ptr<miravod::Server> StartServer(miravod::ServerOptions options)
{
    options.passwordIterations = 1000;
    std::string error;
    return test::StartDemoServer(&error, options);
}

// Connects the client and has its waits go through `waits`.
bool ConnectedWithBlockingWait(Client& client, int port, QtBlockingWait& waits)
{
    client.ComThread().Connect("127.0.0.1", std::to_string(port));
    if (client.ConnectedEvent().WaitFor(5000) != WaitResult::Signaled)
        return false;
    client.SetBlockingWait(&waits);
    return true;
}

// Presses Cancel in the next wait box; records its text and when.
struct CancelNextBox {
    QString text;
    QElapsedTimer pressed;

    void Arm()
    {
        AnswerDialog<TWaitForm>([this](TWaitForm* box) {
            text = box->WaitLabel()->text();
            pressed.start();
            box->CancelButton()->click();
        });
    }
};

// Presses Cancel in the logon's connecting box once it offers one; records
// what the box said it waits for, the step above it, and when.
struct CancelInConnectingBox {
    // Pressed only once the box says this (empty: at its first Cancel): a
    // busy machine may show the box while an earlier step still runs.
    QString until;
    QString waitText;
    QString stepText;
    bool cancelVisible = false;
    bool otherBoxUp = false;
    QElapsedTimer pressed;

    void Arm(AppController& app)
    {
        auto* poll = new QTimer(qApp);
        QObject::connect(poll, &QTimer::timeout, poll, [this, poll, &app] {
            TConnectingForm* box = app.Ui().ProgressWindow();
            if (!box || !box->isVisible() || !box->CancelButton()->isEnabled())
                return;
            if (!until.isEmpty() && box->WaitLabel()->text() != until)
                return;
            poll->stop();
            poll->deleteLater();
            waitText = box->WaitLabel()->text();
            stepText = box->EventLabel()->text();
            cancelVisible = box->CancelButton()->isVisible();
            otherBoxUp = qobject_cast<TWaitForm*>(QApplication::activeModalWidget()) != nullptr;
            pressed.start();
            box->CancelButton()->click();
        });
        poll->start(10);
    }
};

} // namespace

class QtBlockingWaitTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<AppController> MakeController()
    {
        auto app = std::make_unique<AppController>(test::QuietAppOptions(state_));
        app->Messages().SetShower([this](QMessageBox::Icon, const QString& text) { shown_.push_back(text); });
        return app;
    }

    // Connect through the window, pressing Cancel in the connecting box: the
    // logon's one box says what it waits for and offers Cancel itself (no
    // wait box of its own over or under it); the window must come back
    // offline and usable.
    void CancelConnectTo(AppController& app, const QString& port, const QString& expectedWait,
                         const QString& expectedStep)
    {
        CancelInConnectingBox cancel;
        cancel.until = expectedWait;
        cancel.Arm(app);
        const int boxesBefore = app.Waits().BoxesShown();
        test::AnswerLogin(port);
        app.MainWindow().Menus()->SessionConnectAction->trigger();
        QVERIFY2(cancel.pressed.isValid(), "the connecting box offered no Cancel");
        const qint64 tookMs = cancel.pressed.elapsed();
        qInfo("Cancel to offline: %lld ms", tookMs);
        QVERIFY2(tookMs < 2000, "the attempt did not end on Cancel");
        QCOMPARE(cancel.waitText, expectedWait);
        QCOMPARE(cancel.stepText, expectedStep);
        QVERIFY(cancel.cancelVisible);
        QVERIFY(!cancel.otherBoxUp);
        QCOMPARE(app.Waits().BoxesShown(), boxesBefore);
        QVERIFY(app.Waits().HostedWaits() > 0);
        QVERIFY(!app.Ui().ProgressWindow() || !app.Ui().ProgressWindow()->isVisible());
        QVERIFY(!app.MainWindow().IsOnline());
        QVERIFY(app.MainWindow().Menus()->SessionConnectAction->isEnabled());
        QVERIFY(!app.MainWindow().Menus()->SessionDisconnectAction->isEnabled());
        QCOMPARE(app.MainWindow().windowTitle(), QStringLiteral("Pellar"));
        QVERIFY(!app.ClientContext().ConnectedEvent().IsSet());
        QTRY_VERIFY(app.ClientContext().ComThread().Idle());
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        QVERIFY(shown_.empty());
    }

    QTemporaryDir state_;
    std::vector<QString> shown_;

private slots:
    void init() { shown_.clear(); }

    void cancelEndsAConnectToAHostThatNeverAnswers()
    {
        test::UnansweredListener silent;
        if (!silent.Holds())
            QSKIP("this kernel completes every connection");
        auto app = MakeController();
        const QString port = QString::fromStdString(silent.PortText());
        CancelConnectTo(*app, port, QStringLiteral("Connecting to 127.0.0.1:%1...").arg(port),
                        QStringLiteral("Connecting..."));

        // Usable: the next Connect reaches a real server.
        auto server = StartServer({});
        QVERIFY(server);
        QVERIFY(test::ConnectThroughLogin(*app, server->Port()));
        app->Disconnect();
    }

    void cancelEndsAWaitForAGreetingThatNeverComes()
    {
        miravod::ServerOptions options;
        options.withholdGreeting = true;
        auto server = StartServer(options);
        QVERIFY(server);
        auto app = MakeController();
        const QString port = QString::number(server->Port());
        CancelConnectTo(*app, port, QStringLiteral("Waiting for 127.0.0.1:%1 to answer...").arg(port),
                        QStringLiteral("Waiting for initial negotiation..."));
        QVERIFY(app->ClientContext().ComThread().LinkDown());
    }

    void aSlowReplyShowsTheBoxAndCancelFailsJustThatRequest()
    {
        miravod::ServerOptions options;
        options.replyDelayMs = kReplyDelayMs;
        auto server = StartServer(options);
        QVERIFY(server);
        QtBlockingWait waits;
        Client client(test::QuietClientOptions());
        QVERIFY(ConnectedWithBlockingWait(client, server->Port(), waits));

        // The event loop runs all through the wait.
        int ticks = 0;
        QTimer probe;
        connect(&probe, &QTimer::timeout, this, [&] { ++ticks; });
        probe.start(20);

        // Another request already on its way is not touched by the cancel.
        TGenericTrans other(client.Protocol(), "Get time", requests::GetTime());
        auto otherSync = std::make_shared<TSyncronizer>();
        otherSync->Acquire();
        client.Transactions().Execute(other, otherSync);

        CancelNextBox cancel;
        cancel.Arm();
        TGenericTrans slow(client.Protocol(), "Get server info", requests::GetServerInfo());
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!client.Transactions().ExecuteAndWait(slow));
        const qint64 waited = clock.elapsed();
        QVERIFY2(cancel.pressed.isValid(), "no wait box was shown");
        QCOMPARE(cancel.text, QStringLiteral("Waiting for Get server info..."));
        QVERIFY2(waited >= 900, "the box came before the wait had lasted");
        QVERIFY2(waited < kReplyDelayMs, "the wait ran on to the reply");
        QVERIFY(ticks >= 20);
        QVERIFY(slow.ReplyLine().empty());

        // The other request completes normally, and so does the next one:
        // the late reply of the cancelled one is skipped.
        QTRY_VERIFY_WITH_TIMEOUT(otherSync->WaitFor(0) == WaitResult::Signaled, 5000);
        QVERIFY(other.Success());
        TGenericTrans next(client.Protocol(), "Get server info", requests::GetServerInfo());
        const int boxes = waits.BoxesShown();
        QVERIFY(client.Transactions().ExecuteAndWait(next));
        QVERIFY(!next.ReplyLine().empty());
        QCOMPARE(waits.BoxesShown(), boxes + 1);
        QVERIFY(QApplication::activeModalWidget() == nullptr);
        client.SetBlockingWait(nullptr);
    }

    void quietWaitsBackToBackShareOneBudgetBeforeTheLoopRuns()
    {
        // Each wait alone is shorter than the quiet budget; one after
        // another on the GUI thread, they would keep the event loop away for
        // their sum. Past the budget a wait runs the loop (and the timer).
        QtBlockingWait waits;
        bool loopRan = false;
        QTimer::singleShot(0, this, [&] { loopRan = true; });
        QElapsedTimer clock;
        clock.start();
        const int each = QtBlockingWait::kQuietMs * 2 / 3;
        int waited = 0;
        for (; waited < 3 && !loopRan; ++waited) {
            QElapsedTimer own;
            own.start();
            WaitPlan plan;
            plan.what = "quiet";
            plan.waitFor = [&](int timeoutMs) {
                const qint64 left = each - own.elapsed();
                if (left > timeoutMs) {
                    QThread::msleep(static_cast<unsigned long>(std::max(timeoutMs, 0)));
                    return false;
                }
                QThread::msleep(static_cast<unsigned long>(std::max<qint64>(left, 0)));
                return true;
            };
            QCOMPARE(waits.Wait(plan), WaitOutcome::Done);
        }
        QVERIFY2(loopRan, "the event loop ran within the waits");
        QCOMPARE(waited, 2);
        QCOMPARE(waits.NestedWaits(), 1);
    }

    void aWaitStartedInsideAnotherUnwindsInOrder()
    {
        miravod::ServerOptions options;
        options.replyDelayMs = 300;
        auto server = StartServer(options);
        QVERIFY(server);
        QtBlockingWait waits;
        Client client(test::QuietClientOptions());
        QVERIFY(ConnectedWithBlockingWait(client, server->Port(), waits));

        std::vector<std::string> finished;
        TGenericTrans inner(client.Protocol(), "inner", requests::GetTime());
        QTimer::singleShot(100, this, [&] {
            QVERIFY(client.Transactions().ExecuteAndWait(inner));
            finished.push_back("inner");
        });
        TGenericTrans outer(client.Protocol(), "outer", requests::GetTime());
        QVERIFY(client.Transactions().ExecuteAndWait(outer));
        finished.push_back("outer");
        QCOMPARE(finished, (std::vector<std::string>{"inner", "outer"}));
        QVERIFY(inner.Success());
        QVERIFY(waits.NestedWaits() >= 2);
        client.SetBlockingWait(nullptr);
    }
};

QTEST_MAIN(QtBlockingWaitTest)
#include "QtBlockingWait_test.moc"
