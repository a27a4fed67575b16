// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's thumbnails decoded on worker threads: every cell shows its own file, the
// loading light stays on while decodes of the page run, and a Page Down in the middle of a
// page drops what was left of it. Built with ThreadSanitizer by scripts/tsan.sh.
#include <atomic>
#include <QLineEdit>
#include <QThread>
#include <QTest>
#include <QToolButton>
#include "controls/DecodeQueue.h"
#include "controls/ImageControl.h"
#include "picture/JpegCodec.h"
#include "picture/FileRead.h"
#include "picture/JpegImage.h"
#include "picture/PictureBudget.h"
#include "picture/PictureFormats.h"
#include "picture/PictureThumbnail.h"
#include "BmpFileBuilder.h"
#include "MainWindowFixture.h"
#include "WholeFileCell.h"
#include "controls/RadioGroup.h"
#include "TestFiles.h"
#include "TestPictures.h"
#include "JpegSegments.h"

namespace {

QColor Colour(int i)
{
    return QColor::fromHsv((i * 37) % 360, 200 + (i % 3) * 20, 240 - (i % 5) * 30);
}

// 800 x 600: a quarter of it covers a cell of a 25-thumbnail page, so the cells decode on workers.
void WriteSolidJpeg(const QString& path, const QColor& colour)
{
    QImage image(800, 600, QImage::Format_RGB32);
    image.fill(colour);
    TJpegImage jpeg;
    jpeg.AssignBitmap(TBitmap(DibFromQImage(image)));
    jpeg.SaveToFile(path);
}

// A bitmap file that claims a side x side picture and holds no pixels.
QByteArray ClaimingBitmap(int side)
{
    BmpBuild b;
    b.width = b.height = side;
    b.bitCount = 32;
    return BuildBmp(b);
}

bool Near(const QColor& a, const QColor& b)
{
    return std::abs(a.red() - b.red()) < 14 && std::abs(a.green() - b.green()) < 14 &&
        std::abs(a.blue() - b.blue()) < 14;
}

// Picture files opened on the window's thread and on others, while the watch is set.
std::atomic<int> g_windowReads {0}, g_otherReads {0};
void CountRead(const QString&)
{
    (QThread::currentThread() == qApp->thread() ? g_windowReads : g_otherReads).fetch_add(1);
}

struct Window : MainWindowFixture<> {
    void OpenPages(int files, bool wholeFile = false)
    {
        for (int i = 0; i < files; ++i)
            WriteSolidJpeg(Path(QStringLiteral("p%1.jpg").arg(i, 3, 10, QLatin1Char('0'))), Colour(i));
        OpenWindow();
        if (wholeFile) // whole files read here, as the page load the thumbnail benchmark times against
            form->LoadCell = WholeFileCell;
        form->rdgCount->SetItemIndex(4); // 25 a page
        form->rdgCountClick();
    }
    DecodeQueue& Queue() { return form->Decoder(); }
    bool LightOn() const { return form->btnStop->isVisible(); }
    // Every cell of the page drawn with its picture.
    bool AllShown() const
    {
        for (int k = 1; k <= form->PageSize; ++k) {
            TImage* img = form->Thumbnail(k);
            const TGraphic* g = img->Picture().Graphic();
            if (g && g->NeedsPrepare(img->DrawSize()))
                return false;
        }
        return true;
    }
    // Runs the event loop until the page is shown, checking the loading light on the way:
    // on from the first thumbnail of the page shown until the last one is.
    bool RunPage(int* lightOffTooEarly)
    {
        const int before = Queue().WorkerResults();
        return QTest::qWaitFor(
            [&] {
                const bool shown = AllShown();
                if (Queue().WorkerResults() > before && !shown && !LightOn())
                    ++*lightOffTooEarly;
                return Queue().Pending() == 0 && shown;
            },
            30000);
    }
    // Which file's colour cell k shows.
    bool CellShows(int k, int file)
    {
        const QImage shot = form->Thumbnail(k)->grab().toImage();
        return !shot.isNull() && Near(shot.pixelColor(shot.rect().center()), Colour(file)) &&
            Near(shot.pixelColor(shot.rect().topLeft()), Colour(file));
    }
};

} // namespace

class TestViewFormDecoding : public QObject {
    Q_OBJECT
private slots:
    // The window's thread opens no file for a page: headers are read with the decodes.
    void pageDecodedOnWorkers()
    {
        Window w;
        g_windowReads = g_otherReads = 0;
        SetFileReadWatch(CountRead);
        w.OpenPages(30);
        QVERIFY(w.Queue().WorkerDecodes() > 0);
        int early = 0;
        QVERIFY(w.RunPage(&early));
        QCOMPARE(early, 0);
        QVERIFY(!w.LightOn());
        QVERIFY(w.Queue().WorkerResults() >= 25);
        for (int k = 1; k <= 25; ++k) {
            QVERIFY2(w.CellShows(k, k - 1), qPrintable(QString::number(k)));
            // The cell keeps its reduced copy alone, never the file nor a full-size bitmap.
            const TImage* img = w.form->Thumbnail(k);
            const TThumbnail* thumbnail = ThumbnailOf(img->Picture().Graphic());
            QVERIFY(thumbnail);
            QCOMPARE(thumbnail->Shown().size(), img->DrawSize());
        }
        QVERIFY(w.platform.messages.empty());
        SetFileReadWatch(nullptr);
        QCOMPARE(g_windowReads.load(), 0);
        QVERIFY(g_otherReads.load() >= 25);
    }

    // A JPEG file of no bytes has nothing to draw: drawing its cell reports libjpeg's fault,
    // named as at page load, once.
    void emptyJpegReportedOnce()
    {
        Window w;
        WriteBytes(w.Path(QStringLiteral("empty.jpg")), QByteArray());
        w.OpenWindow();
        QVERIFY(QTest::qWaitFor([&] { return !w.platform.messages.empty() && w.Queue().Pending() == 0; }, 30000));
        w.form->Thumbnail(1)->repaint();
        QCoreApplication::processEvents();
        QCOMPARE(w.platform.messages.size(), size_t(1));
        QCOMPARE(w.platform.messages[0].kind, MessageKind::Error);
        QCOMPARE(w.platform.messages[0].text,
                 QStringLiteral("Cannot load image : empty.jpg - JPEG error #%1").arg(JpegEmptyInputCode()));
    }

    // The page load hands each cell's decode over as the cell is laid out: before any event
    // is processed the workers have them; a page left before they finish keeps none of them.
    // The older page load asks for them only when the cells are painted.
    void decodesStartWithThePageLoad_data()
    {
        QTest::addColumn<bool>("wholeFile");
        QTest::newRow("headers at page load") << false;
        QTest::newRow("whole files at page load") << true;
    }
    void decodesStartWithThePageLoad()
    {
        QFETCH(bool, wholeFile);
        Window w;
        w.OpenPages(50, wholeFile);
        const int ahead = wholeFile ? 0 : std::min(25, w.Queue().WorkerDecodes());
        const int before = w.Queue().WorkerResults();
        QCOMPARE(w.Queue().InFlight(), ahead);
        QCOMPARE(w.Queue().Pending(), wholeFile ? 0 : 25);
        w.form->btnDown->click();
        QCOMPARE(w.form->Thumbnail(1)->Hint(), QStringLiteral("p025.jpg"));
        QCOMPARE(w.Queue().InFlight(), ahead);
        QCOMPARE(JpegOf(w.form->Thumbnail(1)->Picture().Graphic()) != nullptr, wholeFile);
        int early = 0;
        QVERIFY(w.RunPage(&early));
        QCOMPARE(w.Queue().WorkerResults(), before + 25);
        for (int k = 1; k <= 25; ++k)
            QVERIFY2(w.CellShows(k, 24 + k), qPrintable(QString::number(k)));
    }

    // A page of files whose headers claim large pictures: its decodes together stay within the
    // budget, each that fits alone waits for room and is drawn; those larger than the whole
    // budget say so in their cells and in one message naming them; the ordinary pictures are drawn.
    void pageWithinBudget_data()
    {
        QTest::addColumn<int>("side");
        QTest::addColumn<bool>("allRefused");
        QTest::newRow("each larger than the budget") << 3000 << true; // 72 MB to decode
        QTest::newRow("each fits alone") << 1500 << false;            // 18 MB
    }
    void pageWithinBudget()
    {
        QFETCH(int, side);
        QFETCH(bool, allRefused);
        Window w;
        for (int i = 0; i < 25; ++i) {
            const QString name = QStringLiteral("p%1").arg(i, 3, 10, QLatin1Char('0'));
            if (i % 5 == 0)
                WriteSolidJpeg(w.Path(name + QStringLiteral(".jpg")), Colour(i));
            else
                WriteBytes(w.Path(name + QStringLiteral(".bmp")), ClaimingBitmap(side));
        }
        w.OpenWindow();
        w.Queue().SetBudget(std::make_shared<DecodeBudget>(32 << 20));
        w.form->rdgCount->SetItemIndex(4);
        w.form->rdgCountClick();
        int early = 0;
        QVERIFY(w.RunPage(&early));
        // The page's report comes when the queue is idle, also of the decodes the first page left.
        if (allRefused)
            QVERIFY(QTest::qWaitFor([&] { return !w.platform.messages.empty(); }));
        const DecodeBudget& budget = w.Queue().Budget();
        QCOMPARE(budget.Held(), int64_t(0));
        QVERIFY(budget.Peak() <= budget.Total());
        QCOMPARE(budget.Refused(), allRefused ? 20 : 0);
        QStringList refused;
        for (int i = 1; i < 11; ++i)
            refused << QStringLiteral("p%1.bmp").arg(i + (i - 1) / 4, 3, 10, QLatin1Char('0'));
        const QString message = QStringLiteral("Cannot load image : %1, 10 more - Out of system resources")
                                    .arg(refused.join(QStringLiteral(", ")));
        QCOMPARE(w.platform.messages.size(), size_t(allRefused ? 1 : 0));
        if (allRefused)
            QCOMPARE(w.platform.messages[0].text, message);
        for (int k = 1; k <= 25; ++k) {
            if (k % 5 == 1)
                QVERIFY2(w.CellShows(k, k - 1), qPrintable(QString::number(k)));
            else
                QVERIFY(ThumbnailOf(w.form->Thumbnail(k)->Picture().Graphic())->Failed() == allRefused);
        }
    }

    void pageDownDuringLoadDropsTheRest_data()
    {
        QTest::addColumn<int>("doneBeforeKey");
        QTest::newRow("before any decode is shown") << 0;
        QTest::newRow("a few shown") << 3;
    }
    void pageDownDuringLoadDropsTheRest()
    {
        QFETCH(int, doneBeforeKey);
        Window w;
        w.OpenPages(50);
        int early = 0;
        // The first paint asks for the decodes; then wait for some to be shown.
        QVERIFY(QTest::qWaitFor([&] { return w.Queue().Pending() > 0 && w.Queue().WorkerResults() >= doneBeforeKey; },
                                30000));
        const int kept = w.Queue().WorkerResults();
        QVERIFY(w.Queue().Pending() > 0); // the page is still loading
        QTest::keyClick(w.form->windowHandle(), Qt::Key_PageDown);
        QCOMPARE(w.form->edtCount->text(), QStringLiteral("50"));
        QCOMPARE(w.form->Thumbnail(1)->Hint(), QStringLiteral("p025.jpg"));
        QVERIFY(w.RunPage(&early));
        QCOMPARE(early, 0);
        QVERIFY(!w.LightOn());
        // The key itself shows what the old page finished before the page moves; its decodes
        // already run from the page load on, so that may be any of its cells, each once. None
        // lands after the move (the cells below; decodesStartWithThePageLoad counts exactly).
        QVERIFY(w.Queue().WorkerResults() >= kept + 25);
        QVERIFY(w.Queue().WorkerResults() <= kept + 25 + 25);
        for (int k = 1; k <= 25; ++k)
            QVERIFY2(w.CellShows(k, 24 + k), qPrintable(QString::number(k)));
        QVERIFY(w.platform.messages.empty());
    }

    // Camera photos on the page, one stored on its side and tagged, one with a profile that
    // swaps red and green: their reduced copies are turned and mapped on the workers.
    void turnedAndProfiledThumbnails()
    {
        Window w;
        const QByteArray stored = MakeQuadrantJpeg(800, 400);
        WriteBytes(w.Path(QStringLiteral("a.jpg")), jpegseg::WithOrientation(stored, 6));
        WriteBytes(w.Path(QStringLiteral("b.jpg")),
                   jpegseg::WithSegments(stored, jpegseg::IccMarkers(SwappedRedGreenProfile())));
        w.OpenPages(0);
        int early = 0;
        QVERIFY(w.RunPage(&early));
        QVERIFY(w.Queue().WorkerResults() >= 2);
        TImage* turned = w.form->Thumbnail(1);
        QVERIFY(turned->PictureRect().height() > turned->PictureRect().width());
        QCOMPARE(QuadrantColours(turned->grab().toImage().copy(turned->PictureRect())), QStringLiteral("BRYG"));
        TImage* mapped = w.form->Thumbnail(2);
        QCOMPARE(QuadrantColours(mapped->grab().toImage().copy(mapped->PictureRect())), QStringLiteral("GRBY"));
    }
};

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    TestViewFormDecoding test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_viewform_decoding.moc"
