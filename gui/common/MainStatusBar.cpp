#include "gui/common/MainStatusBar.h"

#include "gui/common/BusyPanel.h"

#include <QLabel>
#include <QPushButton>

#include <algorithm>

namespace pellar {

namespace {

constexpr int kEncryptionWidth = 130;

// A panel laid out for the English texts, widened for a longer translation.
void FitWidth(QLabel* panel, int least)
{
    panel->setFixedWidth(std::max(least, panel->sizeHint().width()));
}

QLabel* Panel(const char* name, int width, QWidget* parent)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    // Notices carry names from the server: never markup.
    label->setTextFormat(Qt::PlainText);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setFixedWidth(width);
    return label;
}

} // namespace

TMainStatusBar::TMainStatusBar(QWidget* parent) : QStatusBar(parent)
{
    setObjectName(QStringLiteral("StatusBar1"));
    setSizeGripEnabled(true);
    notice_ = Panel("NoticePanel", 300, this);
    keyCommand_ = Panel("KeyCommandPanel", 100, this);
    busy_ = new TBusyPanel(this);
    encryption_ = Panel("EncryptionPanel", kEncryptionWidth, this);
    // Panel 0 takes what the other two leave, so "Working..." always fits.
    notice_->setMinimumWidth(80);
    notice_->setMaximumWidth(QWIDGETSIZE_MAX);
    busy_->setFixedWidth(100);
    addWidget(notice_, 1);
    addWidget(keyCommand_);
    addWidget(busy_);
    addWidget(encryption_);
    // Offline it says nothing, and leaves its room to the notices.
    encryption_->hide();
    reconnect_ = Panel("ReconnectPanel", 240, this);
    reconnectCancel_ = new QPushButton(tr("Cancel"), this);
    reconnectCancel_->setObjectName(QStringLiteral("ReconnectCancelButton"));
    reconnectCancel_->setToolTip(tr("Stop trying to connect again"));
    addPermanentWidget(reconnect_);
    addPermanentWidget(reconnectCancel_);
    reconnect_->hide();
    reconnectCancel_->hide();
    connect(reconnectCancel_, &QPushButton::clicked, this, &TMainStatusBar::ReconnectCancelled);
}

void TMainStatusBar::SetReconnect(const QString& text)
{
    reconnect_->setText(text);
    reconnect_->setVisible(!text.isEmpty());
    reconnectCancel_->setVisible(!text.isEmpty());
}

QString TMainStatusBar::Reconnect() const { return reconnect_->text(); }

void TMainStatusBar::SetLinkSecurity(bool online, const QString& encryption)
{
    encryption_->setVisible(online);
    if (!online) {
        encryption_->clear();
        encryption_->setToolTip(QString());
        return;
    }
    if (encryption.isEmpty()) {
        encryption_->setText(tr("Not encrypted"));
        encryption_->setToolTip(tr("Everything sent, the password too, crosses the network in clear"));
        FitWidth(encryption_, kEncryptionWidth);
        return;
    }
    const QString protocol = encryption.section(QLatin1Char(','), 0, 0);
    encryption_->setText(tr("Encrypted (%1)").arg(protocol));
    encryption_->setToolTip(tr("The link is encrypted: %1").arg(encryption));
    FitWidth(encryption_, kEncryptionWidth);
}

QString TMainStatusBar::LinkSecurity() const { return encryption_->text(); }

void TMainStatusBar::SetNotice(const QString& text) { notice_->setText(text); }
QString TMainStatusBar::Notice() const { return notice_->text(); }
void TMainStatusBar::SetKeyCommand(const QString& text) { keyCommand_->setText(text); }
QString TMainStatusBar::KeyCommand() const { return keyCommand_->text(); }
void TMainStatusBar::SetBusyText(const QString& text) { busy_->SetText(text); }
QString TMainStatusBar::BusyText() const { return busy_->Text(); }
void TMainStatusBar::SetPhase(qint64 phase) { busy_->SetPhase(phase); }

} // namespace pellar
