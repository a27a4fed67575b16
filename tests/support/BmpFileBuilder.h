// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Builds Windows bitmap files field by field for the codec tests, including broken ones.
#include <cstdint>
#include <vector>
#include <QByteArray>
#include <QList>

struct BmpBuild {
    uint32_t headerSize = 40;      // 12: core header with 3-byte colour entries
    int32_t width = 0, height = 0; // height < 0: rows stored top-down
    uint16_t planes = 1, bitCount = 24;
    uint32_t compression = 0, sizeImage = 0, colorsUsed = 0;
    std::vector<uint32_t> masks; // inside a header of 52 bytes or more, else after it
    std::vector<uint32_t> table; // 0xRRGGBB entries
    QByteArray gap;              // bytes between the table and the pixels
    QByteArray pixels;           // as stored in the file
    int64_t offset = -1;         // the file header's pixel offset; -1: where they start
};

namespace bmptest {
inline void Put16(QByteArray& b, uint32_t v)
{
    b.append(char(v & 0xff)).append(char((v >> 8) & 0xff));
}
inline void Put32(QByteArray& b, uint32_t v)
{
    Put16(b, v & 0xffff);
    Put16(b, v >> 16);
}
inline void Set32(QByteArray& b, int at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((v >> (8 * i)) & 0xff);
}
inline uint32_t Get32(const QByteArray& b, int at)
{
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | uint8_t(b.at(at + i));
    return v;
}
inline uint16_t Get16(const QByteArray& b, int at)
{
    return uint16_t(uint8_t(b.at(at)) | uint8_t(b.at(at + 1)) << 8);
}
}

inline QByteArray BuildBmp(const BmpBuild& s)
{
    using namespace bmptest;
    QByteArray h;
    if (s.headerSize == 12) {
        Put32(h, 12);
        Put16(h, uint32_t(s.width));
        Put16(h, uint32_t(s.height));
        Put16(h, s.planes);
        Put16(h, s.bitCount);
    } else {
        Put32(h, s.headerSize);
        Put32(h, uint32_t(s.width));
        Put32(h, uint32_t(s.height));
        Put16(h, s.planes);
        Put16(h, s.bitCount);
        Put32(h, s.compression);
        Put32(h, s.sizeImage);
        Put32(h, 2835);
        Put32(h, 2835);
        Put32(h, s.colorsUsed);
        Put32(h, 0);
        if (s.headerSize >= 52)
            for (uint32_t m : s.masks)
                Put32(h, m);
        while (h.size() < int(s.headerSize))
            h.append('\0');
        h.truncate(int(s.headerSize));
        if (s.headerSize < 52)
            for (uint32_t m : s.masks)
                Put32(h, m);
    }
    for (uint32_t c : s.table) {
        h.append(char(c & 0xff)).append(char((c >> 8) & 0xff)).append(char((c >> 16) & 0xff));
        if (s.headerSize != 12)
            h.append('\0');
    }
    h.append(s.gap);
    QByteArray f("BM");
    const uint32_t offset = s.offset >= 0 ? uint32_t(s.offset) : uint32_t(14 + h.size());
    Put32(f, uint32_t(14 + h.size() + s.pixels.size()));
    Put32(f, 0);
    Put32(f, offset);
    return f + h + s.pixels;
}

// Rows as stored: each padded with zeros to a multiple of 4 bytes.
inline QByteArray PadRows(const QList<QByteArray>& rows)
{
    QByteArray out;
    for (QByteArray r : rows) {
        while (r.size() % 4)
            r.append('\0');
        out.append(r);
    }
    return out;
}

inline QByteArray Bytes(std::initializer_list<int> v)
{
    QByteArray b;
    for (int x : v)
        b.append(char(x & 0xff));
    return b;
}
