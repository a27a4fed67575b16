// SPDX-License-Identifier: GPL-3.0-or-later
// A page cell's picture: header facts read from the start of a file (reading on when the header
// is longer), and the reduced copy made from the file within a memory budget.
#include <QtTest>
#include "picture/Failure.h"
#include "picture/PictureBudget.h"
#include "picture/PictureThumbnail.h"
#include "picture/ScreenFacts.h"
#include "BmpFileBuilder.h"
#include "ErrorOf.h"
#include "TestFiles.h"
#include "TestPictures.h"

namespace {

// The JPEG with `bytes` of comment segments ahead of its frame header.
QByteArray WithLongHeader(QByteArray jpeg, int bytes)
{
    QByteArray segments;
    for (int left = bytes; left > 0; left -= 65000) {
        const int n = std::min(left, 65000);
        segments += QByteArray("\xFF\xFE", 2);
        segments += char((n + 2) >> 8);
        segments += char((n + 2) & 0xFF);
        segments += QByteArray(n, 'c');
    }
    return jpeg.insert(2, segments);
}

// A bitmap file that claims a large picture and holds no pixels (the rows read as black).
QByteArray ClaimingBitmap(int width, int height)
{
    BmpBuild b;
    b.width = width;
    b.height = height;
    b.bitCount = 32;
    return BuildBmp(b);
}

} // namespace

class TestThumbnail : public QObject {
    Q_OBJECT
private slots:
    void facts_data()
    {
        QTest::addColumn<int>("kind"); // GraphicKind
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("error");
        const QTemporaryDir dir;
        WriteTestJpeg(dir.filePath(QStringLiteral("a.jpg")), 320, 200);
        const QByteArray jpeg = ReadBytes(dir.filePath(QStringLiteral("a.jpg")));
        const QSize icon(Screen().iconWidth, Screen().iconHeight);
        QTest::newRow("jpeg") << int(GraphicKind::Jpeg) << "a.jpg" << jpeg << QSize(320, 200) << QString();
        QTest::newRow("jpeg header beyond the first read")
            << int(GraphicKind::Jpeg) << "b.jpg" << WithLongHeader(jpeg, 300000) << QSize(320, 200) << QString();
        QTest::newRow("jpeg of no bytes")
            << int(GraphicKind::Jpeg) << "c.jpg" << QByteArray() << QSize(0, 0) << QString();
        QTest::newRow("jpeg cut inside its header")
            << int(GraphicKind::Jpeg) << "d.jpg" << jpeg.left(100) << QSize() << "JPEG error #";
        QTest::newRow("bitmap") << int(GraphicKind::Bitmap) << "e.bmp" << ClaimingBitmap(640, -480) << QSize(640, 480)
                                << QString();
        QTest::newRow("bitmap without a header")
            << int(GraphicKind::Bitmap) << "f.bmp" << QByteArray("BM") << QSize() << kBitmapInvalid;
        QTest::newRow("bitmap beyond the side limit")
            << int(GraphicKind::Bitmap) << "g.bmp" << ClaimingBitmap(70000, 2) << QSize() << kOutOfResources;
        QTest::newRow("icon") << int(GraphicKind::Icon) << "h.ico" << MakeTestIcon({icon.width()}) << icon << QString();
        QTest::newRow("icon directory cut")
            << int(GraphicKind::Icon) << "i.ico" << MakeTestIcon({16, 32}).left(10) << QSize() << kIconInvalid;
    }
    void facts()
    {
        QFETCH(int, kind);
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, size);
        QFETCH(QString, error);
        const QTemporaryDir dir;
        const QString path = dir.filePath(name);
        WriteBytes(path, bytes);
        TThumbnail thumbnail;
        const QString failure = ErrorOf([&] { thumbnail.LoadHeader(path, GraphicKind(kind)); });
        QVERIFY2(error.isEmpty() ? failure.isEmpty() : failure.startsWith(error), qPrintable(failure));
        if (error.isEmpty())
            QCOMPARE(QSize(thumbnail.Width(), thumbnail.Height()), size);
    }

    // The reduced copy is made from the file within the budget, which is given back after;
    // a decode that does not fit fails alone.
    void reducedWithinBudget_data()
    {
        QTest::addColumn<int>("side");
        QTest::addColumn<QString>("error");
        QTest::addColumn<int>("refused");
        QTest::newRow("fits") << 800 << QString() << 0;
        QTest::newRow("larger than the budget") << 3000 << QString::fromLatin1(kOutOfResources) << 1;
    }
    void reducedWithinBudget()
    {
        QFETCH(int, side);
        QFETCH(QString, error);
        QFETCH(int, refused);
        const QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("p.bmp"));
        WriteBytes(path, ClaimingBitmap(side, side));
        TThumbnail thumbnail;
        thumbnail.LoadHeader(path, GraphicKind::Bitmap);
        std::optional<DecodeJob> job = thumbnail.StartJob(QSize(100, 100));
        QVERIFY(job);
        auto budget = std::make_shared<DecodeBudget>(32 << 20);
        job->budget = budget;
        const DecodeResult result = RunThumbnailJob(*job);
        QCOMPARE(result.error, error);
        QCOMPARE(result.fitted.size(), error.isEmpty() ? QSize(100, 100) : QSize(0, 0));
        QCOMPARE(budget->Held(), int64_t(0));
        QCOMPARE(budget->Refused(), refused);
        QVERIFY(budget->Peak() <= budget->Total());
        // A shortage is kept, not raised (the page reports them together), and the thumbnail
        // is not decoded again.
        const QString raised = ErrorOf([&] { thumbnail.Adopt(QSize(100, 100), result); });
        QCOMPARE(raised, QString());
        QCOMPARE(thumbnail.Error(), error);
        QVERIFY(!thumbnail.NeedsPrepare(QSize(100, 100)));
    }

    // A bitmap whose sizes pass at page load but whose reader refuses it is named in its report.
    void refusedBitmapNamed()
    {
        const QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("odd.bmp"));
        BmpBuild b;
        b.width = 8;
        b.height = 8;
        b.compression = 9; // no such compression
        WriteBytes(path, BuildBmp(b));
        TThumbnail thumbnail;
        thumbnail.LoadHeader(path, GraphicKind::Bitmap);
        const std::optional<DecodeJob> job = thumbnail.StartJob(QSize(8, 8));
        QVERIFY(job);
        const DecodeResult result = RunThumbnailJob(*job);
        QCOMPARE(result.error, QString::fromLatin1(kBitmapInvalid));
        QCOMPARE(ErrorOf([&] { thumbnail.Adopt(QSize(8, 8), result); }),
                 QStringLiteral("Cannot load image : odd.bmp - ") + kBitmapInvalid);
    }

    // A file changed since its header was read is decoded as it is now.
    void fileReadAgainWhenDecoded()
    {
        const QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("p.jpg"));
        WriteTestJpeg(path, 400, 300);
        TThumbnail thumbnail;
        thumbnail.LoadHeader(path, GraphicKind::Jpeg);
        WriteBytes(path, QByteArray("not a picture"));
        QVERIFY(ErrorOf([&] { thumbnail.Prepare(QSize(100, 75)); }).startsWith(QLatin1String("Cannot load image : ")));
        QVERIFY(thumbnail.Failed());
        QVERIFY(thumbnail.Shown().isNull());
    }
};

QTEST_MAIN(TestThumbnail)
#include "test_thumbnail.moc"
