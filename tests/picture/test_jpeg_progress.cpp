// SPDX-License-Identifier: GPL-3.0-or-later
// Progress of JPEG decoding and encoding: the per cent done, the 500 ms throttle on the
// screen tick, the rows each report covers, and a handler that asks to stop.
#include <QtTest>

#include "picture/Failure.h"
#include "picture/JpegCodec.h"
#include "picture/JpegImage.h"
#include "picture/JpegProgress.h"
#include "picture/ScreenFacts.h"
#include "ErrorOf.h"
#include "test_jpeg_files.h"

using namespace jpegtest;

namespace {

struct Call {
    uint32_t tick;
    int percent;
    int rows;
};

// One line per report: "<call index>: <percent> <rect or empty> <redraw>".
QString Describe(int index, const ProgressReport& r)
{
    const QString rect =
        r.rect.isEmpty() ? QStringLiteral("empty") : QStringLiteral("rows %1+%2").arg(r.rect.y()).arg(r.rect.height());
    return QStringLiteral("%1: %2 %3 %4").arg(index).arg(r.percent).arg(rect, r.redrawNow ? "redraw" : "later");
}

} // namespace

Q_DECLARE_METATYPE(QList<Call>)

class TestJpegProgress : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { SetScreenFacts(ScreenFacts()); }
    void percentDone_data();
    void percentDone();
    void throttle_data();
    void throttle();
    void decodeReports_data();
    void decodeReports();
    void failedDecodeEndsAtZero();
    void encodeReports();
    void handlerStopsDecoding();
    void handlerStopsEncoding();
};

void TestJpegProgress::percentDone_data()
{
    QTest::addColumn<int>("completed");
    QTest::addColumn<int>("counter");
    QTest::addColumn<int>("limit");
    QTest::addColumn<int>("total");
    QTest::addColumn<int>("percent");
    QTest::newRow("start") << 0 << 0 << 100 << 1 << 0;
    QTest::newRow("half of one pass") << 0 << 50 << 100 << 1 << 50;
    QTest::newRow("truncated, not rounded") << 0 << 999 << 1000 << 1 << 99;
    QTest::newRow("second of two passes") << 1 << 1 << 3 << 2 << 66;
    QTest::newRow("two of three passes") << 1 << 2 << 3 << 3 << 55;
    QTest::newRow("all passes done") << 2 << 0 << 10 << 2 << 100;
    QTest::newRow("no pass limit yet") << 1 << 5 << 0 << 2 << 50;
    QTest::newRow("no passes known") << 0 << 0 << 0 << 0 << 0;
}

void TestJpegProgress::percentDone()
{
    QFETCH(int, completed);
    QFETCH(int, counter);
    QFETCH(int, limit);
    QFETCH(int, total);
    QFETCH(int, percent);
    QCOMPARE(JpegPercentDone(completed, counter, limit, total), percent);
}

void TestJpegProgress::throttle_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<QList<Call>>("calls");
    QTest::addColumn<QStringList>("reports");

    QTest::newRow("never at the first call") << 10 << QList<Call> {{5000, 40, 20}} << QStringList {};
    QTest::newRow("not before 500 ms") << 10 << QList<Call> {{0, 0, 0}, {499, 10, 5}} << QStringList {};
    QTest::newRow("at 500 ms") << 10 << QList<Call> {{0, 0, 0}, {500, 10, 5}} << QStringList {"1: 10 rows 0+5 redraw"};
    QTest::newRow("3 rows are drawn later")
        << 10 << QList<Call> {{0, 0, 0}, {600, 10, 3}} << QStringList {"1: 10 rows 0+3 later"};
    QTest::newRow("unchanged per cent waits")
        << 10 << QList<Call> {{0, 0, 0}, {600, 0, 2}, {700, 1, 4}} << QStringList {"2: 1 rows 0+4 redraw"};
    QTest::newRow("rows since the last report")
        << 10 << QList<Call> {{0, 0, 0}, {500, 10, 8}, {800, 20, 12}, {1000, 30, 20}}
        << QStringList {"1: 10 rows 0+8 redraw", "3: 30 rows 8+12 redraw"};
    QTest::newRow("interval counts from the last report")
        << 10 << QList<Call> {{0, 0, 0}, {600, 10, 4}, {1000, 20, 8}, {1100, 30, 9}}
        << QStringList {"1: 10 rows 0+4 redraw", "3: 30 rows 4+5 redraw"};
    QTest::newRow("tick wraps around") << 10
                                       << QList<Call> {{0xFFFFFF00u, 0, 0}, {0x000000F3u, 10, 4}, {0x000000F4u, 10, 4}}
                                       << QStringList {"2: 10 rows 0+4 redraw"};
    // Progressive display: a new output pass starts again at the top of the 100 rows.
    QTest::newRow("a new pass") << 10 << QList<Call> {{0, 0, 0}, {500, 10, 90}, {1000, 20, 2}}
                                << QStringList {"1: 10 rows 0+90 redraw", "2: 20 rows 0+100 redraw"};
    QTest::newRow("encoding has no rows")
        << 0 << QList<Call> {{0, 0, 0}, {500, 50, 0}} << QStringList {"1: 50 empty later"};
}

void TestJpegProgress::throttle()
{
    QFETCH(int, width);
    QFETCH(QList<Call>, calls);
    QFETCH(QStringList, reports);
    JpegProgressThrottle t;
    t.Reset(width, width ? 100 : 0);
    QStringList got;
    for (int i = 0; i < calls.size(); ++i)
        if (const auto r = t.Step(calls[i].tick, calls[i].percent, calls[i].rows)) {
            QCOMPARE(r->stage, TProgressStage::Running);
            QVERIFY(r->message.isEmpty());
            got << Describe(i, *r);
        }
    QCOMPARE(got, reports);
}

void TestJpegProgress::decodeReports_data()
{
    QTest::addColumn<bool>("progressive");
    QTest::addColumn<bool>("buffered");
    QTest::addColumn<bool>("eightBit");
    QTest::newRow("baseline") << false << false << false;
    QTest::newRow("progressive") << true << false << false;
    QTest::newRow("two-pass quantising") << false << false << true;
    QTest::newRow("progressive display") << true << true << false;
}

void TestJpegProgress::decodeReports()
{
    QFETCH(bool, progressive);
    QFETCH(bool, buffered);
    QFETCH(bool, eightBit);
    // A tick that moves 150 ms at each look: a report is due every fourth call.
    uint32_t now = 1000;
    int ticks = 0;
    ScreenFacts facts;
    facts.tick = [&] {
        ++ticks;
        return now += 150;
    };
    SetScreenFacts(facts);

    Recipe s;
    s.width = 64;
    s.height = 480;
    s.progressive = progressive;
    TJpegImage image;
    image.settings.progressiveDisplay = buffered;
    if (eightBit)
        image.settings.pixelFormat = TPixelFormat::Bit8;
    image.LoadFromBytes(Encode(s));
    QList<ProgressReport> reports;
    image.OnProgress = [&](const ProgressReport& r) { reports << r; };
    image.Bitmap();

    QVERIFY(ticks > 8);
    QVERIFY(reports.size() >= 4);
    QCOMPARE(reports.first().stage, TProgressStage::Starting);
    QCOMPARE(reports.first().percent, 0);
    QCOMPARE(reports.last().stage, TProgressStage::Ending);
    QCOMPARE(reports.last().percent, 100);
    int lastPercent = 0;
    int lastRow = 0;
    int passes = 0;
    for (qsizetype i = 1; i + 1 < reports.size(); ++i) {
        const ProgressReport& r = reports[i];
        QCOMPARE(r.stage, TProgressStage::Running);
        // libjpeg expects one more pass while the input lasts, so in progressive display
        // its estimate may fall when a pass begins; otherwise it only grows.
        QVERIFY(r.percent >= 0 && r.percent <= 100);
        QVERIFY(r.percent != lastPercent);
        if (!buffered)
            QVERIFY2(r.percent > lastPercent, qPrintable(QString::number(r.percent)));
        lastPercent = r.percent;
        QVERIFY(QRect(0, 0, 64, 480).contains(r.rect) || r.rect.isEmpty());
        if (r.rect.isEmpty())
            continue;
        QCOMPARE(r.rect.width(), 64);
        if (r.rect.height() == 480 && r.rect.y() == 0 && lastRow > 0) {
            // A new output pass began since the last report: the whole height changed,
            // and where the new pass has got to is not told.
            ++passes;
            lastRow = -1;
            continue;
        }
        // Contiguous: each report starts where the one before ended.
        if (lastRow >= 0)
            QCOMPARE(r.rect.y(), lastRow);
        QCOMPARE(r.redrawNow, r.rect.height() > 3);
        lastRow = r.rect.bottom() + 1;
    }
    QVERIFY(lastRow != 0);
    QCOMPARE(passes > 0, buffered);
}

void TestJpegProgress::failedDecodeEndsAtZero()
{
    QList<ProgressReport> reports;
    const JpegDecodeResult r = JpegDecode("no JPEG here", {}, [&](const ProgressReport& p) { reports << p; });
    QVERIFY(!r.error.isEmpty());
    QCOMPARE(reports.size(), 2);
    QCOMPARE(reports[0].stage, TProgressStage::Starting);
    QCOMPARE(reports[0].percent, 0);
    QCOMPARE(reports[1].stage, TProgressStage::Ending);
    QCOMPARE(reports[1].percent, 0);
}

void TestJpegProgress::encodeReports()
{
    uint32_t now = 0;
    ScreenFacts facts;
    facts.tick = [&] { return now += 300; };
    SetScreenFacts(facts);
    TJpegImage image;
    auto dib = NewDib(256, 256, 24);
    for (size_t i = 0; i < dib->bits.size(); ++i)
        dib->bits[i] = uint8_t(i * 7);
    image.AssignBitmap(TBitmap(dib));
    image.settings.progressiveEncoding = true;
    QList<ProgressReport> reports;
    image.OnProgress = [&](const ProgressReport& r) { reports << r; };
    image.EncodeNow();
    QVERIFY(!image.Data().isEmpty());
    QVERIFY(reports.size() >= 3);
    QCOMPARE(reports.first().stage, TProgressStage::Starting);
    QCOMPARE(reports.last().stage, TProgressStage::Ending);
    QCOMPARE(reports.last().percent, 100);
    int last = 0;
    for (qsizetype i = 1; i + 1 < reports.size(); ++i) {
        QCOMPARE(reports[i].stage, TProgressStage::Running);
        QVERIFY(reports[i].percent > last);
        last = reports[i].percent;
        QVERIFY(reports[i].rect.isEmpty());
        QVERIFY(!reports[i].redrawNow);
    }
}

void TestJpegProgress::handlerStopsDecoding()
{
    uint32_t now = 0;
    ScreenFacts facts;
    facts.tick = [&] { return now += 600; };
    SetScreenFacts(facts);
    Recipe s;
    s.width = 64;
    s.height = 256;
    TJpegImage image;
    image.LoadFromBytes(Encode(s));
    QList<ProgressReport> reports;
    image.OnProgress = [&](const ProgressReport& r) {
        reports << r;
        if (r.stage == TProgressStage::Running)
            throw Failure("Stopped by the user");
    };
    QCOMPARE(ErrorOf([&] { image.Bitmap(); }), QStringLiteral("Stopped by the user"));
    QCOMPARE(reports.size(), 3);
    QCOMPARE(reports.last().stage, TProgressStage::Ending);
    QCOMPARE(reports.last().percent, 0);
    // The rows decoded before the stop stay; the rest is filled, not left undefined.
    QVERIFY(image.HasBitmap());
    const DibImage& dib = image.Bitmap().Dib();
    QVERIFY(std::all_of(dib.Row(255), dib.Row(255) + 3 * 64, [](uint8_t b) { return b == 0; }));
    QVERIFY(!std::all_of(dib.Row(0), dib.Row(0) + 3 * 64, [](uint8_t b) { return b == 0; }));
}

void TestJpegProgress::handlerStopsEncoding()
{
    TJpegImage image;
    image.AssignBitmap(TBitmap(NewDib(64, 64, 24)));
    image.OnProgress = [&](const ProgressReport&) { throw Failure("stop"); };
    // A stop leaves the data empty and is no error.
    QCOMPARE(ErrorOf([&] { image.EncodeNow(); }), QString());
    QVERIFY(image.Data().isEmpty());
    QString error = "unset";
    uint32_t now = 0;
    ScreenFacts facts;
    facts.tick = [&] { return now += 600; };
    SetScreenFacts(facts);
    int calls = 0;
    const QByteArray out = JpegEncode(
        *NewDib(64, 512, 24), 90, false, false,
        [&](const ProgressReport& r) {
            ++calls;
            if (r.stage == TProgressStage::Running)
                throw std::runtime_error("later");
        },
        &error);
    QVERIFY(out.isEmpty());
    QCOMPARE(error, QString());
    QCOMPARE(calls, 3);
}

QTEST_GUILESS_MAIN(TestJpegProgress)
#include "test_jpeg_progress.moc"
