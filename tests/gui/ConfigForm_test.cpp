#include "gui/config/ConfigForm.h"

#include "core/config/ConfigKeys.h"
#include "core/config/MemoryRegistryBackend.h"
#include "core/config/PasswordObscuring.h"
#include "core/config/ShortcutMap.h"
#include "core/config/TMiravoConfiguration.h"
#include "tests/gui/ScriptedLookup.h"

#include <algorithm>
#include <map>

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <QTextBlock>
#include <QTextEdit>
#include <QTreeWidget>

using namespace pellar;

namespace {

const std::string kRoot(TMiravoConfiguration::kRootPath);
const std::string kHome = kRoot + "\\Home";

struct Store {
    std::shared_ptr<MemoryRegistryBackend> backend = std::make_shared<MemoryRegistryBackend>();

    std::optional<std::string> Value(const std::string& path, const std::string& name) const
    {
        const auto value = backend->ReadValue(path, name);
        if (!value)
            return std::nullopt;
        const auto* text = std::get_if<std::string>(&*value);
        return text ? std::optional<std::string>(*text) : std::nullopt;
    }
};

// Every value of the table as a session reads it (inheriting, an empty value
// taking the default), plus the shortcut bindings.
std::map<std::string, std::string> ValuesInEffect(Store& store, const std::string& profile)
{
    TMiravoConfiguration config(store.backend, "anna");
    config.SetProfile(profile);
    config.SetInherit(true);
    std::map<std::string, std::string> values;
    for (const ConfigKeyInfo& info : ConfigKeyTable()) {
        if (info.kind == ConfigKeyKind::List)
            continue;
        const std::string name = info.kind == ConfigKeyKind::ColumnPrefix ? info.name + "1" : info.name;
        const std::string value = config.ReadString(name, "");
        values[name] = value.empty() ? ConfigDefault(name) : value;
    }
    // The keyboard page lists the bindings sorted; a lookup does not care.
    std::vector<std::string> map = config.ShortcutMap();
    std::sort(map.begin(), map.end());
    std::string shortcuts;
    for (const std::string& item : map)
        shortcuts += item + "\n";
    values["(shortcuts)"] = shortcuts;
    return values;
}

// The dialog set up on a profile of the store, not yet shown.
struct DialogOn {
    explicit DialogOn(Store& store, const std::string& profile = kRoot) : config(store.backend, "anna")
    {
        config.SetProfile(profile);
        form.SetConfiguration(&config);
    }
    // True once the dialog is on screen.
    bool Show()
    {
        form.show();
        return QTest::qWaitForWindowExposed(&form);
    }
    TMiravoConfiguration config;
    TConfigForm form;
};

QList<QCheckBox*> AllCheckBoxes(TConfigForm& form)
{
    return form.findChildren<QCheckBox*>();
}

QStringList RowTexts(QTreeWidget* view, int column)
{
    QStringList texts;
    for (int i = 0; i < view->topLevelItemCount(); ++i)
        texts << view->topLevelItem(i)->text(column);
    return texts;
}

// Where line `line` of the font sample is, in viewport coordinates.
QPoint SampleLinePos(QTextEdit* edit, int line)
{
    QTextCursor cursor(edit->document()->findBlockByNumber(line));
    cursor.movePosition(QTextCursor::Right);
    return edit->cursorRect(cursor).center();
}

QAction* MenuAction(QMenu* menu, const QString& caption)
{
    for (QAction* action : menu->actions())
        if (action->text() == caption)
            return action;
    return nullptr;
}

} // namespace

class ConfigFormTest : public QObject {
    Q_OBJECT

private slots:
    void DefaultProfileShowsTheProgramDefaults()
    {
        Store store;
        DialogOn dialog(store);
        TConfigForm& form = dialog.form;
        QVERIFY(dialog.Show());

        QCOMPARE(form.Pages()->currentIndex(), 0);

        // The default profile: plain two-state boxes showing what is in effect.
        for (QCheckBox* box : AllCheckBoxes(form))
            QVERIFY2(!box->isTristate(), qPrintable(box->objectName()));
        QCOMPARE(form.HostEdit()->text(), QStringLiteral("localhost"));
        QCOMPARE(form.PortEdit()->text(), QStringLiteral("4894"));
        QVERIFY(!form.SavePwdCheckBox()->isChecked());
        QVERIFY(!form.EnableProxyCheckBox()->isChecked());
        QVERIFY(!form.ProxyServerEdit()->isEnabled());
        // Nothing to inherit, so no alert says where its state comes from.
        for (int i = 0; i < kAlertFlagCount; ++i) {
            // Only a personal message raises the tray alert.
            QCOMPARE(form.AlertCheckBox(i)->isChecked(), i == 4);
            QVERIFY2(!form.AlertCheckBox(i)->text().contains(QStringLiteral("main profile")),
                     qPrintable(QString::number(i)));
        }
        QVERIFY(form.PriorityEdit(0)->placeholderText().isEmpty());
        QCOMPARE(form.PriorityEdit(0)->text(), QStringLiteral("240"));
        QCOMPARE(form.PriorityEdit(1)->text(), QStringLiteral("150"));
        QCOMPARE(form.PriorityEdit(2)->text(), QStringLiteral("250"));
        QCOMPARE(RowTexts(form.ActivityListView(), 0),
                 (QStringList{"Submitting a new text", "Looking back", "Override", "Reading", "Waiting", "Writing",
                              "Writing a comment"}));
        QCOMPARE(form.ActivityListView()->topLevelItem(2)->text(1), QString());
        QCOMPARE(form.ActivityListView()->topLevelItem(3)->text(1), QString());
        QVERIFY(!form.SetButton()->isEnabled());
        QCOMPARE(form.KeyMapListView()->topLevelItemCount(), 18);
        QCOMPARE(form.KeyboardCmdComboBox()->count(), 26);
        QVERIFY(!form.RemoveKeyButton()->isEnabled());
        QVERIFY(form.FilterAddedCheckBox()->isChecked());
        QVERIFY(form.ShowSubjTreeCheckBox()->isChecked());
        QVERIFY(form.MarkReadCheckBox()->isChecked());
        QVERIFY(form.AutoReconnectCheckBox()->isChecked());
        QVERIFY(!form.LineWrapCheckBox()->isChecked());
        QVERIFY(form.AlignTopCheckBox()->isChecked());
        QVERIFY(form.ShowCommentedCheckBox()->isChecked());
        QVERIFY(form.StartWSizeRadio(2)->isChecked());
        QCOMPARE(form.RegionFont(0), std::string("MS Sans Serif;11;$80000008;"));
        QCOMPARE(form.RegionFont(2), std::string("MS Sans Serif;10;$80000008;B"));

        test::SaveScreenshot(&form, QStringLiteral("config-form"));
        for (int page : {1, 2, 3, 5, 6, 7}) {
            form.Pages()->setCurrentIndex(page);
            const QString name = form.Pages()->tabText(page).toLower().section(u' ', 0, 0);
            test::SaveScreenshot(&form, QStringLiteral("config-form-") + name);
        }
    }

    void RoundTripsEveryKeyAndRunsTheHooksInOrder()
    {
        Store store;
        DialogOn dialog(store);
        TConfigForm& form = dialog.form;
        TMiravoConfiguration& config = dialog.config;
        QStringList calls;
        bool inheritDuringHooks = false;
        WindowSettingsHooks hooks;
        hooks.saveMainPosition = [&] {
            calls << "saveMainPosition";
            // The keys are in the store before the windows are asked.
            QCOMPARE(store.Value(kRoot, "Server"), std::string("host.example"));
            inheritDuringHooks = config.Inherit();
        };
        hooks.saveReadingLayout = [&] { calls << "saveReadingLayout"; };
        hooks.saveActiveUsersColumns = [&] { calls << "saveActiveUsersColumns"; };
        hooks.applyReadingLayout = [&] { calls << "applyReadingLayout"; };
        hooks.applyMainWindowSettings = [&] { calls << "applyMainWindowSettings"; };
        form.SetWindowSettingsHooks(hooks);
        form.SetFontChooser([](QWidget*, const QFont&) {
            QFont font(QStringLiteral("DejaVu Serif"));
            font.setPointSize(14);
            font.setItalic(true);
            return std::optional<QFont>(font);
        });
        form.SetColorChooser([](QWidget*, const QColor&) { return std::optional<QColor>(QColor(0x12, 0x34, 0x56)); });
        QVERIFY(dialog.Show());
        QVERIFY(!config.Inherit());

        form.HostEdit()->setText(QStringLiteral("host.example"));
        form.PortEdit()->setText(QStringLiteral(" 4000"));
        form.NameEdit()->setText(QStringLiteral("Anna Berg"));
        form.PwdEdit()->setText(QStringLiteral("hemligt"));
        form.SavePwdCheckBox()->setChecked(true);
        form.EnableProxyCheckBox()->setChecked(true);
        QVERIFY(form.ProxyServerEdit()->isEnabled());
        form.ProxyServerEdit()->setText(QStringLiteral("proxy.example"));
        form.ProxyPortEdit()->setText(QStringLiteral("8080"));
        const char* alertKeys[] = {"SoundAllMsg", "SoundPersMsg", "SoundPriText", "TrayAllMsg", "TrayPersMsg",
                                   "TrayPriText", "FocusAllMsg", "FocusPersMsg", "FocusPriText"};
        for (int i = 0; i < kAlertFlagCount; ++i)
            form.AlertCheckBox(i)->setChecked(i % 2 == 0);
        form.PriorityEdit(0)->setText(QStringLiteral("10"));
        form.PriorityEdit(1)->setText(QStringLiteral("high"));
        form.PriorityEdit(2)->setText(QString());

        // Activity: select a row, edit, Set.
        QTreeWidget* activities = form.ActivityListView();
        activities->setCurrentItem(activities->topLevelItem(3));
        QVERIFY(form.SetButton()->isEnabled());
        QCOMPARE(form.MessageEdit()->text(), QString());
        form.MessageEdit()->setText(QStringLiteral("L\u00e4ser"));
        QTest::mouseClick(form.SetButton(), Qt::LeftButton);
        activities->setCurrentItem(activities->topLevelItem(2));
        form.MessageEdit()->setText(QStringLiteral("Away"));
        QTest::mouseClick(form.SetButton(), Qt::LeftButton);
        activities->setCurrentItem(activities->topLevelItem(0));
        form.MessageEdit()->clear();
        QTest::mouseClick(form.SetButton(), Qt::LeftButton);

        // Keyboard: one more binding.
        form.NewKeymapEdit()->setText(QStringLiteral("\u00e5g"));
        form.KeyboardCmdComboBox()->setCurrentText(QStringLiteral("Go to a conference"));
        QTest::mouseClick(form.AddKeyButton(), Qt::LeftButton);
        QCOMPARE(form.KeyMapListView()->topLevelItemCount(), 19);

        form.FilterAddedCheckBox()->setChecked(false);
        form.ShowSubjTreeCheckBox()->setChecked(false);
        form.MarkReadCheckBox()->setChecked(false);
        form.AutoReconnectCheckBox()->setChecked(false);
        form.LineWrapCheckBox()->setChecked(true);
        form.AlignTopCheckBox()->setChecked(false);
        form.ShowCommentedCheckBox()->setChecked(false);
        form.StartWSizeRadio(0)->setChecked(true);

        // Fonts: the body gets a new font, the message a colour.
        form.Pages()->setCurrentIndex(6);
        QTextEdit* sample = form.FontSampleRichEdit();
        QTest::mouseClick(sample->viewport(), Qt::LeftButton, {}, SampleLinePos(sample, 5));
        QCOMPARE(sample->textCursor().blockNumber(), 5);
        QTest::keyClick(sample, Qt::Key_F);
        QTest::mouseClick(sample->viewport(), Qt::LeftButton, {}, SampleLinePos(sample, 10));
        QTest::keyClick(sample, Qt::Key_C);

        QTest::mouseClick(form.ApplyButton(), Qt::LeftButton);
        QVERIFY(form.isVisible());
        QCOMPARE(calls, (QStringList{"saveMainPosition", "saveReadingLayout", "saveActiveUsersColumns",
                                     "applyReadingLayout", "applyMainWindowSettings"}));
        QVERIFY(inheritDuringHooks);
        QVERIFY(!config.Inherit());

        QCOMPARE(store.Value(kRoot, "Server"), std::string("host.example"));
        QCOMPARE(store.Value(kRoot, "Port"), std::string(" 4000"));
        QCOMPARE(store.Value(kRoot, "User"), std::string("Anna Berg"));
        QCOMPARE(store.Value(kRoot, "SavePwd"), std::string("1"));
        QCOMPARE(UnobscurePassword(*store.Value(kRoot, "Pwd"), "anna"), std::string("hemligt"));
        QVERIFY(store.Value(kRoot, "Pwd") != std::string("hemligt"));
        QCOMPARE(store.Value(kRoot, "UseProxy"), std::string("1"));
        QCOMPARE(store.Value(kRoot, "ProxyServer"), std::string("proxy.example"));
        QCOMPARE(store.Value(kRoot, "ProxyPort"), std::string("8080"));
        for (int i = 0; i < kAlertFlagCount; ++i)
            QCOMPARE(store.Value(kRoot, alertKeys[i]), std::string(i % 2 == 0 ? "1" : "0"));
        QCOMPARE(store.Value(kRoot, "SoundPriTextLvl"), std::string("10"));
        QCOMPARE(store.Value(kRoot, "TrayPriTextLvl"), std::string("high"));
        QCOMPARE(store.Value(kRoot, "FocusPriTextLvl"), std::string(""));
        QCOMPARE(store.Value(kRoot, "Activity-read"), std::string("L\xe4ser"));
        QCOMPARE(store.Value(kRoot, "Activity-override"), std::string("Away"));
        QCOMPARE(store.Value(kRoot, "Activity-add"), std::string(""));
        QCOMPARE(store.Value(kRoot, "Activity-wait"), std::string(""));
        QCOMPARE(store.Value(kRoot, "FilterAddedTexts"), std::string("0"));
        QCOMPARE(store.Value(kRoot, "ShowSubjTree"), std::string("0"));
        QCOMPARE(store.Value(kRoot, "MarkReadTexts"), std::string("0"));
        QCOMPARE(store.Value(kRoot, "AutoReconnect"), std::string("0"));
        QCOMPARE(store.Value(kRoot, "AutomaticLineWrap"), std::string("1"));
        QCOMPARE(store.Value(kRoot, "AlignTextsToTop"), std::string("0"));
        QCOMPARE(store.Value(kRoot, "ShowCommentedText"), std::string("0"));
        QCOMPARE(store.Value(kRoot, "StartWindowSizeMode"), std::string("0"));
        QCOMPARE(store.Value(kRoot, "HeaderFont"), std::string("MS Sans Serif;11;$80000008;"));
        QCOMPARE(store.Value(kRoot, "BodyFont"), std::string("DejaVu Serif;14;$80000008;I"));
        QCOMPARE(store.Value(kRoot, "MessageFont"), std::string("MS Sans Serif;10;$563412;B"));

        // The shortcut map: the defaults plus the new row, stored and in use.
        TMiravoConfiguration reader(store.backend, "anna");
        const std::vector<std::string> map = reader.ShortcutMap();
        QCOMPARE(map.size(), std::size_t{19});
        QVERIFY(std::find(map.begin(), map.end(), std::string("\xe5g=gotoconf")) != map.end());
        QCOMPARE(reader.LookupShortcut("\xe5k"), 1);
        QCOMPARE(config.ShortcutMap(), map);

        // Shown again, the dialog reads back what it wrote.
        form.hide();
        QVERIFY(config.Inherit());
        form.show();
        QCOMPARE(form.PortEdit()->text(), QStringLiteral(" 4000"));
        QCOMPARE(form.PwdEdit()->text(), QStringLiteral("hemligt"));
        QCOMPARE(form.ActivityListView()->topLevelItem(3)->text(1), QStringLiteral("L\u00e4ser"));
        QVERIFY(form.StartWSizeRadio(0)->isChecked());
        QCOMPARE(form.RegionFont(1), std::string("DejaVu Serif;14;$80000008;I"));
        QVERIFY(!form.FilterAddedCheckBox()->isChecked());
        form.hide();
    }

    void NamedProfileShowsGreyBoxesAndKeepsThemUnset()
    {
        Store store;
        store.backend->WriteString(kRoot, "SoundAllMsg", "1");
        store.backend->WriteString(kRoot, "Server", "root.example");
        store.backend->WriteString(kHome, "TrayAllMsg", "0");
        store.backend->WriteString(kHome, "ShowSubjTree", "1");
        DialogOn dialog(store, kHome);
        TConfigForm& form = dialog.form;
        TMiravoConfiguration& config = dialog.config;
        QVERIFY(dialog.Show());

        const QList<QCheckBox*> boxes = AllCheckBoxes(form);
        QCOMPARE(boxes.size(), 21);
        for (QCheckBox* box : boxes) {
            QVERIFY2(box->isTristate(), qPrintable(box->objectName()));
            if (box == form.AlertCheckBox(3))
                QCOMPARE(box->checkState(), Qt::Unchecked);
            else if (box == form.ShowSubjTreeCheckBox())
                QCOMPARE(box->checkState(), Qt::Checked);
            else
                QVERIFY2(box->checkState() == Qt::PartiallyChecked, qPrintable(box->objectName()));
        }
        // Texts of a named profile are its own: nothing inherited, no default.
        QCOMPARE(form.HostEdit()->text(), QString());
        QCOMPARE(form.PortEdit()->text(), QString());
        QCOMPARE(form.PriorityEdit(0)->text(), QString());
        QCOMPARE(form.ActivityListView()->topLevelItem(3)->text(1), QString());
        // A grey proxy box does not enable the proxy fields.
        QVERIFY(!form.ProxyServerEdit()->isEnabled());
        // Every note on the page shows all of its lines.
        for (QLabel* label : form.Pages()->widget(0)->findChildren<QLabel*>()) {
            if (!label->isVisible() || !label->wordWrap() || label->text().isEmpty())
                continue;
            QTRY_VERIFY2(label->height() >= label->heightForWidth(label->width()),
                         qPrintable(QStringLiteral("%1: %2 < %3")
                                        .arg(label->text())
                                        .arg(label->height())
                                        .arg(label->heightForWidth(label->width()))));
        }
        test::SaveScreenshot(&form, QStringLiteral("config-form-named-general"));
        form.Pages()->setCurrentIndex(1);
        test::SaveScreenshot(&form, QStringLiteral("config-form-named-profile"));

        form.AlertCheckBox(1)->setCheckState(Qt::Checked);
        QTest::mouseClick(form.OkButton(), Qt::LeftButton);
        QVERIFY(!form.isVisible());
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QVERIFY(config.Inherit());

        for (const char* key : {"SoundAllMsg", "SavePwd", "UseProxy", "FilterAddedTexts", "MarkReadTexts",
                                "AutoReconnect", "FocusPriText", "AlignTextsToTop", "Server", "Port", "HeaderFont",
                                "StartWindowSizeMode", "Activity-read"})
            QVERIFY2(store.Value(kHome, key) == std::string(), key);
        QCOMPARE(store.Value(kHome, "TrayAllMsg"), std::string("0"));
        QCOMPARE(store.Value(kHome, "ShowSubjTree"), std::string("1"));
        QCOMPARE(store.Value(kHome, "SoundPersMsg"), std::string("1"));
        // The default profile is untouched and still seen through the profile.
        QCOMPARE(store.Value(kRoot, "Server"), std::string("root.example"));
        QVERIFY(config.ReadFlag("SoundAllMsg", false));
        QCOMPARE(config.ReadString("Server", ""), std::string("root.example"));
    }

    void NamedProfileAlertsSayWhatTheyInherit()
    {
        Store store;
        store.backend->WriteString(kRoot, "TrayPersMsg", "1");
        store.backend->WriteString(kRoot, "TrayPriTextLvl", "3");
        store.backend->WriteString(kHome, "SoundAllMsg", "1");
        DialogOn dialog(store, kHome);
        TConfigForm& form = dialog.form;
        QVERIFY(dialog.Show());

        // Tray, personal messages: grey, and on because the main profile is.
        QCheckBox* trayPersonal = form.AlertCheckBox(4);
        QCOMPARE(trayPersonal->checkState(), Qt::PartiallyChecked);
        QCOMPARE(trayPersonal->text(), QStringLiteral("P&ersonal messages received (as in the main profile: on)"));
        // Sound, personal messages: grey and off there.
        QCOMPARE(form.AlertCheckBox(1)->text(),
                 QStringLiteral("&Personal messages received (as in the main profile: off)"));
        // Set in this profile: no inheritance to explain.
        QCOMPARE(form.AlertCheckBox(0)->checkState(), Qt::Checked);
        QCOMPARE(form.AlertCheckBox(0)->text(), QStringLiteral("&All messages received"));
        // The caption follows the box as the user clicks through its states.
        trayPersonal->setCheckState(Qt::Unchecked);
        QCOMPARE(trayPersonal->text(), QStringLiteral("P&ersonal messages received"));
        trayPersonal->setCheckState(Qt::PartiallyChecked);
        QVERIFY(trayPersonal->text().endsWith(QStringLiteral("(as in the main profile: on)")));
        // An empty level shows the one it follows.
        QCOMPARE(form.PriorityEdit(1)->text(), QString());
        QCOMPARE(form.PriorityEdit(1)->placeholderText(), QStringLiteral("3"));
        form.Pages()->setCurrentIndex(1);
        test::SaveScreenshot(&form, QStringLiteral("config-form-inherited-alerts"));
    }

    void PermanentTrayIconIsOffUntilChosenAndSaved()
    {
        Store store;
        {
            DialogOn dialog(store);
            QVERIFY(dialog.Show());
            QCheckBox* box = dialog.form.PermanentTrayCheckBox();
            QCOMPARE(box->checkState(), Qt::Unchecked);
            box->setChecked(true);
            QTest::mouseClick(dialog.form.OkButton(), Qt::LeftButton);
        }
        QCOMPARE(store.Value(kRoot, TConfigForm::kPermanentTrayKey), std::string("1"));
        // A named profile follows it until it says otherwise.
        DialogOn named(store, kHome);
        QVERIFY(named.Show());
        QCOMPARE(named.form.PermanentTrayCheckBox()->checkState(), Qt::PartiallyChecked);
        QVERIFY(named.form.PermanentTrayCheckBox()->text().endsWith(QStringLiteral("(as in the main profile: on)")));
    }

    void UncheckingSavePasswordEmptiesIt()
    {
        Store store;
        store.backend->WriteString(kRoot, "SavePwd", "1");
        store.backend->WriteString(kRoot, "Pwd", ObscurePassword("hemligt", "anna"));
        DialogOn dialog(store);
        TConfigForm& form = dialog.form;
        QVERIFY(dialog.Show());
        QCOMPARE(form.PwdEdit()->text(), QStringLiteral("hemligt"));
        QCOMPARE(form.PwdEdit()->echoMode(), QLineEdit::Password);
        QVERIFY(form.SavePwdCheckBox()->isChecked());

        // On the box itself: a wide check box does not take clicks beside its text.
        QTest::mouseClick(form.SavePwdCheckBox(), Qt::LeftButton, {}, QPoint(6, form.SavePwdCheckBox()->height() / 2));
        QVERIFY(!form.SavePwdCheckBox()->isChecked());
        QTest::mouseClick(form.OkButton(), Qt::LeftButton);
        QCOMPARE(store.Value(kRoot, "SavePwd"), std::string("0"));
        QCOMPARE(store.Value(kRoot, "Pwd"), std::string());
    }

    void CancelStoresNothing()
    {
        Store store;
        store.backend->WriteString(kRoot, "Server", "kept.example");
        const std::vector<std::string> custom = {"q=readnext", "w=writetext"};
        {
            TMiravoConfiguration writer(store.backend, "anna");
            writer.SetShortcutMap(custom);
            writer.SaveShortcutMap();
        }
        DialogOn dialog(store);
        TConfigForm& form = dialog.form;
        TMiravoConfiguration& config = dialog.config;
        QStringList asked;
        bool answer = false;
        form.SetYesNoQuestion([&](QWidget*, const QString& title, const QString& text) {
            asked << title << text;
            return answer;
        });
        QVERIFY(dialog.Show());
        QCOMPARE(RowTexts(form.KeyMapListView(), 0), (QStringList{"q", "w"}));

        // No keeps the rows; Yes puts the 18 defaults in their place.
        QTest::mouseClick(form.DefaultKeysButton(), Qt::LeftButton);
        QCOMPARE(asked, (QStringList{"Set default mappings", "This will remove all your custom settings. Are you sure?"}));
        QCOMPARE(form.KeyMapListView()->topLevelItemCount(), 2);
        answer = true;
        QTest::mouseClick(form.DefaultKeysButton(), Qt::LeftButton);
        QCOMPARE(form.KeyMapListView()->topLevelItemCount(), 18);
        form.HostEdit()->setText(QStringLiteral("changed.example"));

        QTest::mouseClick(form.CancelButton(), Qt::LeftButton);
        QVERIFY(!form.isVisible());
        QCOMPARE(form.result(), int(QDialog::Rejected));
        QVERIFY(config.Inherit());
        QCOMPARE(config.ShortcutMap(), custom);
        QCOMPARE(TMiravoConfiguration(store.backend, "anna").ShortcutMap(), custom);
        QCOMPARE(store.Value(kRoot, "Server"), std::string("kept.example"));
        QCOMPARE(store.backend->SaveCount(), 1);  // the writer's own save only
    }

    void KeyboardRowsSelectAddAndRemove()
    {
        Store store;
        DialogOn dialog(store);
        TConfigForm& form = dialog.form;
        QVERIFY(dialog.Show());
        QTreeWidget* view = form.KeyMapListView();

        // Sorted by key sequence; a blank is shown so that it can be seen.
        const QStringList keys = RowTexts(view, 0);
        QStringList sorted = keys;
        sorted.sort();
        QCOMPARE(keys, sorted);
        QVERIFY(keys.contains(QStringLiteral("t\u2423")));
        QCOMPARE(view->headerItem()->text(0), QStringLiteral("Key seq"));
        QCOMPARE(view->headerItem()->text(1), QStringLiteral("Command"));

        // The combo box is sorted and holds every command.
        QStringList commands;
        for (int i = 0; i < form.KeyboardCmdComboBox()->count(); ++i)
            commands << form.KeyboardCmdComboBox()->itemText(i);
        QStringList sortedCommands = commands;
        sortedCommands.sort();
        QCOMPARE(commands, sortedCommands);
        QVERIFY(commands.contains(QStringLiteral("Create new user")));

        QTreeWidgetItem* readNext = view->findItems(QStringLiteral("Read next unread text"), Qt::MatchExactly, 1).value(0);
        QVERIFY(readNext);
        view->setCurrentItem(readNext);
        QVERIFY(form.RemoveKeyButton()->isEnabled());
        QCOMPARE(form.NewKeymapEdit()->text(), QStringLiteral(" "));
        QCOMPARE(form.KeyboardCmdComboBox()->currentText(), QStringLiteral("Read next unread text"));

        // Neither a duplicate nor an empty sequence is refused.
        QTest::mouseClick(form.AddKeyButton(), Qt::LeftButton);
        form.NewKeymapEdit()->clear();
        QTest::mouseClick(form.AddKeyButton(), Qt::LeftButton);
        QCOMPARE(view->topLevelItemCount(), 20);
        QCOMPARE(view->findItems(QStringLiteral("Read next unread text"), Qt::MatchExactly, 1).size(), 3);

        view->setCurrentItem(view->findItems(QStringLiteral("Skip over comments"), Qt::MatchExactly, 1).value(0));
        QTest::mouseClick(form.RemoveKeyButton(), Qt::LeftButton);
        QCOMPARE(view->topLevelItemCount(), 19);
        QVERIFY(view->findItems(QStringLiteral("Skip over comments"), Qt::MatchExactly, 1).isEmpty());

        QTest::mouseClick(form.ApplyButton(), Qt::LeftButton);
        const std::vector<std::string> map = TMiravoConfiguration(store.backend, "anna").ShortcutMap();
        QCOMPARE(map.size(), std::size_t{19});
        QCOMPARE(std::count(map.begin(), map.end(), std::string(" =readnext")), std::ptrdiff_t{2});
        QCOMPARE(std::count(map.begin(), map.end(), std::string("=readnext")), std::ptrdiff_t{1});
        QCOMPARE(std::count(map.begin(), map.end(), std::string("h=skipcomments")), std::ptrdiff_t{0});

        // Shown again, the first page is active and Remove is off.
        form.Pages()->setCurrentIndex(3);
        form.hide();
        form.show();
        QCOMPARE(form.Pages()->currentIndex(), 0);
        QVERIFY(!form.RemoveKeyButton()->isEnabled());
        form.hide();
    }

    void KnownServersMenuFillsHostAndPort()
    {
        Store store;
        DialogOn dialog(store);
        TConfigForm& form = dialog.form;
        QVERIFY(dialog.Show());
        form.HostEdit()->setText(QStringLiteral("elsewhere"));
        form.PortEdit()->setText(QStringLiteral("1"));

        QCOMPARE(form.KnownServersButton()->text(), QStringLiteral("Set default"));
        QTest::mouseClick(form.KnownServersButton(), Qt::LeftButton);
        QMenu* menu = form.KnownServersMenu();
        QTRY_VERIFY(menu->isVisible());
        const QPoint below = form.KnownServersButton()->mapToGlobal(QPoint(0, form.KnownServersButton()->height()));
        // Below the button, unless the screen's edge pushes it left.
        const int screenRight = menu->screen()->availableGeometry().right() + 1;
        QCOMPARE(menu->pos().x(), std::min(below.x(), screenRight - menu->width()));
        QVERIFY(menu->pos().y() >= below.y());
        QCOMPARE(menu->actions().size(), int(KnownServers().size()));

        QAction* demo = MenuAction(menu, QStringLiteral("Local demo server"));
        QVERIFY(demo);
        demo->trigger();
        menu->close();
        QCOMPARE(form.HostEdit()->text(), QStringLiteral("localhost"));
        QCOMPARE(form.PortEdit()->text(), QStringLiteral("4894"));
        menu->actions().last()->trigger();
        QCOMPARE(form.HostEdit()->text(), QString::fromUtf8(KnownServers().back().host));
        QCOMPARE(form.PortEdit()->text(), QString::number(KnownServers().back().port));
        form.hide();
    }

    void FontPageActsOnTheRegionUnderTheCaret()
    {
        Store store;
        store.backend->WriteString(kRoot, "HeaderFont", "Arial;12;255;U");
        DialogOn dialog(store);
        TConfigForm& form = dialog.form;
        QList<int> fontRegions;
        QList<QFont> initialFonts;
        std::optional<QFont> fontAnswer;
        form.SetFontChooser([&](QWidget*, const QFont& initial) {
            initialFonts << initial;
            return fontAnswer;
        });
        QList<QColor> initialColors;
        form.SetColorChooser([&](QWidget*, const QColor& initial) {
            initialColors << initial;
            return std::optional<QColor>();
        });
        QVERIFY(dialog.Show());
        form.Pages()->setCurrentIndex(6);
        QTextEdit* sample = form.FontSampleRichEdit();
        QVERIFY(sample->isReadOnly());
        QCOMPARE(sample->document()->findBlockByNumber(3).text().left(7), QStringLiteral("Subject"));
        QVERIFY(sample->document()->findBlockByNumber(9).text().startsWith(QStringLiteral("=====")));
        QCOMPARE(TConfigForm::RegionOfLine(2), 0);
        QCOMPARE(TConfigForm::RegionOfLine(3), 1);
        QCOMPARE(TConfigForm::RegionOfLine(8), 1);
        QCOMPARE(TConfigForm::RegionOfLine(9), 2);
        // The stored colour (red, as 0x0000FF) shows in the header.
        QTextCursor header(sample->document()->findBlockByNumber(1));
        header.movePosition(QTextCursor::Right);
        QCOMPARE(header.charFormat().foreground().color(), QColor(255, 0, 0));
        QVERIFY(header.charFormat().font().underline());

        // A right-click on the message moves the caret there and opens the menu.
        const QPoint messageLine = SampleLinePos(sample, 10);
        QTest::mousePress(sample->viewport(), Qt::RightButton, {}, messageLine);
        QCOMPARE(sample->textCursor().blockNumber(), 10);
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, messageLine, sample->viewport()->mapToGlobal(messageLine));
        QApplication::sendEvent(sample->viewport(), &menuEvent);
        QMenu* menu = form.FontPopupMenu();
        QTRY_VERIFY(menu->isVisible());
        QStringList captions;
        for (QAction* action : menu->actions())
            captions << action->text();
        QCOMPARE(captions, (QStringList{"Change &font", "Custom &color", "&Default"}));
        MenuAction(menu, QStringLiteral("Change &font"))->trigger();
        menu->close();
        QTest::mouseRelease(sample->viewport(), Qt::RightButton, {}, messageLine);
        QCOMPARE(initialFonts.size(), 1);
        QVERIFY(initialFonts[0].bold());  // the message font is bold

        // F on the header line; cancelling changes nothing.
        QTest::mouseClick(sample->viewport(), Qt::LeftButton, {}, SampleLinePos(sample, 1));
        QTest::keyClick(sample, Qt::Key_F);
        QCOMPARE(initialFonts.size(), 2);
        QCOMPARE(initialFonts[1].pointSize(), 12);
        QVERIFY(initialFonts[1].underline());
        QCOMPARE(form.RegionFont(0), std::string("Arial;12;$ff;U"));
        QTest::keyClick(sample, Qt::Key_C);
        QCOMPARE(initialColors, (QList<QColor>{QColor(255, 0, 0)}));
        QCOMPARE(form.RegionFont(0), std::string("Arial;12;$ff;U"));

        // A chosen font keeps the region's colour.
        QFont chosen(QStringLiteral("DejaVu Sans Mono"));
        chosen.setPointSize(9);
        chosen.setBold(true);
        fontAnswer = chosen;
        QTest::keyClick(sample, Qt::Key_F);
        QCOMPARE(form.RegionFont(0), std::string("DejaVu Sans Mono;9;$ff;B"));
        QCOMPARE(form.RegionFont(1), std::string("Courier New;10;$80000008;"));

        MenuAction(menu, QStringLiteral("&Default"))->trigger();
        QCOMPARE(form.RegionFont(0), std::string("MS Sans Serif;11;$80000008;"));
        QCOMPARE(form.RegionFont(1), std::string("Courier New;10;$80000008;"));
        QCOMPARE(form.RegionFont(2), std::string("MS Sans Serif;10;$80000008;B"));
        QTest::mouseClick(form.ApplyButton(), Qt::LeftButton);
        QCOMPARE(store.Value(kRoot, "HeaderFont"), std::string("MS Sans Serif;11;$80000008;"));
        form.hide();
    }

    // A colour that cannot be read on the theme's background is drawn in the
    // theme's text colour; a note beside the sample says so, and which part.
    void UnreadableFontColourIsReplacedAndTheSampleSaysSo()
    {
        const QPalette palette = QApplication::palette();
        const QColor base = palette.color(QPalette::Base);
        const QColor text = palette.color(QPalette::Text);
        const auto stored = [](const QColor& c) {
            return "$" + QString::number(c.red() | c.green() << 8 | c.blue() << 16, 16).toStdString();
        };
        Store store;
        store.backend->WriteString(kRoot, "BodyFont", "Courier New;10;" + stored(base) + ";");
        DialogOn dialog(store);
        TConfigForm& form = dialog.form;
        std::optional<QColor> colourAnswer;
        form.SetColorChooser([&](QWidget*, const QColor&) { return colourAnswer; });
        QVERIFY(dialog.Show());
        form.Pages()->setCurrentIndex(6);
        QTextEdit* sample = form.FontSampleRichEdit();
        QLabel* note = form.FontColourNote();
        QVERIFY(note);
        QVERIFY(!note->isHidden());
        QVERIFY2(note->text().contains(QStringLiteral("for the body")), qPrintable(note->text()));
        QVERIFY(!note->text().contains(QStringLiteral("header")));
        QTextCursor body(sample->document()->findBlockByNumber(5));
        body.movePosition(QTextCursor::Right);
        QCOMPARE(body.charFormat().foreground().color(), text);
        // What is stored is still the user's choice.
        QCOMPARE(form.RegionFont(1), "Courier New;10;" + stored(base) + ";");

        // A readable colour for the body: no note.
        QTest::mouseClick(sample->viewport(), Qt::LeftButton, {}, SampleLinePos(sample, 5));
        colourAnswer = text;
        QTest::keyClick(sample, Qt::Key_C);
        QVERIFY(note->isHidden());

        // The background's colour for the header and the message: both named.
        colourAnswer = base;
        QTest::mouseClick(sample->viewport(), Qt::LeftButton, {}, SampleLinePos(sample, 1));
        QTest::keyClick(sample, Qt::Key_C);
        QTest::mouseClick(sample->viewport(), Qt::LeftButton, {}, SampleLinePos(sample, 10));
        QTest::keyClick(sample, Qt::Key_C);
        QVERIFY(!note->isHidden());
        QVERIFY2(note->text().contains(QStringLiteral("for the header and message")), qPrintable(note->text()));
        MenuAction(form.FontPopupMenu(), QStringLiteral("&Default"))->trigger();
        QVERIFY(note->isHidden());
        form.hide();
    }

    void UntouchedFontKeepsItsStoredSpelling()
    {
        Store store;
        // A decimal colour reads the same as "$80000008" but is written as stored.
        store.backend->WriteString(kRoot, "BodyFont", "Courier New;10;2147483656;");
        DialogOn dialog(store);
        TConfigForm& form = dialog.form;
        QVERIFY(dialog.Show());
        QTest::mouseClick(form.ApplyButton(), Qt::LeftButton);
        QCOMPARE(store.Value(kRoot, "BodyFont"), std::string("Courier New;10;2147483656;"));
        form.hide();
    }

    void ProxyFieldsFollowTheProxyBox()
    {
        Store store;
        store.backend->WriteString(kHome, "UseProxy", "1");
        DialogOn dialog(store, kHome);
        TConfigForm& form = dialog.form;
        QVERIFY(dialog.Show());
        QVERIFY(form.ProxyServerEdit()->isEnabled());
        QVERIFY(form.ProxyPortEdit()->isEnabled());
        form.EnableProxyCheckBox()->setCheckState(Qt::PartiallyChecked);
        QVERIFY(!form.ProxyServerEdit()->isEnabled());
        form.EnableProxyCheckBox()->setCheckState(Qt::Unchecked);
        QVERIFY(!form.ProxyPortEdit()->isEnabled());
        form.EnableProxyCheckBox()->setCheckState(Qt::Checked);
        QVERIFY(form.ProxyPortEdit()->isEnabled());
        form.hide();
    }

    // Fetching ahead, the logon's wait and the messages kept were settings
    // before the dialog showed them: Ok on a fresh profile must not freeze
    // today's defaults into it.
    void OkOnAFreshProfileLeavesTheReadingSettingsUnset()
    {
        Store store;
        {
            DialogOn dialog(store);
            TConfigForm& form = dialog.form;
            QVERIFY(dialog.Show());
            QCOMPARE(form.AnswerTimeoutEdit()->text(), QStringLiteral("30"));
            QCOMPARE(form.MessagesKeptEdit()->text(), QStringLiteral("5000"));
            QCOMPARE(form.PrefetchComboBox()->currentText(), QStringLiteral("Automatic"));
            QCOMPARE(form.PrefetchComboBox()->count(), 3);
            QTest::mouseClick(form.OkButton(), Qt::LeftButton);
            QCOMPARE(form.result(), int(QDialog::Accepted));
        }
        for (const char* key : {"MessagesKept", "AnswerTimeout", "PrefetchAll"})
            QVERIFY2(!store.Value(kRoot, key), key);
        QVERIFY(store.Value(kRoot, "Server"));  // the dialog did save

        store.backend->WriteString(kRoot, "MessagesKept", "700");
        store.backend->WriteString(kRoot, "PrefetchAll", "0");
        DialogOn named(store, kHome);
        TConfigForm& form = named.form;
        QVERIFY(named.Show());
        QCOMPARE(form.MessagesKeptEdit()->text(), QString());
        QCOMPARE(form.MessagesKeptEdit()->placeholderText(), QStringLiteral("700"));
        QCOMPARE(form.AnswerTimeoutEdit()->placeholderText(), QStringLiteral("30"));
        QCOMPARE(form.PrefetchComboBox()->currentText(),
                 QStringLiteral("As the default profile (Only the next texts to read)"));
        QTest::mouseClick(form.OkButton(), Qt::LeftButton);
        QCOMPARE(form.result(), int(QDialog::Accepted));
        for (const char* key : {"MessagesKept", "AnswerTimeout", "PrefetchAll"})
            QVERIFY2(!store.Value(kHome, key), key);
        QCOMPARE(named.config.ReadInt("MessagesKept", 5000), 700);
        QCOMPARE(named.config.ReadString("PrefetchAll", ""), std::string("0"));
    }

    // Opening the dialog, looking at every page and pressing Ok changes no
    // setting in effect, on a fresh store and on a demo-like named profile.
    void OkWithoutChangesChangesNothingInEffect()
    {
        struct Case {
            const char* what;
            std::string profile;
            std::vector<std::pair<std::string, std::string>> root, own;
        };
        const std::vector<Case> cases = {
            {"fresh default profile", kRoot, {}, {}},
            {"fresh named profile", kHome, {}, {}},
            {"demo-like named profile",
             kHome,
             {{"SoundPersMsg", "1"}, {"ShowSubjTree", "0"}},
             {{"Server", "127.0.0.1"}, {"Port", "4900"}, {"UseTls", "1"}, {"TlsPort", "4901"}, {"User", "Demo"},
              {"Charset", "UTF-8"}, {"SavePwd", "1"}, {"UseProxy", "0"}, {"TrayPersMsg", "1"},
              {"WindowPosWidth", "960"}, {"WindowPosHeight", "680"}}},
        };
        for (const Case& c : cases) {
            Store store;
            for (const auto& [name, value] : c.root)
                store.backend->WriteString(kRoot, name, value);
            for (const auto& [name, value] : c.own)
                store.backend->WriteString(c.profile, name, value);
            const auto before = ValuesInEffect(store, c.profile);
            {
                DialogOn dialog(store, c.profile);
                TConfigForm& form = dialog.form;
                QVERIFY(dialog.Show());
                for (int page = 0; page < form.Pages()->count(); ++page)
                    form.Pages()->setCurrentIndex(page);
                QTest::mouseClick(form.OkButton(), Qt::LeftButton);
                QCOMPARE(form.result(), int(QDialog::Accepted));
            }
            const auto after = ValuesInEffect(store, c.profile);
            QCOMPARE(after.size(), before.size());
            for (const auto& [name, value] : before)
                QVERIFY2(after.at(name) == value,
                         qPrintable(QStringLiteral("%1: %2 became %3 (%4)")
                                        .arg(QString::fromStdString(name), QString::fromStdString(value),
                                             QString::fromStdString(after.at(name)), QLatin1String(c.what))));
        }
    }

    void NumbersOutOfRangeAreRefusedAndChoicesSaved()
    {
        Store store;
        DialogOn dialog(store);
        TConfigForm& form = dialog.form;
        QStringList warned;
        form.SetWarning([&](QWidget*, const QString& title, const QString& text) { warned << title << text; });
        QVERIFY(dialog.Show());
        form.MessagesKeptEdit()->setText(QStringLiteral("50"));
        form.PrefetchComboBox()->setCurrentIndex(form.PrefetchComboBox()->findText(QStringLiteral("Always")));

        QTest::mouseClick(form.OkButton(), Qt::LeftButton);
        QVERIFY(form.isVisible());
        QCOMPARE(warned.size(), 2);
        QCOMPARE(warned[0], QStringLiteral("Configuration"));
        QVERIFY2(warned[1].contains(QStringLiteral("\"50\"")) && warned[1].contains(QStringLiteral("100 to 100000")),
                 qPrintable(warned[1]));
        QCOMPARE(form.Pages()->tabText(form.Pages()->currentIndex()), QStringLiteral("Misc"));
        QVERIFY(!store.Value(kRoot, "MessagesKept"));
        QVERIFY(!store.Value(kRoot, "Server"));  // nothing at all was saved

        // Apply refuses the same way; the timeout's field is on the first page.
        form.MessagesKeptEdit()->setText(QStringLiteral("250"));
        form.AnswerTimeoutEdit()->setText(QStringLiteral("soon"));
        QTest::mouseClick(form.ApplyButton(), Qt::LeftButton);
        QCOMPARE(warned.size(), 4);
        QVERIFY2(warned[3].contains(QStringLiteral("\"soon\"")), qPrintable(warned[3]));
        QCOMPARE(form.Pages()->currentIndex(), 0);
        QVERIFY(!store.Value(kRoot, "AnswerTimeout"));

        form.AnswerTimeoutEdit()->setText(QStringLiteral(" 90 "));
        QTest::mouseClick(form.OkButton(), Qt::LeftButton);
        QCOMPARE(form.result(), int(QDialog::Accepted));
        QCOMPARE(warned.size(), 4);
        QCOMPARE(store.Value(kRoot, "MessagesKept"), std::string("250"));
        QCOMPARE(store.Value(kRoot, "AnswerTimeout"), std::string("90"));
        QCOMPARE(store.Value(kRoot, "PrefetchAll"), std::string("1"));
    }

    void InheritFlagIsRestoredWhenTheDialogGoes()
    {
        Store store;
        TMiravoConfiguration config(store.backend, "anna");
        config.SetProfile(kHome);
        {
            TConfigForm form;
            form.SetConfiguration(&config);
            form.show();
            QVERIFY(QTest::qWaitForWindowExposed(&form));
            QVERIFY(!config.Inherit());
        }
        QVERIFY(config.Inherit());
    }
};

QTEST_MAIN(ConfigFormTest)
#include "ConfigForm_test.moc"
