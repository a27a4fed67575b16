// SPDX-License-Identifier: GPL-3.0-or-later
// TIFF files made by ImageMagick and the libtiff tools, decoded by us and compared with
// ImageMagick's decoding; damaged and hostile files built here.
#include <QColorSpace>
#include <QDataStream>
#include <QTemporaryDir>
#include <QtTest>
#include "ErrorOf.h"
#include "TestFiles.h"
#include "ToolPictures.h"
#include "picture/Failure.h"
#include "picture/FileRead.h"
#include "picture/Limits.h"
#include "picture/TiffCodec.h"

namespace {
// A little-endian grey page: its directory first (pointing to itself when `loop`), then the
// strips of `rowsPerStrip` rows.
QByteArray GreyTiff(QSize size, int rowsPerStrip, const QList<QByteArray>& strips, int compression = 1,
                    bool loop = false)
{
    const auto n = quint32(strips.size());
    const quint32 arrays = 8 + 2 + 9 * 12 + 4;
    QByteArray b;
    QDataStream s(&b, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    s << quint8('I') << quint8('I') << quint16(42) << quint32(8) << quint16(9);
    const auto entry = [&s](quint16 tag, quint16 type, quint32 count, quint32 value) {
        s << tag << type << count << value;
    };
    entry(256, 4, 1, size.width());
    entry(257, 4, 1, size.height());
    entry(258, 3, 1, 8);
    entry(259, 3, 1, compression);
    entry(262, 3, 1, 1);
    entry(273, 4, n, n == 1 ? arrays + 8 : arrays);
    entry(277, 3, 1, 1);
    entry(278, 4, 1, rowsPerStrip);
    entry(279, 4, n, n == 1 ? quint32(strips[0].size()) : arrays + 4 * n);
    s << quint32(loop ? 8 : 0);
    quint32 at = arrays + 8 * n;
    for (const QByteArray& strip : strips)
        s << std::exchange(at, at + quint32(strip.size()));
    for (const QByteArray& strip : strips)
        s << quint32(strip.size());
    for (const QByteArray& strip : strips)
        s.writeRawData(strip.constData(), int(strip.size()));
    return b;
}

// 64 x 64 in 8 strips, row y of grey level 3y.
QList<QByteArray> Ramp()
{
    QList<QByteArray> strips;
    for (int y = 0; y < 64; y += 8) {
        strips.append(QByteArray());
        for (int r = y; r < y + 8; ++r)
            strips.back().append(64, char(3 * r));
    }
    return strips;
}

// How many rows from the top of a decoded ramp are as built, `step` rows averaged in each.
int RampRows(const QImage& image, int step = 1)
{
    int y = 0;
    for (; y < image.height(); ++y) {
        const int level = (6 * y * step + 3 * (step - 1) + 1) / 2;
        if (image.pixel(0, y) != qRgb(level, level, level) ||
            image.pixel(image.width() - 1, y) != qRgb(level, level, level))
            break;
    }
    return y;
}
}

class TestTiffCodec : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        for (const char* tool : {"convert", "tiffcp", "tiffset"})
            if (QStandardPaths::findExecutable(tool).isEmpty())
                QSKIP("ImageMagick or the libtiff tools are missing (scripts/setup.sh --test installs them)");
        QVERIFY(SamplePicture(64, 48, false).save(m_dir.filePath("s.png")));
        QVERIFY(SamplePicture(64, 48, false, 99).save(m_dir.filePath("b.png")));
        QVERIFY(SamplePicture(64, 48, true).save(m_dir.filePath("a.png")));
        QVERIFY(SamplePicture(256, 192, false).save(m_dir.filePath("big.png")));
        QFile icc(m_dir.filePath("p.icc"));
        QVERIFY(icc.open(QIODevice::WriteOnly) && icc.write(QColorSpace(QColorSpace::SRgb).iccProfile()) > 0);
    }

    void decodes_data()
    {
        QTest::addColumn<QString>("make");
        QTest::addColumn<QString>("reference");
        QTest::addColumn<QSize>("atLeast");
        QTest::addColumn<QString>("type");
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("pages");
        QTest::addColumn<int>("tolerance");
        const QString page = ImRgba("out.tif[0]");
        const auto row = [&](const char* name, const QString& make, const QString& type, int tolerance = 0) {
            QTest::newRow(name) << make << page << QSize() << type << 8 << 1 << tolerance;
        };
        row("strips", "convert s.png w.tif && tiffcp -r 8 w.tif out.tif", "RGB");
        row("tiles", "convert s.png w.tif && tiffcp -t -w 16 -l 16 w.tif out.tif", "RGB");
        row("LZW", "convert s.png -compress LZW out.tif", "RGB");
        row("Deflate", "convert s.png -compress Zip out.tif", "RGB");
        row("JPEG, YCbCr", "convert s.png w.tif && tiffcp -c jpeg -r 16 w.tif out.tif", "RGB", 2);
        row("palette", "convert s.png -type Palette out.tif", "palette", 1);
        row("grey", "convert s.png -colorspace Gray out.tif", "grey");
        row("grey, alpha", "convert a.png -colorspace Gray out.tif", "grey+alpha", 1);
        row("CMYK", "convert s.png -colorspace CMYK out.tif", "CMYK", 1);
        row("alpha", "convert a.png out.tif", "RGBA", 1);
        row("orientation, profile", "convert s.png -orient RightTop -profile p.icc out.tif", "RGB");
        QTest::newRow("16-bit") << "convert s.png -depth 16 out.tif" << page << QSize() << "RGB" << 16 << 1 << 1;
        QTest::newRow("two pages") << "convert s.png b.png out.tif" << page << QSize() << "RGB" << 8 << 2 << 0;
        // 60 x 40 asked of 256 x 192: the quarter-size copy, or the page averaged over 4 x 4.
        QTest::newRow("reduced copy") << "convert big.png w.tif && convert big.png -scale 25% q.tif && "
                                         "tiffcp w.tif q.tif out.tif && tiffset -d 1 -s 254 1 out.tif"
                                      << ImRgba("out.tif[1]") << QSize(60, 40) << "RGB" << 8 << 2 << 0;
        QTest::newRow("averaged") << "convert big.png w.tif && tiffcp -r 5 w.tif out.tif"
                                  << ImRgba("out.tif", "-scale 64x48!") << QSize(60, 40) << "RGB" << 8 << 1 << 1;
    }

    void decodes()
    {
        QFETCH(QString, make);
        QFETCH(QString, reference);
        QFETCH(QSize, atLeast);
        QFETCH(QString, type);
        QFETCH(int, tolerance);
        QByteArray out;
        QVERIFY(RunIn(m_dir.path(), "rm -f out.tif && " + make, &out));
        QVERIFY(RunIn(m_dir.path(), reference, &out));
        const QByteArray file = ReadBytes(m_dir.filePath("out.tif"));
        const RasterFacts facts = ReadTiffFacts(file);
        QCOMPARE(QSize(facts.width, facts.height), make.contains("big") ? QSize(256, 192) : QSize(64, 48));
        QCOMPARE(facts.colourType, type);
        QCOMPARE(facts.alpha, type.contains("A") || type.contains("alpha"));
        QTEST(facts.bitsPerChannel, "bits");
        QTEST(facts.frames, "pages");
        QCOMPARE(facts.orientation, make.contains("-orient") ? 6 : 1);
        QCOMPARE(facts.iccProfile.isEmpty(), !make.contains("-profile"));

        const RasterImage decoded = DecodeTiff(file, atLeast, {});
        QCOMPARE(decoded.error, QString());
        QCOMPARE(decoded.image.format(), QImage::Format_ARGB32);
        QCOMPARE_LE(MaxDifference(decoded.image, FromImRgba(out)), tolerance);

        // Read from the file where libtiff seeks, as page cells read it: the same.
        FileStream stream(m_dir.filePath("out.tif"), PictureLimits::kMaxDecodedBytes);
        QCOMPARE(ReadTiffFileFacts(stream).frames, facts.frames);
        QCOMPARE(DecodeTiffFile(stream, atLeast, {}).image, decoded.image);
    }

    void damaged_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("failure"); // thrown by both calls, else empty
        QTest::addColumn<int>("rows");        // of the ramp decoded, 8 rows averaged in each
        QByteArray cut = GreyTiff({64, 64}, 8, Ramp());
        cut.chop(64 * 20);
        QTest::newRow("cut short") << cut << QString() << 5;
        QTest::newRow("huge") << GreyTiff({60000, 60000}, 1, {QByteArray(16, '\0')}) << QString(kOutOfResources) << 0;
        // 16 MiB of zeros packed into some 16 KiB, for a strip of 4 KiB.
        const QByteArray bomb = qCompress(QByteArray(16 << 20, '\0'), 9).mid(4);
        QTest::newRow("packed far beyond its strip") << GreyTiff({64, 64}, 64, {bomb}, 8) << QString() << 0;
        QTest::newRow("directory loop") << GreyTiff({64, 64}, 8, Ramp(), 1, true) << QString() << 8;
        QTest::newRow("not TIFF") << QByteArray("II*\0\xff\xff\xff\x0f", 8) << QString(kTiffInvalid) + ": " << 0;
    }

    void damaged()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, failure);
        QFETCH(int, rows);
        const auto fails = [&failure](const QString& e) {
            return failure.isEmpty() ? e.isEmpty() : e.startsWith(failure);
        };
        RasterFacts facts;
        QVERIFY(fails(ErrorOf([&] { facts = ReadTiffFacts(file); })));
        RasterImage decoded;
        QVERIFY(fails(ErrorOf([&] { decoded = DecodeTiff(file, QSize(8, 8), {}); })));
        QFile damaged(m_dir.filePath("damaged.tif"));
        QVERIFY(damaged.open(QIODevice::WriteOnly) && damaged.write(file) == file.size());
        damaged.close();
        FileStream stream(damaged.fileName(), PictureLimits::kMaxDecodedBytes);
        RasterImage fromFile;
        QVERIFY(fails(ErrorOf([&] { fromFile = DecodeTiffFile(stream, QSize(8, 8), {}); })));
        QCOMPARE(fromFile.image, decoded.image);
        if (!failure.isEmpty())
            return;
        QCOMPARE(facts.frames, 1);
        QCOMPARE(decoded.image.size(), QSize(8, 8));
        QCOMPARE(RampRows(decoded.image, 8), rows);
        QCOMPARE(decoded.error.isEmpty(), rows != 5);
        if (rows == 0) // the packed strip: its first 4 KiB of zeros
            QCOMPARE(decoded.image.pixel(7, 7), qRgb(0, 0, 0));
    }

    void stops()
    {
        int asked = 0;
        const RasterImage decoded = DecodeTiff(GreyTiff({64, 64}, 8, Ramp()), {}, [&] { return ++asked > 2; });
        QCOMPARE(decoded.error, QStringLiteral("Stopped"));
        QCOMPARE(RampRows(decoded.image), 16);
        QCOMPARE(decoded.image.pixel(0, 63), QRgb(0));
    }
};

QTEST_GUILESS_MAIN(TestTiffCodec)
#include "test_tiff_codec.moc"
