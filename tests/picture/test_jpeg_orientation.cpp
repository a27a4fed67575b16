// Camera photos: the EXIF orientation turns every form of the picture upright (size, full
// decode, the reduced copies of both cache paths), a bad tag leaves it as stored, and an
// embedded colour profile maps the colours to sRGB.
#include <QColorSpace>
#include <QPainter>
#include <QtTest>

#include "picture/Bitmap.h"
#include "picture/Exif.h"
#include "picture/JpegImage.h"
#include "picture/ScreenFacts.h"
#include "JpegSegments.h"
#include "TestPictures.h"

namespace {

QImage Drawn(const TGraphic& g, QSize size)
{
    QImage out(size, QImage::Format_RGB32);
    out.fill(Qt::black);
    QPainter p(&out);
    g.Draw(p, QRect(QPoint(0, 0), size), true);
    return out;
}

// A profile whose red and green primaries trade places: its red is sRGB's green.
QByteArray SwappedProfile()
{
    const QColorSpace swapped(QPointF(0.3127, 0.3290), QPointF(0.30, 0.60), QPointF(0.64, 0.33), QPointF(0.15, 0.06),
                              QColorSpace::TransferFunction::SRgb);
    return swapped.iccProfile();
}

} // namespace

class TestJpegOrientation : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { SetScreenFacts(ScreenFacts {}); }

    void eightOrientations_data()
    {
        QTest::addColumn<int>("orientation");
        QTest::addColumn<bool>("bigEndian");
        QTest::addColumn<QString>("corners");
        // Stored: red, green over blue, yellow; 256 x 128.
        QTest::newRow("1 as stored") << 1 << false << "RGBY";
        QTest::newRow("2 mirrored") << 2 << false << "GRYB";
        QTest::newRow("3 half turn") << 3 << false << "YBGR";
        QTest::newRow("4 upside down mirror") << 4 << true << "BYRG";
        QTest::newRow("5 transposed") << 5 << false << "RBGY";
        QTest::newRow("6 quarter right") << 6 << false << "BRYG";
        QTest::newRow("6 quarter right, big-endian") << 6 << true << "BRYG";
        QTest::newRow("7 transverse") << 7 << true << "YGBR";
        QTest::newRow("8 quarter left") << 8 << false << "GYRB";
    }
    void eightOrientations()
    {
        QFETCH(int, orientation);
        QFETCH(bool, bigEndian);
        QFETCH(QString, corners);
        const QByteArray file = jpegseg::WithOrientation(MakeQuadrantJpeg(256, 128), orientation, bigEndian);
        const QSize upright = orientation >= 5 ? QSize(128, 256) : QSize(256, 128);

        TJpegImage jpeg;
        jpeg.LoadFromBytes(file);
        QCOMPARE(jpeg.Orientation(), orientation);
        QCOMPARE(QSize(jpeg.Width(), jpeg.Height()), upright); // known from the header alone

        // The worker's reduced copy, at an eighth of the upright size.
        TJpegImage thumb;
        thumb.LoadFromBytes(file);
        const QSize target = upright / 8;
        std::optional<JpegCacheJob> job = thumb.StartCacheJob(target);
        QVERIFY(job);
        QCOMPARE(job->options.scaleDenom, 8);
        JpegCacheResult r = TJpegImage::RunCacheJob(*job);
        QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
        QCOMPARE(r.cache.size(), target);
        QCOMPARE(QuadrantColours(r.cache), corners);
        thumb.AdoptCache(std::move(r));
        QCOMPARE(QuadrantColours(Drawn(thumb, target)), corners);

        // The window-thread cache at a quarter.
        TJpegImage onThread;
        onThread.LoadFromBytes(file);
        onThread.Prepare(upright / 4);
        QVERIFY(!onThread.HasBitmap());
        QCOMPARE(QuadrantColours(Drawn(onThread, upright / 4)), corners);

        // The full picture: what full screen, zoom, printing, saving and the clipboard use.
        const TBitmap& full = jpeg.Bitmap();
        QCOMPARE(QSize(full.Width(), full.Height()), upright);
        QCOMPARE(QSize(jpeg.Width(), jpeg.Height()), upright);
        QCOMPARE(QuadrantColours(DibToQImage(full.Dib())), corners);
    }

    void badTagIsAsStored_data()
    {
        QTest::addColumn<QByteArray>("exif");
        const QByteArray good = jpegseg::ExifData(6);
        QByteArray zero = good, nine = good, asLong = good, farIfd = good, hugeCount = good;
        zero[6 + 8 + 2 + 8] = 0;
        nine[6 + 8 + 2 + 8] = 9;
        asLong[6 + 8 + 2 + 2] = 4;                 // LONG instead of SHORT
        farIfd[6 + 4] = char(0xF0);                // IFD0 beyond the data
        hugeCount[6 + 8 + 2 + 4 + 3] = char(0x7F); // 2^30 values claimed
        QTest::newRow("value 0") << zero;
        QTest::newRow("value 9") << nine;
        QTest::newRow("not a SHORT") << asLong;
        QTest::newRow("IFD beyond the data") << farIfd;
        QTest::newRow("huge count") << hugeCount;
        QTest::newRow("cut in the entry") << good.left(6 + 8 + 2 + 5);
        QTest::newRow("only the id") << good.left(6);
        QTest::newRow("no TIFF byte order") << QByteArray("Exif\0\0XX*\0", 10) + good.mid(10);
    }
    void badTagIsAsStored()
    {
        QFETCH(QByteArray, exif);
        QCOMPARE(ExifOrientation(reinterpret_cast<const uint8_t*>(exif.constData()), size_t(exif.size())), 1);
        TJpegImage jpeg;
        jpeg.LoadFromBytes(jpegseg::WithSegments(MakeQuadrantJpeg(64, 32), jpegseg::Marker(0xE1, exif)));
        QCOMPARE(jpeg.Orientation(), 1);
        QCOMPARE(QuadrantColours(DibToQImage(jpeg.Bitmap().Dib())), QStringLiteral("RGBY"));
    }

    void colourProfile_data()
    {
        QTest::addColumn<QByteArray>("segments");
        QTest::addColumn<QString>("corners");
        const QByteArray profile = SwappedProfile();
        QVERIFY(profile.size() > 200);
        QByteArray broken = profile;
        broken.replace(36, 4, "xxxx"); // the profile's signature
        QTest::newRow("one marker") << jpegseg::IccMarkers(profile) << "GRBY";
        QTest::newRow("split over markers") << jpegseg::IccMarkers(profile, 100) << "GRBY";
        QTest::newRow("turned too") << jpegseg::IccMarkers(profile) + jpegseg::Marker(0xE1, jpegseg::ExifData(6))
                                    << "BGYR";
        QTest::newRow("damaged profile") << jpegseg::IccMarkers(broken) << "RGBY";
        QTest::newRow("a marker missing") << jpegseg::IccMarkers(profile, 100).mid(2 + 2 + 14 + 100) << "RGBY";
    }
    void colourProfile()
    {
        QFETCH(QByteArray, segments);
        QFETCH(QString, corners);
        const QByteArray file = jpegseg::WithSegments(MakeQuadrantJpeg(256, 128), segments);
        TJpegImage thumb;
        thumb.LoadFromBytes(file);
        std::optional<JpegCacheJob> job = thumb.StartCacheJob(QSize(thumb.Width(), thumb.Height()) / 8);
        QVERIFY(job);
        const JpegCacheResult r = TJpegImage::RunCacheJob(*job);
        QCOMPARE(QuadrantColours(r.cache), corners);
        TJpegImage full;
        full.LoadFromBytes(file);
        QCOMPARE(QuadrantColours(DibToQImage(full.Bitmap().Dib())), corners);
    }
};

QTEST_GUILESS_MAIN(TestJpegOrientation)
#include "test_jpeg_orientation.moc"
