// The configuration dialog's two list pages: the activity messages (a text
// per event) and the keyboard map (key sequences to commands).
#include "gui/config/ConfigForm.h"
#include "gui/common/CoreTexts.h"
#include "gui/config/ConfigFormParts.h"

#include "core/config/ShortcutMap.h"
#include "core/commands/MiravoTables.h"
#include "gui/common/WireCodec.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>
#include <vector>

namespace pellar {

using namespace config_form;

namespace {

// Keys with a trailing or lone blank would look empty in the list.
QString KeysForDisplay(const std::string& keys)
{
    // The shortcut table is ISO-8859-1 whatever the profile sends.
    QString shown = FromWire(keys, WireCharset::Latin1);
    shown.replace(u' ', QChar(0x2423));
    return shown;
}

QString CommandForDisplay(const std::string& commandKey)
{
    const std::string description = UserCommandDescription(commandKey);
    return description.empty() ? FromWire(commandKey) : CoreText(description);
}

} // namespace

QWidget* TConfigForm::BuildActivityPage()
{
    auto* page = new QWidget(this);
    listView1_ = NewListView(QStringLiteral("ListView1"), {tr("Event"), tr("Message")},
                             {120, 200}, page);
    listView1_->setAccessibleName(tr("Activity messages"));
    auto* group = new QGroupBox(tr("&Message"), page);
    messageEdit_ = NewLineEdit(QStringLiteral("MessageEdit"), group);
    setButton_ = NewButton(tr("&Set"), QStringLiteral("SetButton"), group);
    auto* row = new QHBoxLayout(group);
    row->addWidget(messageEdit_, 1);
    row->addWidget(setButton_);
    connect(listView1_, &QTreeWidget::itemSelectionChanged, this, &TConfigForm::ActivitySelectionChanged);
    connect(setButton_, &QPushButton::clicked, this, &TConfigForm::SetButtonClick);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(listView1_, 1);
    layout->addWidget(group);
    return page;
}

QWidget* TConfigForm::BuildKeyboardPage()
{
    auto* page = new QWidget(this);
    keyMapListView_ = NewListView(QStringLiteral("KeyMapListView"),
                                  {tr("Key seq"), tr("Command")}, {150, 200}, page);
    keyMapListView_->setAccessibleName(tr("Keyboard commands"));
    keyMapListView_->setSortingEnabled(true);
    keyMapListView_->sortByColumn(0, Qt::AscendingOrder);
    newKeymapEdit_ = NewLineEdit(QStringLiteral("NewKeymapEdit"), page);
    newKeymapEdit_->setMaximumWidth(90);
    newKeymapEdit_->setAccessibleName(tr("Key seq"));
    keyboardCmdComboBox_ = new QComboBox(page);
    keyboardCmdComboBox_->setObjectName(QStringLiteral("KeyboardCmdComboBox"));
    keyboardCmdComboBox_->setAccessibleName(tr("Command"));
    // Shown in the windows' language, in its order; each item holds its
    // command's key.
    std::vector<std::pair<QString, QString>> commands;
    for (const auto& command : MiravoUserCommands)
        commands.emplace_back(CoreText(std::string_view(command.description)), QString::fromLatin1(command.key));
    std::sort(commands.begin(), commands.end());
    for (const auto& [description, key] : commands)
        keyboardCmdComboBox_->addItem(description, key);
    keyboardCmdComboBox_->setCurrentIndex(-1);
    addKeyButton_ = NewButton(tr("&Add"), QStringLiteral("AddButton"), page);
    removeKeyButton_ = NewButton(tr("&Remove"), QStringLiteral("RemoveButton"), page);
    defaultKeysButton_ = NewButton(tr("Default"), QStringLiteral("DefaultButton"), page);
    connect(keyMapListView_, &QTreeWidget::itemSelectionChanged, this, &TConfigForm::KeyMapSelectionChanged);
    connect(addKeyButton_, &QPushButton::clicked, this, &TConfigForm::AddKeyClick);
    connect(removeKeyButton_, &QPushButton::clicked, this, &TConfigForm::RemoveKeyClick);
    connect(defaultKeysButton_, &QPushButton::clicked, this, &TConfigForm::DefaultKeysClick);

    auto* entry = new QHBoxLayout;
    entry->addWidget(newKeymapEdit_);
    entry->addWidget(keyboardCmdComboBox_, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(addKeyButton_);
    buttons->addWidget(removeKeyButton_);
    buttons->addStretch(1);
    buttons->addWidget(defaultKeysButton_);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(keyMapListView_, 1);
    layout->addLayout(entry);
    layout->addLayout(buttons);
    return page;
}

// --- Activity msg ------------------------------------------------------------

void TConfigForm::ActivitySelectionChanged()
{
    QTreeWidgetItem* item = listView1_->currentItem();
    const bool selected = item && item->isSelected();
    setButton_->setEnabled(selected);
    if (selected)
        messageEdit_->setText(item->text(1));
}

void TConfigForm::SetButtonClick()
{
    if (QTreeWidgetItem* item = listView1_->currentItem())
        item->setText(1, messageEdit_->text());
}

// --- Keyboard ----------------------------------------------------------------

void TConfigForm::FillKeyMap(const std::vector<ShortcutRow>& rows)
{
    keyMapListView_->clear();
    for (const ShortcutRow& row : rows)
        AddKeyRow(row);
    removeKeyButton_->setEnabled(false);
}

void TConfigForm::AddKeyRow(const ShortcutRow& row)
{
    auto* item = new QTreeWidgetItem;
    item->setText(0, KeysForDisplay(row.keys));
    item->setData(0, kKeysRole, QByteArray::fromStdString(row.keys));
    item->setText(1, CommandForDisplay(row.commandKey));
    item->setData(1, kCommandKeyRole, QString::fromStdString(row.commandKey));
    keyMapListView_->addTopLevelItem(item);
}

void TConfigForm::KeyMapSelectionChanged()
{
    QTreeWidgetItem* item = keyMapListView_->currentItem();
    const bool selected = item && item->isSelected();
    removeKeyButton_->setEnabled(selected);
    if (!selected)
        return;
    newKeymapEdit_->setText(FromWire(item->data(0, kKeysRole).toByteArray().toStdString(), WireCharset::Latin1));
    keyboardCmdComboBox_->setCurrentIndex(keyboardCmdComboBox_->findText(item->text(1)));
}

void TConfigForm::AddKeyClick()
{
    const std::string command = keyboardCmdComboBox_->currentData().toString().toStdString();
    if (command.empty())
        return;  // no command chosen yet
    AddKeyRow({ToWire(newKeymapEdit_->text(), WireCharset::Latin1), command});
}

void TConfigForm::RemoveKeyClick()
{
    QTreeWidgetItem* item = keyMapListView_->currentItem();
    if (!item || !item->isSelected())
        return;
    delete item;
    KeyMapSelectionChanged();
}

void TConfigForm::DefaultKeysClick()
{
    if (!question_(this, tr("Set default mappings"),
                   tr("This will remove all your custom settings. Are you sure?")))
        return;
    FillKeyMap(ShortcutRowsFromMap(DefaultShortcutMap()));
}

} // namespace pellar
