// The search window against the reference server: finding by author and by
// subject, the start checks, stopping, and double-click to read.
#include "support/gui/LiveSession.h"

#include "core/wire/TMiravoText.h"
#include "core/wire/TextStatType.h"
#include "core/session/MVCache.h"
#include "gui/search/FindTextForm.h"
#include "gui/common/QtGuiThread.h"
#include "gui/common/MiravoCompletionEdit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLocale>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

using namespace pellar;

class FindTextFormTest : public QObject {
    Q_OBJECT

private:
    TFindTextForm* NewForm()
    {
        auto* form = new TFindTextForm(session_.ClientContext().Cache(), &session_.App().Services());
        form->SetMessageShower([this](const QString& m) { shown_ << m; });
        form->show();
        form->DateTimePicker()->setDate(QDate(1990, 1, 1));
        return form;
    }

    void RunToEnd(TFindTextForm* form)
    {
        form->FindButton()->click();
        QVERIFY(form->StopButton()->isEnabled() || !form->Searching());
        QTRY_VERIFY_WITH_TIMEOUT(!form->Searching(), 15000);
        QVERIFY(form->FindButton()->isEnabled());
        QVERIFY(!form->StopButton()->isEnabled());
        QVERIFY(form->ProgressBar1()->isHidden());
    }

    pellar::test::LiveSession session_;
    QStringList shown_;

private slots:
    void initTestCase()
    {
        std::string error;
        QVERIFY2(session_.Start(&error), error.c_str());
    }

    void cleanupTestCase() { session_.Stop(); }

    void init() { shown_.clear(); }

    void theConferenceIsRequiredAndEnablesTheCriteria()
    {
        std::unique_ptr<TFindTextForm> form(NewForm());
        form->setAttribute(Qt::WA_DeleteOnClose, false);
        QVERIFY(!form->FindButton()->isEnabled());
        QVERIFY(!form->ByMVEdit()->isEnabled());
        QCOMPARE(form->SubjComboBox()->count(), 4);
        QCOMPARE(form->RegexpCheckBox()->toolTip(),
                 QStringLiteral("Supported regexp functions: \\ [] {} . + * a-c"));
        form->RcptMVEdit()->SetText(QStringLiteral("Nothing is called this"));
        QVERIFY(form->FindButton()->isEnabled());
        QVERIFY(form->ByMVEdit()->isEnabled());
        form->FindButton()->click();  // the name resolves to no conference
        QCOMPARE(shown_, QStringList{QStringLiteral("Conference to seek in is required")});
        QVERIFY(!form->Searching());
    }

    // The date field writes dates as the user's locale does, with the whole year.
    void theDateFieldFollowsTheUsersLocale()
    {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        std::unique_ptr<TFindTextForm> form(NewForm());
        QLocale::setDefault(QLocale::system());
        form->setAttribute(Qt::WA_DeleteOnClose, false);
        QCOMPARE(form->DateTimePicker()->displayFormat(), QStringLiteral("dd.MM.yyyy"));
        QCOMPARE(form->DateTimePicker()->text(), QStringLiteral("01.01.1990"));
    }

    void findsByAuthorAndDoubleClickReads()
    {
        TFindTextForm* form = NewForm();
        // Every text is searched, and the field says so in words.
        QCOMPARE(form->LLastEdit()->text(), QStringLiteral("all"));
        form->RcptMVEdit()->SetText(QStringLiteral("General discussion"));
        form->ByMVEdit()->SetText(QStringLiteral("Anna Berg"));
        RunToEnd(form);
        const int32_t anna = session_.Number("Anna Berg", true);
        QVERIFY(anna > 0);
        QTreeWidget* results = form->ListView1();
        QVERIFY(results->topLevelItemCount() > 0);
        for (int i = 0; i < results->topLevelItemCount(); ++i) {
            QCOMPARE(results->topLevelItem(i)->text(1), QStringLiteral("Anna Berg"));
            auto stat = session_.ClientContext().Cache().GetTextStat(results->topLevelItem(i)->text(0).toInt());
            QVERIFY(stat);
            QCOMPARE(stat->Author(), anna);
        }
        pellar::test::SaveScreenshot(form, QStringLiteral("FindTextForm"));
        QSignalSpy read(form, &TFindTextForm::ReadTextRequested);
        QTreeWidgetItem* first = results->topLevelItem(0);
        emit results->itemDoubleClicked(first, 0);
        QCOMPARE(read.count(), 1);
        QCOMPARE(read.at(0).at(0).value<int32_t>(), first->text(0).toInt());
        form->DoneButton()->click();
    }

    void findsBySubjectInAnyCaseAndByPattern()
    {
        TFindTextForm* form = NewForm();
        form->RcptMVEdit()->SetText(QStringLiteral("General discussion"));
        form->SubjComboBox()->setEditText(QStringLiteral("WEEKEND"));
        RunToEnd(form);
        const int found = form->ListView1()->topLevelItemCount();
        QVERIFY(found > 0);
        for (int i = 0; i < found; ++i)
            QVERIFY(form->ListView1()->topLevelItem(i)->text(2).contains(QStringLiteral("weekend"),
                                                                           Qt::CaseInsensitive));
        // As a pattern the capitals find nothing; the word as written does.
        form->RegexpCheckBox()->setChecked(true);
        RunToEnd(form);
        QCOMPARE(form->ListView1()->topLevelItemCount(), 0);
        form->SubjComboBox()->setEditText(QStringLiteral("W[a-z]+end"));
        RunToEnd(form);
        QCOMPARE(form->ListView1()->topLevelItemCount(), found);
        form->DoneButton()->click();
    }

    void stopEndsTheSearch()
    {
        TFindTextForm* form = NewForm();
        form->RcptMVEdit()->SetText(QStringLiteral("General discussion"));
        form->BodyComboBox()->setEditText(QStringLiteral("no text says this"));
        form->FindButton()->click();
        QVERIFY(form->Searching());
        QVERIFY(form->StopButton()->isEnabled());
        QVERIFY(!form->FindButton()->isEnabled());
        form->StopButton()->click();
        QTRY_VERIFY_WITH_TIMEOUT(!form->Searching(), 15000);
        QVERIFY(form->FindButton()->isEnabled());
        QVERIFY(!form->StopButton()->isEnabled());
        QCOMPARE(form->ListView1()->topLevelItemCount(), 0);
        form->DoneButton()->click();
    }

    void returnInAFieldSearchesAndAnEmptyResultSaysSo()
    {
        TFindTextForm* form = NewForm();
        form->RcptMVEdit()->SetText(QStringLiteral("General discussion"));
        form->SubjComboBox()->setEditText(QStringLiteral("no subject says this"));
        form->SubjComboBox()->setFocus();
        QTest::keyClick(form->SubjComboBox()->lineEdit(), Qt::Key_Return);
        QVERIFY(form->Searching());
        QTRY_VERIFY_WITH_TIMEOUT(!form->Searching(), 15000);
        QCOMPARE(form->ListView1()->topLevelItemCount(), 0);
        QCOMPARE(form->SummaryLabel()->text(), QStringLiteral("No texts found"));

        // A search that finds something says how many; Return in the
        // conference field starts it too.
        form->SubjComboBox()->setEditText(QStringLiteral("WEEKEND"));
        QTest::keyClick(form->RcptMVEdit(), Qt::Key_Enter, Qt::KeypadModifier);
        QVERIFY(form->Searching());
        QVERIFY(form->SummaryLabel()->text().isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(!form->Searching(), 15000);
        const int found = form->ListView1()->topLevelItemCount();
        QVERIFY(found > 0);
        QCOMPARE(form->SummaryLabel()->text(),
                 QStringLiteral("%1 %2 found").arg(found).arg(found == 1 ? "text" : "texts"));
        form->DoneButton()->click();
    }

    void closingWhileSearchingStopsTheSearchAndTheWindowGoes()
    {
        TFindTextForm* form = NewForm();
        QPointer<TFindTextForm> watch(form);
        form->RcptMVEdit()->SetText(QStringLiteral("General discussion"));
        form->BodyComboBox()->setEditText(QStringLiteral("no text says this"));
        form->FindButton()->click();
        QVERIFY(form->Searching());
        // The worker waits for this thread with its first step; closing
        // must release it rather than wait for it.
        form->close();
        QTRY_VERIFY(watch.isNull());
        QVERIFY(shown_.isEmpty());
    }
};

QTEST_MAIN(FindTextFormTest)
#include "FindTextForm_test.moc"
