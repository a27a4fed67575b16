// SPDX-License-Identifier: GPL-3.0-or-later
// The image control and its decode queue: where the picture is drawn, that painting never
// prepares (decodes) a picture, and how waiting decodes are dropped, reported and run.
#include <QContextMenuEvent>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>
#include "TestFiles.h"
#include "controls/DecodeQueue.h"
#include "controls/ImageControl.h"
#include "picture/Bitmap.h"
#include "picture/Failure.h"
#include "picture/JpegImage.h"
#include "ScriptedPlatform.h"

namespace {
// A graphic that must be prepared before it draws, recording what happens to it.
struct FakeState {
    int width = 40, height = 20;
    QColor colour = Qt::red;
    bool failFirst = false;  // the first Prepare throws
    bool neverReady = false; // still needs preparing after a Prepare
    bool inPrepare = false;
    int prepares = 0, drawsInPrepare = 0;
    QList<QSize> targets;
    QList<QRect> drawRects;
    QList<bool> smooth;
    bool ready = false;
};

class FakeGraphic : public TGraphic {
public:
    explicit FakeGraphic(std::shared_ptr<FakeState> s) : m_s(std::move(s)) {}
    GraphicKind Kind() const override { return GraphicKind::Bitmap; }
    int32_t Width() const override { return m_s->width; }
    int32_t Height() const override { return m_s->height; }
    bool Empty() const override { return false; }
    void LoadFromBytes(const QByteArray&) override {}
    QByteArray SaveToBytes() override { return {}; }
    bool NeedsPrepare(QSize) const override { return !m_s->ready; }
    void Prepare(QSize target) override
    {
        ++m_s->prepares;
        m_s->targets << target;
        if (m_s->failFirst && m_s->prepares == 1)
            throw Failure("Broken picture");
        m_s->inPrepare = true;
        Progress({TProgressStage::Starting, 0, false, {}, {}});
        Progress({TProgressStage::Running, 50, true, QRect(0, 0, m_s->width, m_s->height / 2), {}});
        Progress({TProgressStage::Ending, 100, false, {}, {}});
        m_s->inPrepare = false;
        m_s->ready = !m_s->neverReady;
    }
    void Draw(QPainter& p, const QRect& rect, bool smooth) const override
    {
        m_s->drawsInPrepare += m_s->inPrepare ? 1 : 0;
        m_s->drawRects << rect;
        m_s->smooth << smooth;
        p.fillRect(rect, m_s->colour);
    }
    std::unique_ptr<TGraphic> Clone() const override { return std::make_unique<FakeGraphic>(m_s); }

private:
    std::shared_ptr<FakeState> m_s;
};

std::shared_ptr<FakeState> Hold(TImage& image, int w = 40, int h = 20)
{
    auto s = std::make_shared<FakeState>();
    s->width = w;
    s->height = h;
    FakeGraphic g(s);
    image.Picture().Assign(&g);
    return s;
}

bool IsRed(const QImage& img, QPoint p)
{
    return img.rect().contains(p) && img.pixelColor(p) == QColor(Qt::red);
}

// Red within what JPEG coding leaves of it.
bool NearlyRed(const QImage& img, QPoint p)
{
    const QColor c = img.pixelColor(p);
    return c.red() > 220 && c.green() < 40 && c.blue() < 40;
}

// A solid red JPEG file written by the program's own encoder.
void WriteRedJpeg(const QString& path, int width, int height)
{
    QImage red(width, height, QImage::Format_RGB32);
    red.fill(Qt::red);
    TJpegImage jpeg;
    jpeg.AssignBitmap(TBitmap(DibFromQImage(red)));
    jpeg.SaveToFile(path);
}

// The same file with its scan asking for Huffman tables that were never defined: the header
// reads fine, the decoding fails.
void BreakScan(const QString& path)
{
    QByteArray bytes = ReadBytes(path);
    const int sos = int(bytes.indexOf(QByteArray("\xFF\xDA", 2)));
    QVERIFY(sos > 0);
    bytes[sos + 6] = char(0x33); // first component's DC/AC table selectors
    WriteBytes(path, bytes);
}
}

class TestImageControl : public QObject {
    Q_OBJECT
private slots:
    void drawsCentredOrStretched_data()
    {
        QTest::addColumn<bool>("stretch");
        QTest::addColumn<QSize>("control");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QRect>("expected");
        QTest::addColumn<bool>("smooth");
        QTest::newRow("centred") << false << QSize(100, 80) << QSize(40, 20) << QRect(30, 30, 40, 20) << false;
        QTest::newRow("centred, odd room")
            << false << QSize(101, 81) << QSize(40, 20) << QRect(30, 30, 40, 20) << false;
        QTest::newRow("larger than control")
            << false << QSize(100, 80) << QSize(201, 100) << QRect(-50, -10, 201, 100) << false;
        QTest::newRow("stretched down") << true << QSize(100, 80) << QSize(400, 300) << QRect(0, 0, 100, 80) << true;
        QTest::newRow("stretched up") << true << QSize(100, 80) << QSize(40, 20) << QRect(0, 0, 100, 80) << false;
        QTest::newRow("stretched, one side smaller")
            << true << QSize(100, 80) << QSize(90, 100) << QRect(0, 0, 100, 80) << true;
    }
    void drawsCentredOrStretched()
    {
        QFETCH(bool, stretch);
        QFETCH(QSize, control);
        QFETCH(QSize, picture);
        QFETCH(QRect, expected);
        QFETCH(bool, smooth);
        ScriptedPlatform platform;
        DecodeQueue queue(platform);
        TImage image(platform, &queue);
        image.resize(control);
        image.SetStretch(stretch);
        auto s = Hold(image, picture.width(), picture.height());
        image.grab();
        QCOMPARE(s->prepares, 0);
        queue.Drain();
        QCOMPARE(s->targets, QList<QSize> {stretch ? control : picture});
        const QImage shot = image.grab().toImage();
        QCOMPARE(s->drawRects.last(), expected);
        QCOMPARE(s->smooth.last(), smooth);
        const QRect shown = expected.intersected(QRect(QPoint(0, 0), control));
        QVERIFY(IsRed(shot, shown.topLeft()) && IsRed(shot, shown.bottomRight()));
        QVERIFY(!IsRed(shot, shown.topLeft() - QPoint(1, 1)));
        QVERIFY(!IsRed(shot, shown.bottomRight() + QPoint(1, 1)));
    }

    void paintingOnlySchedules()
    {
        ScriptedPlatform platform;
        DecodeQueue queue(platform);
        TImage image(platform, &queue);
        image.resize(100, 80);
        auto s = Hold(image);
        const QImage before = image.grab().toImage();
        image.grab();
        QCOMPARE(s->prepares, 0);
        QVERIFY(s->drawRects.isEmpty());
        QVERIFY(!IsRed(before, QPoint(50, 40)));
        QCOMPARE(queue.Pending(), 1); // asked twice, queued once
        QVERIFY(queue.IsQueued(&image));
        queue.Drain();
        QCOMPARE(s->prepares, 1);
        QCOMPARE(queue.Pending(), 0);
        QVERIFY(IsRed(image.grab().toImage(), QPoint(50, 40)));
        QCOMPARE(queue.Pending(), 0);
    }

    void staleRequestsAreDropped_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("new picture") << "assign";
        QTest::newRow("picture cleared") << "clear";
        QTest::newRow("control deleted") << "delete";
        QTest::newRow("queue cleared") << "queue";
    }
    void staleRequestsAreDropped()
    {
        QFETCH(QString, what);
        ScriptedPlatform platform;
        DecodeQueue queue(platform);
        auto* image = new TImage(platform, &queue);
        image->resize(100, 80);
        auto old = Hold(*image);
        image->grab();
        QCOMPARE(queue.Pending(), 1);
        std::shared_ptr<FakeState> next;
        if (what == "assign")
            next = Hold(*image);
        else if (what == "clear")
            image->Picture().Clear();
        else if (what == "delete")
            delete std::exchange(image, nullptr);
        else
            queue.Clear();
        QCOMPARE(queue.Pending(), 0);
        queue.Drain();
        QCOMPARE(old->prepares, 0);
        if (next) { // the new picture is asked for by its own paint
            QCOMPARE(next->prepares, 0);
            image->grab();
            queue.Drain();
            QCOMPARE(next->prepares, 1);
        }
        delete image;
        QVERIFY(platform.messages.empty());
    }

    void onePreparePerTurn()
    {
        ScriptedPlatform platform;
        DecodeQueue queue(platform);
        int idle = 0;
        queue.OnIdle = [&] { ++idle; };
        std::vector<std::unique_ptr<TImage>> images;
        std::vector<std::shared_ptr<FakeState>> states;
        for (int i = 0; i < 3; ++i) {
            images.push_back(std::make_unique<TImage>(platform, &queue));
            images.back()->resize(60, 60);
            states.push_back(Hold(*images.back()));
            images.back()->grab();
        }
        auto total = [&] { return states[0]->prepares + states[1]->prepares + states[2]->prepares; };
        QCOMPARE(total(), 0);
        QCoreApplication::processEvents();
        QCOMPARE(total(), 1);
        QCOMPARE(states[0]->prepares, 1); // in the order asked
        QCOMPARE(idle, 0);
        QTRY_COMPARE(total(), 3);
        QTRY_COMPARE(idle, 1);

        // A new page between two decodes: the rest is dropped.
        for (int i = 0; i < 3; ++i) {
            states[i] = Hold(*images[i]);
            images[i]->grab();
        }
        QCoreApplication::processEvents();
        QCOMPARE(total(), 1);
        queue.Clear();
        QCOMPARE(idle, 2);
        for (int i = 0; i < 5; ++i)
            QCoreApplication::processEvents();
        QCOMPARE(total(), 1);
        QCOMPARE(idle, 2);
    }

    void failureReportedOnce()
    {
        ScriptedPlatform platform;
        DecodeQueue queue(platform);
        TImage bad(platform, &queue), good(platform, &queue);
        bad.resize(100, 80);
        good.resize(100, 80);
        auto b = Hold(bad);
        b->failFirst = true;
        b->neverReady = true; // even a picture that keeps asking is not retried
        auto g = Hold(good);
        bad.grab();
        good.grab();
        for (int round = 0; round < 3; ++round) {
            queue.Drain();
            bad.grab();
            for (int i = 0; i < 3; ++i)
                QCoreApplication::processEvents();
        }
        QCOMPARE(b->prepares, 1);
        QCOMPARE(g->prepares, 1);
        QCOMPARE(platform.messages.size(), size_t(1));
        QCOMPARE(platform.messages[0].kind, MessageKind::Error);
        QCOMPARE(platform.messages[0].text, QStringLiteral("Broken picture."));
        QVERIFY(IsRed(good.grab().toImage(), QPoint(50, 40)));
        // Another size is another request.
        bad.SetStretch(true);
        bad.grab();
        queue.Drain();
        QCOMPARE(b->prepares, 2);
        QCOMPARE(platform.messages.size(), size_t(1));
    }

    void progressAndIncrementalDisplay_data()
    {
        QTest::addColumn<bool>("incremental");
        QTest::newRow("incremental") << true;
        QTest::newRow("once decoded") << false;
    }
    void progressAndIncrementalDisplay()
    {
        QFETCH(bool, incremental);
        ScriptedPlatform platform;
        DecodeQueue queue(platform);
        TImage image(platform, &queue);
        image.resize(100, 80);
        image.SetIncrementalDisplay(incremental);
        image.show();
        QVERIFY(QTest::qWaitForWindowExposed(&image));
        auto s = Hold(image);
        QList<TProgressStage> stages;
        image.OnProgress = [&](TImage* sender, const ProgressReport& r) {
            QCOMPARE(sender, &image);
            stages << r.stage;
        };
        image.repaint();
        queue.Drain();
        QCOMPARE(stages,
                 (QList<TProgressStage> {TProgressStage::Starting, TProgressStage::Running, TProgressStage::Ending}));
        QCOMPARE(s->drawsInPrepare > 0, incremental);
    }

    void jpegThumbnailDecodedOutsidePaint()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("red.jpg");
        WriteRedJpeg(path, 400, 300);
        ScriptedPlatform platform;
        DecodeQueue queue(platform);
        TImage thumb(platform, &queue);
        thumb.resize(100, 75);
        thumb.SetStretch(true);
        thumb.Picture().LoadFromFile(path);
        auto* jpeg = static_cast<TJpegImage*>(thumb.Picture().Graphic());
        QCOMPARE(thumb.Picture().Width(), 400);
        const QImage before = thumb.grab().toImage();
        QVERIFY(jpeg->NeedsPrepare(QSize(100, 75)));
        QVERIFY(!NearlyRed(before, QPoint(50, 37)));
        QCOMPARE(queue.Pending(), 1);
        queue.Drain();
        QVERIFY(!jpeg->NeedsPrepare(QSize(100, 75)));
        QVERIFY(!jpeg->HasBitmap()); // a thumbnail needs no full-size decoding
        const QImage after = thumb.grab().toImage();
        QVERIFY(NearlyRed(after, QPoint(0, 0)) && NearlyRed(after, QPoint(99, 74)));
        QVERIFY(platform.messages.empty());
    }

    void brokenJpegReportedOnce()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("broken.jpg");
        WriteRedJpeg(path, 64, 48);
        BreakScan(path);
        ScriptedPlatform platform;
        DecodeQueue queue(platform);
        TImage image(platform, &queue);
        image.resize(100, 80);
        image.Picture().LoadFromFile(path); // the header is fine
        for (int round = 0; round < 3; ++round) {
            image.grab();
            queue.Drain();
            QCoreApplication::processEvents();
        }
        QCOMPARE(platform.messages.size(), size_t(1));
        QCOMPARE(platform.messages[0].kind, MessageKind::Error);
        QVERIFY(!platform.messages[0].text.isEmpty());
        QVERIFY(static_cast<TJpegImage*>(image.Picture().Graphic())->DecodeFailed());
    }

    void hintClicksAndContextRequests()
    {
        ScriptedPlatform platform;
        TImage image(platform);
        image.resize(100, 80);
        image.SetHint("a.jpg");
        image.SetTag(7);
        QCOMPARE(image.toolTip(), QStringLiteral("a.jpg"));
        QStringList calls;
        image.OnClick = [&](TImage* i) { calls << QStringLiteral("click %1").arg(i->Tag()); };
        QTest::mouseClick(&image, Qt::LeftButton, {}, QPoint(10, 10));
        QTest::mouseClick(&image, Qt::RightButton, {}, QPoint(10, 10));
        QCOMPARE(calls, QStringList {"click 7"});
        calls.clear();
        QTest::mouseDClick(&image, Qt::LeftButton, {}, QPoint(10, 10));
        QVERIFY(!calls.isEmpty() && calls.size() <= 2);
        QVERIFY(calls.count("click 7") == calls.size());

        QContextMenuEvent unhandled(QContextMenuEvent::Mouse, QPoint(5, 5), image.mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(&image, &unhandled);
        QVERIFY(!unhandled.isAccepted()); // no handler: a parent may offer its own menu
        image.OnContextPopup = [&](TImage*) { calls << "popup"; };
        QContextMenuEvent handled(QContextMenuEvent::Mouse, QPoint(5, 5), image.mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(&image, &handled);
        QVERIFY(handled.isAccepted());
        QCOMPARE(calls.last(), QStringLiteral("popup"));

        // A failing handler is reported, not thrown through Qt.
        image.OnClick = [](TImage*) { throw Failure("Handler failed"); };
        QTest::mouseClick(&image, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(platform.messages.size(), size_t(1));
        QCOMPARE(platform.messages[0].text, QStringLiteral("Handler failed."));
    }
};

QTEST_MAIN(TestImageControl)
#include "test_imagecontrol.moc"
