// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/zoom/ZoomSource.h"
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <QPainter>
#include <QThread>
#include <QThreadPool>
#include "ui/zoom/BoxReduce.h"

namespace {
// The reduced copies stop before a side falls to this.
constexpr int kSmallestLevelSide = 16;
// Rows of a reduced picture made at a time.
constexpr int kStripRows = 64;

// The rounded average of four 0xAARRGGBB pixels, channel by channel.
inline uint32_t Average4(uint32_t a, uint32_t b, uint32_t c, uint32_t d)
{
    const uint32_t rb = ((a & 0xFF00FF) + (b & 0xFF00FF) + (c & 0xFF00FF) + (d & 0xFF00FF) + 0x020002) >> 2;
    const uint32_t ag =
        (((a >> 8) & 0xFF00FF) + ((b >> 8) & 0xFF00FF) + ((c >> 8) & 0xFF00FF) + ((d >> 8) & 0xFF00FF) + 0x020002) >> 2;
    return (rb & 0xFF00FF) | ((ag & 0xFF00FF) << 8);
}

// The part `crop` (in half-size pixels) of `src` at half size: each pixel the average of a
// 2 x 2 block, the last row and column of an odd side repeated.
QImage Halve(const QImage& src, const QRect& crop)
{
    QImage out(crop.size(), QImage::Format_RGB32);
    if (out.isNull())
        return out;
    const int w = src.width(), h = src.height();
    for (int y = 0; y < crop.height(); ++y) {
        const int sy = 2 * (crop.top() + y);
        const auto* r0 = reinterpret_cast<const uint32_t*>(src.constScanLine(std::min(sy, h - 1)));
        const auto* r1 = reinterpret_cast<const uint32_t*>(src.constScanLine(std::min(sy + 1, h - 1)));
        auto* o = reinterpret_cast<uint32_t*>(out.scanLine(y));
        for (int x = 0; x < crop.width(); ++x) {
            const int sx = 2 * (crop.left() + x);
            const int sx1 = std::min(sx + 1, w - 1);
            o[x] = Average4(r0[sx], r0[sx1], r1[sx], r1[sx1]);
        }
    }
    return out;
}

int CeilDiv(int a, int b)
{
    return (a + b - 1) / b;
}
}

ZoomSource::ZoomSource() = default;

ZoomSource::~ZoomSource() = default;

void ZoomSource::SetBase(const TBitmap& base)
{
    Clear();
    if (base.Empty())
        return;
    if (IsOpaqueBitmap32(base.Dib())) {
        m_dib = base.SharedDib();
    } else {
        m_from = base.SharedDib();
        m_dib = OpaqueBitmap32(base).SharedDib();
    }
    m_base = QImage(m_dib->bits.data(), m_dib->width, m_dib->height, m_dib->stride, QImage::Format_RGB32);
    // The quarter-size copy is made from half-size strips, so no half-size copy is ever whole.
    const QSize half = LevelSize(1), quarter = LevelSize(2);
    if (std::min(quarter.width(), quarter.height()) < kSmallestLevelSide)
        return;
    QImage level(quarter, QImage::Format_RGB32);
    for (int y = 0; y < quarter.height(); y += kStripRows) {
        const int rows = std::min(kStripRows, quarter.height() - y);
        const QRect halfRows = QRect(0, 2 * y, half.width(), 2 * rows).intersected(QRect(QPoint(0, 0), half));
        const QImage strip = Halve(m_base, halfRows);
        const QImage part = Halve(strip, QRect(0, 0, quarter.width(), rows));
        for (int r = 0; r < rows; ++r)
            std::memcpy(level.scanLine(y + r), part.constScanLine(r), size_t(quarter.width()) * 4);
    }
    m_levels.push_back(level);
    while (std::min(m_levels.back().width(), m_levels.back().height()) >= 2 * kSmallestLevelSide) {
        const QImage& last = m_levels.back();
        m_levels.push_back(Halve(last, QRect(0, 0, CeilDiv(last.width(), 2), CeilDiv(last.height(), 2))));
    }
}

void ZoomSource::Clear()
{
    ++m_generation;
    m_levels.clear();
    m_base = QImage();
    m_dib.reset();
    m_from.reset();
}

QSize ZoomSource::LevelSize(int level) const
{
    const int f = 1 << level;
    return QSize(CeilDiv(m_base.width(), f), CeilDiv(m_base.height(), f));
}

int ZoomSource::LevelFor(double scale) const
{
    // Down to a quarter the base itself; below, the smallest copy still at least as large as
    // the zoomed picture, so that no reduction reads more than four pixels for one.
    if (scale > 0.25 || m_levels.empty())
        return 0;
    int level = 2;
    while (level < 1 + int(m_levels.size()) && scale <= std::ldexp(1.0, -(level + 1)))
        ++level;
    return level;
}

QImage ZoomSource::ReducedStrip(int level, double unitX, double unitY, const QRect& strip) const
{
    const QImage& source = level == 0 ? m_base : m_levels[size_t(level - 2)];
    return BoxReduce(source, QPoint(0, 0), LevelSize(level), unitX, unitY, strip);
}

void ZoomSource::DrawEnlarged(QPainter& painter, double unitX, double unitY, const QRect& visible, QPoint shift) const
{
    // Bilinear, from the base pixels under the area and one more on each side for the neighbours.
    const QSize size = m_base.size();
    const int x0 = std::max(0, int(std::floor(visible.left() / unitX)) - 1);
    const int y0 = std::max(0, int(std::floor(visible.top() / unitY)) - 1);
    const int x1 = std::min(size.width(), int(std::ceil((visible.right() + 1) / unitX)) + 1);
    const int y1 = std::min(size.height(), int(std::ceil((visible.bottom() + 1) / unitY)) + 1);
    if (x1 <= x0 || y1 <= y0)
        return;
    const QRect crop(x0, y0, x1 - x0, y1 - y0);
    const QRectF target(x0 * unitX + shift.x(), y0 * unitY + shift.y(), crop.width() * unitX, crop.height() * unitY);
    painter.save();
    painter.setClipRect(visible.translated(shift), Qt::IntersectClip);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.drawImage(target, m_base, QRectF(crop));
    painter.restore();
}

void ZoomSource::Render(QPainter& painter, QSize zoomed, const QRect& area, QPoint at) const
{
    if (Empty() || zoomed.isEmpty())
        return;
    const QRect visible = area.intersected(QRect(QPoint(0, 0), zoomed));
    if (visible.isEmpty())
        return;
    const double scaleX = double(zoomed.width()) / m_base.width();
    const double scaleY = double(zoomed.height()) / m_base.height();
    const int level = LevelFor(std::min(scaleX, scaleY));
    const double unitX = std::ldexp(scaleX, level), unitY = std::ldexp(scaleY, level);
    const QPoint shift = at - area.topLeft();
    if (unitX >= 1 && unitY >= 1) {
        DrawEnlarged(painter, unitX, unitY, visible, shift);
        return;
    }
    // A reduction is made in strips, so what it holds beside the base stays small; the
    // helpers make some of them while this thread makes the others.
    std::vector<QRect> strips;
    for (int y = visible.top(); y <= visible.bottom(); y += kStripRows)
        strips.emplace_back(visible.left(), y, visible.width(), std::min(kStripRows, visible.bottom() + 1 - y));
    std::vector<QImage> done(strips.size());
    std::atomic<size_t> next {0};
    auto work = [&] {
        for (size_t i = next++; i < strips.size(); i = next++)
            done[i] = ReducedStrip(level, unitX, unitY, strips[i]);
    };
    const int helpers = std::min(QThread::idealThreadCount() - 1, int(strips.size()) - 1);
    if (helpers > 0) {
        if (!m_helpers) {
            m_helpers = std::make_unique<QThreadPool>();
            m_helpers->setMaxThreadCount(helpers);
        }
        for (int i = 0; i < helpers; ++i)
            m_helpers->start(work);
    }
    work();
    if (helpers > 0)
        m_helpers->waitForDone();
    for (size_t i = 0; i < strips.size(); ++i)
        painter.drawImage(strips[i].topLeft() + shift, done[i]);
}

QImage ZoomSource::Region(QSize zoomed, const QRect& area) const
{
    QImage out(area.size(), QImage::Format_RGB32);
    if (out.isNull())
        return out;
    out.fill(Qt::white);
    QPainter painter(&out);
    Render(painter, zoomed, area, QPoint(0, 0));
    return out;
}

TBitmap OpaqueBitmap32(const TBitmap& bitmap)
{
    const DibImage& dib = bitmap.Dib();
    auto out = NewDib(dib.width, dib.height, 32);
    out->xPelsPerMeter = dib.xPelsPerMeter;
    out->yPelsPerMeter = dib.yPelsPerMeter;
    if (dib.bitCount == 24 && dib.bits.size() >= size_t(dib.stride) * size_t(dib.height)) {
        for (int32_t y = 0; y < dib.height; ++y) {
            const uint8_t* s = dib.Row(y);
            uint8_t* d = out->Row(y);
            for (int32_t x = 0; x < dib.width; ++x, s += 3, d += 4) {
                d[0] = s[0];
                d[1] = s[1];
                d[2] = s[2];
                d[3] = 255;
            }
        }
    } else {
        // Other depths through their drawing form (a bitmap file, small next to a photo).
        const QImage image = bitmap.Image().convertToFormat(QImage::Format_RGB32);
        for (int32_t y = 0; y < dib.height && y < image.height(); ++y) {
            const auto* s = reinterpret_cast<const uint32_t*>(image.constScanLine(y));
            auto* d = reinterpret_cast<uint32_t*>(out->Row(y));
            for (int32_t x = 0; x < dib.width; ++x)
                d[x] = s[x] | 0xFF000000u;
        }
    }
    return TBitmap(std::move(out));
}

TBitmap OpaqueBitmap32(const QImage& image)
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    auto out = NewDib(rgb.width(), rgb.height(), 32);
    for (int32_t y = 0; y < out->height; ++y) {
        const auto* s = reinterpret_cast<const uint32_t*>(rgb.constScanLine(y));
        auto* d = reinterpret_cast<uint32_t*>(out->Row(y));
        for (int32_t x = 0; x < out->width; ++x)
            d[x] = s[x] | 0xFF000000u;
    }
    return TBitmap(std::move(out));
}

bool IsOpaqueBitmap32(const DibImage& dib)
{
    if (dib.bitCount != 32 || dib.hasMasks || dib.planes != 1 || dib.stride != dib.width * 4 ||
        dib.bits.size() < size_t(dib.stride) * size_t(dib.height))
        return false;
    for (int32_t y = 0; y < dib.height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(dib.Row(y));
        for (int32_t x = 0; x < dib.width; ++x)
            if ((row[x] >> 24) != 0xFF)
                return false;
    }
    return true;
}
