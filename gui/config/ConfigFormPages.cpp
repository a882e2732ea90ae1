// The configuration dialog's pages of plain fields: General (server, TLS,
// user, proxy), Alerts, Filter and Misc. Loading and saving them is in
// ConfigForm.cpp.
#include "gui/config/ConfigForm.h"
#include "gui/common/CoreTexts.h"
#include "gui/config/ConfigFormParts.h"
#include "gui/config/TlsSettingsBox.h"

#include "gui/common/WireCodec.h"
#include "gui/dialogs/DialogHelpers.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace pellar {

using namespace config_form;

QCheckBox* TConfigForm::NewCheckBox(const QString& caption, const QString& objectName)
{
    auto* box = new QCheckBox(caption, this);
    box->setObjectName(objectName);
    return box;
}

QWidget* TConfigForm::BuildGeneralPage()
{
    auto* page = new QWidget(this);
    QGroupBox* server = BuildServerGroup(page);
    QGroupBox* user = BuildUserGroup(page);
    QGroupBox* proxy = BuildProxyGroup(page);
    tlsBox_ = new TTlsSettingsBox(page);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(server);
    layout->addWidget(tlsBox_);
    layout->addWidget(user);
    layout->addWidget(proxy);
    layout->addStretch(1);
    // The encryption box lies between the server and the user.
    setTabOrder(answerTimeoutEdit_, tlsBox_->UseTlsCheckBox());
    setTabOrder(tlsBox_->UseTlsCheckBox(), tlsBox_->TlsPortEdit());
    setTabOrder(tlsBox_->TlsPortEdit(), tlsBox_->ForgetButton());
    return page;
}

QGroupBox* TConfigForm::BuildServerGroup(QWidget* parent)
{
    auto* server = new QGroupBox(tr("Server"), parent);
    hostEdit_ = NewLineEdit(QStringLiteral("HostEdit"), server);
    portEdit_ = NewLineEdit(QStringLiteral("PortEdit"), server);
    button1_ = NewButton(tr("Set default"), QStringLiteral("Button1"), server);
    knownServersMenu_ = new QMenu(button1_);
    knownServersMenu_->setObjectName(QStringLiteral("KnownServersMenu"));
    for (const KnownServer& known : KnownServers()) {
        QString caption = CoreText(QString::fromUtf8(known.name));
        if (known.tls)
            caption = tr("%1 (TLS)").arg(caption);
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
    serverForm->addRow(tr("Host &name:"), hostEdit_);
    serverForm->addRow(tr("&Port:"), portRow);
    serverForm->addRow(tr("&Character set:"), charsetComboBox_);
    answerTimeoutEdit_ = NewLineEdit(QStringLiteral("AnswerTimeoutEdit"), server);
    answerTimeoutEdit_->setMaximumWidth(60);
    answerTimeoutEdit_->setToolTip(tr("How long a logon waits for each answer before it gives up"));
    auto* timeoutRow = new QHBoxLayout;
    timeoutRow->addWidget(answerTimeoutEdit_);
    timeoutRow->addWidget(new QLabel(tr("seconds"), server));
    timeoutRow->addStretch(1);
    serverForm->addRow(tr("Wait for an ans&wer:"), timeoutRow);
    // The form made the labels; a label's buddy must still be the edit.
    if (auto* label = qobject_cast<QLabel*>(serverForm->labelForField(portRow)))
        label->setBuddy(portEdit_);
    if (auto* label = qobject_cast<QLabel*>(serverForm->labelForField(timeoutRow)))
        label->setBuddy(answerTimeoutEdit_);
    return server;
}

QGroupBox* TConfigForm::BuildUserGroup(QWidget* parent)
{
    auto* user = new QGroupBox(tr("User"), parent);
    nameEdit_ = NewLineEdit(QStringLiteral("NameEdit"), user);
    pwdEdit_ = PasswordEdit(QStringLiteral("PwdEdit"), user);
    savePwdCheckBox_ = NewCheckBox(tr("&Save password"), QStringLiteral("SavePwdCheckBox"));
    auto* userForm = new QFormLayout(user);
    userForm->addRow(tr("&Name:"), nameEdit_);
    userForm->addRow(tr("P&assword:"), pwdEdit_);
    userForm->addRow(QString(), savePwdCheckBox_);
    passwordPlaceLabel_ = new QLabel(user);
    passwordPlaceLabel_->setObjectName(QStringLiteral("PasswordPlaceLabel"));
    passwordPlaceLabel_->setWordWrap(true);
    userForm->addRow(QString(), passwordPlaceLabel_);
    return user;
}

QGroupBox* TConfigForm::BuildProxyGroup(QWidget* parent)
{
    auto* proxy = new QGroupBox(tr("Web proxy"), parent);
    enableProxyCheckBox_ = NewCheckBox(tr("Enable proxy support"), QStringLiteral("EnableProxyCheckBox"));
    proxyServerEdit_ = NewLineEdit(QStringLiteral("ProxyServerEdit"), proxy);
    proxyPortEdit_ = NewLineEdit(QStringLiteral("ProxyPortEdit"), proxy);
    auto* proxyForm = new QFormLayout(proxy);
    proxyForm->addRow(enableProxyCheckBox_);
    proxyForm->addRow(tr("&Server name:"), proxyServerEdit_);
    proxyForm->addRow(tr("P&ort:"), proxyPortEdit_);
    connect(enableProxyCheckBox_, &QCheckBox::stateChanged, this, &TConfigForm::UpdateProxyEdits);
    return proxy;
}

QWidget* TConfigForm::BuildAlertsPage()
{
    auto* page = new QWidget(this);
    auto* layout = new QVBoxLayout(page);
    const QString groups[kAlertLevelCount] = {tr("&Sound"), tr("Task bar &tray icon"),
                                              tr("&Focus")};
    const QString captions[kAlertFlagCount] = {
        tr("&All messages received"), tr("&Personal messages received"),
        tr("P&riority text available"), tr("A&ll messages received"),
        tr("P&ersonal messages received"), tr("Pri&ority text available"),
        tr("All messages r&eceived"), tr("Per&sonal messages received"),
        tr("Priorit&y text available"),
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
            priorityEdits_[g]->setToolTip(tr("Lowest conference priority that gives this alert"));
            auto* level = new QLabel(tr("at priority"), group);
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

QWidget* TConfigForm::BuildFilterPage()
{
    auto* page = new QWidget(this);
    filterAddedCheckBox_ =
        NewCheckBox(tr("&Skip read texts added to new conferences"), QStringLiteral("FilterAddedCheckBox"));
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(filterAddedCheckBox_);
    layout->addStretch(1);
    return page;
}

QWidget* TConfigForm::BuildMiscPage()
{
    auto* page = new QWidget(this);
    showSubjTreeCheckBox_ = NewCheckBox(tr("&Show subject tree"), QStringLiteral("ShowSubjTreeCheckBox"));
    markReadCheckBox_ =
        NewCheckBox(tr("Report &read texts to the server"), QStringLiteral("MarkReadTextsCheckBox"));
    lineWrapCheckBox_ = NewCheckBox(tr("Automatic line &wrap to 80 columns (Writing)"),
                                    QStringLiteral("AutomaticLineWrapCheckBox"));
    alignTopCheckBox_ =
        NewCheckBox(tr("&Align texts to window top"), QStringLiteral("AlignTextsToTopCheckBox"));
    showCommentedCheckBox_ =
        NewCheckBox(tr("Show commen&ted text"), QStringLiteral("ShowCommentedTextCheckBox"));
    autoReconnectCheckBox_ = NewCheckBox(tr("Reconnect by itself when the connection is &lost"),
                                         QStringLiteral("AutoReconnectCheckBox"));

    startWSizeRadioGroup_ = new QGroupBox(tr("Startup window si&ze"), page);
    startWSizeRadioGroup_->setObjectName(QStringLiteral("StartWSizeRadioGroup"));
    startWSizeButtons_ = new QButtonGroup(this);
    auto* radios = new QVBoxLayout(startWSizeRadioGroup_);
    const QString captions[3] = {tr("&Maximized"), tr("M&inimized"),
                                 tr("&Current size")};
    for (int i = 0; i < 3; ++i) {
        startWSizeRadios_[i] = new QRadioButton(captions[i], startWSizeRadioGroup_);
        startWSizeButtons_->addButton(startWSizeRadios_[i], i);
        radios->addWidget(startWSizeRadios_[i]);
    }

    prefetchComboBox_ = new QComboBox(page);
    prefetchComboBox_->setObjectName(QStringLiteral("PrefetchComboBox"));
    prefetchComboBox_->setToolTip(tr("Automatic: every unread text on a local network, only the next "
                                                 "texts to read over a slower link"));
    messagesKeptEdit_ = NewLineEdit(QStringLiteral("MessagesKeptEdit"), page);
    messagesKeptEdit_->setMaximumWidth(80);
    messagesKeptEdit_->setToolTip(tr("Older messages leave the messages window"));
    auto* keptRow = new QHBoxLayout;
    keptRow->addWidget(messagesKeptEdit_);
    keptRow->addWidget(new QLabel(tr("lines"), page));
    keptRow->addStretch(1);
    auto* fields = new QFormLayout;
    fields->addRow(tr("Fetch texts a&head:"), prefetchComboBox_);
    fields->addRow(tr("Messages window &keeps:"), keptRow);
    if (auto* label = qobject_cast<QLabel*>(fields->labelForField(keptRow)))
        label->setBuddy(messagesKeptEdit_);

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(showSubjTreeCheckBox_);
    layout->addWidget(markReadCheckBox_);
    layout->addWidget(lineWrapCheckBox_);
    layout->addWidget(alignTopCheckBox_);
    layout->addWidget(showCommentedCheckBox_);
    layout->addWidget(autoReconnectCheckBox_);
    layout->addWidget(startWSizeRadioGroup_);
    layout->addLayout(fields);
    layout->addStretch(1);
    return page;
}

void TConfigForm::UpdateProxyEdits()
{
    // A grey box is not "enabled" for this profile's own fields.
    const bool enabled = enableProxyCheckBox_->checkState() == Qt::Checked;
    proxyServerEdit_->setEnabled(enabled);
    proxyPortEdit_->setEnabled(enabled);
}

} // namespace pellar
