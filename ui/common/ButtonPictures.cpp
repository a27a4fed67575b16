// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/common/ButtonPictures.h"
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {
void DrawLight(QPainter& p, QColor colour)
{
    QRadialGradient g(QPointF(9, 8), 9, QPointF(7, 6));
    g.setColorAt(0, colour.lighter(170));
    g.setColorAt(1, colour.darker(130));
    p.setBrush(g);
    p.setPen(QPen(Qt::darkGray, 1));
    p.drawEllipse(QRectF(2.5, 2.5, 15, 15));
}

void DrawTriangle(QPainter& p, qreal x, bool left)
{
    QPainterPath path;
    if (left) {
        path.moveTo(x + 6, 4);
        path.lineTo(x, 10);
        path.lineTo(x + 6, 16);
    } else {
        path.moveTo(x, 4);
        path.lineTo(x + 6, 10);
        path.lineTo(x, 16);
    }
    path.closeSubpath();
    p.drawPath(path);
}
}

namespace {

// Draws the picture in a 20 x 20 square of logical pixels.
void DrawPicture(QPainter& p, ButtonPicture which)
{
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 128));
    switch (which) {
    case ButtonPicture::GreenLight: DrawLight(p, QColor(0, 190, 0)); break;
    case ButtonPicture::RedLight: DrawLight(p, QColor(220, 0, 0)); break;
    case ButtonPicture::Help: {
        p.setBrush(QColor(255, 230, 120));
        p.setPen(QPen(QColor(120, 90, 0), 1));
        p.drawEllipse(QRectF(2.5, 2.5, 15, 15));
        QFont f = p.font();
        f.setBold(true);
        f.setPixelSize(12);
        p.setFont(f);
        p.setPen(QColor(0, 0, 128));
        p.drawText(QRect(0, 0, 20, 20), Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    case ButtonPicture::Slide:
        p.setBrush(QColor(70, 110, 170));
        p.drawRect(QRectF(2, 4, 16, 12));
        p.setBrush(Qt::white);
        DrawTriangle(p, 8, false);
        break;
    case ButtonPicture::Search:
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0, 0, 128), 2));
        p.drawEllipse(QRectF(3, 3, 10, 10));
        p.drawLine(QPointF(12, 12), QPointF(17, 17));
        break;
    case ButtonPicture::First:
        p.drawRect(QRectF(4, 4, 2, 12));
        DrawTriangle(p, 7, true);
        DrawTriangle(p, 12, true);
        break;
    case ButtonPicture::Previous: DrawTriangle(p, 7, true); break;
    case ButtonPicture::Next: DrawTriangle(p, 7, false); break;
    case ButtonPicture::Last:
        DrawTriangle(p, 3, false);
        DrawTriangle(p, 8, false);
        p.drawRect(QRectF(14, 4, 2, 12));
        break;
    }
}

} // namespace

QIcon MakeButtonPicture(ButtonPicture which)
{
    // Drawn for each usual screen density, so a high-density screen gets a sharp picture
    // instead of the small one blown up.
    QIcon icon;
    for (const qreal ratio : {1.0, 1.25, 1.5, 2.0, 3.0}) {
        const int side = qRound(20 * ratio);
        QPixmap pm(side, side);
        pm.setDevicePixelRatio(ratio);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        DrawPicture(p, which);
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}
