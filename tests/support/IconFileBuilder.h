// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Icon files made byte by byte for the tests: the header, the directory and each picture as a
// device-independent bitmap with its mask, or as PNG.
#include <algorithm>
#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QList>

namespace {

inline void Put16(QByteArray& b, int v)
{
    b.append(char(v & 0xff)).append(char((v >> 8) & 0xff));
}
inline void Put32(QByteArray& b, int64_t v)
{
    Put16(b, int(v & 0xffff));
    Put16(b, int((v >> 16) & 0xffff));
}
inline void Set32(QByteArray& b, int at, int64_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((v >> (8 * i)) & 0xff);
}

struct Entry {
    int width = 32, height = 32, colorCount = 0, bitCount = 32;
    QByteArray data;
};

// The header, the directory and the images one after another. `count` overrides the
// image count of the header (for truncated directories).
inline QByteArray IconFileBytes(const QList<Entry>& entries, int type = 1, int count = -1)
{
    QByteArray b;
    Put16(b, 0);
    Put16(b, type);
    Put16(b, count < 0 ? int(entries.size()) : count);
    int64_t offset = 6 + 16 * entries.size();
    for (const Entry& e : entries) {
        b.append(char(e.width & 0xff)).append(char(e.height & 0xff)).append(char(e.colorCount)).append('\0');
        Put16(b, 1);
        Put16(b, e.bitCount);
        Put32(b, e.data.size());
        Put32(b, offset);
        offset += e.data.size();
    }
    for (const Entry& e : entries)
        b += e.data;
    return b;
}

// A device-independent bitmap of `image` (alpha 0 = masked) in the given depth; indexed
// depths use `palette`, which must hold every opaque colour of the image.
inline QByteArray DibBytes(const QImage& image, int bitCount, const QList<QRgb>& palette = {}, bool alphaBytes = true)
{
    const int w = image.width(), h = image.height();
    QByteArray b;
    Put32(b, 40);
    Put32(b, w);
    Put32(b, 2 * h);
    Put16(b, 1);
    Put16(b, bitCount);
    for (int i = 0; i < 6; ++i)
        Put32(b, 0); // compression, image size, resolutions, colours used and important
    if (bitCount <= 8)
        for (int i = 0; i < (1 << bitCount); ++i) {
            const QRgb c = i < palette.size() ? palette[i] : 0;
            b.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c))).append('\0');
        }
    const int xorStride = (w * bitCount + 31) / 32 * 4;
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(xorStride, '\0');
        for (int x = 0; x < w; ++x) {
            const QRgb c = image.pixel(x, y);
            const int index = std::max<int>(0, int(palette.indexOf(c | 0xff000000u)));
            switch (bitCount) {
            case 1: row[x / 8] = char(row[x / 8] | (index << (7 - x % 8))); break;
            case 4: row[x / 2] = char(row[x / 2] | (index << (x % 2 ? 0 : 4))); break;
            case 8: row[x] = char(index); break;
            case 16: {
                const int v = ((qRed(c) >> 3) << 10) | ((qGreen(c) >> 3) << 5) | (qBlue(c) >> 3);
                row[2 * x] = char(v & 0xff);
                row[2 * x + 1] = char(v >> 8);
                break;
            }
            case 24:
                row[3 * x] = char(qBlue(c));
                row[3 * x + 1] = char(qGreen(c));
                row[3 * x + 2] = char(qRed(c));
                break;
            default:
                row[4 * x] = char(qBlue(c));
                row[4 * x + 1] = char(qGreen(c));
                row[4 * x + 2] = char(qRed(c));
                row[4 * x + 3] = char(alphaBytes ? qAlpha(c) : 0);
            }
        }
        b += row;
    }
    const int andStride = (w + 31) / 32 * 4;
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(andStride, '\0');
        for (int x = 0; x < w; ++x)
            if (qAlpha(image.pixel(x, y)) == 0)
                row[x / 8] = char(row[x / 8] | (1 << (7 - x % 8)));
        b += row;
    }
    return b;
}

inline QByteArray PngBytes(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace
