// The keyring at start: the demo never asks it; a keyring that takes its
// time (one that prompts) is asked off the GUI thread, the window is there
// before it answers, and the logon follows the answer for a profile that
// connects by itself with its password in the keyring (under today's key or
// the older one with the port).
#include "core/config/ConfigKeys.h"
#include "core/config/SecretStore.h"
#include "core/config/TMiravoConfiguration.h"
#include "core/session/Client.h"
#include "gui/shell/AppController.h"
#include "gui/shell/MainForm.h"
#include "server/Server.h"

#include "support/gui/AppDriving.h"

#include <QApplication>
#include <QTest>
#include <QThread>

#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

using namespace pellar;

namespace {

constexpr int kTestIterations = 1000;

// Answers every question after a pause, as a keyring that asks the user
// first; notes which questions came on the GUI thread.
class SlowKeyring : public SecretStore {
public:
    explicit SlowKeyring(std::chrono::milliseconds pause) : pause_(pause) {}

    Status Write(const std::string& key, const std::string& secret) override
    {
        Note("write");
        std::lock_guard lock(mutex_);
        entries_[key] = secret;
        return Status::Ok;
    }
    Status Read(const std::string& key, std::string& secret) override
    {
        Note("read");
        std::lock_guard lock(mutex_);
        const auto it = entries_.find(key);
        if (it == entries_.end())
            return Status::NotFound;
        secret = it->second;
        return Status::Ok;
    }
    Status Remove(const std::string& key) override
    {
        Note("remove");
        std::lock_guard lock(mutex_);
        entries_.erase(key);
        return Status::Ok;
    }
    void Put(const std::string& key, const std::string& secret)
    {
        std::lock_guard lock(mutex_);
        entries_[key] = secret;
    }
    // The questions asked on the GUI thread so far, in order.
    std::string OnGuiThread()
    {
        std::lock_guard lock(mutex_);
        return onGui_;
    }
    int Calls() const { return calls_.load(); }

private:
    void Note(const char* what)
    {
        ++calls_;
        if (QThread::currentThread() == QCoreApplication::instance()->thread()) {
            std::lock_guard lock(mutex_);
            onGui_ += std::string(what) + " ";
        }
        std::this_thread::sleep_for(pause_);
    }
    const std::chrono::milliseconds pause_;
    std::mutex mutex_;
    std::map<std::string, std::string> entries_;
    std::string onGui_;
    std::atomic<int> calls_{0};
};

} // namespace

class KeyringAtStartTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<AppController> MakeController(std::shared_ptr<SecretStore> keyring)
    {
        AppOptions options = test::QuietAppOptionsWithGreetingTimeout(state_);
        options.secrets = std::move(keyring);
        return std::make_unique<AppController>(options);
    }

    QTemporaryDir state_;

private slots:
    void theDemoNeverTouchesTheKeyring()
    {
        // Two starts, each on a port of its own, as every run of the demo is.
        for (int start = 0; start < 2; ++start) {
            auto keyring = std::make_shared<SlowKeyring>(std::chrono::milliseconds(300));
            auto app = MakeController(keyring);
            std::string error;
            QVERIFY2(app->StartDemo({}, &error, kTestIterations), error.c_str());
            QVERIFY(!app->AwaitingPassword());
            app->MainWindow().show();
            QTRY_VERIFY_WITH_TIMEOUT(app->MainWindow().IsOnline(), 20000);
            QCOMPARE(app->ClientContext().Config().ReadPassword(), std::string("demo"));
            app->Disconnect();
            QCOMPARE(keyring->Calls(), 0);
        }
    }

    void aPasswordSavedUnderTheOlderKeyIsFetchedAheadAndMoved()
    {
        miravod::ServerOptions options;
        options.demo = true;
        options.demoCompanion = false;
        options.passwordIterations = kTestIterations;
        miravod::Server server(options);
        std::string error;
        QVERIFY2(server.Start(&error), error.c_str());

        auto keyring = std::make_shared<SlowKeyring>(std::chrono::milliseconds(200));
        auto app = MakeController(keyring);
        TMiravoConfiguration& config = app->ClientContext().Config();
        config.AddProfile("Older");
        config.SetProfile(TMiravoConfiguration::ProfilePathFor("Older"));
        config.WriteString(ConfigKeys::Server, "127.0.0.1");
        config.WriteString(ConfigKeys::Port, std::to_string(server.Port()));
        config.WriteString(ConfigKeys::User, "Demo User");
        config.WriteFlag(ConfigKeys::SavePwd, true);
        keyring->Put(config.OlderPasswordKey(), "demo");

        app->MainWindow().show();
        app->Connect(true, QStringLiteral("Older"));
        QVERIFY(app->AwaitingPassword());
        QTRY_VERIFY_WITH_TIMEOUT(app->MainWindow().IsOnline(), 20000);
        // Both keys were asked on a worker; only the move itself (a write
        // and a remove) came from the logon.
        QVERIFY2(keyring->OnGuiThread().find("read") == std::string::npos, keyring->OnGuiThread().c_str());
        QCOMPARE(app->ClientContext().Config().ReadPassword(), std::string("demo"));
        std::string moved;
        QCOMPARE(keyring->Read(config.PasswordKey(), moved), SecretStore::Status::Ok);
        QCOMPARE(moved, std::string("demo"));
        QCOMPARE(keyring->Read(config.OlderPasswordKey(), moved), SecretStore::Status::NotFound);
        app->Disconnect();
    }

    void aProfileThatConnectsByItselfFetchesItsPasswordFirst()
    {
        miravod::ServerOptions options;
        options.demo = true;
        options.demoCompanion = false;
        options.passwordIterations = kTestIterations;
        miravod::Server server(options);
        std::string error;
        QVERIFY2(server.Start(&error), error.c_str());

        auto keyring = std::make_shared<SlowKeyring>(std::chrono::milliseconds(300));
        auto app = MakeController(keyring);
        TMiravoConfiguration& config = app->ClientContext().Config();
        config.AddProfile("Mine");
        config.SetProfile(TMiravoConfiguration::ProfilePathFor("Mine"));
        config.WriteString(ConfigKeys::Server, "127.0.0.1");
        config.WriteString(ConfigKeys::Port, std::to_string(server.Port()));
        config.WriteString(ConfigKeys::User, "Demo User");
        config.WriteFlag(ConfigKeys::SavePwd, true);
        keyring->Put(config.PasswordKey(), "demo");

        app->MainWindow().show();
        app->Connect(true, QStringLiteral("Mine"));
        QVERIFY(app->AwaitingPassword());
        QTRY_VERIFY_WITH_TIMEOUT(app->MainWindow().IsOnline(), 20000);
        QCOMPARE(keyring->OnGuiThread(), std::string());
        QCOMPARE(keyring->Calls(), 1);
        app->Disconnect();

        // A Disconnect while the keyring has not answered calls the connect
        // off: nothing connects afterwards.
        auto slower = std::make_shared<SlowKeyring>(std::chrono::milliseconds(300));
        auto second = MakeController(slower);
        TMiravoConfiguration& again = second->ClientContext().Config();
        again.AddProfile("Mine");
        again.SetProfile(TMiravoConfiguration::ProfilePathFor("Mine"));
        again.WriteString(ConfigKeys::Server, "127.0.0.1");
        again.WriteString(ConfigKeys::Port, std::to_string(server.Port()));
        again.WriteString(ConfigKeys::User, "Demo User");
        slower->Put(again.PasswordKey(), "demo");
        second->Connect(true, QStringLiteral("Mine"));
        second->Disconnect();
        QTRY_VERIFY_WITH_TIMEOUT(!second->AwaitingPassword(), 5000);
        QTest::qWait(100);
        QVERIFY(!second->MainWindow().IsOnline());
        QVERIFY(!second->IsConnecting());
    }
};

QTEST_MAIN(KeyringAtStartTest)
#include "KeyringAtStart_test.moc"
