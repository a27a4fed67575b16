// SPDX-License-Identifier: GPL-3.0-or-later
// The JPEG picture: loading, decoding on need (full size or a reduced display cache),
// copies, and writing back.
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

#include "picture/Bitmap.h"
#include "picture/Failure.h"
#include "picture/JpegCodec.h"
#include "picture/JpegImage.h"
#include "picture/Picture.h"
#include "picture/PixelConvert.h"
#include "TestFiles.h"
#include "ErrorOf.h"
#include "test_jpeg_files.h"

using namespace jpegtest;
Q_DECLARE_METATYPE(jpegtest::Space)
Q_DECLARE_METATYPE(TPixelFormat)

namespace {

// A JPEG file with a comment segment after the start marker, as many files carry.
QByteArray JpegWithComment()
{
    QByteArray jpeg = Jpeg(40, 30);
    const QByteArray text = "made for a byte-for-byte test";
    QByteArray com("\xFF\xFE", 2);
    com.append(char((text.size() + 2) >> 8)).append(char((text.size() + 2) & 0xFF)).append(text);
    return jpeg.insert(2, com);
}

// 1702 scans: beyond the scan limit, so decoding fails after the first scans.
QByteArray TooManyScans()
{
    Recipe s;
    s.width = s.height = 32;
    s.lumaH = s.lumaV = 1;
    s.scans = {{3, {0, 1, 2, 0}, 0, 0, 0, 0}};
    for (int c = 0; c < 3; ++c)
        AddSingleCoefficientScans(s.scans, c, 8);
    return Encode(s);
}

QImage Drawn(const TGraphic& g, QSize canvas, const QRect& rect, bool smooth)
{
    QImage out(canvas, QImage::Format_RGB32);
    out.fill(Qt::magenta);
    QPainter p(&out);
    g.Draw(p, rect, smooth);
    p.end();
    return out;
}

std::shared_ptr<DibImage> Palette8(int width, int height)
{
    auto dib = NewDib(width, height, 8);
    for (int i = 0; i < 4; ++i)
        dib->colors.push_back(RgbQuad {uint8_t(60 * i), uint8_t(200 - 40 * i), uint8_t(30 + 50 * i), 0});
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            dib->Row(y)[x] = uint8_t((x / 16 + y / 16) % 4);
    return dib;
}

int MaxChannelDifference(uint32_t a, uint32_t b)
{
    int worst = 0;
    for (int shift : {0, 8, 16})
        worst = std::max(worst, std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)));
    return worst;
}

} // namespace

class TestJpegImage : public QObject {
    Q_OBJECT

private slots:
    void zeroByteFile();
    void progressiveFlag_data();
    void progressiveFlag();
    void decodedPixelFormat_data();
    void decodedPixelFormat();
    void scaledCache_data();
    void scaledCache();
    void cacheGrowsOnlyWhenNeeded();
    void drawNeverDecodes();
    void scaleSettingSize();
    void savesLoadedBytesExactly();
    void failedLoadKeepsPicture();
    void failedDecodeIsNotRetried();
    void cloneSharesDataKeepsOwnSettings();
    void encodeOfEmptyBitmap_data();
    void encodeOfEmptyBitmap();
    void encodeFromBitmap_data();
    void encodeFromBitmap();
};

void TestJpegImage::zeroByteFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath("empty.JPG");
    WriteBytes(path, {});
    TPicture picture;
    picture.LoadFromFile(path);
    QVERIFY(picture.HasGraphic());
    QCOMPARE(picture.Graphic()->Kind(), GraphicKind::Jpeg);
    auto& jpeg = *static_cast<TJpegImage*>(picture.Graphic());
    QCOMPARE(jpeg.Width(), 0);
    QCOMPARE(jpeg.Height(), 0);
    QVERIFY(jpeg.Empty());

    const QString expected = QStringLiteral("JPEG error #%1").arg(JpegEmptyInputCode());
    QVERIFY(jpeg.NeedsPrepare(QSize(60, 40)));
    QCOMPARE(ErrorOf([&] { jpeg.Prepare(QSize(60, 40)); }), expected);
    // Reported once: the failure is remembered and the picture not decoded again.
    QVERIFY(!jpeg.NeedsPrepare(QSize(60, 40)));
    QCOMPARE(ErrorOf([&] { jpeg.Prepare(QSize(60, 40)); }), QString());
    QVERIFY(jpeg.DecodeFailed());
    QCOMPARE(ErrorOf([&] { jpeg.Bitmap(); }), expected);
    QCOMPARE(jpeg.Width(), 0);
}

void TestJpegImage::progressiveFlag_data()
{
    QTest::addColumn<QByteArray>("jpeg");
    QTest::addColumn<bool>("progressive");
    QTest::newRow("baseline") << Jpeg(30, 20) << false;
    QTest::newRow("progressive") << Jpeg(30, 20, Space::Rgb, true) << true;
    QTest::newRow("greyscale progressive") << Jpeg(30, 20, Space::Grey, true) << true;
}

void TestJpegImage::progressiveFlag()
{
    QFETCH(QByteArray, jpeg);
    QFETCH(bool, progressive);
    TJpegImage image;
    // Loading sets the flag from the file, whatever it was before.
    image.settings.progressiveEncoding = !progressive;
    image.LoadFromBytes(jpeg);
    QCOMPARE(image.settings.progressiveEncoding, progressive);
    QCOMPARE(image.MultiScan(), progressive);
    QCOMPARE(image.Width(), 30);
    QCOMPARE(image.Height(), 20);
    QVERIFY(!image.HasBitmap());
}

void TestJpegImage::decodedPixelFormat_data()
{
    QTest::addColumn<Space>("space");
    QTest::addColumn<TPixelFormat>("setting");
    QTest::addColumn<bool>("greyscale");
    QTest::addColumn<TPixelFormat>("decoded");
    QTest::newRow("colour") << Space::Rgb << TPixelFormat::Bit24 << false << TPixelFormat::Bit24;
    QTest::newRow("greyscale file") << Space::Grey << TPixelFormat::Bit24 << false << TPixelFormat::Bit8;
    QTest::newRow("colour, 8-bit setting") << Space::Rgb << TPixelFormat::Bit8 << false << TPixelFormat::Bit8;
    QTest::newRow("colour, greyscale setting") << Space::Rgb << TPixelFormat::Bit24 << true << TPixelFormat::Bit8;
    QTest::newRow("cmyk") << Space::Cmyk << TPixelFormat::Bit24 << false << TPixelFormat::Bit24;
    QTest::newRow("cmyk, greyscale setting") << Space::Cmyk << TPixelFormat::Bit24 << true << TPixelFormat::Bit8;
}

void TestJpegImage::decodedPixelFormat()
{
    QFETCH(Space, space);
    QFETCH(TPixelFormat, setting);
    QFETCH(bool, greyscale);
    QFETCH(TPixelFormat, decoded);
    const QByteArray data = Jpeg(48, 32, space);
    TJpegImage image;
    image.settings.pixelFormat = setting;
    image.settings.grayscale = greyscale;
    image.LoadFromBytes(data);
    QCOMPARE(image.HeaderGrayscale(), space == Space::Grey);
    const TBitmap& bitmap = image.Bitmap();
    QCOMPARE(bitmap.PixelFormat(), decoded);
    QCOMPARE(bitmap.Width(), 48);
    QCOMPARE(bitmap.Height(), 32);
    const std::vector<RgbQuad>& table = bitmap.Dib().colors;
    if (decoded == TPixelFormat::Bit24) {
        QVERIFY(table.empty());
        return;
    }
    QVERIFY(!table.empty() && table.size() <= 236);
    if (space == Space::Grey || greyscale) {
        // libjpeg's greyscale map: 236 grey levels from black to white.
        QCOMPARE(int(table.size()), 236);
        for (size_t i = 0; i < table.size(); ++i) {
            QCOMPARE(table[i].red, table[i].green);
            QCOMPARE(table[i].green, table[i].blue);
            if (i > 0)
                QVERIFY(table[i].red > table[i - 1].red);
        }
        QCOMPARE(int(table.front().red), 0);
        QCOMPARE(int(table.back().red), 255);
    }
    if (space != Space::Cmyk) {
        // The bitmap's colour table is libjpeg's colour map for these pixels.
        JpegDecodeOptions o;
        o.quantize = true;
        o.grayscaleOut = greyscale;
        const JpegDecodeResult r = JpegDecode(data, o, {});
        QVERIFY(r.dib->colors == table);
        QVERIFY(r.dib->bits == bitmap.Dib().bits);
    }
}

void TestJpegImage::scaledCache_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("target");
    QTest::addColumn<int>("denom");
    const QSize wide(800, 600), odd(801, 601);
    QTest::newRow("exactly an eighth") << wide << QSize(100, 75) << 8;
    QTest::newRow("a pixel more than an eighth") << wide << QSize(101, 75) << 4;
    QTest::newRow("exactly a quarter") << wide << QSize(200, 150) << 4;
    QTest::newRow("taller than a quarter") << wide << QSize(150, 151) << 2;
    QTest::newRow("exactly a half") << wide << QSize(400, 300) << 2;
    QTest::newRow("more than a half") << wide << QSize(401, 300) << 1;
    QTest::newRow("full size") << wide << QSize(800, 600) << 1;
    QTest::newRow("larger") << wide << QSize(1600, 1200) << 1;
    QTest::newRow("eighth rounded up") << odd << QSize(101, 76) << 8;
    QTest::newRow("portrait thumbnail") << QSize(600, 800) << QSize(60, 100) << 8;
}

void TestJpegImage::scaledCache()
{
    QFETCH(QSize, picture);
    QFETCH(QSize, target);
    QFETCH(int, denom);
    const QByteArray data = Jpeg(picture.width(), picture.height());
    TJpegImage image;
    image.LoadFromBytes(data);
    QVERIFY(image.NeedsPrepare(target));
    image.Prepare(target);
    QVERIFY(!image.NeedsPrepare(target));
    QCOMPARE(image.HasBitmap(), denom == 1);
    // What every reader sees stays the full size.
    QCOMPARE(image.Width(), picture.width());
    QCOMPARE(image.Height(), picture.height());

    // Drawn at the decoded size, the cache shows libjpeg's pixels at that scale exactly:
    // any other scale would have been resampled.
    JpegDecodeOptions o;
    o.scaleDenom = denom;
    const JpegDecodeResult r = JpegDecode(data, o, {});
    const QImage expected = DibToQImage(*r.dib).convertToFormat(QImage::Format_RGB32);
    const QRect rect(QPoint(0, 0), expected.size());
    QCOMPARE(Drawn(image, expected.size(), rect, true), expected);
}

void TestJpegImage::cacheGrowsOnlyWhenNeeded()
{
    TJpegImage image;
    image.LoadFromBytes(Jpeg(800, 600));
    int decodes = 0;
    image.OnProgress = [&](const ProgressReport& r) { decodes += r.stage == TProgressStage::Starting; };
    image.Prepare(QSize(180, 120)); // a quarter
    QCOMPARE(decodes, 1);
    QVERIFY(!image.NeedsPrepare(QSize(100, 75))); // smaller: the quarter serves
    image.Prepare(QSize(100, 75));
    QCOMPARE(decodes, 1);
    QVERIFY(image.NeedsPrepare(QSize(300, 200))); // needs a half
    image.Prepare(QSize(300, 200));
    QCOMPARE(decodes, 2);
    QVERIFY(!image.HasBitmap());
    QVERIFY(image.NeedsPrepare(QSize(700, 500)));
    image.Prepare(QSize(700, 500));
    QVERIFY(image.HasBitmap());
    QVERIFY(!image.NeedsPrepare(QSize(10, 10)));
    QCOMPARE(decodes, 3);
}

void TestJpegImage::drawNeverDecodes()
{
    TJpegImage image;
    image.LoadFromBytes(Jpeg(64, 64));
    int reports = 0;
    image.OnProgress = [&](const ProgressReport&) { ++reports; };
    const QImage untouched = Drawn(image, QSize(64, 64), QRect(0, 0, 64, 64), false);
    QCOMPARE(untouched.pixel(10, 10), QColor(Qt::magenta).rgb());
    QCOMPARE(reports, 0);
    QVERIFY(!image.HasBitmap());

    image.Prepare(QSize(64, 64));
    const QImage drawn = Drawn(image, QSize(64, 64), QRect(0, 0, 64, 64), false);
    QCOMPARE(drawn, image.Bitmap().Image().convertToFormat(QImage::Format_RGB32));
}

void TestJpegImage::scaleSettingSize()
{
    TJpegImage image;
    image.settings.scale = 2;
    image.LoadFromBytes(Jpeg(801, 601));
    QCOMPARE(image.Width(), 201);
    QCOMPARE(image.Height(), 151);
    QCOMPARE(image.Bitmap().Width(), 201);
    QCOMPARE(image.Height(), 151);
}

void TestJpegImage::savesLoadedBytesExactly()
{
    const QByteArray original = JpegWithComment();
    QTemporaryDir dir;
    const QString in = dir.filePath("in.jpg"), out = dir.filePath("out.jpg"), copied = dir.filePath("copy.jpg");
    WriteBytes(in, original);
    TJpegImage image;
    image.LoadFromFile(in);
    image.settings.quality = 20; // not re-encoded, so the setting changes nothing
    image.SaveToFile(out);
    QCOMPARE(ReadBytes(out), original);
    image.Bitmap(); // decoding keeps the data as they are
    QCOMPARE(image.SaveToBytes(), original);
    const auto copy = image.Clone();
    copy->SaveToFile(copied);
    QCOMPARE(ReadBytes(copied), original);
}

void TestJpegImage::failedLoadKeepsPicture()
{
    TJpegImage image;
    const QByteArray good = Jpeg(30, 20, Space::Rgb, true);
    image.LoadFromBytes(good);
    image.Prepare(QSize(30, 20));
    QCOMPARE(ErrorOf([&] { image.LoadFromBytes("not a JPEG"); }).left(12), QStringLiteral("JPEG error #"));
    QCOMPARE(image.Data(), good);
    QCOMPARE(image.Width(), 30);
    QVERIFY(image.HasBitmap());
    QVERIFY(image.settings.progressiveEncoding);
}

void TestJpegImage::failedDecodeIsNotRetried()
{
    TJpegImage image;
    image.LoadFromBytes(TooManyScans());
    QList<ProgressReport> reports;
    image.OnProgress = [&](const ProgressReport& r) { reports << r; };
    int changes = 0;
    image.OnChange = [&] { ++changes; };
    const QString expected = QStringLiteral("JPEG error #%1").arg(JpegTooManyScansCode());
    QCOMPARE(ErrorOf([&] { image.Prepare(QSize(32, 32)); }), expected);
    QVERIFY(changes > 0);
    QCOMPARE(reports.first().stage, TProgressStage::Starting);
    QCOMPARE(reports.last().stage, TProgressStage::Ending);
    QCOMPARE(reports.last().percent, 0);
    // What was decoded stays and is what the picture shows from now on.
    QVERIFY(image.HasBitmap());
    QCOMPARE(image.Width(), 32);
    QCOMPARE(image.DecodeError(), expected);
    const qsizetype count = reports.size();
    QVERIFY(!image.NeedsPrepare(QSize(32, 32)));
    QCOMPARE(ErrorOf([&] { image.Prepare(QSize(32, 32)); }), QString());
    QCOMPARE(ErrorOf([&] { image.Bitmap(); }), QString());
    QCOMPARE(reports.size(), count);
}

void TestJpegImage::cloneSharesDataKeepsOwnSettings()
{
    TJpegImage source;
    source.LoadFromBytes(Jpeg(50, 40, Space::Rgb, true));
    source.settings.quality = 35;
    const TBitmap& decoded = source.Bitmap();

    JpegDefaults().quality = 64; // a new picture takes the defaults of the moment
    const auto clone = source.Clone();
    JpegDefaults().quality = 90;
    auto& copy = static_cast<TJpegImage&>(*clone);
    QCOMPARE(copy.settings.quality, 64);
    QVERIFY(!copy.settings.progressiveEncoding);
    QVERIFY(copy.MultiScan());
    QCOMPARE(copy.Data().constData(), source.Data().constData()); // shared, not duplicated
    QVERIFY(copy.HasBitmap());
    QCOMPARE(copy.Bitmap().SharedDib(), decoded.SharedDib());
    QCOMPARE(copy.Width(), 50);
    QCOMPARE(copy.Height(), 40);
}

void TestJpegImage::encodeOfEmptyBitmap_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<bool>("hasImage");
    QTest::newRow("width 0") << 0 << 12 << true;
    QTest::newRow("height 0") << 12 << 0 << true;
    QTest::newRow("no image") << 0 << 0 << false;
}

void TestJpegImage::encodeOfEmptyBitmap()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(bool, hasImage);
    TBitmap bitmap;
    if (hasImage)
        bitmap.SetDib(NewDib(width, height, 24));
    TJpegImage image;
    image.LoadFromBytes(Jpeg(20, 20)); // data that the assignment must drop
    image.AssignBitmap(bitmap);
    QVERIFY(image.Data().isEmpty());
    QTemporaryDir dir;
    const QString path = dir.filePath("out.jpg");
    WriteBytes(path, "old contents");
    image.SaveToFile(path);
    QVERIFY(QFileInfo::exists(path));
    QCOMPARE(ReadBytes(path), QByteArray());
}

void TestJpegImage::encodeFromBitmap_data()
{
    QTest::addColumn<TPixelFormat>("format");
    QTest::addColumn<int>("quality");
    QTest::addColumn<bool>("progressive");
    QTest::addColumn<bool>("greyscale");
    QTest::newRow("8-bit source, 75 progressive") << TPixelFormat::Bit8 << 75 << true << false;
    QTest::newRow("8-bit source, greyscale") << TPixelFormat::Bit8 << 90 << false << true;
    QTest::newRow("24-bit source, 90 baseline") << TPixelFormat::Bit24 << 90 << false << false;
    QTest::newRow("32-bit source, 50 progressive") << TPixelFormat::Bit32 << 50 << true << false;
    QTest::newRow("device source, greyscale progressive") << TPixelFormat::Device << 80 << true << true;
}

void TestJpegImage::encodeFromBitmap()
{
    QFETCH(TPixelFormat, format);
    QFETCH(int, quality);
    QFETCH(bool, progressive);
    QFETCH(bool, greyscale);
    std::shared_ptr<const DibImage> src = Palette8(64, 48);
    if (format != TPixelFormat::Bit8)
        src = ConvertDib(*src, format);
    QCOMPARE(src->Format(), format);
    TJpegImage image;
    image.AssignBitmap(TBitmap(src));
    image.settings.quality = quality;
    image.settings.progressiveEncoding = progressive;
    image.settings.grayscale = greyscale;
    QList<ProgressReport> reports;
    image.OnProgress = [&](const ProgressReport& r) { reports << r; };
    const QByteArray bytes = image.SaveToBytes();
    QVERIFY(!bytes.isEmpty());
    QCOMPARE(image.Data(), bytes);
    QCOMPARE(reports.first().stage, TProgressStage::Starting);
    QCOMPARE(reports.last().stage, TProgressStage::Ending);
    QCOMPARE(reports.last().percent, 100);
    // The held bitmap stays the one assigned.
    QCOMPARE(image.Bitmap().SharedDib(), src);

    const JpegHeader h = JpegReadHeader(bytes);
    QCOMPARE(h.width, 64);
    QCOMPARE(h.height, 48);
    QCOMPARE(h.multiScan, progressive);
    QCOMPARE(h.grayscale, greyscale);
    QCOMPARE(image.MultiScan(), progressive);
    QCOMPARE(image.HeaderGrayscale(), greyscale);

    // The encoded colours are the palette's (inside the flat 16x16 areas).
    const JpegDecodeResult r = JpegDecode(bytes, {}, {});
    for (int y = 4; y < 48; y += 16)
        for (int x = 4; x < 64; x += 16) {
            uint32_t want = src->PixelRgb(x + 4, y + 4);
            if (greyscale) {
                const int l =
                    (int(want >> 16 & 0xFF) * 299 + int(want >> 8 & 0xFF) * 587 + int(want & 0xFF) * 114) / 1000;
                want = uint32_t(l) * 0x010101u;
            }
            QVERIFY2(MaxChannelDifference(r.dib->PixelRgb(x + 4, y + 4), want) <= 12,
                     qPrintable(QStringLiteral("(%1,%2)").arg(x + 4).arg(y + 4)));
        }
}

QTEST_MAIN(TestJpegImage)
#include "test_jpeg_image.moc"
