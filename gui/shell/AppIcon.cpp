#include "gui/shell/AppIcon.h"

#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace pellar {

namespace {

QPixmap Draw(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(s * 0.06, s * 0.06, s * 0.88, s * 0.68), s * 0.16, s * 0.16);
    QPainterPath tail;
    tail.moveTo(s * 0.22, s * 0.70);
    tail.lineTo(s * 0.18, s * 0.95);
    tail.lineTo(s * 0.45, s * 0.72);
    tail.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2f, 0x5d, 0x9e));
    p.drawPath(bubble.united(tail));
    QFont font(QStringLiteral("Sans"));
    font.setBold(true);
    font.setPixelSize(static_cast<int>(s * 0.52));
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(s * 0.06, s * 0.06, s * 0.88, s * 0.68), Qt::AlignCenter, QStringLiteral("P"));
    return pixmap;
}

} // namespace

QIcon AppIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64})
        icon.addPixmap(Draw(size));
    return icon;
}

} // namespace pellar
