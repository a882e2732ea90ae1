// The article pane against the reference server: fonts of the layout, the
// context menu per word under the caret, its commands, and the typed-command
// interpreter (buffer, read-next key, paging, connect while offline).
#include "core/wire/TextStatType.h"
#include "core/session/MVCache.h"
#include "gui/common/ArticleRenderer.h"
#include "core/writing/ClientArticlePane.h"
#include "gui/common/QtCancellableGuiThread.h"
#include "gui/reading/ArticleViewForm.h"
#include "gui/common/MiravoTextEdit.h"
#include "support/gui/GuiTestSupport.h"
#include "support/gui/PreparedArticles.h"

#include <QAction>
#include <QMenu>
#include <QScrollBar>
#include <QSignalSpy>
#include <QFontDatabase>
#include <QTest>
#include <QTimer>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QPalette>

using namespace pellar;

namespace {

// Puts the caret inside the first occurrence of word.
bool CaretOn(TArticleViewForm& view, const QString& word)
{
    QTextCursor found = view.MainEdit()->document()->find(word);
    if (found.isNull())
        return false;
    found.setPosition(found.selectionStart() + 1);
    view.MainEdit()->setTextCursor(found);
    return true;
}

// A port whose menu answers wait until the test gives them, as a slow server
// would make them; the words asked about are kept.
struct HeldPane : ArticlePanePort {
    std::vector<std::string> words;
    std::vector<std::function<void(const ContextMenuOffer&)>> answers;
    bool IsConnected() override { return true; }
    std::vector<std::string> Shortcuts() override { return {}; }
    void OfferFor(std::string word, std::function<void(const ContextMenuOffer&)> answer) override
    {
        words.push_back(std::move(word));
        answers.push_back(std::move(answer));
    }
    void PostUserMessage(const std::string&) override {}
    void DeleteText(int32_t) override {}
    void MarkText(int32_t) override {}
    void Stop() override { answers.clear(); }
};

// Asks the pane what the menu offers for the word at the caret and waits for
// its answer; whether any item shows.
bool PrepareMenu(TArticleViewForm& view)
{
    view.AskPopupMenu();
    if (!QTest::qWaitFor([&view] { return view.PopupAnswered(); }, 5000))
        return false;
    return view.PopupOffered();
}

} // namespace

class ArticleViewFormTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<test::DemoSession> session_;
    std::unique_ptr<ClientArticlePane> pane_;
    std::unique_ptr<TArticleViewForm> view_;
    int32_t conf_ = 0;

private slots:
    void init()
    {
        session_ = std::make_unique<test::DemoSession>();
        std::string why;
        QVERIFY2(session_->Start(&why), why.c_str());
        std::vector<int32_t> confs;
        session_->client.Cache().ListMemberConferences(confs);
        QVERIFY(!confs.empty());
        conf_ = confs.back();
        pane_ = std::make_unique<ClientArticlePane>(session_->client,
                                                    std::make_unique<QtCancellableGuiThread>(qApp));
        view_ = std::make_unique<TArticleViewForm>(*pane_);
        view_->resize(700, 400);
        view_->show();
    }

    void cleanup()
    {
        view_.reset();
        pane_.reset();
        session_.reset();
    }

    void headerIsBoldInTheHeaderFontAndBodyInTheBodyFont()
    {
        session_->client.Config().WriteString("HeaderFont", "Sans Serif;14;0;");
        const int32_t text = session_->CreateText(conf_, "Fonts", "Body line");
        QVERIFY(text > 0);
        const ArticleResult result = test::ShowPrepared(*view_, session_->client, text);
        QVERIFY(result.shown);
        QVERIFY(!result.isComment);
        QTextDocument* doc = view_->MainEdit()->document();
        const QTextCharFormat header = doc->begin().begin().fragment().charFormat();
        QVERIFY(header.font().bold());
        QCOMPARE(header.font().pointSize(), 14);
        QTextCursor body = doc->find(QStringLiteral("Body line"));
        QVERIFY(!body.isNull());
        const QFont bodyFont = body.charFormat().font();
        QVERIFY(!bodyFont.bold());
        QCOMPARE(bodyFont.family(), ArticleRenderer::FontFromString(std::string(kDefaultBodyFont)).family());
        QCOMPARE(view_->MainEdit()->textCursor().position(), 0);
        // A text that cannot be had leaves the pane empty.
        QVERIFY(!test::ShowPrepared(*view_, session_->client, 999999).shown);
        QVERIFY(view_->MainEdit()->toPlainText().isEmpty());
    }

    void aRememberedFaceStillTakesEachStringsOwnSizeAndStyle()
    {
        // The face of a family is looked up once; size and style are each
        // string's own, whatever came before.
        const QFont first = ArticleRenderer::FontFromString("No Such Face Mono;12;0;BIU");
        QCOMPARE(first.family(), QFontDatabase::systemFont(QFontDatabase::FixedFont).family());
        QVERIFY(first.bold() && first.italic() && first.underline());
        QCOMPARE(first.pointSize(), 12);
        const QFont again = ArticleRenderer::FontFromString("No Such Face Mono;9;0;");
        QCOMPARE(again.family(), first.family());
        QCOMPARE(again.pointSize(), 9);
        QVERIFY(!again.bold() && !again.italic() && !again.underline());
        const QFont general = ArticleRenderer::FontFromString("No Such Face Roman;300;0;");
        QCOMPARE(general.family(), QFontDatabase::systemFont(QFontDatabase::GeneralFont).family());
        QCOMPARE(general.pointSize(), 10);
    }

    void contextMenuFollowsTheWordUnderTheCaret()
    {
        const int32_t text = session_->CreateText(
            conf_, "Words", "See http://example.com/x or file:/etc/passwd, not 70000 nor :colon");
        QVERIFY(text > 0);
        test::ShowPrepared(*view_, session_->client, text);
        QVERIFY(CaretOn(*view_, QStringLiteral("--- %1 ---").arg(text).mid(4)));
        QVERIFY(PrepareMenu(*view_));
        QVERIFY(view_->ReadTextAction()->isVisible());
        QVERIFY(view_->DeleteTextAction()->isVisible());
        QVERIFY(view_->MarkTextAction()->isVisible());
        QVERIFY(view_->TextPropertiesAction()->isVisible());
        QVERIFY(!view_->NosuchtextofconferenceItem()->isVisible());
        QVERIFY(!view_->OpenURLAction()->isVisible());

        QVERIFY(CaretOn(*view_, QStringLiteral("70000")));
        QVERIFY(PrepareMenu(*view_));
        QVERIFY(!view_->ViewPresentationAction()->isVisible());
        QVERIFY(!view_->ReadTextAction()->isVisible());
        QVERIFY(view_->NosuchtextofconferenceItem()->isVisible());
        QVERIFY(!view_->NosuchtextofconferenceItem()->isEnabled());

        QVERIFY(CaretOn(*view_, QStringLiteral(":colon")));
        QVERIFY(!PrepareMenu(*view_));
        QVERIFY(view_->PopupAnswered());
        QVERIFY(!view_->OpenURLAction()->isVisible());
        QVERIFY(!view_->NosuchtextofconferenceItem()->isVisible());

        // Off a number, a right click shows no menu of lone disabled items.
        QVERIFY(CaretOn(*view_, QStringLiteral("nor")));
        const QRect at = view_->MainEdit()->cursorRect();
        emit view_->MainEdit()->customContextMenuRequested(at.center());
        QTRY_VERIFY(view_->PopupAnswered());
        QVERIFY(!view_->PopupOffered());
        QVERIFY(!view_->PopupMenu1()->isVisible());
        QVERIFY(!view_->NosuchtextofconferenceItem()->isVisible());
        // An address offers only itself.
        QVERIFY(CaretOn(*view_, QStringLiteral("http://example")));
        QVERIFY(PrepareMenu(*view_));
        QVERIFY(view_->OpenURLAction()->isVisible());
        QVERIFY(!view_->NosuchtextofconferenceItem()->isVisible());

        // The conference in brackets on the recipient line is a presentation.
        QVERIFY(CaretOn(*view_, QStringLiteral("[%1]").arg(conf_)));
        QVERIFY(PrepareMenu(*view_));
        QVERIFY(view_->ViewPresentationAction()->isVisible());
        QSignalSpy presentation(view_.get(), &TArticleViewForm::PresentationRequested);
        view_->ViewPresentationAction()->trigger();
        QCOMPARE(presentation.count(), 1);
        QCOMPARE(presentation.front().front().value<int32_t>(), conf_);
    }

    void openUrlOpensOnlyBrowserMailAndNewsAddresses()
    {
        const int32_t text = session_->CreateText(conf_, "Links", "Go to http://example.com/x or file:/etc/passwd");
        QVERIFY(text > 0);
        test::ShowPrepared(*view_, session_->client, text);
        std::vector<QString> opened;
        TArticleViewForm::Prompts prompts;
        prompts.openUrl = [&opened](const QString& url) {
            opened.push_back(url);
            return true;
        };
        view_->SetPrompts(prompts);
        QVERIFY(CaretOn(*view_, QStringLiteral("http://example")));
        QVERIFY(PrepareMenu(*view_));
        QVERIFY(view_->OpenURLAction()->isVisible());
        view_->OpenURLAction()->trigger();
        QVERIFY(CaretOn(*view_, QStringLiteral("file:/etc")));
        QVERIFY(PrepareMenu(*view_));
        QVERIFY(view_->OpenURLAction()->isVisible());
        view_->OpenURLAction()->trigger();
        QCOMPARE(opened, std::vector<QString>{QStringLiteral("http://example.com/x")});
        const auto messages = session_->Messages();
        QCOMPARE(messages.size(), size_t(1));
        QCOMPARE(messages[0].front(), '!');
    }

    void fontColoursAreDrawnUnlessTheyWouldVanishIntoThePalette()
    {
        QTextEdit pane;
        QPalette light = pane.palette();
        light.setColor(QPalette::Base, Qt::white);
        light.setColor(QPalette::Text, Qt::black);
        pane.setPalette(light);
        // Blue, written as 0x00BBGGRR; and the system window-text colour.
        ArticleRenderer::AppendRuns(pane, {StyledRun{"Chosen", "Arial;10;$FF0000;", false},
                                           StyledRun{"System", "Arial;10;$80000008;", false}});
        QTextDocument* doc = pane.document();
        QCOMPARE(doc->find(QStringLiteral("Chosen")).charFormat().foreground().color(), QColor(0, 0, 255));
        QCOMPARE(doc->find(QStringLiteral("System")).charFormat().foreground().color(), QColor(Qt::black));

        // A dark theme: dark blue would vanish and yields to the theme's text
        // colour; yellow stands out and is kept.
        QTextEdit dark;
        QPalette night = dark.palette();
        night.setColor(QPalette::Base, QColor(0x20, 0x20, 0x20));
        night.setColor(QPalette::Text, QColor(0xe0, 0xe0, 0xe0));
        dark.setPalette(night);
        ArticleRenderer::AppendRuns(dark, {StyledRun{"Navy", "Arial;10;$800000;", false},
                                           StyledRun{"Yellow", "Arial;10;$00FFFF;", false}});
        QCOMPARE(dark.document()->find(QStringLiteral("Navy")).charFormat().foreground().color(),
                 QColor(0xe0, 0xe0, 0xe0));
        QCOMPARE(dark.document()->find(QStringLiteral("Yellow")).charFormat().foreground().color(),
                 QColor(255, 255, 0));
    }

    void markAndDeleteActOnTheTextAndAPromptCanCancel()
    {
        const int32_t text = session_->CreateText(conf_, "Doomed", "Short life");
        QVERIFY(text > 0);
        test::ShowPrepared(*view_, session_->client, text);
        QVERIFY(CaretOn(*view_, QStringLiteral("--- %1 ---").arg(text).mid(4)));
        view_->MarkTextAction()->trigger();
        // Sent on the pane's worker: the window went on meanwhile.
        QTRY_COMPARE(pane_->Pending(), size_t(0));
        MVCache& cache = session_->client.Cache();
        cache.ForgetTextStat(text);
        QCOMPARE(cache.GetTextStat(text)->NoOfMarks(), 1);

        std::vector<QString> questions;
        TArticleViewForm::Prompts prompts;
        prompts.askText = [](const QString&, const QString&) { return std::optional<QString>(); };
        prompts.confirm = [&questions](const QString& question) {
            questions.push_back(question);
            return true;
        };
        view_->SetPrompts(prompts);
        // No number at the caret and the prompt cancelled: nothing happens.
        QVERIFY(CaretOn(*view_, QStringLiteral("Subject:")));
        view_->DeleteTextAction()->trigger();
        QVERIFY(questions.empty());
        QVERIFY(cache.GetTextStat(text));

        QVERIFY(CaretOn(*view_, QStringLiteral("--- %1 ---").arg(text).mid(4)));
        view_->DeleteTextAction()->trigger();
        QCOMPARE(questions, std::vector<QString>{QStringLiteral("Really delete text %1?").arg(text)});
        QTRY_COMPARE(pane_->Pending(), size_t(0));
        QVERIFY(!cache.GetTextStat(text));
        // The body shown before is not served from the cache any more: the
        // server, asked again, has no such text.
        QVERIFY(!cache.GetText(text));
    }

    void typedKeysCollectUntilTheyNameACommand()
    {
        const int32_t text = session_->CreateText(conf_, "Keys", "Short");
        QVERIFY(text > 0);
        test::ShowPrepared(*view_, session_->client, text);
        QSignalSpy commands(view_.get(), &TArticleViewForm::UserCommandRequested);
        TMiravoTextEdit* edit = view_->MainEdit();
        QTest::keyClick(edit, Qt::Key_C);  // first key of "ccn"
        QCOMPARE(view_->TypedKeys(), std::string("c"));
        QTest::keyClick(edit, Qt::Key_Z);  // no binding starts with "cz"
        QCOMPARE(view_->TypedKeys(), std::string());
        QTest::keyClick(edit, Qt::Key_C);
        QTest::keyClick(edit, Qt::Key_Escape);
        QCOMPARE(view_->TypedKeys(), std::string());
        QCOMPARE(commands.count(), 0);
        QTest::keyClick(edit, Qt::Key_Space);
        QCOMPARE(commands.count(), 1);
        QCOMPARE(commands.front().front().toInt(), 14);
        QTest::keyClick(edit, Qt::Key_K);
        QCOMPARE(commands.count(), 2);
        QCOMPARE(commands.back().front().toInt(), 2);
    }

    void readNextKeyPagesThroughALongTextFirst()
    {
        std::string body;
        for (int i = 1; i <= 120; ++i)
            body += "Line " + std::to_string(i) + "\n";
        const int32_t text = session_->CreateText(conf_, "Long", body);
        QVERIFY(text > 0);
        view_->resize(500, 200);
        test::ShowPrepared(*view_, session_->client, text);
        QSignalSpy commands(view_.get(), &TArticleViewForm::UserCommandRequested);
        QScrollBar* bar = view_->MainEdit()->verticalScrollBar();
        QTRY_VERIFY(bar->maximum() > 0);
        QTest::keyClick(view_->MainEdit(), Qt::Key_Space);
        QCOMPARE(commands.count(), 0);
        QVERIFY(bar->value() > 0);
        bar->setValue(bar->maximum());
        QTest::keyClick(view_->MainEdit(), Qt::Key_Space);
        QCOMPARE(commands.count(), 1);
    }

    void enterWhileOfflineConnects()
    {
        Client offline(test::QuietClientOptions());
        ClientArticlePane pane(offline, std::make_unique<QtCancellableGuiThread>(qApp));
        TArticleViewForm view(pane);
        QSignalSpy connects(&view, &TArticleViewForm::ConnectRequested);
        QSignalSpy forwarded(&view, &TArticleViewForm::KeyForwarded);
        QTest::keyClick(view.MainEdit(), Qt::Key_Return);
        QCOMPARE(connects.count(), 1);
        QTest::keyClick(view.MainEdit(), Qt::Key_Space);
        QCOMPARE(forwarded.count(), 1);
        QCOMPARE(view.TypedKeys(), std::string());
    }

    // The menu waits for its answer with the window responsive, and only the
    // answer to the last question shows a menu.
    void theMenuComesWithTheAnswerToTheLastQuestionOnly()
    {
        HeldPane held;
        TArticleViewForm view(held);
        view.resize(500, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        view.MainEdit()->setPlainText(QStringLiteral("Text 4711 and conference 7"));
        QVERIFY(CaretOn(view, QStringLiteral("4711")));
        const QRect at = view.MainEdit()->cursorRect();
        emit view.MainEdit()->customContextMenuRequested(at.center());
        view.MainEdit()->moveCursor(QTextCursor::End);
        QCOMPARE(view.WordAtCaret(), QStringLiteral("7"));
        emit view.MainEdit()->customContextMenuRequested(at.center());
        QCOMPARE(held.words, (std::vector<std::string>{"4711", "7"}));

        // The event loop turns while the answers are out.
        bool turned = false;
        QTimer::singleShot(0, &view, [&turned] { turned = true; });
        QTRY_VERIFY(turned);
        QVERIFY(!view.PopupAnswered());
        QVERIFY(!view.PopupMenu1()->isVisible());

        // The first question's answer came too late: dropped.
        ContextMenuOffer text;
        text.textCommands = true;
        held.answers[0](text);
        QVERIFY(!view.PopupAnswered());
        QVERIFY(!view.PopupMenu1()->isVisible());

        ContextMenuOffer presentation;
        presentation.presentation = true;
        held.answers[1](presentation);
        QVERIFY(view.PopupAnswered());
        QVERIFY(view.PopupOffered());
        QVERIFY(view.ViewPresentationAction()->isVisible());
        QVERIFY(!view.ReadTextAction()->isVisible());
        QTRY_VERIFY(view.PopupMenu1()->isVisible());
        view.PopupMenu1()->hide();

        // An offer of nothing shows no menu.
        emit view.MainEdit()->customContextMenuRequested(at.center());
        held.answers[2](ContextMenuOffer{});
        QVERIFY(view.PopupAnswered());
        QVERIFY(!view.PopupOffered());
        QVERIFY(!view.PopupMenu1()->isVisible());
    }
};

QTEST_MAIN(ArticleViewFormTest)
#include "ArticleViewForm_test.moc"
