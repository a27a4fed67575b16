// SPDX-License-Identifier: GPL-3.0-or-later
// The bitmap model's sizes and pixels: strides and limits, bit-field channels, nearest
// colours, pixel-format, monochrome and size changes, palettes and the drawing image.
#include <QElapsedTimer>
#include <QPainter>
#include <QTest>
#include "picture/Bitmap.h"
#include "picture/Failure.h"
#include "picture/PixelConvert.h"
#include "picture/ScreenFacts.h"

namespace {
void SetScreenBits(int bits)
{
    ScreenFacts facts;
    facts.bitsPerPixel = bits;
    SetScreenFacts(facts);
}

RgbQuad Quad(uint32_t rgb)
{
    RgbQuad q;
    q.red = uint8_t(rgb >> 16);
    q.green = uint8_t(rgb >> 8);
    q.blue = uint8_t(rgb);
    return q;
}

std::shared_ptr<DibImage> Filled(int w, int h, uint32_t rgb)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(QColor::fromRgb(rgb));
    return DibFromQImage(img);
}

int BruteNearest(const std::vector<RgbQuad>& table, uint32_t rgb)
{
    int best = 0;
    long bestDistance = -1;
    for (size_t i = 0; i < table.size(); ++i) {
        const long dr = table[i].red - long(rgb >> 16 & 255), dg = table[i].green - long(rgb >> 8 & 255),
                   db = table[i].blue - long(rgb & 255);
        const long d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = int(i);
        }
    }
    return best;
}

uint32_t Rgb(const DibImage& dib, int x, int y)
{
    return dib.PixelRgb(x, y) & 0xFFFFFF;
}

// A 16-bit image with masks of its own: reports Custom.
std::shared_ptr<DibImage> CustomDib()
{
    auto dib = NewDib(2, 2, 16);
    dib->hasMasks = true;
    dib->redMask = 0x7C00;
    dib->greenMask = 0x03E0;
    dib->blueMask = 0x001F;
    return dib;
}
}

class TestPixelConvert : public QObject {
    Q_OBJECT
private slots:
    void init() { SetScreenBits(32); }

    void stride_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("bits");
        QTest::addColumn<qint64>("stride");
        QTest::newRow("1x1 bit") << 1 << 1 << qint64(4);
        QTest::newRow("32x1 bit") << 32 << 1 << qint64(4);
        QTest::newRow("33x1 bit") << 33 << 1 << qint64(8);
        QTest::newRow("9x4 bits") << 9 << 4 << qint64(8);
        QTest::newRow("5x8 bits") << 5 << 8 << qint64(8);
        QTest::newRow("3x16 bits") << 3 << 16 << qint64(8);
        QTest::newRow("5x24 bits") << 5 << 24 << qint64(16);
        QTest::newRow("widest 32 bits") << 65535 << 32 << qint64(262140);
        QTest::newRow("too wide") << 65536 << 8 << qint64(-1);
        QTest::newRow("negative") << -1 << 8 << qint64(-1);
        QTest::newRow("0 bits") << 10 << 0 << qint64(-1);
    }
    void stride()
    {
        QFETCH(int, width);
        QFETCH(int, bits);
        QFETCH(qint64, stride);
        QCOMPARE(DibStride(width, bits), stride);
    }

    void sizeLimits_data()
    {
        QTest::addColumn<qint64>("width");
        QTest::addColumn<qint64>("height");
        QTest::addColumn<int>("bits");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("empty") << qint64(0) << qint64(0) << 24 << true;
        QTest::newRow("just within 1 GiB") << qint64(65535) << qint64(4096) << 32 << true;
        QTest::newRow("just beyond 1 GiB") << qint64(65535) << qint64(4097) << 32 << false;
        QTest::newRow("too tall") << qint64(1) << qint64(65536) << 1 << false;
        QTest::newRow("negative height") << qint64(1) << qint64(-1) << 8 << false;
        QTest::newRow("product beyond 64 bits of pixels") << qint64(1) << (qint64(1) << 40) << 32 << false;
    }
    void sizeLimits()
    {
        QFETCH(qint64, width);
        QFETCH(qint64, height);
        QFETCH(int, bits);
        QFETCH(bool, allowed);
        QString error;
        try {
            CheckDibSize(width, height, bits);
        } catch (const Failure& f) {
            error = f.Text();
        }
        QCOMPARE(error, allowed ? QString() : QString(kOutOfResources));
    }

    void maskChannel_data()
    {
        QTest::addColumn<uint>("mask");
        QTest::addColumn<uint>("pixel");
        QTest::addColumn<int>("extracted");
        QTest::addColumn<int>("value");
        QTest::addColumn<uint>("inserted");
        QTest::newRow("5 bits, full") << 0x7C00u << 0x7C00u << 255 << 255 << 0x7C00u;
        QTest::newRow("5 bits, 1") << 0x7C00u << 0x0400u << 8 << 8 << 0x0400u;
        QTest::newRow("5 bits, half") << 0x03E0u << 0x0200u << 132 << 128 << 0x0200u;
        QTest::newRow("6 bits, half") << 0x07E0u << 0x0400u << 130 << 130 << 0x0400u;
        QTest::newRow("2 bits") << 0x0030u << 0x0010u << 0x55 << 0x55 << 0x0010u;
        QTest::newRow("1 bit") << 0x0001u << 0x0001u << 255 << 127 << 0u;
        QTest::newRow("10 bits narrowed") << 0x3FF00000u << 0x20000000u << 128 << 128 << (514u << 20);
        QTest::newRow("32 bits") << 0xFFFFFFFFu << 0x80000000u << 128 << 1 << 0x01010101u;
        QTest::newRow("no mask") << 0u << 0xFFFFFFFFu << 0 << 255 << 0u;
    }
    void maskChannel()
    {
        QFETCH(uint, mask);
        QFETCH(uint, pixel);
        QFETCH(int, extracted);
        QFETCH(int, value);
        QFETCH(uint, inserted);
        const MaskChannel channel(mask);
        QCOMPARE(int(channel.Extract(pixel)), extracted);
        QCOMPARE(channel.Insert(uint8_t(value)), inserted);
    }

    void wideChannelsRoundTrip()
    {
        for (uint32_t mask : {0xFFu, 0xFF00u, 0x3FF00000u, 0xFFFFu, 0xFFFFFFFFu, 0x000FFC00u}) {
            const MaskChannel channel(mask);
            for (int v = 0; v < 256; ++v)
                QCOMPARE(int(channel.Extract(channel.Insert(uint8_t(v)))), v);
        }
    }

    void nearestMatchesExhaustiveSearch_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("16 colours") << 0;
        QTest::newRow("halftone") << 1;
        QTest::newRow("random 256 with repeats") << 2;
        QTest::newRow("two entries") << 3;
    }
    void nearestMatchesExhaustiveSearch()
    {
        QFETCH(int, kind);
        std::vector<RgbQuad> table;
        uint32_t seed = 12345;
        auto next = [&seed] {
            seed = seed * 1103515245u + 12345u;
            return (seed >> 8) & 0xFFFFFF;
        };
        switch (kind) {
        case 0: table = DefaultPalette16(); break;
        case 1: table = HalftonePalette256(); break;
        case 2:
            for (int i = 0; i < 256; ++i)
                table.push_back(Quad(i % 5 == 4 ? 0x808080 : next()));
            break;
        default: table = {Quad(0x102030), Quad(0xF0E0D0)}; break;
        }
        NearestColor nearest(table);
        for (const RgbQuad& c : table) {
            const uint32_t rgb = uint32_t(c.red) << 16 | uint32_t(c.green) << 8 | c.blue;
            QCOMPARE(int(nearest.Find(rgb)), BruteNearest(table, rgb));
        }
        // Colours next to every multiple of 16 in each channel, where a search that splits
        // the cube into blocks is most likely to go wrong, then random colours.
        std::vector<int> levels;
        for (int v = 0; v < 256; ++v)
            if (v % 16 <= 1 || v % 16 == 15)
                levels.push_back(v);
        std::vector<uint32_t> colours;
        for (int r : levels)
            for (int g : levels)
                for (int b : levels)
                    colours.push_back(uint32_t(r) << 16 | uint32_t(g) << 8 | uint32_t(b));
        for (int i = 0; i < 30000; ++i)
            colours.push_back(next());
        for (uint32_t rgb : colours)
            if (int(nearest.Find(rgb)) != BruteNearest(table, rgb))
                QFAIL(qPrintable(QStringLiteral("colour %1").arg(rgb, 6, 16, QChar('0'))));
    }

    void convertedColour_data()
    {
        QTest::addColumn<uint>("source");
        QTest::addColumn<QString>("target");
        QTest::addColumn<int>("screenBits");
        QTest::addColumn<uint>("expected");
        QTest::newRow("4-bit: nearest of the 16") << 0xC80A0Au << "4-bit" << 32 << 0xFF0000u;
        QTest::newRow("4-bit: silver") << 0xB0B0B0u << "4-bit" << 32 << 0xC0C0C0u;
        QTest::newRow("8-bit: a cube colour exactly") << 0x336699u << "8-bit" << 32 << 0x336699u;
        QTest::newRow("8-bit: dark grey to a grey entry") << 0x0A141Eu << "8-bit" << 32 << 0x131313u;
        QTest::newRow("15-bit keeps the top 5 bits") << 0xFF8007u << "15-bit" << 32 << 0xFF8400u;
        QTest::newRow("16-bit keeps 5-6-5 bits") << 0xFF8007u << "16-bit" << 32 << 0xFF8200u;
        QTest::newRow("24-bit") << 0x010203u << "24-bit" << 32 << 0x010203u;
        QTest::newRow("32-bit") << 0x010203u << "32-bit" << 32 << 0x010203u;
        QTest::newRow("1-bit: dark to black") << 0x646464u << "1-bit" << 32 << 0x000000u;
        QTest::newRow("1-bit: light to white") << 0xC8C8C8u << "1-bit" << 32 << 0xFFFFFFu;
        QTest::newRow("Device on a true-colour screen") << 0x0A141Eu << "Device" << 32 << 0x0A141Eu;
        QTest::newRow("Device on a palette screen") << 0x0A141Eu << "Device" << 8 << 0x131313u;
    }
    void convertedColour()
    {
        QFETCH(uint, source);
        QFETCH(QString, target);
        QFETCH(int, screenBits);
        QFETCH(uint, expected);
        SetScreenBits(screenBits);
        TPixelFormat format;
        QVERIFY(PixelFormatFromName(target, &format));
        TBitmap bitmap(Filled(3, 2, source));
        bitmap.SetPixelFormat(format);
        QCOMPARE(PixelFormatName(bitmap.PixelFormat()), target);
        QCOMPARE(bitmap.Width(), 3);
        QCOMPARE(bitmap.Height(), 2);
        QCOMPARE(Rgb(bitmap.Dib(), 2, 1), expected);
    }

    // 1 bit is black and white whatever the source's palette, each pixel by its brightness.
    void oneBitColourTable_data()
    {
        // 0 device, 1 plain 24-bit, 2 8-bit grey ramp, 3 24-bit own table, 4 24-bit on 8-bit
        // screen, 5 8-bit whose first entries are near-black (a grey JPEG's)
        QTest::addColumn<int>("source");
        QTest::newRow("device-dependent") << 0;
        QTest::newRow("no palette, no table") << 1;
        QTest::newRow("grey ramp") << 2;
        QTest::newRow("24-bit carrying a table") << 3;
        QTest::newRow("palette from the screen") << 4;
        QTest::newRow("near-black first entries") << 5;
    }
    void oneBitColourTable()
    {
        QFETCH(int, source);
        QImage pattern(2, 1, QImage::Format_RGB32);
        pattern.setPixel(0, 0, 0xD0D0D0); // light
        pattern.setPixel(1, 0, 0x303030); // dark
        std::shared_ptr<DibImage> dib = DibFromQImage(pattern);
        if (source == 0) {
            dib = NewDeviceDib(2, 1);
            CopyPixels(*DibFromQImage(pattern), *dib);
        } else if (source == 2 || source == 5) {
            dib = NewDib(2, 1, 8);
            for (int i = 0; i < 256; ++i)
                dib->colors.push_back(Quad(source == 2 ? 0x010101u * uint(i) : 0x010101u * uint(i == 0 ? 0 : 1)));
            if (source == 5)
                dib->colors[2] = Quad(0xD0D0D0), dib->colors[3] = Quad(0x303030);
            dib->Row(0)[0] = source == 2 ? 0xD0 : 2;
            dib->Row(0)[1] = source == 2 ? 0x30 : 3;
        } else if (source == 3) {
            dib->colors = {Quad(0x00FF00), Quad(0x123456), Quad(0xFFFFFF)};
        } else if (source == 4) {
            SetScreenBits(8);
        }
        TBitmap bitmap(dib);
        bitmap.SetPixelFormat(TPixelFormat::Bit1);
        const DibImage& out = bitmap.Dib();
        QCOMPARE(int(out.bitCount), 1);
        QVERIFY(!out.device);
        QCOMPARE(int(out.colors.size()), 2);
        QCOMPARE(Rgb(out, 0, 0), 0xFFFFFFu);
        QCOMPARE(Rgb(out, 1, 0), 0x000000u);
    }

    void sameFormatChangesNothing_data()
    {
        QTest::addColumn<int>("source"); // 0 24-bit, 1 8-bit, 2 device, 3 custom
        QTest::addColumn<QString>("format");
        QTest::newRow("24-bit on 24-bit") << 0 << "24-bit";
        QTest::newRow("8-bit on 8-bit") << 1 << "8-bit";
        QTest::newRow("Device on Device") << 2 << "Device";
        QTest::newRow("Custom on Custom") << 3 << "Custom";
    }
    void sameFormatChangesNothing()
    {
        QFETCH(int, source);
        QFETCH(QString, format);
        std::shared_ptr<DibImage> dib;
        switch (source) {
        case 0: dib = Filled(2, 2, 0x112233); break;
        case 1:
            dib = NewDib(2, 2, 8);
            dib->colors = HalftonePalette256();
            break;
        case 2:
            dib = NewDeviceDib(2, 2);
            dib->rleSource = "kept";
            break;
        default: dib = CustomDib(); break;
        }
        TBitmap bitmap(dib);
        int changes = 0;
        bitmap.OnChange = [&] { ++changes; };
        TPixelFormat f;
        QVERIFY(PixelFormatFromName(format, &f));
        bitmap.SetPixelFormat(f);
        QCOMPARE(bitmap.SharedDib().get(), dib.get());
        QCOMPARE(changes, 0);
        QCOMPARE(bitmap.Dib().rleSource, dib->rleSource);
    }

    void customIsRefused()
    {
        TBitmap bitmap(Filled(2, 2, 0x112233));
        const auto before = bitmap.SharedDib();
        QString error;
        try {
            bitmap.SetPixelFormat(TPixelFormat::Custom);
        } catch (const Failure& f) {
            error = f.Text();
        }
        QCOMPARE(error, QStringLiteral("Invalid pixel format"));
        QCOMPARE(bitmap.SharedDib(), before);
    }

    void sixteenBitHasItsMasks()
    {
        TBitmap bitmap(Filled(2, 2, 0xFFFFFF));
        bitmap.SetPixelFormat(TPixelFormat::Bit16);
        QCOMPARE(PixelFormatName(bitmap.PixelFormat()), QStringLiteral("16-bit"));
        QVERIFY(bitmap.Dib().hasMasks);
        QCOMPARE(bitmap.Dib().redMask, 0xF800u);
        QCOMPARE(bitmap.Dib().greenMask, 0x07E0u);
        QCOMPARE(bitmap.Dib().blueMask, 0x001Fu);
        QCOMPARE(Rgb(bitmap.Dib(), 1, 1), 0xFFFFFFu);
        bitmap.SetPixelFormat(TPixelFormat::Bit15);
        QVERIFY(!bitmap.Dib().hasMasks);
        QCOMPARE(PixelFormatName(bitmap.PixelFormat()), QStringLiteral("15-bit"));
    }

    void monochrome_data()
    {
        QTest::addColumn<int>("screenBits");
        QTest::addColumn<int>("colourBits");
        QTest::newRow("true-colour screen") << 32 << 32;
        QTest::newRow("palette screen") << 8 << 8;
    }
    void monochrome()
    {
        QFETCH(int, screenBits);
        QFETCH(int, colourBits);
        SetScreenBits(screenBits);
        auto dib = Filled(2, 1, 0x202020);
        dib->Row(0)[3] = dib->Row(0)[4] = dib->Row(0)[5] = 0xE0; // right pixel light
        TBitmap bitmap(dib);
        bitmap.SetMonochrome(false); // not monochrome already: nothing
        QCOMPARE(bitmap.SharedDib(), std::shared_ptr<const DibImage>(dib));
        bitmap.SetMonochrome(true);
        QVERIFY(bitmap.Monochrome());
        QCOMPARE(PixelFormatName(bitmap.PixelFormat()), QStringLiteral("Device"));
        QCOMPARE(Rgb(bitmap.Dib(), 0, 0), 0x000000u);
        QCOMPARE(Rgb(bitmap.Dib(), 1, 0), 0xFFFFFFu);
        const auto mono = bitmap.SharedDib();
        bitmap.SetMonochrome(true);
        QCOMPARE(bitmap.SharedDib(), mono);
        bitmap.SetMonochrome(false);
        QVERIFY(!bitmap.Monochrome());
        QVERIFY(bitmap.Dib().device);
        QCOMPARE(int(bitmap.Dib().bitCount), colourBits);
        QCOMPARE(Rgb(bitmap.Dib(), 1, 0), 0xFFFFFFu);
        QCOMPARE(Rgb(bitmap.Dib(), 0, 0), 0x000000u);
    }

    void resize_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<bool>("canvas");
        QTest::addColumn<uint>("brush");
        QTest::addColumn<uint>("newArea");
        QTest::newRow("24-bit, white") << "24-bit" << false << 0u << 0xFFFFFFu;
        QTest::newRow("24-bit, brush") << "24-bit" << true << 0x123456u << 0x123456u;
        QTest::newRow("32-bit, brush") << "32-bit" << true << 0x123456u << 0x123456u;
        QTest::newRow("16-bit, brush") << "16-bit" << true << 0xFF0000u << 0xFF0000u;
        QTest::newRow("8-bit, brush to nearest") << "8-bit" << true << 0x0A141Eu << 0x131313u;
        QTest::newRow("4-bit, white") << "4-bit" << false << 0u << 0xFFFFFFu;
        QTest::newRow("1-bit, dark brush") << "1-bit" << true << 0x303030u << 0x000000u;
        QTest::newRow("Device, brush") << "Device" << true << 0x00FF00u << 0x00FF00u;
    }
    void resize()
    {
        QFETCH(QString, format);
        QFETCH(bool, canvas);
        QFETCH(uint, brush);
        QFETCH(uint, newArea);
        // 3x2, left column red, the rest blue; every form holds both exactly.
        auto dib = Filled(3, 2, 0x0000FF);
        for (int y = 0; y < 2; ++y)
            dib->Row(y)[2] = 0xFF, dib->Row(y)[0] = 0;
        TBitmap bitmap(dib);
        TPixelFormat f;
        QVERIFY(PixelFormatFromName(format, &f));
        bitmap.SetPixelFormat(f);
        if (format == QLatin1String("1-bit")) { // black and white table: red went black, blue black
            auto mono = std::make_shared<DibImage>(bitmap.Dib());
            mono->Row(0)[0] = mono->Row(1)[0] = 0x80; // left column white
            bitmap.SetDib(mono);
        }
        const uint32_t left = Rgb(bitmap.Dib(), 0, 0), rest = Rgb(bitmap.Dib(), 2, 1);
        QVERIFY(left != rest);
        if (canvas)
            bitmap.SetBrushColor(QColor::fromRgb(brush));
        bitmap.SetWidth(5);
        bitmap.SetHeight(4);
        QCOMPARE(bitmap.Width(), 5);
        QCOMPARE(bitmap.Height(), 4);
        QCOMPARE(PixelFormatName(bitmap.PixelFormat()), format);
        const DibImage& out = bitmap.Dib();
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 5; ++x) {
                const uint32_t want = (x < 3 && y < 2) ? (x == 0 ? left : rest) : newArea;
                QCOMPARE(Rgb(out, x, y), want);
            }
        bitmap.SetWidth(1);
        QCOMPARE(bitmap.Width(), 1);
        QCOMPARE(Rgb(bitmap.Dib(), 0, 1), left);
    }

    void sizeOfAnEmptyBitmap()
    {
        TBitmap bitmap;
        bitmap.SetWidth(4);
        bitmap.SetHeight(3);
        QCOMPARE(PixelFormatName(bitmap.PixelFormat()), QStringLiteral("Device"));
        QCOMPARE(Rgb(bitmap.Dib(), 3, 2), 0xFFFFFFu);
        TBitmap deep;
        deep.SetPixelFormat(TPixelFormat::Bit24);
        deep.SetWidth(2);
        deep.SetHeight(2);
        QCOMPARE(PixelFormatName(deep.PixelFormat()), QStringLiteral("24-bit"));
    }

    void paletteRule_data()
    {
        QTest::addColumn<int>("screenBits");
        QTest::addColumn<int>("source"); // 0 24-bit, 1 8-bit with 3 colours, 2 device 32, 3 16-bit
        QTest::addColumn<int>("entries");
        QTest::newRow("colour table") << 32 << 1 << 3;
        QTest::newRow("deep bitmap, deep screen") << 32 << 0 << 0;
        QTest::newRow("deep bitmap, palette screen") << 8 << 0 << 256;
        QTest::newRow("24-bit on a 16-bit screen") << 16 << 0 << 256;
        QTest::newRow("16-bit on a 16-bit screen") << 16 << 3 << 0;
        QTest::newRow("device form") << 32 << 2 << 0;
    }
    void paletteRule()
    {
        QFETCH(int, screenBits);
        QFETCH(int, source);
        QFETCH(int, entries);
        SetScreenBits(screenBits);
        std::shared_ptr<DibImage> dib;
        switch (source) {
        case 0: dib = Filled(1, 1, 0); break;
        case 1:
            dib = NewDib(1, 1, 8);
            dib->colors = {Quad(1), Quad(2), Quad(3)};
            break;
        case 2:
            dib = NewDib(1, 1, 32);
            dib->device = true;
            break;
        default: dib = NewDib(1, 1, 16); break;
        }
        TBitmap bitmap(dib);
        QCOMPARE(int(bitmap.Palette().size()), entries);
        if (entries == 256)
            QVERIFY(bitmap.Palette() == HalftonePalette256());
    }

    void fixedPalettes()
    {
        QCOMPARE(int(DefaultPalette16().size()), 16);
        QCOMPARE(int(HalftonePalette256().size()), 256);
        QVERIFY(DefaultPalette16().front() == Quad(0x000000));
        QVERIFY(DefaultPalette16().back() == Quad(0xFFFFFF));
        QVERIFY(HalftonePalette256()[0] == Quad(0x000000));
        QVERIFY(HalftonePalette256()[1] == Quad(0xFFFFFF));
        // Every entry of the halftone palette is a different colour.
        for (size_t i = 0; i < 256; ++i)
            for (size_t j = i + 1; j < 256; ++j)
                QVERIFY(!(HalftonePalette256()[i] == HalftonePalette256()[j]));
    }

    void drawingImageShowsThePixels_data()
    {
        QTest::addColumn<QString>("format");
        for (const char* f : {"Device", "1-bit", "4-bit", "8-bit", "15-bit", "16-bit", "24-bit", "32-bit"})
            QTest::newRow(f) << QString(f);
    }
    void drawingImageShowsThePixels()
    {
        QFETCH(QString, format);
        QImage src(7, 3, QImage::Format_RGB32);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 7; ++x)
                src.setPixel(x, y, qRgb(x * 40, y * 120, (x + y) % 2 ? 255 : 0));
        TBitmap bitmap(DibFromQImage(src));
        TPixelFormat f;
        QVERIFY(PixelFormatFromName(format, &f));
        bitmap.SetPixelFormat(f);
        const QImage image = bitmap.Image();
        QCOMPARE(image.size(), QSize(7, 3));
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 7; ++x)
                QCOMPARE(image.pixel(x, y) & 0xFFFFFF, Rgb(bitmap.Dib(), x, y));
        // Drawn stretched into a rectangle twice the size: each pixel covers 2x2.
        QImage canvas(14, 6, QImage::Format_RGB32);
        canvas.fill(Qt::black);
        {
            QPainter painter(&canvas);
            bitmap.Draw(painter, QRect(0, 0, 14, 6), false);
        }
        QCOMPARE(canvas.pixel(13, 5) & 0xFFFFFF, Rgb(bitmap.Dib(), 6, 2));
        QCOMPARE(canvas.pixel(2, 0) & 0xFFFFFF, Rgb(bitmap.Dib(), 1, 0));
    }

    // A large picture drawn small (a save window's preview) is reduced from its rows: the
    // picture smoothly reduced, in both forms a zoomed picture takes.
    void largePictureDrawnSmall_data()
    {
        QTest::addColumn<int>("bits");
        QTest::newRow("24 bits") << 24;
        QTest::newRow("32 bits") << 32;
    }
    void largePictureDrawnSmall()
    {
        QFETCH(int, bits);
        QImage src(1200, 900, QImage::Format_RGB32);
        for (int y = 0; y < src.height(); ++y)
            for (int x = 0; x < src.width(); ++x)
                src.setPixel(x, y, qRgb(x / 5, y / 4, (x / 100 + y / 100) % 2 ? 220 : 30));
        TBitmap bitmap(DibFromQImage(src));
        bitmap.SetPixelFormat(bits == 24 ? TPixelFormat::Bit24 : TPixelFormat::Bit32);
        QCOMPARE(int(bitmap.Dib().bitCount), bits);
        QImage canvas(120, 90, QImage::Format_RGB32);
        {
            QPainter painter(&canvas);
            bitmap.Draw(painter, canvas.rect(), true);
        }
        const QImage want = src.scaled(canvas.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        int worst = 0;
        for (int y = 2; y < canvas.height() - 2; ++y)
            for (int x = 2; x < canvas.width() - 2; ++x)
                for (int shift : {0, 8, 16})
                    worst = std::max(
                        worst,
                        std::abs(int(canvas.pixel(x, y) >> shift & 0xFF) - int(want.pixel(x, y) >> shift & 0xFF)));
        QVERIFY2(worst <= 8, qPrintable(QString::number(worst)));
    }

    void customMasksDrawn()
    {
        auto dib = CustomDib();
        dib->Row(0)[0] = 0x00, dib->Row(0)[1] = 0x7C; // red
        TBitmap bitmap(dib);
        QCOMPARE(bitmap.Image().pixel(0, 0) & 0xFFFFFF, 0xFF0000u);
        QCOMPARE(bitmap.Image().pixel(1, 1) & 0xFFFFFF, 0u);
    }

    void largePictureToEightBits()
    {
        // A 12-megapixel picture with a million distinct colours maps into the halftone palette.
        const int w = 4000, h = 3000;
        auto dib = NewDib(w, h, 24);
        for (int y = 0; y < h; ++y) {
            uint8_t* row = dib->Row(y);
            for (int x = 0; x < w; ++x, row += 3) {
                row[0] = uint8_t(x * 255 / w);
                row[1] = uint8_t(y * 255 / h);
                row[2] = uint8_t((x ^ y) & 255);
            }
        }
        TBitmap bitmap(dib);
        QElapsedTimer timer;
        timer.start();
        bitmap.SetPixelFormat(TPixelFormat::Bit8);
        qInfo("12 MP to 8 bits: %lld ms", timer.elapsed());
        const auto& table = HalftonePalette256();
        for (int y = 0; y < h; y += 97)
            for (int x = 0; x < w; x += 89) {
                const int index = bitmap.Dib().Row(y)[x];
                QCOMPARE(index, BruteNearest(table, dib->PixelRgb(x, y) & 0xFFFFFF));
            }
    }
};

QTEST_MAIN(TestPixelConvert)
#include "test_pixel_convert.moc"
