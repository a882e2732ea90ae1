// The reading window against the reference server with its demo data: the
// conference list with unread counts, read next through the worker, the
// subject tree, history, read confirmation, and server text kept literal.
#include "core/wire/TMiravoMembership.h"
#include "core/wire/TMiscInfo.h"
#include "core/wire/TextStatType.h"
#include "core/reading/SubjectTreeAsyncThread.h"
#include "core/session/MVCache.h"
#include "core/writing/ClientReadingSession.h"
#include "gui/reading/ArticleViewForm.h"
#include "gui/reading/ConfListView.h"
#include "gui/reading/FindDialog.h"
#include "gui/reading/ReadArticleActions.h"
#include "gui/reading/ReadArticleForm.h"
#include "gui/reading/ReadingCommands.h"
#include "gui/reading/SubjectTreeItemModel.h"
#include "gui/reading/SubjectTreeView.h"
#include "gui/common/GuiServices.h"
#include "gui/common/MainStatusBar.h"
#include "gui/common/MainWindow.h"
#include "gui/common/MiravoTextEdit.h"
#include "support/gui/GuiTestSupport.h"
#include "support/gui/PreparedArticles.h"

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QMenu>
#include <QSignalSpy>
#include <QTest>

using namespace pellar;

class ReadArticleFormTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::DemoSession> session_;
    GuiServices services_;
    std::unique_ptr<ClientReadingSession> port_;
    std::unique_ptr<TReadArticleForm> form_;

    int32_t Unread(int32_t conf)
    {
        const auto membership = session_->client.Cache().GetMembership(conf);
        return membership ? membership->UnreadCount() : -1;
    }
    QString Article() const { return form_->ArticleView()->MainEdit()->toPlainText(); }

private slots:
    void init()
    {
        session_ = std::make_unique<test::DemoSession>();
        std::string why;
        QVERIFY2(session_->Start(&why), why.c_str());
        port_ = std::make_unique<ClientReadingSession>(session_->client);
        form_ = std::make_unique<TReadArticleForm>(*port_, services_);
        form_->SetSessionCommands(&session_->commands);
        form_->SetSessionUi(&session_->ui);
        form_->Prompts().SetMessageShower([this](const std::string& text) { boxes_.push_back(text); });
        form_->resize(1000, 720);
        form_->show();
        form_->SetOnlineCommands(true);
        form_->RefreshConferenceList();
        form_->OnConnected();
    }

    void cleanup()
    {
        form_.reset();
        port_.reset();
        session_.reset();
        boxes_.clear();
    }

    void conferenceListShowsUnreadConferencesWithCounts()
    {
        TConfListView* list = form_->ConfListView();
        QVERIFY(list->RowCount() >= 2);
        QVERIFY(form_->Actions()->ReadNextAction()->isEnabled());
        int32_t lastPriority = INT32_MAX;
        for (int row = 0; row < list->RowCount(); ++row) {
            const int32_t conf = list->RowConference(row);
            const auto item = list->Row(conf);
            QVERIFY(item);
            QCOMPARE(item->unread, Unread(conf));
            QVERIFY(Unread(conf) > 0);
            QVERIFY(!item->name.empty());
            QVERIFY(item->name != "*Unknown*");
            // Highest priority first by default.
            const int32_t priority = item->priority;
            QVERIFY(priority <= lastPriority);
            lastPriority = priority;
        }
        // A click on "Priority" inverts the order; the first row was selected at refresh.
        const int32_t top = list->RowConference(0);
        const int32_t bottom = list->RowConference(list->RowCount() - 1);
        list->Sort();
        QCOMPARE(list->RowConference(0), top);
        emit list->header()->sectionClicked(TConfListView::PriorityColumn);
        QCOMPARE(list->RowConference(0), bottom);
        QCOMPARE(list->SelectedConference(), top);
    }

    // Nothing stored (a fresh profile): the Name column at its classic width,
    // and still every column of the list in view; the commented-text pane a
    // few lines tall.
    void aFreshProfileGetsReadableDefaultPaneSizes()
    {
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        TConfListView* list = form_->ConfListView();
        QCOMPARE(list->columnWidth(TConfListView::NameColumn), 300);
        QHeaderView* header = list->header();
        const int unreadEnd = header->sectionViewportPosition(TConfListView::UnreadColumn) +
                              header->sectionSize(TConfListView::UnreadColumn);
        QVERIFY2(unreadEnd <= list->viewport()->width(),
                 qPrintable(QStringLiteral("Unread ends at %1 of %2").arg(unreadEnd).arg(list->viewport()->width())));
        QVERIFY(form_->SubjectTreeView()->width() >= 150);
        if (form_->CommentedEdit()->isVisible()) {
            QCOMPARE(form_->CommentedEdit()->height(), 80);
            QVERIFY(form_->CommentedEdit()->height() >= 3 * form_->CommentedEdit()->fontMetrics().height());
        }

        // Too narrow a window for the full Name column: narrower, Unread in view.
        const auto relayout = [this] {
            // The window's layout runs from the event loop before the panes are measured.
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
            form_->ApplyLayout();
        };
        form_->resize(640, 600);
        relayout();
        QVERIFY(list->columnWidth(TConfListView::NameColumn) < 300);
        QVERIFY(list->columnWidth(TConfListView::NameColumn) >= 120);
        QTRY_VERIFY(header->sectionViewportPosition(TConfListView::UnreadColumn) +
                        header->sectionSize(TConfListView::UnreadColumn) <=
                    list->viewport()->width());
        // Room again: the full width back.
        form_->resize(1000, 720);
        relayout();
        QCOMPARE(list->columnWidth(TConfListView::NameColumn), 300);
        // A stored width is the user's: kept whatever the window's width.
        session_->client.Config().WriteInt("ConfListListCol1", 260);
        form_->resize(640, 600);
        relayout();
        QCOMPARE(list->columnWidth(TConfListView::NameColumn), 260);
    }

    // "Working..." is for work that lasts: a quick step paints nothing.
    void theBusyTextShowsOnlyForWorkThatLasts()
    {
        struct Frame : MainWindow {
            TMainStatusBar* bar = new TMainStatusBar(this);
            TMainStatusBar* StatusBar1() const override { return bar; }
            QMdiArea* MdiArea() const override { return nullptr; }
            QMdiSubWindow* AddChildWindow(QWidget*) override { return nullptr; }
        } frame;
        form_->SetMainForm(&frame);
        QVERIFY(form_->BeginWork());
        form_->EndWork();
        QTest::qWait(300);
        QCOMPARE(frame.bar->BusyText(), QString());

        QVERIFY(form_->BeginWork());
        QCOMPARE(frame.bar->BusyText(), QString());
        QTRY_COMPARE(frame.bar->BusyText(), QStringLiteral("Working..."));
        form_->EndWork();
        QCOMPARE(frame.bar->BusyText(), QString());
        form_->SetMainForm(nullptr);
    }

    void readNextShowsTheFirstUnreadTextAndMarksItRead()
    {
        TConfListView* list = form_->ConfListView();
        const int32_t conf = list->RowConference(0);
        // The builder walks the same reading order without marking anything.
        QTRY_VERIFY(!form_->SubjectTreeView()->TextsInTreeOrder().empty());
        const int32_t expected = form_->SubjectTreeView()->TextsInTreeOrder().front();
        const int32_t before = Unread(conf);
        QSignalSpy shown(form_.get(), &TReadArticleForm::TextShown);

        form_->ReadNext();
        QTRY_COMPARE(shown.count(), 1);
        QTRY_COMPARE(form_->BusyCount(), 0);
        QCOMPARE(shown.front().front().value<int32_t>(), expected);
        QCOMPARE(form_->ReadStatus().CurrentText(), expected);
        QVERIFY(Article().startsWith(QString::number(expected) + QLatin1Char(' ')));
        QVERIFY(Article().contains(QStringLiteral("--- %1 ---").arg(expected)));
        // The text and its footnotes are read now.
        const auto stat = session_->client.Cache().GetTextStat(expected);
        QVERIFY(stat);
        int footnotes = 0;
        stat->ForEachMiscInfo<TMiscInfoFootIn>([&](const TMiscInfoFootIn&) { ++footnotes; });
        const int32_t after = before - 1 - footnotes;
        QCOMPARE(Unread(conf), after);
        QTRY_COMPARE(list->Row(conf)->unread, after);
        int32_t local = 0;
        stat->ForEachMiscInfo<TMiscInfoRcpt>([&](const TMiscInfoRcpt& r) {
            if (r.confNo == conf)
                local = r.localNo;
        });
        QVERIFY(local > 0);
        // And the server has it: memberships loaded afresh say so.
        session_->client.Cache().FlushMarkRead(true);
        session_->logon.LoadMemberships();
        QVERIFY(session_->client.Cache().GetMembership(conf)->IsRead(local));
        QCOMPARE(form_->History().Size(), 1);
        test::SaveScreenshot(form_.get(), QStringLiteral("reading-window"));

        // A command while the busy counter is up is refused.
        QVERIFY(form_->BeginWork());
        form_->ReadNext();
        QCOMPARE(shown.count(), 1);
        form_->EndWork();
    }

    // Unread texts stand out in bold; once read next has read one it is
    // shown plain, and the others stay bold.
    void subjectTreeShowsUnreadTextsInBold()
    {
        TSubjectTreeView* tree = form_->SubjectTreeView();
        QTRY_VERIFY(tree->TextsInTreeOrder().size() >= 2);
        const auto boldOf = [tree](int32_t text) {
            return tree->TreeModel()->FirstIndexOfText(text).data(Qt::FontRole).value<QFont>().bold();
        };
        const std::vector<int32_t> texts = tree->TextsInTreeOrder();
        for (const int32_t text : texts) {
            QVERIFY2(boldOf(text), qPrintable(QString::number(text)));
            QVERIFY(tree->IsShownUnread(text));
        }
        // Subject nodes are not texts: plain.
        QVERIFY(!tree->model()->index(0, 0).data(Qt::FontRole).value<QFont>().bold());

        QSignalSpy shown(form_.get(), &TReadArticleForm::TextShown);
        form_->ReadNext();
        QTRY_COMPARE(shown.count(), 1);
        QTRY_COMPARE(form_->BusyCount(), 0);
        const int32_t read = shown.front().front().value<int32_t>();
        QCOMPARE(read, texts.front());
        QVERIFY(!boldOf(read));
        QVERIFY(!tree->IsShownUnread(read));
        int stillBold = 0;
        for (const int32_t text : texts)
            stillBold += boldOf(text) ? 1 : 0;
        QVERIFY(stillBold >= 1);
        QVERIFY(stillBold < int(texts.size()));

        // Once the tree is whole, a step's own read marks are all the
        // refresh takes in: no look at every row.
        SubjectTreeAsyncThread* builder = form_->SubjectTreeBuilder();
        QTRY_VERIFY(builder->RunsCompleted() >= 1 && builder->IsIdle());
        form_->Reader().RefreshTreeReadMarks();
        const int walks = form_->Reader().TreeMarkWalks();
        form_->ReadNext();
        QTRY_COMPARE(shown.count(), 2);
        QTRY_COMPARE(form_->BusyCount(), 0);
        const int32_t second = shown.back().front().value<int32_t>();
        QVERIFY(second != read);
        QVERIFY(!tree->IsShownUnread(second));
        QVERIFY(!boldOf(second));
        QCOMPARE(form_->Reader().TreeMarkWalks(), walks);
    }

    void subjectTreeListsTheConferenceTextsUnderTheirAuthors()
    {
        const int32_t conf = form_->ConfListView()->SelectedConference();
        QVERIFY(conf != 0);
        QTRY_COMPARE(static_cast<int32_t>(form_->SubjectTreeView()->TextsInTreeOrder().size()), Unread(conf));
        MVCache& cache = session_->client.Cache();
        TSubjectTreeView* tree = form_->SubjectTreeView();
        const QAbstractItemModel* model = tree->model();
        QVERIFY(model->rowCount() > 0);
        for (int i = 0; i < model->rowCount(); ++i) {
            const QModelIndex subject = model->index(i, 0);
            QCOMPARE(SubjectTreeItemModel::TextAt(subject), 0);
            QVERIFY(model->rowCount(subject) > 0);
            const QModelIndex first = model->index(0, 0, subject);
            const auto stat = cache.GetTextStat(SubjectTreeItemModel::TextAt(first));
            QVERIFY(stat);
            QCOMPARE(first.data().toString(), QString::fromLatin1(cache.GetName(stat->Author()).c_str()));
        }
        // Reading from the tree shows the text and keeps it in the history.
        const QModelIndex firstText = model->index(0, 0, model->index(0, 0));
        tree->setCurrentIndex(firstText);
        form_->Commands()->ReadTreeText();
        QCOMPARE(form_->ReadStatus().CurrentText(), SubjectTreeItemModel::TextAt(firstText));
        QTRY_COMPARE(form_->History().Size(), 1);
    }

    void historyGoesBackAndForwardAndAppendsNewTexts()
    {
        QTRY_VERIFY(form_->SubjectTreeView()->TextsInTreeOrder().size() >= 3);
        const auto texts = form_->SubjectTreeView()->TextsInTreeOrder();
        QAction* back = form_->Actions()->ViewPrevTextAction();
        QAction* forward = form_->Actions()->ViewNextTextAction();
        QVERIFY(!back->isEnabled());
        QVERIFY(test::ShowAndWait(*form_, texts[0]));
        QVERIFY(test::ShowAndWait(*form_, texts[1]));
        QVERIFY(back->isEnabled());
        QVERIFY(!forward->isEnabled());
        back->trigger();
        QCOMPARE(form_->ReadStatus().CurrentText(), texts[0]);
        QTRY_VERIFY(forward->isEnabled());
        forward->trigger();
        QCOMPARE(form_->ReadStatus().CurrentText(), texts[1]);
        back->trigger();
        QTRY_COMPARE(form_->Reader().AnswersPending(), size_t(0));
        QVERIFY(test::ShowAndWait(*form_, texts[2]));
        QCOMPARE(form_->History().Size(), 3);
        QCOMPARE(form_->History().At(1), texts[1]);
        QCOMPARE(form_->History().Index(), 2);

        // The drop-down lists the older entries nearest first, "number author subject".
        QMenu* menu = form_->Actions()->PrevPopupMenu();
        form_->Actions()->FillHistoryMenu(menu, true);
        QCOMPARE(menu->actions().size(), 2);
        QVERIFY(menu->actions().at(0)->text().startsWith(QString::number(texts[1]) + QLatin1Char(' ')));
        menu->actions().at(1)->trigger();
        QCOMPARE(form_->ReadStatus().CurrentText(), texts[0]);
        QCOMPARE(form_->History().Index(), 0);
        QTRY_COMPARE(form_->Reader().AnswersPending(), size_t(0));

        QVERIFY(test::ShowAndWait(*form_, 999999));
        QCOMPARE(boxes_, std::vector<std::string>{"No such text"});
        QCOMPARE(form_->History().Size(), 3);
    }

    void aShownTextIsPaintedBeforeTheEventLoopRunsAgain()
    {
        // Work queued for the GUI thread (tree batches, a step's next
        // hand-over) would otherwise run before the article's paint.
        struct PaintCounter : QObject {
            int paints = 0;
            bool eventFilter(QObject*, QEvent* event) override
            {
                paints += event->type() == QEvent::Paint;
                return false;
            }
        } counter;
        QTRY_VERIFY(!form_->SubjectTreeView()->TextsInTreeOrder().empty());
        const int32_t text = form_->SubjectTreeView()->TextsInTreeOrder().front();
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
        QWidget* viewport = form_->ArticleView()->MainEdit()->viewport();
        viewport->installEventFilter(&counter);
        QVERIFY(test::ShowAndWait(*form_, text));
        QVERIFY(counter.paints >= 1);
        viewport->removeEventFilter(&counter);
    }

    void markupInATextIsShownLiterally()
    {
        const int32_t conf = form_->ConfListView()->SelectedConference();
        const int32_t text = session_->CreateText(conf, "<i>Tags</i>", "<b>bold</b> &amp; <a href=\"x\">link</a>");
        QVERIFY(text > 0);
        QVERIFY(test::ShowAndWait(*form_, text));
        QVERIFY(Article().contains(QStringLiteral("Subject: <i>Tags</i>")));
        QVERIFY(Article().contains(QStringLiteral("<b>bold</b> &amp; <a href=\"x\">link</a>")));
        test::SaveScreenshot(form_.get(), QStringLiteral("reading-window-markup"));
    }

    void readConfirmationIsAskedOnceAndSent()
    {
        const int32_t conf = form_->ConfListView()->SelectedConference();
        const int32_t text = session_->CreateText(conf, "Please confirm", "Did you read this?");
        QVERIFY(text > 0);
        // Ask for a confirmation on the text: an aux item with tag 6.
        TGenericTrans ask(session_->client.Protocol(), "Ask confirmation",
                          requests::AddAuxItem(text, 6, "00000000", 0, ""));
        QVERIFY(session_->client.Transactions().ExecuteAndWait(ask));
        session_->client.Cache().ForgetTextStat(text);

        session_->ui.yesNo = {true};
        QVERIFY(test::ShowAndWait(*form_, text));
        QCOMPARE(session_->ui.questions.size(), size_t(1));
        QVERIFY(session_->ui.questions[0].find("wants read confirmation on this text\r\nConfirm?") !=
                std::string::npos);
        // Confirmed once: showing it again asks nothing.
        QVERIFY(test::ShowAndWait(*form_, text));
        QCOMPARE(session_->ui.questions.size(), size_t(1));
        bool confirmed = false;
        for (const auto& item : session_->client.Cache().GetTextStat(text)->AuxItems())
            confirmed = confirmed || (item.tag == 7 && item.creator == session_->client.CurrentPerson());
        QVERIFY(confirmed);
    }

    void commandsNeedingATextSayThereIsNone()
    {
        form_->Commands()->WriteComment(false);
        form_->Commands()->ReadPrevious();
        session_->ui.inputs = {std::string("seven")};
        form_->Commands()->ReadGlobalTextNr();
        QCOMPARE(session_->Messages(), (std::vector<std::string>{"!No current article available",
                                                                 "!No current article available",
                                                                 "!Not a valid number"}));
        QCOMPARE(form_->BusyCount(), 0);
    }

    // Once read next finds nothing more, the text still shown is the one a
    // comment or a reply goes to.
    void theLastTextReadStaysCurrentWhenNothingIsLeft()
    {
        QSignalSpy shown(form_.get(), &TReadArticleForm::TextShown);
        int32_t last = 0;
        for (int step = 0; step < 2000; ++step) {
            const qsizetype before = shown.count();
            form_->ReadNext();
            QTRY_COMPARE(form_->BusyCount(), 0);
            if (shown.count() == before)
                break;
            last = shown.back().front().value<int32_t>();
        }
        QVERIFY(last > 0);
        QVERIFY(Article().startsWith(QString::number(last) + QLatin1Char(' ')));
        QCOMPARE(form_->ReadStatus().CurrentText(), last);

        QSignalSpy writes(form_.get(), &TReadArticleForm::WriteRequested);
        form_->Commands()->WriteComment(false);
        QCOMPARE(session_->Messages(), std::vector<std::string>{});
        QCOMPARE(writes.count(), 1);
        const auto request = writes.front().front().value<WriteRequest>();
        QCOMPARE(request.mode, TextCompositionMode::Comment);
        QCOMPARE(request.number, last);
        // Another press still finds nothing and keeps it.
        form_->ReadNext();
        QTRY_COMPARE(form_->BusyCount(), 0);
        QCOMPARE(form_->ReadStatus().CurrentText(), last);
    }

    void setPriorityReordersTheList()
    {
        TConfListView* list = form_->ConfListView();
        const int32_t last = list->RowConference(list->RowCount() - 1);
        list->SelectConference(last);
        session_->ui.inputs = {std::string("255")};
        form_->Commands()->SetPriority();
        // Sent off the GUI thread; shown once the server took it.
        QTRY_COMPARE(form_->Reader().AnswersPending(), size_t(0));
        QCOMPARE(list->RowConference(0), last);
        QCOMPARE(list->Row(last)->priority, 255);
        // The view follows on its next turn: the row on top, selected.
        QTRY_COMPARE(list->model()->index(0, TConfListView::NrColumn).data().toString(), QString::number(last));
        QCOMPARE(list->model()->index(0, TConfListView::PriorityColumn).data().toString(), QStringLiteral("255"));
        QCOMPARE(list->currentIndex().row(), 0);
        QCOMPARE(session_->client.Cache().GetMembership(last)->Priority(), 255);
        session_->ui.inputs = {std::string("high")};
        form_->Commands()->SetPriority();
        QCOMPARE(session_->Messages(), std::vector<std::string>{"!Not a valid number"});
        // A priority the server refuses is not shown as if it had been set.
        session_->ui.inputs = {std::string("99999")};
        form_->Commands()->SetPriority();
        QTRY_COMPARE(form_->Reader().AnswersPending(), size_t(0));
        QCOMPARE(session_->Messages().size(), size_t(1));
        QCOMPARE(list->Row(last)->priority, 255);
        QCOMPARE(session_->client.Cache().GetMembership(last)->Priority(), 255);
    }

    void typedSpaceReadsNextAndClearReadingEmptiesAll()
    {
        QSignalSpy shown(form_.get(), &TReadArticleForm::TextShown);
        form_->ArticleView()->setFocus();
        QTest::keyClick(form_->ArticleView()->MainEdit(), Qt::Key_Space, Qt::NoModifier);
        QTRY_COMPARE(shown.count(), 1);
        QTRY_COMPARE(form_->BusyCount(), 0);
        form_->ClearReading();
        QCOMPARE(form_->ConfListView()->RowCount(), 0);
        QCOMPARE(form_->History().Size(), 0);
        QVERIFY(Article().isEmpty());
        QVERIFY(!form_->Actions()->ReadNextAction()->isEnabled());
    }

    void findDialogFindsDownwardThenUpwardAndSaysWhenNothingIsLeft()
    {
        form_->ArticleView()->MainEdit()->setPlainText(QStringLiteral("alpha Beta gamma beta delta"));
        form_->Actions()->Action("Find1")->trigger();
        TFindDialog* find = form_->FindDialog();
        QVERIFY(find->isVisible());
        QVERIFY(!find->FindNextButton()->isEnabled());
        find->FindEdit()->setText(QStringLiteral("beta"));
        QTextEdit* edit = form_->ArticleView()->MainEdit();
        edit->moveCursor(QTextCursor::Start);
        QVERIFY(find->FindNext());
        QCOMPARE(edit->textCursor().selectionStart(), 6);  // "Beta": case ignored
        QVERIFY(find->FindNext());
        QCOMPARE(edit->textCursor().selectionStart(), 17);
        QVERIFY(!find->FindNext());
        QVERIFY(find->NoteLabel()->text().contains(QStringLiteral("beta")));
        find->UpButton()->setChecked(true);
        find->MatchCaseBox()->setChecked(true);
        QVERIFY(!find->FindNext());  // upward from "beta" with case: "Beta" does not match
        find->MatchCaseBox()->setChecked(false);
        QVERIFY(find->FindNext());
        QCOMPARE(edit->textCursor().selectionStart(), 6);
    }

    void connectDropDownOffersTheListedProfilesAndAsksToConnectWithOne()
    {
        form_->SetOnlineCommands(false);
        QVERIFY(form_->Actions()->Action("ConnectAction")->isEnabled());
        form_->SetProfileLister([] { return std::vector<std::string>{"*Default*", "Work"}; });
        QMenu* menu = form_->Actions()->ConnectPopupMenu();
        form_->Actions()->FillConnectMenu();
        QCOMPARE(menu->actions().size(), 2);
        QCOMPARE(menu->actions().at(0)->text(), QStringLiteral("*Default*"));
        QSignalSpy asked(form_.get(), &TReadArticleForm::ProfileConnectRequested);
        menu->actions().at(1)->trigger();
        menu->actions().at(0)->trigger();
        QCOMPARE(asked.count(), 2);
        QCOMPARE(asked.at(0).at(0).toString(), QStringLiteral("Work"));
        QCOMPARE(asked.at(1).at(0).toString(), QString());  // the default profile
        form_->SetOnlineCommands(true);
        QVERIFY(!form_->Actions()->Action("ConnectAction")->isEnabled());
    }

private:
    std::vector<std::string> boxes_;
};

QTEST_MAIN(ReadArticleFormTest)
#include "ReadArticleForm_test.moc"
