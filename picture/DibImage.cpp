// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/DibImage.h"
#include <algorithm>
#include <cstring>
#include <new>
#include "picture/Failure.h"
#include "picture/Limits.h"
#include "picture/PixelConvert.h"

int64_t DibStride(int64_t width, int bitCount)
{
    if (width < 0 || width > PictureLimits::kMaxSide || bitCount < 1 || bitCount > 32)
        return -1;
    return (width * bitCount + 31) / 32 * 4;
}

void CheckDibSize(int64_t width, int64_t height, int bitCount)
{
    const int64_t stride = DibStride(width, bitCount);
    if (stride < 0 || height < 0 || height > PictureLimits::kMaxSide ||
        stride * height > PictureLimits::kMaxDecodedBytes)
        throw Failure(kOutOfResources);
}

void CheckReadSize(int64_t width, int64_t height, int bitCount)
{
    CheckDibSize(width, height, bitCount);
    // DibToQImage keeps 1 bit per pixel, widens 4 bits to 8 and the deeper forms to 32.
    const int drawBits = bitCount == 1 ? 1 : bitCount <= 8 ? 8 : 32;
    if ((DibStride(width, bitCount) + DibStride(width, drawBits)) * height > PictureLimits::kMaxDecodedBytes)
        throw Failure(kOutOfResources);
}

std::shared_ptr<DibImage> NewDib(int32_t width, int32_t height, uint16_t bitCount)
{
    CheckDibSize(width, height, bitCount);
    try {
        auto dib = std::make_shared<DibImage>();
        dib->width = width;
        dib->height = height;
        dib->bitCount = bitCount;
        dib->stride = int32_t(DibStride(width, bitCount));
        dib->bits.assign(size_t(dib->stride) * size_t(height), 0);
        return dib;
    } catch (const std::bad_alloc&) {
        throw Failure(kOutOfResources);
    }
}

TPixelFormat DibImage::Format() const
{
    if (device)
        return TPixelFormat::Device;
    switch (bitCount) {
    case 1: return TPixelFormat::Bit1;
    case 4: return TPixelFormat::Bit4;
    case 8: return TPixelFormat::Bit8;
    case 16:
        if (!hasMasks)
            return TPixelFormat::Bit15;
        return greenMask == 0x07E0 ? TPixelFormat::Bit16 : TPixelFormat::Custom;
    case 24: return TPixelFormat::Bit24;
    case 32: return hasMasks ? TPixelFormat::Custom : TPixelFormat::Bit32;
    default: return TPixelFormat::Custom;
    }
}

uint32_t DibImage::PixelRgb(int32_t x, int32_t y) const
{
    if (x < 0 || y < 0 || x >= width || y >= height || size_t(y + 1) * size_t(stride) > bits.size())
        return 0xff000000u;
    const uint8_t* row = Row(y);
    auto fromTable = [this](unsigned index) -> uint32_t {
        if (index >= colors.size())
            return 0xff000000u;
        const RgbQuad& c = colors[index];
        return 0xff000000u | uint32_t(c.red) << 16 | uint32_t(c.green) << 8 | c.blue;
    };
    switch (bitCount) {
    case 1: return fromTable((row[x >> 3] >> (7 - (x & 7))) & 1);
    case 4: return fromTable((x & 1) ? row[x >> 1] & 0x0f : row[x >> 1] >> 4);
    case 8: return fromTable(row[x]);
    case 24: {
        const uint8_t* p = row + size_t(x) * 3;
        return 0xff000000u | uint32_t(p[2]) << 16 | uint32_t(p[1]) << 8 | p[0];
    }
    case 16:
    case 32: {
        uint32_t r, g, b;
        EffectiveMasks(*this, &r, &g, &b);
        uint32_t v;
        if (bitCount == 16) {
            v = uint32_t(row[2 * x]) | uint32_t(row[2 * x + 1]) << 8;
        } else {
            const uint8_t* p = row + size_t(x) * 4;
            v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
        }
        return 0xff000000u | uint32_t(MaskChannel(r).Extract(v)) << 16 | uint32_t(MaskChannel(g).Extract(v)) << 8 |
            MaskChannel(b).Extract(v);
    }
    default: return 0xff000000u;
    }
}

namespace {
QVector<QRgb> QtColorTable(const DibImage& dib, int entries)
{
    QVector<QRgb> table(entries, qRgb(0, 0, 0));
    const int n = std::min<int>(entries, int(dib.colors.size()));
    for (int i = 0; i < n; ++i)
        table[i] = qRgb(dib.colors[i].red, dib.colors[i].green, dib.colors[i].blue);
    return table;
}

QImage MakeImage(int w, int h, QImage::Format format)
{
    QImage image(w, h, format);
    if (image.isNull())
        throw Failure(kOutOfResources);
    return image;
}
}

QImage DibToQImage(const DibImage& dib)
{
    if (dib.width <= 0 || dib.height <= 0 || dib.bits.size() < size_t(dib.stride) * size_t(dib.height))
        return QImage();
    const int w = dib.width, h = dib.height;
    switch (dib.bitCount) {
    case 1: {
        // Both keep the most significant bit first, so rows copy as they are.
        QImage image = MakeImage(w, h, QImage::Format_Mono);
        image.setColorTable(QtColorTable(dib, 2));
        const size_t n = std::min<size_t>(size_t(image.bytesPerLine()), size_t(dib.stride));
        for (int y = 0; y < h; ++y)
            std::memcpy(image.scanLine(y), dib.Row(y), n);
        return image;
    }
    case 4:
    case 8: {
        QImage image = MakeImage(w, h, QImage::Format_Indexed8);
        image.setColorTable(QtColorTable(dib, 1 << dib.bitCount));
        for (int y = 0; y < h; ++y) {
            const uint8_t* src = dib.Row(y);
            uint8_t* dst = image.scanLine(y);
            if (dib.bitCount == 8) {
                std::memcpy(dst, src, size_t(w));
            } else {
                for (int x = 0; x < w; ++x)
                    dst[x] = (x & 1) ? src[x >> 1] & 0x0f : src[x >> 1] >> 4;
            }
        }
        return image;
    }
    default: break;
    }
    QImage image = MakeImage(w, h, QImage::Format_RGB32);
    if (dib.bitCount == 24) {
        for (int y = 0; y < h; ++y) {
            const uint8_t* src = dib.Row(y);
            auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < w; ++x, src += 3)
                dst[x] = 0xff000000u | uint32_t(src[2]) << 16 | uint32_t(src[1]) << 8 | src[0];
        }
    } else if (dib.bitCount == 32 && !dib.hasMasks) {
        // The fourth byte is unused in this form; the RGB32 image wants it opaque.
        for (int y = 0; y < h; ++y) {
            const uint8_t* src = dib.Row(y);
            auto* dst = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < w; ++x, src += 4)
                dst[x] = 0xff000000u | uint32_t(src[2]) << 16 | uint32_t(src[1]) << 8 | src[0];
        }
    } else {
        const PixelReader reader(dib);
        for (int y = 0; y < h; ++y)
            reader.ReadRow(y, reinterpret_cast<uint32_t*>(image.scanLine(y)));
    }
    return image;
}

std::shared_ptr<DibImage> DibFromQImage(const QImage& image)
{
    if (image.isNull())
        return NewDib(0, 0, 24);
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    if (rgb.isNull())
        throw Failure(kOutOfResources);
    auto dib = NewDib(rgb.width(), rgb.height(), 24);
    for (int y = 0; y < rgb.height(); ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        uint8_t* dst = dib->Row(y);
        for (int x = 0; x < rgb.width(); ++x, dst += 3) {
            dst[0] = uint8_t(qBlue(src[x]));
            dst[1] = uint8_t(qGreen(src[x]));
            dst[2] = uint8_t(qRed(src[x]));
        }
    }
    return dib;
}
