// SPDX-License-Identifier: GPL-3.0-or-later
// The libjpeg front's decoder: header facts, pixels against djpeg, truncated and hostile
// files, CMYK colours, limits.
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <jerror.h>

#include "picture/Failure.h"
#include "picture/JpegCodec.h"
#include "picture/Limits.h"
#include "TestFiles.h"
#include "ErrorOf.h"
#include "test_jpeg_files.h"

using namespace jpegtest;
Q_DECLARE_METATYPE(jpegtest::Space)

namespace {

QString JpegError(int code)
{
    return QStringLiteral("JPEG error #%1").arg(code);
}

// Repeats the file's last scan (from its SOS marker to the end-of-image marker) `times`
// more times. Repeated refinement scans are only warnings to libjpeg, so the file stays
// decodable; it just has that many scans.
QByteArray WithRepeatedLastScan(const QByteArray& jpeg, int times)
{
    const qsizetype sos = jpeg.lastIndexOf(QByteArray("\xFF\xDA", 2));
    const qsizetype eoi = jpeg.size() - 2;
    if (sos < 0 || !jpeg.endsWith(QByteArray("\xFF\xD9", 2)))
        return {};
    const QByteArray scan = jpeg.mid(sos, eoi - sos);
    return jpeg.left(eoi) + scan.repeated(times) + jpeg.mid(eoi);
}

struct Cmyk {
    int c, m, y, k;
};
const Cmyk kInks[] = {{0, 255, 255, 0}, {255, 0, 255, 0}, {255, 255, 0, 0}, {0, 0, 0, 128},
                      {0, 0, 0, 0},     {0, 0, 0, 255},   {64, 128, 0, 32}, {0, 40, 200, 10}};
constexpr int kBlock = 16;

// Blocks of flat colour, stored as Adobe applications store CMYK: 255 minus the ink.
std::vector<uint8_t> CmykBlocks()
{
    const int n = int(std::size(kInks));
    std::vector<uint8_t> px;
    for (int y = 0; y < kBlock; ++y)
        for (int x = 0; x < n * kBlock; ++x) {
            const Cmyk& ink = kInks[x / kBlock];
            px.insert(px.end(),
                      {uint8_t(255 - ink.c), uint8_t(255 - ink.m), uint8_t(255 - ink.y), uint8_t(255 - ink.k)});
        }
    return px;
}

uint32_t ExpectedRgb(const Cmyk& ink)
{
    auto ch = [&](int v) { return uint32_t(((255 - v) * (255 - ink.k) + 127) / 255); };
    return ch(ink.c) << 16 | ch(ink.m) << 8 | ch(ink.y);
}

} // namespace

class TestJpegCodec : public QObject {
    Q_OBJECT

private slots:
    void matchesDjpeg_data();
    void matchesDjpeg();
    void headerFacts_data();
    void headerFacts();
    void refusedData_data();
    void refusedData();
    void truncatedFileDecodes_data();
    void truncatedFileDecodes();
    void cmykInTrueColours_data();
    void cmykInTrueColours();
    void hugeSizeFailsFast_data();
    void hugeSizeFailsFast();
    void scanCountIsBounded_data();
    void scanCountIsBounded();
    void damagedFilesFailCleanly_data();
    void damagedFilesFailCleanly();
};

void TestJpegCodec::matchesDjpeg_data()
{
    QTest::addColumn<Space>("space");
    QTest::addColumn<bool>("progressive");
    QTest::addColumn<bool>("arithmetic");
    QTest::addColumn<int>("lumaH");
    QTest::addColumn<int>("lumaV");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("denom");
    QTest::addColumn<bool>("quantize");
    QTest::addColumn<bool>("fast");
    QTest::addColumn<bool>("greyOut");
    QTest::addColumn<bool>("buffered");
    QTest::addColumn<QStringList>("djpegArgs");

    const QSize s(96, 72), odd(61, 37);
    const QStringList none;
    QTest::newRow("baseline 4:2:0") << Space::Rgb << false << false << 2 << 2 << s << 1 << false << false << false
                                    << false << none;
    QTest::newRow("baseline 4:2:2") << Space::Rgb << false << false << 2 << 1 << s << 1 << false << false << false
                                    << false << none;
    QTest::newRow("baseline 4:4:4") << Space::Rgb << false << false << 1 << 1 << s << 1 << false << false << false
                                    << false << none;
    QTest::newRow("odd size") << Space::Rgb << false << false << 2 << 2 << odd << 1 << false << false << false << false
                              << none;
    QTest::newRow("progressive") << Space::Rgb << true << false << 2 << 2 << s << 1 << false << false << false << false
                                 << none;
    QTest::newRow("arithmetic") << Space::Rgb << false << true << 2 << 2 << s << 1 << false << false << false << false
                                << none;
    QTest::newRow("progressive arithmetic 4:2:2")
        << Space::Rgb << true << true << 2 << 1 << odd << 1 << false << false << false << false << none;
    QTest::newRow("greyscale") << Space::Grey << false << false << 1 << 1 << s << 1 << false << false << false << false
                               << none;
    QTest::newRow("greyscale, 236 levels") << Space::Grey << false << false << 1 << 1 << s << 1 << true << false
                                           << false << false << QStringList {"-colors", "236"};
    QTest::newRow("236 colours") << Space::Rgb << false << false << 2 << 2 << s << 1 << true << false << false << false
                                 << QStringList {"-colors", "236"};
    QTest::newRow("236 colours, best speed")
        << Space::Rgb << true << false << 2 << 2 << s << 1 << true << true << false << false
        << QStringList {"-colors", "236", "-onepass", "-dither", "ordered", "-dct", "fast"};
    QTest::newRow("best speed") << Space::Rgb << false << false << 2 << 2 << s << 1 << false << true << false << false
                                << QStringList {"-dct", "fast"};
    QTest::newRow("colour as greyscale") << Space::Rgb << false << false << 2 << 2 << s << 1 << true << false << true
                                         << false << QStringList {"-grayscale", "-colors", "236"};
    QTest::newRow("half") << Space::Rgb << false << false << 2 << 2 << odd << 2 << false << false << false << false
                          << QStringList {"-scale", "1/2"};
    QTest::newRow("quarter") << Space::Rgb << true << false << 2 << 2 << s << 4 << false << false << false << false
                             << QStringList {"-scale", "1/4"};
    QTest::newRow("eighth") << Space::Rgb << false << false << 2 << 1 << odd << 8 << false << false << false << false
                            << QStringList {"-scale", "1/8"};
    QTest::newRow("progressive display") << Space::Rgb << true << false << 2 << 2 << s << 1 << false << false << false
                                         << true << none;
    QTest::newRow("progressive display, 236 colours") << Space::Rgb << true << false << 2 << 2 << s << 1 << true
                                                      << false << false << true << QStringList {"-colors", "236"};
}

void TestJpegCodec::matchesDjpeg()
{
    if (!QFileInfo::exists(QString::fromLatin1(kDjpeg)))
        QSKIP("djpeg (libjpeg-turbo-progs) is not installed");
    QFETCH(Space, space);
    QFETCH(bool, progressive);
    QFETCH(bool, arithmetic);
    QFETCH(int, lumaH);
    QFETCH(int, lumaV);
    QFETCH(QSize, size);
    QFETCH(int, denom);
    QFETCH(bool, quantize);
    QFETCH(bool, fast);
    QFETCH(bool, greyOut);
    QFETCH(bool, buffered);
    QFETCH(QStringList, djpegArgs);

    Recipe recipe;
    recipe.width = size.width();
    recipe.height = size.height();
    recipe.space = space;
    recipe.progressive = progressive;
    recipe.arithmetic = arithmetic;
    recipe.lumaH = lumaH;
    recipe.lumaV = lumaV;
    const QByteArray jpeg = Encode(recipe);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("in.jpg");
    WriteBytes(path, jpeg);
    const Pnm ref = Djpeg(path, djpegArgs, dir.filePath("out.pnm"));
    QVERIFY(ref.Valid());

    JpegDecodeOptions o;
    o.scaleDenom = denom;
    o.quantize = quantize;
    o.fast = fast;
    o.grayscaleOut = greyOut;
    o.buffered = buffered;
    const JpegDecodeResult r = JpegDecode(jpeg, o, {});
    QCOMPARE(r.error, QString());
    QVERIFY(r.dib);
    const bool indexed = quantize || greyOut || space == Space::Grey;
    QCOMPARE(int(r.dib->bitCount), indexed ? 8 : 24);
    QVERIFY(r.dib->stride % 4 == 0);
    if (quantize)
        QVERIFY(r.dib->colors.size() <= 236);
    QCOMPARE(FirstDifference(*r.dib, ref), QString());
}

void TestJpegCodec::headerFacts_data()
{
    QTest::addColumn<QByteArray>("jpeg");
    QTest::addColumn<bool>("grayscale");
    QTest::addColumn<bool>("multiScan");
    QTest::addColumn<int>("components");
    QTest::addColumn<int>("colorSpace");

    Recipe s;
    s.width = 70;
    s.height = 30;
    QTest::newRow("baseline") << Encode(s) << false << false << 3 << int(JCS_YCbCr);
    Recipe p = s;
    p.progressive = true;
    QTest::newRow("progressive") << Encode(p) << false << true << 3 << int(JCS_YCbCr);
    Recipe g = s;
    g.space = Space::Grey;
    QTest::newRow("greyscale") << Encode(g) << true << false << 1 << int(JCS_GRAYSCALE);
    g.progressive = true;
    QTest::newRow("greyscale progressive") << Encode(g) << true << true << 1 << int(JCS_GRAYSCALE);
    // Sequential, but one scan per component: still more than one scan.
    Recipe q = s;
    for (int c = 0; c < 3; ++c)
        q.scans.push_back({1, {c, 0, 0, 0}, 0, 63, 0, 0});
    QTest::newRow("sequential, scan per component") << Encode(q) << false << true << 3 << int(JCS_YCbCr);
    Recipe k = s;
    k.space = Space::Cmyk;
    QTest::newRow("cmyk") << Encode(k) << false << false << 4 << int(JCS_CMYK);
    k.space = Space::Ycck;
    QTest::newRow("ycck") << Encode(k) << false << false << 4 << int(JCS_YCCK);
}

void TestJpegCodec::headerFacts()
{
    QFETCH(QByteArray, jpeg);
    QFETCH(bool, grayscale);
    QFETCH(bool, multiScan);
    QFETCH(int, components);
    QFETCH(int, colorSpace);
    const JpegHeader h = JpegReadHeader(jpeg);
    QCOMPARE(h.width, 70);
    QCOMPARE(h.height, 30);
    QCOMPARE(h.grayscale, grayscale);
    QCOMPARE(h.multiScan, multiScan);
    QCOMPARE(h.components, components);
    QCOMPARE(h.colorSpace, colorSpace);
}

void TestJpegCodec::refusedData_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("code");
    QTest::newRow("empty") << QByteArray() << int(JERR_INPUT_EMPTY);
    QTest::newRow("not a JPEG") << QByteArray("GIF89a, not a JPEG file at all") << int(JERR_NO_SOI);
    QTest::newRow("start marker only") << QByteArray("\xFF\xD8", 2) << int(JERR_NO_IMAGE);
}

void TestJpegCodec::refusedData()
{
    QFETCH(QByteArray, data);
    QFETCH(int, code);
    QCOMPARE(ErrorOf([&] { JpegReadHeader(data); }), JpegError(code));
    const JpegDecodeResult r = JpegDecode(data, {}, {});
    QCOMPARE(r.error, JpegError(code));
    QVERIFY(!r.dib);
    QCOMPARE(JpegEmptyInputCode(), int(JERR_INPUT_EMPTY));
}

void TestJpegCodec::truncatedFileDecodes_data()
{
    QTest::addColumn<bool>("progressive");
    QTest::addColumn<bool>("arithmetic");
    QTest::addColumn<double>("keep");
    QTest::addColumn<int>("exactRows");
    QTest::newRow("baseline, 30%") << false << false << 0.3 << 8;
    QTest::newRow("baseline, 70%") << false << false << 0.7 << 48;
    QTest::newRow("baseline, last byte cut") << false << false << -1.0 << 128;
    QTest::newRow("arithmetic, 50%") << false << true << 0.5 << 16;
    QTest::newRow("progressive, 50%") << true << false << 0.5 << 0;
}

void TestJpegCodec::truncatedFileDecodes()
{
    QFETCH(bool, progressive);
    QFETCH(bool, arithmetic);
    QFETCH(double, keep);
    QFETCH(int, exactRows);
    Recipe s;
    s.width = 128;
    s.height = 128;
    s.progressive = progressive;
    s.arithmetic = arithmetic;
    const QByteArray whole = Encode(s);
    const QByteArray cut = whole.left(keep < 0 ? whole.size() - 1 : qsizetype(whole.size() * keep));

    const JpegDecodeResult full = JpegDecode(whole, {}, {});
    const JpegDecodeResult part = JpegDecode(cut, {}, {});
    QCOMPARE(part.error, QString());
    QVERIFY(part.dib);
    QCOMPARE(part.dib->width, 128);
    QCOMPARE(part.dib->height, 128);
    for (int y = 0; y < exactRows; ++y)
        QVERIFY2(std::equal(full.dib->Row(y), full.dib->Row(y) + 3 * 128, part.dib->Row(y)),
                 qPrintable(QStringLiteral("row %1").arg(y)));
    // Something was decoded: not a uniform image.
    const uint32_t first = part.dib->PixelRgb(0, 0);
    bool varies = false;
    for (int x = 0; x < 128 && !varies; ++x)
        varies = part.dib->PixelRgb(x, 3) != first;
    QVERIFY(varies);
}

void TestJpegCodec::cmykInTrueColours_data()
{
    QTest::addColumn<Space>("space");
    QTest::addColumn<bool>("quantize");
    QTest::addColumn<bool>("progressiveDisplay");
    QTest::addColumn<int>("tolerance");
    QTest::newRow("cmyk") << Space::Cmyk << false << false << 4;
    QTest::newRow("ycck") << Space::Ycck << false << false << 4;
    QTest::newRow("ycck, progressive display") << Space::Ycck << false << true << 4;
    // Few colours per channel with dithering: only the block's mean comes close.
    QTest::newRow("cmyk, 236 colours") << Space::Cmyk << true << false << 24;
    QTest::newRow("cmyk, 236 colours, progressive display") << Space::Cmyk << true << true << 24;
}

void TestJpegCodec::cmykInTrueColours()
{
    QFETCH(Space, space);
    QFETCH(bool, quantize);
    QFETCH(bool, progressiveDisplay);
    QFETCH(int, tolerance);
    Recipe s;
    s.space = space;
    s.quality = 100;
    s.progressive = progressiveDisplay;
    s.width = int(std::size(kInks)) * kBlock;
    s.height = kBlock;
    const QByteArray jpeg = Encode(s, CmykBlocks());
    JpegDecodeOptions o;
    o.quantize = quantize;
    o.buffered = progressiveDisplay;
    const JpegDecodeResult r = JpegDecode(jpeg, o, {});
    QCOMPARE(r.error, QString());
    QCOMPARE(int(r.dib->bitCount), quantize ? 8 : 24);
    for (int b = 0; b < int(std::size(kInks)); ++b) {
        // The mean of the block's inner 8x8 pixels, away from edges that chroma smoothing blurs.
        int sum[3] = {0, 0, 0};
        for (int y = 4; y < 12; ++y)
            for (int x = b * kBlock + 4; x < b * kBlock + 12; ++x) {
                const uint32_t px = r.dib->PixelRgb(x, y);
                sum[0] += int(px >> 16 & 0xFF);
                sum[1] += int(px >> 8 & 0xFF);
                sum[2] += int(px & 0xFF);
            }
        const uint32_t want = ExpectedRgb(kInks[b]);
        const int wantCh[3] = {int(want >> 16), int(want >> 8 & 0xFF), int(want & 0xFF)};
        for (int c = 0; c < 3; ++c)
            QVERIFY2(std::abs(sum[c] / 64 - wantCh[c]) <= tolerance,
                     qPrintable(QStringLiteral("block %1 channel %2: %3, expected %4")
                                    .arg(b)
                                    .arg(c)
                                    .arg(sum[c] / 64)
                                    .arg(wantCh[c])));
    }
}

void TestJpegCodec::hugeSizeFailsFast_data()
{
    QTest::addColumn<bool>("progressive");
    QTest::addColumn<bool>("quantize");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("65500 square, baseline") << false << false << 65500 << 65500;
    QTest::newRow("65500 square, progressive") << true << false << 65500 << 65500;
    QTest::newRow("beyond the decoded-bytes limit") << false << false << 20000 << 20000;
    // The 8-bit output fits, but the progressive file's coefficients and the two-pass
    // quantiser's copy would take over 1.7 GiB of libjpeg's own memory.
    QTest::newRow("beyond libjpeg's working memory") << true << true << 14000 << 14000;
}

void TestJpegCodec::hugeSizeFailsFast()
{
    QFETCH(bool, progressive);
    QFETCH(bool, quantize);
    QFETCH(int, width);
    QFETCH(int, height);
    Recipe s;
    s.width = 16;
    s.height = 16;
    s.progressive = progressive;
    s.lumaH = s.lumaV = 1;
    const QByteArray jpeg = WithFrameSize(Encode(s), width, height);
    QVERIFY(jpeg.size() < 1000);
    const JpegHeader h = JpegReadHeader(jpeg);
    QCOMPARE(h.width, width);
    QCOMPARE(h.height, height);
    JpegDecodeOptions o;
    o.quantize = quantize;
    const JpegDecodeResult r = JpegDecode(jpeg, o, {});
    QCOMPARE(r.error, QString::fromLatin1(kOutOfResources));
}

void TestJpegCodec::scanCountIsBounded_data()
{
    QTest::addColumn<QByteArray>("jpeg");
    QTest::addColumn<bool>("buffered");
    QTest::addColumn<bool>("fails");

    // 1 + 63 * 9 = 568 legal scans for one component: within the limit.
    Recipe grey;
    grey.space = Space::Grey;
    grey.width = 32;
    grey.height = 32;
    grey.scans.push_back({1, {0, 0, 0, 0}, 0, 0, 0, 0});
    AddSingleCoefficientScans(grey.scans, 0, 8);
    const QByteArray legalGrey = Encode(grey);
    QTest::newRow("568 scans") << legalGrey << false << false;
    QTest::newRow("568 scans, progressive display") << legalGrey << true << false;

    // The same for three components: 1 + 3 * 567 = 1702 legal scans.
    Recipe colour = grey;
    colour.space = Space::Rgb;
    colour.lumaH = colour.lumaV = 1;
    colour.scans = {{3, {0, 1, 2, 0}, 0, 0, 0, 0}};
    for (int c = 0; c < 3; ++c)
        AddSingleCoefficientScans(colour.scans, c, 8);
    const QByteArray legalColour = Encode(colour);
    QTest::newRow("1702 scans") << legalColour << false << true;
    QTest::newRow("1702 scans, progressive display") << legalColour << true << true;

    Recipe simple = grey;
    simple.scans.clear();
    simple.progressive = true;
    const QByteArray repeated = WithRepeatedLastScan(Encode(simple), 1500);
    QTest::newRow("a scan repeated 1500 times") << repeated << false << true;
    QTest::newRow("a scan repeated 1500 times, progressive display") << repeated << true << true;
}

void TestJpegCodec::scanCountIsBounded()
{
    QFETCH(QByteArray, jpeg);
    QFETCH(bool, buffered);
    QFETCH(bool, fails);
    QVERIFY(!jpeg.isEmpty());
    QVERIFY(JpegReadHeader(jpeg).multiScan);
    JpegDecodeOptions o;
    o.buffered = buffered;
    const JpegDecodeResult r = JpegDecode(jpeg, o, {});
    QCOMPARE(r.error, fails ? JpegError(JpegTooManyScansCode()) : QString());
    QVERIFY(JpegTooManyScansCode() > int(JMSG_LASTMSGCODE));
    QVERIFY(r.dib); // what was decoded before the limit stays
}

void TestJpegCodec::damagedFilesFailCleanly_data()
{
    QTest::addColumn<QByteArray>("jpeg");
    Recipe s;
    s.width = 40;
    s.height = 24;
    QTest::newRow("baseline") << Encode(s);
    s.progressive = true;
    QTest::newRow("progressive") << Encode(s);
    s.arithmetic = true;
    QTest::newRow("progressive arithmetic") << Encode(s);
    s.arithmetic = s.progressive = false;
    s.space = Space::Ycck;
    QTest::newRow("ycck") << Encode(s);
    s.space = Space::Grey;
    s.progressive = true;
    QTest::newRow("greyscale progressive") << Encode(s);
}

void TestJpegCodec::damagedFilesFailCleanly()
{
    // Bytes overwritten at pseudo-random places, and every cut: each decoding ends, with an
    // error or a picture of the header's size (the sanitizer build checks the memory use).
    QFETCH(QByteArray, jpeg);
    uint32_t seed = 12345;
    auto next = [&] { return seed = seed * 1103515245u + 12345u; };
    QList<QByteArray> damaged;
    for (int i = 0; i < 150; ++i) {
        QByteArray d = jpeg;
        const int hits = 1 + int(next() >> 16) % 4;
        for (int h = 0; h < hits; ++h)
            d[qsizetype((next() >> 8) % uint32_t(d.size()))] = char(next() >> 24);
        damaged << d;
    }
    for (qsizetype n = 1; n < jpeg.size(); n += 7)
        damaged << jpeg.left(n);
    int decoded = 0;
    for (qsizetype i = 0; i < damaged.size(); ++i) {
        JpegHeader h;
        try {
            h = JpegReadHeader(damaged[i]);
        } catch (const Failure& f) {
            QVERIFY(f.Text().startsWith("JPEG error #"));
            continue;
        }
        for (bool buffered : {false, true}) {
            JpegDecodeOptions o;
            o.buffered = buffered;
            o.quantize = i % 2;
            const JpegDecodeResult r = JpegDecode(damaged[i], o, {});
            QVERIFY(r.error.isEmpty() || r.error.startsWith("JPEG error #") || r.error == kOutOfResources);
            if (r.dib) {
                QCOMPARE(r.dib->width, h.width);
                QCOMPARE(r.dib->height, h.height);
                decoded += r.error.isEmpty();
            }
        }
    }
    QVERIFY(decoded > 0);
}

QTEST_GUILESS_MAIN(TestJpegCodec)
#include "test_jpeg_codec.moc"
