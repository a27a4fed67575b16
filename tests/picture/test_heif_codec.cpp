// SPDX-License-Identifier: GPL-3.0-or-later
// HEIC and AVIF files made by heif-enc (and, for turns and mirrors the file carries, by
// libheif's encoder here), decoded by us and compared with heif-convert's decoding turned by
// ImageMagick; damaged and hostile files.
#include <QBuffer>
#include <QColorSpace>
#include <QTemporaryDir>
#include <QtTest>
#include <libheif/heif.h>
#include "ErrorOf.h"
#include "HeifGrid.h"
#include "JpegSegments.h"
#include "ToolPictures.h"
#include "picture/Failure.h"
#include "picture/HeifCodec.h"

namespace {

// heif-convert's decoding (the file's own turns applied, its EXIF not), turned by `ops`.
QString Reference(const QString& ops = {})
{
    return QStringLiteral("heif-convert p.heic r.png >/dev/null && ") + ImRgba(QStringLiteral("r.png"), ops);
}

// A HEIC file of `image` through libheif's encoder, carrying `orientation` as its own turn and
// mirror properties, with an EXIF block saying `exif` when that is not 0.
bool WriteCarried(const QImage& image, int orientation, int exif, const QString& path)
{
    heif_context* ctx = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    heif_image* picture = nullptr;
    heif_encoding_options* options = heif_encoding_options_alloc();
    bool ok = heif_context_get_encoder_for_format(ctx, heif_compression_HEVC, &encoder).code == heif_error_Ok &&
        heif_image_create(image.width(), image.height(), heif_colorspace_RGB, heif_chroma_interleaved_RGB, &picture)
                .code == heif_error_Ok &&
        heif_image_add_plane(picture, heif_channel_interleaved, image.width(), image.height(), 8).code == heif_error_Ok;
    if (ok) {
        int stride = 0;
        uint8_t* plane = heif_image_get_plane(picture, heif_channel_interleaved, &stride);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb c = image.pixel(x, y);
                uint8_t* p = plane + y * stride + x * 3;
                p[0] = uint8_t(qRed(c));
                p[1] = uint8_t(qGreen(c));
                p[2] = uint8_t(qBlue(c));
            }
        heif_encoder_set_lossless(encoder, 1);
        options->image_orientation = heif_orientation(orientation);
        heif_image_handle* handle = nullptr;
        ok = heif_context_encode_image(ctx, picture, encoder, options, &handle).code == heif_error_Ok;
        const QByteArray block = QByteArray(4, '\0') + jpegseg::ExifData(exif).mid(6); // no "Exif\0\0"
        if (ok && exif)
            ok =
                heif_context_add_exif_metadata(ctx, handle, block.constData(), int(block.size())).code == heif_error_Ok;
        heif_image_handle_release(handle);
        ok = ok && heif_context_write_to_file(ctx, path.toLocal8Bit().constData()).code == heif_error_Ok;
    }
    heif_encoding_options_free(options);
    heif_image_release(picture);
    if (encoder)
        heif_encoder_release(encoder);
    heif_context_free(ctx);
    return ok;
}

} // namespace

class TestHeifCodec : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QByteArray Make(const QString& command)
    {
        QFile::remove(m_dir.filePath("p.heic"));
        if (!command.isEmpty() && !RunIn(m_dir.path(), command))
            return {};
        QFile f(m_dir.filePath("p.heic"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void initTestCase()
    {
        for (const char* tool : {"heif-enc", "heif-convert", "convert"})
            if (QStandardPaths::findExecutable(tool).isEmpty())
                QSKIP("libheif's tools or ImageMagick are missing (scripts/setup.sh --test installs them)");
        const QImage sample = SamplePicture(64, 48, false);
        QVERIFY(sample.save(m_dir.filePath("s.png")));
        QVERIFY(SamplePicture(64, 48, true).save(m_dir.filePath("a.png")));
        QImage wide = sample.convertToFormat(QImage::Format_RGBX64);
        QVERIFY(wide.save(m_dir.filePath("w.png")));
        // A photo tagged as taken turned (EXIF orientation 6), the way a camera writes it.
        QFile jpeg(m_dir.filePath("r.jpg"));
        QByteArray bytes;
        QBuffer buffer(&bytes);
        QVERIFY(sample.save(&buffer, "JPEG", 95));
        QVERIFY(jpeg.open(QIODevice::WriteOnly) && jpeg.write(jpegseg::WithOrientation(bytes, 6)) > 0);
        QImage p3 = sample;
        p3.setColorSpace(QColorSpace(QColorSpace::DisplayP3));
        QVERIFY(p3.save(m_dir.filePath("p3.png")));
        QVERIFY(WriteCarried(sample, 6, 0, m_dir.filePath("turned.heic")));
        QVERIFY(WriteCarried(sample, 2, 8, m_dir.filePath("mirrored.heic")));
    }

    void decodes_data()
    {
        QTest::addColumn<QString>("make");
        QTest::addColumn<QString>("reference");
        QTest::addColumn<QSize>("size"); // as shown
        QTest::addColumn<QSize>("atLeast");
        QTest::addColumn<int>("tolerance");
        QTest::addColumn<int>("orientation");
        QTest::addColumn<bool>("profile");
        const QSize wide(64, 48), tall(48, 64);
        QTest::newRow("HEIC") << "heif-enc -q 90 s.png -o p.heic" << Reference() << wide << QSize() << 6 << 1 << false;
        QTest::newRow("HEIC lossless") << "heif-enc -L -p chroma=444 s.png -o p.heic" << Reference() << wide << QSize()
                                       << 0 << 1 << false;
        QTest::newRow("AVIF") << "heif-enc -A -q 90 s.png -o p.heic" << Reference() << wide << QSize() << 6 << 1
                              << false;
        QTest::newRow("alpha") << "heif-enc -q 90 a.png -o p.heic" << Reference() << wide << QSize() << 8 << 1 << false;
        QTest::newRow("10-bit") << "heif-enc -b 10 -q 90 w.png -o p.heic" << Reference() << wide << QSize() << 6 << 1
                                << false;
        // A thumbnail that covers the size asked is decoded in place of the picture (heif-convert
        // writes no thumbnail: the size decoded is what tells).
        QTest::newRow("thumbnail used") << "heif-enc -t 32 -q 90 s.png -o p.heic" << Reference("-scale 32x24") << wide
                                        << QSize(20, 15) << -1 << 1 << false;
        QTest::newRow("thumbnail too small")
            << "heif-enc -t 32 -q 90 s.png -o p.heic" << Reference() << wide << QSize(40, 30) << 6 << 1 << false;
        QTest::newRow("EXIF orientation alone")
            << "heif-enc -q 90 r.jpg -o p.heic" << Reference() << tall << QSize() << 8 << 6 << false;
        // The file's own turn and mirror, applied by the decoder; an EXIF tag beside them is not.
        QTest::newRow("turned by the file")
            << "cp turned.heic p.heic" << Reference() << tall << QSize() << 0 << 1 << false;
        QTest::newRow("mirrored, EXIF ignored")
            << "cp mirrored.heic p.heic" << Reference() << wide << QSize() << 0 << 1 << false;
        QTest::newRow("ICC profile") << "heif-enc -L -p chroma=444 p3.png -o p.heic" << Reference() << wide << QSize()
                                     << 0 << 1 << true;
    }

    void decodes()
    {
        QFETCH(QString, make);
        QFETCH(QString, reference);
        QFETCH(QSize, size);
        QFETCH(QSize, atLeast);
        QFETCH(int, tolerance);
        QFETCH(bool, profile);
        const QByteArray file = Make(make);
        QVERIFY(!file.isEmpty());
        const RasterFacts facts = ReadHeifFacts(file);
        QTEST(facts.orientation, "orientation");
        QCOMPARE(facts.orientation == 6 ? QSize(facts.height, facts.width) : QSize(facts.width, facts.height), size);
        QCOMPARE(facts.alpha, make.contains("a.png"));
        QCOMPARE(facts.bitsPerChannel, make.contains("-b 10") ? 10 : 8);
        QCOMPARE(!facts.iccProfile.isEmpty(), profile);

        QByteArray out;
        QVERIFY(RunIn(m_dir.path(), reference, &out));
        const RasterImage decoded = DecodeHeif(file, atLeast, {});
        QCOMPARE(decoded.error, QString());
        if (tolerance < 0)
            QCOMPARE(decoded.image.size(), FromImRgba(out).size());
        else
            QCOMPARE_LE(MaxDifference(decoded.image, FromImRgba(out)), tolerance);
    }

    // libheif takes no file whose pieces lie beyond its end: nothing of it is shown.
    void damaged_data()
    {
        QTest::addColumn<QString>("make");
        QTest::addColumn<QString>("failure"); // thrown by both calls
        const QString enc = "heif-enc -q 90 s.png -o w.heic && ";
        QTest::newRow("cut in the picture data")
            << enc + "head -c $(( $(stat -c %s w.heic) - 40 )) w.heic > p.heic" << QString(kHeifInvalid);
        QTest::newRow("cut in the metadata") << enc + "head -c 200 w.heic > p.heic" << QString(kHeifInvalid);
        QTest::newRow("not HEIF") << "cp s.png p.heic" << QString(kHeifInvalid) + ": not a HEIF file";
        // The picture's size property set to 60000 x 60000 over its tiny data.
        QTest::newRow("huge size") << enc +
                "LC_ALL=C grep -obUaP 'ispe' w.heic | head -1 | cut -d: -f1 | "
                "{ read at; cp w.heic p.heic; printf '\\x00\\x00\\xea\\x60\\x00\\x00\\xea\\x60' "
                "| dd of=p.heic bs=1 seek=$((at + 8)) conv=notrunc status=none; }"
                                   << QString(kOutOfResources);
    }

    // A grid of tiles (one coded 64 x 64 picture repeated): a few decode as one picture;
    // thousands of tiny ones, which would keep the decoder for minutes, are refused before
    // decoding, their facts still read.
    void grids_data()
    {
        QTest::addColumn<int>("side"); // tiles across and down
        QTest::addColumn<QString>("failure");
        QTest::newRow("4 x 4") << 4 << QString();
        QTest::newRow("64 x 64 tiny tiles") << 64 << QString(kHeifInvalid) + ": a grid of 4096 tiles";
    }
    void grids()
    {
        QFETCH(int, side);
        QFETCH(QString, failure);
        const QByteArray grid = heifgrid::Grid(
            Make("convert -size 64x64 gradient:red-blue g.png && heif-enc -q 50 g.png -o p.heic"), side, side, 64);
        QVERIFY(!grid.isEmpty());
        const RasterFacts facts = ReadHeifFacts(grid);
        QCOMPARE(QSize(facts.width, facts.height), QSize(64 * side, 64 * side));
        RasterImage decoded;
        QCOMPARE(ErrorOf([&] { decoded = DecodeHeif(grid, {}, {}); }), failure);
        if (failure.isEmpty()) {
            QCOMPARE(decoded.image.size(), QSize(64 * side, 64 * side));
            // Every tile the same picture: its corner is red, the grid's last tile's too.
            QCOMPARE(decoded.image.pixelColor(64 * side - 64, 64 * side - 64), decoded.image.pixelColor(0, 0));
        }
    }

    void damaged()
    {
        QFETCH(QString, make);
        QFETCH(QString, failure);
        const QByteArray file = Make(make);
        QVERIFY(!file.isEmpty());
        const QString read = ErrorOf([&] { ReadHeifFacts(file); });
        const QString decoded = ErrorOf([&] { DecodeHeif(file, {}, {}); });
        QVERIFY2(read.startsWith(failure), qPrintable(read));
        QVERIFY2(decoded.startsWith(failure), qPrintable(decoded));
    }
};

QTEST_MAIN(TestHeifCodec)
#include "test_heif_codec.moc"
