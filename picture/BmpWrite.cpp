// SPDX-License-Identifier: GPL-3.0-or-later
// Writing a Windows bitmap file: run-length-encoded images read from a file and unchanged
// go out as read behind a new file header; every other image device-independent.
#include <algorithm>
#include "picture/BmpCodec.h"
#include "picture/Failure.h"

namespace {
constexpr uint32_t kFileHeaderSize = 14;

void Put16(QByteArray& out, uint32_t v)
{
    out.append(char(v & 0xff));
    out.append(char((v >> 8) & 0xff));
}

void Put32(QByteArray& out, uint32_t v)
{
    Put16(out, v & 0xffff);
    Put16(out, v >> 16);
}

uint32_t Get32(const QByteArray& b, int at)
{
    if (at < 0 || at + 4 > b.size())
        return 0;
    const auto* p = reinterpret_cast<const uint8_t*>(b.constData()) + at;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void PutFileHeader(QByteArray& out, uint64_t fileSize, uint32_t pixelOffset)
{
    out.append('B');
    out.append('M');
    Put32(out, uint32_t(fileSize));
    Put32(out, 0); // two reserved words
    Put32(out, pixelOffset);
}

// The kept header, colour table and compressed data; the table holds as many entries as
// the header claims (at most 2 to the power of the bit count), as the reader keeps them.
bool WriteRleSource(const QByteArray& source, QByteArray& out)
{
    const uint32_t headerSize = Get32(source, 0);
    if (headerSize < 40 || headerSize > uint32_t(source.size()))
        return false;
    const unsigned bitCount = uint8_t(source[14]) | uint8_t(source[15]) << 8;
    if (bitCount != 4 && bitCount != 8)
        return false;
    const uint32_t used = Get32(source, 32);
    const uint32_t full = 1u << bitCount;
    const uint32_t entries = used == 0 ? full : std::min(used, full);
    if (uint64_t(headerSize) + uint64_t(entries) * 4 > uint64_t(source.size()))
        return false;
    PutFileHeader(out, kFileHeaderSize + uint64_t(source.size()), kFileHeaderSize + headerSize + entries * 4);
    out.append(source);
    return true;
}
}

QByteArray BmpWrite(const DibImage& dib, const std::vector<RgbQuad>& palette)
{
    QByteArray out;
    if (!dib.rleSource.isEmpty()) {
        if (WriteRleSource(dib.rleSource, out))
            return out;
        out.clear();
    }
    if (dib.stride < 0 || dib.bits.size() < size_t(dib.stride) * size_t(dib.height))
        throw Failure(kBitmapInvalid);

    // A device-dependent image is already held in the screen's format: written as it is.
    const unsigned bits = dib.bitCount;
    const bool masks = dib.hasMasks && (bits == 16 || bits == 32);
    const bool core = dib.coreHeader && !masks && !dib.topDown && (bits == 1 || bits == 4 || bits == 8 || bits == 24);

    std::vector<RgbQuad> table;
    if (bits <= 8) {
        const size_t full = size_t(1) << bits;
        table.assign(dib.colors.begin(), dib.colors.begin() + std::min(dib.colors.size(), full));
        // A core header always implies a whole table; so does an empty one.
        if (core || table.empty())
            table.resize(full);
    } else if (!core) {
        table.assign(palette.begin(), palette.begin() + std::min<size_t>(palette.size(), 256));
    }

    const uint32_t headerSize = core ? 12 : 40;
    const uint32_t entrySize = core ? 3 : 4;
    const uint32_t pixelOffset = kFileHeaderSize + headerSize + (masks ? 12 : 0) + uint32_t(table.size()) * entrySize;
    const uint64_t imageSize = uint64_t(dib.stride) * uint64_t(dib.height);
    out.reserve(int(pixelOffset + imageSize));
    PutFileHeader(out, pixelOffset + imageSize, pixelOffset);

    if (core) {
        Put32(out, 12);
        Put16(out, uint32_t(dib.width));
        Put16(out, uint32_t(dib.height));
        Put16(out, 1);
        Put16(out, bits);
    } else {
        const bool fullTable = bits <= 8 && table.size() == (size_t(1) << bits);
        Put32(out, 40);
        Put32(out, uint32_t(dib.width));
        Put32(out, uint32_t(dib.topDown ? -dib.height : dib.height));
        Put16(out, 1);
        Put16(out, bits);
        Put32(out, masks ? 3 : 0);
        Put32(out, uint32_t(imageSize));
        Put32(out, uint32_t(dib.xPelsPerMeter));
        Put32(out, uint32_t(dib.yPelsPerMeter));
        Put32(out, fullTable ? 0 : uint32_t(table.size()));
        Put32(out, 0);
        if (masks) {
            Put32(out, dib.redMask);
            Put32(out, dib.greenMask);
            Put32(out, dib.blueMask);
        }
    }
    for (const RgbQuad& c : table) {
        out.append(char(c.blue));
        out.append(char(c.green));
        out.append(char(c.red));
        if (!core)
            out.append(char(0));
    }
    // Rows go out in the order held: bottom row first unless the image is top-down.
    for (int32_t i = 0; i < dib.height && dib.stride > 0; ++i) {
        const int32_t y = dib.topDown ? i : dib.height - 1 - i;
        out.append(reinterpret_cast<const char*>(dib.Row(y)), dib.stride);
    }
    return out;
}
