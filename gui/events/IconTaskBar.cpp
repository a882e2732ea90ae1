#include "gui/events/IconTaskBar.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QWidget>

#include <algorithm>

namespace pellar {

TIconTaskBar::TIconTaskBar(QWidget* mainWindow, QObject* parent) : QObject(parent), mainWindow_(mainWindow)
{
    SetUseTray(QSystemTrayIcon::isSystemTrayAvailable());
}

TIconTaskBar::~TIconTaskBar()
{
    if (tray_)
        tray_->hide();
}

void TIconTaskBar::SetUseTray(bool use)
{
    if (use == (tray_ != nullptr))
        return;
    if (shown_)
        HideIcon();
    if (use) {
        tray_ = new QSystemTrayIcon(this);
        connect(tray_, &QSystemTrayIcon::activated, this, &TIconTaskBar::HandleActivation);
        ShowResting();
    } else {
        delete tray_;
        tray_ = nullptr;
    }
}

void TIconTaskBar::ShowIcon(int state)
{
    state_ = state;
    if (shown_)
        return;
    if (tray_) {
        tray_->setIcon(BaseIcon());
        tray_->setToolTip(hint_);
        tray_->show();
    } else if (mainWindow_) {
        QApplication::alert(mainWindow_);
    }
    shown_ = true;
    emit OnShow();
}

void TIconTaskBar::HideIcon()
{
    if (!shown_)
        return;
    emit OnClose();
    shown_ = false;
    ShowResting();
}

QIcon TIconTaskBar::BaseIcon() const
{
    QIcon icon = icon_;
    if (icon.isNull())
        icon = QApplication::windowIcon();
    if (icon.isNull() && mainWindow_)
        icon = mainWindow_->windowIcon();
    return icon;
}

void TIconTaskBar::ShowResting()
{
    if (!tray_ || shown_)
        return;
    if (!permanent_) {
        tray_->hide();
        return;
    }
    tray_->setIcon(CountIcon(BaseIcon(), unread_));
    tray_->setToolTip(CountText(unread_));
    tray_->show();
}

void TIconTaskBar::SetPermanent(bool on)
{
    permanent_ = on;
    ShowResting();
}

void TIconTaskBar::SetUnreadCount(int count)
{
    unread_ = std::max(0, count);
    ShowResting();
}

QString TIconTaskBar::CountText(int count)
{
    if (count <= 0)
        return tr("Pellar: no unread texts");
    return count == 1 ? tr("Pellar: 1 unread text") : tr("Pellar: %n unread texts", nullptr, count);
}

QIcon TIconTaskBar::CountIcon(const QIcon& base, int count)
{
    if (count <= 0)
        return base;
    constexpr int kSize = 64;
    QPixmap pixmap = base.pixmap(kSize, kSize);
    if (pixmap.isNull()) {
        pixmap = QPixmap(kSize, kSize);
        pixmap.fill(Qt::transparent);
    }
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    // A badge in the lower right corner, large enough to read at tray size.
    const QString text = count > 999 ? QStringLiteral("999+") : QString::number(count);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(kSize / 2 - 4);
    painter.setFont(font);
    const int width = std::max(kSize / 2, QFontMetrics(font).horizontalAdvance(text) + 10);
    const QRect badge(kSize - width, kSize / 2, width, kSize / 2);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xc0, 0x30, 0x30));
    painter.drawRoundedRect(badge, kSize / 4.0, kSize / 4.0);
    painter.setPen(Qt::white);
    painter.drawText(badge, Qt::AlignCenter, text);
    painter.end();
    return QIcon(pixmap);
}

void TIconTaskBar::SetIcon(const QIcon& icon)
{
    if (shown_) {
        HideIcon();
        icon_ = icon;
        ShowIcon(state_);
    } else {
        icon_ = icon;
    }
}

void TIconTaskBar::SetHint(const QString& hint)
{
    hint_ = hint;
    if (tray_)
        tray_->setToolTip(hint);
}

void TIconTaskBar::HandleActivation(QSystemTrayIcon::ActivationReason reason)
{
    emit OnEvent(static_cast<int>(reason));
    const Qt::KeyboardModifiers modifiers = QGuiApplication::keyboardModifiers();
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        emit OnMouseDown(Qt::LeftButton, modifiers);
        emit OnClick();
        break;
    case QSystemTrayIcon::Context:
        emit OnMouseDown(Qt::RightButton, modifiers);
        emit OnClick();
        break;
    case QSystemTrayIcon::MiddleClick:
        emit OnMouseDown(Qt::MiddleButton, modifiers);
        emit OnClick();
        break;
    case QSystemTrayIcon::DoubleClick:
        emit OnDblClick();
        break;
    default:
        break;
    }
}

} // namespace pellar
