// SPDX-License-Identifier: GPL-3.0-or-later
// The libjpeg front's encoder: quality tables, progressive and greyscale files, colours.
#include <QtTest>

#include "picture/JpegCodec.h"
#include "test_jpeg_files.h"

namespace {

// The standard tables of the JPEG standard's annex K, in natural order.
const int kLuminance[64] = {16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
                            14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
                            18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
                            49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
const int kChrominance[64] = {17, 18, 24, 47, 99, 99, 99, 99, 18, 21, 26, 66, 99, 99, 99, 99, 24, 26, 56, 99, 99, 99,
                              99, 99, 47, 66, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99,
                              99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99, 99};

int ScaledQuant(int base, int quality)
{
    const int scale = quality < 50 ? 5000 / quality : 200 - quality * 2;
    return std::clamp((base * scale + 50) / 100, 1, 255);
}

// What libjpeg reads back from an encoded file.
struct Decoded {
    bool ok = false;
    bool progressive = false;
    bool multiScan = false;
    int colorSpace = 0;
    int components = 0;
    int quant[2][64] = {};
};

Decoded ReadBack(const QByteArray& jpeg)
{
    Decoded d;
    jpeg_decompress_struct c {};
    jpeg_error_mgr err {};
    c.err = jpeg_std_error(&err);
    jpeg_create_decompress(&c);
    jpeg_mem_src(&c, reinterpret_cast<const unsigned char*>(jpeg.constData()), (unsigned long)jpeg.size());
    if (jpeg_read_header(&c, TRUE) == JPEG_HEADER_OK) {
        d.ok = true;
        d.progressive = c.progressive_mode;
        d.multiScan = jpeg_has_multiple_scans(&c);
        d.colorSpace = c.jpeg_color_space;
        d.components = c.num_components;
        for (int t = 0; t < 2; ++t)
            if (c.quant_tbl_ptrs[t])
                for (int i = 0; i < 64; ++i)
                    d.quant[t][i] = c.quant_tbl_ptrs[t]->quantval[i];
    }
    jpeg_destroy_decompress(&c);
    return d;
}

std::shared_ptr<DibImage> SmoothRgb(int width, int height)
{
    auto dib = NewDib(width, height, 24);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = dib->Row(y) + 3 * x;
            p[0] = uint8_t(40 + x * 150 / width);   // blue
            p[1] = uint8_t(200 - y * 150 / height); // green
            p[2] = uint8_t(230 - x * 100 / width);  // red
        }
    return dib;
}

} // namespace

class TestJpegEncode : public QObject {
    Q_OBJECT

private slots:
    void encoderSettings_data();
    void encoderSettings();
    void encodeKeepsColours();
    void encodeOfNothingIsEmpty();
};

void TestJpegEncode::encoderSettings_data()
{
    QTest::addColumn<int>("quality");
    QTest::addColumn<bool>("progressive");
    QTest::addColumn<bool>("grayscale");
    QTest::newRow("75, progressive") << 75 << true << false;
    QTest::newRow("75, baseline") << 75 << false << false;
    QTest::newRow("90") << 90 << false << false;
    QTest::newRow("30, progressive") << 30 << true << false;
    QTest::newRow("100") << 100 << false << false;
    QTest::newRow("1, baseline tables forced") << 1 << false << false;
    QTest::newRow("60, greyscale") << 60 << false << true;
    QTest::newRow("60, greyscale progressive") << 60 << true << true;
}

void TestJpegEncode::encoderSettings()
{
    QFETCH(int, quality);
    QFETCH(bool, progressive);
    QFETCH(bool, grayscale);
    QString error = "unset";
    const QByteArray jpeg = JpegEncode(*SmoothRgb(50, 40), quality, grayscale, progressive, {}, &error);
    QCOMPARE(error, QString());
    const Decoded d = ReadBack(jpeg);
    QVERIFY(d.ok);
    QCOMPARE(d.progressive, progressive);
    QCOMPARE(d.multiScan, progressive);
    QCOMPARE(d.colorSpace, int(grayscale ? JCS_GRAYSCALE : JCS_YCbCr));
    QCOMPARE(d.components, grayscale ? 1 : 3);
    for (int i = 0; i < 64; ++i) {
        QCOMPARE(d.quant[0][i], ScaledQuant(kLuminance[i], quality));
        if (!grayscale)
            QCOMPARE(d.quant[1][i], ScaledQuant(kChrominance[i], quality));
    }
    const JpegHeader h = JpegReadHeader(jpeg);
    QCOMPARE(h.width, 50);
    QCOMPARE(h.height, 40);
}

void TestJpegEncode::encodeKeepsColours()
{
    // Each channel must come back as itself (a swapped red and blue would be far off).
    const auto src = SmoothRgb(64, 64);
    QString error;
    const QByteArray jpeg = JpegEncode(*src, 100, false, false, {}, &error);
    const JpegDecodeResult r = JpegDecode(jpeg, {}, {});
    QCOMPARE(r.error, QString());
    long diff[3] = {0, 0, 0};
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64 * 3; ++x)
            diff[x % 3] += std::abs(int(src->Row(y)[x]) - int(r.dib->Row(y)[x]));
    for (long d : diff)
        QVERIFY2(d / (64 * 64) <= 2, qPrintable(QString::number(d / (64.0 * 64))));
}

void TestJpegEncode::encodeOfNothingIsEmpty()
{
    QString error = "unset";
    QVERIFY(JpegEncode(*NewDib(0, 10, 24), 90, false, false, {}, &error).isEmpty());
    QCOMPARE(error, QString());
    QVERIFY(JpegEncode(*NewDib(10, 0, 24), 90, false, true, {}, &error).isEmpty());
    QCOMPARE(error, QString());
}

QTEST_GUILESS_MAIN(TestJpegEncode)
#include "test_jpeg_encode.moc"
