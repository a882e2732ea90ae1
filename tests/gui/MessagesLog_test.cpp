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
#include "support/gui/MessagingSessions.h"

using namespace pellar;

class MessagesLogTest : public QObject, private test::MessagingSessions {
    Q_OBJECT

private:
    static constexpr const char* kProfile = "Profiles\\Work";

    // A new run of the events side: what a restart of the program makes.
    void Restart()
    {
        events.reset();
        events = std::make_unique<EventsController>(*meEvents, *meWriting, *main);
        events->SetMessageLogDir(dir_);
        events->SetEnabled(true);
        events->UpdateActions();
        events->OpenMessageLog(kProfile);
    }

    QString Shown() { return events->MainMessages()->IncomingEdit()->toPlainText(); }

    void Receive(const std::string& text)
    {
        QVERIFY(anna->Send(me->client.CurrentPerson(), text));
        QTRY_VERIFY(Shown().contains(QString::fromStdString(text)));
    }

    std::filesystem::path File() { return MessageLog::FileFor(dir_, kProfile); }

    QTemporaryDir temp_;
    std::filesystem::path dir_;

private slots:
    void initTestCase()
    {
        dir_ = std::filesystem::path(temp_.path().toStdString()) / "messages";
        std::string error;
        QVERIFY2(Start(&error), error.c_str());
        Restart();
    }

    void cleanupTestCase() { Stop(); }

    void receivedMessagesAreWrittenAndComeBackInTheNextRun()
    {
        QVERIFY(events->MainMessages()->KeepMessagesAction()->isChecked());
        Receive("Kept across restarts");
        QVERIFY(events->KeptMessages());
        QTRY_VERIFY(std::filesystem::exists(File()));
        struct stat info {};
        QCOMPARE(::stat(File().c_str(), &info), 0);
        QCOMPARE(info.st_mode & 0777, 0600u);

        Restart();
        QVERIFY2(Shown().contains(QStringLiteral("Kept across restarts")), qPrintable(Shown()));
        QVERIFY(Shown().contains(QStringLiteral("from Anna Berg:")));
        // Shown again, not kept twice.
        QCOMPARE(events->KeptMessages()->Entries().size(), size_t{1});
        Receive("Second one");
        QCOMPARE(events->KeptMessages()->Entries().size(), size_t{2});
    }

    void anotherProfileHasItsOwnLog()
    {
        events.reset();
        events = std::make_unique<EventsController>(*meEvents, *meWriting, *main);
        events->SetMessageLogDir(dir_);
        events->SetEnabled(true);
        events->OpenMessageLog("Profiles\\Home");
        QVERIFY(!Shown().contains(QStringLiteral("Kept across restarts")));
        Restart();
        QVERIFY(Shown().contains(QStringLiteral("Kept across restarts")));
    }

    void clearEmptiesTheWindowAndForgetsTheFile()
    {
        QVERIFY(std::filesystem::exists(File()));
        events->MainMessages()->ClearMessagesAction()->trigger();
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
        QAction* keep = events->MainMessages()->KeepMessagesAction();
        QVERIFY(keep->isChecked());
        keep->trigger();
        QVERIFY(!keep->isChecked());
        QVERIFY(!me->client.Config().ReadFlag(EventsController::kKeepMessagesKey, true));
        // Turning it off removes what was kept.
        QVERIFY(!std::filesystem::exists(File()));
        Receive("Not to be kept");
        QVERIFY(!std::filesystem::exists(File()));
        Restart();
        QVERIFY(!Shown().contains(QStringLiteral("Not to be kept")));
        QVERIFY(!events->KeptMessages());
        QVERIFY(!events->MainMessages()->KeepMessagesAction()->isChecked());
        me->client.Config().WriteFlag(EventsController::kKeepMessagesKey, true);
    }
};

QTEST_MAIN(MessagesLogTest)
#include "MessagesLog_test.moc"
