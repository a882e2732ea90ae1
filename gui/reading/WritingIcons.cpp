#include "gui/reading/WritingIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace pellar {

namespace {

const QColor kInk(0x33, 0x3b, 0x47);
const QColor kPaper(0xfb, 0xfb, 0xf6);
const QColor kAccent(0x2f, 0x5d, 0x9e);
const QColor kWarm(0xd9, 0x8a, 0x1c);

// A sheet with a folded corner and a few lines of text.
void Page(QPainter& p, qreal s)
{
    QPainterPath sheet;
    sheet.moveTo(s * 0.18, s * 0.06);
    sheet.lineTo(s * 0.62, s * 0.06);
    sheet.lineTo(s * 0.82, s * 0.26);
    sheet.lineTo(s * 0.82, s * 0.94);
    sheet.lineTo(s * 0.18, s * 0.94);
    sheet.closeSubpath();
    p.setPen(QPen(kInk, s / 16));
    p.setBrush(kPaper);
    p.drawPath(sheet);
    p.drawLine(QPointF(s * 0.62, s * 0.06), QPointF(s * 0.62, s * 0.26));
    p.drawLine(QPointF(s * 0.62, s * 0.26), QPointF(s * 0.82, s * 0.26));
    p.setPen(QPen(kInk.lighter(160), s / 20));
    for (qreal y : {0.42, 0.56, 0.70})
        p.drawLine(QPointF(s * 0.28, s * y), QPointF(s * 0.72, s * y));
}

void Bubble(QPainter& p, QRectF box, const QColor& fill, bool tailLeft)
{
    QPainterPath path;
    path.addRoundedRect(box, box.height() * 0.3, box.height() * 0.3);
    QPainterPath tail;
    const qreal x = tailLeft ? box.left() + box.width() * 0.25 : box.right() - box.width() * 0.25;
    tail.moveTo(x - box.width() * 0.1, box.bottom() - 1);
    tail.lineTo(tailLeft ? x - box.width() * 0.2 : x + box.width() * 0.2, box.bottom() + box.height() * 0.35);
    tail.lineTo(x + box.width() * 0.1, box.bottom() - 1);
    tail.closeSubpath();
    p.setPen(QPen(kInk, box.height() / 12));
    p.setBrush(fill);
    p.drawPath(path.united(tail));
}

QPixmap Draw(WritingIcon which, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = size;
    switch (which) {
    case WritingIcon::NewText:
        Page(p, s);
        // A plus in the corner: something new.
        p.setPen(QPen(kAccent, s / 8, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(s * 0.72, s * 0.62), QPointF(s * 0.72, s * 0.94));
        p.drawLine(QPointF(s * 0.56, s * 0.78), QPointF(s * 0.88, s * 0.78));
        break;
    case WritingIcon::Letter: {
        const QRectF envelope(s * 0.08, s * 0.22, s * 0.84, s * 0.58);
        p.setPen(QPen(kInk, s / 16));
        p.setBrush(kPaper);
        p.drawRect(envelope);
        QPainterPath flap;
        flap.moveTo(envelope.topLeft());
        flap.lineTo(envelope.center().x(), envelope.top() + envelope.height() * 0.6);
        flap.lineTo(envelope.topRight());
        p.setBrush(Qt::NoBrush);
        p.drawPath(flap);
        break;
    }
    case WritingIcon::Comment:
        Bubble(p, QRectF(s * 0.06, s * 0.10, s * 0.60, s * 0.42), kPaper, true);
        Bubble(p, QRectF(s * 0.34, s * 0.40, s * 0.60, s * 0.40), kAccent.lighter(170), false);
        break;
    case WritingIcon::PrivateReply:
        Bubble(p, QRectF(s * 0.06, s * 0.14, s * 0.78, s * 0.52), kPaper, true);
        // A small closed lock: for the author's eyes.
        p.setPen(QPen(kWarm.darker(130), s / 14));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(s * 0.62, s * 0.48, s * 0.22, s * 0.26), 0, 180 * 16);
        p.setBrush(kWarm);
        p.drawRect(QRectF(s * 0.58, s * 0.62, s * 0.30, s * 0.26));
        break;
    case WritingIcon::Footnote:
        Page(p, s);
        p.setPen(QPen(kWarm, s / 9, Qt::SolidLine, Qt::RoundCap));
        for (int i = 0; i < 3; ++i) {
            QLineF ray(QPointF(s * 0.70, s * 0.78), QPointF(s * 0.70, s * 0.62));
            ray.setAngle(90 + i * 60);
            p.drawLine(QLineF(ray.pointAt(-1), ray.p2()));
        }
        break;
    }
    return pixmap;
}

} // namespace

QIcon MakeWritingIcon(WritingIcon which)
{
    QIcon icon;
    for (int size : {16, 24, 32, 48})
        icon.addPixmap(Draw(which, size));
    return icon;
}

} // namespace pellar
