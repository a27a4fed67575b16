// SPDX-License-Identifier: GPL-3.0-or-later
// The JPEG picture's display cache decoded away from the picture: the job it hands out, the
// result taken back, stopping a job, and the full-size reference path.
#include <thread>
#include <QPainter>
#include <QtTest>

#include "picture/Failure.h"
#include "picture/JpegImage.h"
#include "ErrorOf.h"
#include "test_jpeg_files.h"

using namespace jpegtest;
Q_DECLARE_METATYPE(jpegtest::Space)

namespace {

// The same file with its scan asking for Huffman tables that were never defined: the header
// reads, the decoding fails.
QByteArray BrokenScan(QByteArray jpeg)
{
    const int sos = int(jpeg.indexOf(QByteArray("\xFF\xDA", 2)));
    if (sos > 0)
        jpeg[sos + 6] = char(0x33);
    return jpeg;
}

QImage Drawn(const TGraphic& g, QSize size)
{
    QImage out(size, QImage::Format_RGB32);
    out.fill(Qt::magenta);
    QPainter p(&out);
    g.Draw(p, QRect(QPoint(0, 0), size), true);
    return out;
}

// Runs the job on a thread of its own, as a worker would.
DecodeResult RunElsewhere(const DecodeJob& job)
{
    DecodeResult result;
    std::thread worker([&] { result = TJpegImage::RunCacheJob(job); });
    worker.join();
    return result;
}

double MeanDifference(const QImage& a, const QImage& b)
{
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * a.width() * a.height());
}

} // namespace

class TestJpegCacheJob : public QObject {
    Q_OBJECT

private slots:
    void jobDrawsAsPrepareDoes_data()
    {
        QTest::addColumn<Space>("space");
        QTest::addColumn<bool>("progressive");
        QTest::addColumn<bool>("progressiveDisplay");
        QTest::addColumn<QSize>("target");
        QTest::addColumn<int>("denom");
        QTest::newRow("eighth") << Space::Rgb << false << false << QSize(100, 75) << 8;
        QTest::newRow("quarter") << Space::Rgb << false << false << QSize(180, 120) << 4;
        QTest::newRow("half") << Space::Rgb << false << false << QSize(390, 290) << 2;
        QTest::newRow("one side reduced") << Space::Rgb << false << false << QSize(60, 75) << 8;
        QTest::newRow("greyscale") << Space::Grey << false << false << QSize(97, 70) << 8;
        QTest::newRow("cmyk") << Space::Cmyk << false << false << QSize(97, 70) << 8;
        QTest::newRow("progressive") << Space::Rgb << true << false << QSize(100, 75) << 8;
        QTest::newRow("progressive display") << Space::Rgb << true << true << QSize(180, 130) << 4;
    }
    void jobDrawsAsPrepareDoes()
    {
        QFETCH(Space, space);
        QFETCH(bool, progressive);
        QFETCH(bool, progressiveDisplay);
        QFETCH(QSize, target);
        QFETCH(int, denom);
        const QByteArray bytes = Jpeg(800, 600, space, progressive);
        TJpegImage here, away;
        here.LoadFromBytes(bytes);
        away.LoadFromBytes(bytes);
        here.settings.progressiveDisplay = away.settings.progressiveDisplay = progressiveDisplay;

        here.Prepare(target);
        auto job = away.StartCacheJob(target);
        QVERIFY(job);
        QCOMPARE(job->options.scaleDenom, denom);
        QCOMPARE(job->data.constData(), bytes.constData()); // shared, not copied
        QVERIFY(!job->options.buffered);
        away.AdoptCache(RunElsewhere(*job));

        QCOMPARE(away.CacheDenom(), denom);
        QVERIFY(!away.NeedsPrepare(target));
        QVERIFY(!away.HasBitmap()); // a thumbnail needs no full-size decoding
        QCOMPARE(Drawn(away, target), Drawn(here, target));
    }

    void thumbnailCloseToReducedFullPicture()
    {
        // A fine checkerboard: reduced smoothly it is an even grey; reduced by dropping rows and
        // columns it would alias into a coarse pattern. The reduced decoding, reduced again,
        // must match the full picture reduced smoothly in one step.
        Recipe r;
        r.width = 1600;
        r.height = 1200;
        std::vector<uint8_t> samples(size_t(r.width) * size_t(r.height) * 3);
        for (int y = 0; y < r.height; ++y)
            for (int x = 0; x < r.width; ++x)
                for (int c = 0; c < 3; ++c)
                    samples[(size_t(y) * size_t(r.width) + size_t(x)) * 3 + size_t(c)] =
                        ((x / 12 + y / 12) & 1) ? 230 : 20;
        const QByteArray bytes = Encode(r, samples);
        const QSize target(101, 76);
        TJpegImage thumb, full;
        thumb.LoadFromBytes(bytes);
        full.LoadFromBytes(bytes);
        auto job = thumb.StartCacheJob(target);
        QVERIFY(job);
        QCOMPARE(job->options.scaleDenom, 8);
        thumb.AdoptCache(RunElsewhere(*job));
        const QImage reference =
            DibToQImage(full.Bitmap().Dib()).scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        const double mean = MeanDifference(Drawn(thumb, target), reference);
        QVERIFY2(mean < 10.0, qPrintable(QString::number(mean)));
    }

    void noJobWhenNoneServes_data()
    {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QSize>("target");
        QTest::newRow("more than half the size") << "" << QSize(401, 300);
        QTest::newRow("nothing to draw into") << "" << QSize(0, 0);
        QTest::newRow("reduced decoding off") << "full only" << QSize(100, 75);
        QTest::newRow("scale setting") << "scale" << QSize(100, 75);
        QTest::newRow("full bitmap held") << "bitmap" << QSize(100, 75);
        QTest::newRow("cache already fits") << "cached" << QSize(100, 75);
        QTest::newRow("decoding failed before") << "failed" << QSize(100, 75);
    }
    void noJobWhenNoneServes()
    {
        QFETCH(QString, state);
        QFETCH(QSize, target);
        TJpegImage jpeg;
        jpeg.LoadFromBytes(state == "failed" ? BrokenScan(Jpeg(800, 600)) : Jpeg(800, 600));
        if (state == "full only")
            jpeg.settings.reducedDecode = false;
        else if (state == "scale")
            jpeg.settings.scale = 1;
        else if (state == "bitmap")
            jpeg.Bitmap();
        else if (state == "cached")
            jpeg.Prepare(QSize(180, 120)); // a quarter serves an eighth's target too
        else if (state == "failed")
            QVERIFY(!ErrorOf([&] { jpeg.Prepare(target); }).isEmpty());
        int reports = 0;
        jpeg.OnProgress = [&](const ProgressReport&) { ++reports; };
        QVERIFY(!jpeg.StartCacheJob(target));
        QCOMPARE(reports, 0);
    }

    void referencePathDecodesFullSize()
    {
        // With reduced decoding off, a thumbnail is the full picture drawn smaller.
        TJpegImage jpeg;
        jpeg.LoadFromBytes(Jpeg(800, 600));
        jpeg.settings.reducedDecode = false;
        QVERIFY(jpeg.NeedsPrepare(QSize(100, 75)));
        jpeg.Prepare(QSize(100, 75));
        QVERIFY(jpeg.HasBitmap());
        QCOMPARE(jpeg.CacheDenom(), 0);
        QVERIFY(!jpeg.NeedsPrepare(QSize(100, 75)));
    }

    void progressReportsStartAndEnd_data()
    {
        QTest::addColumn<bool>("broken");
        QTest::addColumn<int>("endPercent");
        QTest::newRow("decoded") << false << 100;
        QTest::newRow("failed") << true << 0;
    }
    void progressReportsStartAndEnd()
    {
        QFETCH(bool, broken);
        QFETCH(int, endPercent);
        const QByteArray good = Jpeg(800, 600);
        TJpegImage jpeg;
        jpeg.LoadFromBytes(broken ? BrokenScan(good) : good);
        QList<ProgressReport> reports;
        int changes = 0;
        jpeg.OnProgress = [&](const ProgressReport& r) { reports << r; };
        jpeg.OnChange = [&] { ++changes; };
        auto job = jpeg.StartCacheJob(QSize(100, 75));
        QVERIFY(job);
        QCOMPARE(reports.size(), 1);
        QCOMPARE(reports[0].stage, TProgressStage::Starting);
        const DecodeResult result = RunElsewhere(*job);
        QCOMPARE(reports.size(), 1); // the worker reports nothing
        QCOMPARE(changes, 0);
        const QString error = ErrorOf([&] { jpeg.AdoptCache(result); });
        QCOMPARE(error.isEmpty(), !broken);
        QCOMPARE(reports.size(), 2);
        QCOMPARE(reports[1].stage, TProgressStage::Ending);
        QCOMPARE(reports[1].percent, endPercent);
        QVERIFY(changes >= 1);
        QCOMPARE(jpeg.DecodeFailed(), broken);
        QVERIFY(!jpeg.NeedsPrepare(QSize(100, 75))); // not asked for again either way
        if (broken) {
            // The same failure handed back again (a second decode that was running) is not raised twice.
            QCOMPARE(ErrorOf([&] { jpeg.AdoptCache(result); }), QString());
            QCOMPARE(ErrorOf([&] { jpeg.Bitmap(); }), error);
        }
    }

    void stoppedJobDecodesNothing_data()
    {
        QTest::addColumn<bool>("raised");
        QTest::newRow("stop raised") << true;
        QTest::newRow("stop lowered") << false;
    }
    void stoppedJobDecodesNothing()
    {
        QFETCH(bool, raised);
        TJpegImage jpeg;
        jpeg.LoadFromBytes(Jpeg(800, 600));
        auto job = jpeg.StartCacheJob(QSize(100, 75));
        QVERIFY(job);
        std::atomic<bool> stop {raised};
        job->options.cancel = &stop;
        const DecodeResult r = RunElsewhere(*job);
        QCOMPARE(r.cache.isNull(), raised);
        QCOMPARE(r.error, raised ? QStringLiteral("Operation aborted") : QString());
        if (!raised)
            QCOMPARE(r.cache.size(), QSize(100, 75));
    }

    void stopRaisedMidwayEndsTheDecoding()
    {
        // The flag is read at every row: raised once the decoding has begun (here by the
        // starting report, so the moment is certain), it ends the decoding at its first row.
        std::atomic<bool> stop {false};
        JpegDecodeOptions o;
        o.cancel = &stop;
        QList<TProgressStage> stages;
        const JpegDecodeResult r = JpegDecode(Jpeg(800, 600), o, [&](const ProgressReport& p) {
            stages << p.stage;
            stop.store(true);
        });
        QCOMPARE(r.error, QStringLiteral("Operation aborted"));
        QVERIFY(r.dib); // made before the first row
        QCOMPARE(stages, (QList<TProgressStage> {TProgressStage::Starting, TProgressStage::Ending}));
    }

    void copyOfAThumbnailIsTheWholePicture()
    {
        // What another window receives from a thumbnail: full size, full pixels.
        const QByteArray bytes = Jpeg(800, 600);
        TJpegImage thumb;
        thumb.LoadFromBytes(bytes);
        auto job = thumb.StartCacheJob(QSize(100, 75));
        QVERIFY(job);
        thumb.AdoptCache(RunElsewhere(*job));
        auto copy = thumb.Clone();
        auto& jpeg = static_cast<TJpegImage&>(*copy);
        QCOMPARE(QSize(jpeg.Width(), jpeg.Height()), QSize(800, 600));
        QCOMPARE(jpeg.SaveToBytes(), bytes);
        QCOMPARE(QSize(jpeg.Bitmap().Width(), jpeg.Bitmap().Height()), QSize(800, 600));
        TJpegImage reference;
        reference.LoadFromBytes(bytes);
        QCOMPARE(DibToQImage(jpeg.Bitmap().Dib()), DibToQImage(reference.Bitmap().Dib()));
        QVERIFY(!thumb.HasBitmap()); // the thumbnail itself still holds only its cache
    }

    void largerCacheStays()
    {
        const QByteArray bytes = Jpeg(800, 600);
        TJpegImage jpeg;
        jpeg.LoadFromBytes(bytes);
        auto small = jpeg.StartCacheJob(QSize(100, 75));
        auto large = jpeg.StartCacheJob(QSize(180, 120));
        QVERIFY(small && large);
        jpeg.AdoptCache(RunElsewhere(*large));
        QCOMPARE(jpeg.CacheDenom(), 4);
        jpeg.AdoptCache(RunElsewhere(*small)); // finished later: the quarter serves both sizes
        QCOMPARE(jpeg.CacheDenom(), 4);
        QVERIFY(!jpeg.NeedsPrepare(QSize(100, 75)));
    }
};

QTEST_MAIN(TestJpegCacheJob)
#include "test_jpeg_cachejob.moc"
