// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/zoom/ZoomPictures.h"
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {
// A magnifying glass with an optional sign in its lens.
void DrawGlass(QPainter& p, int sign)
{
    p.setPen(QPen(QColor(0, 0, 128), 2));
    p.setBrush(QColor(200, 225, 255));
    p.drawEllipse(QRectF(2, 2, 11, 11));
    p.setPen(QPen(QColor(90, 60, 20), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(12.5, 12.5), QPointF(17.5, 17.5));
    p.setPen(QPen(QColor(0, 0, 128), 2));
    if (sign != 0)
        p.drawLine(QPointF(5, 7.5), QPointF(10, 7.5));
    if (sign > 0)
        p.drawLine(QPointF(7.5, 5), QPointF(7.5, 10));
}
}

QIcon MakeZoomPicture(ZoomPicture which)
{
    QPixmap pm(20, 20);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor navy(0, 0, 128);
    switch (which) {
    case ZoomPicture::Fit:
        p.setPen(QPen(navy, 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(2.5, 2.5, 15, 15));
        p.setPen(QPen(QColor(0, 128, 0), 2));
        p.drawLine(QPointF(6, 6), QPointF(14, 14));
        p.drawLine(QPointF(14, 6), QPointF(6, 14));
        break;
    case ZoomPicture::In: DrawGlass(p, 1); break;
    case ZoomPicture::Out: DrawGlass(p, -1); break;
    case ZoomPicture::Reset:
        p.setPen(QPen(navy, 2));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(3, 3, 14, 14), 90 * 16, 270 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(navy);
        p.drawPolygon(QPolygonF({QPointF(10, 0), QPointF(14, 3), QPointF(10, 6)}));
        break;
    case ZoomPicture::Save:
        p.setPen(Qt::NoPen);
        p.setBrush(navy);
        p.drawRect(QRectF(2, 2, 16, 16));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5, 3, 10, 6));
        p.setBrush(QColor(180, 180, 180));
        p.drawRect(QRectF(6, 12, 8, 6));
        break;
    case ZoomPicture::Return: {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(170, 0, 0));
        QPainterPath path;
        path.moveTo(2, 10);
        path.lineTo(9, 3);
        path.lineTo(9, 7);
        path.lineTo(18, 7);
        path.lineTo(18, 13);
        path.lineTo(9, 13);
        path.lineTo(9, 17);
        path.closeSubpath();
        p.drawPath(path);
        break;
    }
    }
    return QIcon(pm);
}
