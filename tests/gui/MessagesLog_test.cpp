// The messages window's log kept between runs: what arrives is written to
// the profile's private file, comes back in a new run, goes with Clear, and
// is neither written nor restored with the setting off.
#include "gui/events/EventsController.h"

#include <QAction>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

#include "core/config/TMiravoConfiguration.h"
#include "core/events/MessageLog.h"
#include "gui/events/MessagesForm.h"
#include "gui/shell/MainForm.h"
#include "gui/common/MiravoTextEdit.h"
#include "server/Server.h"

#include "support/gui/GuiTestSupport.h"

using namespace pellar;
using pellar::test::SessionClient;

class MessagesLogTest : public QObject {
    Q_OBJECT

private:
    static constexpr const char* kProfile = "Profiles\\Work";

    // A new run of the events side: what a restart of the program makes.
    void Restart()
    {
        events_.reset();
        events_ = std::make_unique<EventsController>(me_->client, *main_);
        events_->SetMessageLogDir(dir_);
        events_->SetEnabled(true);
        events_->UpdateActions();
        events_->OpenMessageLog(kProfile);
    }

    QString Shown() { return events_->MainMessages()->IncomingEdit()->toPlainText(); }

    void Receive(const std::string& text)
    {
        QVERIFY(anna_->Send(me_->client.CurrentPerson(), text));
        QTRY_VERIFY(Shown().contains(QString::fromStdString(text)));
    }

    std::filesystem::path File() { return MessageLog::FileFor(dir_, kProfile); }

    std::unique_ptr<miravod::Server> server_;
    std::unique_ptr<SessionClient> me_, anna_;
    std::unique_ptr<TMainForm> main_;
    std::unique_ptr<EventsController> events_;
    QTemporaryDir temp_;
    std::filesystem::path dir_;

private slots:
    void initTestCase()
    {
        dir_ = std::filesystem::path(temp_.path().toStdString()) / "messages";
        std::string error;
        server_ = test::StartQuickDemoServer(&error);
        QVERIFY2(server_, error.c_str());
        me_ = std::make_unique<SessionClient>(server_->Port(), "Demo User");
        anna_ = std::make_unique<SessionClient>(server_->Port(), "Anna Berg");
        main_ = std::make_unique<TMainForm>();
        main_->show();
        QVERIFY(me_->logon.LogOn());
        QVERIFY(anna_->logon.LogOn());
        Restart();
    }

    void cleanupTestCase()
    {
        events_.reset();
        main_.reset();
        anna_.reset();
        me_.reset();
        server_.reset();
    }

    void receivedMessagesAreWrittenAndComeBackInTheNextRun()
    {
        QVERIFY(events_->MainMessages()->KeepMessagesAction()->isChecked());
        Receive("Kept across restarts");
        QVERIFY(events_->KeptMessages());
        QTRY_VERIFY(std::filesystem::exists(File()));
        struct stat info {};
        QCOMPARE(::stat(File().c_str(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0600u);

        Restart();
        QVERIFY2(Shown().contains(QStringLiteral("Kept across restarts")), qPrintable(Shown()));
        QVERIFY(Shown().contains(QStringLiteral("from Anna Berg:")));
        // Shown again, not kept twice.
        QCOMPARE(events_->KeptMessages()->Entries().size(), size_t{1});
        Receive("Second one");
        QCOMPARE(events_->KeptMessages()->Entries().size(), size_t{2});
    }

    void anotherProfileHasItsOwnLog()
    {
        events_.reset();
        events_ = std::make_unique<EventsController>(me_->client, *main_);
        events_->SetMessageLogDir(dir_);
        events_->SetEnabled(true);
        events_->OpenMessageLog("Profiles\\Home");
        QVERIFY(!Shown().contains(QStringLiteral("Kept across restarts")));
        Restart();
        QVERIFY(Shown().contains(QStringLiteral("Kept across restarts")));
    }

    void clearEmptiesTheWindowAndForgetsTheFile()
    {
        QVERIFY(std::filesystem::exists(File()));
        events_->MainMessages()->ClearMessagesAction()->trigger();
        QCOMPARE(Shown(), QString());
        QVERIFY(!std::filesystem::exists(File()));
        Restart();
        QCOMPARE(Shown(), QString());
        // Still kept from here on.
        Receive("After the clear");
        QTRY_VERIFY(std::filesystem::exists(File()));
    }

    void withTheSettingOffNothingIsWrittenOrRestored()
    {
        QAction* keep = events_->MainMessages()->KeepMessagesAction();
        QVERIFY(keep->isChecked());
        keep->trigger();
        QVERIFY(!keep->isChecked());
        QVERIFY(!me_->client.Config().ReadFlag(EventsController::kKeepMessagesKey, true));
        // Turning it off removes what was kept.
        QVERIFY(!std::filesystem::exists(File()));
        Receive("Not to be kept");
        QVERIFY(!std::filesystem::exists(File()));
        Restart();
        QVERIFY(!Shown().contains(QStringLiteral("Not to be kept")));
        QVERIFY(!events_->KeptMessages());
        QVERIFY(!events_->MainMessages()->KeepMessagesAction()->isChecked());
        me_->client.Config().WriteFlag(EventsController::kKeepMessagesKey, true);
    }
};

QTEST_MAIN(MessagesLogTest)
#include "MessagesLog_test.moc"
