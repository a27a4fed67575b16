// SPDX-License-Identifier: GPL-3.0-or-later
// Camera photos: the EXIF orientation turns every form of the picture upright (size, full
// decode, the reduced copies of both cache paths), a bad tag leaves it as stored, and an
// embedded colour profile maps the colours to sRGB.
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
        QTest::newRow("4 upside-down mirror, big-endian") << 4 << true << "BYRG";
        QTest::newRow("5 transposed") << 5 << false << "RBGY";
        QTest::newRow("6 quarter right") << 6 << false << "BRYG";
        QTest::newRow("7 transverse, big-endian") << 7 << true << "YGBR";
        QTest::newRow("8 quarter left") << 8 << false << "GYRB";
    }
    void eightOrientations()
    {
        QFETCH(int, orientation);
        QFETCH(bool, bigEndian);
        QFETCH(QString, corners);
        TJpegImage jpeg;
        jpeg.LoadFromBytes(jpegseg::WithOrientation(MakeQuadrantJpeg(256, 128), orientation, bigEndian));
        const QSize upright = orientation >= 5 ? QSize(128, 256) : QSize(256, 128);
        QCOMPARE(QSize(jpeg.Width(), jpeg.Height()), upright); // from the header alone
        // The worker's reduced copy at an eighth, the window thread's at a quarter, the full bitmap.
        const std::optional<DecodeJob> job = jpeg.StartCacheJob(upright / 8);
        QVERIFY(job && job->options.scaleDenom == 8);
        const DecodeResult r = TJpegImage::RunCacheJob(*job);
        QCOMPARE(r.cache.size(), upright / 8);
        QCOMPARE(QuadrantColours(r.cache), corners);
        jpeg.Prepare(upright / 4);
        QVERIFY(!jpeg.HasBitmap());
        QCOMPARE(QuadrantColours(Drawn(jpeg, upright / 4)), corners);
        const TBitmap& full = jpeg.Bitmap();
        QCOMPARE(QSize(full.Width(), full.Height()), upright);
        QCOMPARE(QuadrantColours(DibToQImage(full.Dib())), corners);
    }

    void badTagIsAsStored_data()
    {
        QTest::addColumn<int>("at");
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("length");
        QTest::newRow("value 9") << 24 << 9 << 32;
        QTest::newRow("a LONG, not a SHORT") << 18 << 4 << 32;
        QTest::newRow("IFD beyond the data") << 10 << 0xF0 << 32;
        QTest::newRow("2^30 values claimed") << 23 << 0x7F << 32;
        QTest::newRow("cut in the entry") << 0 << int('E') << 21;
        QTest::newRow("no byte order") << 6 << int('X') << 32;
    }
    void badTagIsAsStored()
    {
        QFETCH(int, at);
        QFETCH(int, byte);
        QFETCH(int, length);
        QByteArray exif = jpegseg::ExifData(6).left(length);
        exif[at] = char(byte);
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
        const QByteArray profile = SwappedRedGreenProfile();
        QTest::newRow("one marker") << jpegseg::IccMarkers(profile) << "GRBY";
        QTest::newRow("split over markers") << jpegseg::IccMarkers(profile, 100) << "GRBY";
        QTest::newRow("damaged") << jpegseg::IccMarkers(QByteArray(profile).replace(36, 4, "xxxx")) << "RGBY";
        QTest::newRow("first marker missing") << jpegseg::IccMarkers(profile, 100).mid(118) << "RGBY";
    }
    void colourProfile()
    {
        QFETCH(QByteArray, segments);
        QFETCH(QString, corners);
        TJpegImage jpeg;
        jpeg.LoadFromBytes(jpegseg::WithSegments(MakeQuadrantJpeg(256, 128), segments));
        const DecodeResult r = TJpegImage::RunCacheJob(*jpeg.StartCacheJob(QSize(32, 16)));
        QCOMPARE(QuadrantColours(r.cache), corners);
        QCOMPARE(QuadrantColours(DibToQImage(jpeg.Bitmap().Dib())), corners);
    }

    // The zoom window's full picture, decoded straight to 32 bits a pixel, is the picture the
    // 24-bit decode gives: turned, colour-mapped, every fourth byte 255.
    void bitmapForWindow_data()
    {
        QTest::addColumn<QByteArray>("jpeg");
        QTest::addColumn<int>("bits");
        const QByteArray quadrants = MakeQuadrantJpeg(96, 64);
        QTest::newRow("as stored") << quadrants << 32;
        QTest::newRow("turned") << jpegseg::WithOrientation(quadrants, 6) << 32;
        QTest::newRow("mirrored, with a profile")
            << jpegseg::WithSegments(jpegseg::WithOrientation(quadrants, 2),
                                     jpegseg::IccMarkers(SwappedRedGreenProfile()))
            << 32;
        QImage grey(40, 30, QImage::Format_Grayscale8);
        grey.fill(90);
        TJpegImage greyJpeg;
        greyJpeg.AssignBitmap(TBitmap(DibFromQImage(grey)));
        greyJpeg.settings.grayscale = true;
        QTest::newRow("grey file") << greyJpeg.SaveToBytes() << 8;
    }
    void bitmapForWindow()
    {
        QFETCH(QByteArray, jpeg);
        QFETCH(int, bits);
        TJpegImage forWindow, usual;
        forWindow.LoadFromBytes(jpeg);
        usual.LoadFromBytes(jpeg);
        const TBitmap window = forWindow.BitmapForWindow();
        QCOMPARE(int(window.Dib().bitCount), bits);
        QCOMPARE(forWindow.HasBitmap(), bits != 32); // a grey file goes the usual way
        QCOMPARE(DibToQImage(window.Dib()).convertToFormat(QImage::Format_RGB32),
                 DibToQImage(usual.Bitmap().Dib()).convertToFormat(QImage::Format_RGB32));
        for (int32_t y = 0; bits == 32 && y < window.Dib().height; ++y)
            for (int32_t x = 0; x < window.Dib().width; ++x)
                QCOMPARE(int(window.Dib().Row(y)[4 * x + 3]), 255);
    }
};

QTEST_GUILESS_MAIN(TestJpegOrientation)
#include "test_jpeg_orientation.moc"
