// SPDX-License-Identifier: GPL-3.0-or-later
// WebP files made by the webp tools, decoded by us and compared with dwebp's decoding; damaged
// and hostile files.
#include <QColorSpace>
#include <QTemporaryDir>
#include <QtTest>
#include "ErrorOf.h"
#include "ToolPictures.h"
#include "picture/Failure.h"
#include "picture/WebpCodec.h"

namespace {
const QString kDwebp = QStringLiteral("dwebp -quiet -pam p.webp -o r.pam && ") + ImRgba("r.pam");
// The first frame alone, as a still file dwebp reads, reduced to 14 x 10.
const QString kFirstFrame =
    QStringLiteral("webpmux -get frame 1 p.webp -o f.webp && dwebp -quiet -scale 14 10 -pam f.webp -o r.pam && ") +
    ImRgba("r.pam");
// An EXIF block that holds Orientation 6 only, little-endian.
const QByteArray kExif = QByteArray::fromHex("49492a000800000001001201030001000000060000000000");
}

class TestWebpCodec : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QByteArray Make(const QString& command)
    {
        if (!RunIn(m_dir.path(), command))
            return {};
        QFile f(m_dir.filePath("p.webp"));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void initTestCase()
    {
        for (const char* tool : {"cwebp", "dwebp", "img2webp", "webpmux", "convert"})
            if (QStandardPaths::findExecutable(tool).isEmpty())
                QSKIP("the webp tools or ImageMagick are missing (scripts/setup.sh --test installs them)");
        QVERIFY(SamplePicture(64, 48, false).save(m_dir.filePath("s.png")));
        QVERIFY(SamplePicture(64, 48, false, 99).save(m_dir.filePath("b.png")));
        QVERIFY(SamplePicture(64, 48, true).save(m_dir.filePath("a.png")));
        QVERIFY(SamplePicture(300, 200, false).save(m_dir.filePath("big.png")));
        QFile exif(m_dir.filePath("exif.bin")), icc(m_dir.filePath("icc.bin"));
        QVERIFY(exif.open(QIODevice::WriteOnly) && exif.write(kExif) == kExif.size());
        QVERIFY(icc.open(QIODevice::WriteOnly) && icc.write(QColorSpace(QColorSpace::SRgb).iccProfile()) > 0);
    }

    void decodes_data()
    {
        QTest::addColumn<QString>("make");
        QTest::addColumn<QString>("reference");
        QTest::addColumn<QSize>("atLeast");
        QTest::addColumn<int>("tolerance");
        QTest::addColumn<bool>("alpha");
        QTest::addColumn<QList<int>>("delays");
        QTest::addColumn<int>("orientation");
        const QList<int> still;
        QTest::newRow("lossy") << "cwebp -quiet -q 80 s.png -o p.webp" << kDwebp << QSize() << 2 << false << still << 1;
        QTest::newRow("lossless") << "cwebp -quiet -lossless s.png -o p.webp" << kDwebp << QSize() << 0 << false
                                  << still << 1;
        QTest::newRow("lossy, alpha") << "cwebp -quiet -q 80 a.png -o p.webp" << kDwebp << QSize() << 2 << true << still
                                      << 1;
        QTest::newRow("lossless, alpha") << "cwebp -quiet -lossless a.png -o p.webp" << kDwebp << QSize() << 0 << true
                                         << still << 1;
        // 20 x 10 asked of 64 x 48: the width rules, the height follows the shape.
        QTest::newRow("reduced") << "cwebp -quiet -q 80 s.png -o p.webp"
                                 << "dwebp -quiet -scale 20 15 -pam p.webp -o r.pam && " + ImRgba("r.pam")
                                 << QSize(20, 10) << 2 << false << still << 1;
        QTest::newRow("asked as wide, lossless alpha")
            << "cwebp -quiet -lossless a.png -o p.webp"
            << "dwebp -quiet -scale 64 48 -pam p.webp -o r.pam && " + ImRgba("r.pam") << QSize(64, 20) << 0 << true
            << still << 1;
        QTest::newRow("animated") << "img2webp -loop 3 -lossless -d 80 s.png -d 120 b.png -o p.webp" << kFirstFrame
                                  << QSize(10, 10) << 0 << false << QList<int> {80, 120} << 1;
        QTest::newRow("profile and orientation")
            << "cwebp -quiet -lossless s.png -o q.webp && webpmux -set icc icc.bin q.webp -o t.webp && "
               "webpmux -set exif exif.bin t.webp -o p.webp"
            << kDwebp << QSize() << 0 << false << still << 6;
    }

    void decodes()
    {
        QFETCH(QString, make);
        QFETCH(QString, reference);
        QFETCH(QSize, atLeast);
        QFETCH(int, tolerance);
        QFETCH(QList<int>, delays);
        const QByteArray file = Make(make);
        QVERIFY(!file.isEmpty());
        const RasterFacts facts = ReadWebpFacts(file);
        QCOMPARE(QSize(facts.width, facts.height), QSize(64, 48));
        QTEST(facts.alpha, "alpha");
        QCOMPARE(facts.frames, std::max<int>(1, int(delays.size())));
        QCOMPARE(facts.delaysMs, delays);
        QCOMPARE(facts.loops, delays.isEmpty() ? 0 : 3);
        QTEST(facts.orientation, "orientation");
        QCOMPARE(facts.iccProfile.isEmpty(), !make.contains("icc"));

        QByteArray out;
        QVERIFY(RunIn(m_dir.path(), reference, &out));
        const RasterImage decoded = DecodeWebp(file, atLeast, {});
        QCOMPARE(decoded.error, QString());
        QCOMPARE(decoded.image.format(), QImage::Format_ARGB32);
        QCOMPARE_LE(MaxDifference(decoded.image, FromImRgba(out)), tolerance);
    }

    void damaged_data()
    {
        QTest::addColumn<QString>("make");
        QTest::addColumn<QString>("failure"); // thrown by both calls, else empty
        QTest::addColumn<int>("frames");
        const QString cut = "head -c $(( $(stat -c %s w.webp) * 6 / 10 )) w.webp > p.webp";
        QTest::newRow("lossy, cut short") << "cwebp -quiet -q 90 big.png -o w.webp && " + cut << QString() << 1;
        QTest::newRow("lossless, cut short") << "cwebp -quiet -lossless big.png -o w.webp && " + cut << QString() << 1;
        // The canvas of an animation set to 60000 x 20000 over its one small frame.
        QTest::newRow("huge canvas") << "img2webp s.png b.png -o p.webp && printf '\\x5f\\xea\\x00\\x1f\\x4e\\x00' | "
                                        "dd of=p.webp bs=1 seek=24 conv=notrunc status=none"
                                     << QString(kOutOfResources) << 1;
        QTest::newRow("2000 frames") << "img2webp -lossless $(for i in $(seq 1000); do echo -n 's.png b.png '; done) "
                                        "-o p.webp"
                                     << QString() << 2000;
        QTest::newRow("not WebP") << "cp s.png p.webp" << QString(kWebpInvalid) + ": damaged data" << 1;
    }

    void damaged()
    {
        QFETCH(QString, make);
        QFETCH(QString, failure);
        const QByteArray file = Make(make);
        QVERIFY(!file.isEmpty());
        RasterFacts facts;
        QCOMPARE(ErrorOf([&] { facts = ReadWebpFacts(file); }), failure);
        RasterImage decoded;
        QCOMPARE(ErrorOf([&] { decoded = DecodeWebp(file, {}, {}); }), failure);
        if (!failure.isEmpty())
            return;
        QTEST(facts.frames, "frames");
        QCOMPARE(decoded.image.size(), QSize(facts.width, facts.height));
        QCOMPARE(decoded.error.isEmpty(), !make.contains("head"));
        if (decoded.error.isEmpty())
            return;
        // Cut short: the rows decoded are dwebp's, those below are left empty.
        QVERIFY(decoded.error.startsWith(kWebpInvalid));
        QByteArray out;
        QVERIFY(RunIn(m_dir.path(), "dwebp -quiet -pam w.webp -o r.pam && " + ImRgba("r.pam"), &out));
        int rows = 0;
        while (rows < decoded.image.height() && qAlpha(decoded.image.pixel(0, rows)) != 0)
            ++rows;
        QVERIFY(rows > 0 && rows < decoded.image.height());
        QCOMPARE_LE(MaxDifference(decoded.image, FromImRgba(out), 0, rows), 2);
    }

    void stops()
    {
        const QByteArray file = Make("cwebp -quiet -lossless s.png -o p.webp");
        const RasterImage decoded = DecodeWebp(file, {}, [] { return true; });
        QCOMPARE(decoded.error, QStringLiteral("Stopped"));
        QVERIFY(decoded.image.isNull());
    }
};

QTEST_GUILESS_MAIN(TestWebpCodec)
#include "test_webp_codec.moc"
