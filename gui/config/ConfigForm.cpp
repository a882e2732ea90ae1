#include "gui/config/ConfigForm.h"
#include "gui/common/CoreTexts.h"

#include "gui/common/WrappedLabels.h"
#include "gui/config/ConfigFormParts.h"
#include "gui/config/TlsSettingsBox.h"

#include "core/config/ConfigKeys.h"
#include "core/config/TMiravoConfiguration.h"
#include "gui/config/InheritedHints.h"
#include "gui/common/UnencodablePrompt.h"
#include "gui/common/WireCodec.h"

#include <algorithm>

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace pellar {

using namespace config_form;

TConfigForm::TConfigForm(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(tr("Configuration"));
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
    warning_ = [](QWidget* owner, const QString& title, const QString& text) {
        QMessageBox::warning(owner, title, text);
    };

    pages_ = new QTabWidget(this);
    pages_->setObjectName(QStringLiteral("PageControl"));
    pages_->setAccessibleName(tr("Configuration"));
    pages_->addTab(BuildGeneralPage(), tr("General"));
    pages_->addTab(BuildAlertsPage(), tr("Alerts"));
    pages_->addTab(BuildActivityPage(), tr("Activity msg"));
    pages_->addTab(BuildKeyboardPage(), tr("Keyboard"));
    pages_->addTab(BuildFilterPage(), tr("Filter"));
    pages_->addTab(BuildMiscPage(), tr("Misc"));
    pages_->addTab(BuildFontsPage(), tr("Fonts"));
    pages_->addTab(BuildSpellingPage(), tr("Spelling"));

    okButton_ = NewButton(tr("Ok"), QStringLiteral("OkButton"), this);
    okButton_->setDefault(true);
    okButton_->setAutoDefault(true);
    applyButton_ = NewButton(tr("Apply"), QStringLiteral("ApplyButton"), this);
    cancelButton_ = NewButton(tr("Cancel"), QStringLiteral("CancelButton"), this);
    connect(okButton_, &QPushButton::clicked, this, [this] {
        if (!NumbersAcceptable() || !ConfirmServerTextsFit())
            return;
        Save();
        accept();
    });
    connect(applyButton_, &QPushButton::clicked, this, [this] {
        if (NumbersAcceptable() && ConfirmServerTextsFit())
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
    // Wide enough for every page's tab, so none hides behind scroll arrows.
    resize(std::max(500, pages_->tabBar()->sizeHint().width() + 2 * layout->contentsMargins().left() + 8), 440);
    KeepWrappedLabelsWhole(this);
}

TConfigForm::~TConfigForm()
{
    if (inheritCleared_ && config_)
        config_->SetInherit(savedInherit_);
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
        // The notes Load wrote may need more lines than the last ones.
        FitWrappedLabels(this);
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

    LoadCharset(p);
    LoadGeneralPage(p);
    LoadAlertsPage(p);
    LoadActivityPage(p);

    FillKeyMap(p.shortcuts);
    newKeymapEdit_->clear();
    keyboardCmdComboBox_->setCurrentIndex(-1);

    ShowTriState(filterAddedCheckBox_, p.filterAddedTexts);
    ShowTriState(showSubjTreeCheckBox_, p.showSubjTree);
    ShowTriState(markReadCheckBox_, p.markReadTexts);
    ShowTriState(lineWrapCheckBox_, p.automaticLineWrap);
    ShowTriState(autoReconnectCheckBox_, p.autoReconnect);
    ShowTriState(alignTopCheckBox_, p.alignTextsToTop);
    ShowTriState(showCommentedCheckBox_, p.showCommentedText);
    startWSizeRadios_[p.startWindowSizeMode]->setChecked(true);
    LoadReadingSettings(p);

    for (int i = 0; i < kFontRegionCount; ++i)
        regionFonts_[i] = ParseFontString(p.fonts[i]);
    ApplyRegionFonts();
    LoadSpellingPage();

    pages_->setCurrentIndex(0);
    removeKeyButton_->setEnabled(false);
}

// Names and texts of this profile are stored in its own character set.
void TConfigForm::LoadCharset(const SettingsPages& p)
{
    loadedCharset_ = ParseWireCharset(p.charset).value_or(WireCharset::Latin1);
    charsetComboBox_->clear();
    if (namedProfile_)
        charsetComboBox_->addItem(tr("As the default profile"), QString());
    for (WireCharset set : {WireCharset::Latin1, WireCharset::Utf8}) {
        const QString name = QString::fromLatin1(WireCharsetName(set));
        charsetComboBox_->addItem(set == WireCharset::Latin1 ? tr("%1 (Western European)").arg(name)
                                                             : tr("%1 (every script)").arg(name),
                                  name);
    }
    if (const auto set = ParseWireCharset(p.charset))
        charsetComboBox_->setCurrentIndex(charsetComboBox_->findData(QString::fromLatin1(WireCharsetName(*set))));
    else
        charsetComboBox_->setCurrentIndex(0);
}

void TConfigForm::LoadGeneralPage(const SettingsPages& p)
{
    hostEdit_->setText(FromWire(p.host, loadedCharset_));
    portEdit_->setText(FromWire(p.port));
    nameEdit_->setText(FromWire(p.user, loadedCharset_));
    pwdEdit_->setText(FromWire(p.password, loadedCharset_));
    ShowTriState(savePwdCheckBox_, p.savePassword);
    passwordPlaceLabel_->setText(
        CoreText(QString::fromStdString(PasswordPlaceNote(p.passwordPlace, p.keyringAnswers))));
    ShowTriState(enableProxyCheckBox_, p.useProxy);
    proxyServerEdit_->setText(FromWire(p.proxyServer));
    proxyPortEdit_->setText(FromWire(p.proxyPort));
    UpdateProxyEdits();
    ShowTriState(tlsBox_->UseTlsCheckBox(), p.useTls);
    tlsBox_->TlsPortEdit()->setText(FromWire(p.tlsPort));
    tlsBox_->ShowPin(p.tlsPinnedCert);
    tlsBox_->UpdateEdits();
    answerTimeoutEdit_->setText(FromWire(p.answerTimeout));
    ShowInheritedText(answerTimeoutEdit_, namedProfile_,
                      FromWire(InheritedValue(*config_, ConfigKeys::AnswerTimeout, "30")));
}

// Misc: how far ahead texts are fetched and how much the messages window keeps.
void TConfigForm::LoadReadingSettings(const SettingsPages& p)
{
    prefetchComboBox_->clear();
    if (namedProfile_) {
        const std::string inherited = InheritedValue(*config_, ConfigKeys::PrefetchAll, "");
        const std::string follows = PrefetchChoiceCaption(PrefetchChoiceOf(inherited, false));
        prefetchComboBox_->addItem(tr("As the default profile (%1)").arg(CoreText(QString::fromStdString(follows))),
                                   int(PrefetchChoice::AsDefaultProfile));
    }
    for (PrefetchChoice choice : {PrefetchChoice::Automatic, PrefetchChoice::Always, PrefetchChoice::NextOnly})
        prefetchComboBox_->addItem(CoreText(QString::fromStdString(PrefetchChoiceCaption(choice))), int(choice));
    prefetchComboBox_->setCurrentIndex(prefetchComboBox_->findData(int(p.prefetchAll)));
    messagesKeptEdit_->setText(FromWire(p.messagesKept));
    ShowInheritedText(messagesKeptEdit_, namedProfile_,
                      FromWire(InheritedValue(*config_, ConfigKeys::MessagesKept, "5000")));
}

bool TConfigForm::NumbersAcceptable()
{
    const std::optional<SettingsProblem> problem = FindNumberProblem(PagesFromControls());
    if (!problem)
        return true;
    QLineEdit* edit = problem->key == ConfigKeys::AnswerTimeout ? answerTimeoutEdit_ : messagesKeptEdit_;
    for (QWidget* page = edit->parentWidget(); page; page = page->parentWidget()) {
        if (const int index = pages_->indexOf(page); index >= 0) {
            pages_->setCurrentIndex(index);
            break;
        }
    }
    edit->setFocus();
    edit->selectAll();
    warning_(this, tr("Configuration"), CoreText(QString::fromStdString(problem->message)));
    return false;
}

void TConfigForm::LoadAlertsPage(const SettingsPages& p)
{
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
}

void TConfigForm::LoadActivityPage(const SettingsPages& p)
{
    listView1_->clear();
    for (const ActivityRow& row : p.activities) {
        auto* item = new QTreeWidgetItem(listView1_, {CoreText(row.description), FromWire(row.message, loadedCharset_)});
        item->setData(0, Qt::UserRole, QString::fromLatin1(row.key.c_str()));
        // The description as core has it; the item shows it translated.
        item->setData(0, Qt::UserRole + 1, QByteArray::fromStdString(row.description));
    }
    // Descriptions are longer than the designed width in most fonts.
    listView1_->resizeColumnToContents(0);
    listView1_->setColumnWidth(0, qMax(120, listView1_->columnWidth(0) + 8));
    messageEdit_->clear();
    setButton_->setEnabled(false);
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
    p.answerTimeout = ToWire(answerTimeoutEdit_->text().trimmed());

    for (int i = 0; i < kAlertFlagCount; ++i)
        p.alertFlags[i] = TriStateOf(alertCheckBoxes_[i]);
    for (int i = 0; i < kAlertLevelCount; ++i)
        p.alertLevels[i] = ToWire(priorityEdits_[i]->text());

    for (int i = 0; i < listView1_->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* item = listView1_->topLevelItem(i);
        p.activities.push_back({item->data(0, Qt::UserRole).toString().toStdString(),
                                item->data(0, Qt::UserRole + 1).toByteArray().toStdString(),
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
    p.autoReconnect = TriStateOf(autoReconnectCheckBox_);
    p.alignTextsToTop = TriStateOf(alignTopCheckBox_);
    p.showCommentedText = TriStateOf(showCommentedCheckBox_);
    const int size = startWSizeButtons_->checkedId();
    p.startWindowSizeMode = size >= 0 ? size : loaded_.startWindowSizeMode;
    const QVariant prefetch = prefetchComboBox_->currentData();
    p.prefetchAll = prefetch.isValid() ? PrefetchChoice(prefetch.toInt()) : loaded_.prefetchAll;
    p.messagesKept = ToWire(messagesKeptEdit_->text().trimmed());

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
    SaveSpellingPage();
    // What the profile holds now is the base for the next Apply.
    loaded_ = LoadSettingsPages(*config_);
    passwordPlaceLabel_->setText(
        CoreText(QString::fromStdString(PasswordPlaceNote(loaded_.passwordPlace, loaded_.keyringAnswers))));

    // The windows read their settings through their own configuration,
    // usually this very instance: let them see it with inheritance as usual.
    const bool cleared = inheritCleared_;
    if (cleared)
        config_->SetInherit(savedInherit_);
    for (const auto* hook : {&hooks_.saveMainPosition, &hooks_.saveReadingLayout, &hooks_.saveActiveUsersColumns,
                             &hooks_.applyReadingLayout, &hooks_.applyMainWindowSettings, &hooks_.applySpelling})
        if (*hook)
            (*hook)();
    if (cleared)
        config_->SetInherit(false);
}

} // namespace pellar
