#include "gui/dialogs/CreateConfForm.h"
#include "gui/dialogs/LoginForm.h"
#include "gui/dialogs/NewUserForm.h"
#include "gui/dialogs/NoPresentationForm.h"
#include "gui/dialogs/OfflineMessageForm.h"
#include "tests/gui/ScriptedLookup.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace pellar;

class AccountDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void LoginLoadsTheDefaultProfileOnShow()
    {
        TLoginForm form;
        QStringList asked;
        form.SetProfileLoader([&](const QString& profile) {
            asked << profile;
            if (profile.isEmpty())
                return TLoginForm::Fields{"miravo.example.org", "4894", "Anna", ""};
            return TLoginForm::Fields{"work.example.org", "4000", "Anna Berg", "secret"};
        });
        form.SetProfiles({QStringLiteral("work"), QStringLiteral("home")});
        QCOMPARE(form.CfgComboBox()->count(), 3);
        QCOMPARE(form.CfgComboBox()->itemText(0), QStringLiteral("*Default*"));

        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        QCOMPARE(asked, QStringList{QString()});
        QCOMPARE(form.Host(), QStringLiteral("miravo.example.org"));
        QCOMPARE(form.Port(), QStringLiteral("4894"));
        QCOMPARE(form.User(), QStringLiteral("Anna"));
        QVERIFY(form.Password().isEmpty());
        QTRY_VERIFY(form.PwdEdit()->hasFocus());
        test::SaveScreenshot(&form, QStringLiteral("login"));

        form.CfgComboBox()->setCurrentIndex(1);
        QCOMPARE(form.SelectedProfile(), QStringLiteral("work"));
        QCOMPARE(form.Host(), QStringLiteral("work.example.org"));
        QCOMPARE(form.Password(), QStringLiteral("secret"));

        // Back to the default discards what was typed.
        form.UserEdit()->setText(QStringLiteral("typed"));
        form.CfgComboBox()->setCurrentIndex(0);
        QCOMPARE(form.SelectedProfile(), QString());
        QCOMPARE(form.User(), QStringLiteral("Anna"));
    }

    void LoginShowsDefaultAgainOnEveryShow()
    {
        TLoginForm form;
        int loads = 0;
        form.SetProfileLoader([&](const QString& p) {
            ++loads;
            return TLoginForm::Fields{p.isEmpty() ? "default" : "other", "1", "", ""};
        });
        form.SetProfiles({QStringLiteral("other")});
        form.show();
        form.CfgComboBox()->setCurrentIndex(1);
        form.hide();
        form.show();
        QCOMPARE(form.CfgComboBox()->currentIndex(), 0);
        QCOMPARE(form.Host(), QStringLiteral("default"));
        QCOMPARE(loads, 3);
    }

    void LoginOkNeedsHostAndPort()
    {
        TLoginForm form;
        form.HostEdit()->setText(QStringLiteral("host"));
        form.PortEdit()->setText(QStringLiteral("4894"));
        QVERIFY(form.OkButton()->isEnabled());
        for (const char* bad : {"", "0", "65536", "48x", "-1"}) {
            form.PortEdit()->setText(QString::fromLatin1(bad));
            QVERIFY2(!form.OkButton()->isEnabled(), bad);
        }
        form.PortEdit()->setText(QStringLiteral("65535"));
        form.HostEdit()->setText(QStringLiteral("  "));
        QVERIFY(!form.OkButton()->isEnabled());
    }

    void LoginHasNoCloseButtonAndMasksThePassword()
    {
        TLoginForm form;
        QVERIFY(!(form.windowFlags() & Qt::WindowCloseButtonHint));
        QCOMPARE(form.PwdEdit()->echoMode(), QLineEdit::Password);
        QCOMPARE(form.windowTitle(), QStringLiteral("Login"));
        QSignalSpy rejected(&form, &QDialog::rejected);
        form.open();
        form.findChild<QPushButton*>(QStringLiteral("CancelButton"))->click();
        QCOMPARE(rejected.size(), 1);
    }

    void NewAccountHintFollowsTheFocus()
    {
        TNewUserForm form;
        form.Prepare(QStringLiteral("Anna Berg, ACME"));
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        form.UserEdit()->setFocus();
        QTRY_VERIFY(form.HintEdit()->toPlainText().startsWith(QStringLiteral("Enter a user name and organization")));
        form.PwdEdit()->setFocus();
        QTRY_VERIFY(form.HintEdit()->toPlainText().contains(QStringLiteral("Don't use passwords from other systems!")));
        form.ConfirmPwdEdit()->setFocus();
        QTRY_COMPARE(form.HintEdit()->toPlainText(), QStringLiteral("Enter the same password again to confirm."));
        test::SaveScreenshot(&form, QStringLiteral("new-account"));
    }

    void NewAccountResults()
    {
        TNewUserForm form;
        form.Prepare(QStringLiteral("Anna"));
        QVERIFY(form.OkButton()->isEnabled());
        form.PwdEdit()->setText(QStringLiteral("a"));
        form.ConfirmPwdEdit()->setText(QStringLiteral("b"));
        QVERIFY(!form.PasswordsMatch());
        form.Prepare(QStringLiteral("Anna"));
        QVERIFY(form.PwdEdit()->text().isEmpty() && form.ConfirmPwdEdit()->text().isEmpty());
        form.UserEdit()->clear();
        QVERIFY(!form.OkButton()->isEnabled());
    }

    void CreateConferenceResetsAndNeedsAName()
    {
        TCreateConfForm form;
        form.NameEdit()->setText(QStringLiteral("Old"));
        form.SecretCheckBox()->setChecked(true);
        form.OpenCheckBox()->setChecked(false);
        form.Reset();
        QVERIFY(form.Name().isEmpty());
        QVERIFY(form.OpenForEveryone() && form.AllowComments());
        QVERIFY(!form.Secret() && !form.AllowAnonymous());
        QVERIFY(!form.OkButton()->isEnabled());
        form.NameEdit()->setText(QStringLiteral("Kaffe"));
        QVERIFY(form.OkButton()->isEnabled());
        test::SaveScreenshot(&form, QStringLiteral("create-conference"));
        form.NameEdit()->setText(QStringLiteral("   "));
        QVERIFY(!form.OkButton()->isEnabled());
    }

    void PresentationPromptReportsTheBoxWhenHidden()
    {
        TNoPresentationForm form;
        QSignalSpy spy(&form, &TNoPresentationForm::DontShowAgainChanged);
        form.open();
        form.DontShowCheckBox()->setChecked(true);
        test::SaveScreenshot(&form, QStringLiteral("no-presentation"));
        form.NoButton()->click();
        QCOMPARE(form.result(), int(QDialog::Rejected));
        QCOMPARE(spy.size(), 1);
        QCOMPARE(spy.at(0).at(0).toBool(), true);

        form.open();
        form.DontShowCheckBox()->setChecked(false);
        form.YesButton()->click();
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(spy.size(), 2);
        QCOMPARE(spy.at(1).at(0).toBool(), false);
    }

    void OfflineMessageLoadsOnShowAndStoresOnHide()
    {
        TOfflineMessageForm form;
        connect(&form, &TOfflineMessageForm::Showing, &form, [&form] {
            form.SetMessage(QStringLiteral("Back soon"));
            form.SetReplyToAll(true);
        });
        QSignalSpy hidden(&form, &TOfflineMessageForm::Hidden);
        QSignalSpy closed(&form, &TOfflineMessageForm::Closed);
        form.show();
        QCOMPARE(form.Message(), QStringLiteral("Back soon"));
        QVERIFY(form.ReplyToAllCheckBox()->isChecked());
        QVERIFY(form.SendCountEdit()->isReadOnly());
        form.SetSendCount(3);
        test::SaveScreenshot(&form, QStringLiteral("offline-message"));
        QCOMPARE(form.SendCountEdit()->text(), QStringLiteral("3"));

        form.MessageMemo()->setPlainText(QStringLiteral("Gone fishing"));
        form.ReplyToAllCheckBox()->setChecked(false);
        form.close();
        QCOMPARE(hidden.size(), 1);
        QCOMPARE(hidden.at(0).at(0).toString(), QStringLiteral("Gone fishing"));
        QCOMPARE(hidden.at(0).at(1).toBool(), false);
        QCOMPARE(closed.size(), 1);
    }
};

QTEST_MAIN(AccountDialogsTest)
#include "AccountDialogs_test.moc"
