// The conference-attributes window against the reference server: loading a
// conference, Apply storing the boxes and reloading, and an unknown number.
#include "support/gui/LiveSession.h"

#include "core/writing/ClientWritingSession.h"

#include "gui/dialogs/ConferenceAttributesForm.h"
#include "gui/common/MiravoCompletionEdit.h"

#include <QCheckBox>
#include <QPushButton>
#include <QTest>

using namespace pellar;

class ConferenceAttributesFormTest : public QObject {
    Q_OBJECT

private:
    pellar::test::LiveSession session_;

private slots:
    void initTestCase()
    {
        std::string error;
        QVERIFY2(session_.Start(&error), error.c_str());
    }

    void cleanupTestCase() { session_.Stop(); }

    void applyKeepsSecretCheckedAfterTheReload()
    {
        const int32_t music = session_.Number("Music and concerts");
        const int32_t programming = session_.Number("Programming");
        QVERIFY(music > 0 && programming > 0);
        auto* form = new TConferenceAttributesForm(session_.App().WritingPort(), &session_.App().Services(), music);
        QStringList shown;
        form->SetMessageShower([&](const QString& m) { shown << m; });
        form->show();
        QCOMPARE(form->NameEdit()->text(), QStringLiteral("Music and concerts"));
        QVERIFY(form->OpenCheckBox()->isChecked());
        QVERIFY(!form->SecretCheckBox()->isChecked());
        pellar::test::SaveScreenshot(form, QStringLiteral("ConferenceAttributesForm"));

        form->SecretCheckBox()->setChecked(true);
        form->AllowCommentsCheckBox()->setChecked(false);
        form->SuperConfEdit()->SetConferenceNumber(programming);
        form->ApplyButton()->click();
        QVERIFY2(shown.isEmpty(), qPrintable(shown.join(QLatin1Char('\n'))));
        QVERIFY(form->SecretCheckBox()->isChecked());
        QVERIFY(!form->AllowCommentsCheckBox()->isChecked());
        QVERIFY(form->OpenCheckBox()->isChecked());
        QCOMPARE(form->SuperConfEdit()->text(), QStringLiteral("Programming"));

        // A second window sees what the server stored.
        TConferenceAttributesForm again(session_.App().WritingPort(), &session_.App().Services(), music);
        again.SetMessageShower([&](const QString& m) { shown << m; });
        again.show();
        QVERIFY(again.SecretCheckBox()->isChecked());
        QCOMPARE(again.SuperConfEdit()->ConferenceNumber(), programming);
        QVERIFY(shown.isEmpty());
        form->CancelButton()->click();
    }

    void anUnknownConferenceSaysSoAndLeavesTheFields()
    {
        TConferenceAttributesForm form(session_.App().WritingPort(), &session_.App().Services(), 987654);
        QStringList shown;
        form.SetMessageShower([&](const QString& m) { shown << m; });
        form.show();
        QCOMPARE(shown, QStringList{QStringLiteral("Unable to get conf stat!")});
        QVERIFY(form.NameEdit()->text().isEmpty());
        QVERIFY(form.OpenCheckBox()->isChecked() == false);
    }
};

QTEST_MAIN(ConferenceAttributesFormTest)
#include "ConferenceAttributesForm_test.moc"
