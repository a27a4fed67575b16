// SPDX-License-Identifier: GPL-3.0-or-later
// Thumbnails decoded on worker threads: each finished picture lands on its own control, a
// page that was left drops its decodes, and controls, pictures or the queue may go away while
// workers run. Built with ThreadSanitizer by scripts/tsan.sh.
#include <memory>
#include <QPainter>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QtTest>
#include "controls/DecodeQueue.h"
#include "controls/DecodeWorkers.h"
#include "controls/ImageControl.h"
#include "picture/Bitmap.h"
#include "picture/JpegImage.h"
#include "ScriptedPlatform.h"

namespace {

const QSize kCell(96, 72); // an eighth of 800 x 600 covers it

QColor Colour(int i)
{
    return QColor::fromHsv((i * 47) % 360, 220, 230);
}

QByteArray SolidJpeg(const QColor& colour, int width = 800, int height = 600)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    TJpegImage jpeg;
    jpeg.AssignBitmap(TBitmap(DibFromQImage(image)));
    return jpeg.SaveToBytes();
}

// The same file with its scan asking for Huffman tables that were never defined.
QByteArray BrokenScan(QByteArray jpeg)
{
    const int sos = int(jpeg.indexOf(QByteArray("\xFF\xDA", 2)));
    if (sos > 0)
        jpeg[sos + 6] = char(0x33);
    return jpeg;
}

void Hold(TImage& image, const QByteArray& bytes)
{
    TJpegImage jpeg;
    jpeg.LoadFromBytes(bytes);
    image.Picture().Assign(&jpeg);
}

TJpegImage* JpegOf(TImage& image)
{
    return static_cast<TJpegImage*>(image.Picture().Graphic());
}

bool Near(const QColor& a, const QColor& b)
{
    return std::abs(a.red() - b.red()) < 12 && std::abs(a.green() - b.green()) < 12 &&
        std::abs(a.blue() - b.blue()) < 12;
}

// The control drawn offscreen shows this colour at its centre and corners.
bool Shows(TImage& image, const QColor& colour)
{
    const QImage shot = image.grab().toImage();
    const QRect r = shot.rect();
    for (QPoint p : {r.center(), r.topLeft(), r.bottomRight()})
        if (!Near(shot.pixelColor(p), colour))
            return false;
    return true;
}

struct Page {
    ScriptedPlatform platform;
    std::unique_ptr<DecodeQueue> queue = std::make_unique<DecodeQueue>(platform);
    std::vector<std::unique_ptr<TImage>> images;
    int idle = 0, starts = 0, ends = 0;

    explicit Page(int count, int workers)
    {
        queue->SetWorkerDecodes(workers);
        queue->OnIdle = [this] { ++idle; };
        for (int i = 0; i < count; ++i) {
            images.push_back(std::make_unique<TImage>(platform, queue.get()));
            TImage& image = *images.back();
            image.resize(kCell);
            image.SetStretch(true);
            image.OnProgress = [this](TImage*, const ProgressReport& r) {
                starts += r.stage == TProgressStage::Starting;
                ends += r.stage == TProgressStage::Ending;
            };
            Hold(image, SolidJpeg(Colour(i)));
        }
    }
    // Painting asks for every decode.
    void Paint()
    {
        for (auto& image : images)
            image->grab();
    }
    // Runs the event loop until no decode is waiting or running.
    bool Settle()
    {
        return QTest::qWaitFor([this] { return queue->Pending() == 0; }, 20000);
    }
    // Waits for every worker of the process to finish (dropped decodes included).
    static void Quiet()
    {
        DecodeThreads().waitForDone();
        QCoreApplication::processEvents();
    }
};

} // namespace

class TestDecodeThreads : public QObject {
    Q_OBJECT
private slots:
    void pageDecodesOnWorkers_data()
    {
        QTest::addColumn<int>("workers");
        QTest::addColumn<int>("count");
        QTest::newRow("one worker") << 1 << 5;
        QTest::newRow("two workers") << 2 << 9;
        QTest::newRow("more workers than threads") << 6 << 12;
        QTest::newRow("on this thread") << 0 << 4;
    }
    void pageDecodesOnWorkers()
    {
        QFETCH(int, workers);
        QFETCH(int, count);
        Page page(count, workers);
        page.Paint();
        QCOMPARE(page.queue->Pending(), count);
        QCOMPARE(page.starts, 0); // nothing starts inside a paint
        QVERIFY(page.Settle());
        QCOMPARE(page.queue->WorkerResults(), workers > 0 ? count : 0);
        QCOMPARE(page.idle, 1);
        QCOMPARE(page.starts, count);
        QCOMPARE(page.ends, count);
        for (int i = 0; i < count; ++i) {
            TJpegImage* jpeg = JpegOf(*page.images[size_t(i)]);
            QCOMPARE(jpeg->CacheDenom(), 8);
            QVERIFY(!jpeg->HasBitmap());
            QVERIFY2(Shows(*page.images[size_t(i)], Colour(i)), qPrintable(QString::number(i)));
        }
        QCOMPARE(page.queue->Pending(), 0); // painting the decoded pictures asks for nothing more
        QVERIFY(page.platform.messages.empty());
    }

    void drainWaitsForWorkers()
    {
        Page page(7, 2);
        page.Paint();
        page.queue->Drain();
        QCOMPARE(page.queue->Pending(), 0);
        QCOMPARE(page.queue->WorkerResults(), 7);
        QCOMPARE(page.idle, 1);
        for (int i = 0; i < 7; ++i)
            QVERIFY(Shows(*page.images[size_t(i)], Colour(i)));
    }

    void fullSizeDecodeStaysOnThisThread()
    {
        // A cell larger than half the picture needs the full decoding, which is not a worker's.
        Page page(2, 2);
        page.images[0]->resize(500, 400);
        page.Paint();
        QVERIFY(page.Settle());
        QVERIFY(JpegOf(*page.images[0])->HasBitmap());
        QCOMPARE(page.queue->WorkerResults(), 1);
        QVERIFY(Shows(*page.images[0], Colour(0)) && Shows(*page.images[1], Colour(1)));
    }

    void controlAloneDecodesOnItsThread()
    {
        // A control without a shared queue keeps its decodes on this thread (a single large
        // picture may be drawn as it decodes).
        ScriptedPlatform platform;
        TImage image(platform);
        image.resize(kCell);
        image.SetStretch(true);
        Hold(image, SolidJpeg(Colour(3)));
        image.grab();
        QCOMPARE(image.Queue()->WorkerDecodes(), 0);
        QVERIFY(QTest::qWaitFor([&] { return image.Queue()->Pending() == 0; }, 20000));
        QCOMPARE(image.Queue()->WorkerResults(), 0);
        QCOMPARE(JpegOf(image)->CacheDenom(), 8);
        QVERIFY(Shows(image, Colour(3)));
    }

    void leavingThePageDropsDecodes_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("queue cleared") << "clear";
        QTest::newRow("new pictures") << "replace";
        QTest::newRow("pictures cleared") << "empty";
        QTest::newRow("controls deleted") << "delete";
        QTest::newRow("queue deleted") << "queue";
    }
    void leavingThePageDropsDecodes()
    {
        QFETCH(QString, how);
        const int n = 6;
        Page page(n, 2);
        page.Paint();
        QCoreApplication::sendPostedEvents(page.queue.get()); // the first turn hands decodes to the workers
        QCOMPARE(page.starts, 2);
        QCOMPARE(page.queue->Pending(), n);
        if (how == "clear") {
            page.queue->Clear();
        } else if (how == "replace") {
            for (int i = 0; i < n; ++i)
                Hold(*page.images[size_t(i)], SolidJpeg(Colour(i + 100)));
        } else if (how == "empty") {
            for (auto& image : page.images)
                image->Picture().Clear();
        } else if (how == "delete") {
            page.images.clear();
        } else {
            page.queue.reset();
        }
        if (page.queue)
            QCOMPARE(page.queue->Pending(), 0);
        Page::Quiet(); // the running decodes finish (or stop) and are handed back
        if (page.queue) {
            QCOMPARE(page.queue->Pending(), 0);
            QCOMPARE(page.queue->WorkerResults(), 0); // nothing dropped was kept
        }
        for (auto& image : page.images)
            if (image->Picture().HasGraphic())
                QCOMPARE(JpegOf(*image)->CacheDenom(), 0);
        QVERIFY(page.platform.messages.empty());
        if (!page.queue || page.images.empty())
            return;
        // The pictures shown now are decoded when next painted, each on its own control.
        const int offset = how == "replace" ? 100 : 0;
        if (how == "empty")
            for (int i = 0; i < n; ++i)
                Hold(*page.images[size_t(i)], SolidJpeg(Colour(i + offset)));
        page.Paint();
        QVERIFY(page.Settle());
        QCOMPARE(page.queue->WorkerResults(), n);
        for (int i = 0; i < n; ++i)
            QVERIFY2(Shows(*page.images[size_t(i)], Colour(i + offset)), qPrintable(QString::number(i)));
    }

    void brokenFileReportedOnce()
    {
        Page page(3, 2);
        Hold(*page.images[1], BrokenScan(SolidJpeg(Qt::red)));
        for (int round = 0; round < 3; ++round) {
            page.Paint();
            QVERIFY(page.Settle());
        }
        QCOMPARE(page.platform.messages.size(), size_t(1));
        QCOMPARE(page.platform.messages[0].kind, MessageKind::Error);
        QVERIFY(page.platform.messages[0].text.startsWith(QStringLiteral("JPEG error #")));
        QVERIFY(JpegOf(*page.images[1])->DecodeFailed());
        QCOMPARE(page.queue->WorkerResults(), 3); // the broken one was decoded once, not again
        QVERIFY(Shows(*page.images[0], Colour(0)) && Shows(*page.images[2], Colour(2)));
    }

    void manyPagesInARow()
    {
        // Pages replaced while their decodes run, as fast Page Downs do; the last page shown
        // is the one decoded, and the queue ends idle.
        Page page(9, 2);
        for (int round = 1; round <= 6; ++round) {
            for (int i = 0; i < 9; ++i)
                Hold(*page.images[size_t(i)], SolidJpeg(Colour(i + 10 * round), 400, 300));
            page.queue->Clear();
            page.Paint();
            for (int turn = 0; turn < round; ++turn)
                QCoreApplication::processEvents();
        }
        QVERIFY(page.Settle());
        for (int i = 0; i < 9; ++i)
            QVERIFY2(Shows(*page.images[size_t(i)], Colour(i + 60)), qPrintable(QString::number(i)));
        Page::Quiet();
        QCOMPARE(page.queue->Pending(), 0);
    }
};

QTEST_MAIN(TestDecodeThreads)
#include "test_decode_threads.moc"
