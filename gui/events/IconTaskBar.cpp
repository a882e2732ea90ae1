#include "gui/events/IconTaskBar.h"

#include <QApplication>
#include <QGuiApplication>
#include <QWidget>

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
        QIcon icon = icon_;
        if (icon.isNull())
            icon = QApplication::windowIcon();
        if (icon.isNull() && mainWindow_)
            icon = mainWindow_->windowIcon();
        tray_->setIcon(icon);
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
    if (tray_)
        tray_->hide();
    shown_ = false;
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
