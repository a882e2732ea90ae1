#include "gui/config/ConfigListForm.h"

#include "core/config/MemoryRegistryBackend.h"
#include "core/config/TMiravoConfiguration.h"
#include "tests/gui/ScriptedLookup.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

using namespace pellar;

namespace {

const std::string kRoot(TMiravoConfiguration::kRootPath);

std::vector<std::string> Profiles(const std::shared_ptr<MemoryRegistryBackend>& backend)
{
    return backend->SubKeyNames(kRoot);
}

QStringList TreeNames(TConfigListForm& form)
{
    QStringList names;
    QTreeWidget* tree = form.ConfigTreeView();
    if (tree->topLevelItemCount() != 1)
        return {QStringLiteral("<%1 roots>").arg(tree->topLevelItemCount())};
    QTreeWidgetItem* root = tree->topLevelItem(0);
    names << root->text(0);
    for (int i = 0; i < root->childCount(); ++i)
        names << root->child(i)->text(0);
    return names;
}

QTreeWidgetItem* Node(TConfigListForm& form, const QString& name)
{
    return form.ConfigTreeView()->findItems(name, Qt::MatchExactly | Qt::MatchRecursive).value(0);
}

// A right-click on a node (or on the empty area below the nodes), as the
// user gives it: the press, then the context menu.
void RightClick(TConfigListForm& form, QTreeWidgetItem* node)
{
    QTreeWidget* tree = form.ConfigTreeView();
    const QPoint pos = node ? tree->visualItemRect(node).center()
                            : QPoint(5, tree->viewport()->height() - 3);
    QTest::mousePress(tree->viewport(), Qt::RightButton, {}, pos);
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, tree->viewport()->mapToGlobal(pos));
    QApplication::sendEvent(tree->viewport(), &event);
    QTest::mouseRelease(tree->viewport(), Qt::RightButton, {}, pos);
}

} // namespace

class ConfigListFormTest : public QObject {
    Q_OBJECT

private slots:
    void ShowsDefaultWithTheProfilesUnderIt()
    {
        auto backend = std::make_shared<MemoryRegistryBackend>();
        backend->CreateKey(kRoot + "\\Work");
        backend->CreateKey(kRoot + "\\Home");
        backend->CreateKey(kRoot + "\\Home\\Nested");  // not a profile of its own
        TConfigListForm form(backend, "anna");
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        QCOMPARE(form.windowTitle(), QStringLiteral("Configurations"));
        QCOMPARE(form.AddButton()->text(), QStringLiteral("&Add..."));
        QCOMPARE(form.RemoveButton()->text(), QStringLiteral("&Remove"));
        QCOMPARE(form.DoneButton()->text(), QStringLiteral("Done"));
        QCOMPARE(form.PropertiesAction()->text(), QStringLiteral("&Properties..."));
        // In the order the store lists them.
        QCOMPARE(TreeNames(form), (QStringList{"Default", "Home", "Work"}));
        QVERIFY(form.ConfigTreeView()->topLevelItem(0)->isExpanded());
        test::SaveScreenshot(&form, QStringLiteral("config-list-form"));

        QTest::mouseClick(form.DoneButton(), Qt::LeftButton);
        QVERIFY(!form.isVisible());
    }

    void MarksTheProfilesThatConnectEncrypted()
    {
        auto backend = std::make_shared<MemoryRegistryBackend>();
        backend->CreateKey(kRoot + "\\Plain");
        backend->CreateKey(kRoot + "\\Secure");
        backend->CreateKey(kRoot + "\\Inherits");
        backend->WriteString(kRoot + "\\Plain", "UseTls", "0");
        backend->WriteString(kRoot + "\\Secure", "UseTls", "1");
        TConfigListForm form(backend, "anna");
        form.Refill();
        const auto marked = [&](const char* name) {
            QTreeWidgetItem* node = Node(form, QString::fromLatin1(name));
            return node && node->toolTip(0) == QStringLiteral("Encrypted connection (TLS)");
        };
        QVERIFY(marked("Secure"));
        QVERIFY(!marked("Plain"));
        QVERIFY(!marked("Inherits"));
        QVERIFY(!marked("Default"));

        // Switched on for Default, it is in effect wherever a profile has no
        // value of its own.
        backend->WriteString(kRoot, "UseTls", "1");
        form.Refill();
        QVERIFY(marked("Default"));
        QVERIFY(marked("Inherits"));
        QVERIFY(!marked("Plain"));
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        test::SaveScreenshot(&form, QStringLiteral("config-list-encrypted"));
    }

    void AddsProfilesOnceAndIgnoresCancel()
    {
        auto backend = std::make_shared<MemoryRegistryBackend>();
        TConfigListForm form(backend, "anna");
        QStringList asked;
        std::optional<QString> answer;
        form.SetTextPrompt([&](QWidget*, const QString& title, const QString& prompt) {
            asked << title << prompt;
            return answer;
        });
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        answer = QStringLiteral("Work");
        QTest::mouseClick(form.AddButton(), Qt::LeftButton);
        QCOMPARE(asked, (QStringList{"Add configuration", "Configuration name:"}));
        QCOMPARE(Profiles(backend), std::vector<std::string>{"Work"});
        QCOMPARE(TreeNames(form), (QStringList{"Default", "Work"}));

        // The same name again: nothing new, shown once; values are kept.
        backend->WriteString(kRoot + "\\Work", "User", "anna");
        QTest::mouseClick(form.AddButton(), Qt::LeftButton);
        QCOMPARE(Profiles(backend), std::vector<std::string>{"Work"});
        QCOMPARE(TreeNames(form), (QStringList{"Default", "Work"}));
        QVERIFY(backend->ReadValue(kRoot + "\\Work", "User").has_value());

        answer = QStringLiteral("H\u00e4msta");
        QTest::mouseClick(form.AddButton(), Qt::LeftButton);
        QCOMPARE(Profiles(backend), (std::vector<std::string>{"H\xe4msta", "Work"}));
        QCOMPARE(TreeNames(form), (QStringList{"Default", "H\u00e4msta", "Work"}));

        // Cancel, an empty name, or one that would name a key inside
        // another profile create nothing.
        for (const std::optional<QString>& refused :
             {std::optional<QString>(), std::optional<QString>(QString()),
              std::optional<QString>(QStringLiteral("Work\\Sub"))}) {
            answer = refused;
            QTest::mouseClick(form.AddButton(), Qt::LeftButton);
        }
        QCOMPARE(Profiles(backend), (std::vector<std::string>{"H\xe4msta", "Work"}));
        QVERIFY(backend->SubKeyNames(kRoot + "\\Work").empty());
        QCOMPARE(TreeNames(form).size(), 3);
    }

    void RemovesProfilesButNeverDefault()
    {
        auto backend = std::make_shared<MemoryRegistryBackend>();
        backend->WriteString(kRoot, "Server", "root.example");
        backend->WriteString(kRoot + "\\Home", "Server", "home.example");
        backend->CreateKey(kRoot + "\\Home\\Deeper");
        backend->CreateKey(kRoot + "\\Work");
        TConfigListForm form(backend, "anna");
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        // Default is selected to begin with: Remove does nothing.
        QCOMPARE(form.ConfigTreeView()->currentItem()->text(0), QStringLiteral("Default"));
        QTest::mouseClick(form.RemoveButton(), Qt::LeftButton);
        QCOMPARE(Profiles(backend), (std::vector<std::string>{"Home", "Work"}));
        QVERIFY(backend->ReadValue(kRoot, "Server").has_value());
        QCOMPARE(TreeNames(form), (QStringList{"Default", "Home", "Work"}));

        // A click selects; Remove takes the profile with all it holds.
        QTreeWidget* tree = form.ConfigTreeView();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(Node(form, "Home")).center());
        QCOMPARE(tree->currentItem()->text(0), QStringLiteral("Home"));
        QTest::mouseClick(form.RemoveButton(), Qt::LeftButton);
        QCOMPARE(Profiles(backend), std::vector<std::string>{"Work"});
        QVERIFY(!backend->KeyExists(kRoot + "\\Home\\Deeper"));
        QCOMPARE(TreeNames(form), (QStringList{"Default", "Work"}));
        QCOMPARE(backend->ReadValue(kRoot, "Server"), RegistryValue(std::string("root.example")));
    }

    void PropertiesOpensTheClickedProfileAndRefills()
    {
        auto backend = std::make_shared<MemoryRegistryBackend>();
        backend->CreateKey(kRoot + "\\Home");
        TConfigListForm form(backend, "anna");
        std::vector<std::string> openedOn;
        form.SetPropertiesRunner([&](TMiravoConfiguration& config) {
            openedOn.push_back(config.ProfilePath());
            // Something that changes the list while the settings are open.
            backend->CreateKey(kRoot + "\\Added");
        });
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        QMenu* menu = form.PopupMenu();

        RightClick(form, Node(form, "Home"));
        QTRY_VERIFY(menu->isVisible());
        QVERIFY(form.PropertiesAction()->isEnabled());
        QCOMPARE(form.ConfigTreeView()->currentItem()->text(0), QStringLiteral("Home"));
        form.PropertiesAction()->trigger();
        menu->close();
        QCOMPARE(openedOn, std::vector<std::string>{kRoot + "\\Home"});
        QCOMPARE(TreeNames(form), (QStringList{"Default", "Added", "Home"}));

        RightClick(form, Node(form, "Default"));
        QTRY_VERIFY(menu->isVisible());
        form.PropertiesAction()->trigger();
        menu->close();
        QCOMPARE(openedOn.back(), kRoot);

        // A click beside the nodes leaves nothing for the menu to act on.
        RightClick(form, nullptr);
        QTRY_VERIFY(menu->isVisible());
        QVERIFY(!form.PropertiesAction()->isEnabled());
        menu->close();
        QCOMPARE(openedOn.size(), std::size_t{2});
    }

    void PropertiesShowsTheSettingsDialogOnThatProfile()
    {
        auto backend = std::make_shared<MemoryRegistryBackend>();
        backend->WriteString(kRoot + "\\Home", "Server", "home.example");
        TConfigListForm form(backend, "anna");
        QStringList hooksRun;
        WindowSettingsHooks hooks;
        hooks.applyMainWindowSettings = [&] { hooksRun << "applyMainWindowSettings"; };
        form.SetWindowSettingsHooks(hooks);
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));

        // The settings dialog is modal: answer it once it is up.
        QString shownHost;
        bool sawDialog = false;
        test::AnswerDialog<TConfigForm>([&](TConfigForm* settings) {
            sawDialog = true;
            shownHost = settings->HostEdit()->text();
            settings->NameEdit()->setText(QStringLiteral("Anna at home"));
            QTest::mouseClick(settings->OkButton(), Qt::LeftButton);
        });
        QTest::mouseClick(form.ConfigTreeView()->viewport(), Qt::LeftButton, {},
                          form.ConfigTreeView()->visualItemRect(Node(form, "Home")).center());
        form.PropertiesClick();

        QVERIFY(sawDialog);
        QCOMPARE(shownHost, QStringLiteral("home.example"));
        QCOMPARE(backend->ReadValue(kRoot + "\\Home", "User"), RegistryValue(std::string("Anna at home")));
        QVERIFY(!backend->ReadValue(kRoot, "User").has_value());
        QCOMPARE(hooksRun, QStringList{"applyMainWindowSettings"});
        QCOMPARE(TreeNames(form), (QStringList{"Default", "Home"}));
    }
};

QTEST_MAIN(ConfigListFormTest)
#include "ConfigListForm_test.moc"
