#include "gui/common/BusyPanel.h"

#include <QPainter>

#include <cmath>

namespace pellar {

TBusyPanel::TBusyPanel(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setObjectName(QStringLiteral("BusyPanel"));
}

QSize TBusyPanel::sizeHint() const
{
    return {50, fontMetrics().height() + 4};
}

void TBusyPanel::SetText(const QString& text)
{
    if (text_ == text)
        return;
    text_ = text;
    update();
}

void TBusyPanel::SetPhase(qint64 phase)
{
    phase_ = phase;
    // Nothing moves while idle, so only a busy panel needs repainting.
    if (!text_.isEmpty())
        update();
}

QColor TBusyPanel::StripeColour(int i, qint64 phase)
{
    const auto channel = [](double angle) { return static_cast<int>(std::lround(64 * std::sin(angle) + 191)); };
    const double p = static_cast<double>(phase);
    return QColor(channel((8 * i + p) / 20), channel((7 * i - p) / 23), channel((6 * i + p) / 36));
}

void TBusyPanel::Render()
{
    if (picture_.size() != size())
        picture_ = QImage(size(), QImage::Format_RGB32);
    QPainter painter(&picture_);
    for (int i = 0; i <= width() / 4; ++i)
        painter.fillRect(4 * i, 0, 5, height(), StripeColour(i, phase_));
    // The stripes move, the text stays put so it can be read.
    painter.setPen(Qt::black);
    painter.setFont(font());
    painter.drawText(rect().adjusted(4, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine, text_);
}

void TBusyPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (text_.isEmpty()) {
        painter.fillRect(rect(), palette().color(QPalette::Button));
        return;
    }
    Render();
    painter.drawImage(0, 0, picture_);
}

} // namespace pellar
