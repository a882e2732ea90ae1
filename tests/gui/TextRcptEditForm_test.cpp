// The text-properties window against the reference server: the lists, the
// buttons' rules and adding and removing links.
#include "support/gui/LiveSession.h"

#include "core/wire/WireTokens.h"
#include "core/writing/ClientWritingServices.h"
#include "core/writing/ClientWritingSession.h"
#include "core/writing/LinkList.h"
#include "core/writing/SubmissionFormat.h"
#include "gui/common/MiravoCompletionEdit.h"
#include "gui/writing/TextRcptEditForm.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>

using namespace pellar;

class TextRcptEditFormTest : public QObject {
    Q_OBJECT

private:
    int32_t NewText(int32_t conf)
    {
        ClientWritingServices requests(session_.ClientContext());
        LinkList links;
        links.Add({LinkKind::Recipient, conf, {}});
        const RequestReply reply =
            requests.Request("Submit text", pellar::requests::CreateText("Links\nA text to link.",
                                                                         *SubmissionFormat::MiscInfoList(links),
                                                                         SubmissionFormat::AuxItemList({})));
        return reply.ok ? SubmissionFormat::NewTextNumber(reply.line) : 0;
    }

    pellar::test::LiveSession session_;

private slots:
    void initTestCase()
    {
        std::string error;
        QVERIFY2(session_.Start(&error), error.c_str());
    }

    void cleanupTestCase() { session_.Stop(); }

    void addsAndRemovesLinksAndFollowsTheServer()
    {
        const int32_t general = session_.Number("General discussion");
        const int32_t music = session_.Number("Music and concerts");
        const int32_t parent = NewText(general);
        const int32_t text = NewText(general);
        QVERIFY(parent > 0 && text > 0);

        auto* form = new TTextRcptEditForm(session_.App().WritingPort(), &session_.App().Services(), text);
        QPointer<TTextRcptEditForm> watch(form);
        form->show();
        QVERIFY(form->windowTitle().startsWith(QStringLiteral("Text properties for text %1 by [").arg(text)));
        QCOMPARE(form->PageControl()->currentIndex(), 0);
        QCOMPARE(form->RcptListView()->topLevelItemCount(), 1);
        QCOMPARE(form->RcptListView()->topLevelItem(0)->text(0), QString::number(general));
        QVERIFY(form->AuxItemsListView()->topLevelItemCount() >= 1);  // the client item

        for (QPushButton* b : {form->AddRcptButton(), form->AddCCButton(), form->RemoveRcptButton(),
                               form->RemoveCCButton(), form->AddComButton(), form->RemoveComButton(),
                               form->AddFootButton(), form->RemoveFootButton()})
            QVERIFY2(!b->isEnabled(), qPrintable(b->text()));

        form->ConfEdit()->SetConferenceNumber(music);
        QVERIFY(form->AddCCButton()->isEnabled());
        form->AddCCButton()->click();
        QCOMPARE(form->CCListView()->topLevelItemCount(), 1);
        QCOMPARE(form->CCListView()->topLevelItem(0)->text(1), QStringLiteral("Music and concerts"));
        QCOMPARE(form->RcptListView()->topLevelItemCount(), 1);

        form->TextEdit()->setText(QString::number(parent));
        QVERIFY(form->AddComButton()->isEnabled());
        form->AddComButton()->click();
        QCOMPARE(form->ComListView()->topLevelItemCount(), 1);
        QCOMPARE(form->ComListView()->topLevelItem(0)->text(0), QString::number(parent));
        QCOMPARE(form->ComListView()->topLevelItem(0)->text(1), QStringLiteral("Demo User"));
        pellar::test::SaveScreenshot(form, QStringLiteral("TextRcptEditForm"));

        QVERIFY(!form->RemoveComButton()->isEnabled());
        form->ComListView()->setCurrentItem(form->ComListView()->topLevelItem(0));
        QVERIFY(form->RemoveComButton()->isEnabled());
        QVERIFY(!form->RemoveFootButton()->isEnabled());
        form->RemoveComButton()->click();
        QCOMPARE(form->ComListView()->topLevelItemCount(), 0);

        form->CCListView()->setCurrentItem(form->CCListView()->topLevelItem(0));
        form->RemoveCCButton()->click();
        QCOMPARE(form->CCListView()->topLevelItemCount(), 0);
        form->close();
        QTRY_VERIFY(watch.isNull());
    }

    void aTextThatCannotBeHadClosesTheWindow()
    {
        auto* form = new TTextRcptEditForm(session_.App().WritingPort(), &session_.App().Services(), 9999999);
        QPointer<TTextRcptEditForm> watch(form);
        form->show();
        QTRY_VERIFY(watch.isNull());
    }
};

QTEST_MAIN(TextRcptEditFormTest)
#include "TextRcptEditForm_test.moc"
