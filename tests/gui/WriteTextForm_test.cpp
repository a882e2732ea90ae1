// The writing window against the reference server: what a comment, a
// footnote and a text without recipients do, and the window's keyboard and
// clipboard rules.
#include "support/gui/LiveSession.h"

#include "core/wire/TMiravoText.h"
#include "core/wire/TextStatType.h"
#include "core/session/MVCache.h"
#include "core/writing/ClientWritingSession.h"
#include "gui/dialogs/GetNameForm.h"
#include "gui/dialogs/NoteOnDoorForm.h"
#include "gui/common/MainStatusBar.h"
#include "gui/common/MainWindow.h"
#include "gui/common/QtGuiThread.h"
#include "gui/common/MiravoCompletionEdit.h"
#include "gui/common/MiravoTextEdit.h"
#include "gui/writing/WriteTextForm.h"
#include "gui/writing/WriteTextOpener.h"

#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

using namespace pellar;
using pellar::test::AnswerDialog;

namespace {

std::vector<int32_t> Recipients(const TextStatType& stat)
{
    std::vector<int32_t> out;
    stat.ForEachMiscInfo<TMiscInfoRcpt>([&](const TMiscInfoRcpt& r) { out.push_back(r.confNo); });
    return out;
}

std::vector<int32_t> CommentedTexts(const TextStatType& stat)
{
    std::vector<int32_t> out;
    stat.ForEachMiscInfo<TMiscInfoCommTo>([&](const TMiscInfoCommTo& c) { out.push_back(c.textNo); });
    return out;
}

// A frame known only through the port: its own work area and status bar.
class PortOnlyFrame : public MainWindow {
public:
    PortOnlyFrame() : area_(new QMdiArea(this)), bar_(new TMainStatusBar(this))
    {
        setCentralWidget(area_);
        setStatusBar(bar_);
    }
    TMainStatusBar* StatusBar1() const override { return bar_; }
    QMdiArea* MdiArea() const override { return area_; }
    QMdiSubWindow* AddChildWindow(QWidget* window) override
    {
        ++added;
        QMdiSubWindow* sub = area_->addSubWindow(window);
        window->show();
        return sub;
    }
    int added = 0;

private:
    QMdiArea* area_;
    TMainStatusBar* bar_;
};

} // namespace

class WriteTextFormTest : public QObject {
    Q_OBJECT

private:
    WriteTextContext Context()
    {
        return {session_.App().WritingPort(), &session_.App().Services(), &session_.App().MainWindow(), {}};
    }

    // Waits for the recipients worker, fills the body and submits; the new
    // text's number, 0 when none was created.
    int32_t Submit(TWriteTextForm* form, const QString& body)
    {
        if (!form || !QTest::qWaitFor([form] { return !form->Model().WorkerRunning(); }, 5000))
            return 0;
        form->WriteTextEdit()->setPlainText(body);
        QSignalSpy submitted(form, &TWriteTextForm::Submitted);
        form->SubmitTextAction->trigger();
        return submitted.count() == 1 ? submitted.at(0).at(0).value<int32_t>() : 0;
    }

    // A writing window in the main window's frame, for a new text in `conf`
    // when one is given; not started.
    TWriteTextForm* NewForm(int32_t conf = 0)
    {
        auto* form = new TWriteTextForm(session_.App().WritingPort(), &session_.App().Services(),
                                        &session_.App().MainWindow());
        if (conf)
            form->Model().PrefillNewText(conf);
        session_.App().MainWindow().AddChildWindow(form);
        return form;
    }

    // Throws the text away, answering yes, and waits until its window is gone.
    void Trash(TWriteTextForm* form)
    {
        QPointer<TWriteTextForm> watch(form);
        form->SetQuestionAnswerer([](const QString&) { return true; });
        form->TrashTextAction->trigger();
        QTRY_VERIFY(watch.isNull() && session_.App().MainWindow().MdiArea()->subWindowList().isEmpty());
    }

    int32_t WriteNewText(int32_t conf, const QString& subject)
    {
        TWriteTextForm* form = NewForm(conf);
        form->Start();
        form->SubjectEdit()->setText(subject);
        return Submit(form, QStringLiteral("Body of ") + subject);
    }

    pellar::test::LiveSession session_;

private slots:
    void initTestCase()
    {
        std::string error;
        QVERIFY2(session_.Start(&error), error.c_str());
        session_.App().MainWindow().show();
    }

    void cleanupTestCase() { session_.Stop(); }

    void init() { session_.messages.clear(); }

    void newTextAndItsCommentReachTheServerWithTheRecipients()
    {
        const int32_t general = session_.Number("General discussion");
        QVERIFY(general > 0);
        AnswerDialog<TGetNameForm>([](TGetNameForm* prompt) {
            prompt->NameEdit()->SetText(QStringLiteral("General discussion"));
            prompt->OkButton()->click();
        });
        TWriteTextForm* form = OpenWriteText(Context(), TextCompositionMode::NewText);
        QVERIFY(form);
        QTRY_COMPARE(form->ListView()->topLevelItemCount(), 1);
        QCOMPARE(form->ListView()->topLevelItem(0)->text(0), QStringLiteral("Recipient"));
        form->SubjectEdit()->setText(QStringLiteral("Parent text"));
        const int32_t parent = Submit(form, QStringLiteral("First line\r\nSecond line"));
        QVERIFY(parent > 0);

        TWriteTextForm* comment = OpenWriteText(Context(), TextCompositionMode::Comment, parent);
        QVERIFY(comment);
        QPointer<TWriteTextForm> watch(comment);
        QCOMPARE(comment->SubjectEdit()->text(), QStringLiteral("Parent text"));
        QTRY_COMPARE(comment->ListView()->topLevelItemCount(), 2);
        pellar::test::SaveScreenshot(comment, QStringLiteral("WriteTextForm"));
        const int32_t text = Submit(comment, QStringLiteral("Agreed.\n\n\n"));
        QVERIFY(text > 0);
        QTRY_VERIFY(watch.isNull());  // a submitted text's window closes

        MVCache& cache = session_.ClientContext().Cache();
        auto stat = cache.GetTextStat(text);
        QVERIFY(stat);
        QCOMPARE(Recipients(*stat), std::vector<int32_t>{general});
        QCOMPARE(CommentedTexts(*stat), std::vector<int32_t>{parent});
        auto body = cache.GetText(text);
        QVERIFY(body);
        // No trailing empty lines reach the server (the cache ends a body
        // with one line break of its own).
        QVERIFY2(body->Body().rfind("Agreed.", 0) == 0 && body->Body().find("\n\n") == std::string::npos,
                 QByteArray::fromStdString(body->Body()).toHex().constData());
        const std::string parentBody = cache.GetText(parent)->Body();
        QVERIFY(parentBody.rfind("First line", 0) == 0);
        QVERIFY(parentBody.find("\r\r") == std::string::npos);
    }

    void aCommentToAForwardingConferenceGoesToItsSuperConference()
    {
        const int32_t announce = session_.Number("Programming announcements");
        const int32_t programming = session_.Number("Programming");
        QVERIFY(announce > 0 && programming > 0);
        const int32_t parent = WriteNewText(announce, QStringLiteral("Release 2"));
        QVERIFY(parent > 0);

        TWriteTextForm* comment = OpenWriteText(Context(), TextCompositionMode::Comment, parent);
        QVERIFY(comment);
        QTRY_VERIFY_WITH_TIMEOUT(!comment->Model().WorkerRunning(), 5000);
        const auto rows = comment->Model().Links().Rows();
        QCOMPARE(rows.size(), size_t{2});
        QCOMPARE(rows[1].kind, LinkKind::Recipient);
        QCOMPARE(rows[1].number, programming);
        Trash(comment);
    }

    void aWindowOpenedInAFrameKnownOnlyByItsPortLivesAndReportsThere()
    {
        const int32_t programming = session_.Number("Programming");
        QVERIFY(programming > 0);
        PortOnlyFrame frame;
        frame.show();
        WriteTextContext context{session_.App().WritingPort(), &session_.App().Services(), &frame, {}};
        TWriteTextForm* form = OpenChosenWriteText(context, TextCompositionMode::NewText, programming);
        QVERIFY(form);
        QCOMPARE(frame.added, 1);
        QCOMPARE(frame.MdiArea()->subWindowList().size(), 1);
        QVERIFY(session_.App().MainWindow().MdiArea()->subWindowList().isEmpty());
        form->SubjectEdit()->setText(QStringLiteral("Through the port"));
        const int32_t text = Submit(form, QStringLiteral("Body"));
        QVERIFY(text > 0);
        QCOMPARE(frame.StatusBar1()->Notice(), QStringLiteral("Text %1 created.").arg(text));
        QVERIFY(session_.App().MainWindow().StatusBar1()->Notice() != frame.StatusBar1()->Notice());
    }

    void aFootnoteToSomeoneElsesTextIsRefused()
    {
        MVCache& cache = session_.ClientContext().Cache();
        const int32_t me = session_.ClientContext().CurrentPerson();
        int32_t foreign = 0;
        for (int32_t n = 1; n < 50 && foreign == 0; ++n)
            if (auto stat = cache.GetTextStat(n); stat && stat->Author() != me)
                foreign = n;
        QVERIFY(foreign > 0);
        QVERIFY(!OpenWriteText(Context(), TextCompositionMode::Footnote, foreign));
        QTRY_VERIFY(!session_.messages.empty());
        QCOMPARE(session_.messages.back(),
                 QStringLiteral("Footnotes to texts can only be added by the author of the original message"));
        QVERIFY(session_.App().MainWindow().MdiArea()->subWindowList().isEmpty());
    }

    void onlyCarbonCopiesAskTheNoRecipientsQuestionAndNoKeepsTheWindow()
    {
        TWriteTextForm* form = NewForm();
        form->Start();
        QVERIFY(form->Model().AddRecipient(session_.Number("General discussion"), true));
        QCOMPARE(form->ListView()->topLevelItem(0)->text(0), QStringLiteral("Carbon copy"));
        QStringList asked;
        form->SetQuestionAnswerer([&](const QString& q) {
            asked << q;
            return false;
        });
        QSignalSpy submitted(form, &TWriteTextForm::Submitted);
        form->SubmitTextAction->trigger();
        QCOMPARE(asked, QStringList{QStringLiteral("No recipients! Do you really want to submit this message?")});
        QCOMPARE(submitted.count(), 0);
        QVERIFY(form->SubmitTextAction->isEnabled());
        QVERIFY(form->isVisible());
        Trash(form);
    }

    void aConferenceNoticeIsShownModallyWhileTheRecipientsWorkerWaits()
    {
        const int32_t welcome = session_.Number("Welcome");
        QVERIFY(welcome > 0);
        TWriteTextForm* form = NewForm(welcome);
        bool noticeUp = false;
        bool workerWaited = false;
        AnswerDialog<TNoteOnDoorForm>([&](TNoteOnDoorForm* note) {
            noticeUp = true;
            workerWaited = form->Model().WorkerRunning();
            note->reject();
        });
        form->Start();
        QTRY_VERIFY(noticeUp);
        QVERIFY(workerWaited);
        QTRY_VERIFY(!form->Model().WorkerRunning());
        QCOMPARE(form->ListView()->topLevelItemCount(), 1);

        Trash(form);
    }

    void ctrlAAddsARecipientWhicheverFieldHasTheFocus()
    {
        TWriteTextForm* form = NewForm();
        auto* sub = qobject_cast<QMdiSubWindow*>(form->parentWidget());
        QVERIFY(sub);
        form->Start();
        QTRY_VERIFY(!form->Model().WorkerRunning());
        session_.App().MainWindow().activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&session_.App().MainWindow()));
        session_.App().MainWindow().MdiArea()->setActiveSubWindow(sub);

        QStringList prompts;
        const QList<QWidget*> fields = {form->WriteTextEdit(), form->SubjectEdit()};
        for (QWidget* field : fields) {
            AnswerDialog<TGetNameForm>([&prompts](TGetNameForm* prompt) {
                prompts << prompt->windowTitle();
                prompt->reject();
            });
            QApplication::setActiveWindow(&session_.App().MainWindow());
            field->setFocus();
            QTRY_VERIFY(field->hasFocus());
            // The prompt is modal: answered before the key click returns.
            QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        }
        QCOMPARE(prompts, (QStringList{QStringLiteral("Add recipient"), QStringLiteral("Add recipient")}));

        Trash(form);
    }

    void keyboardCaretAndClipboardRules()
    {
        TWriteTextForm* form = NewForm();
        form->Start();
        form->Model().AddRecipient(session_.Number("General discussion"), false);

        // Enter in the subject is not inserted.
        QTest::keyClicks(form->SubjectEdit(), QStringLiteral("Hello"));
        QTest::keyClick(form->SubjectEdit(), Qt::Key_Return);
        QCOMPARE(form->SubjectEdit()->text(), QStringLiteral("Hello"));
        QCOMPARE(form->Model().Subject(), std::string("Hello"));

        TMiravoTextEdit* body = form->WriteTextEdit();
        QTest::keyClicks(body, QStringLiteral("ab"));
        QTest::keyClick(body, Qt::Key_Return);
        QTest::keyClicks(body, QStringLiteral("cde"));
        QCOMPARE(form->CaretText(), QStringLiteral("1:3"));
        QCOMPARE(session_.App().MainWindow().StatusBar1()->KeyCommand(), QStringLiteral("1:3"));
        QVERIFY(!form->ClipboardCopyAction->isEnabled());
        QVERIFY(!form->ClipboardCutAction->isEnabled());
        body->selectAll();
        QVERIFY(form->ClipboardCopyAction->isEnabled());
        QVERIFY(form->ClipboardCutAction->isEnabled());
        body->moveCursor(QTextCursor::End);
        QVERIFY(!form->ClipboardCutAction->isEnabled());

        // Tab is typed into the body; Shift+Tab takes it back.
        QTest::keyClick(body, Qt::Key_Tab);
        QCOMPARE(body->toPlainText(), QStringLiteral("ab\ncde\t"));
        QTest::keyClick(body, Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(body->toPlainText(), QStringLiteral("ab\ncde"));
        QCOMPARE(form->Model().Body(), std::string("ab\ncde"));

        // Delete in the link list asks first.
        form->ListView()->setCurrentItem(form->ListView()->topLevelItem(0));
        bool answer = false;
        form->SetQuestionAnswerer([&](const QString& q) {
            return q == QStringLiteral("Really delete this entry?") && answer;
        });
        QTest::keyClick(form->ListView(), Qt::Key_Delete);
        QCOMPARE(form->ListView()->topLevelItemCount(), 1);
        answer = true;
        QTest::keyClick(form->ListView(), Qt::Key_Delete);
        QCOMPARE(form->ListView()->topLevelItemCount(), 0);
        QVERIFY(form->Model().Links().Rows().empty());

        Trash(form);
    }
};

QTEST_MAIN(WriteTextFormTest)
#include "WriteTextForm_test.moc"
