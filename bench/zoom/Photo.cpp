// SPDX-License-Identifier: GPL-3.0-or-later
#include "Photo.h"
#include <cmath>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include "picture/DibImage.h"

namespace {
uint32_t NextRandom(uint32_t& state)
{
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

QPainterPath Ridge(double w, double h, double top, double height, double waves, double phase)
{
    QPainterPath path;
    path.moveTo(0, h);
    for (int i = 0; i <= 200; ++i) {
        const double x = w * i / 200.0;
        const double t = x / w * 6.2831853;
        path.lineTo(x,
                    top + height * (0.5 + 0.3 * std::sin(t * waves + phase) + 0.2 * std::sin(t * waves * 3.7 + phase)));
    }
    path.lineTo(w, h);
    path.closeSubpath();
    return path;
}
}

TBitmap MakeLandscape(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    const double w = width, h = height, horizon = h * 0.62;
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, horizon);
    sky.setColorAt(0, QColor(40, 90, 170));
    sky.setColorAt(0.7, QColor(150, 185, 225));
    sky.setColorAt(1, QColor(250, 215, 170));
    p.fillRect(QRectF(0, 0, w, horizon), sky);
    QRadialGradient sun(QPointF(w * 0.7, horizon * 0.55), h * 0.09);
    sun.setColorAt(0, QColor(255, 250, 220));
    sun.setColorAt(0.5, QColor(255, 235, 160));
    sun.setColorAt(1, QColor(255, 220, 150, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(sun);
    p.drawEllipse(QPointF(w * 0.7, horizon * 0.55), h * 0.09, h * 0.09);
    p.setBrush(QColor(95, 110, 140));
    p.drawPath(Ridge(w, horizon + 2, horizon * 0.55, horizon * 0.4, 2, 0.4));
    p.setBrush(QColor(55, 95, 60));
    p.drawPath(Ridge(w, horizon + 2, horizon * 0.72, horizon * 0.3, 3, 1.9));
    // The lake mirrors the land above it, darker.
    const QImage land = image.copy(0, 0, width, int(horizon));
    p.drawImage(QRectF(0, horizon, w, h - horizon), land.mirrored(false, true), QRectF(0, 0, w, h - horizon));
    p.fillRect(QRectF(0, horizon, w, h - horizon), QColor(20, 50, 80, 110));
    // Trees along the shore.
    uint32_t state = 0x2545F491u;
    for (int i = 0; i < 60; ++i) {
        const double x = w * (NextRandom(state) % 1000) / 1000.0;
        const double s = h * (0.03 + (NextRandom(state) % 100) / 1800.0);
        p.setBrush(QColor(25, 60 + int(NextRandom(state) % 40), 35));
        QPainterPath tree;
        tree.moveTo(x, horizon - s * 2.2);
        tree.lineTo(x + s * 0.45, horizon);
        tree.lineTo(x - s * 0.45, horizon);
        tree.closeSubpath();
        p.drawPath(tree);
    }
    p.end();
    auto dib = NewDib(width, height, 24);
    for (int y = 0; y < height; ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        uint8_t* row = dib->Row(y);
        for (int x = 0; x < width; ++x) {
            const uint32_t r = NextRandom(state);
            const int n = int(r & 7) - 4; // grain
            row[3 * x + 0] = uint8_t(std::clamp(qBlue(src[x]) + n, 0, 255));
            row[3 * x + 1] = uint8_t(std::clamp(qGreen(src[x]) + n, 0, 255));
            row[3 * x + 2] = uint8_t(std::clamp(qRed(src[x]) + n, 0, 255));
        }
    }
    return TBitmap(std::move(dib));
}
