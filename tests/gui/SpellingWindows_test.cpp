// Spell checking in the real windows of a logged-on client: the writing
// window's body and subject, the messages window's input, the suggestion
// picked from the context menu reaching the text, and a word added to the
// dictionary being there for the next checker.
#include "support/gui/LiveSession.h"
#include "support/gui/ContextMenus.h"
#include "support/gui/SpellDictionaryFiles.h"

#include "core/config/ConfigKeys.h"
#include "core/session/Client.h"
#include "core/writing/ClientWritingSession.h"
#include "core/writing/SpellChecker.h"
#include "gui/common/MiravoTextEdit.h"
#include "gui/common/SpellLineMarks.h"
#include "gui/common/SpellService.h"
#include "gui/events/EventsController.h"
#include "gui/events/MessagesForm.h"
#include "gui/shell/AppWindows.h"
#include "gui/writing/WriteTextForm.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QMdiArea>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>

#include <sys/stat.h>

using namespace pellar;
using pellar::test::CharPos;
using pellar::test::Entry;
using pellar::test::OpenMenu;

namespace {

using Ranges = std::vector<std::pair<int, int>>;

Ranges Underlined(QTextDocument* document, int blockNumber)
{
    Ranges out;
    for (const QTextLayout::FormatRange& range : document->findBlockByNumber(blockNumber).layout()->formats())
        if (range.format.underlineStyle() == QTextCharFormat::SpellCheckUnderline &&
            range.format.underlineColor() == QColor(Qt::red))
            out.emplace_back(range.start, range.length);
    return out;
}

Ranges Marked(QLineEdit* edit)
{
    Ranges out;
    if (auto* marks = edit->findChild<SpellLineMarks*>())
        for (const SpellWordRange& r : marks->Marked())
            out.emplace_back(int(r.start), int(r.length));
    return out;
}


// The window with its open menu drawn over it below the line at `below`
// (window coordinates), leaving the underlines in sight; for the README.
void SaveWithMenu(QWidget* window, QMenu* menu, const QPoint& below, const QString& name)
{
    const QString dir = qEnvironmentVariable("PELLAR_SCREENSHOT_DIR");
    if (dir.isEmpty())
        return;
    const QPixmap base = window->grab();
    const QPixmap popup = menu->grab();
    const QPoint at = below + QPoint(0, 4);
    QPixmap shot(std::max(base.width(), at.x() + popup.width()), std::max(base.height(), at.y() + popup.height()));
    shot.fill(window->palette().color(QPalette::Window));
    QPainter painter(&shot);
    painter.drawPixmap(0, 0, base);
    painter.drawPixmap(at, popup);
    painter.end();
    QDir().mkpath(dir);
    shot.save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

} // namespace

class SpellingWindowsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dictionaries_;
    pellar::test::LiveSession session_;

    SpellService& Spelling() { return *session_.App().Services().spelling; }

private slots:
    void initTestCase()
    {
        QVERIFY(dictionaries_.isValid());
        test::WriteSpellDictionary(dictionaries_.path().toStdString(), "xx_XX");
        // Before the controller exists: it looks for dictionaries once.
        qputenv("DICPATH", dictionaries_.path().toLocal8Bit());
        std::string error;
        QVERIFY2(session_.Start(&error,
                                [](AppController& app) {
                                    app.ClientContext().Config().WriteString(ConfigKeys::SpellLanguage, "xx_XX");
                                }),
                 error.c_str());
        session_.App().MainWindow().show();
        // A session that only reads holds no dictionary: the messages
        // window's input exists, but nobody has typed into it.
        QVERIFY(!Spelling().InUse());
        QVERIFY(!Spelling().Loading() && !Spelling().Checker());
        QFocusEvent focus(QEvent::FocusIn, Qt::MouseFocusReason);
        QApplication::sendEvent(session_.App().OpenWindows().Events().MainMessages()->WriteMsgMemo(), &focus);
        QTRY_VERIFY_WITH_TIMEOUT(Spelling().Checker() && Spelling().Checker()->Language() == "xx_XX", 10000);
    }

    void cleanupTestCase() { session_.Stop(); }

    void writingWindowUnderlinesAndTakesASuggestionFromTheMenu()
    {
        auto* form = new TWriteTextForm(session_.App().WritingPort(), &session_.App().Services(),
                                        &session_.App().MainWindow());
        form->Model().PrefillNewText(session_.Number("General discussion"));
        session_.App().MainWindow().AddChildWindow(form);
        form->Start();
        QVERIFY(QTest::qWaitForWindowExposed(form));

        TMiravoTextEdit* body = form->WriteTextEdit();
        body->setFocus();
        QTest::keyClicks(body, QStringLiteral("Hello,"));
        QTest::keyClick(body, Qt::Key_Return);
        QTest::keyClick(body, Qt::Key_Return);
        QTest::keyClicks(body, QStringLiteral("we meet at noon by the rivr tomorow. Write more soon!"));
        QTest::keyClick(body, Qt::Key_Return);
        QTest::keyClicks(body, QStringLiteral("> quoted lnie stays as it is"));
        QTest::keyClick(body, Qt::Key_Return);
        QTest::keyClicks(body, QStringLiteral("See https://exmaple.org/map and text <4711>."));
        QTRY_COMPARE(Underlined(body->document(), 2), (Ranges{{23, 4}, {28, 7}}));
        QCOMPARE(Underlined(body->document(), 3), Ranges{});
        QCOMPARE(Underlined(body->document(), 4), Ranges{});

        QLineEdit* subject = form->SubjectEdit();
        subject->setFocus();
        QTest::keyClicks(subject, QStringLiteral("Meet by the rivr"));
        QTRY_COMPARE(Marked(subject), (Ranges{{12, 4}}));

        const int rivr = body->document()->findBlockByNumber(2).position() + 24;
        QMenu* menu = OpenMenu(body->viewport(), CharPos(body, rivr));
        QVERIFY(menu);
        QAction* river = Entry(menu, QStringLiteral("SpellSuggestion"), QStringLiteral("river"));
        QVERIFY(river);
        QCOMPARE(menu->actions().first(), river);
        QTextCursor line(body->document()->findBlockByNumber(2));
        line.setPosition(rivr - 1);
        SaveWithMenu(form, menu, body->viewport()->mapTo(form, body->cursorRect(line).bottomLeft()),
                     QStringLiteral("spelling"));
        river->trigger();
        menu->close();
        QCOMPARE(body->document()->findBlockByNumber(2).text(),
                 QStringLiteral("we meet at noon by the river tomorow. Write more soon!"));
        QTRY_COMPARE(Underlined(body->document(), 2), (Ranges{{29, 7}}));
        // The window's text is the corrected one.
        QVERIFY(form->HasUnsentText());
        QVERIFY(QString::fromStdString(form->Model().Body()).contains(QStringLiteral("by the river tomorow")) ||
                body->toPlainText().contains(QStringLiteral("by the river tomorow")));

        // The other misspelt word goes into the user's own list.
        const int tomorow = body->document()->findBlockByNumber(2).position() + 31;
        menu = OpenMenu(body->viewport(), CharPos(body, tomorow));
        QVERIFY(menu);
        Entry(menu, QStringLiteral("SpellAddToDictionary"))->trigger();
        menu->close();
        QTRY_COMPARE(Underlined(body->document(), 2), Ranges{});
        QVERIFY(body->toPlainText().contains(QStringLiteral("river tomorow.")));

        form->SetCloseAnswerer([](const QString&) { return TWriteTextForm::CloseChoice::Discard; });
        QPointer<TWriteTextForm> watch(form);
        form->close();
        QTRY_VERIFY(watch.isNull());
    }

    // After the writing window's test: its added word is in the list too.
    void addToDictionaryFromTheMessageInputLastsForTheNextChecker()
    {
        TMessagesForm* messages = session_.App().OpenWindows().Events().MainMessages();
        QVERIFY(messages);
        QPlainTextEdit* input = messages->WriteMsgMemo();
        input->setPlainText(QStringLiteral("see Pellar at noon"));
        QTRY_COMPARE(Underlined(input->document(), 0), (Ranges{{4, 6}}));
        QTextCursor caret(input->document());
        caret.setPosition(6);
        input->setTextCursor(caret);
        QMenu* menu = OpenMenu(input, input->cursorRect().center(), QContextMenuEvent::Keyboard);
        QVERIFY(menu);
        Entry(menu, QStringLiteral("SpellAddToDictionary"))->trigger();
        menu->close();
        QTRY_COMPARE(Underlined(input->document(), 0), Ranges{});
        input->clear();

        const std::filesystem::path words = session_.App().DataDir() / "spelling-words";
        struct stat st {};
        QCOMPARE(::stat(words.c_str(), &st), 0);
        QCOMPARE(int(st.st_mode & 0777), 0600);
        const std::filesystem::path folder = dictionaries_.path().toStdString();
        auto next = SpellChecker::Open({"xx_XX", folder / "xx_XX.aff", folder / "xx_XX.dic"}, words);
        QVERIFY(next);
        QVERIFY(next->IsCorrect(u"Pellar"));
        QVERIFY(next->IsCorrect(u"tomorow"));
        QVERIFY(!next->IsCorrect(u"Pellarr"));
    }
};

QTEST_MAIN(SpellingWindowsTest)
#include "SpellingWindows_test.moc"
