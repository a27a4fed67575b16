// SPDX-License-Identifier: GPL-3.0-or-later
// Camera raw files written as small DNGs (a mosaic and a JPEG preview), decoded by us and
// compared with LibRaw's own tool, dcraw_emu: the preview it extracts, the development it
// makes; facts, damaged and hostile files; each also read from the file in pieces, as page
// cells read it, with the same result.
#include <QBuffer>
#include <QTemporaryDir>
#include <QtTest>
#include "DngWriter.h"
#include "ErrorOf.h"
#include "ToolPictures.h"
#include "picture/Failure.h"
#include "picture/FileRead.h"
#include "picture/Limits.h"
#include "picture/RawCodec.h"

namespace {
const QString kDeveloped = QStringLiteral("dcraw_emu -w -o 1 -t 0 p.dng && ") + ImRgba(QStringLiteral("p.dng.ppm"));
}

class TestRawCodec : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

    QByteArray Write(const QImage& preview, const dng::Shot& shot = {})
    {
        QByteArray jpeg;
        QBuffer buffer(&jpeg);
        if (!preview.save(&buffer, "JPEG", 95))
            return {};
        const QByteArray file = dng::Make(SamplePicture(64, 48, false), jpeg, shot);
        QFile f(m_dir.filePath("p.dng"));
        return f.open(QIODevice::WriteOnly) && f.write(file) == file.size() ? file : QByteArray();
    }

private slots:
    void initTestCase()
    {
        for (const char* tool : {"dcraw_emu", "simple_dcraw", "convert"})
            if (QStandardPaths::findExecutable(tool).isEmpty())
                QSKIP("LibRaw's tools or ImageMagick are missing (scripts/setup.sh --test installs them)");
    }

    void decodes_data()
    {
        QTest::addColumn<QSize>("preview");
        QTest::addColumn<int>("orientation");
        QTest::addColumn<QSize>("atLeast");
        QTest::addColumn<QString>("reference");
        QTest::addColumn<int>("tolerance");
        // The preview at the JPEG scale that covers the size asked (a quarter here).
        QTest::newRow("preview") << QSize(64, 48) << 1 << QSize(16, 12)
                                 << "simple_dcraw -e p.dng && convert -define jpeg:size=16x12 p.dng.thumb.jpg -format "
                                    "'%w %h\\n' -write info:- -depth 8 rgba:-"
                                 << 3;
        QTest::newRow("preview too small: half-size development")
            << QSize(16, 12) << 1 << QSize(24, 18) << "dcraw_emu -h -w -o 1 -t 0 p.dng && " + ImRgba("p.dng.ppm") << 1;
        QTest::newRow("developed") << QSize(16, 12) << 1 << QSize() << kDeveloped << 1;
        QTest::newRow("turned right") << QSize(64, 48) << 6 << QSize() << kDeveloped << 1;
        QTest::newRow("turned left") << QSize(64, 48) << 8 << QSize() << kDeveloped << 1;
    }

    void decodes()
    {
        QFETCH(QSize, preview);
        QFETCH(int, orientation);
        QFETCH(QSize, atLeast);
        QFETCH(QString, reference);
        QFETCH(int, tolerance);
        dng::Shot shot;
        shot.orientation = orientation;
        const QByteArray file = Write(SamplePicture(preview.width(), preview.height(), false, 5), shot);
        QVERIFY(!file.isEmpty());
        const RasterFacts facts = ReadRawFacts(file);
        QCOMPARE(QSize(facts.width, facts.height), QSize(64, 48));
        QCOMPARE(facts.orientation, orientation);
        QCOMPARE(facts.colourType, QStringLiteral("Bayer"));
        QCOMPARE(facts.bitsPerChannel, 16);
        QCOMPARE(facts.shot, QStringLiteral("Lumicam Model 1, 1/125 s, f/8, ISO 200, 50 mm"));

        QByteArray out;
        QVERIFY(RunIn(m_dir.path(), reference, &out));
        const RasterImage decoded = DecodeRaw(file, atLeast, {});
        QCOMPARE(decoded.error, QString());
        QCOMPARE_LE(MaxDifference(decoded.image, FromImRgba(out)), tolerance);

        FileStream stream(m_dir.filePath("p.dng"), PictureLimits::kMaxDecodedBytes);
        RasterFacts read;
        QCOMPARE(DecodeRawFile(stream, atLeast, {}, &read).image, decoded.image);
        QCOMPARE(read.orientation, orientation);
        QCOMPARE(read.shot, facts.shot);
    }

    // Each damage as bytes put over the file at an offset (negative: from its end), or the file
    // cut to a length.
    void damaged_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("failure"); // thrown by both calls, else empty
        QTest::addColumn<bool>("decodes");
        // A preview that cannot be read: the picture is developed instead.
        QTest::newRow("preview past the end") << "preview" << QString() << true;
        QTest::newRow("mosaic cut short") << "cut" << QString() << true;
        QTest::newRow("huge sensor") << "huge" << QString(kOutOfResources) << false;
        QTest::newRow("not raw") << "png" << QString(kRawInvalid) << false;
    }

    void damaged()
    {
        QFETCH(QString, damage);
        QFETCH(QString, failure);
        QByteArray file = Write(SamplePicture(64, 48, false));
        QVERIFY(!file.isEmpty());
        // The value of a LONG entry of the first directory (the preview's), or of the last one
        // holding the tag (the raw image's).
        const auto entry = [&](quint16 tag, bool last) {
            const QByteArray key = QByteArray(1, char(tag & 255)) + char(tag >> 8) + QByteArray("\x04\0\x01\0\0\0", 6);
            return int(last ? file.lastIndexOf(key) : file.indexOf(key)) + 8;
        };
        if (damage == "preview")
            file.replace(entry(273, false), 4, QByteArray("\xf0\xff\xff\x00", 4));
        else if (damage == "cut")
            file.truncate(file.size() - 2000);
        else if (damage == "huge")
            file.replace(entry(256, true), 4, QByteArray("\x60\xea\0\0", 4))
                .replace(entry(257, true), 4, QByteArray("\x60\xea\0\0", 4));
        else {
            file.clear();
            QBuffer png(&file);
            QVERIFY(SamplePicture(8, 8, false).save(&png, "PNG"));
        }
        const QString read = ErrorOf([&] { ReadRawFacts(file); });
        RasterImage decoded;
        const QString thrown = ErrorOf([&] { decoded = DecodeRaw(file, QSize(16, 12), {}); });
        QVERIFY2(failure.isEmpty() ? read.isEmpty() : read.startsWith(failure), qPrintable(read));
        QVERIFY2(failure.isEmpty() ? thrown.isEmpty() : thrown.startsWith(failure), qPrintable(thrown));
        QTEST(!decoded.image.isNull(), "decodes");
        QCOMPARE(decoded.error.isEmpty(), !decoded.image.isNull() || !failure.isEmpty());

        QFile damaged(m_dir.filePath("damaged.dng"));
        QVERIFY(damaged.open(QIODevice::WriteOnly) && damaged.write(file) == file.size());
        damaged.close();
        FileStream stream(damaged.fileName(), PictureLimits::kMaxDecodedBytes);
        RasterImage fromFile;
        RasterFacts facts;
        QCOMPARE(ErrorOf([&] { fromFile = DecodeRawFile(stream, QSize(16, 12), {}, &facts); }), thrown);
        QCOMPARE(fromFile.image, decoded.image);
    }
};

QTEST_MAIN(TestRawCodec)
#include "test_raw_codec.moc"
