// SPDX-License-Identifier: GPL-3.0-or-later
// Turning an icon file: each of its pictures in the storage it came in, the directory
// rewritten for the new sizes and places.
#include <algorithm>
#include <QBuffer>
#include <QImage>
#include <QImageWriter>
#include "picture/Failure.h"
#include "picture/IconCodec.h"
#include "picture/Limits.h"
#include "picture/LosslessTurn.h"

namespace {

constexpr qsizetype kHeaderSize = 6;
constexpr qsizetype kEntrySize = 16;
constexpr qsizetype kInfoHeaderSize = 40;

uint32_t Get(const QByteArray& bytes, qsizetype at, int size)
{
    uint32_t v = 0;
    for (int i = 0; i < size; ++i)
        v |= uint32_t(uint8_t(bytes[at + i])) << (8 * i);
    return v;
}

void Set(QByteArray& bytes, qsizetype at, int size, uint32_t v)
{
    for (int i = 0; i < size; ++i)
        bytes[at + i] = char(uint8_t(v >> (8 * i)));
}

[[noreturn]] void Cannot()
{
    throw Failure("This icon's pictures are stored in a way that cannot be turned here.");
}

QByteArray TurnPng(const QByteArray& res, Turn turn, int64_t& budget)
{
    const QImage image = IconReadPng(res);
    if ((budget -= image.sizeInBytes()) < 0)
        throw Failure(kOutOfResources);
    // Quarter turns and mirrors move pixels only.
    const QImage turned = turn == Turn::Flip ? image.mirrored(true, false)
                                             : image.transformed(QTransform().rotate(turn == Turn::Right ? 90 : -90));
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    if (!QImageWriter(&buffer, "png").write(turned))
        throw Failure(kOutOfResources);
    return out;
}

// A bitmap picture: its header, colour table, colour rows and 1-bit mask rows (both stored
// bottom-up); mask rows the file lacks (a short file) count as opaque, as the reader has them.
QByteArray TurnDibPicture(const QByteArray& res, Turn turn, int64_t& budget)
{
    const qsizetype size = res.size();
    if (size < kInfoHeaderSize)
        throw Failure(kIconInvalid);
    const qsizetype header = Get(res, 0, 4);
    const auto width = int32_t(Get(res, 4, 4)), height = int32_t(Get(res, 8, 4)) / 2;
    const int bits = int(Get(res, 14, 2));
    const qsizetype colours = Get(res, 32, 4);
    if (header < kInfoHeaderSize || header > size || width <= 0 || height <= 0 || Get(res, 16, 4) != 0)
        Cannot();
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        Cannot();
    if (width > PictureLimits::kMaxSide || height > PictureLimits::kMaxSide)
        throw Failure(kOutOfResources);
    const qsizetype table = bits <= 8 ? (colours != 0 ? colours : qsizetype(1) << bits) * 4 : colours * 4;
    const auto stride = [](int32_t across, int perPixel) { return (qsizetype(across) * perPixel + 31) / 32 * 4; };
    const qsizetype pixels = header + table;
    if (table > size || pixels + stride(width, bits) * height > size)
        throw Failure(kIconInvalid);
    const qsizetype mask = pixels + stride(width, bits) * height;

    const bool sides = turn != Turn::Flip;
    const int32_t newWidth = sides ? height : width, newHeight = sides ? width : height;
    const qsizetype newMask = pixels + stride(newWidth, bits) * newHeight;
    const qsizetype newSize = newMask + stride(newWidth, 1) * newHeight;
    if ((budget -= newSize) < 0) // a turned 1-bit row may take many times its bytes
        throw Failure(kOutOfResources);
    QByteArray out = res.left(pixels);
    out.resize(newSize, '\0');
    Set(out, 4, 4, uint32_t(newWidth));
    Set(out, 8, 4, uint32_t(newHeight) * 2);
    Set(out, 20, 4, 0); // the image size: the reader works it out
    if (sides) {        // the resolution across and down
        Set(out, 24, 4, Get(res, 28, 4));
        Set(out, 28, 4, Get(res, 24, 4));
    }
    // The mask whole: the rows the file holds (the bottom ones, stored first), zeros above.
    const qsizetype maskStride = stride(width, 1);
    QByteArray wholeMask(maskStride * height, '\0');
    const qsizetype maskRows = std::min<qsizetype>(height, std::max<qsizetype>(0, size - mask) / maskStride);
    std::copy_n(res.constData() + mask, maskRows * maskStride, wholeMask.data());
    auto* to = reinterpret_cast<uint8_t*>(out.data());
    const auto part = [&](const char* from, qsizetype into, int perPixel) {
        MovePixels(
            width, height, perPixel, turn,
            [&](int32_t y) {
                return reinterpret_cast<const uint8_t*>(from) + (height - 1 - y) * stride(width, perPixel);
            },
            [&](int32_t y) { return to + into + (newHeight - 1 - y) * stride(newWidth, perPixel); });
    };
    part(res.constData() + pixels, pixels, bits);
    part(wholeMask.constData(), newMask, 1);
    return out;
}

} // namespace

QByteArray TurnIconBytes(const QByteArray& icon, Turn turn)
{
    const IconFile file = IconReadDirectory(icon);
    const qsizetype count = file.type == 1 ? qsizetype(Get(icon, 4, 2)) : 0;
    if (count == 0 || count != qsizetype(file.entries.size()))
        Cannot(); // the standard application icon, or more pictures than are read
    QByteArray out = icon.left(kHeaderSize + count * kEntrySize);
    // Entries may share one picture's bytes, and a turn may enlarge a picture: what the turn
    // decodes and writes is bounded as one decoded picture is.
    int64_t budget = PictureLimits::kMaxDecodedBytes;
    for (qsizetype i = 0; i < count; ++i) {
        const IconDirEntry& entry = file.entries[size_t(i)];
        const QByteArray res = icon.mid(entry.imageOffset, entry.bytesInRes);
        const QByteArray turned =
            res.startsWith("\x89PNG\r\n\x1a\n") ? TurnPng(res, turn, budget) : TurnDibPicture(res, turn, budget);
        const qsizetype at = kHeaderSize + i * kEntrySize;
        if (turn != Turn::Flip) { // the width and height bytes change places
            out[at] = icon[at + 1];
            out[at + 1] = icon[at];
        }
        Set(out, at + 8, 4, uint32_t(turned.size()));
        Set(out, at + 12, 4, uint32_t(out.size()));
        out += turned;
    }
    return out;
}

void TurnIconFile(const QString& path, Turn turn)
{
    TurnFileWhole(path, [turn](const QByteArray& bytes) { return TurnIconBytes(bytes, turn); });
}
