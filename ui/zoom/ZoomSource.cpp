#include "ui/zoom/ZoomSource.h"
#include <algorithm>
#include <cmath>
#include <cstring>
#include <QPainter>
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
    // The quarter-size copy is made from half-size strips, so the half-size copy never exists whole.
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
    m_levels.clear();
    m_base = QImage();
    m_dib.reset();
    m_from.reset();
}

int64_t ZoomSource::ExtraBytes() const
{
    int64_t total = 0;
    for (const QImage& level : m_levels)
        total += level.sizeInBytes();
    return total;
}

QSize ZoomSource::LevelSize(int level) const
{
    const int f = 1 << level;
    return QSize(CeilDiv(m_base.width(), f), CeilDiv(m_base.height(), f));
}

int ZoomSource::LevelFor(double scale) const
{
    // The smallest copy still at least as large as the zoomed picture: a reduction from it
    // is never below one half, where bilinear sampling would start to skip pixels.
    const int deepest = 1 + int(m_levels.size());
    int level = 0;
    while (level < deepest && scale <= std::ldexp(1.0, -(level + 1)))
        ++level;
    return level;
}

QImage ZoomSource::HalfStrip(const QRect& crop) const
{
    return Halve(m_base, crop);
}

void ZoomSource::DrawStrip(QPainter& painter, int level, double unitX, double unitY, const QRect& strip,
                           const QRect& area, QPoint at) const
{
    const QSize size = LevelSize(level);
    const QPoint shift = at - area.topLeft();
    if (unitX < 1 || unitY < 1) {
        // Reduced: each pixel the mean of the area it covers.
        const QRect under = BoxReduceSource(size, unitX, unitY, strip);
        QImage reduced;
        if (level == 0)
            reduced = BoxReduce(m_base, QPoint(0, 0), size, unitX, unitY, strip);
        else if (level == 1)
            reduced = BoxReduce(HalfStrip(under), under.topLeft(), size, unitX, unitY, strip);
        else
            reduced = BoxReduce(m_levels[size_t(level - 2)], QPoint(0, 0), size, unitX, unitY, strip);
        painter.drawImage(strip.topLeft() + shift, reduced);
        return;
    }
    // Enlarged (or at its own size): bilinear, from the level pixels under the strip and one
    // more on each side for the neighbours.
    const int x0 = std::max(0, int(std::floor(strip.left() / unitX)) - 1);
    const int y0 = std::max(0, int(std::floor(strip.top() / unitY)) - 1);
    const int x1 = std::min(size.width(), int(std::ceil((strip.right() + 1) / unitX)) + 1);
    const int y1 = std::min(size.height(), int(std::ceil((strip.bottom() + 1) / unitY)) + 1);
    if (x1 <= x0 || y1 <= y0)
        return;
    const QRect crop(x0, y0, x1 - x0, y1 - y0);
    const QRectF target(x0 * unitX + shift.x(), y0 * unitY + shift.y(), crop.width() * unitX, crop.height() * unitY);
    painter.save();
    painter.setClipRect(strip.translated(shift), Qt::IntersectClip);
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
    // A reduction is made a strip at a time, so what it holds beside the base stays small.
    const bool reduced = unitX < 1 || unitY < 1;
    const int rows = reduced ? kStripRows : visible.height();
    for (int y = visible.top(); y <= visible.bottom(); y += rows) {
        const QRect strip(visible.left(), y, visible.width(), std::min(rows, visible.bottom() + 1 - y));
        DrawStrip(painter, level, unitX, unitY, strip, area, at);
    }
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
