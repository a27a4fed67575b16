// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/IconCodec.h"
#include <QImageReader>
#include <QLoggingCategory>
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <QPainter>
#include "picture/Failure.h"
#include "picture/Limits.h"

namespace {

constexpr int64_t kHeaderSize = 6;
constexpr int64_t kEntrySize = 16;
constexpr int64_t kInfoHeaderSize = 40;

[[noreturn]] void Invalid()
{
    throw Failure(kIconInvalid);
}

// Little-endian fields; callers have checked that the bytes are there.
uint16_t U16(const uchar* p)
{
    return uint16_t(p[0] | (p[1] << 8));
}
uint32_t U32(const uchar* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}
int32_t I32(const uchar* p)
{
    return static_cast<int32_t>(U32(p));
}
uint32_t BigU32(const uchar* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

// Refuses a size that cannot be held before anything is allocated for it.
void CheckImageSize(int64_t width, int64_t height)
{
    if (width > PictureLimits::kMaxSide || height > PictureLimits::kMaxSide ||
        width * height * 4 > PictureLimits::kMaxDecodedBytes)
        throw Failure(kOutOfResources);
}

} // namespace

QImage IconReadPng(const QByteArray& res)
{
    // The IHDR chunk must come first; its size is checked before the PNG reader allocates.
    const auto* p = reinterpret_cast<const uchar*>(res.constData());
    if (res.size() < 24 || std::memcmp(p + 12, "IHDR", 4) != 0)
        Invalid();
    const int64_t width = BigU32(p + 16), height = BigU32(p + 20);
    if (width == 0 || height == 0)
        Invalid();
    CheckImageSize(width, height);
    // Our own limits govern, not Qt's smaller default (128 MB) for its readers, and libpng's
    // warnings about a picture that still decodes stay off the terminal.
    static const bool configured = [] {
        QImageReader::setAllocationLimit(int(PictureLimits::kMaxDecodedBytes >> 20));
        QLoggingCategory::setFilterRules(QStringLiteral("qt.gui.imageio.info=false"));
        return true;
    }();
    static_cast<void>(configured);
    QImage image = QImage::fromData(res, "PNG");
    if (image.isNull())
        Invalid();
    return image;
}

namespace {

QImage DecodePng(const QByteArray& res)
{
    return IconReadPng(res).convertToFormat(QImage::Format_ARGB32);
}

// A device-independent bitmap whose height counts the colour (XOR) image and the
// 1-bit AND mask below it, both stored bottom-up.
QImage DecodeDib(const QByteArray& res)
{
    const auto* p = reinterpret_cast<const uchar*>(res.constData());
    const int64_t size = res.size();
    if (size < kInfoHeaderSize)
        Invalid();
    const int64_t headerSize = U32(p);
    const int64_t width = I32(p + 4);
    const int64_t doubledHeight = I32(p + 8);
    const int bitCount = U16(p + 14);
    const uint32_t compression = U32(p + 16);
    const int64_t colorsUsed = U32(p + 32);
    if (headerSize < kInfoHeaderSize || headerSize > size)
        Invalid();
    const int64_t height = doubledHeight / 2;
    if (width <= 0 || height <= 0 || compression != 0)
        Invalid();
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        Invalid();
    CheckImageSize(width, height);

    // The colour table: colours-used entries, 0 meaning all for 8 bits or fewer.
    int64_t tableEntries = colorsUsed;
    if (bitCount <= 8 && tableEntries == 0)
        tableEntries = int64_t(1) << bitCount;
    const int64_t tableOffset = headerSize;
    const int64_t pixelOffset = tableOffset + tableEntries * 4;
    const int64_t xorStride = (width * bitCount + 31) / 32 * 4;
    const int64_t andStride = (width + 31) / 32 * 4;
    if (pixelOffset + xorStride * height > size)
        Invalid();
    const int64_t maskOffset = pixelOffset + xorStride * height;

    QRgb palette[256];
    std::fill(std::begin(palette), std::end(palette), qRgb(0, 0, 0)); // indices beyond the table read black
    if (bitCount <= 8) {
        const int64_t usable = std::min<int64_t>(tableEntries, int64_t(1) << bitCount);
        for (int64_t i = 0; i < usable; ++i) {
            const uchar* q = p + tableOffset + i * 4;
            palette[i] = qRgb(q[2], q[1], q[0]);
        }
    }

    QImage image(int(width), int(height), QImage::Format_ARGB32);
    if (image.isNull())
        throw Failure(kOutOfResources);
    bool anyAlpha = false;
    for (int64_t y = 0; y < height; ++y) {
        const uchar* row = p + pixelOffset + (height - 1 - y) * xorStride;
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(int(y)));
        for (int64_t x = 0; x < width; ++x) {
            QRgb c;
            switch (bitCount) {
            case 1: c = palette[(row[x >> 3] >> (7 - (x & 7))) & 1]; break;
            case 4: c = palette[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0x0f]; break;
            case 8: c = palette[row[x]]; break;
            case 16: {
                const uint16_t v = U16(row + x * 2); // 5 bits each, no masks
                c = qRgb(((v >> 10) & 31) * 255 / 31, ((v >> 5) & 31) * 255 / 31, (v & 31) * 255 / 31);
                break;
            }
            case 24: c = qRgb(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]); break;
            default: {
                const uchar* q = row + x * 4;
                c = qRgba(q[2], q[1], q[0], q[3]);
                anyAlpha = anyAlpha || q[3] != 0;
                break;
            }
            }
            out[x] = bitCount == 32 ? c : (c | 0xff000000u);
        }
    }

    // A 32-bit image that carries alpha uses it instead of the mask; otherwise the mask
    // decides. Mask rows the file does not hold leave their pixels opaque.
    if (bitCount == 32 && anyAlpha)
        return image;
    for (int64_t y = 0; y < height; ++y) {
        auto* out = reinterpret_cast<QRgb*>(image.scanLine(int(y)));
        const int64_t rowStart = maskOffset + (height - 1 - y) * andStride;
        const bool haveRow = rowStart + andStride <= size;
        for (int64_t x = 0; x < width; ++x) {
            const bool transparent = haveRow && ((p[rowStart + (x >> 3)] >> (7 - (x & 7))) & 1);
            out[x] = transparent ? 0u : (out[x] | 0xff000000u);
        }
    }
    return image;
}

} // namespace

IconFile IconReadDirectory(const QByteArray& data)
{
    const auto* p = reinterpret_cast<const uchar*>(data.constData());
    const int64_t size = data.size();
    if (size < kHeaderSize)
        Invalid();
    IconFile file;
    file.type = U16(p + 2);
    if (file.type == 0)
        return file; // the standard application icon: the directory is not used
    if (file.type != 1)
        Invalid();
    const int64_t count = U16(p + 4);
    const int64_t directoryEnd = kHeaderSize + count * kEntrySize;
    if (count == 0 || directoryEnd > size)
        Invalid();
    const int64_t looked = std::min<int64_t>(count, PictureLimits::kMaxIconEntries);
    file.entries.reserve(size_t(looked));
    for (int64_t i = 0; i < looked; ++i) {
        const uchar* e = p + kHeaderSize + i * kEntrySize;
        IconDirEntry entry;
        entry.width = e[0] ? e[0] : 256;
        entry.height = e[1] ? e[1] : 256;
        entry.colorCount = e[2];
        entry.planes = U16(e + 4);
        entry.bitCount = U16(e + 6);
        entry.bytesInRes = U32(e + 8);
        entry.imageOffset = U32(e + 12);
        // An image must start behind the directory and inside the file; one that runs past
        // the end is read only as far as the file goes.
        if (entry.bytesInRes == 0 || entry.imageOffset < directoryEnd || entry.imageOffset >= size)
            Invalid();
        file.entries.push_back(entry);
    }
    return file;
}

int IconChoose(const std::vector<IconDirEntry>& entries, int screenBits, int iconWidth, int iconHeight)
{
    if (entries.empty())
        return -1;
    constexpr int64_t kUnlimited = std::numeric_limits<int64_t>::max();
    const auto colours = [](const IconDirEntry& e) { return e.colorCount == 0 ? kUnlimited : int64_t(e.colorCount); };
    const int64_t screenColours = screenBits <= 8 ? (int64_t(1) << std::max(screenBits, 0)) : kUnlimited;
    // At least as close to the system size as the choice and, when above it, no larger than the choice.
    const auto sideFits = [](int side, int chosenSide, int systemSide) {
        return std::abs(side - systemSide) <= std::abs(chosenSide - systemSide) &&
            (side <= systemSide || side <= chosenSide);
    };
    size_t chosen = 0;
    for (size_t i = 1; i < entries.size(); ++i) {
        const IconDirEntry& e = entries[i];
        const IconDirEntry& c = entries[chosen];
        if (colours(e) <= screenColours && colours(e) >= colours(c) && sideFits(e.width, c.width, iconWidth) &&
            sideFits(e.height, c.height, iconHeight))
            chosen = i;
    }
    return int(chosen);
}

QImage IconDecodeImage(const QByteArray& data, const IconDirEntry& entry)
{
    const int64_t start = entry.imageOffset;
    if (start >= data.size())
        Invalid();
    const int64_t length = std::min<int64_t>(entry.bytesInRes, data.size() - start);
    const QByteArray res = QByteArray::fromRawData(data.constData() + start, qsizetype(length));
    static const char kPngSignature[] = {'\x89', 'P', 'N', 'G'};
    if (res.startsWith(QByteArrayView(kPngSignature, 4)))
        return DecodePng(res);
    return DecodeDib(res);
}

QImage StandardApplicationIcon(int width, int height)
{
    width = std::clamp(width, 1, 256);
    height = std::clamp(height, 1, 256);
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    // Our own glyph: a small application window with a title bar.
    QPainter painter(&image);
    const qreal w = width, h = height;
    const QRectF frame(w * 0.06, h * 0.12, w * 0.88, h * 0.76);
    painter.fillRect(frame, QColor(255, 255, 255));
    painter.fillRect(QRectF(frame.left(), frame.top(), frame.width(), std::max(1.0, h * 0.18)), QColor(0, 0, 128));
    painter.fillRect(
        QRectF(frame.left() + w * 0.12, frame.top() + h * 0.30, frame.width() * 0.55, std::max(1.0, h * 0.06)),
        QColor(128, 128, 128));
    painter.fillRect(
        QRectF(frame.left() + w * 0.12, frame.top() + h * 0.45, frame.width() * 0.40, std::max(1.0, h * 0.06)),
        QColor(128, 128, 128));
    painter.setPen(QPen(QColor(64, 64, 64), std::max(1.0, w / 32)));
    painter.drawRect(frame);
    painter.end();
    return image;
}
