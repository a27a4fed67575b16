// SPDX-License-Identifier: GPL-3.0-or-later
// The image facts that need no window: bitmap header fields, packed file dates, sub-panels.
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <QTest>
#include "BmpFileBuilder.h"
#include "app/lib/Application.h"
#include "ui/common/ImageFacts.h"

Q_DECLARE_METATYPE(BitmapHeaderResult)
Q_DECLARE_METATYPE(DetailSubPanel)

namespace {
// Values no header sets, so a field left alone is seen.
TImageInfo Sentinel()
{
    TImageInfo info;
    info.Width = -77;
    info.Height = -88;
    info.Planes = 99;
    info.BitCount = 99;
    info.Compression = 99;
    info.ImageSize = 99;
    info.XPelsPerMeter = -99;
    info.YPelsPerMeter = -99;
    return info;
}

QByteArray Header(uint32_t size, int32_t w, int32_t h, uint16_t bits = 24, uint32_t compression = 0)
{
    BmpBuild b;
    b.headerSize = size;
    b.width = w;
    b.height = h;
    b.bitCount = bits;
    b.compression = compression;
    b.sizeImage = 1234;
    return BuildBmp(b); // resolution 2835 both ways
}

QByteArray WithSizeField(QByteArray bytes, uint32_t size)
{
    bmptest::Set32(bytes, 14, size);
    return bytes;
}
}

class TestImageFacts : public QObject {
    Q_OBJECT
private slots:
    void bitmapHeader_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<BitmapHeaderResult>("result");
        QTest::addColumn<QList<qint64>>("fields"); // width height planes bits compression size xppm yppm

        const QList<qint64> untouched {-77, -88, 99, 99, 99, 99, -99, -99};
        const QByteArray info40 = Header(40, 640, 480);
        QTest::newRow("info header") << info40 << BitmapHeaderResult::Read
                                     << QList<qint64> {640, 480, 1, 24, 0, 1234, 2835, 2835};
        QTest::newRow("top-down") << Header(40, 7, -5, 32, 3) << BitmapHeaderResult::Read
                                  << QList<qint64> {7, -5, 1, 32, 3, 1234, 2835, 2835};
        QTest::newRow("version 4") << Header(108, 31, 17, 8) << BitmapHeaderResult::Read
                                   << QList<qint64> {31, 17, 1, 8, 0, 1234, 2835, 2835};
        QTest::newRow("version 5") << Header(124, 31, 17, 16, 3) << BitmapHeaderResult::Read
                                   << QList<qint64> {31, 17, 1, 16, 3, 1234, 2835, 2835};
        QTest::newRow("core, unsigned sides")
            << Header(12, 40000, 3) << BitmapHeaderResult::Read << QList<qint64> {40000, 3, 0, 0, 0, 0, 0, 0};
        QTest::newRow("core, whole header only")
            << Header(12, 1, 1).left(26) << BitmapHeaderResult::Read << QList<qint64> {1, 1, 0, 0, 0, 0, 0, 0};
        QTest::newRow("info, whole header only")
            << info40.left(54) << BitmapHeaderResult::Read << QList<qint64> {640, 480, 1, 24, 0, 1234, 2835, 2835};
        QTest::newRow("64-byte header") << Header(64, 16, 16, 1) << BitmapHeaderResult::Unknown << untouched;
        QTest::newRow("size 0") << WithSizeField(info40, 0) << BitmapHeaderResult::Unknown << untouched;
        QTest::newRow("size 2^32-1") << WithSizeField(info40, 0xFFFFFFFFu) << BitmapHeaderResult::Unknown << untouched;
        QTest::newRow("empty") << QByteArray() << BitmapHeaderResult::Incomplete << untouched;
        QTest::newRow("no size field") << info40.left(17) << BitmapHeaderResult::Incomplete << untouched;
        QTest::newRow("core cut") << Header(12, 1, 1).left(25) << BitmapHeaderResult::Incomplete << untouched;
        QTest::newRow("info cut") << info40.left(53) << BitmapHeaderResult::Incomplete << untouched;
        QTest::newRow("version 5 cut") << Header(124, 3, 3).left(137) << BitmapHeaderResult::Incomplete << untouched;
    }
    void bitmapHeader()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QList<qint64>, fields);
        TImageInfo info = Sentinel();
        QTEST(ParseBitmapHeader(bytes, info), "result");
        const QList<qint64> got {info.Width,       info.Height,    info.Planes,        info.BitCount,
                                 info.Compression, info.ImageSize, info.XPelsPerMeter, info.YPelsPerMeter};
        QCOMPARE(got, fields);
    }

    // Every cut of a valid header, and the same bytes under every size field value that matters,
    // stay inside the bytes and change nothing unless the whole header is there.
    void everyCutOfEveryHeader()
    {
        for (uint32_t size : {12u, 40u, 108u, 124u}) {
            const QByteArray whole = Header(size, 9, 9);
            for (qsizetype n = 0; n <= whole.size(); ++n) {
                // A copy on the heap of exactly n bytes lets a sanitizer see any read beyond it.
                std::unique_ptr<char[]> cut(new char[size_t(std::max<qsizetype>(n, 1))]);
                memcpy(cut.get(), whole.constData(), size_t(n));
                TImageInfo info = Sentinel();
                const BitmapHeaderResult r = ParseBitmapHeader(QByteArrayView(cut.get(), n), info);
                const bool wholeHeader = n >= 14 + qsizetype(size);
                QCOMPARE(r, wholeHeader ? BitmapHeaderResult::Read : BitmapHeaderResult::Incomplete);
                QCOMPARE(info.Width, wholeHeader ? 9 : -77);
            }
        }
    }

    void packFileDate_data()
    {
        QTest::addColumn<QDateTime>("time");
        QTest::addColumn<double>("value");
        const auto local = [](int y, int mo, int d, int h, int mi, int s, int ms = 0) {
            return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms));
        };
        QTest::newRow("midnight 2000") << local(2000, 1, 1, 0, 0, 0) << 36526.0;
        QTest::newRow("odd second dropped") << local(2000, 1, 1, 12, 0, 1) << 36526.5;
        QTest::newRow("milliseconds dropped") << local(2000, 1, 1, 12, 0, 3, 900) << 36526.500023148146;
        QTest::newRow("first packed day") << local(1980, 1, 1, 0, 0, 1) << 29221.0;
        QTest::newRow("last packed day") << local(2107, 12, 31, 23, 59, 59) << 75971.99997685185;
        QTest::newRow("1979 kept whole") << local(1979, 12, 31, 23, 59, 59, 500) << 29220.99999421296;
        QTest::newRow("2108 kept whole") << local(2108, 1, 1, 0, 0, 1) << 75972.00001157407;
        QTest::newRow("day zero") << local(1899, 12, 30, 6, 0, 0) << 0.25;
        QTest::newRow("day before zero") << local(1899, 12, 29, 6, 0, 0) << -1.25;
        // The test runs two hours east of UTC (see main).
        QTest::newRow("UTC taken to local") << QDateTime(QDate(2000, 1, 1), QTime(10, 0, 1), Qt::UTC) << 36526.5;
        QTest::newRow("invalid") << QDateTime() << 0.0;
    }
    void packFileDate()
    {
        QFETCH(QDateTime, time);
        QFETCH(double, value);
        const double got = PackFileDate(time);
        // A millisecond is 1.16e-8 of a day; a second is a thousand times more.
        QVERIFY2(std::fabs(got - value) < 1e-9, qPrintable(QString::number(got, 'f', 12)));
    }

    void dateOfValue_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QDate>("day");
        QTest::newRow("noon 2000") << 36526.5 << QDate(2000, 1, 1);
        QTest::newRow("last instant of a day") << 44269.99999998 << QDate(2021, 3, 14);
        QTest::newRow("zero") << 0.0 << QDate(1899, 12, 30);
        QTest::newRow("morning of day zero") << -0.5 << QDate(1899, 12, 30);
        QTest::newRow("day before zero") << -1.25 << QDate(1899, 12, 29);
        QTest::newRow("year 9999") << 2958465.9 << QDate(9999, 12, 31);
        QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << QDate();
        QTest::newRow("infinity") << std::numeric_limits<double>::infinity() << QDate();
        QTest::newRow("huge") << -1e300 << QDate();
    }
    void dateOfValue()
    {
        QFETCH(double, value);
        QTEST(DateOfValue(value), "day");
    }

    void packedDateKeepsItsDay()
    {
        for (const QDateTime& t :
             {QDateTime(QDate(2021, 6, 30), QTime(23, 59, 59, 999)),
              QDateTime(QDate(1970, 1, 1), QTime(23, 59, 59, 999)), QDateTime(QDate(1850, 7, 4), QTime(23, 59, 59)),
              QDateTime(QDate(1850, 7, 4), QTime(0, 0, 1))})
            QCOMPARE(DateOfValue(PackFileDate(t)), t.date());
    }

    void subPanel_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("ext");
        QTest::addColumn<DetailSubPanel>("panel");
        QTest::newRow("bitmap") << "a.bmp"
                                << ".bmp" << DetailSubPanel::Bitmap;
        QTest::newRow("icon") << "a.b.ico"
                              << ".ico" << DetailSubPanel::None;
        QTest::newRow("jpeg") << "/x/p.jpeg"
                              << ".jpeg" << DetailSubPanel::Jpeg;
        QTest::newRow("upper case kept") << "A.BMP"
                                         << ".BMP" << DetailSubPanel::Jpeg;
        QTest::newRow("dot in a folder only") << "/x.bmp/name"
                                              << "" << DetailSubPanel::Jpeg;
        QTest::newRow("empty cell") << ""
                                    << "" << DetailSubPanel::Jpeg;
    }
    void subPanel()
    {
        QFETCH(QString, name);
        QFETCH(QString, ext);
        QCOMPARE(ExtensionOf(name), ext);
        QTEST(SubPanelFor(ext), "panel");
    }
};

int main(int argc, char** argv)
{
    // Two hours east of UTC all year, so the conversion to local time is seen.
    qputenv("TZ", "LVT-2");
    TApplication app(argc, argv);
    TestImageFacts test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_imagefacts.moc"
