#include "gui/config/ConfigForm.h"
#include "gui/config/TlsSettingsBox.h"

#include "core/config/ShortcutMap.h"
#include "core/config/TMiravoConfiguration.h"
#include "core/protocol/MiravoTables.h"
#include "gui/config/InheritedHints.h"
#include "gui/dialogs/DialogHelpers.h"
#include "gui/common/ArticleRenderer.h"
#include "gui/common/UnencodablePrompt.h"
#include "gui/common/WireCodec.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace pellar {

namespace {

constexpr int kKeysRole = Qt::UserRole;         // raw key bytes of a keyboard row
constexpr int kCommandKeyRole = Qt::UserRole;   // command key of a keyboard row (column 1)

// Lines of the font sample: an article header (0-2), an article body (3-8)
// and, after the "=" line, a message (9 on), as the article view and the
// messages window lay them out.
const char* const kSampleLines[] = {
    "4711 2026-12-06 10:15:02, By [6] Anna Berg",
    "Recipient: [12] Pellar (test) (311)",
    "Comment to: 4700 by [9] Erik Lund",
    "Subject: What the texts look like",
    "",
    "This is the body of a text, in the body font.",
    "Lines keep the width they were written with.",
    "--- 4711 ---",
    "",
    "========================================",
    "Personal message from Erik Lund (10:20):",
    "Lunch at twelve?",
};
constexpr int kFirstBodyLine = 3;
constexpr int kFirstMessageLine = 9;

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
    return FromWire(description.empty() ? commandKey : description);
}

uint32_t ColorValue(const QColor& color)
{
    return static_cast<uint32_t>(color.red()) | static_cast<uint32_t>(color.green()) << 8 |
           static_cast<uint32_t>(color.blue()) << 16;
}

QLineEdit* NewLineEdit(const QString& objectName, QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(objectName);
    return edit;
}

QPushButton* NewButton(const QString& caption, const QString& objectName, QWidget* parent)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    return button;
}

QTreeWidget* NewListView(const QString& objectName, const QStringList& columns, const QList<int>& widths,
                         QWidget* parent)
{
    auto* view = new QTreeWidget(parent);
    view->setObjectName(objectName);
    view->setRootIsDecorated(false);
    view->setUniformRowHeights(true);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setHeaderLabels(columns);
    for (int i = 0; i < widths.size(); ++i)
        view->setColumnWidth(i, widths[i]);
    return view;
}

} // namespace

TConfigForm::TConfigForm(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Configuration"));
    setObjectName(QStringLiteral("ConfigForm"));

    fontChooser_ = [](QWidget* owner, const QFont& initial) -> std::optional<QFont> {
        bool ok = false;
        const QFont font = QFontDialog::getFont(&ok, initial, owner);
        return ok ? std::optional<QFont>(font) : std::nullopt;
    };
    colorChooser_ = [](QWidget* owner, const QColor& initial) -> std::optional<QColor> {
        const QColor color = QColorDialog::getColor(initial, owner);
        return color.isValid() ? std::optional<QColor>(color) : std::nullopt;
    };
    question_ = [](QWidget* owner, const QString& title, const QString& text) {
        return QMessageBox::question(owner, title, text, QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    };

    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("PageControl"));
    pages_->addTab(BuildGeneralPage(), QStringLiteral("General"));
    pages_->addTab(BuildAlertsPage(), QStringLiteral("Alerts"));
    pages_->addTab(BuildActivityPage(), QStringLiteral("Activity msg"));
    pages_->addTab(BuildKeyboardPage(), QStringLiteral("Keyboard"));
    pages_->addTab(BuildFilterPage(), QStringLiteral("Filter"));
    pages_->addTab(BuildMiscPage(), QStringLiteral("Misc"));
    pages_->addTab(BuildFontsPage(), QStringLiteral("Fonts"));

    okButton_ = NewButton(QStringLiteral("Ok"), QStringLiteral("OkButton"), this);
    okButton_->setDefault(true);
    okButton_->setAutoDefault(true);
    applyButton_ = NewButton(QStringLiteral("Apply"), QStringLiteral("ApplyButton"), this);
    cancelButton_ = NewButton(QStringLiteral("Cancel"), QStringLiteral("CancelButton"), this);
    connect(okButton_, &QPushButton::clicked, this, [this] {
        if (!ConfirmServerTextsFit())
            return;
        Save();
        accept();
    });
    connect(applyButton_, &QPushButton::clicked, this, [this] {
        if (ConfirmServerTextsFit())
            Save();
    });
    connect(cancelButton_, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(okButton_);
    buttons->addWidget(applyButton_);
    buttons->addWidget(cancelButton_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(pages_, 1);
    layout->addLayout(buttons);
    resize(500, 440);
}

TConfigForm::~TConfigForm()
{
    if (inheritCleared_ && config_)
        config_->SetInherit(savedInherit_);
}

QCheckBox* TConfigForm::NewCheckBox(const QString& caption, const QString& objectName)
{
    auto* box = new QCheckBox(caption, this);
    box->setObjectName(objectName);
    return box;
}

QWidget* TConfigForm::BuildGeneralPage()
{
    auto* page = new QWidget(this);

    auto* server = new QGroupBox(QStringLiteral("Server"), page);
    hostEdit_ = NewLineEdit(QStringLiteral("HostEdit"), server);
    portEdit_ = NewLineEdit(QStringLiteral("PortEdit"), server);
    button1_ = NewButton(QStringLiteral("Set default"), QStringLiteral("Button1"), server);
    knownServersMenu_ = new QMenu(button1_);
    knownServersMenu_->setObjectName(QStringLiteral("KnownServersMenu"));
    for (const KnownServer& known : KnownServers()) {
        QString caption = QString::fromUtf8(known.name);
        if (known.tls)
            caption += QStringLiteral(" (TLS)");
        QAction* action = knownServersMenu_->addAction(caption);
        connect(action, &QAction::triggered, this, [this, known] {
            hostEdit_->setText(QString::fromUtf8(known.host));
            portEdit_->setText(QString::number(known.port));
            tlsBox_->UseTlsCheckBox()->setCheckState(known.tls ? Qt::Checked : Qt::Unchecked);
            if (known.tls)
                tlsBox_->TlsPortEdit()->setText(QString::number(known.tlsPort));
        });
    }
    connect(button1_, &QPushButton::clicked, this,
            [this] { knownServersMenu_->popup(button1_->mapToGlobal(QPoint(0, button1_->height()))); });
    auto* portRow = new QHBoxLayout;
    portRow->addWidget(portEdit_, 1);
    portRow->addWidget(button1_);
    charsetComboBox_ = new QComboBox(server);
    charsetComboBox_->setObjectName(QStringLiteral("CharsetComboBox"));
    auto* serverForm = new QFormLayout(server);
    serverForm->addRow(QStringLiteral("Host &name:"), hostEdit_);
    serverForm->addRow(QStringLiteral("&Port:"), portRow);
    serverForm->addRow(QStringLiteral("&Character set:"), charsetComboBox_);
    // The form made the labels; a label's buddy must still be the edit.
    if (auto* label = qobject_cast<QLabel*>(serverForm->labelForField(portRow)))
        label->setBuddy(portEdit_);

    auto* user = new QGroupBox(QStringLiteral("User"), page);
    nameEdit_ = NewLineEdit(QStringLiteral("NameEdit"), user);
    pwdEdit_ = PasswordEdit(QStringLiteral("PwdEdit"), user);
    savePwdCheckBox_ = NewCheckBox(QStringLiteral("&Save password"), QStringLiteral("SavePwdCheckBox"));
    auto* userForm = new QFormLayout(user);
    userForm->addRow(QStringLiteral("&Name:"), nameEdit_);
    userForm->addRow(QStringLiteral("P&assword:"), pwdEdit_);
    userForm->addRow(QString(), savePwdCheckBox_);
    passwordPlaceLabel_ = new QLabel(user);
    passwordPlaceLabel_->setObjectName(QStringLiteral("PasswordPlaceLabel"));
    passwordPlaceLabel_->setWordWrap(true);
    userForm->addRow(QString(), passwordPlaceLabel_);

    auto* proxy = new QGroupBox(QStringLiteral("Web proxy"), page);
    enableProxyCheckBox_ = NewCheckBox(QStringLiteral("Enable proxy support"), QStringLiteral("EnableProxyCheckBox"));
    proxyServerEdit_ = NewLineEdit(QStringLiteral("ProxyServerEdit"), proxy);
    proxyPortEdit_ = NewLineEdit(QStringLiteral("ProxyPortEdit"), proxy);
    auto* proxyForm = new QFormLayout(proxy);
    proxyForm->addRow(enableProxyCheckBox_);
    proxyForm->addRow(QStringLiteral("&Server name:"), proxyServerEdit_);
    proxyForm->addRow(QStringLiteral("P&ort:"), proxyPortEdit_);
    connect(enableProxyCheckBox_, &QCheckBox::stateChanged, this, &TConfigForm::UpdateProxyEdits);

    tlsBox_ = new TTlsSettingsBox(page);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(server);
    layout->addWidget(tlsBox_);
    layout->addWidget(user);
    layout->addWidget(proxy);
    layout->addStretch(1);
    return page;
}

namespace {

QString PermanentTrayCaption()
{
    return QStringLiteral("Always show the tray icon, with the number of &unread texts");
}

} // namespace

QWidget* TConfigForm::BuildAlertsPage()
{
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    const QString groups[kAlertLevelCount] = {QStringLiteral("&Sound"), QStringLiteral("Task bar &tray icon"),
                                              QStringLiteral("&Focus")};
    const QString captions[kAlertFlagCount] = {
        QStringLiteral("&All messages received"), QStringLiteral("&Personal messages received"),
        QStringLiteral("P&riority text available"), QStringLiteral("A&ll messages received"),
        QStringLiteral("P&ersonal messages received"), QStringLiteral("Pri&ority text available"),
        QStringLiteral("All messages r&eceived"), QStringLiteral("Per&sonal messages received"),
        QStringLiteral("Priorit&y text available"),
    };
    const QString levelNames[kAlertLevelCount] = {QStringLiteral("SoundPriorityEdit"),
                                                  QStringLiteral("TrayPriorityEdit"),
                                                  QStringLiteral("FocusPriorityEdit")};
    for (int g = 0; g < kAlertLevelCount; ++g) {
        auto* group = new QGroupBox(groups[g], page);
        auto* rows = new QVBoxLayout(group);
        for (int i = 0; i < 3; ++i) {
            const int index = g * 3 + i;
            alertCheckBoxes_[index] = NewCheckBox(
                captions[index], FromWire(std::string(AlertFlagKeys()[index])) + QStringLiteral("CheckBox"));
            alertCaptions_[index] = captions[index];
            if (i < 2) {
                rows->addWidget(alertCheckBoxes_[index]);
                continue;
            }
            // The threshold sits beside the priority box it belongs to.
            priorityEdits_[g] = NewLineEdit(levelNames[g], group);
            priorityEdits_[g]->setMaximumWidth(60);
            priorityEdits_[g]->setToolTip(QStringLiteral("Lowest conference priority that gives this alert"));
            auto* level = new QLabel(QStringLiteral("at priority"), group);
            level->setBuddy(priorityEdits_[g]);
            auto* row = new QHBoxLayout;
            row->addWidget(alertCheckBoxes_[index]);
            row->addWidget(level);
            row->addWidget(priorityEdits_[g]);
            row->addStretch(1);
            rows->addLayout(row);
        }
        if (g == 1) {
            permanentTrayCheckBox_ = NewCheckBox(PermanentTrayCaption(), QStringLiteral("PermanentTrayCheckBox"));
            rows->addWidget(permanentTrayCheckBox_);
        }
        layout->addWidget(group);
    }
    layout->addStretch(1);
    return page;
}

QWidget* TConfigForm::BuildActivityPage()
{
    auto* page = new QWidget(this);
    listView1_ = NewListView(QStringLiteral("ListView1"), {QStringLiteral("Event"), QStringLiteral("Message")},
                             {120, 200}, page);
    auto* group = new QGroupBox(QStringLiteral("&Message"), page);
    messageEdit_ = NewLineEdit(QStringLiteral("MessageEdit"), group);
    setButton_ = NewButton(QStringLiteral("&Set"), QStringLiteral("SetButton"), group);
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
                                  {QStringLiteral("Key seq"), QStringLiteral("Command")}, {150, 200}, page);
    keyMapListView_->setSortingEnabled(true);
    keyMapListView_->sortByColumn(0, Qt::AscendingOrder);
    newKeymapEdit_ = NewLineEdit(QStringLiteral("NewKeymapEdit"), page);
    newKeymapEdit_->setMaximumWidth(90);
    keyboardCmdComboBox_ = new QComboBox(page);
    keyboardCmdComboBox_->setObjectName(QStringLiteral("KeyboardCmdComboBox"));
    QStringList descriptions;
    for (const auto& command : MiravoUserCommands)
        descriptions << FromWire(command.description);
    descriptions.sort();
    keyboardCmdComboBox_->addItems(descriptions);
    keyboardCmdComboBox_->setCurrentIndex(-1);
    addKeyButton_ = NewButton(QStringLiteral("&Add"), QStringLiteral("AddButton"), page);
    removeKeyButton_ = NewButton(QStringLiteral("&Remove"), QStringLiteral("RemoveButton"), page);
    defaultKeysButton_ = NewButton(QStringLiteral("Default"), QStringLiteral("DefaultButton"), page);
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

QWidget* TConfigForm::BuildFilterPage()
{
    auto* page = new QWidget(this);
    filterAddedCheckBox_ =
        NewCheckBox(QStringLiteral("&Skip read texts added to new conferences"), QStringLiteral("FilterAddedCheckBox"));
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(filterAddedCheckBox_);
    layout->addStretch(1);
    return page;
}

QWidget* TConfigForm::BuildMiscPage()
{
    auto* page = new QWidget(this);
    showSubjTreeCheckBox_ = NewCheckBox(QStringLiteral("&Show subject tree"), QStringLiteral("ShowSubjTreeCheckBox"));
    markReadCheckBox_ =
        NewCheckBox(QStringLiteral("Report &read texts to the server"), QStringLiteral("MarkReadTextsCheckBox"));
    lineWrapCheckBox_ = NewCheckBox(QStringLiteral("Automatic line &wrap to 80 columns (Writing)"),
                                    QStringLiteral("AutomaticLineWrapCheckBox"));
    alignTopCheckBox_ =
        NewCheckBox(QStringLiteral("&Align texts to window top"), QStringLiteral("AlignTextsToTopCheckBox"));
    showCommentedCheckBox_ =
        NewCheckBox(QStringLiteral("Show commen&ted text"), QStringLiteral("ShowCommentedTextCheckBox"));

    startWSizeRadioGroup_ = new QGroupBox(QStringLiteral("Startup window si&ze"), page);
    startWSizeRadioGroup_->setObjectName(QStringLiteral("StartWSizeRadioGroup"));
    startWSizeButtons_ = new QButtonGroup(this);
    auto* radios = new QVBoxLayout(startWSizeRadioGroup_);
    const QString captions[3] = {QStringLiteral("&Maximized"), QStringLiteral("M&inimized"),
                                 QStringLiteral("&Current size")};
    for (int i = 0; i < 3; ++i) {
        startWSizeRadios_[i] = new QRadioButton(captions[i], startWSizeRadioGroup_);
        startWSizeButtons_->addButton(startWSizeRadios_[i], i);
        radios->addWidget(startWSizeRadios_[i]);
    }

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(showSubjTreeCheckBox_);
    layout->addWidget(markReadCheckBox_);
    layout->addWidget(lineWrapCheckBox_);
    layout->addWidget(alignTopCheckBox_);
    layout->addWidget(showCommentedCheckBox_);
    layout->addWidget(startWSizeRadioGroup_);
    layout->addStretch(1);
    return page;
}

QWidget* TConfigForm::BuildFontsPage()
{
    auto* page = new QWidget(this);
    fontSampleRichEdit_ = new QTextEdit(page);
    fontSampleRichEdit_->setObjectName(QStringLiteral("FontSampleRichEdit"));
    fontSampleRichEdit_->setReadOnly(true);
    // Read-only, but with a caret: the menu and the keys act on its line.
    fontSampleRichEdit_->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    fontSampleRichEdit_->setLineWrapMode(QTextEdit::NoWrap);
    fontSampleRichEdit_->setContextMenuPolicy(Qt::CustomContextMenu);
    fontSampleRichEdit_->installEventFilter(this);
    fontSampleRichEdit_->viewport()->installEventFilter(this);

    fontPopupMenu_ = new QMenu(fontSampleRichEdit_);
    fontPopupMenu_->setObjectName(QStringLiteral("FontPopupMenu"));
    QAction* changeFont = fontPopupMenu_->addAction(QStringLiteral("Change &font"));
    QAction* customColor = fontPopupMenu_->addAction(QStringLiteral("Custom &color"));
    QAction* defaults = fontPopupMenu_->addAction(QStringLiteral("&Default"));
    connect(changeFont, &QAction::triggered, this, &TConfigForm::ChangeFontClick);
    connect(customColor, &QAction::triggered, this, &TConfigForm::CustomColorClick);
    connect(defaults, &QAction::triggered, this, &TConfigForm::DefaultFontsClick);
    connect(fontSampleRichEdit_, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        fontPopupMenu_->popup(fontSampleRichEdit_->viewport()->mapToGlobal(pos));
    });

    auto* hint = new QLabel(QStringLiteral("Right-click a part of the sample for the menu, or put the caret in it "
                                           "and press F to change the font or C to set a custom colour."),
                            page);
    hint->setWordWrap(true);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(hint);
    layout->addWidget(fontSampleRichEdit_, 1);
    return page;
}

void TConfigForm::showEvent(QShowEvent* event)
{
    // Un-minimising shows the dialog again without it being opened anew.
    if (!event->spontaneous() && config_) {
        if (!inheritCleared_) {
            savedInherit_ = config_->Inherit();
            config_->SetInherit(false);
            inheritCleared_ = true;
        }
        Load();
    }
    QDialog::showEvent(event);
}

void TConfigForm::hideEvent(QHideEvent* event)
{
    if (!event->spontaneous() && inheritCleared_ && config_) {
        config_->SetInherit(savedInherit_);
        inheritCleared_ = false;
    }
    QDialog::hideEvent(event);
}

void TConfigForm::ShowTriState(QCheckBox* box, TriState state) const
{
    box->setTristate(namedProfile_);
    switch (state) {
    case TriState::Checked:
        box->setCheckState(Qt::Checked);
        break;
    case TriState::Unchecked:
        box->setCheckState(Qt::Unchecked);
        break;
    case TriState::Grayed:
        box->setCheckState(namedProfile_ ? Qt::PartiallyChecked : Qt::Unchecked);
        break;
    }
}

TriState TConfigForm::TriStateOf(const QCheckBox* box)
{
    switch (box->checkState()) {
    case Qt::Checked:
        return TriState::Checked;
    case Qt::PartiallyChecked:
        return TriState::Grayed;
    case Qt::Unchecked:
        break;
    }
    return TriState::Unchecked;
}

void TConfigForm::Load()
{
    namedProfile_ = !config_->IsDefaultProfile();
    loaded_ = LoadSettingsPages(*config_);
    const SettingsPages& p = loaded_;

    // Names and texts of this profile are stored in its own character set.
    loadedCharset_ = ParseWireCharset(p.charset).value_or(WireCharset::Latin1);
    charsetComboBox_->clear();
    if (namedProfile_)
        charsetComboBox_->addItem(QStringLiteral("As the default profile"), QString());
    for (WireCharset set : {WireCharset::Latin1, WireCharset::Utf8}) {
        const QString name = QString::fromLatin1(WireCharsetName(set));
        charsetComboBox_->addItem(set == WireCharset::Latin1 ? name + QStringLiteral(" (Western European)")
                                                             : name + QStringLiteral(" (every script)"),
                                  name);
    }
    if (const auto set = ParseWireCharset(p.charset))
        charsetComboBox_->setCurrentIndex(charsetComboBox_->findData(QString::fromLatin1(WireCharsetName(*set))));
    else
        charsetComboBox_->setCurrentIndex(0);

    hostEdit_->setText(FromWire(p.host, loadedCharset_));
    portEdit_->setText(FromWire(p.port));
    nameEdit_->setText(FromWire(p.user, loadedCharset_));
    pwdEdit_->setText(FromWire(p.password, loadedCharset_));
    ShowTriState(savePwdCheckBox_, p.savePassword);
    passwordPlaceLabel_->setText(QString::fromStdString(PasswordPlaceNote(p.passwordPlace, p.keyringAnswers)));
    ShowTriState(enableProxyCheckBox_, p.useProxy);
    proxyServerEdit_->setText(FromWire(p.proxyServer));
    proxyPortEdit_->setText(FromWire(p.proxyPort));
    UpdateProxyEdits();
    ShowTriState(tlsBox_->UseTlsCheckBox(), p.useTls);
    tlsBox_->TlsPortEdit()->setText(FromWire(p.tlsPort));
    tlsBox_->ShowPin(p.tlsPinnedCert);
    tlsBox_->UpdateEdits();

    for (int i = 0; i < kAlertFlagCount; ++i) {
        ShowTriState(alertCheckBoxes_[i], p.alertFlags[i]);
        ShowInheritedFlag(alertCheckBoxes_[i], alertCaptions_[i], namedProfile_,
                          InheritedValue(*config_, AlertFlagKeys()[i], "0") == "1");
    }
    ShowTriState(permanentTrayCheckBox_,
                 config_->ReadTriState(kPermanentTrayKey, namedProfile_ ? TriState::Grayed : TriState::Unchecked));
    ShowInheritedFlag(permanentTrayCheckBox_, PermanentTrayCaption(), namedProfile_,
                      InheritedValue(*config_, kPermanentTrayKey, "0") == "1");
    for (int i = 0; i < kAlertLevelCount; ++i) {
        priorityEdits_[i]->setText(FromWire(p.alertLevels[i]));
        ShowInheritedText(priorityEdits_[i], namedProfile_, FromWire(InheritedValue(*config_, AlertLevelKeys()[i], "255")));
    }

    listView1_->clear();
    for (const ActivityRow& row : p.activities) {
        auto* item = new QTreeWidgetItem(listView1_, {FromWire(row.description), FromWire(row.message, loadedCharset_)});
        item->setData(0, Qt::UserRole, QString::fromLatin1(row.key.c_str()));
    }
    // Descriptions are longer than the designed width in most fonts.
    listView1_->resizeColumnToContents(0);
    listView1_->setColumnWidth(0, qMax(120, listView1_->columnWidth(0) + 8));
    messageEdit_->clear();
    setButton_->setEnabled(false);

    FillKeyMap(p.shortcuts);
    newKeymapEdit_->clear();
    keyboardCmdComboBox_->setCurrentIndex(-1);

    ShowTriState(filterAddedCheckBox_, p.filterAddedTexts);
    ShowTriState(showSubjTreeCheckBox_, p.showSubjTree);
    ShowTriState(markReadCheckBox_, p.markReadTexts);
    ShowTriState(lineWrapCheckBox_, p.automaticLineWrap);
    ShowTriState(alignTopCheckBox_, p.alignTextsToTop);
    ShowTriState(showCommentedCheckBox_, p.showCommentedText);
    startWSizeRadios_[p.startWindowSizeMode]->setChecked(true);

    for (int i = 0; i < kFontRegionCount; ++i)
        regionFonts_[i] = ParseFontString(p.fonts[i]);
    ApplyRegionFonts();

    pages_->setCurrentIndex(0);
    removeKeyButton_->setEnabled(false);
}

bool TConfigForm::ConfirmServerTextsFit()
{
    // The name, the password and the activity messages go to the server in
    // the character set chosen here.
    const WireCharset charset =
        ParseWireCharset(charsetComboBox_->currentData().toString().toStdString()).value_or(loadedCharset_);
    QString texts = nameEdit_->text() + u'\n' + pwdEdit_->text();
    for (int i = 0; i < listView1_->topLevelItemCount(); ++i)
        texts += u'\n' + listView1_->topLevelItem(i)->text(1);
    return ConfirmSendable(this, texts, charset);
}

SettingsPages TConfigForm::PagesFromControls() const
{
    SettingsPages p;
    p.namedProfile = namedProfile_;
    p.charset = charsetComboBox_->currentData().toString().toStdString();
    const WireCharset charset = ParseWireCharset(p.charset).value_or(loadedCharset_);
    p.host = ToWire(hostEdit_->text(), charset);
    p.port = ToWire(portEdit_->text());
    p.user = ToWire(nameEdit_->text(), charset);
    p.password = ToWire(pwdEdit_->text(), charset);
    p.savePassword = TriStateOf(savePwdCheckBox_);
    p.useProxy = TriStateOf(enableProxyCheckBox_);
    p.proxyServer = ToWire(proxyServerEdit_->text());
    p.proxyPort = ToWire(proxyPortEdit_->text());
    p.useTls = TriStateOf(tlsBox_->UseTlsCheckBox());
    p.tlsPort = ToWire(tlsBox_->TlsPortEdit()->text());
    p.tlsPinnedCert = tlsBox_->PinValue();

    for (int i = 0; i < kAlertFlagCount; ++i)
        p.alertFlags[i] = TriStateOf(alertCheckBoxes_[i]);
    for (int i = 0; i < kAlertLevelCount; ++i)
        p.alertLevels[i] = ToWire(priorityEdits_[i]->text());

    for (int i = 0; i < listView1_->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = listView1_->topLevelItem(i);
        p.activities.push_back({item->data(0, Qt::UserRole).toString().toStdString(), ToWire(item->text(0)),
                                ToWire(item->text(1), charset)});
    }

    for (int i = 0; i < keyMapListView_->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = keyMapListView_->topLevelItem(i);
        const QByteArray keys = item->data(0, kKeysRole).toByteArray();
        p.shortcuts.push_back(
            {keys.toStdString(), item->data(1, kCommandKeyRole).toString().toStdString()});
    }

    p.filterAddedTexts = TriStateOf(filterAddedCheckBox_);
    p.showSubjTree = TriStateOf(showSubjTreeCheckBox_);
    p.markReadTexts = TriStateOf(markReadCheckBox_);
    p.automaticLineWrap = TriStateOf(lineWrapCheckBox_);
    p.alignTextsToTop = TriStateOf(alignTopCheckBox_);
    p.showCommentedText = TriStateOf(showCommentedCheckBox_);
    const int size = startWSizeButtons_->checkedId();
    p.startWindowSizeMode = size >= 0 ? size : loaded_.startWindowSizeMode;

    for (int i = 0; i < kFontRegionCount; ++i) {
        // A font the user left alone keeps its stored spelling.
        const std::string shown = FontToString(regionFonts_[i]);
        p.fonts[i] = shown == FontToString(ParseFontString(loaded_.fonts[i])) ? loaded_.fonts[i] : shown;
    }
    return p;
}

void TConfigForm::Save()
{
    if (!config_)
        return;
    SaveSettingsPages(*config_, PagesFromControls(), loaded_);
    config_->WriteTriState(kPermanentTrayKey, TriStateOf(permanentTrayCheckBox_));
    // What the profile holds now is the base for the next Apply.
    loaded_ = LoadSettingsPages(*config_);
    passwordPlaceLabel_->setText(QString::fromStdString(PasswordPlaceNote(loaded_.passwordPlace, loaded_.keyringAnswers)));

    // The windows read their settings through their own configuration,
    // usually this very instance: let them see it with inheritance as usual.
    const bool cleared = inheritCleared_;
    if (cleared)
        config_->SetInherit(savedInherit_);
    for (const auto* hook : {&hooks_.saveMainPosition, &hooks_.saveReadingLayout, &hooks_.saveActiveUsersColumns,
                             &hooks_.applyReadingLayout, &hooks_.applyMainWindowSettings})
        if (*hook)
            (*hook)();
    if (cleared)
        config_->SetInherit(false);
}

void TConfigForm::UpdateProxyEdits()
{
    // A grey box is not "enabled" for this profile's own fields.
    const bool enabled = enableProxyCheckBox_->checkState() == Qt::Checked;
    proxyServerEdit_->setEnabled(enabled);
    proxyPortEdit_->setEnabled(enabled);
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
    const std::string command = UserCommandKeyFor(ToWire(keyboardCmdComboBox_->currentText()));
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
    if (!question_(this, QStringLiteral("Set default mappings"),
                   QStringLiteral("This will remove all your custom settings. Ary you sure?")))
        return;
    FillKeyMap(ShortcutRowsFromMap(DefaultShortcutMap()));
}

// --- Fonts -------------------------------------------------------------------

int TConfigForm::RegionOfLine(int line)
{
    if (line < kFirstBodyLine)
        return 0;
    if (line < kFirstMessageLine)
        return 1;
    return 2;
}

void TConfigForm::ApplyRegionFonts()
{
    QTextEdit* edit = fontSampleRichEdit_;
    const int caret = edit->textCursor().position();
    edit->clear();
    QTextCursor cursor(edit->document());
    int line = 0;
    for (const char* text : kSampleLines) {
        const FontDesc& desc = regionFonts_[RegionOfLine(line)];
        QTextCharFormat format;
        QFont font = ArticleRenderer::FontFromString(FontToString(desc));
        // The article view adds bold to the header line and the subject.
        if (line == 0 || line == kFirstBodyLine)
            font.setBold(true);
        format.setFont(font);
        // As the article view and the messages window will draw it.
        format.setForeground(ArticleRenderer::ReadableColor(desc, edit->palette()));
        if (line > 0)
            cursor.insertBlock(QTextBlockFormat(), format);
        cursor.setBlockCharFormat(format);
        cursor.insertText(QString::fromLatin1(text), format);
        ++line;
    }
    QTextCursor restore(edit->document());
    restore.setPosition(qMin(caret, edit->document()->characterCount() - 1));
    edit->setTextCursor(restore);
}

int TConfigForm::CaretRegion() const
{
    return RegionOfLine(fontSampleRichEdit_->textCursor().blockNumber());
}

void TConfigForm::ChangeFontClick()
{
    const int region = CaretRegion();
    FontDesc& desc = regionFonts_[region];
    const auto chosen = fontChooser_(this, ArticleRenderer::FontFromString(FontToString(desc)));
    if (!chosen)
        return;
    desc.name = ToWire(chosen->family());
    if (chosen->pointSize() > 0)
        desc.size = chosen->pointSize();
    desc.bold = chosen->bold();
    desc.italic = chosen->italic();
    desc.underline = chosen->underline();
    desc.strikeOut = chosen->strikeOut();
    ApplyRegionFonts();
}

void TConfigForm::CustomColorClick()
{
    FontDesc& desc = regionFonts_[CaretRegion()];
    const auto chosen = colorChooser_(this, ArticleRenderer::ColorOf(desc, fontSampleRichEdit_->palette()));
    if (!chosen || !chosen->isValid())
        return;
    desc.color = ColorValue(*chosen);
    ApplyRegionFonts();
}

void TConfigForm::DefaultFontsClick()
{
    for (int i = 0; i < kFontRegionCount; ++i)
        regionFonts_[i] = ParseFontString(DefaultRegionFonts()[i]);
    ApplyRegionFonts();
}

bool TConfigForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == fontSampleRichEdit_->viewport() && event->type() == QEvent::MouseButtonPress) {
        // Any button first moves the caret to the character under the
        // pointer, so that the menu acts on the part clicked.
        const auto* mouse = static_cast<QMouseEvent*>(event);
        fontSampleRichEdit_->setTextCursor(fontSampleRichEdit_->cursorForPosition(mouse->position().toPoint()));
    } else if (watched == fontSampleRichEdit_ && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const auto modifiers = key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
        if (modifiers == Qt::NoModifier && key->key() == Qt::Key_F) {
            ChangeFontClick();
            return true;
        }
        if (modifiers == Qt::NoModifier && key->key() == Qt::Key_C) {
            CustomColorClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace pellar
