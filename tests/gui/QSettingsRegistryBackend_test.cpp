#include "core/config/ConfigKeys.h"
#include "core/config/RegistryList.h"
#include "core/config/TMiravoConfiguration.h"
#include "gui/config/QSettingsRegistryBackend.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace pellar;

namespace {

const std::string kRoot(TMiravoConfiguration::kRootPath);

std::string Bytes(std::initializer_list<int> codes)
{
    std::string s;
    for (int c : codes)
        s += static_cast<char>(c);
    return s;
}

} // namespace

class QSettingsRegistryBackendTest : public QObject {
    Q_OBJECT

private:
    QString File() const { return dir_.path() + QStringLiteral("/cfg/Pellar.ini"); }
    std::unique_ptr<QSettingsRegistryBackend> Reopen() { return std::make_unique<QSettingsRegistryBackend>(File()); }

    QTemporaryDir dir_;

private slots:
    void init() { QFile::remove(File()); }

    void valuesKeepTheirKindAndBytesAcrossARestart()
    {
        const std::string nulText = Bytes({'a', 0, 'b', '\n', 0xE5, '%', '/'});
        {
            QSettingsRegistryBackend store(File());
            QVERIFY(store.WriteString(kRoot, "Server", "news.example.org"));
            QVERIFY(store.WriteString(kRoot, "Port", "4894"));
            QVERIFY(store.WriteNumber(kRoot, "Count", 18));
            QVERIFY(store.WriteNumber(kRoot, "Big", 4294967295u));
            QVERIFY(store.WriteNumber(kRoot, "Zero", 0));
            QVERIFY(store.WriteString(kRoot, "Empty", ""));
            QVERIFY(store.WriteString(kRoot, "Odd", nulText));
            QVERIFY(store.Save());
        }
        auto store = Reopen();
        QCOMPARE(store->ReadValue(kRoot, "Server"), std::optional<RegistryValue>(std::string("news.example.org")));
        // Text that looks like a number stays text, and a number stays a number.
        QCOMPARE(store->ReadValue(kRoot, "Port"), std::optional<RegistryValue>(std::string("4894")));
        QCOMPARE(store->ReadValue(kRoot, "Count"), std::optional<RegistryValue>(std::uint32_t{18}));
        QCOMPARE(store->ReadValue(kRoot, "Big"), std::optional<RegistryValue>(std::uint32_t{4294967295u}));
        QCOMPARE(store->ReadValue(kRoot, "Zero"), std::optional<RegistryValue>(std::uint32_t{0}));
        QCOMPARE(store->ReadValue(kRoot, "Empty"), std::optional<RegistryValue>(std::string()));
        QCOMPARE(store->ReadValue(kRoot, "Odd"), std::optional<RegistryValue>(nulText));
    }

    void oddNamesAndEmptyKeysSurvive()
    {
        const std::string oddName = Bytes({'a', '/', 'b', '\\', 'c', '%', '4', '1', 0xC4, ' ', '='});
        const std::string oddKey = kRoot + "\\Ma%2Fil/Box\\General";
        {
            QSettingsRegistryBackend store(File());
            QVERIFY(store.WriteString(kRoot, "", "default value"));
            QVERIFY(store.WriteString(kRoot, oddName, "x"));
            QVERIFY(store.WriteString(oddKey, "User", "Anna"));
            QVERIFY(store.CreateKey(kRoot + "\\Empty profile"));
            // A value and a subkey of the same name live side by side.
            QVERIFY(store.WriteString(kRoot, "Home", "value"));
            QVERIFY(store.WriteString(kRoot + "\\Home", "Server", "home.example.org"));
            QVERIFY(store.Save());
        }
        auto store = Reopen();
        QCOMPARE(store->ReadValue(kRoot, ""), std::optional<RegistryValue>(std::string("default value")));
        QCOMPARE(store->ReadValue(kRoot, oddName), std::optional<RegistryValue>(std::string("x")));
        QCOMPARE(store->ReadValue(oddKey, "User"), std::optional<RegistryValue>(std::string("Anna")));
        QVERIFY(store->KeyExists(kRoot + "\\Empty profile"));
        QCOMPARE(store->ReadValue(kRoot, "Home"), std::optional<RegistryValue>(std::string("value")));
        QCOMPARE(store->ReadValue(kRoot + "\\Home", "Server"),
                 std::optional<RegistryValue>(std::string("home.example.org")));
        const std::vector<std::string> subkeys = store->SubKeyNames(kRoot);
        QCOMPARE(subkeys, (std::vector<std::string>{"Empty profile", "Home", "Ma%2Fil/Box"}));
    }

    void deletionsAndShrunkListsStayGone()
    {
        {
            QSettingsRegistryBackend store(File());
            QVERIFY(WriteRegistryList(store, kRoot, "KeyShortcut", {"a=1", "bb=2", "ccc=3"}));
            QVERIFY(store.WriteString(kRoot + "\\Old", "Server", "old"));
            QVERIFY(store.WriteString(kRoot, "Gone", "soon"));
            QVERIFY(store.Save());
        }
        {
            auto store = Reopen();
            QCOMPARE(ReadRegistryList(*store, kRoot, "KeyShortcut"), (std::vector<std::string>{"a=1", "bb=2", "ccc=3"}));
            QVERIFY(WriteRegistryList(*store, kRoot, "KeyShortcut", {"z=9"}));
            QVERIFY(store->DeleteKey(kRoot + "\\Old"));
            QVERIFY(store->DeleteValue(kRoot, "Gone"));
            QVERIFY(store->Save());
        }
        auto store = Reopen();
        QCOMPARE(ReadRegistryList(*store, kRoot, "KeyShortcut"), std::vector<std::string>{"z=9"});
        QVERIFY(!store->ReadValue(kRoot, "KeyShortcut2"));
        QVERIFY(!store->KeyExists(kRoot + "\\Old"));
        QVERIFY(!store->ReadValue(kRoot, "Gone"));
    }

    void configurationProfilesAndPasswordRoundTrip()
    {
        {
            auto backend = std::make_shared<QSettingsRegistryBackend>(File());
            TMiravoConfiguration config(backend, "anna");
            QVERIFY(config.AddProfile("Work"));
            config.SetProfile(TMiravoConfiguration::ProfilePathFor("Work"));
            QVERIFY(config.WriteString(ConfigKeys::Server, "work.example.org"));
            QVERIFY(config.WritePassword("s3cret"));
        }
        auto backend = std::make_shared<QSettingsRegistryBackend>(File());
        const auto stored = backend->ReadValue(TMiravoConfiguration::ProfilePathFor("Work"), "Pwd");
        QVERIFY(stored);
        QVERIFY(*stored != RegistryValue(std::string("s3cret")));  // never in clear
        TMiravoConfiguration config(backend, "anna");
        QCOMPARE(config.ProfileNames(), std::vector<std::string>{"Work"});
        config.SetProfile(TMiravoConfiguration::ProfilePathFor("Work"));
        QCOMPARE(config.ReadString(ConfigKeys::Server, ""), std::string("work.example.org"));
        QCOMPARE(config.ReadPassword(), std::string("s3cret"));
    }

    void savingLeavesOnlyTheStoreBehind()
    {
        QSettingsRegistryBackend store(File());
        for (int i = 0; i < 3; ++i) {
            QVERIFY(store.WriteNumber(kRoot, "Round", static_cast<std::uint32_t>(i)));
            QVERIFY(store.Save());
        }
        const QStringList files = QDir(dir_.path() + QStringLiteral("/cfg")).entryList(QDir::Files);
        QCOMPARE(files, QStringList{QStringLiteral("Pellar.ini")});
        QCOMPARE(Reopen()->ReadValue(kRoot, "Round"), std::optional<RegistryValue>(std::uint32_t{2}));
    }

    void aSaveThatCannotWriteFailsAndKeepsTheOldStore()
    {
        {
            QSettingsRegistryBackend store(File());
            QVERIFY(store.WriteString(kRoot, "Server", "kept"));
            QVERIFY(store.Save());
        }
        // Where the store's folder should be there is a plain file.
        QFile blocker(dir_.path() + QStringLiteral("/blocked"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QSettingsRegistryBackend unwritable(dir_.path() + QStringLiteral("/blocked/Pellar.ini"));
        QVERIFY(unwritable.WriteString(kRoot, "Server", "new"));
        QVERIFY(!unwritable.Save());
        QCOMPARE(Reopen()->ReadValue(kRoot, "Server"), std::optional<RegistryValue>(std::string("kept")));
    }

    void namesEncodeReversibly()
    {
        for (const std::string& name : {std::string(), std::string("%"), std::string("%%"), std::string("a b"),
                                        Bytes({0, 1, 0x7F, 0x80, 0xFF}), std::string("/\\")}) {
            const QString encoded = QSettingsRegistryBackend::EncodeName(name);
            QVERIFY(!encoded.contains(QLatin1Char('/')) && !encoded.contains(QLatin1Char('\\')));
            QCOMPARE(QSettingsRegistryBackend::DecodeName(encoded), std::optional<std::string>(name));
        }
        QCOMPARE(QSettingsRegistryBackend::DecodeName(QStringLiteral("bad%4")), std::optional<std::string>());
    }
};

QTEST_GUILESS_MAIN(QSettingsRegistryBackendTest)
#include "QSettingsRegistryBackend_test.moc"
