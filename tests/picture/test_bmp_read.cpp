// SPDX-License-Identifier: GPL-3.0-or-later
// Reading Windows bitmap files: every depth and header, colour tables, masks, hostile
// headers, truncation and run-length-encoded data.
#include <limits>
#include <QColorSpace>
#include <QColorTransform>
#include <QTest>
#include "BmpFileBuilder.h"
#include "picture/Bitmap.h"
#include "picture/BmpCodec.h"
#include "picture/Failure.h"
#include "picture/ScreenFacts.h"

namespace {
using Pixels = QList<uint>;

Pixels PixelsOf(const DibImage& dib)
{
    Pixels out;
    for (int y = 0; y < dib.height; ++y)
        for (int x = 0; x < dib.width; ++x)
            out << (dib.PixelRgb(x, y) & 0xFFFFFF);
    return out;
}

QString ReadError(const QByteArray& bytes)
{
    try {
        BmpRead(bytes);
    } catch (const Failure& f) {
        return f.Text();
    }
    return {};
}

bool KnownFailure(const QString& text)
{
    return text == QLatin1String(kBitmapInvalid) || text == QLatin1String(kOutOfResources);
}

BmpBuild Make(int bits, int w, int h, const QByteArray& pixels, std::vector<uint32_t> table = {})
{
    BmpBuild b;
    b.bitCount = uint16_t(bits);
    b.width = w;
    b.height = h;
    b.pixels = pixels;
    b.table = std::move(table);
    b.colorsUsed = uint32_t(b.table.size());
    return b;
}

BmpBuild WithMasks(BmpBuild b, uint32_t r, uint32_t g, uint32_t bl, uint32_t headerSize = 40)
{
    b.compression = 3;
    b.masks = {r, g, bl};
    b.headerSize = headerSize;
    return b;
}

// A well-formed run-length-encoded 8-bit file of 6x3 pixels (see rle8Decoding).
BmpBuild Rle8Sample()
{
    BmpBuild b = Make(8, 6, 3, Bytes({3,  1, 0, 3, 2, 3, 2, 0, 0, 0, // row 0 (bottom)
                                      0,  2, 2, 0, 2, 4, 0, 0,       // row 1: move right 2, two 4s
                                      10, 5, 0, 1}),                 // row 2: run clipped, end
                      {0x808080, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFFFFFF});
    b.compression = 1;
    b.sizeImage = uint32_t(b.pixels.size());
    return b;
}

std::vector<uint32_t> GreyTable(int n)
{
    std::vector<uint32_t> t;
    for (int i = 0; i < n; ++i)
        t.push_back(uint32_t(i * 0x010101));
    return t;
}
}

class TestBmpRead : public QObject {
    Q_OBJECT
private slots:
    void init() { SetScreenFacts(ScreenFacts {}); }

    void pixelsOfEachForm_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<Pixels>("expected"); // top row first
        QTest::addColumn<QString>("format");

        QTest::newRow("1-bit") << BuildBmp(Make(1, 3, 2, PadRows({Bytes({0x60}), Bytes({0xA0})}), {0x112233, 0xAABBCC}))
                               << Pixels {0xAABBCC, 0x112233, 0xAABBCC, 0x112233, 0xAABBCC, 0xAABBCC} << "1-bit";
        QTest::newRow("4-bit, index beyond table")
            << BuildBmp(
                   Make(4, 3, 2, PadRows({Bytes({0x11, 0x20}), Bytes({0x27, 0x00})}), {0x101010, 0x202020, 0x303030}))
            << Pixels {0x303030, 0x000000, 0x101010, 0x202020, 0x202020, 0x303030} << "4-bit";
        QTest::newRow("8-bit, index beyond table")
            << BuildBmp(Make(8, 3, 2, PadRows({Bytes({2, 2, 200}), Bytes({3, 0, 1})}),
                             {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF}))
            << Pixels {0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0x0000FF, 0x000000} << "8-bit";
        QTest::newRow("16-bit without masks is 5-5-5")
            << BuildBmp(
                   Make(16, 3, 2,
                        PadRows({Bytes({0x21, 0x04, 0xFF, 0x7F, 0, 0}), Bytes({0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00})})))
            << Pixels {0xFF0000, 0x00FF00, 0x0000FF, 0x080808, 0xFFFFFF, 0x000000} << "15-bit";
        QTest::newRow("16-bit 5-6-5 masks after the header")
            << BuildBmp(WithMasks(Make(16, 3, 2,
                                       PadRows({Bytes({0x41, 0x08, 0xFF, 0xFF, 0x10, 0x84}),
                                                Bytes({0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00})})),
                                  0xF800, 0x07E0, 0x001F))
            << Pixels {0xFF0000, 0x00FF00, 0x0000FF, 0x080808, 0xFFFFFF, 0x848284} << "16-bit";
        QTest::newRow("16-bit 5-6-5 masks inside a 108-byte header")
            << BuildBmp(WithMasks(Make(16, 3, 2,
                                       PadRows({Bytes({0x41, 0x08, 0xFF, 0xFF, 0x10, 0x84}),
                                                Bytes({0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00})})),
                                  0xF800, 0x07E0, 0x001F, 108))
            << Pixels {0xFF0000, 0x00FF00, 0x0000FF, 0x080808, 0xFFFFFF, 0x848284} << "16-bit";
        QTest::newRow("16-bit 2-3-1 masks widen by repeating bits")
            << BuildBmp(WithMasks(
                   Make(16, 3, 2, PadRows({Bytes({0x01, 0, 0x0E, 0, 0x3F, 0}), Bytes({0x30, 0, 0x10, 0, 0x04, 0})})),
                   0x0030, 0x000E, 0x0001))
            << Pixels {0xFF0000, 0x550000, 0x004900, 0x0000FF, 0x00FF00, 0xFFFFFF} << "Custom";
        QTest::newRow("16-bit, green 0x07E0 with red and blue swapped")
            << BuildBmp(WithMasks(Make(16, 2, 1, PadRows({Bytes({0x1F, 0x00, 0x00, 0xF8})})), 0x001F, 0x07E0, 0xF800))
            << Pixels {0xFF0000, 0x0000FF} << "16-bit";
        QTest::newRow("16-bit, overlapping masks")
            << BuildBmp(WithMasks(Make(16, 2, 1, PadRows({Bytes({0x00, 0x80, 0xFF, 0xFF})})), 0xFFFF, 0xFFFF, 0xFFFF))
            << Pixels {0x808080, 0xFFFFFF} << "Custom";
        QTest::newRow("16-bit, masks beyond 16 bits")
            << BuildBmp(WithMasks(Make(16, 1, 1, PadRows({Bytes({0xFF, 0xFF})})), 0xFF000000, 0x00FF0000, 0x001F))
            << Pixels {0x0000FF} << "Custom";
        QTest::newRow("24-bit") << BuildBmp(Make(24, 3, 2,
                                                 PadRows({Bytes({0, 0, 0xFF, 0, 0xFF, 0, 0xFF, 0, 0}),
                                                          Bytes({1, 2, 3, 0x10, 0x20, 0x30, 0xFF, 0xFF, 0xFF})})))
                                << Pixels {0x030201, 0x302010, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF} << "24-bit";
        QTest::newRow("32-bit ignores its fourth byte")
            << BuildBmp(Make(32, 3, 2,
                             PadRows({Bytes({0, 0, 0xFF, 0xAB, 0, 0xFF, 0, 0x01, 0xFF, 0, 0, 0xFF}),
                                      Bytes({1, 2, 3, 0xAB, 4, 5, 6, 0, 7, 8, 9, 0x80})})))
            << Pixels {0x030201, 0x060504, 0x090807, 0xFF0000, 0x00FF00, 0x0000FF} << "32-bit";
        QTest::newRow("32-bit 10-10-10 masks narrow to 8 bits")
            << BuildBmp(WithMasks(Make(32, 3, 2,
                                       PadRows({Bytes({0xFF, 0xFF, 0xFF, 0x3F, 0, 0, 0, 0, 0, 0, 0x40, 0}),
                                                Bytes({0, 0, 0xF0, 0x3F, 0, 0, 0x08, 0, 0xFF, 0x03, 0, 0})})),
                                  0x3FF00000, 0x000FFC00, 0x000003FF))
            << Pixels {0xFF0000, 0x008000, 0x0000FF, 0xFFFFFF, 0x000000, 0x010000} << "Custom";
        QTest::newRow("32-bit swapped masks inside a 124-byte header")
            << BuildBmp(WithMasks(Make(32, 2, 1, Bytes({0x11, 0x22, 0x33, 0, 0xFF, 0, 0, 0})), 0x000000FF, 0x0000FF00,
                                  0x00FF0000, 124))
            << Pixels {0x112233, 0xFF0000} << "Custom";
        BmpBuild core = Make(8, 3, 2, PadRows({Bytes({1, 2, 3}), Bytes({0, 128, 255})}));
        core.headerSize = 12;
        for (uint32_t i = 0; i < 256; ++i)
            core.table.push_back(i << 16 | (255 - i) << 8 | i / 2);
        QTest::newRow("core header, 3-byte colours")
            << BuildBmp(core) << Pixels {0x00FF00, 0x807F40, 0xFF007F, 0x01FE00, 0x02FD01, 0x03FC01} << "8-bit";
        BmpBuild topDown =
            Make(8, 3, 2, PadRows({Bytes({0, 1, 2}), Bytes({3, 3, 3})}), {0xFF0000, 0x00FF00, 0x0000FF, 0x123456});
        topDown.height = -2;
        QTest::newRow("top-down rows") << BuildBmp(topDown)
                                       << Pixels {0xFF0000, 0x00FF00, 0x0000FF, 0x123456, 0x123456, 0x123456}
                                       << "8-bit";
        BmpBuild gap = Make(8, 2, 1, PadRows({Bytes({1, 0})}), {0xFF0000, 0x00FF00});
        gap.gap = QByteArray(7, char(1));
        QTest::newRow("pixel offset past a gap") << BuildBmp(gap) << Pixels {0x00FF00, 0xFF0000} << "8-bit";
    }
    void pixelsOfEachForm()
    {
        QFETCH(QByteArray, file);
        QFETCH(Pixels, expected);
        QFETCH(QString, format);
        const auto dib = BmpRead(file);
        QCOMPARE(PixelsOf(*dib), expected);
        QCOMPARE(PixelFormatName(dib->Format()), format);
        QVERIFY(!dib->device);
    }

    void headerFacts()
    {
        BmpBuild core = Make(4, 2, 2, PadRows({Bytes({0x01}), Bytes({0x10})}), GreyTable(16));
        core.headerSize = 12;
        auto dib = BmpRead(BuildBmp(core));
        QVERIFY(dib->coreHeader);
        QVERIFY(!dib->topDown);
        QCOMPARE(int(dib->colors.size()), 16);
        QCOMPARE(dib->colors[15].red, uint8_t(15));

        BmpBuild td = Make(24, 1, 2, PadRows({Bytes({1, 2, 3}), Bytes({4, 5, 6})}));
        td.height = -2;
        dib = BmpRead(BuildBmp(td));
        QVERIFY(dib->topDown);
        QCOMPARE(dib->height, 2);
        QVERIFY(!dib->coreHeader);
        QCOMPARE(dib->xPelsPerMeter, 2835);

        dib = BmpRead(BuildBmp(WithMasks(Make(16, 1, 1, PadRows({Bytes({0, 0})})), 0xF800, 0x07E0, 0x001F)));
        QVERIFY(dib->hasMasks);
        QCOMPARE(dib->redMask, 0xF800u);
        QCOMPARE(dib->greenMask, 0x07E0u);
        QCOMPARE(dib->blueMask, 0x001Fu);
    }

    void refused_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("text");
        const QString invalid = kBitmapInvalid, resources = kOutOfResources;
        const BmpBuild ok = Make(24, 2, 2, PadRows({Bytes({0, 0, 0, 0, 0, 0}), Bytes({0, 0, 0, 0, 0, 0})}));
        auto with = [&](auto change) {
            BmpBuild b = ok;
            change(b);
            return BuildBmp(b);
        };
        QTest::newRow("empty") << QByteArray() << invalid;
        QTest::newRow("file header only") << BuildBmp(ok).left(14) << invalid;
        QByteArray ba = BuildBmp(ok);
        ba[1] = 'A';
        QTest::newRow("no BM") << ba << invalid;
        QTest::newRow("planes 0") << with([](BmpBuild& b) { b.planes = 0; }) << invalid;
        QTest::newRow("planes 2") << with([](BmpBuild& b) { b.planes = 2; }) << invalid;
        QTest::newRow("0 bits") << with([](BmpBuild& b) { b.bitCount = 0; }) << invalid;
        QTest::newRow("3 bits") << with([](BmpBuild& b) { b.bitCount = 3; }) << invalid;
        QTest::newRow("64 bits") << with([](BmpBuild& b) { b.bitCount = 64; }) << invalid;
        QTest::newRow("JPEG inside") << with([](BmpBuild& b) { b.compression = 4; }) << invalid;
        QTest::newRow("PNG inside") << with([](BmpBuild& b) { b.compression = 5; }) << invalid;
        QTest::newRow("compression 1000") << with([](BmpBuild& b) { b.compression = 1000; }) << invalid;
        QTest::newRow("RLE8 on 24 bits") << with([](BmpBuild& b) { b.compression = 1; }) << invalid;
        QTest::newRow("RLE4 on 8 bits") << with([](BmpBuild& b) {
            b.compression = 2;
            b.bitCount = 8;
        }) << invalid;
        QTest::newRow("bit fields on 24 bits") << with([](BmpBuild& b) {
            b.compression = 3;
            b.masks = {0xFF0000, 0xFF00, 0xFF};
        }) << invalid;
        QTest::newRow("all masks zero") << with([](BmpBuild& b) {
            b.bitCount = 16;
            b.compression = 3;
            b.masks = {0, 0, 0};
        }) << invalid;
        QTest::newRow("header size 20") << with([](BmpBuild& b) { b.headerSize = 20; }) << invalid;
        QTest::newRow("header size 0") << with([](BmpBuild& b) { b.headerSize = 0; }) << invalid;
        QByteArray huge = BuildBmp(ok);
        bmptest::Set32(huge, 14, 0xFFFFFFF0u);
        QTest::newRow("header larger than the file") << huge << invalid;
        QTest::newRow("negative width") << with([](BmpBuild& b) { b.width = -2; }) << invalid;
        QTest::newRow("height of -2^31") << with([](BmpBuild& b) { b.height = std::numeric_limits<int32_t>::min(); })
                                         << invalid;
        QTest::newRow("width 70000") << with([](BmpBuild& b) { b.width = 70000; }) << resources;
        QTest::newRow("height -70000") << with([](BmpBuild& b) { b.height = -70000; }) << resources;
        QTest::newRow("w*h*bits beyond 32 bits") << with([](BmpBuild& b) {
            b.width = 65535;
            b.height = 65535;
            b.bitCount = 32;
        }) << resources;
        QTest::newRow("w*h*bits wraps to a small number") << with([](BmpBuild& b) {
            b.width = 65536 - 1;
            b.height = 32769;
            b.bitCount = 16;
        }) << resources;
        QTest::newRow("RLE8 device form too large") << with([](BmpBuild& b) {
            b.width = 30000;
            b.height = 30000;
            b.bitCount = 8;
            b.compression = 1;
        }) << resources;
    }
    void refused()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, text);
        QCOMPARE(ReadError(file), text);
    }

    void failedLoadKeepsTheBitmap()
    {
        TBitmap bitmap;
        bitmap.LoadFromBytes(BuildBmp(Make(24, 1, 1, PadRows({Bytes({1, 2, 3})}))));
        const auto before = bitmap.SharedDib();
        int changes = 0;
        bitmap.OnChange = [&] { ++changes; };
        QVERIFY_THROWS_EXCEPTION(Failure, bitmap.LoadFromBytes("BM nonsense"));
        QCOMPARE(bitmap.SharedDib(), before);
        QCOMPARE(changes, 0);
    }

    void colorsUsed_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("entries");
        QTest::addColumn<uint>("firstPixel");
        BmpBuild b = Make(8, 1, 1, PadRows({Bytes({255})}), GreyTable(256));
        b.colorsUsed = 0;
        QTest::newRow("0 on 8 bits: 256") << BuildBmp(b) << 256 << 0xFFFFFFu;
        b = Make(4, 1, 1, PadRows({Bytes({0x20})}), {0x0000FF, 0x00FF00, 0xFF0000});
        QTest::newRow("3 on 4 bits") << BuildBmp(b) << 3 << 0xFF0000u;
        b = Make(8, 1, 1, PadRows({Bytes({1})}), GreyTable(256));
        b.colorsUsed = 0x7FFFFFFF;
        QTest::newRow("millions on 8 bits, sane offset") << BuildBmp(b) << 256 << 0x010101u;
        b = Make(24, 1, 1, PadRows({Bytes({1, 2, 3})}), GreyTable(300));
        b.colorsUsed = 10000000;
        QTest::newRow("millions on 24 bits, sane offset") << BuildBmp(b) << 256 << 0x030201u;
        b = Make(24, 1, 1, PadRows({Bytes({1, 2, 3})}), GreyTable(5));
        QTest::newRow("5 on 24 bits are kept") << BuildBmp(b) << 5 << 0x030201u;
        b = Make(24, 1, 1, PadRows({Bytes({1, 2, 3})}));
        QTest::newRow("0 on 24 bits: none") << BuildBmp(b) << 0 << 0x030201u;
        b = Make(8, 1, 1, PadRows({Bytes({1})}), {0x111111, 0x222222});
        b.headerSize = 12;
        QTest::newRow("core header: the offset cuts the implied table") << BuildBmp(b) << 2 << 0x222222u;
    }
    void colorsUsed()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, entries);
        QFETCH(uint, firstPixel);
        const auto dib = BmpRead(file);
        QCOMPARE(int(dib->colors.size()), entries);
        QCOMPARE(dib->PixelRgb(0, 0) & 0xFFFFFF, firstPixel);
    }

    void millionsOfColorsWithoutOffset()
    {
        // The pixels would start far beyond the end: the image loads empty or fails, never more.
        BmpBuild b = Make(8, 4, 4, QByteArray(16, char(1)), GreyTable(4));
        b.colorsUsed = 0xFFFFFFFF;
        b.offset = 0;
        const QByteArray file = BuildBmp(b);
        try {
            const auto dib = BmpRead(file);
            QVERIFY(dib->colors.size() <= 256);
            for (uint8_t v : dib->bits)
                QCOMPARE(v, uint8_t(0));
        } catch (const Failure& f) {
            QVERIFY(KnownFailure(f.Text()));
        }
    }

    void truncatedAtEveryLength_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<bool>("rle");
        QByteArray rows;
        for (int i = 0; i < 5 * 8; ++i)
            rows.append(char(i * 7 + 1));
        QTest::newRow("8-bit") << BuildBmp(Make(8, 5, 5, rows, GreyTable(256))) << false;
        BmpBuild core = Make(4, 7, 5, rows.left(20), GreyTable(16));
        core.headerSize = 12;
        QTest::newRow("core 4-bit") << BuildBmp(core) << false;
        QTest::newRow("16-bit bit fields")
            << BuildBmp(WithMasks(Make(16, 3, 5, rows, {}), 0xF800, 0x07E0, 0x001F)) << false;
        BmpBuild td = Make(24, 3, -3, rows.left(36));
        QTest::newRow("24-bit top-down") << BuildBmp(td) << false;
        QTest::newRow("32-bit masks in a 124-byte header")
            << BuildBmp(WithMasks(Make(32, 2, 4, rows.left(32)), 0xFF0000, 0xFF00, 0xFF, 124)) << false;
        QTest::newRow("RLE8") << BuildBmp(Rle8Sample()) << true;
    }
    void truncatedAtEveryLength()
    {
        QFETCH(QByteArray, file);
        QFETCH(bool, rle);
        const auto full = BmpRead(file);
        const int pixelStart = int(bmptest::Get32(file, 10));
        for (int len = 0; len < file.size(); ++len) {
            const QByteArray cut(file.constData(), len);
            std::shared_ptr<DibImage> dib;
            try {
                dib = BmpRead(cut);
            } catch (const Failure& f) {
                QVERIFY2(KnownFailure(f.Text()), qPrintable(f.Text()));
                continue;
            }
            QCOMPARE(dib->width, full->width);
            QCOMPARE(dib->height, full->height);
            if (rle) {
                // A prefix of the data paints a subset of the pixels; the rest stay black.
                for (int y = 0; y < dib->height; ++y)
                    for (int x = 0; x < dib->width; ++x) {
                        const uint32_t p = dib->PixelRgb(x, y) & 0xFFFFFF;
                        QVERIFY(p == 0 || p == (full->PixelRgb(x, y) & 0xFFFFFF));
                    }
                continue;
            }
            // Stored bytes that the cut file still holds match; all others are zero.
            for (int i = 0; i < dib->height; ++i) {
                const int y = dib->topDown ? i : dib->height - 1 - i;
                for (int k = 0; k < dib->stride; ++k) {
                    const bool held = pixelStart + i * dib->stride + k < len;
                    const uint8_t want = held ? full->Row(y)[k] : 0;
                    if (dib->Row(y)[k] != want)
                        QFAIL(qPrintable(QStringLiteral("length %1: row %2 byte %3").arg(len).arg(y).arg(k)));
                }
            }
        }
    }

    // Files with random bytes changed load or fail with the reader's own texts; whatever
    // loads can be drawn and written, and what is written reads back.
    void mutatedFiles_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("RLE8") << BuildBmp(Rle8Sample());
        BmpBuild rle4 = Make(4, 5, 2, Bytes({5, 0x12, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0, 0, 1}), GreyTable(16));
        rle4.compression = 2;
        QTest::newRow("RLE4") << BuildBmp(rle4);
        BmpBuild core = Make(8, 3, 2, PadRows({Bytes({1, 2, 3}), Bytes({4, 5, 6})}), GreyTable(8));
        core.headerSize = 12;
        QTest::newRow("core") << BuildBmp(core);
        QTest::newRow("bit fields after the header")
            << BuildBmp(WithMasks(Make(16, 3, 2, QByteArray(16, char(0x5A))), 0xF800, 0x07E0, 0x001F));
        QTest::newRow("masks in a 124-byte header")
            << BuildBmp(WithMasks(Make(32, 2, 2, QByteArray(16, char(0x5A))), 0xFF0000, 0xFF00, 0xFF, 124));
    }
    void mutatedFiles()
    {
        QFETCH(QByteArray, file);
        uint32_t seed = 7;
        auto next = [&seed] {
            seed = seed * 1103515245u + 12345u;
            return seed >> 8;
        };
        for (int round = 0; round < 3000; ++round) {
            QByteArray m = file;
            const int changes = 1 + int(next() % 4);
            for (int i = 0; i < changes; ++i) {
                // Mostly the headers, where sizes and counts live.
                const int at = int(next() % uint32_t(next() % 3 ? std::min<int>(m.size(), 70) : m.size()));
                const uint32_t kind = next() % 4;
                m[at] = char(kind == 0 ? 0xFF : kind == 1 ? 0x00 : kind == 2 ? 0x80 : next() & 0xFF);
            }
            std::shared_ptr<DibImage> dib;
            try {
                dib = BmpRead(m);
            } catch (const Failure& f) {
                QVERIFY2(KnownFailure(f.Text()), qPrintable(f.Text()));
                continue;
            }
            if (int64_t(dib->width) * dib->height > 1024 * 1024)
                continue; // large but valid: drawing it here would only be slow
            DibToQImage(*dib);
            const auto again = BmpRead(BmpWrite(*dib, dib->colors));
            QCOMPARE(again->width, dib->width);
            QCOMPARE(again->height, dib->height);
        }
    }

    void rle8Decoding()
    {
        const auto dib = BmpRead(BuildBmp(Rle8Sample()));
        QVERIFY(dib->device);
        QCOMPARE(PixelFormatName(dib->Format()), QStringLiteral("Device"));
        // Skipped pixels are black; index 0 is grey, so the two cannot be confused.
        QCOMPARE(PixelsOf(*dib),
                 (Pixels {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0, 0, 0xFFFF00, 0xFFFF00, 0, 0,
                          0xFF0000, 0xFF0000, 0xFF0000, 0x00FF00, 0x0000FF, 0x00FF00}));
    }

    void rle4Decoding()
    {
        BmpBuild b = Make(4, 5, 2, Bytes({5, 0x12, 0, 0, 0, 5, 0x34, 0x56, 0x70, 0, 0, 1}), GreyTable(8));
        b.table[1] = 0xFF0000;
        b.table[2] = 0x0000FF;
        b.compression = 2;
        const auto dib = BmpRead(BuildBmp(b));
        QCOMPARE(PixelFormatName(dib->Format()), QStringLiteral("Device"));
        QCOMPARE(PixelsOf(*dib),
                 (Pixels {0x030303, 0x040404, 0x050505, 0x060606, 0x070707, 0xFF0000, 0x0000FF, 0xFF0000, 0x0000FF,
                          0xFF0000}));
    }

    // Runs and moves that leave the row or the image are clipped; nothing else changes.
    void rlePastBounds_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<Pixels>("expected"); // 3x2, top row first
        const uint R = 0xFF0000, G = 0x00FF00;
        QTest::newRow("run longer than the row") << Bytes({255, 1, 0, 0, 1, 2, 0, 1}) << Pixels {G, 0, 0, R, R, R};
        QTest::newRow("run after the row's end") << Bytes({3, 1, 4, 2, 0, 1}) << Pixels {0, 0, 0, R, R, R};
        QTest::newRow("literal run past the row") << Bytes({0, 5, 1, 2, 1, 2, 1, 0, 0, 1}) << Pixels {0, 0, 0, R, G, R};
        QTest::newRow("literal run past the data") << Bytes({0, 200, 2, 1}) << Pixels {0, 0, 0, G, R, 0};
        QTest::newRow("move past the right edge")
            << Bytes({0, 2, 200, 0, 2, 1, 0, 0, 1, 2}) << Pixels {G, 0, 0, 0, 0, 0};
        QTest::newRow("move past the top") << Bytes({1, 1, 0, 2, 0, 200, 1, 2, 0, 1}) << Pixels {0, 0, 0, R, 0, 0};
        QTest::newRow("lines past the top")
            << Bytes({1, 1, 0, 0, 1, 2, 0, 0, 0, 0, 0, 0, 3, 1}) << Pixels {G, 0, 0, R, 0, 0};
        QTest::newRow("no end of bitmap") << Bytes({2, 2}) << Pixels {0, 0, 0, G, G, 0};
        QTest::newRow("data end inside a move") << Bytes({1, 1, 0, 2, 1}) << Pixels {0, 0, 0, R, 0, 0};
        QTest::newRow("no data") << QByteArray() << Pixels {0, 0, 0, 0, 0, 0};
    }
    void rlePastBounds()
    {
        QFETCH(QByteArray, data);
        QFETCH(Pixels, expected);
        BmpBuild b = Make(8, 3, 2, data, {0x808080, 0xFF0000, 0x00FF00});
        b.compression = 1;
        QCOMPARE(PixelsOf(*BmpRead(BuildBmp(b))), expected);
    }

    void rleKeepsItsSource()
    {
        const QByteArray file = BuildBmp(Rle8Sample());
        const auto dib = BmpRead(file);
        QCOMPARE(dib->rleSource, file.mid(14));
        const auto plain = BmpRead(BuildBmp(Make(8, 1, 1, PadRows({Bytes({0})}), GreyTable(2))));
        QVERIFY(plain->rleSource.isEmpty());
    }

    void rleOnPaletteScreen()
    {
        ScreenFacts facts;
        facts.bitsPerPixel = 8;
        SetScreenFacts(facts);
        const auto dib = BmpRead(BuildBmp(Rle8Sample()));
        QVERIFY(dib->device);
        QCOMPARE(int(dib->bitCount), 8);
        QVERIFY(dib->colors == HalftonePalette256());
        // Pure colours are in the halftone palette, so they come through exactly.
        QCOMPARE(dib->PixelRgb(0, 2) & 0xFFFFFF, 0xFF0000u);
        QCOMPARE(dib->PixelRgb(2, 1) & 0xFFFFFF, 0xFFFF00u);
        QCOMPARE(dib->PixelRgb(0, 1) & 0xFFFFFF, 0u);
    }

    // The colours of an embedded profile are mapped for the rows the file holds; the rows it
    // does not hold stay black, so a large header over a few bytes costs no more than they do.
    void embeddedProfile_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("held"); // pixel bytes in the file; -1: every row
        QTest::newRow("24-bit") << 5 << 3 << 24 << -1;
        QTest::newRow("32-bit") << 4 << 2 << 32 << -1;
        QTest::newRow("24-bit, a row and a half") << 3 << 4 << 24 << 18;
        QTest::newRow("65,535 x 2,340, a few bytes") << 65535 << 2340 << 24 << 30;
    }
    void embeddedProfile()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, bits);
        QFETCH(int, held);
        const int stride = (width * bits / 8 + 3) / 4 * 4;
        const QColorSpace adobe(QColorSpace::AdobeRgb);
        const QByteArray icc = adobe.iccProfile();
        BmpBuild b = Make(bits, width, height, {});
        b.headerSize = 124;
        b.gap = icc; // before the pixels, so the pixels are the file's last bytes
        b.pixels = QByteArray(held < 0 ? stride * height : held, Qt::Uninitialized);
        for (int i = 0; i < b.pixels.size(); ++i)
            b.pixels[i] = char(i * 37 + 11);
        const QByteArray plain = BuildBmp(b);
        QByteArray file = plain;
        bmptest::Set32(file, 14 + 56, 0x4D424544); // 'MBED'
        bmptest::Set32(file, 14 + 112, 124);       // from the start of the header
        bmptest::Set32(file, 14 + 116, uint32_t(icc.size()));

        const std::shared_ptr<DibImage> dib = BmpRead(file);
        // Mapping every declared row of the large picture cost twenty times its reading.
        QCOMPARE(dib->profileMappedRows, held < 0 ? height : (held + stride - 1) / stride);

        // Qt's own reading of the profile, a second opinion on the colour engine's.
        const QColorTransform t = adobe.transformationToColorSpace(QColorSpace::SRgb);
        const int step = bits / 8;
        for (int row = 0; row * stride < b.pixels.size(); ++row) {
            for (int x = 0; x < width && row * stride + (x + 1) * step <= b.pixels.size(); ++x) {
                const auto* p = reinterpret_cast<const uchar*>(b.pixels.constData()) + row * stride + x * step;
                const QRgb got = dib->PixelRgb(x, height - 1 - row), want = t.map(qRgb(p[2], p[1], p[0]));
                QVERIFY2(std::abs(qRed(got) - qRed(want)) <= 2 && std::abs(qGreen(got) - qGreen(want)) <= 2 &&
                             std::abs(qBlue(got) - qBlue(want)) <= 2,
                         qPrintable(QStringLiteral("%1 against %2").arg(got, 0, 16).arg(want, 0, 16)));
            }
        }
        for (int row = (b.pixels.size() + stride - 1) / stride; row < height; row += std::max(1, height / 7))
            for (int x : {0, width / 2, width - 1})
                QCOMPARE(dib->PixelRgb(x, height - 1 - row) & 0xFFFFFF, 0u);
    }
};

QTEST_MAIN(TestBmpRead)
#include "test_bmp_read.moc"
