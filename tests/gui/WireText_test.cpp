// Text in any script through the profile's character set, against the
// reference server in UTF-8: what goes out comes back byte for byte and shows
// the same; bytes an ISO-8859-1 client wrote show as their letters; an
// ISO-8859-1 profile asks before it loses a character and says why a name
// with such characters is not found.
#include "support/gui/GuiTestSupport.h"
#include "support/gui/LiveSession.h"

#include "core/config/ConfigKeys.h"
#include "core/events/ClientEventsSession.h"
#include "core/wire/TMiravoText.h"
#include "core/session/MVCache.h"
#include "core/session/NameLookup.h"
#include "core/writing/ClientWritingSession.h"
#include "gui/dialogs/OfflineMessageForm.h"
#include "gui/events/EventsController.h"
#include "gui/events/MessagesForm.h"
#include "gui/common/GuiServices.h"
#include "gui/common/QtGuiThread.h"
#include "gui/common/UnencodablePrompt.h"
#include "gui/common/WireCodec.h"
#include "gui/common/MiravoCompletionEdit.h"
#include "gui/common/MiravoTextEdit.h"
#include "gui/writing/WriteTextForm.h"

#include <QCheckBox>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace pellar;
using pellar::test::AnswerDialog;

namespace {

const QString kEveryScript = QStringLiteral("Grüße, Ångström, Ελληνικά, Русский, 日本語, emoji 🎉");

std::string Utf8(const QString& text)
{
    return text.toUtf8().toStdString();
}

// Received messages hold the wire bytes, one QChar per byte.
QString Bytes(const std::string& bytes)
{
    return QString::fromLatin1(QByteArray::fromStdString(bytes));
}

void ClickInNextQuestion(const char* buttonName)
{
    const QString name = QString::fromLatin1(buttonName);
    AnswerDialog<QMessageBox>([name](QMessageBox* box) {
        if (auto* button = box->findChild<QPushButton*>(name))
            button->click();
        else
            box->reject();
    });
}

} // namespace

class WireTextTest : public QObject {
    Q_OBJECT

private:
    int32_t WriteText(int32_t conf, const QString& subject, const QString& body)
    {
        auto* form = new TWriteTextForm(session_.App().WritingPort(), &session_.App().Services(),
                                        &session_.App().MainWindow());
        form->Model().PrefillNewText(conf);
        session_.App().MainWindow().AddChildWindow(form);
        form->Start();
        if (!QTest::qWaitFor([form] { return !form->Model().WorkerRunning(); }, 5000))
            return 0;
        form->SubjectEdit()->setText(subject);
        form->WriteTextEdit()->setPlainText(body);
        QSignalSpy submitted(form, &TWriteTextForm::Submitted);
        form->SubmitTextAction->trigger();
        return submitted.count() == 1 ? submitted.at(0).at(0).value<int32_t>() : 0;
    }

    // Sends the main messages window's text to everyone logged on.
    void SendToAll(const QString& text)
    {
        TMessagesForm* messages = events_->MainMessages();
        messages->SentToAllCheckBox()->setChecked(true);
        messages->WriteMsgMemo()->setPlainText(text);
        messages->SendMessageAction()->trigger();
    }

    pellar::test::LiveSession session_;
    std::unique_ptr<test::SessionClient> anna_;
    std::unique_ptr<EventsController> events_;
    int32_t general_ = 0;

private slots:
    void initTestCase()
    {
        session_.serverCharset = WireCharset::Utf8;
        std::string error;
        QVERIFY2(session_.Start(&error,
                                [](AppController& app) {
                                    app.ClientContext().Config().WriteString(ConfigKeys::Charset, "UTF-8");
                                }),
                 error.c_str());
        // The logged-on profile's set is the one text goes through.
        QCOMPARE(ActiveWireCharset(), WireCharset::Utf8);
        anna_ = std::make_unique<test::SessionClient>(session_.ServerPort(), "Anna Berg");
        QVERIFY(anna_->logon.LogOn());
        events_ = std::make_unique<EventsController>(session_.App().EventsPort(), session_.App().WritingPort(),
                                                     session_.App().MainWindow());
        events_->SetEnabled(true);
        events_->UpdateActions();
        general_ = session_.Number("General discussion");
        QVERIFY(general_ > 0);
    }

    void cleanupTestCase()
    {
        events_.reset();
        anna_.reset();
        session_.Stop();
        SetActiveWireCharset(WireCharset::Latin1);
    }

    void init()
    {
        SetActiveWireCharset(WireCharset::Utf8);
        anna_->ForgetReceived();
    }

    void aTextInEveryScriptComesBackByteExactAndShowsTheSame()
    {
        const QString subject = QStringLiteral("Ελληνικά, 日本語 🎉");
        const int32_t text = WriteText(general_, subject, kEveryScript);
        QVERIFY(text > 0);
        // Another client, with a cache of its own, reads what the server keeps.
        auto stored = anna_->client.Cache().GetText(text);
        QVERIFY(stored);
        QCOMPARE(stored->Subject(), Utf8(subject));
        QVERIFY2(stored->Body().rfind(Utf8(kEveryScript), 0) == 0,
                 QByteArray::fromStdString(stored->Body()).toHex().constData());
        QCOMPARE(FromWire(stored->Subject()), subject);
        QVERIFY(FromWire(stored->Body()).startsWith(kEveryScript));
    }

    void aTextWrittenAsLatin1BytesShowsItsLetters()
    {
        const std::string latin1 = "Gr\xFC\xDF" "e aus M\xFCnchen";
        TGenericTrans create(anna_->client.Protocol(), "Create text",
                             requests::CreateText(latin1 + "\n" + latin1, "1 { 0 " + std::to_string(general_) + " }",
                                                  "0 { }"));
        QVERIFY(anna_->client.Transactions().ExecuteAndWait(create));
        const std::string reply = create.ReplyLine();
        const int32_t text = std::atoi(reply.substr(reply.rfind(' ') + 1).c_str());
        QVERIFY2(text > 0, reply.c_str());
        auto stored = session_.ClientContext().Cache().GetText(text);
        QVERIFY(stored);
        QCOMPARE(stored->Subject(), latin1);
        QCOMPARE(FromWire(stored->Subject()), QStringLiteral("Grüße aus München"));
    }

    void personNamesAreFoundByFoldedPrefixAndShowInTheirScript()
    {
        NameLookup& names = *session_.App().Services().names;
        const std::vector<NameMatch> greek = names.Lookup(ToWire(QStringLiteral("ελέ")), true, false).matches;
        QCOMPARE(greek.size(), size_t(1));
        QCOMPARE(FromWire(greek.front().name), QStringLiteral("Ελένη Παπαδοπούλου"));
        const std::vector<NameMatch> japanese = names.Lookup(ToWire(QStringLiteral("山田")), true, false).matches;
        QCOMPARE(japanese.size(), size_t(1));
        QCOMPARE(FromWire(japanese.front().name), QStringLiteral("山田 花子"));

        TMiravoCompletionEdit edit;
        edit.SetServices(&session_.App().Services());
        edit.SetConfTypes(TMVConfType::ctUsers);
        edit.SetText(QStringLiteral("åsa ång"));
        QCOMPARE(edit.ConferenceNumber(), session_.Number(Utf8(QStringLiteral("Åsa Ångström")), true));
        QCOMPARE(edit.text(), QStringLiteral("Åsa Ångström"));
    }

    void aMessageInEveryScriptGoesAndComesByteExact()
    {
        SendToAll(kEveryScript);
        QTRY_VERIFY(test::Received(*anna_).contains(Bytes(Utf8(kEveryScript))));

        const QString back = QStringLiteral("Καλησπέρα 🙂 こんにちは");
        QVERIFY(anna_->Send(session_.ClientContext().CurrentPerson(), Utf8(back)));
        QTRY_VERIFY(events_->MainMessages()->IncomingEdit()->toPlainText().contains(back));
        pellar::test::SaveScreenshot(events_->MainMessages(), QStringLiteral("MessagesFormUtf8"));
    }

    void latin1ProfileAsksAndEditSendsNothing()
    {
        SetActiveWireCharset(WireCharset::Latin1);
        ClickInNextQuestion("EditButton");
        SendToAll(QStringLiteral("日本語"));
        // Still there to edit; a marker sent next arrives alone.
        QCOMPARE(events_->MainMessages()->WriteMsgMemo()->toPlainText(), QStringLiteral("日本語"));
        SendToAll(QStringLiteral("marker"));
        QTRY_VERIFY(test::Received(*anna_).contains(QStringLiteral("marker")));
        QCOMPARE(test::Received(*anna_), QStringList{QStringLiteral("marker")});
    }

    void latin1ProfileSendsQuestionMarksWhenTheUserChoosesTo()
    {
        SetActiveWireCharset(WireCharset::Latin1);
        ClickInNextQuestion("SendAnywayButton");
        SendToAll(QStringLiteral("日本語"));
        QTRY_VERIFY(test::Received(*anna_).contains(QStringLiteral("???")));
        QVERIFY(events_->MainMessages()->WriteMsgMemo()->toPlainText().isEmpty());
    }

    void latin1ProfileSendsGermanAndNordicLettersAsSingleBytesWithoutAsking()
    {
        SetActiveWireCharset(WireCharset::Latin1);
        // No question is answered here: one would block the send for good.
        SendToAll(QStringLiteral("Grüße, Ångström"));
        QTRY_VERIFY(test::Received(*anna_).contains(Bytes("Gr\xFC\xDF" "e, \xC5ngstr\xF6m")));
    }

    void latin1ProfileAsksAboutATypedAnswerAndEditingShowsItAgain()
    {
        SetActiveWireCharset(WireCharset::Latin1);
        QString shownAgain;
        AnswerDialog<QInputDialog>([&shownAgain](QInputDialog* first) {
            AnswerDialog<QMessageBox>([&shownAgain](QMessageBox* box) {
                AnswerDialog<QInputDialog>([&shownAgain](QInputDialog* again) {
                    shownAgain = again->textValue();
                    again->setTextValue(QStringLiteral("Nihon"));
                    again->accept();
                });
                box->findChild<QPushButton*>(QStringLiteral("EditButton"))->click();
            });
            first->setTextValue(QStringLiteral("日本"));
            first->accept();
        });
        const std::optional<QString> answer =
            PromptSendableText(nullptr, QStringLiteral("Create conference"), QStringLiteral("Name:"), QString());
        QCOMPARE(shownAgain, QStringLiteral("日本"));
        QCOMPARE(answer, std::optional<QString>(QStringLiteral("Nihon")));
    }

    void theAwayReplyNamesWhatItCannotCarry()
    {
        SetActiveWireCharset(WireCharset::Latin1);
        TOfflineMessageForm away;
        away.SetMessage(QStringLiteral("Borta, åter i morgon"));
        QVERIFY(away.LossNoteLabel()->isHidden());
        away.SetMessage(QStringLiteral("留守です"));
        QVERIFY(!away.LossNoteLabel()->isHidden());
        QVERIFY2(away.LossNoteLabel()->text().contains(QStringLiteral("留 (U+7559)")),
                 qPrintable(away.LossNoteLabel()->text()));
        // A UTF-8 profile carries all of it.
        SetActiveWireCharset(WireCharset::Utf8);
        away.SetMessage(QStringLiteral("留守です 🎉"));
        QVERIFY(away.LossNoteLabel()->isHidden());
    }

    void latin1ProfileSaysWhyANameBeyondItIsNotLookedUp()
    {
        SetActiveWireCharset(WireCharset::Latin1);
        TMiravoCompletionEdit edit;
        edit.SetServices(&session_.App().Services());
        edit.SetConfTypes(TMVConfType::ctUsers);
        edit.SetText(QStringLiteral("ελέ"));
        QCOMPARE(edit.ConferenceNumber(), -1);
        QVERIFY2(edit.toolTip().contains(QStringLiteral("ε (U+03B5)")), qPrintable(edit.toolTip()));
        QVERIFY(edit.toolTip().contains(QStringLiteral("ISO-8859-1")));
        // A name it can hold is looked up as before and the note goes.
        edit.SetText(QStringLiteral("anna b"));
        QCOMPARE(edit.ConferenceNumber(), session_.Number("Anna Berg", true));
        QVERIFY(edit.toolTip().isEmpty());
    }
};

QTEST_MAIN(WireTextTest)
#include "WireText_test.moc"
