// SPDX-License-Identifier: GPL-3.0-or-later
// Writing Windows bitmap files: every target pixel format through writing and reading,
// files written back byte for byte, run-length-encoded and core-header files, palettes.
#include <QTest>
#include "BmpFileBuilder.h"
#include "picture/Bitmap.h"
#include "picture/BmpCodec.h"
#include "picture/Failure.h"
#include "picture/ScreenFacts.h"

namespace {
struct Written {
    uint32_t headerSize = 0, compression = 0, colorsUsed = 0;
    int bitCount = 0;
    int32_t height = 0;
    int entries = 0;
    uint32_t masks[3] = {0, 0, 0};
};

Written Parse(const QByteArray& f)
{
    using namespace bmptest;
    Written w;
    w.headerSize = Get32(f, 14);
    const bool core = w.headerSize == 12;
    w.bitCount = core ? Get16(f, 24) : Get16(f, 28);
    w.height = core ? Get16(f, 22) : int32_t(Get32(f, 22));
    if (!core) {
        w.compression = Get32(f, 30);
        w.colorsUsed = Get32(f, 46);
    }
    const int maskBytes = w.compression == 3 ? 12 : 0;
    if (maskBytes)
        for (int i = 0; i < 3; ++i)
            w.masks[i] = Get32(f, 54 + 4 * i);
    w.entries = int(Get32(f, 10) - 14 - w.headerSize - maskBytes) / (core ? 3 : 4);
    return w;
}

void SetScreenBits(int bits)
{
    ScreenFacts facts;
    facts.bitsPerPixel = bits;
    SetScreenFacts(facts);
}

// 9x5 pixels: pure and mixed colours, greys and a ramp.
std::shared_ptr<DibImage> Assorted()
{
    QImage img(9, 5, QImage::Format_RGB32);
    const QRgb fixed[] = {0x000000, 0xFFFFFF, 0xFF0000, 0x00FF00, 0x0000FF, 0x336699, 0x808080, 0xC0C0C0, 0x123456};
    for (int x = 0; x < 9; ++x) {
        img.setPixel(x, 0, 0xFF000000 | fixed[x]);
        for (int y = 1; y < 5; ++y)
            img.setPixel(x, y, qRgb(x * 28, y * 60, (x * y * 23) & 255));
    }
    return DibFromQImage(img);
}

bool SamePixels(const DibImage& a, const DibImage& b)
{
    if (a.width != b.width || a.height != b.height)
        return false;
    for (int y = 0; y < a.height; ++y)
        for (int x = 0; x < a.width; ++x)
            if (a.PixelRgb(x, y) != b.PixelRgb(x, y))
                return false;
    return true;
}

BmpBuild Sized(BmpBuild b)
{
    b.sizeImage = uint32_t(b.pixels.size());
    b.colorsUsed = uint32_t(b.table.size());
    return b;
}

BmpBuild Plain(int bits, int w, int h, const QByteArray& pixels, std::vector<uint32_t> table = {})
{
    BmpBuild b;
    b.bitCount = uint16_t(bits);
    b.width = w;
    b.height = h;
    b.pixels = pixels;
    b.table = std::move(table);
    return Sized(b);
}

std::vector<uint32_t> Ramp(int n, uint32_t step)
{
    std::vector<uint32_t> t;
    for (int i = 0; i < n; ++i)
        t.push_back(uint32_t(i) * step & 0xFFFFFF);
    return t;
}
}

class TestBmpWrite : public QObject {
    Q_OBJECT
private slots:
    void init() { SetScreenBits(32); }

    void everyTargetFormat_data()
    {
        QTest::addColumn<int>("screenBits");
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("bitCount");
        QTest::addColumn<int>("entries");
        QTest::addColumn<uint>("compression");
        QTest::addColumn<uint>("greenMask");
        QTest::addColumn<QString>("readBack");
        QTest::newRow("Device") << 32 << "Device" << 32 << 0 << 0u << 0u << "32-bit";
        QTest::newRow("Device, 8-bit screen") << 8 << "Device" << 8 << 256 << 0u << 0u << "8-bit";
        QTest::newRow("1-bit") << 32 << "1-bit" << 1 << 2 << 0u << 0u << "1-bit";
        QTest::newRow("4-bit") << 32 << "4-bit" << 4 << 16 << 0u << 0u << "4-bit";
        QTest::newRow("8-bit") << 32 << "8-bit" << 8 << 256 << 0u << 0u << "8-bit";
        QTest::newRow("15-bit") << 32 << "15-bit" << 16 << 0 << 0u << 0u << "15-bit";
        QTest::newRow("16-bit") << 32 << "16-bit" << 16 << 0 << 3u << 0x07E0u << "16-bit";
        QTest::newRow("24-bit") << 32 << "24-bit" << 24 << 0 << 0u << 0u << "24-bit";
        QTest::newRow("24-bit, 8-bit screen: halftone palette") << 8 << "24-bit" << 24 << 256 << 0u << 0u << "24-bit";
        QTest::newRow("32-bit") << 32 << "32-bit" << 32 << 0 << 0u << 0u << "32-bit";
        QTest::newRow("32-bit, 24-bit screen: halftone palette") << 24 << "32-bit" << 32 << 256 << 0u << 0u << "32-bit";
    }
    void everyTargetFormat()
    {
        QFETCH(int, screenBits);
        QFETCH(QString, target);
        QFETCH(int, bitCount);
        QFETCH(int, entries);
        QFETCH(uint, compression);
        QFETCH(uint, greenMask);
        QFETCH(QString, readBack);
        SetScreenBits(screenBits);
        TPixelFormat format;
        QVERIFY(PixelFormatFromName(target, &format));
        TBitmap bitmap(Assorted());
        bitmap.SetPixelFormat(format);
        QCOMPARE(PixelFormatName(bitmap.PixelFormat()), target);

        const QByteArray file = bitmap.SaveToBytes();
        const Written w = Parse(file);
        QCOMPARE(w.headerSize, 40u);
        QCOMPARE(w.bitCount, bitCount);
        QCOMPARE(w.entries, entries);
        QCOMPARE(w.compression, compression);
        QCOMPARE(w.height, 5);
        QCOMPARE(int(bmptest::Get32(file, 2)), file.size());
        if (compression == 3) {
            QCOMPARE(w.masks[0], 0xF800u);
            QCOMPARE(w.masks[1], greenMask);
            QCOMPARE(w.masks[2], 0x001Fu);
        }

        TBitmap again;
        again.LoadFromBytes(file);
        QCOMPARE(PixelFormatName(again.PixelFormat()), readBack);
        QVERIFY(SamePixels(again.Dib(), bitmap.Dib()));
        if (bitCount <= 8)
            QVERIFY(again.Dib().colors == bitmap.Dib().colors);
    }

    // Well-formed files come out exactly as they went in.
    void writtenAsRead_data()
    {
        QTest::addColumn<QByteArray>("file");
        const QByteArray rows8 = PadRows({Bytes({0, 1, 2}), Bytes({3, 2, 1})});
        QTest::newRow("8-bit bottom-up") << BuildBmp(Plain(8, 3, 2, rows8, Ramp(4, 0x203040)));
        QTest::newRow("8-bit top-down") << BuildBmp(Plain(8, 3, -2, rows8, Ramp(4, 0x203040)));
        QTest::newRow("4-bit, 3 colours")
            << BuildBmp(Plain(4, 3, 2, PadRows({Bytes({0x01, 0x20}), Bytes({0x21, 0x00})}), Ramp(3, 0x7F7F7F)));
        QTest::newRow("24-bit with its own 5 colours")
            << BuildBmp(Plain(24, 1, 2, PadRows({Bytes({1, 2, 3}), Bytes({4, 5, 6})}), Ramp(5, 0x112233)));
        BmpBuild masks = Plain(16, 2, 1, PadRows({Bytes({0x00, 0xF8, 0x1F, 0x00})}));
        masks.compression = 3;
        masks.masks = {0xF800, 0x07E0, 0x001F};
        QTest::newRow("16-bit with masks") << BuildBmp(masks);
        QTest::newRow("32-bit") << BuildBmp(Plain(32, 2, 1, Bytes({1, 2, 3, 0, 4, 5, 6, 0})));
        BmpBuild core8 = Plain(8, 3, 2, rows8, Ramp(256, 0x010203));
        core8.headerSize = 12;
        QTest::newRow("core header 8-bit") << BuildBmp(core8);
        BmpBuild core24 = Plain(24, 1, 1, PadRows({Bytes({9, 8, 7})}));
        core24.headerSize = 12;
        QTest::newRow("core header 24-bit") << BuildBmp(core24);
        BmpBuild rle8 = Plain(8, 4, 2, Bytes({4, 1, 0, 0, 0, 3, 2, 3, 2, 0, 0, 1}), Ramp(4, 0x404040));
        rle8.compression = 1;
        rle8.sizeImage = uint32_t(rle8.pixels.size());
        QTest::newRow("RLE8") << BuildBmp(rle8);
        BmpBuild rle4 = Plain(4, 4, 1, Bytes({4, 0x12, 0, 1}), Ramp(16, 0x0F0F0F));
        rle4.compression = 2;
        rle4.colorsUsed = 0;
        rle4.sizeImage = uint32_t(rle4.pixels.size());
        QTest::newRow("RLE4, colours used 0") << BuildBmp(rle4);
    }
    void writtenAsRead()
    {
        QFETCH(QByteArray, file);
        TBitmap bitmap;
        bitmap.LoadFromBytes(file);
        QCOMPARE(bitmap.SaveToBytes(), file);
    }

    void coreHeaderKeptUntilMasksNeeded()
    {
        BmpBuild core = Plain(8, 2, 1, PadRows({Bytes({0, 255})}), Ramp(256, 0x010101));
        core.headerSize = 12;
        TBitmap bitmap;
        bitmap.LoadFromBytes(BuildBmp(core));
        Written w = Parse(bitmap.SaveToBytes());
        QCOMPARE(w.headerSize, 12u);
        QCOMPARE(w.entries, 256);
        bitmap.SetPixelFormat(TPixelFormat::Bit16);
        w = Parse(bitmap.SaveToBytes());
        QCOMPARE(w.headerSize, 40u);
        QCOMPARE(w.compression, 3u);
    }

    void rleWithGapWrittenCompact()
    {
        // A gap between table and data is not kept; the new file header points at the data.
        BmpBuild rle = Plain(8, 3, 1, Bytes({2, 1, 1, 2, 0, 1}), {0x000000, 0xFF0000, 0x0000FF});
        rle.compression = 1;
        rle.gap = QByteArray(5, 'x');
        rle.sizeImage = 6;
        const QByteArray file = BuildBmp(rle);
        TBitmap bitmap;
        bitmap.LoadFromBytes(file);
        const QByteArray out = bitmap.SaveToBytes();
        QCOMPARE(out.size(), file.size() - 5);
        QCOMPARE(out.right(6), file.right(6));
        TBitmap again;
        again.LoadFromBytes(out);
        QVERIFY(SamePixels(again.Dib(), bitmap.Dib()));
        QCOMPARE(again.Dib().PixelRgb(2, 0) & 0xFFFFFF, 0x0000FFu);
    }

    void changedRleWrittenDeviceIndependent_data()
    {
        QTest::addColumn<int>("change"); // 0 width, 1 height, 2 pixel format, 3 monochrome
        QTest::addColumn<int>("bitCount");
        QTest::newRow("width") << 0 << 32;
        QTest::newRow("height") << 1 << 32;
        QTest::newRow("pixel format") << 2 << 24;
        QTest::newRow("monochrome") << 3 << 1;
    }
    void changedRleWrittenDeviceIndependent()
    {
        QFETCH(int, change);
        QFETCH(int, bitCount);
        BmpBuild rle = Plain(8, 3, 2, Bytes({3, 1, 0, 0, 3, 2, 0, 1}), {0x000000, 0xFFFFFF, 0xFF0000});
        rle.compression = 1;
        TBitmap bitmap;
        bitmap.LoadFromBytes(BuildBmp(rle));
        switch (change) {
        case 0: bitmap.SetWidth(4); break;
        case 1: bitmap.SetHeight(3); break;
        case 2: bitmap.SetPixelFormat(TPixelFormat::Bit24); break;
        default: bitmap.SetMonochrome(true); break;
        }
        QVERIFY(bitmap.Dib().rleSource.isEmpty());
        const QByteArray out = bitmap.SaveToBytes();
        const Written w = Parse(out);
        QCOMPARE(w.bitCount, bitCount);
        QCOMPARE(w.compression, 0u);
        TBitmap again;
        again.LoadFromBytes(out);
        QVERIFY(!again.Dib().device);
        QCOMPARE(again.Dib().PixelRgb(0, 1) & 0xFFFFFF, 0xFFFFFFu); // bottom row: white
        if (change != 3)
            QCOMPARE(again.Dib().PixelRgb(2, 0) & 0xFFFFFF, 0xFF0000u);
    }

    void topDownWrittenWithNegativeHeight()
    {
        TBitmap bitmap;
        bitmap.LoadFromBytes(BuildBmp(Plain(24, 1, -2, PadRows({Bytes({1, 1, 1}), Bytes({2, 2, 2})}))));
        bitmap.SetPixelFormat(TPixelFormat::Bit32);
        const QByteArray out = bitmap.SaveToBytes();
        QCOMPARE(Parse(out).height, -2);
        // Rows in the order held: the top row first.
        QCOMPARE(uint8_t(out.at(54)), uint8_t(1));
        QCOMPARE(uint8_t(out.at(58)), uint8_t(2));
    }

    void monochromeDeviceWritesBlackAndWhite()
    {
        TBitmap bitmap(Assorted());
        bitmap.SetMonochrome(true);
        const QByteArray out = bitmap.SaveToBytes();
        const Written w = Parse(out);
        QCOMPARE(w.bitCount, 1);
        QCOMPARE(w.entries, 2);
        QCOMPARE(bmptest::Get32(out, 54) & 0xFFFFFF, 0u);
        QCOMPARE(bmptest::Get32(out, 58) & 0xFFFFFF, 0xFFFFFFu);
        TBitmap again;
        again.LoadFromBytes(out);
        QCOMPARE(PixelFormatName(again.PixelFormat()), QStringLiteral("1-bit"));
        QVERIFY(SamePixels(again.Dib(), bitmap.Dib()));
    }

    void emptyBitmapWritesAnEmptyImage()
    {
        TBitmap bitmap;
        TBitmap again;
        again.LoadFromBytes(bitmap.SaveToBytes());
        QVERIFY(again.HasImage());
        QVERIFY(again.Empty());
    }
};

QTEST_MAIN(TestBmpWrite)
#include "test_bmp_write.moc"
