// The reading window over a slow link: a presentation asked for, the
// conference list refreshed by a command and the article pane's context menu
// on a number all return before the server has answered, the window paints
// while the answer is on its way, and what comes back is drawn.
#include "bench/support/LatencyRelay.h"
#include "core/wire/TMiravoConference.h"
#include "core/reading/ReadingController.h"
#include "core/session/MVCache.h"
#include "core/writing/ClientReadingSession.h"
#include "gui/common/GuiServices.h"
#include "gui/common/MiravoTextEdit.h"
#include "gui/reading/ArticleViewForm.h"
#include "gui/reading/ConfListView.h"
#include "gui/reading/ReadArticleForm.h"
#include "gui/reading/ReadingCommands.h"
#include "support/SessionClient.h"
#include "support/gui/GuiTestSupport.h"
#include "support/gui/PreparedArticles.h"

#include <QAction>
#include <QEvent>
#include <QMenu>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

using namespace pellar;

namespace {

constexpr int kOneWayDelayMs = 250;

// Counts the paints of a widget and its children while installed.
struct PaintCounter : QObject {
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

} // namespace

class ReadingWaitsTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<miravod::Server> server_;
    std::unique_ptr<bench::LatencyRelay> relay_;
    std::unique_ptr<test::SessionClient> me_;
    std::unique_ptr<ClientReadingSession> port_;
    GuiServices services_;
    std::unique_ptr<TReadArticleForm> form_;
    std::vector<std::string> boxes_;

    QString Article() const { return form_->ArticleView()->MainEdit()->toPlainText(); }

    // The reading window's paints from now on, its children's included.
    void CountPaints(PaintCounter& counter)
    {
        form_->installEventFilter(&counter);
        for (QWidget* child : form_->findChildren<QWidget*>())
            child->installEventFilter(&counter);
    }

    // A member conference the demo data gives a presentation; 0 when none.
    int32_t ConferenceWithPresentation()
    {
        std::vector<int32_t> confs;
        me_->client.Cache().ListMemberConferences(confs);
        for (int32_t conf : confs)
            if (auto record = me_->client.Cache().GetConference(conf); record && record->Presentation() > 0)
                return conf;
        return 0;
    }

private slots:
    void init()
    {
        std::string why;
        server_ = test::StartQuickDemoServer(&why);
        QVERIFY2(server_, why.c_str());
        relay_ = std::make_unique<bench::LatencyRelay>(static_cast<uint16_t>(server_->Port()), 0);
        QVERIFY(relay_->Port() != 0);
        me_ = std::make_unique<test::SessionClient>();
        QVERIFY(me_->LogOn(relay_->PortText()));
        port_ = std::make_unique<ClientReadingSession>(me_->client);
        form_ = std::make_unique<TReadArticleForm>(*port_, services_);
        form_->SetSessionCommands(&me_->commands);
        form_->SetSessionUi(&me_->ui);
        form_->Prompts().SetMessageShower([this](const std::string& text) { boxes_.push_back(text); });
        form_->resize(900, 640);
        form_->show();
        form_->SetOnlineCommands(true);
        QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
    }

    void cleanup()
    {
        form_.reset();
        port_.reset();
        me_.reset();
        relay_.reset();
        server_.reset();
        boxes_.clear();
    }

    void aPresentationIsAskedForWithoutWaitingAndDrawnWhenItComes()
    {
        const int32_t conf = ConferenceWithPresentation();
        QVERIFY(conf > 0);
        const int32_t presentation = me_->client.Cache().GetConference(conf)->Presentation();
        me_->client.Cache().ForgetConferenceStatuses();
        relay_->SetDelay(kOneWayDelayMs);

        PaintCounter counter;
        CountPaints(counter);
        const int64_t heard = relay_->BytesToClient();
        form_->Commands()->ViewPresentation(conf);
        // Back before the server's reply reached the client: nothing waited.
        QCOMPARE(relay_->BytesToClient(), heard);
        QVERIFY(form_->Reader().AnswersPending() > 0);
        form_->ArticleView()->MainEdit()->viewport()->update();
        QTRY_VERIFY_WITH_TIMEOUT(Article().contains(QString::number(presentation)), 10000);
        QVERIFY(relay_->BytesToClient() > heard);
        QVERIFY(counter.paints > 0);
        QVERIFY(boxes_.empty());
    }

    void aCommandsRefreshOfTheConferenceListDoesNotWaitForTheServer()
    {
        // Not filled yet: no conference is selected, nothing runs behind.
        const int rowsBefore = form_->ConfListView()->RowCount();
        me_->client.Cache().ForgetConferenceStatuses();
        relay_->SetDelay(kOneWayDelayMs);

        PaintCounter counter;
        CountPaints(counter);
        const int64_t heard = relay_->BytesToClient();
        form_->Commands()->ShowAllConferences(true);
        QCOMPARE(relay_->BytesToClient(), heard);
        form_->ConfListView()->viewport()->update();
        // Every membership is listed once the walk, with its requests, is done.
        QTRY_VERIFY_WITH_TIMEOUT(form_->ConfListView()->RowCount() > rowsBefore, 10000);
        QVERIFY(relay_->BytesToClient() > heard);
        QVERIFY(counter.paints > 0);
    }

    void theContextMenusNumberTestsDoNotWaitForTheServer()
    {
        const int32_t conf = ConferenceWithPresentation();
        QVERIFY(conf > 0);
        // The number under the caret is a text nothing has fetched yet.
        const int32_t target = me_->CreateText(conf, "Target", "Pointed at");
        QVERIFY(target > 0);
        const int32_t text = me_->CreateText(conf, "Pointer", "See " + std::to_string(target) + " for that");
        QVERIFY(text > 0);
        test::ShowPrepared(*form_->ArticleView(), me_->client, text);
        QTextCursor found = form_->ArticleView()->MainEdit()->document()->find(QStringLiteral("See %1").arg(target));
        QVERIFY(!found.isNull());
        found.setPosition(found.selectionEnd() - 1);
        form_->ArticleView()->MainEdit()->setTextCursor(found);
        QCOMPARE(form_->ArticleView()->WordAtCaret(), QString::number(target));
        relay_->SetDelay(kOneWayDelayMs);

        const int64_t heard = relay_->BytesToClient();
        const QRect at = form_->ArticleView()->MainEdit()->cursorRect();
        emit form_->ArticleView()->MainEdit()->customContextMenuRequested(at.center());
        QCOMPARE(relay_->BytesToClient(), heard);
        QVERIFY(!form_->ArticleView()->PopupAnswered());
        QTRY_VERIFY_WITH_TIMEOUT(form_->ArticleView()->PopupAnswered(), 10000);
        QVERIFY(relay_->BytesToClient() > heard);
        QVERIFY(form_->ArticleView()->PopupOffered());
        QVERIFY(form_->ArticleView()->ReadTextAction()->isVisible());
        QTRY_VERIFY(form_->ArticleView()->PopupMenu1()->isVisible());
        form_->ArticleView()->PopupMenu1()->hide();
    }
};

QTEST_MAIN(ReadingWaitsTest)
#include "ReadingWaits_test.moc"
