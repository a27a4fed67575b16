// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/AboutArt.h"
#include <algorithm>
#include <QPainter>
#include <QPixmap>
#include <QPolygon>

namespace {
// The sixteen standard colours the pictures keep to.
const QColor kBlack(0, 0, 0), kNavy(0, 0, 128), kGreen(0, 128, 0), kTeal(0, 128, 128), kMaroon(128, 0, 0),
    kGrey(128, 128, 128), kSilver(192, 192, 192), kRed(255, 0, 0), kYellow(255, 255, 0), kBlue(0, 0, 255),
    kAqua(0, 255, 255), kWhite(255, 255, 255), kOlive(128, 128, 0);

// Hard edges only: antialiasing would blend colours outside the sixteen.
void Fill(QPainter& p, const QColor& c)
{
    p.setPen(Qt::NoPen);
    p.setBrush(c);
}

// A landscape (sky, sun, two hills) inside a rectangle.
void DrawLandscape(QPainter& p, const QRect& r)
{
    Fill(p, kAqua);
    p.drawRect(r);
    Fill(p, kYellow);
    const int sun = std::max(4, r.height() / 3);
    p.drawEllipse(QRect(r.right() - sun - 2, r.top() + 2, sun, sun));
    Fill(p, kGreen);
    p.drawPolygon(QPolygon({QPoint(r.left(), r.bottom()), QPoint(r.left(), r.top() + r.height() * 2 / 3),
                            QPoint(r.left() + r.width() * 2 / 5, r.top() + r.height() / 3),
                            QPoint(r.left() + r.width() * 3 / 4, r.bottom())}));
    Fill(p, kOlive);
    p.drawPolygon(QPolygon({QPoint(r.left() + r.width() / 3, r.bottom()),
                            QPoint(r.left() + r.width() * 2 / 3, r.top() + r.height() / 2),
                            QPoint(r.right(), r.top() + r.height() * 3 / 4), QPoint(r.right(), r.bottom())}));
}
}

QImage MakeAboutLogo()
{
    QImage img(32, 32, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    // A framed picture...
    Fill(p, kNavy);
    p.drawRect(1, 3, 24, 20);
    DrawLandscape(p, QRect(3, 5, 20, 16));
    // ...under a magnifying glass: finding and showing pictures.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kBlack, 3));
    p.drawEllipse(QRect(15, 13, 11, 11));
    p.setPen(QPen(kMaroon, 4, Qt::SolidLine, Qt::SquareCap));
    p.drawLine(26, 25, 29, 28);
    p.setPen(QPen(kWhite, 1));
    p.drawPoint(18, 16);
    p.drawPoint(19, 16);
    p.drawPoint(18, 17);
    return img;
}

QImage MakeAboutDecoration()
{
    QImage img(114, 41, QImage::Format_RGB32);
    img.fill(kBlack);
    QPainter p(&img);
    // A strip of film: sprocket holes along both edges, three frames between them.
    Fill(p, kSilver);
    for (int x = 3; x < 114; x += 8) {
        p.drawRect(x, 2, 4, 3);
        p.drawRect(x, 36, 4, 3);
    }
    const QColor skies[3] = {kAqua, kTeal, kBlue};
    for (int i = 0; i < 3; ++i) {
        const QRect frame(4 + i * 36, 8, 34, 25);
        Fill(p, kGrey);
        p.drawRect(frame);
        DrawLandscape(p, frame.adjusted(1, 1, -1, -1));
        // Each frame a different time of day: the sky changes, the red sun sets in the last.
        Fill(p, skies[i]);
        p.drawRect(frame.left() + 1, frame.top() + 1, frame.width() - 2, 3);
    }
    Fill(p, kRed);
    p.drawEllipse(QRect(100, 14, 6, 6));
    return img;
}

QIcon MakeCheckMarkPicture()
{
    QImage img(16, 16, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kGreen, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(2.5, 8.5), QPointF(6, 12.5), QPointF(13.5, 3.5)}));
    p.end();
    return QIcon(QPixmap::fromImage(img));
}
