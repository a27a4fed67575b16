// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A HEIF grid image made of one small HEIF file's coded picture repeated as every tile: the
// file heif-enc writes (a single picture) gives its decoder set-up and its data, and the grid
// names that data `columns` x `rows` times. Header-only, for tests.
#include <cstdint>
#include <QByteArray>

namespace heifgrid {

inline QByteArray Be(uint64_t v, int bytes)
{
    QByteArray out;
    for (int i = bytes - 1; i >= 0; --i)
        out += char(v >> (8 * i));
    return out;
}

inline QByteArray Box(const char* type, const QByteArray& payload)
{
    return Be(uint64_t(payload.size()) + 8, 4) + QByteArray(type, 4) + payload;
}

inline QByteArray FullBox(const char* type, int version, int flags, const QByteArray& payload)
{
    return Box(type, Be(uint64_t(version) << 24 | uint64_t(flags), 4) + payload);
}

inline uint64_t ReadBe(const QByteArray& b, qsizetype at, int bytes)
{
    uint64_t v = 0;
    for (int i = 0; i < bytes; ++i)
        v = v << 8 | uint8_t(b[at + i]);
    return v;
}

// The child box `type` of the box whose payload is [begin, end): its payload's bounds.
inline bool Find(const QByteArray& b, qsizetype begin, qsizetype end, const char* type, qsizetype& from, qsizetype& to)
{
    for (qsizetype at = begin; at + 8 <= end;) {
        const auto size = qsizetype(ReadBe(b, at, 4));
        if (size < 8 || at + size > end)
            return false;
        if (b.mid(at + 4, 4) == type) {
            from = at + 8;
            to = at + size;
            return true;
        }
        at += size;
    }
    return false;
}

// Empty when `single` is not the kind of file heif-enc writes.
inline QByteArray Grid(const QByteArray& single, int columns, int rows, int tileSide)
{
    qsizetype mb = 0, me = 0, pb = 0, pe = 0, cb = 0, ce = 0, lb = 0, le = 0;
    if (!Find(single, 0, single.size(), "meta", mb, me) || !Find(single, mb + 4, me, "iprp", pb, pe) ||
        !Find(single, pb, pe, "ipco", cb, ce) || !Find(single, mb + 4, me, "iloc", lb, le))
        return QByteArray();
    qsizetype hb = 0, he = 0;
    if (!Find(single, cb, ce, "hvcC", hb, he))
        return QByteArray();
    const QByteArray hvcC = single.mid(hb - 8, he - hb + 8);
    // The first item's first extent in the location box (offset and length sizes as given).
    const int version = uint8_t(single[lb]);
    qsizetype at = lb + 4;
    const int offsetSize = uint8_t(single[at]) >> 4, lengthSize = uint8_t(single[at]) & 15;
    const int baseSize = uint8_t(single[at + 1]) >> 4, indexSize = uint8_t(single[at + 1]) & 15;
    at += 4 + 2 + (version >= 1 ? 2 : 0) + 2;
    const uint64_t base = ReadBe(single, at, baseSize);
    at += baseSize + 2 + (version >= 1 ? indexSize : 0);
    const uint64_t offset = base + ReadBe(single, at, offsetSize);
    const QByteArray tile = single.mid(qsizetype(offset), qsizetype(ReadBe(single, at + offsetSize, lengthSize)));

    const int n = columns * rows;
    const QByteArray ftyp = Box("ftyp", QByteArray("heic\0\0\0\0mif1heic", 16));
    const QByteArray hdlr = FullBox("hdlr", 0, 0, QByteArray(4, '\0') + "pict" + QByteArray(13, '\0'));
    const QByteArray pitm = FullBox("pitm", 0, 0, Be(1, 2));
    QByteArray infe = FullBox("infe", 2, 0, Be(1, 2) + Be(0, 2) + "grid" + QByteArray(1, '\0'));
    QByteArray dimg = Be(1, 2) + Be(uint64_t(n), 2);
    QByteArray ipma = Be(uint64_t(n) + 1, 4) + Be(1, 2) + Be(1, 1) + Be(3, 1); // the grid: its size
    for (int i = 0; i < n; ++i) {
        infe += FullBox("infe", 2, 1, Be(uint64_t(i) + 2, 2) + Be(0, 2) + "hvc1" + QByteArray(1, '\0'));
        dimg += Be(uint64_t(i) + 2, 2);
        ipma += Be(uint64_t(i) + 2, 2) + Be(2, 1) + Be(0x81, 1) + Be(2, 1); // decoder set-up, tile size
    }
    const QByteArray descriptor = Be(0, 2) + Be(uint64_t(rows) - 1, 1) + Be(uint64_t(columns) - 1, 1) +
        Be(uint64_t(columns) * uint64_t(tileSide), 2) + Be(uint64_t(rows) * uint64_t(tileSide), 2);
    const auto meta = [&](uint64_t dataAt) {
        QByteArray iloc = Be(0x44, 1) + Be(0, 1) + Be(uint64_t(n) + 1, 2);
        iloc += Be(1, 2) + Be(1, 2) + Be(0, 2) + Be(1, 2) + Be(0, 4) + Be(uint64_t(descriptor.size()), 4);
        for (int i = 0; i < n; ++i)
            iloc +=
                Be(uint64_t(i) + 2, 2) + Be(0, 2) + Be(0, 2) + Be(1, 2) + Be(dataAt, 4) + Be(uint64_t(tile.size()), 4);
        const QByteArray ipco = Box(
            "ipco",
            hvcC + FullBox("ispe", 0, 0, Be(uint64_t(tileSide), 4) + Be(uint64_t(tileSide), 4)) +
                FullBox("ispe", 0, 0,
                        Be(uint64_t(columns) * uint64_t(tileSide), 4) + Be(uint64_t(rows) * uint64_t(tileSide), 4)));
        return FullBox("meta", 0, 0,
                       hdlr + pitm + FullBox("iloc", 1, 0, iloc) +
                           FullBox("iinf", 0, 0, Be(uint64_t(n) + 1, 2) + infe) +
                           FullBox("iref", 0, 0, Box("dimg", dimg)) + Box("idat", descriptor) +
                           Box("iprp", ipco + FullBox("ipma", 0, 0, ipma)));
    };
    const uint64_t dataAt = uint64_t(ftyp.size() + meta(0).size() + 8);
    return ftyp + meta(dataAt) + Box("mdat", tile);
}

} // namespace heifgrid
