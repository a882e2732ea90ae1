#include "gui/common/MiravoTextEdit.h"

#include <QApplication>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>

using pellar::TMiravoTextEdit;

namespace {

QStringList Lines(const TMiravoTextEdit& edit)
{
    return edit.toPlainText().split(u'\n');
}

} // namespace

class MiravoTextEditTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        edit_ = std::make_unique<TMiravoTextEdit>();
        edit_->resize(900, 300);
        edit_->show();
    }
    void cleanup() { edit_.reset(); }

    void TypingPastTheMarginBreaksAtTheLastBlank()
    {
        const QString first = QString(40, u'a');
        QTest::keyClicks(edit_.get(), first + u' ' + QString(37, u'b'));
        QCOMPARE(Lines(*edit_).size(), 1); // 78 characters still fit
        QTest::keyClicks(edit_.get(), QStringLiteral("c"));
        QCOMPARE(Lines(*edit_), (QStringList{first, QString(37, u'b') + u'c'}));
        // The caret stays after the character just typed.
        QVERIFY(edit_->textCursor().atEnd());
        QTest::keyClicks(edit_.get(), QStringLiteral("d"));
        QCOMPARE(Lines(*edit_).last(), QString(37, u'b') + QStringLiteral("cd"));
    }

    void TheMarginCountsCharactersInEveryScript()
    {
        // 78 Greek letters fit as 78 Latin ones do; the 79th breaks the line.
        // Key events carry the letters themselves (the key codes are Latin).
        auto type = [this](const QString& text) {
            for (QChar ch : text) {
                QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
                QApplication::sendEvent(edit_.get(), &press);
            }
        };
        const QString first = QString(40, QChar(0x03B1));
        type(first + u' ' + QString(37, QChar(0x03B2)));
        QCOMPARE(Lines(*edit_).size(), 1);
        type(QStringLiteral("γ"));
        QCOMPARE(Lines(*edit_), (QStringList{first, QString(37, QChar(0x03B2)) + QStringLiteral("γ")}));

        // An emoji is one column though two UTF-16 units.
        edit_->clear();
        QString emoji;
        for (int i = 0; i < 18; ++i)
            emoji += QStringLiteral("🎉");
        const QString start = QString(40, u'a') + u' ' + emoji + QString(18, u'b');  // 77 characters
        edit_->setPlainText(start);
        edit_->moveCursor(QTextCursor::End);
        QTest::keyClicks(edit_.get(), QStringLiteral("b"));
        QCOMPARE(Lines(*edit_), QStringList{start + u'b'});
        QTest::keyClicks(edit_.get(), QStringLiteral("c"));
        QCOMPARE(Lines(*edit_), (QStringList{QString(40, u'a'), emoji + QString(19, u'b') + u'c'}));
    }

    void TheBreakIsOneUndoStep()
    {
        const QString typed = QString(40, u'a') + u' ' + QString(38, u'b');
        QTest::keyClicks(edit_.get(), typed);
        QCOMPARE(Lines(*edit_).size(), 2);
        edit_->undo();
        QCOMPARE(edit_->toPlainText(), typed);
    }

    void LongWordsAndLeadingBlanksAreNotBroken()
    {
        QTest::keyClicks(edit_.get(), QString(100, u'x'));
        QCOMPARE(Lines(*edit_).size(), 1);

        edit_->clear();
        QTest::keyClicks(edit_.get(), u' ' + QString(99, u'x'));
        QCOMPARE(Lines(*edit_).size(), 1);
    }

    void TabCountsAsABlank()
    {
        QTest::keyClicks(edit_.get(), QString(10, u'a'));
        QTest::keyClick(edit_.get(), Qt::Key_Tab);
        QTest::keyClicks(edit_.get(), QString(75, u'b'));
        QCOMPARE(Lines(*edit_), (QStringList{QString(10, u'a'), QString(75, u'b')}));
    }

    void OnlyTheCurrentLineIsWrapped()
    {
        edit_->setPlainText(QStringLiteral("short line\n"));
        edit_->moveCursor(QTextCursor::End);
        QTest::keyClicks(edit_.get(), QString(50, u'a') + u' ' + QString(30, u'b'));
        QCOMPARE(Lines(*edit_), (QStringList{QStringLiteral("short line"), QString(50, u'a'), QString(30, u'b')}));
    }

    void NoWrapWhenSwitchedOff()
    {
        edit_->SetAutoWrap(false);
        QTest::keyClicks(edit_.get(), QString(40, u'a') + u' ' + QString(45, u'b'));
        QCOMPARE(Lines(*edit_).size(), 1);
    }

    void ReadOnlyForwardsTypedCharactersAndInsertsNothing()
    {
        edit_->setPlainText(QStringLiteral("text"));
        edit_->setReadOnly(true);
        QSignalSpy spy(edit_.get(), &TMiravoTextEdit::KeyPressed);
        QTest::keyClicks(edit_.get(), QStringLiteral("n "));
        QTest::keyClick(edit_.get(), Qt::Key_Return);
        QCOMPARE(spy.size(), 3);
        QCOMPARE(spy.at(0).at(0).value<QChar>(), QChar(u'n'));
        QCOMPARE(spy.at(1).at(0).value<QChar>(), QChar(u' '));
        QCOMPARE(spy.at(2).at(0).value<QChar>(), QChar(u'\r'));
        QCOMPARE(edit_->toPlainText(), QStringLiteral("text"));
        // Escape is a command key and still reaches the window.
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QStringLiteral("\x1b"));
        QApplication::sendEvent(edit_.get(), &escape);
        QCOMPARE(spy.size(), 4);
        QVERIFY(!escape.isAccepted());
        // Copying is the control's own business, not a command key.
        QTest::keyClick(edit_.get(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(spy.size(), 4);
    }

    void EditableDoesNotForward()
    {
        QSignalSpy spy(edit_.get(), &TMiravoTextEdit::KeyPressed);
        QTest::keyClicks(edit_.get(), QStringLiteral("ab"));
        QCOMPARE(spy.size(), 0);
        QCOMPARE(edit_->toPlainText(), QStringLiteral("ab"));
    }

    void SelectEOTPutsAnEmptySelectionAtTheEnd()
    {
        edit_->setPlainText(QStringLiteral("one\ntwo\nthree"));
        QTextCursor cursor = edit_->textCursor();
        cursor.setPosition(1);
        cursor.setPosition(5, QTextCursor::KeepAnchor);
        edit_->setTextCursor(cursor);
        edit_->SelectEOT();
        QVERIFY(!edit_->textCursor().hasSelection());
        QCOMPARE(edit_->textCursor().position(), edit_->toPlainText().size());
    }

    void RightClickSelectsTheWordUnderThePointer()
    {
        edit_->setContextMenuPolicy(Qt::NoContextMenu);
        edit_->setPlainText(QStringLiteral("first line\nhello brave\tworld"));
        QTextCursor at(edit_->document());
        at.setPosition(QStringLiteral("first line\nhello br").size());
        const QPoint inBrave = edit_->cursorRect(at).center();
        QTest::mousePress(edit_->viewport(), Qt::RightButton, {}, inBrave);
        QCOMPARE(edit_->textCursor().selectedText(), QStringLiteral("brave"));

        // With something already selected the selection is left alone.
        at.setPosition(QStringLiteral("first line\nhello brave\two").size());
        QTest::mouseRelease(edit_->viewport(), Qt::RightButton, {}, inBrave);
        QTest::mousePress(edit_->viewport(), Qt::RightButton, {}, edit_->cursorRect(at).center());
        QCOMPARE(edit_->textCursor().selectedText(), QStringLiteral("brave"));
    }

    void RightClickOnALineEndSelectsTheLastWord()
    {
        edit_->setContextMenuPolicy(Qt::NoContextMenu);
        edit_->setPlainText(QStringLiteral("alpha omega"));
        QTextCursor at(edit_->document());
        at.setPosition(QStringLiteral("alpha om").size());
        QTest::mousePress(edit_->viewport(), Qt::RightButton, {}, edit_->cursorRect(at).center());
        QCOMPARE(edit_->textCursor().selectedText(), QStringLiteral("omega"));
    }

    void MarginLineIsDrawnOnlyWhileEditable()
    {
        const int x = edit_->MarginLineX();
        QVERIFY(x > 0 && x < edit_->viewport()->width());
        const QColor base = edit_->palette().color(QPalette::Base);
        const QColor line(base.red() ^ 64, base.green() ^ 32, base.blue() ^ 64);
        const int y = edit_->viewport()->height() / 2;

        QImage editable = edit_->viewport()->grab().toImage();
        const qreal dpr = editable.devicePixelRatio();
        QCOMPARE(editable.pixelColor(int(x * dpr), int(y * dpr)), line);

        edit_->setReadOnly(true);
        QImage readOnly = edit_->viewport()->grab().toImage();
        QCOMPARE(readOnly.pixelColor(int(x * dpr), int(y * dpr)), base);
    }

private:
    std::unique_ptr<TMiravoTextEdit> edit_;
};

QTEST_MAIN(MiravoTextEditTest)
#include "MiravoTextEdit_test.moc"
