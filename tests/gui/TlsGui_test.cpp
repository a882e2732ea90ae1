// The encrypted link as the windows show it: the demo runs over TLS and the
// status bar says so, the login dialog's TLS box swaps the port, the trust
// question pins what the user accepts, and the settings page can forget it.
#include "core/config/CertificatePin.h"
#include "core/config/ConfigKeys.h"
#include "core/config/MemoryRegistryBackend.h"
#include "core/session/Client.h"
#include "gui/config/ConfigForm.h"
#include "gui/config/TlsSettingsBox.h"
#include "gui/dialogs/LoginForm.h"
#include "gui/shell/AppController.h"
#include "gui/shell/MainForm.h"
#include "gui/shell/MainMenus.h"
#include "gui/common/MainStatusBar.h"
#include "gui/shell/UserMessagePresenter.h"
#include "server/Server.h"
#include "server/TlsContext.h"

#include "support/gui/AppDriving.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace pellar;
using pellar::test::AnswerDialog;

namespace {

constexpr int kTestIterations = 1000;

} // namespace

class TlsGuiTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<AppController> MakeController()
    {
        auto controller = std::make_unique<AppController>(test::QuietAppOptionsWithGreetingTimeout(state_));
        controller->Messages().SetShower([this](QMessageBox::Icon, const QString& text) { shown_ << text; });
        return controller;
    }

    QTemporaryDir state_;
    QStringList shown_;

private slots:
    void init() { shown_.clear(); }

    void theDemoRunsEncryptedAndTheStatusBarSaysSo()
    {
        auto app = MakeController();
        std::string error;
        QVERIFY2(app->StartDemo({}, &error, kTestIterations), error.c_str());
        QTRY_VERIFY_WITH_TIMEOUT(app->MainWindow().IsOnline(), 20000);
        QVERIFY2(shown_.isEmpty(), qPrintable(shown_.join('\n')));

        Client& client = app->ClientContext();
        QVERIFY(client.ComThread().Encryption().rfind("TLSv1.", 0) == 0);
        TMainStatusBar* bar = app->MainWindow().StatusBar1();
        QVERIFY2(bar->LinkSecurity().startsWith(QStringLiteral("Encrypted (TLSv1.")), qPrintable(bar->LinkSecurity()));
        QVERIFY(!bar->EncryptionPanel()->isHidden());
        // The profile pins the demo's own certificate, on the port it serves.
        TMiravoConfiguration& config = client.Config();
        QVERIFY(config.ReadFlag(ConfigKeys::UseTls, false));
        const auto pin = ParseCertificatePin(config.ReadString(ConfigKeys::TlsPinnedCert, ""));
        QVERIFY(pin);
        QCOMPARE(pin->server, "127.0.0.1:" + config.ReadString(ConfigKeys::TlsPort, ""));
        QCOMPARE(client.ComThread().Port(), config.ReadString(ConfigKeys::TlsPort, ""));
        app->MainWindow().resize(900, 600);
        app->MainWindow().show();
        QVERIFY(QTest::qWaitForWindowExposed(&app->MainWindow()));
        QVERIFY(bar->EncryptionPanel()->isVisible());
        test::SaveScreenshot(&app->MainWindow(), QStringLiteral("demo-tls-status-bar"));

        app->Disconnect();
        QCOMPARE(bar->LinkSecurity(), QString());
        QVERIFY(bar->EncryptionPanel()->isHidden());
    }

    void aPlainLinkIsShownAsNotEncrypted()
    {
        std::string error;
        const auto server = test::StartQuickDemoServer(&error);
        QVERIFY2(server, error.c_str());
        auto app = MakeController();
        QVERIFY(test::ConnectThroughLogin(*app, server->Port()));
        QCOMPARE(app->MainWindow().StatusBar1()->LinkSecurity(), QStringLiteral("Not encrypted"));
        app->Disconnect();
    }

    void theTrustQuestionShowsTheFingerprintAndTrustingPinsIt()
    {
        QTemporaryDir dir;
        const std::filesystem::path cert = dir.filePath("c.pem").toStdString();
        const std::filesystem::path key = dir.filePath("k.pem").toStdString();
        std::string error;
        QVERIFY2(miravod::WriteSelfSignedCertificate(cert, key, "unknown", "IP:127.0.0.1", 1, &error), error.c_str());
        miravod::ServerOptions options;
        options.passwordIterations = kTestIterations;
        options.tlsPort = 0;
        options.tlsCertFile = cert.string();
        options.tlsKeyFile = key.string();
        const auto server = test::StartDemoServer(&error, options);
        QVERIFY2(server, error.c_str());

        auto app = MakeController();
        const QString port = QString::number(server->TlsPort());
        QString question;
        AnswerDialog<TLoginForm>([=, &question](TLoginForm* login) {
            login->HostEdit()->setText(QStringLiteral("127.0.0.1"));
            login->TlsCheckBox()->setChecked(true);
            login->PortEdit()->setText(port);
            login->UserEdit()->setText(QStringLiteral("Demo User"));
            login->PwdEdit()->setText(QStringLiteral("demo"));
            AnswerDialog<QMessageBox>([&question](QMessageBox* box) {
                question = box->text();
                QCOMPARE(box->defaultButton(), box->button(QMessageBox::Cancel));
                box->findChild<QPushButton*>(QStringLiteral("TrustButton"))->click();
            });
            login->OkButton()->click();
        });
        app->MainWindow().Menus()->SessionConnectAction->trigger();
        QVERIFY2(app->MainWindow().IsOnline(), qPrintable(shown_.join('\n')));
        QVERIFY2(question.contains(QString::fromStdString(server->TlsFingerprint())), qPrintable(question));
        QVERIFY(question.contains(QStringLiteral("self-signed")));
        const auto pin =
            ParseCertificatePin(app->ClientContext().Config().ReadString(ConfigKeys::TlsPinnedCert, ""));
        QVERIFY(pin);
        QCOMPARE(pin->fingerprint, server->TlsFingerprint());
        QVERIFY(app->MainWindow().StatusBar1()->LinkSecurity().startsWith(QStringLiteral("Encrypted")));
        app->Disconnect();
    }

    void theLoginDialogSwapsThePortWithTheTlsBox()
    {
        TLoginForm form;
        form.SetProfileLoader([](const QString&) {
            TLoginForm::Fields f{QStringLiteral("miravo.example.org"), QStringLiteral("4894"), QStringLiteral("Anna"),
                                 QString()};
            f.tls = true;
            f.tlsPort = QStringLiteral("4896");
            return f;
        });
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.Tls());
        QCOMPARE(form.Port(), QStringLiteral("4896"));
        form.TlsCheckBox()->setChecked(false);
        QCOMPARE(form.Port(), QStringLiteral("4894"));
        // What was typed for one mode is kept while the other is shown.
        form.PortEdit()->setText(QStringLiteral("5000"));
        form.TlsCheckBox()->setChecked(true);
        QCOMPARE(form.Port(), QStringLiteral("4896"));
        form.TlsCheckBox()->setChecked(false);
        QCOMPARE(form.Port(), QStringLiteral("5000"));
    }

    void theSettingsPageShowsThePinAndCanOnlyForgetIt()
    {
        auto backend = std::make_shared<MemoryRegistryBackend>();
        TMiravoConfiguration config(backend, "anna");
        const std::string fp =
            "00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF";
        config.WriteFlag(ConfigKeys::UseTls, true);
        config.WriteString(ConfigKeys::TlsPort, "4999");
        config.WriteString(ConfigKeys::TlsPinnedCert, FormatCertificatePin({fp, "miravo.example.org:4999"}));
        TConfigForm form;
        form.SetConfiguration(&config);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        TTlsSettingsBox* box = form.TlsBox();
        QCOMPARE(box->UseTlsCheckBox()->checkState(), Qt::Checked);
        QCOMPARE(box->TlsPortEdit()->text(), QStringLiteral("4999"));
        QVERIFY(box->TlsPortEdit()->isEnabled());
        QVERIFY(box->PinLabel()->text().contains(QString::fromStdString(fp)));
        QVERIFY(box->PinLabel()->text().contains(QStringLiteral("miravo.example.org:4999")));
        QVERIFY(box->ForgetButton()->isEnabled());

        // Saving untouched keeps the pin; forgetting removes it on save.
        form.Save();
        QCOMPARE(ParseCertificatePin(config.ReadString(ConfigKeys::TlsPinnedCert, ""))->fingerprint, fp);
        box->ForgetButton()->click();
        QVERIFY(!box->ForgetButton()->isEnabled());
        box->UseTlsCheckBox()->setCheckState(Qt::Unchecked);
        QVERIFY(!box->TlsPortEdit()->isEnabled());
        form.Save();
        QCOMPARE(config.ReadString(ConfigKeys::TlsPinnedCert, ""), std::string());
        QVERIFY(!config.ReadFlag(ConfigKeys::UseTls, true));
        form.hide();
    }

    void aKnownServerWithTlsSetsTheTlsBox()
    {
        auto backend = std::make_shared<MemoryRegistryBackend>();
        TMiravoConfiguration config(backend, "anna");
        TConfigForm form;
        form.SetConfiguration(&config);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const KnownServer* withTls = nullptr;
        for (const KnownServer& k : KnownServers())
            if (k.tls)
                withTls = &k;
        QVERIFY(withTls);
        QAction* tlsAction = nullptr;
        for (QAction* a : form.KnownServersMenu()->actions())
            if (a->text().startsWith(QString::fromUtf8(withTls->name)))
                tlsAction = a;
        QVERIFY(tlsAction);
        // The menu says which servers encrypt.
        QCOMPARE(tlsAction->text(), QString::fromUtf8(withTls->name) + QStringLiteral(" (TLS)"));
        tlsAction->trigger();
        QCOMPARE(form.TlsBox()->UseTlsCheckBox()->checkState(), Qt::Checked);
        QCOMPARE(form.TlsBox()->TlsPortEdit()->text(), QString::number(withTls->tlsPort));
        form.KnownServersMenu()->actions().first()->trigger();
        QCOMPARE(form.TlsBox()->UseTlsCheckBox()->checkState(), Qt::Unchecked);
        form.hide();
    }
};

QTEST_MAIN(TlsGuiTest)
#include "TlsGui_test.moc"
