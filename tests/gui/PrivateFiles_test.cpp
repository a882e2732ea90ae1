// Every file the program writes may hold a password, a text or a message:
// after a demo run of our own, each file is 0600 and each folder made for
// it 0700, whatever the umask; a settings file an older version left open
// to others is narrowed on start.
#include "support/gui/GuiTestSupport.h"

#include "core/config/MemoryRegistryBackend.h"
#include "core/base/StatePaths.h"
#include "gui/config/QSettingsRegistryBackend.h"
#include "gui/shell/AppController.h"
#include "gui/shell/MainForm.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <set>

#include <sys/stat.h>

using namespace pellar;
namespace fs = std::filesystem;

namespace {

mode_t ModeOf(const fs::path& path)
{
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 07777;
}

// Restores the umask a test widened.
class Umask {
public:
    explicit Umask(mode_t mask) : old_(::umask(mask)) {}
    ~Umask() { ::umask(old_); }
    Umask(const Umask&) = delete;
    Umask& operator=(const Umask&) = delete;

private:
    mode_t old_;
};

} // namespace

class PrivateFilesTest : public QObject {
    Q_OBJECT

private slots:
    void everyFileOfADemoRunIsPrivate()
    {
        const Umask open(022);
        QTemporaryDir root;
        QVERIFY(root.isValid());
        const fs::path base(root.path().toStdString());
        const fs::path ini = base / "config" / "Hollin" / "Pellar.ini";
        {
            AppOptions options;
            options.settings = std::make_shared<QSettingsRegistryBackend>(QString::fromStdString(ini.string()));
            options.stateDir = base / "state" / "pellar";
            options.diagnosticLogs = true;
            options.logon.greetingTimeout = std::chrono::milliseconds(5000);
            AppController app(options);
            std::string error;
            QVERIFY2(app.StartDemo(base / "data" / "pellar" / "demo.sqlite", &error, 1000), error.c_str());
            QTRY_VERIFY_WITH_TIMEOUT(app.MainWindow().IsOnline(), 20000);
            app.Disconnect();
        }

        std::set<std::string> seen;
        for (const auto& entry : fs::recursive_directory_iterator(base)) {
            const mode_t mode = ModeOf(entry.path());
            const std::string name = entry.path().string();
            if (entry.is_directory())
                QVERIFY2(mode == 0700, qPrintable(QStringLiteral("%1 has mode %2").arg(QString::fromStdString(name)).arg(mode, 0, 8)));
            else
                QVERIFY2(mode == 0600, qPrintable(QStringLiteral("%1 has mode %2").arg(QString::fromStdString(name)).arg(mode, 0, 8)));
            seen.insert(entry.path().filename().string());
        }
        // What a run writes is all there, so the walk above looked at it.
        for (const char* expected : {"Pellar.ini", "orv.logg", "pellar.logg", "demo.sqlite"})
            QVERIFY2(seen.count(expected), expected);
    }

    void anExistingSettingsFileOpenToOthersIsNarrowedOnStart()
    {
        QTemporaryDir root;
        const fs::path file = fs::path(root.path().toStdString()) / "Pellar.ini";
        {
            QSettingsRegistryBackend older(QString::fromStdString(file.string()));
            QVERIFY(older.WriteString("Software", "Server", "example.org"));
            QVERIFY(older.Save());
        }
        QCOMPARE(ModeOf(file), mode_t(0600));  // as written now
        ::chmod(file.c_str(), 0644);           // as an older version left it
        QSettingsRegistryBackend store(QString::fromStdString(file.string()));
        QCOMPARE(ModeOf(file), mode_t(0600));
        // And it was still read.
        QCOMPARE(store.ReadValue("Software", "Server"), std::optional<RegistryValue>(std::string("example.org")));
    }

    void foldersAreMadePrivateOnlyWhereTheyAreNew()
    {
        const Umask open(022);
        QTemporaryDir root;
        const fs::path base(root.path().toStdString());
        fs::create_directory(base / "shared");
        ::chmod((base / "shared").c_str(), 0755);
        QVERIFY(CreatePrivateDirs(base / "shared" / "a" / "b"));
        QCOMPARE(ModeOf(base / "shared"), mode_t(0755));
        QCOMPARE(ModeOf(base / "shared" / "a"), mode_t(0700));
        QCOMPARE(ModeOf(base / "shared" / "a" / "b"), mode_t(0700));
        // A link is never followed to narrow what it points at.
        fs::create_symlink(base / "shared", base / "link");
        QVERIFY(!NarrowToOwner(base / "link"));
        QCOMPARE(ModeOf(base / "shared"), mode_t(0755));
    }
};

QTEST_MAIN(PrivateFilesTest)
#include "PrivateFiles_test.moc"
