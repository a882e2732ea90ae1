// The active-users window: complete updates against an in-process server
// (numbers first, names after the slow fill), notices, the idle tick,
// sorting, the popup's "Send message" and the column-width settings.
#include "gui/events/ActiveUsersForm.h"

#include <QDir>
#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "core/events/ClientEventsSession.h"
#include "core/events/TAsyncUpdateActiveUsersThread.h"
#include "core/link/MVTransaction.h"
#include "core/wire/WireTokens.h"
#include "core/session/Logon.h"
#include "core/session/SessionCommands.h"
#include "core/session/Client.h"
#include "core/writing/ClientWritingSession.h"
#include "gui/events/EventsController.h"
#include "gui/events/MessagesForm.h"
#include "gui/shell/MainForm.h"
#include "gui/common/MiravoCompletionEdit.h"
#include "server/Server.h"

#include "support/gui/GuiTestSupport.h"
#include "ScriptedLookup.h"
#include "gui/common/GuiServices.h"

using namespace pellar;
using pellar::test::SessionClient;

namespace {


QStringList Column(QTreeWidget* list, int column)
{
    QStringList texts;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        texts << list->topLevelItem(i)->text(column);
    return texts;
}

} // namespace

class ActiveUsersFormTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        std::string error;
        server_ = test::StartQuickDemoServer(&error);
        QVERIFY2(server_, error.c_str());
        for (const char* user : {"Anna Berg", "Erik Holm", "Lena Dahl"}) {
            others_.push_back(std::make_unique<SessionClient>(server_->Port(), user));
            QVERIFY(others_.back()->logon.LogOn());
        }
        me_ = std::make_unique<SessionClient>(server_->Port(), "Demo User");
        QVERIFY(me_->logon.LogOn());
        port_ = std::make_unique<ClientEventsSession>(me_->client);
    }

    void cleanupTestCase()
    {
        port_.reset();
        me_.reset();
        others_.clear();
        server_.reset();
    }

    void refreshWhileOfflineDoesNothing()
    {
        Client offline(test::QuietClientOptions());
        ClientEventsSession offlineEvents(offline);
        TActiveUsersForm form(offlineEvents, nullptr);
        QVERIFY(!form.RefreshActiveAction()->isEnabled());
        form.RefreshActiveActionExecute();
        form.Users().Updater().RequestUpdate();
        QCOMPARE(form.ListView()->topLevelItemCount(), 0);
        QCOMPARE(form.Users().Updater().CompletedUpdates(), 0u);
    }

    void quickFillShowsNumbersAndTheSlowFillNames()
    {
        TActiveUsersForm form(*port_, nullptr);
        QVERIFY(form.RefreshActiveAction()->isEnabled());
        // None of the other persons' names is cached yet: the quick fill can
        // only show numbers, which the slow fill replaces.
        const QString anna = QString::number(others_[0]->client.CurrentPerson());
        QVERIFY(me_->client.Cache().IsNameCached(others_[0]->client.CurrentPerson()) < 0);
        form.RefreshActiveAction()->trigger();
        QTRY_COMPARE(form.ListView()->topLevelItemCount(), 4);
        QTRY_COMPARE(form.Users().Updater().CompletedUpdates(), 1u);
        QStringList users = Column(form.ListView(), colUser);
        users.sort();
        QCOMPARE(users, (QStringList{"Anna Berg", "Demo User", "Erik Holm", "Lena Dahl"}));
        QVERIFY(!Column(form.ListView(), colClient).contains(QString()));
        QVERIFY(!users.contains(anna));

        // A second update refreshes the rows instead of adding more.
        form.RefreshActiveActionExecute();
        QTRY_COMPARE(form.Users().Updater().CompletedUpdates(), 2u);
        QCOMPARE(form.ListView()->topLevelItemCount(), 4);
        Screenshot(form);
    }

    // Seen for the first time in a session, the list is complete without a
    // Refresh; hidden in a minimised frame it asks for nothing; after the
    // session ends the next showing fills it again.
    void theListIsCompleteWhenFirstSeen()
    {
        // As the program keeps it: a minimised frame from the start.
        QMdiArea area;
        area.resize(800, 600);
        auto* form = new TActiveUsersForm(*port_, nullptr);
        QMdiSubWindow* frame = area.addSubWindow(form);
        frame->showMinimized();
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        form->UpdateActions();
        QTest::qWait(400);
        QCOMPARE(form->Users().Updater().CompletedUpdates(), 0u);

        frame->showNormal();
        QTRY_COMPARE(form->Users().Updater().CompletedUpdates(), 1u);
        QTRY_COMPARE(form->ListView()->topLevelItemCount(), 4);

        // Shown again in the same session: no further update of its own.
        frame->showMinimized();
        frame->showNormal();
        QTest::qWait(400);
        QCOMPARE(form->Users().Updater().CompletedUpdates(), 1u);

        form->SessionEnded();
        QCOMPARE(form->ListView()->topLevelItemCount(), 0);
        frame->showMinimized();
        frame->showNormal();
        QTRY_COMPARE(form->Users().Updater().CompletedUpdates(), 2u);
        QTRY_COMPARE(form->ListView()->topLevelItemCount(), 4);
    }

    void noticesIdleTickAndSorting()
    {
        Client offline(test::QuietClientOptions());
        ClientEventsSession offlineEvents(offline);
        TActiveUsersForm form(offlineEvents, nullptr);
        form.AddSession(7, 30, "bo", "pellar (0.1)", "bo", "host", "x");
        form.AddSession(8, 10, "Bo", "", "", "", "");
        form.AddSession(9, 20, "anna", "", "", "", "");
        form.UpdatePresence("Cecilia", "Music", 2, "read", "c@h");
        QCOMPARE(form.ListView()->topLevelItemCount(), 4);
        QCOMPARE(form.ListView()->topLevelItem(3)->text(colUser), QStringLiteral("Cecilia"));
        QCOMPARE(form.ListView()->topLevelItem(3)->text(colIdle), QStringLiteral("0"));

        form.ListView()->header()->sectionClicked(colUser);
        QCOMPARE(Column(form.ListView(), colSession), (QStringList{"20", "10", "30", "2"}));
        form.ListView()->header()->sectionClicked(colSession);
        QCOMPARE(Column(form.ListView(), colSession), (QStringList{"2", "10", "20", "30"}));

        QCOMPARE(form.IdleTimer()->interval(), 60000);
        QVERIFY(form.IdleTimer()->isActive());
        form.IdleTimerTimer();
        QCOMPARE(Column(form.ListView(), colIdle), (QStringList{"1", "1", "1", "1"}));
        form.RemoveSession(8, 10, "Bo");
        QCOMPARE(Column(form.ListView(), colSession), (QStringList{"2", "20", "30"}));
        form.ClearRows();
        QCOMPARE(form.ListView()->topLevelItemCount(), 0);
    }

    void popupSendMessageFillsTheMainMessagesWindow()
    {
        Client offline(test::QuietClientOptions());
        ClientEventsSession offlineEvents(offline);
        ClientWritingSession offlineWriting(offline);
        TMainForm main;
        EventsController events(offlineEvents, offlineWriting, main);
        events.AddSession(7, 30, "Erik Holm", "", "", "", "");
        QTreeWidget* list = events.ActiveUsers()->ListView();
        list->setCurrentItem(list->topLevelItem(0));
        events.ActiveUsers()->SendMessagePopupAction()->trigger();
        QCOMPARE(events.MainMessages()->TargetEdit()->text(), QStringLiteral("Erik Holm"));
        // Disconnect clears the list, and takes instant tracking's mark
        // off: the next logon does not ask for presence reports.
        events.ActiveUsers()->InstantUpdateActiveAction()->setChecked(true);
        events.Disconnected();
        QCOMPARE(list->topLevelItemCount(), 0);
        QVERIFY(!events.ActiveUsers()->InstantUpdateActiveAction()->isChecked());
    }

    void popupViewPresentationTakesOneMatchAndOffersSeveral()
    {
        Client offline(test::QuietClientOptions());
        ClientEventsSession offlineEvents(offline);
        test::ScriptedLookup names;
        names.Add("Erik Holm", "Erik Holm", 7);
        names.Add("Anna", "Anna Berg", 5);
        names.Add("Anna", "Anna Lind", 9);
        std::vector<int32_t> shown;
        std::vector<size_t> offered;
        GuiServices services;
        services.names = &names;
        services.showPresentation = [&shown](int32_t n) { shown.push_back(n); };
        services.chooseName = [&offered](const std::vector<NameMatch>& matches, QWidget*) -> std::optional<int32_t> {
            offered.push_back(matches.size());
            return matches.back().number;
        };
        TActiveUsersForm form(offlineEvents, &services);
        form.AddSession(7, 30, "Erik Holm", "", "", "", "");
        form.AddSession(5, 31, "Anna", "", "", "", "");
        QTreeWidget* list = form.ListView();
        list->setCurrentItem(list->topLevelItem(0));
        form.ViewPresentationPopupAction()->trigger();
        QCOMPARE(shown, std::vector<int32_t>{7});
        QVERIFY(offered.empty());

        // Two persons match: the user chooses, nothing is taken silently.
        list->setCurrentItem(list->findItems(QStringLiteral("31"), Qt::MatchExactly, 0).value(0));
        form.ViewPresentationPopupAction()->trigger();
        QCOMPARE(offered, std::vector<size_t>{2});
        QCOMPARE(shown, (std::vector<int32_t>{7, 9}));

        // Cancelling the chooser shows nothing.
        services.chooseName = [](const std::vector<NameMatch>&, QWidget*) { return std::optional<int32_t>(); };
        form.ViewPresentationPopupAction()->trigger();
        QCOMPARE(shown.size(), size_t{2});
    }

    void columnWidthsComeFromAndGoToTheSettings()
    {
        Client offline(test::QuietClientOptions());
        offline.Config().WriteString("WhoIsOnListCol3", "250");
        offline.Config().WriteString("WhoIsOnListCol1", "wide");
        ClientEventsSession offlineEvents(offline);
        TActiveUsersForm form(offlineEvents, nullptr);
        form.ApplyWindowSettings();
        QCOMPARE(form.ListView()->columnWidth(colActivity), 250);
        QCOMPARE(form.ListView()->columnWidth(colUser), 200);
        form.ListView()->setColumnWidth(colHost, 123);
        form.SaveColumnWidths();
        QCOMPARE(offline.Config().ReadString("WhoIsOnListCol7", ""), std::string("123"));
        QCOMPARE(offline.Config().ReadString("WhoIsOnListCol3", ""), std::string("250"));
    }

private:
    void Screenshot(TActiveUsersForm& form)
    {
        const QString dir = qEnvironmentVariable("PELLAR_SCREENSHOT_DIR");
        if (dir.isEmpty())
            return;
        form.resize(900, 300);
        form.show();
        QTRY_VERIFY(form.isVisible());
        QVERIFY(form.grab().save(dir + QStringLiteral("/active-users-window.png")));
    }

    std::unique_ptr<miravod::Server> server_;
    std::vector<std::unique_ptr<SessionClient>> others_;
    std::unique_ptr<SessionClient> me_;
    std::unique_ptr<ClientEventsSession> port_;
};

QTEST_MAIN(ActiveUsersFormTest)
#include "ActiveUsersForm_test.moc"
