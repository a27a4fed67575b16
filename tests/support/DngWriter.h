// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A small DNG writer for tests and the benchmark: the first directory holds a JPEG preview,
// the camera's tags and an orientation; a sub-directory the 16-bit RGGB mosaic of a picture (no
// compression); an EXIF directory the shot's tags, as cameras write theirs.
#include <array>
#include <QByteArray>
#include <QImage>
#include <QList>

namespace dng {

struct Shot {
    QByteArray make = "Lumicam", model = "Model 1";
    int orientation = 1;
    QList<quint32> exposure {1, 125}, fNumber {8, 1}, focal {50, 1};
    quint16 iso = 200;
};

namespace detail {

inline void Put(QByteArray& b, quint32 v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        b.append(char(v >> (8 * i)));
}

// Types: 1 byte, 2 text, 3 short, 4 long, 5 rational, 10 signed rational (numbers in pairs).
struct Entry {
    quint16 tag, type;
    QList<quint32> numbers;
    QByteArray text = {};
};

// A directory written at `at`: its entries, no next one, then the values too long for an entry.
inline QByteArray Directory(const QList<Entry>& entries, quint32 at)
{
    QByteArray out, values;
    const quint32 valuesAt = at + 6 + quint32(entries.size()) * 12;
    Put(out, quint32(entries.size()), 2);
    for (const Entry& e : entries) {
        QByteArray value = e.text;
        for (const quint32 n : e.numbers)
            Put(value, n, e.type == 1 ? 1 : e.type == 3 ? 2 : 4);
        const qsizetype count = e.type == 2 ? value.size() : e.type >= 5 ? e.numbers.size() / 2 : e.numbers.size();
        Put(out, e.tag, 2);
        Put(out, e.type, 2);
        Put(out, quint32(count), 4);
        if (value.size() <= 4) {
            out += value.leftJustified(4, '\0');
        } else {
            Put(out, valuesAt + quint32(values.size()), 4);
            values += value + QByteArray(value.size() % 2, '\0');
        }
    }
    Put(out, 0, 4);
    return out + values;
}

} // namespace detail

inline QByteArray Make(const QImage& picture, const QByteArray& previewJpeg, const Shot& shot = {})
{
    const quint32 w = quint32(picture.width()), h = quint32(picture.height());
    QByteArray mosaic;
    for (quint32 y = 0; y < h; ++y)
        for (quint32 x = 0; x < w; ++x) {
            const QRgb c = picture.pixel(int(x), int(y));
            const int v = y % 2 == 0 ? (x % 2 == 0 ? qRed(c) : qGreen(c)) : (x % 2 == 0 ? qGreen(c) : qBlue(c));
            detail::Put(mosaic, quint32(v * 257), 2);
        }
    const QImage preview = QImage::fromData(previewJpeg, "JPEG");
    const quint32 pw = quint32(preview.width()), ph = quint32(preview.height());
    // The directories for the places of the raw one, the EXIF one, the preview and the mosaic.
    const auto layout = [&](quint32 rawAt, quint32 exifAt, quint32 previewAt, quint32 mosaicAt) {
        const QList<detail::Entry> main {
            {254, 4, {1}},
            {256, 4, {pw}},
            {257, 4, {ph}},
            {258, 3, {8, 8, 8}},
            {259, 3, {7}},
            {262, 3, {6}},
            {271, 2, {}, shot.make + '\0'},
            {272, 2, {}, shot.model + '\0'},
            {273, 4, {previewAt}},
            {274, 3, {quint32(shot.orientation)}},
            {277, 3, {3}},
            {278, 4, {ph}},
            {279, 4, {quint32(previewJpeg.size())}},
            {330, 4, {rawAt}},
            {34665, 4, {exifAt}},
            {50706, 1, {1, 4, 0, 0}},
            {50708, 2, {}, shot.make + ' ' + shot.model + '\0'},
            // sRGB's own matrix (XYZ to camera), a neutral white, D65.
            {50721,
             10,
             {32406, 10000, quint32(-15372), 10000, quint32(-4986), 10000, quint32(-9689), 10000, 18758, 10000, 415,
              10000, 557, 10000, quint32(-2040), 10000, 10570, 10000}},
            {50728, 5, {1, 1, 1, 1, 1, 1}},
            {50778, 3, {21}}};
        const QList<detail::Entry> raw {{254, 4, {0}},
                                        {256, 4, {w}},
                                        {257, 4, {h}},
                                        {258, 3, {16}},
                                        {259, 3, {1}},
                                        {262, 3, {32803}},
                                        {273, 4, {mosaicAt}},
                                        {277, 3, {1}},
                                        {278, 4, {h}},
                                        {279, 4, {quint32(mosaic.size())}},
                                        {284, 3, {1}},
                                        {33421, 3, {2, 2}},
                                        {33422, 1, {0, 1, 1, 2}},
                                        {50717, 4, {65535}}};
        const QList<detail::Entry> exif {
            {33434, 5, shot.exposure}, {33437, 5, shot.fNumber}, {34855, 3, {shot.iso}}, {37386, 5, shot.focal}};
        return std::array {detail::Directory(main, 8), detail::Directory(raw, rawAt), detail::Directory(exif, exifAt)};
    };
    // The sizes do not depend on the places: measured once, then written at theirs.
    const auto sized = layout(0, 0, 0, 0);
    const quint32 rawAt = 8 + quint32(sized[0].size()), exifAt = rawAt + quint32(sized[1].size());
    const quint32 previewAt = exifAt + quint32(sized[2].size());
    const auto d = layout(rawAt, exifAt, previewAt, previewAt + quint32(previewJpeg.size()));
    return QByteArray("II*\0\x08\0\0\0", 8) + d[0] + d[1] + d[2] + previewJpeg + mosaic;
}

} // namespace dng
