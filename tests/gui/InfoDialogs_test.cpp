#include "core/base/ProgramVersion.h"
#include "gui/dialogs/AboutBox.h"
#include "gui/dialogs/AboutFigure.h"
#include "gui/dialogs/NoteOnDoorForm.h"
#include "gui/dialogs/QuickHelpForm.h"
#include "gui/common/MiravoTextEdit.h"
#include "tests/gui/ScriptedLookup.h"

#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

using namespace pellar;

namespace {

QTextCharFormat FormatOfBlock(const QTextDocument& doc, int block)
{
    const QTextBlock b = doc.findBlockByNumber(block);
    return b.text().isEmpty() ? b.charFormat() : b.begin().fragment().charFormat();
}

} // namespace

class InfoDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void QuickHelpHasItsLinesInOrder()
    {
        TQuickHelpForm form;
        form.show();
        const QStringList lines = form.TextEdit()->toPlainText().split(u'\n');
        QCOMPARE(lines.size(), 24);
        QCOMPARE(lines[0], QStringLiteral("Server settings"));
        QCOMPARE(lines[1], QString());
        QCOMPARE(lines[3],
                 QStringLiteral("Override\tThe action \"Override\" is the only activity shown, if it is a non empty string."));
        QCOMPARE(lines[7], QStringLiteral("Pellar specific"));
        QCOMPARE(lines[9], QStringLiteral("\tThe name is underlined in the control if it is verified to be correct."));
        QCOMPARE(lines[13], QStringLiteral("Windows shortcuts (works with all programs)"));
        QCOMPARE(lines[17], QStringLiteral("Alt+Char\tShortcut to field or menu. \"Char\" is the underlined character."));
        QCOMPARE(lines[23], QStringLiteral("Alt-TAB\tSwitch active program."));
        test::SaveScreenshot(&form, QStringLiteral("quick-help"));
    }

    void QuickHelpStyles()
    {
        TQuickHelpForm form;
        form.show();
        const QTextDocument& doc = *form.TextEdit()->document();
        const QTextCharFormat heading = FormatOfBlock(doc, 0);
        QVERIFY(heading.font().bold() && heading.font().underline());
        QCOMPARE(heading.font().pointSize(), 14);
        QCOMPARE(heading.foreground().color(), QColor(0, 0, 128));

        const QTextCharFormat sub = FormatOfBlock(doc, 7);
        QVERIFY(sub.font().bold() && sub.font().underline());
        QCOMPARE(sub.font().pointSize(), 11);

        const QTextCharFormat normal = FormatOfBlock(doc, 8);
        QVERIFY(!normal.font().bold() && !normal.font().underline());
        QCOMPARE(normal.font().pointSize(), 10);
        QCOMPARE(normal.foreground().color(), form.palette().color(QPalette::WindowText));

        // One tab stop, so every explanation starts in the same column.
        QCOMPARE(doc.findBlockByNumber(8).blockFormat().tabPositions().size(), 1);
    }

    void QuickHelpIsRebuiltOnEveryShow()
    {
        TQuickHelpForm form;
        form.show();
        form.TextEdit()->setPlainText(QStringLiteral("scribbled"));
        form.hide();
        form.show();
        QVERIFY(form.TextEdit()->toPlainText().startsWith(QStringLiteral("Server settings\n")));
    }

    void AboutVersionLine()
    {
        const QString expected = QStringLiteral("Version %1.%2 1999-05-30 (alpha)")
                                     .arg(QString::fromStdString(ProgramMajorVersion()),
                                          QString::fromStdString(ProgramMinorVersion()));
        QCOMPARE(TAboutBox::VersionLine(), expected);
        QVERIFY(expected.contains(QStringLiteral("(build ")));
        TAboutBox box;
        box.open();
        QCOMPARE(box.VersionLabel()->text(), expected);
    }

    void AboutAnimatesOnlyWhileShown()
    {
        TAboutBox box;
        QVERIFY(!box.AnimationRunning());
        box.open();
        QVERIFY(box.AnimationRunning());
        const int start = box.Figure()->Phase();
        const QImage first = box.Figure()->Picture().copy();
        QTRY_VERIFY(box.Figure()->Phase() > start + 3);
        QVERIFY(box.Figure()->Picture() != first); // the figure really turns
        test::SaveScreenshot(&box, QStringLiteral("about"));

        box.accept();
        QVERIFY(!box.AnimationRunning());
        box.open(); // and again on the next showing
        QVERIFY(box.AnimationRunning());
    }

    void NoteOnDoorShowsPlainTextCentredHeader()
    {
        TNoteOnDoorForm form;
        const QDateTime when(QDate(2024, 3, 1), QTime(12, 30, 5));
        form.ShowText(QStringLiteral("<b>Welcome</b>"), when, QStringLiteral("Body line"));
        test::SaveScreenshot(&form, QStringLiteral("note-on-door"));
        const QTextDocument& doc = *form.TextEdit()->document();
        QCOMPARE(doc.blockCount(), 3);
        // Server text stays text: the tags are shown, not obeyed.
        QCOMPARE(doc.findBlockByNumber(0).text(), QStringLiteral("<b>Welcome</b>"));
        QCOMPARE(doc.findBlockByNumber(0).blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        const QTextCharFormat subject = FormatOfBlock(doc, 0);
        QVERIFY(subject.font().bold());
        QCOMPARE(subject.font().pointSize(), 14);
        QVERIFY(doc.findBlockByNumber(1).text().contains(QStringLiteral("12:30:05")));
        QCOMPARE(FormatOfBlock(doc, 1).font().pointSize(), 12);
        QCOMPARE(doc.findBlockByNumber(2).text(), QStringLiteral("Body line"));
        QVERIFY(!FormatOfBlock(doc, 2).font().bold());
        QVERIFY(form.TextEdit()->isReadOnly());
        QCOMPARE(form.windowTitle(), QStringLiteral("Message of the day"));
        form.Clear();
        QVERIFY(doc.isEmpty());
    }

    void NoteOnDoorClosesOnRightClickAndEscape()
    {
        TNoteOnDoorForm form;
        form.ShowText(QStringLiteral("s"), QDateTime::currentDateTime(), QStringLiteral("b"));
        form.open();
        QTest::mouseClick(form.TextEdit()->viewport(), Qt::RightButton);
        QVERIFY(!form.isVisible());

        // Escape typed into the text, where the focus is.
        form.open();
        QTest::keyClick(form.TextEdit(), Qt::Key_Escape);
        QVERIFY(!form.isVisible());
    }
};

QTEST_MAIN(InfoDialogsTest)
#include "InfoDialogs_test.moc"
