#pragma once
// A small DNG writer for tests: the first directory holds a JPEG preview, the camera's tags and
// an orientation; a sub-directory the 16-bit RGGB mosaic of a picture (no compression); the
// shot's tags an EXIF directory, as cameras write theirs.
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

class Writer {
public:
    QByteArray Make(const QImage& picture, const QByteArray& previewJpeg, const Shot& shot)
    {
        const int w = picture.width(), h = picture.height();
        QByteArray mosaic;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const QRgb c = picture.pixel(x, y);
                const int v = (y % 2 == 0) ? (x % 2 == 0 ? qRed(c) : qGreen(c)) : (x % 2 == 0 ? qGreen(c) : qBlue(c));
                Put16(mosaic, quint16(v * 257));
            }
        // The first directory: the preview (a JPEG as a reduced image) and the camera's tags.
        const QImage preview = QImage::fromData(previewJpeg, "JPEG");
        Entry(254, 4, {1});
        Entry(256, 4, {quint32(preview.width())});
        Entry(257, 4, {quint32(preview.height())});
        Entry(258, 3, {8, 8, 8});
        Entry(259, 3, {7});
        Entry(262, 3, {6});
        Entry(271, 2, {}, shot.make + '\0');
        Entry(272, 2, {}, shot.model + '\0');
        Entry(273, 4, {0}, {}, &m_previewAt);
        Entry(274, 3, {quint32(shot.orientation)});
        Entry(277, 3, {3});
        Entry(278, 4, {quint32(preview.height())});
        Entry(279, 4, {quint32(previewJpeg.size())});
        Entry(330, 4, {0}, {}, &m_rawAt);
        Entry(34665, 4, {0}, {}, &m_exifAt);
        Entry(50706, 1, {1, 4, 0, 0}); // DNG 1.4
        Entry(50708, 2, {}, shot.make + ' ' + shot.model + '\0');
        // sRGB's own matrix (XYZ to camera), and a neutral white.
        Entry(50721, 10,
              {32406, 10000, quint32(-15372), 10000, quint32(-4986), 10000, quint32(-9689), 10000, 18758, 10000, 415,
               10000, 557, 10000, quint32(-2040), 10000, 10570, 10000});
        Entry(50728, 5, {1, 1, 1, 1, 1, 1});
        Entry(50778, 3, {21}); // D65
        QList<Item> main = std::move(m_items);
        // The raw image.
        Entry(254, 4, {0});
        Entry(256, 4, {quint32(w)});
        Entry(257, 4, {quint32(h)});
        Entry(258, 3, {16});
        Entry(259, 3, {1});
        Entry(262, 3, {32803}); // a colour filter array
        Entry(273, 4, {0}, {}, &m_mosaicAt);
        Entry(277, 3, {1});
        Entry(278, 4, {quint32(h)});
        Entry(279, 4, {quint32(mosaic.size())});
        Entry(284, 3, {1});
        Entry(33421, 3, {2, 2});
        Entry(33422, 1, {0, 1, 1, 2}); // red, green / green, blue
        Entry(50717, 4, {65535});
        QList<Item> raw = std::move(m_items);
        // The shot.
        Entry(33434, 5, shot.exposure);
        Entry(33437, 5, shot.fNumber);
        Entry(34855, 3, {shot.iso});
        Entry(37386, 5, shot.focal);
        QList<Item> exif = std::move(m_items);
        // Header, the three directories with their values, the preview, the mosaic.
        const quint32 rawAt = 8 + quint32(Directory(main, 8).size());
        const quint32 exifAt = rawAt + quint32(Directory(raw, rawAt).size());
        const quint32 previewAt = exifAt + quint32(Directory(exif, exifAt).size());
        const quint32 mosaicAt = previewAt + quint32(previewJpeg.size());
        for (QList<Item>* list : {&main, &raw})
            for (Item& item : *list) {
                if (item.patchFor == &m_previewAt)
                    item.value = Word(previewAt);
                else if (item.patchFor == &m_mosaicAt)
                    item.value = Word(mosaicAt);
                else if (item.patchFor == &m_exifAt)
                    item.value = Word(exifAt);
                else if (item.patchFor == &m_rawAt)
                    item.value = Word(rawAt);
            }
        QByteArray out("II*\0", 4);
        Put32(out, 8);
        return out + Directory(main, 8) + Directory(raw, rawAt) + Directory(exif, exifAt) + previewJpeg + mosaic;
    }

private:
    struct Item {
        quint16 tag, type;
        quint32 count;
        QByteArray value;
        quint32* patchFor = nullptr; // an offset filled in once the layout is known
    };

    static void Put16(QByteArray& b, quint16 v) { b.append(char(v & 255)).append(char(v >> 8)); }
    static void Put32(QByteArray& b, quint32 v)
    {
        Put16(b, quint16(v & 0xffff));
        Put16(b, quint16(v >> 16));
    }

    // Type 1 byte, 2 text, 3 short, 4 long, 5 rational (pairs), 10 signed rational.
    void Entry(quint16 tag, quint16 type, const QList<quint32>& numbers, const QByteArray& text = {},
               quint32* patchFor = nullptr)
    {
        Item item {tag, type, 0, {}, patchFor};
        if (type == 2) {
            item.value = text;
            item.count = quint32(text.size());
        } else {
            for (const quint32 n : numbers) {
                if (type == 1)
                    item.value.append(char(n));
                else if (type == 3)
                    Put16(item.value, quint16(n));
                else
                    Put32(item.value, n);
            }
            item.count = quint32(type == 5 || type == 10 ? numbers.size() / 2 : numbers.size());
        }
        m_items << item;
    }

    // A directory written at `at`: its entries, no next directory, then the values that do not
    // fit an entry.
    static QByteArray Directory(const QList<Item>& items, quint32 at)
    {
        QByteArray out, values;
        const quint32 valuesAt = at + 2 + quint32(items.size()) * 12 + 4;
        Put16(out, quint16(items.size()));
        for (const Item& item : items) {
            Put16(out, item.tag);
            Put16(out, item.type);
            Put32(out, item.count);
            if (item.value.size() <= 4) {
                out.append(item.value.leftJustified(4, '\0'));
            } else {
                Put32(out, valuesAt + quint32(values.size()));
                values.append(item.value);
                if (values.size() % 2)
                    values.append('\0');
            }
        }
        Put32(out, 0);
        return out + values;
    }

    static QByteArray Word(quint32 v)
    {
        QByteArray b;
        Put32(b, v);
        return b;
    }

    QList<Item> m_items;
    quint32 m_previewAt = 0, m_mosaicAt = 0, m_exifAt = 0, m_rawAt = 0; // only their addresses are used
};

} // namespace dng
