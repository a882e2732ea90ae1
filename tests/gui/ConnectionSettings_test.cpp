// The connection settings' character set and saved password: the set is
// stored per profile and names are kept in it; the note under "Save
// password" says which of the keyring and the settings file holds it; the
// real keyring adapter gives up quickly where no secret service answers and
// the settings file then holds the password.
#include "core/config/ConfigKeys.h"
#include "core/config/MemoryRegistryBackend.h"
#include "core/config/PasswordObscuring.h"
#include "core/config/TMiravoConfiguration.h"
#include "gui/config/ConfigForm.h"
#include "gui/config/KeychainSecretStore.h"
#include "gui/dialogs/LoginForm.h"
#include "gui/shell/QtSessionUi.h"
#include "gui/common/WireCodec.h"
#include "support/gui/GuiTestSupport.h"
#include "tests/support/FakeSecretStore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <QThread>

#include <algorithm>
#include <atomic>
#include <thread>

using namespace pellar;

namespace {

const std::string kRoot(TMiravoConfiguration::kRootPath);
const std::string kHome = kRoot + "\\Home";

std::string Stored(const MemoryRegistryBackend& backend, const std::string& path, const std::string& name)
{
    const auto value = backend.ReadValue(path, name);
    const auto* text = value ? std::get_if<std::string>(&*value) : nullptr;
    return text ? *text : std::string();
}

} // namespace

class ConnectionSettingsTest : public QObject {
    Q_OBJECT

private:
    std::shared_ptr<MemoryRegistryBackend> backend_;
    std::shared_ptr<test::FakeSecretStore> keyring_;
    std::unique_ptr<TMiravoConfiguration> config_;
    std::unique_ptr<TConfigForm> form_;

    TConfigForm& Show(const std::string& profile = kRoot)
    {
        config_->SetProfile(profile);
        form_ = std::make_unique<TConfigForm>();
        form_->SetConfiguration(config_.get());
        form_->show();
        return *form_;
    }

private slots:
    void init()
    {
        backend_ = std::make_shared<MemoryRegistryBackend>();
        keyring_ = std::make_shared<test::FakeSecretStore>();
        config_ = std::make_unique<TMiravoConfiguration>(backend_, "anna");
        config_->SetSecretStore(keyring_);
    }

    void cleanup()
    {
        form_.reset();
        config_.reset();
    }

    void aNewProfileIsIso88591AndUtf8KeepsTheNameInUtf8()
    {
        TConfigForm& form = Show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QComboBox* charset = form.CharsetComboBox();
        QCOMPARE(charset->currentData().toString(), QStringLiteral("ISO-8859-1"));
        charset->setCurrentIndex(charset->findData(QStringLiteral("UTF-8")));
        form.NameEdit()->setText(QStringLiteral("Ελένη"));
        QTest::mouseClick(form.OkButton(), Qt::LeftButton);
        QCOMPARE(Stored(*backend_, kRoot, "Charset"), std::string("UTF-8"));
        QCOMPARE(Stored(*backend_, kRoot, "User"), std::string("\xCE\x95\xCE\xBB\xCE\xAD\xCE\xBD\xCE\xB7"));
        QCOMPARE(config_->Charset(), WireCharset::Utf8);

        // Shown again as typed, in the profile's own set.
        TConfigForm& again = Show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        QCOMPARE(again.NameEdit()->text(), QStringLiteral("Ελένη"));
    }

    void anIso88591ProfileKeepsNordicNamesAsSingleBytes()
    {
        backend_->WriteString(kRoot, "User", "\xC5sa");
        TConfigForm& form = Show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.NameEdit()->text(), QStringLiteral("Åsa"));
        QTest::mouseClick(form.OkButton(), Qt::LeftButton);
        QCOMPARE(Stored(*backend_, kRoot, "User"), std::string("\xC5sa"));
        QCOMPARE(Stored(*backend_, kRoot, "Charset"), std::string("ISO-8859-1"));
    }

    void anIso88591ProfileAsksBeforeSavingANameItCannotHold()
    {
        TConfigForm& form = Show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.NameEdit()->setText(QStringLiteral("Ελένη"));
        test::AnswerDialog<QMessageBox>([](QMessageBox* box) {
            box->findChild<QPushButton*>(QStringLiteral("EditButton"))->click();
        });
        QTest::mouseClick(form.OkButton(), Qt::LeftButton);
        // Back to editing: nothing saved, the dialog still up.
        QVERIFY(form.isVisible());
        QCOMPARE(Stored(*backend_, kRoot, "User"), std::string());
        // Choosing UTF-8 lets it through as typed.
        form.CharsetComboBox()->setCurrentIndex(form.CharsetComboBox()->findData(QStringLiteral("UTF-8")));
        QTest::mouseClick(form.OkButton(), Qt::LeftButton);
        QCOMPARE(Stored(*backend_, kRoot, "User"), QStringLiteral("Ελένη").toUtf8().toStdString());
    }

    void theLoginDialogAsksBeforeANameTheProfilesSetCannotHold()
    {
        QtSessionUi ui(*config_, backend_, "anna", nullptr, nullptr);
        int shown = 0;
        std::function<void(TLoginForm*)> answer = [&](TLoginForm* login) {
            ++shown;
            login->HostEdit()->setText(QStringLiteral("127.0.0.1"));
            login->UserEdit()->setText(shown == 1 ? QStringLiteral("Ελένη") : QStringLiteral("Eleni"));
            login->PwdEdit()->setText(QStringLiteral("demo"));
            if (shown == 1) {
                test::AnswerDialog<QMessageBox>([&](QMessageBox* box) {
                    test::AnswerDialog<TLoginForm>(answer);
                    box->findChild<QPushButton*>(QStringLiteral("EditButton"))->click();
                });
            }
            login->OkButton()->click();
        };
        test::AnswerDialog<TLoginForm>(answer);
        const std::optional<LoginChoice> choice = ui.askLogin();
        QVERIFY(choice);
        QCOMPARE(shown, 2);
        QCOMPARE(choice->user, std::string("Eleni"));
        QCOMPARE(ActiveWireCharset(), WireCharset::Latin1);

        // A UTF-8 profile takes the name as typed, without asking.
        backend_->WriteString(kRoot, "Charset", "UTF-8");
        test::AnswerDialog<TLoginForm>([](TLoginForm* login) {
            login->HostEdit()->setText(QStringLiteral("127.0.0.1"));
            login->UserEdit()->setText(QStringLiteral("Ελένη"));
            login->OkButton()->click();
        });
        const std::optional<LoginChoice> utf8 = ui.askLogin();
        QVERIFY(utf8);
        QCOMPARE(utf8->user, QStringLiteral("Ελένη").toUtf8().toStdString());
        QCOMPARE(ActiveWireCharset(), WireCharset::Utf8);
        SetActiveWireCharset(WireCharset::Latin1);
    }

    void aNamedProfileMayFollowTheDefaultProfilesSet()
    {
        config_->AddProfile("Home");
        TConfigForm& form = Show(kHome);
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QCOMPARE(form.CharsetComboBox()->count(), 3);
        QVERIFY(form.CharsetComboBox()->currentData().toString().isEmpty());
        QTest::mouseClick(form.OkButton(), Qt::LeftButton);
        QCOMPARE(Stored(*backend_, kHome, "Charset"), std::string());
    }

    void theNoteSaysTheKeyringHoldsASavedPassword()
    {
        TConfigForm& form = Show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        form.NameEdit()->setText(QStringLiteral("anna"));
        form.PwdEdit()->setText(QStringLiteral("hemligt"));
        form.SavePwdCheckBox()->setChecked(true);
        form.Save();
        QCOMPARE(Stored(*backend_, kRoot, "Pwd"), std::string());
        QCOMPARE(keyring_->entries.size(), size_t(1));
        QCOMPARE(form.PasswordPlaceLabel()->text(), QStringLiteral("The password is kept in the desktop's keyring."));
    }

    void theNoteSaysTheSettingsFileHoldsItWhenNoKeyringAnswers()
    {
        keyring_->answering = false;
        TConfigForm& form = Show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QVERIFY(form.PasswordPlaceLabel()->text().startsWith(QStringLiteral("No password is saved.")));
        form.PwdEdit()->setText(QStringLiteral("hemligt"));
        form.SavePwdCheckBox()->setChecked(true);
        form.Save();
        QCOMPARE(UnobscurePassword(Stored(*backend_, kRoot, "Pwd"), "anna"), std::string("hemligt"));
        QVERIFY2(form.PasswordPlaceLabel()->text().contains(QStringLiteral("No keyring answers")),
                 qPrintable(form.PasswordPlaceLabel()->text()));
        QVERIFY(form.PasswordPlaceLabel()->text().contains(QStringLiteral("settings file")));
    }

    void theRealKeyringGivesUpQuicklyWithoutASecretService()
    {
        // No session bus: nothing can answer.
        const QByteArray bus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        auto store = std::make_shared<KeychainSecretStore>(QStringLiteral("Pellar test"), std::chrono::milliseconds(1500));
        QElapsedTimer clock;
        clock.start();
        std::string secret;
        QCOMPARE(store->Read("Pellar test key", secret), SecretStore::Status::Unavailable);
        // The wait is bounded by the timeout, not by the service.
        QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
        QVERIFY(!store->Answering());
        // Later calls do not wait again, and the settings file takes over.
        config_->SetSecretStore(store);
        config_->WriteString(ConfigKeys::User, "anna");
        QVERIFY(config_->WritePassword("hemligt"));
        QCOMPARE(UnobscurePassword(Stored(*backend_, kRoot, "Pwd"), "anna"), std::string("hemligt"));
        QCOMPARE(config_->ReadPassword(), std::string("hemligt"));
        QVERIFY(!config_->KeyringAnswers());
        if (!bus.isEmpty())
            qputenv("DBUS_SESSION_BUS_ADDRESS", bus);
    }
    void theRealKeyringAskedFromAWorkerLeavesTheGuiThreadRunning()
    {
        const QByteArray bus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        auto store = std::make_shared<KeychainSecretStore>(QStringLiteral("Pellar test"), std::chrono::milliseconds(1500));
        std::atomic<int> status{-1};
        std::thread worker([&] {
            std::string secret;
            status = static_cast<int>(store->Read("Pellar test key", secret));
        });
        // The job runs through this thread's own loop, not a nested one:
        // a timer here keeps firing until the worker has its answer.
        int ticks = 0;
        int deepest = 0;
        QTimer timer;
        connect(&timer, &QTimer::timeout, [&] {
            ++ticks;
            deepest = std::max(deepest, QThread::currentThread()->loopLevel());
        });
        timer.start(1);
        QTRY_VERIFY_WITH_TIMEOUT(status.load() >= 0, 10000);
        worker.join();
        QVERIFY(ticks > 0);
        QCOMPARE(deepest, 0);  // no event loop ran nested for the worker's question
        QCOMPARE(static_cast<SecretStore::Status>(status.load()), SecretStore::Status::Unavailable);
        QVERIFY(!store->Answering());
        if (!bus.isEmpty())
            qputenv("DBUS_SESSION_BUS_ADDRESS", bus);
    }
};

QTEST_MAIN(ConnectionSettingsTest)
#include "ConnectionSettings_test.moc"
