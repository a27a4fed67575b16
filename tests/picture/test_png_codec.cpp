// SPDX-License-Identifier: GPL-3.0-or-later
// PNG files: those ImageMagick writes in every colour type and depth, read back and compared
// pixel for pixel with its own reading; the facts of their chunks; damaged and hostile files.
#include <QBuffer>
#include <QColorSpace>
#include <QTemporaryDir>
#include <QtTest>
#include <zlib.h>
#include "JpegSegments.h"
#include "MagickReference.h"
#include "RasterDamage.h"
#include "TestFiles.h"
#include "TestPictures.h"
#include "picture/Failure.h"
#include "picture/PictureThumbnail.h"
#include "picture/PngCodec.h"

namespace {

QByteArray Be32(uint32_t v)
{
    const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return QByteArray(b, 4);
}

QByteArray Chunk(const char* type, const QByteArray& data)
{
    const QByteArray body = QByteArray(type, 4) + data;
    return Be32(uint32_t(data.size())) + body +
        Be32(uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.constData()), uInt(body.size()))));
}

// A PNG with `extra` chunks after its image header.
QByteArray WithChunks(const QByteArray& png, const QByteArray& extra)
{
    return png.left(33) + extra + png.mid(33);
}

QByteArray Ihdr(uint32_t width, uint32_t height, int depth = 8, int type = 6)
{
    return QByteArray("\x89PNG\r\n\x1a\n", 8) +
        Chunk("IHDR", Be32(width) + Be32(height) + char(depth) + char(type) + QByteArray(3, '\0'));
}

// The TIFF data of an EXIF block whose IFD0 holds the orientation, as an eXIf chunk has them.
QByteArray TiffOrientation(int orientation, bool bigEndian)
{
    return jpegseg::ExifData(orientation, bigEndian).mid(6);
}

QByteArray Compressed(const QByteArray& raw)
{
    return qCompress(raw).mid(4); // a zlib stream behind Qt's length prefix
}

// Pixels no encoder can squeeze, with every alpha.
QImage Noise(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    uint32_t v = 12345;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            v = v * 1664525u + 1013904223u;
            image.setPixel(x, y, v);
        }
    return image;
}

QByteArray QtPng(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

class TestPngCodec : public QObject {
    Q_OBJECT
private slots:
    void matchesConvert_data();
    void matchesConvert();
    void chunkFacts_data();
    void chunkFacts();
    void damaged_data();
    void damaged();
    void cellFromStream_data();
    void cellFromStream();
};

void TestPngCodec::matchesConvert_data()
{
    QTest::addColumn<QStringList>("make");
    QTest::addColumn<QString>("colourType");
    QTest::addColumn<int>("bits");
    QTest::addColumn<bool>("alpha");
    QTest::addColumn<QSize>("atLeast");
    QTest::addColumn<int>("factor");
    const QStringList rose {"rose:"};
    const QStringList grey = rose + QStringList {"-colorspace", "Gray", "-define", "png:color-type=0"};
    const QStringList alphaRows = rose + QStringList {"-alpha", "set", "-channel", "A", "-fx", "j/h", "+channel"};
    const QStringList gradient16 {"-size", "61x47", "gradient:#102030-#f0e0d0", "-depth", "16"};
    const QStringList gradientAlpha16 {"-size", "61x47", "gradient:rgba(255,0,0,0.2)-rgba(0,0,255,0.9)", "-depth",
                                       "16"};
    const QSize full;
    QTest::newRow("RGB, 8 bits") << rose + QStringList {"PNG24:%1"} << "RGB" << 8 << false << full << 1;
    QTest::newRow("RGB, 16 bits") << gradient16 + QStringList {"PNG48:%1"} << "RGB" << 16 << false << full << 1;
    QTest::newRow("RGBA, 8 bits") << alphaRows + QStringList {"PNG32:%1"} << "RGBA" << 8 << true << full << 1;
    QTest::newRow("RGBA, 16 bits") << gradientAlpha16 + QStringList {"PNG64:%1"} << "RGBA" << 16 << true << full << 1;
    QTest::newRow("palette, 8 bits") << rose + QStringList {"-colors", "50", "PNG8:%1"} << "palette" << 8 << false
                                     << full << 1;
    QTest::newRow("palette with tRNS") << rose +
            QStringList {"-fuzz", "15%", "-transparent", "rgb(220,60,60)", "-colors", "40", "PNG8:%1"}
                                       << "palette" << 8 << true << full << 1;
    QTest::newRow("grey, 8 bits") << grey + QStringList {"-depth", "8", "%1"} << "grey" << 8 << false << full << 1;
    QTest::newRow("grey, 2 bits") << grey + QStringList {"-depth", "2", "-define", "png:bit-depth=2", "%1"} << "grey"
                                  << 2 << false << full << 1;
    QTest::newRow("grey+alpha") << alphaRows + QStringList {"-colorspace", "Gray", "-define", "png:color-type=4", "%1"}
                                << "grey+alpha" << 8 << true << full << 1;
    QTest::newRow("interlaced RGBA") << alphaRows + QStringList {"-interlace", "PNG", "PNG32:%1"} << "RGBA" << 8 << true
                                     << full << 1;
    QTest::newRow("interlaced RGBA, 16 bits")
        << gradientAlpha16 + QStringList {"-interlace", "PNG", "PNG64:%1"} << "RGBA" << 16 << true << full << 1;
    // 70 x 46 asked at 20 x 15: both quotients 3, partial blocks at the edges; at 30 x 20 the
    // smaller quotient, 2.
    QTest::newRow("reduced by 3, partial edge blocks")
        << alphaRows + QStringList {"PNG32:%1"} << "RGBA" << 8 << true << QSize(20, 15) << 3;
    QTest::newRow("interlaced, reduced by 2")
        << alphaRows + QStringList {"-interlace", "PNG", "PNG32:%1"} << "RGBA" << 8 << true << QSize(30, 20) << 2;
}

void TestPngCodec::matchesConvert()
{
    if (!HaveConvert())
        QSKIP("ImageMagick's convert is missing (scripts/setup.sh --test installs it)");
    QFETCH(QStringList, make);
    QFETCH(QString, colourType);
    QFETCH(int, bits);
    QFETCH(bool, alpha);
    QFETCH(QSize, atLeast);
    QFETCH(int, factor);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("made.png");
    make.last() = make.last().arg(path);
    RunConvert(make);
    const QByteArray bytes = ReadBytes(path);
    QVERIFY(!bytes.isEmpty());

    const RasterFacts facts = ReadPngFacts(bytes);
    QCOMPARE(facts.colourType, colourType);
    QCOMPARE(facts.bitsPerChannel, bits);
    QCOMPARE(facts.alpha, alpha);
    QCOMPARE(facts.frames, 1);
    const QImage want = ConvertReads(path, QSize(facts.width, facts.height), {}, bits == 16);
    QVERIFY(!want.isNull());

    const RasterImage got = DecodePng(bytes, atLeast, {});
    QCOMPARE(got.error, QString());
    QCOMPARE(got.image.format(), QImage::Format_ARGB32);
    QCOMPARE(PixelDifference(got.image, factor == 1 ? want : BoxReduced(want, factor)), QString());
}

void TestPngCodec::chunkFacts_data()
{
    QTest::addColumn<QByteArray>("chunks");
    QTest::addColumn<QByteArray>("profile");
    QTest::addColumn<int>("orientation");
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("loops");
    const QByteArray srgb = QColorSpace(QColorSpace::SRgb).iccProfile();
    const auto iccp = [](const QByteArray& name, const QByteArray& icc) {
        return Chunk("iCCP", name + '\0' + '\0' + Compressed(icc));
    };
    QTest::newRow("colour profile") << iccp("sRGB", srgb) << srgb << 1 << 1 << 0;
    QTest::newRow("profile beyond 4 MiB") << iccp("big", QByteArray((4 << 20) + 1, 'p')) << QByteArray() << 1 << 1 << 0;

    QTest::newRow("orientation, big-endian") << Chunk("eXIf", TiffOrientation(6, true)) << QByteArray() << 6 << 1 << 0;
    QTest::newRow("orientation, little-endian")
        << Chunk("eXIf", TiffOrientation(8, false)) << QByteArray() << 8 << 1 << 0;
    QTest::newRow("orientation behind an EXIF name")
        << Chunk("eXIf", QByteArray("Exif\0\0", 6) + TiffOrientation(3, true)) << QByteArray() << 3 << 1 << 0;
    QTest::newRow("animation") << Chunk("acTL", Be32(12) + Be32(3)) << QByteArray() << 1 << 12 << 3;
}

void TestPngCodec::chunkFacts()
{
    QFETCH(QByteArray, chunks);
    QFETCH(QByteArray, profile);
    QFETCH(int, orientation);
    QFETCH(int, frames);
    QFETCH(int, loops);
    const QByteArray png = WithChunks(QtPng(Noise(5, 4)), chunks);
    const RasterFacts f = ReadPngFacts(png);
    QCOMPARE(f.iccProfile, profile);
    QCOMPARE(f.orientation, orientation);
    QCOMPARE(f.frames, frames);
    QCOMPARE(f.loops, loops);
    QCOMPARE(QSize(f.width, f.height), QSize(5, 4));
    // The pixels do not depend on what the chunks say.
    QCOMPARE(PixelDifference(DecodePng(png, {}, {}).image, Noise(5, 4)), QString());
}

void TestPngCodec::damaged_data()
{
    AddDamageColumns();
    const QImage picture = Noise(64, 64), none;
    const QByteArray noise = QtPng(picture);
    QImage black(1, 1, QImage::Format_ARGB32);
    black.fill(Qt::black);
    // A 1 x 1 grey picture whose compressed data go on for 64 MiB after the two bytes it needs.
    const QByteArray bomb =
        Ihdr(1, 1, 8, 0) + Chunk("IDAT", Compressed(QByteArray(64 << 20, '\0'))) + Chunk("IEND", {});
    const QString invalid = QString::fromLatin1(kPngInvalid), tooLarge = QString::fromLatin1(kOutOfResources);
    QTest::newRow("cut in the image data")
        << noise.left(noise.size() * 6 / 10) << picture << QString() << true << -1 << 30 << 1;
    QTest::newRow("cut before the image data") << noise.left(40) << picture << QString() << true << -1 << 0 << 1;
    QTest::newRow("stopped") << noise << picture << QString() << true << 5 << 5 << 1;
    QTest::newRow("not a PNG") << QByteArray("GIF89a\x01\0\x01\0\0\0\0;", 14) << none << invalid << false << -1 << 0
                               << -1;
    QTest::newRow("width 0") << Ihdr(0, 5) << none << invalid << false << -1 << 0 << -1;
    QTest::newRow("side beyond the limit") << Ihdr(65536, 1) << none << tooLarge << false << -1 << 0 << -1;
    QTest::newRow("area beyond the limit") << Ihdr(40000, 40000) << none << tooLarge << false << -1 << 0 << -1;
    QTest::newRow("image data far beyond the picture") << bomb << black << QString() << false << -1 << 1 << 1;
}

void TestPngCodec::damaged()
{
    CheckDamage(ReadPngFacts, DecodePng);
}

QTEST_GUILESS_MAIN(TestPngCodec)
#include "test_png_codec.moc"

// A cell's PNG is read in pieces when all before its pixels lies within the first read: it
// shows what the whole file gives, a profile before the pixels and an orientation after them
// included. A file whose chunks before the pixels go beyond the first read is read whole.
void TestPngCodec::cellFromStream_data()
{
    QTest::addColumn<QByteArray>("before"); // chunks after the image header
    QTest::addColumn<QByteArray>("after");  // chunks after the pixels
    QTest::addColumn<QString>("corners");
    const QByteArray iccp = Chunk("iCCP", QByteArray("p\0\0", 3) + Compressed(SwappedRedGreenProfile()));
    QTest::newRow("profile") << iccp << QByteArray() << "GRBY";
    QTest::newRow("orientation after the pixels")
        << QByteArray() << Chunk("eXIf", jpegseg::ExifData(6).mid(6)) << "BRYG";
    QTest::newRow("text beyond the first read, then a profile")
        << Chunk("tEXt", QByteArray("c\0", 2) + QByteArray(300000, 'x')) + iccp << QByteArray() << "GRBY";
}

void TestPngCodec::cellFromStream()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, after);
    QFETCH(QString, corners);
    qputenv("LUMIVUE_NO_THUMBNAIL_CACHE", "1");
    // Quadrants under noise no encoder squeezes below the first read.
    QImage image = QImage::fromData(MakeQuadrantJpeg(800, 600)).convertToFormat(QImage::Format_RGB32);
    uint32_t v = 7;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            v = v * 1664525u + 1013904223u;
            const QRgb c = image.pixel(x, y);
            const int d = int(v >> 28) - 8;
            image.setPixel(x, y,
                           qRgb(std::clamp(qRed(c) + d, 0, 255), std::clamp(qGreen(c) - d, 0, 255),
                                std::clamp(qBlue(c) + d, 0, 255)));
        }
    QByteArray png;
    QBuffer buffer(&png);
    QVERIFY(image.save(&buffer, "PNG"));
    QVERIFY(png.size() > 256 * 1024); // beyond the first read
    png = WithChunks(png, before);
    png.insert(png.size() - 12, after); // before IEND
    const QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("p.png"));
    WriteBytes(path, png);
    TThumbnail cell;
    cell.LoadHeader(path, GraphicKind::Png);
    const std::optional<DecodeJob> job = cell.StartJob(QSize(120, 120));
    QVERIFY(job);
    const DecodeResult result = RunThumbnailJob(*job);
    QCOMPARE(result.error, QString());
    QCOMPARE(QuadrantColours(result.fitted), corners);
}
