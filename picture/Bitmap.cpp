// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/Bitmap.h"
#include <algorithm>
#include <vector>
#include <QPainter>
#include <QPaintDevice>
#include "picture/BmpCodec.h"
#include "picture/Failure.h"
#include "picture/PixelConvert.h"
#include "picture/RasterRows.h"
#include "picture/ScreenFacts.h"

namespace {
// The picture reduced to `device` pixels a row at a time, so drawing a large picture small
// never makes a full-size drawing copy of it.
QImage ReducedDrawing(const DibImage& dib, QSize device)
{
    const int factor = std::max(1, std::min(dib.width / device.width(), dib.height / device.height()));
    RowReducer out(dib.width, dib.height, factor);
    std::vector<QRgb> row(size_t(dib.width));
    const int step = dib.bitCount / 8;
    for (int32_t y = 0; y < dib.height; ++y) {
        const uint8_t* p = dib.Row(y);
        for (int32_t x = 0; x < dib.width; ++x, p += step)
            row[size_t(x)] = qRgb(p[2], p[1], p[0]);
        out.AddRow(row.data());
    }
    return out.Finish().scaled(device, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// What a bitmap without an image converts from: an empty image in the screen's form.
std::shared_ptr<const DibImage> SourceOf(const std::shared_ptr<const DibImage>& dib)
{
    return dib ? dib : std::shared_ptr<const DibImage>(NewDeviceDib(0, 0));
}
}

void TBitmap::LoadFromBytes(const QByteArray& bytes)
{
    // BmpRead throws before anything here changes, so a failed load keeps the old image.
    SetDib(BmpRead(bytes));
}

QByteArray TBitmap::SaveToBytes()
{
    return BmpWrite(*SourceOf(m_dib), Palette());
}

void TBitmap::Draw(QPainter& painter, const QRect& rect, bool smooth) const
{
    if (Empty() || rect.isEmpty())
        return;
    const qreal ratio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QSize device = (QSizeF(rect.size()) * ratio).toSize();
    if (m_image.isNull() && device.width() * 2 <= m_dib->width && device.height() * 2 <= m_dib->height &&
        ((m_dib->bitCount == 24 || m_dib->bitCount == 32) && !m_dib->hasMasks)) {
        if (m_reduced.size() != device)
            m_reduced = ReducedDrawing(*m_dib, device);
        painter.drawImage(rect, m_reduced);
        return;
    }
    const QImage& image = Image();
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    painter.drawImage(rect, image);
    painter.restore();
}

std::unique_ptr<TGraphic> TBitmap::Clone() const
{
    auto copy = std::make_unique<TBitmap>(m_dib);
    copy->m_palette = m_palette;
    copy->m_image = m_image; // implicitly shared
    return copy;
}

const DibImage& TBitmap::Dib() const
{
    static const DibImage empty = [] {
        DibImage d;
        d.width = d.height = 0;
        return d;
    }();
    return m_dib ? *m_dib : empty;
}

void TBitmap::SetDib(std::shared_ptr<const DibImage> dib)
{
    m_dib = std::move(dib);
    m_palette.reset();
    m_image = QImage();
    m_reduced = QImage();
    Changed();
}

const std::vector<RgbQuad>& TBitmap::Palette() const
{
    if (!m_palette) {
        std::vector<RgbQuad> palette;
        if (m_dib) {
            if (!m_dib->colors.empty())
                palette = m_dib->colors;
            else if (Screen().bitsPerPixel < int(m_dib->bitCount) * int(m_dib->planes))
                palette = HalftonePalette256();
        }
        m_palette = std::move(palette);
    }
    return *m_palette;
}

void TBitmap::SetPixelFormat(TPixelFormat format)
{
    if (format == PixelFormat())
        return;
    if (format == TPixelFormat::Custom)
        throw Failure("Invalid pixel format");
    SetDib(ConvertDib(*SourceOf(m_dib), format));
}

void TBitmap::SetMonochrome(bool mono)
{
    if (mono == Monochrome())
        return;
    const auto src = SourceOf(m_dib);
    SetDib(mono ? MonochromeDib(*src) : DeviceDib(*src));
}

void TBitmap::SetWidth(int32_t width)
{
    if (m_dib && width == m_dib->width)
        return;
    const auto src = SourceOf(m_dib);
    const uint32_t fill = m_hasCanvas ? m_brush.rgb() & 0xFFFFFF : 0xFFFFFF;
    SetDib(ResizeDib(*src, width, src->height, fill));
}

void TBitmap::SetHeight(int32_t height)
{
    if (m_dib && height == m_dib->height)
        return;
    const auto src = SourceOf(m_dib);
    const uint32_t fill = m_hasCanvas ? m_brush.rgb() & 0xFFFFFF : 0xFFFFFF;
    SetDib(ResizeDib(*src, src->width, height, fill));
}

const QImage& TBitmap::Image() const
{
    if (m_image.isNull() && !Empty())
        m_image = DibToQImage(*m_dib);
    return m_image;
}
