// SPDX-License-Identifier: GPL-3.0-or-later
// JPEG XL files made by cjxl, decoded by us and compared with djxl's decoding (turned back to
// the stored orientation where the file has one); damaged files.
#include <QBuffer>
#include <QColorSpace>
#include <QTemporaryDir>
#include <QtTest>
#include "ErrorOf.h"
#include "JpegSegments.h"
#include "ToolPictures.h"
#include "picture/Failure.h"
#include "picture/JxlCodec.h"

namespace {
QString Reference(const QString& ops = {})
{
    return QStringLiteral("djxl p.jxl r.png >/dev/null 2>&1 && ") + ImRgba(QStringLiteral("r.png"), ops);
}
} // namespace

class TestJxlCodec : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QByteArray Make(const QString& command)
    {
        QFile::remove(m_dir.filePath("p.jxl"));
        if (!RunIn(m_dir.path(), "{ " + command + "; } >/dev/null 2>&1"))
            return {};
        QFile f(m_dir.filePath("p.jxl"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void initTestCase()
    {
        for (const char* tool : {"cjxl", "djxl", "convert"})
            if (QStandardPaths::findExecutable(tool).isEmpty())
                QSKIP("libjxl's tools or ImageMagick are missing (scripts/setup.sh --test installs them)");
        const QImage sample = SamplePicture(64, 48, false);
        QVERIFY(sample.save(m_dir.filePath("s.png")));
        QVERIFY(SamplePicture(64, 48, true).save(m_dir.filePath("a.png")));
        QVERIFY(sample.convertToFormat(QImage::Format_Grayscale8).save(m_dir.filePath("g.png")));
        QVERIFY(sample.convertToFormat(QImage::Format_RGBX64).save(m_dir.filePath("w.png")));
        QImage p3 = sample;
        p3.setColorSpace(QColorSpace(QColorSpace::DisplayP3));
        QVERIFY(p3.save(m_dir.filePath("p3.png")));
        // A smooth picture, for the reduced first stage of a lossy file.
        QImage smooth(512, 384, QImage::Format_RGB32);
        for (int y = 0; y < smooth.height(); ++y)
            for (int x = 0; x < smooth.width(); ++x)
                smooth.setPixel(x, y, qRgb(x / 2, y * 2 / 3, 128));
        QVERIFY(smooth.save(m_dir.filePath("smooth.png")));
        QFile jpeg(m_dir.filePath("r.jpg"));
        QByteArray bytes;
        QBuffer buffer(&bytes);
        QVERIFY(sample.save(&buffer, "JPEG", 95));
        QVERIFY(jpeg.open(QIODevice::WriteOnly) && jpeg.write(jpegseg::WithOrientation(bytes, 6)) > 0);
    }

    void decodes_data()
    {
        QTest::addColumn<QString>("make");
        QTest::addColumn<QString>("reference");
        QTest::addColumn<QSize>("atLeast");
        QTest::addColumn<int>("tolerance");
        QTest::addColumn<QString>("colourType");
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("orientation");
        QTest::newRow("lossless") << "cjxl s.png p.jxl -d 0" << Reference() << QSize() << 0 << "RGB" << 8 << 1;
        QTest::newRow("lossy") << "cjxl s.png p.jxl -d 1" << Reference() << QSize() << 1 << "RGB" << 8 << 1;
        QTest::newRow("alpha") << "cjxl a.png p.jxl -d 0" << Reference() << QSize() << 0 << "RGBA" << 8 << 1;
        QTest::newRow("grey") << "cjxl g.png p.jxl -d 0" << Reference() << QSize() << 0 << "grey" << 8 << 1;
        QTest::newRow("16-bit") << "cjxl w.png p.jxl -d 0" << Reference() << QSize() << 1 << "RGB" << 16 << 1;
        // A JPEG carried over without loss, its EXIF orientation made the codestream's.
        QTest::newRow("orientation") << "cjxl r.jpg p.jxl" << Reference("-rotate -90") << QSize() << 1 << "RGB" << 8
                                     << 6;
        QTest::newRow("profile") << "cjxl p3.png p.jxl -d 0" << Reference() << QSize() << 0 << "RGB" << 8 << 1;
        // 32 x 24 asked of 512 x 384: the 1:8 stage serves, averaged by two.
        QTest::newRow("reduced from its first stage")
            << "cjxl smooth.png p.jxl -d 1" << Reference("-scale 32x24") << QSize(32, 24) << 4 << "RGB" << 8 << 1;
    }

    void decodes()
    {
        QFETCH(QString, make);
        QFETCH(QString, reference);
        QFETCH(QSize, atLeast);
        QFETCH(int, tolerance);
        const QByteArray file = Make(make);
        QVERIFY(!file.isEmpty());
        const RasterFacts facts = ReadJxlFacts(file);
        QCOMPARE(QSize(facts.width, facts.height), make.contains("smooth") ? QSize(512, 384) : QSize(64, 48));
        QTEST(facts.colourType, "colourType");
        QTEST(facts.bitsPerChannel, "bits");
        QTEST(facts.orientation, "orientation");
        QCOMPARE(facts.iccProfile.isEmpty(), !make.contains("p3"));

        QByteArray out;
        QVERIFY(RunIn(m_dir.path(), reference, &out));
        const RasterImage decoded = DecodeJxl(file, atLeast, {});
        QCOMPARE(decoded.error, QString());
        QCOMPARE_LE(MaxDifference(decoded.image, FromImRgba(out)), tolerance);
    }

    void damaged_data()
    {
        QTest::addColumn<QString>("make");
        QTest::addColumn<QString>("failure"); // thrown by both calls, else empty
        QTest::addColumn<QString>("decodeError");
        const QString enc = "cjxl s.png w.jxl -d 0 && ";
        QTest::newRow("cut in the picture data") << enc + "head -c $(( $(stat -c %s w.jxl) * 2 / 3 )) w.jxl > p.jxl"
                                                 << QString() << QString(kJxlInvalid) + ": the data end early";
        QTest::newRow("cut in the header")
            << enc + "head -c 3 w.jxl > p.jxl" << QString(kJxlInvalid) + ": the data end early" << QString();
        QTest::newRow("not JPEG XL") << "cp s.png p.jxl" << QString(kJxlInvalid) + ": not a JPEG XL file" << QString();
    }

    void damaged()
    {
        QFETCH(QString, make);
        QFETCH(QString, failure);
        const QByteArray file = Make(make);
        QVERIFY(!file.isEmpty());
        QCOMPARE(ErrorOf([&] { ReadJxlFacts(file); }), failure);
        RasterImage decoded;
        QCOMPARE(ErrorOf([&] { decoded = DecodeJxl(file, {}, {}); }), failure);
        QTEST(decoded.error, "decodeError");
    }

    void stops()
    {
        const QByteArray file = Make("cjxl smooth.png p.jxl -d 0");
        const RasterImage decoded = DecodeJxl(file, {}, [] { return true; });
        QCOMPARE(decoded.error, QStringLiteral("Stopped"));
        QVERIFY(decoded.image.isNull());
    }
};

QTEST_MAIN(TestJxlCodec)
#include "test_jxl_codec.moc"
