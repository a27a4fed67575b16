// SPDX-License-Identifier: GPL-3.0-or-later
// The full-screen window driven offscreen through the scripted platform, on real files:
// opened from the thumbnail popup, stepped with the page keys, closed with Esc.
#include <QDir>
#include <QKeySequence>
#include <QWheelEvent>
#include <QListWidget>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <functional>
#include <memory>
#include "app/lib/Application.h"
#include "picture/Bitmap.h"
#include "controls/DecodeQueue.h"
#include "picture/DibImage.h"
#include "controls/ImageControl.h"
#include "picture/JpegCodec.h"
#include "picture/JpegImage.h"
#include "ScriptedPlatform.h"
#include "TestFiles.h"
#include "JpegSegments.h"
#include "TestPictures.h"
#include "MainWindowFixture.h"
#include "ui/browser/Viewmain.h"
#include "ui/fullscreen/Full.h"
#include "controls/ImageControl.h"

namespace {
const QString kFullSize = QStringLiteral("Show Full Size");
const QString kInScreen = QStringLiteral("Show In Screen");

struct Viewer : MainWindowFixture<> {
    void Open() { OpenWindow(); }
    void Bitmap(const QString& name, int width, int height, int seed = 1)
    {
        WriteTestBitmap(Path(name), width, height, seed);
    }

    // Opens the window from thumbnail n's popup entry `choice` and runs `body` in it while
    // it is shown. False when no full-screen window was shown.
    bool Show(int n, const QString& choice, const std::function<void(TFullForm&)>& body)
    {
        platform.menuChoices = {choice};
        return During<TFullForm>([&] { form->AllImageClick(form->Thumbnail(n)); }, body);
    }
    // Fills the search results and puts the main window in search mode.
    void SearchResults(const QStringList& entries) { SetSearchResults(entries); }
};

void Key(TFullForm& full, int key)
{
    QTest::keyClick(&full, Qt::Key(key));
}

bool BarShown(const QScrollBar* bar)
{
    return bar->isVisible();
}

QRect ScreenRect(int width, int height)
{
    return QRect((1024 - width) / 2, (768 - height) / 2, width, height);
}
}

class TestFullScreen : public QObject {
    Q_OBJECT
private slots:
    void entryChoosesMode_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<bool>("fit");
        QTest::addColumn<bool>("print");
        QTest::addColumn<bool>("toPage");
        QTest::newRow("in screen") << kInScreen << true << true << false << true;
        QTest::newRow("full size") << kFullSize << true << false << false << true;
        QTest::newRow("print as is") << QStringLiteral("Print As Is") << true << true << true << false;
        QTest::newRow("print full page") << QStringLiteral("Print Full Page") << true << true << true << true;
        QTest::newRow("zoom") << QStringLiteral("Zoom or Sub Section") << false << false << false << false;
    }
    void entryChoosesMode()
    {
        QFETCH(QString, choice);
        QFETCH(bool, opens);
        Viewer v;
        v.Bitmap(QStringLiteral("a.bmp"), 40, 30);
        v.Bitmap(QStringLiteral("b.bmp"), 50, 20);
        v.Open();
        const bool shown = v.Show(2, choice, [&](TFullForm& full) {
            QTEST(full.FitMode, "fit");
            QTEST(full.PrintMode, "print");
            QTEST(full.PrintToPage, "toPage");
            QCOMPARE(full.ImageNumber, 2);
            QCOMPARE(full.ShownFile, QStringLiteral("b.bmp"));
            QCOMPARE(full.CurrentIndex, 1);
            QCOMPARE(full.LastIndex, 1);
            QCOMPARE(full.SlideSeconds, 0);
            QCOMPARE(full.size(), QSize(1024, 768));
            QVERIFY(full.windowFlags().testFlag(Qt::FramelessWindowHint));
        });
        QCOMPARE(shown, opens);
        // The zoom entry opens the zoom window instead.
        QCOMPARE(std::count(v.platform.modals.begin(), v.platform.modals.end(), QStringLiteral("TFullForm")),
                 std::ptrdiff_t(opens ? 1 : 0));
        QVERIFY(v.platform.messages.empty());
    }

    void nothingOpensWithoutAClickedThumbnail()
    {
        Viewer v;
        v.Bitmap(QStringLiteral("a.bmp"), 40, 30);
        v.Open();
        v.form->PicList.Current = 0;
        v.platform.onModal = [](QDialog&) { return 0; };
        v.form->mniFullScreenClick(v.form->mniShowFullSize);
        QVERIFY(v.platform.modals.empty());
        QVERIFY(v.platform.cursorSets.empty());
    }

    // A picture smaller than the screen stands at 1:1, centred on black, without bars.
    void smallPictureAtOneToOne_data()
    {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("full size") << kFullSize << 200 << 100;
        QTest::newRow("in screen") << kInScreen << 200 << 100;
        QTest::newRow("full size, odd margins") << kFullSize << 301 << 99;
        QTest::newRow("in screen, within tolerance") << kInScreen << 1024 << 767;
    }
    void smallPictureAtOneToOne()
    {
        QFETCH(QString, choice);
        QFETCH(int, width);
        QFETCH(int, height);
        Viewer v;
        v.Bitmap(QStringLiteral("a.bmp"), width, height, 3);
        v.Open();
        const QImage expected = MakeTestImage(width, height, 3);
        QVERIFY(v.Show(1, choice, [&](TFullForm& full) {
            QCOMPARE(full.PictureWidth, width);
            QCOMPARE(full.PictureHeight, height);
            QVERIFY(!BarShown(full.VertScrollBar()));
            QVERIFY(!BarShown(full.HorzScrollBar()));
            QCOMPARE(full.VertRange(), 0);
            QCOMPARE(full.HorzRange(), 0);
            const QRect shown = full.imgFull->PictureRect();
            QCOMPARE(shown, ScreenRect(width, height));
            // What reaches the screen: the picture's own pixels at its corners, black around it.
            const QImage screen = full.grab().toImage();
            QCOMPARE(screen.size(), QSize(1024, 768));
            for (const QPoint p : {QPoint(0, 0), QPoint(width - 1, height - 1), QPoint(width / 2, 7)})
                QCOMPARE(QColor(screen.pixel(shown.topLeft() + p)), QColor(expected.pixel(p)));
            if (shown.left() > 0)
                QCOMPARE(QColor(screen.pixel(shown.left() - 1, shown.top())), QColor(Qt::black));
            if (shown.top() > 0)
                QCOMPARE(QColor(screen.pixel(shown.left(), shown.top() - 1)), QColor(Qt::black));
            if (shown.bottom() < 767)
                QCOMPARE(QColor(screen.pixel(shown.left(), shown.bottom() + 1)), QColor(Qt::black));
        }));
    }

    void inScreenShrinksLargePicture()
    {
        Viewer v;
        v.Bitmap(QStringLiteral("a.bmp"), 2000, 1000);
        v.Open();
        QVERIFY(v.Show(1, kInScreen, [&](TFullForm& full) {
            // Width decides: 1024 / 2000 = 0.512, so 1024 x 512, centred vertically.
            QCOMPARE(full.imgFull->PictureRect(), QRect(0, 128, 1024, 512));
            QVERIFY(!BarShown(full.VertScrollBar()));
            QVERIFY(!BarShown(full.HorzScrollBar()));
        }));
    }

    // A photo stored on its side with its tag: fitted, and drawn, as the upright picture.
    void turnedPhotoInScreen()
    {
        Viewer v;
        WriteBytes(v.Path(QStringLiteral("a.jpg")), jpegseg::WithOrientation(MakeQuadrantJpeg(1600, 800), 8));
        v.Open();
        QVERIFY(v.Show(1, kInScreen, [&](TFullForm& full) {
            QCOMPARE(full.PictureWidth, 800);
            QCOMPARE(full.PictureHeight, 1600);
            // Height decides: 768 / 1600 = 0.48, so 384 x 768, centred across.
            const QRect shown = full.imgFull->PictureRect();
            QCOMPARE(shown, QRect(320, 0, 384, 768));
            QCOMPARE(QuadrantColours(full.grab().toImage().copy(shown)), QStringLiteral("GYRB"));
        }));
        QVERIFY(v.platform.messages.empty());
    }

    void fullSizeScrollRanges_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("vertRange");
        QTest::addColumn<int>("horzRange");
        QTest::newRow("taller, narrower") << 300 << 1000 << 1000 << 0;
        QTest::newRow("wider, shorter") << 1500 << 300 << 0 << 1500;
        QTest::newRow("both") << 1100 << 900 << 900 << 1100;
        QTest::newRow("exactly the screen") << 1024 << 768 << 0 << 0;
        QTest::newRow("one pixel over") << 1025 << 769 << 769 << 1025;
        // Within a bar's thickness of the screen on the other side: that side scrolls too.
        QTest::newRow("wider, height within a bar") << 1044 << 760 << 760 << 1044;
        QTest::newRow("taller, width within a bar") << 1020 << 780 << 780 << 1020;
    }
    void fullSizeScrollRanges()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, vertRange);
        QFETCH(int, horzRange);
        Viewer v;
        v.Bitmap(QStringLiteral("a.bmp"), width, height);
        v.Open();
        QVERIFY(v.Show(1, kFullSize, [&](TFullForm& full) {
            QCOMPARE(full.VertRange(), vertRange);
            QCOMPARE(full.HorzRange(), horzRange);
            QScrollBar* vbar = full.VertScrollBar();
            QScrollBar* hbar = full.HorzScrollBar();
            QCOMPARE(BarShown(vbar), vertRange > 0);
            QCOMPARE(BarShown(hbar), horzRange > 0);
            // The bar's document is the range: maximum plus one page.
            if (vertRange > 0)
                QCOMPARE(vbar->maximum() + vbar->pageStep(), vertRange);
            if (horzRange > 0)
                QCOMPARE(hbar->maximum() + hbar->pageStep(), horzRange);
            // Edge to edge at 1:1: scrolled to the end, the picture's last row and column
            // stand at the view's last row and column.
            vbar->setValue(vbar->maximum());
            hbar->setValue(hbar->maximum());
            QWidget* view = full.sbxFull->viewport();
            const QRect shown = full.imgFull->PictureRect();
            QCOMPARE(shown.size(), QSize(width, height));
            const QPoint lastPixel = full.imgFull->mapTo(view, shown.bottomRight());
            if (vertRange > 0)
                QCOMPARE(lastPixel.y(), view->height() - 1);
            if (horzRange > 0)
                QCOMPARE(lastPixel.x(), view->width() - 1);
            vbar->setValue(0);
            hbar->setValue(0);
            // Without a vertical range the picture is centred in the view (above a horizontal bar).
            QCOMPARE(full.imgFull->mapTo(view, shown.topLeft()).y(), vertRange > 0 ? 0 : (view->height() - height) / 2);
        }));
    }

    // The ranges of a large picture stay when the next one is smaller, even when that one
    // would need smaller ranges of its own.
    // A JPEG file of no bytes has nothing to show: the full screen reports libjpeg's fault
    // through the top-level report, once, whether opened on it or stepped onto it.
    void emptyJpegReportedOnce_data()
    {
        QTest::addColumn<int>("thumbnail");
        QTest::addColumn<QString>("choice");
        QTest::addColumn<bool>("step");
        QTest::newRow("opened in screen") << 2 << kInScreen << false;
        QTest::newRow("opened full size") << 2 << kFullSize << false;
        QTest::newRow("stepped onto") << 1 << kInScreen << true;
    }
    void emptyJpegReportedOnce()
    {
        QFETCH(int, thumbnail);
        QFETCH(QString, choice);
        QFETCH(bool, step);
        Viewer v;
        v.Bitmap(QStringLiteral("a.bmp"), 40, 30);
        WriteBytes(v.Path(QStringLiteral("empty.jpg")), QByteArray());
        v.Open();
        // The page reports the cell once; that report is not the full screen's.
        QVERIFY(QTest::qWaitFor([&] { return !v.platform.messages.empty(); }, 30000));
        v.platform.messages.clear();
        QVERIFY(v.Show(thumbnail, choice, [&](TFullForm& full) {
            if (step)
                Key(full, Qt::Key_PageDown);
            QCOMPARE(full.ShownFile, QStringLiteral("empty.jpg"));
            (void)QTest::qWaitFor([&] { return !v.platform.messages.empty(); }, 5000);
            full.imgFull->repaint();
            QCoreApplication::processEvents();
        }));
        QCOMPARE(v.platform.messages.size(), size_t(1));
        QCOMPARE(v.platform.messages[0].kind, MessageKind::Error);
        QCOMPARE(v.platform.messages[0].text, QStringLiteral("JPEG error #%1.").arg(JpegEmptyInputCode()));
    }

    void rangesNeverShrink_data()
    {
        QTest::addColumn<int>("nextWidth");
        QTest::addColumn<int>("nextHeight");
        QTest::newRow("smaller than the screen") << 100 << 60;
        QTest::newRow("smaller, still taller than the screen") << 200 << 900;
    }
    void rangesNeverShrink()
    {
        QFETCH(int, nextWidth);
        QFETCH(int, nextHeight);
        Viewer v;
        v.Bitmap(QStringLiteral("a.bmp"), 1200, 1000);
        v.Bitmap(QStringLiteral("b.bmp"), nextWidth, nextHeight);
        v.Open();
        QVERIFY(v.Show(1, kFullSize, [&](TFullForm& full) {
            QCOMPARE(full.VertRange(), 1000);
            QCOMPARE(full.HorzRange(), 1200);
            Key(full, Qt::Key_PageDown);
            QCOMPARE(full.ShownFile, QStringLiteral("b.bmp"));
            QCOMPARE(full.PictureHeight, nextHeight);
            QCOMPARE(full.VertRange(), 1000);
            QCOMPARE(full.HorzRange(), 1200);
            QVERIFY(BarShown(full.VertScrollBar()));
            QVERIFY(BarShown(full.HorzScrollBar()));
            // Centred in the scrollable area at its own size.
            QCOMPARE(full.imgFull->size(), QSize(1200, 1000));
            QCOMPARE(full.imgFull->PictureRect(),
                     QRect((1200 - nextWidth) / 2, (1000 - nextHeight) / 2, nextWidth, nextHeight));
        }));
    }

    void stepsBeepAtTheEnds_data()
    {
        QTest::addColumn<int>("thumbnail");
        QTest::addColumn<int>("key");
        QTest::newRow("Page Down on the last") << 3 << int(Qt::Key_PageDown);
        QTest::newRow("Page Up on the first") << 1 << int(Qt::Key_PageUp);
    }
    void stepsBeepAtTheEnds()
    {
        QFETCH(int, thumbnail);
        QFETCH(int, key);
        Viewer v;
        v.Bitmap(QStringLiteral("a.bmp"), 40, 30);
        v.Bitmap(QStringLiteral("b.bmp"), 50, 30);
        v.Bitmap(QStringLiteral("c.bmp"), 60, 30);
        v.Open();
        QVERIFY(v.Show(thumbnail, kInScreen, [&](TFullForm& full) {
            const QString before = full.ShownFile;
            const TGraphic* graphic = full.imgFull->Picture().Graphic();
            Key(full, key);
            QCOMPARE(v.platform.beeps, 1);
            QCOMPARE(full.ShownFile, before);
            QCOMPARE(full.CurrentIndex, thumbnail - 1);
            QCOMPARE(full.imgFull->Picture().Graphic(), graphic);
            // The other way works.
            Key(full, key == Qt::Key_PageDown ? Qt::Key_PageUp : Qt::Key_PageDown);
            QCOMPARE(v.platform.beeps, 1);
            QCOMPARE(full.ShownFile, QStringLiteral("b.bmp"));
            QCOMPARE(full.PictureWidth, 50);
        }));
    }

    void nonImageEntryCostsOneKey()
    {
        Viewer v;
        v.Bitmap(QStringLiteral("a.bmp"), 40, 30);
        WriteBytes(v.Path(QStringLiteral("b.emf")), QByteArray("a metafile, never drawn"));
        v.Bitmap(QStringLiteral("c.bmp"), 60, 50);
        v.Open();
        QVERIFY(v.Show(1, kInScreen, [&](TFullForm& full) {
            QCOMPARE(full.LastIndex, 2);
            Key(full, Qt::Key_PageDown);
            QCOMPARE(full.CurrentIndex, 1);
            QCOMPARE(full.ShownFile, QStringLiteral("a.bmp"));
            QCOMPARE(full.imgFull->Picture().Width(), 40);
            Key(full, Qt::Key_PageDown);
            QCOMPARE(full.CurrentIndex, 2);
            QCOMPARE(full.ShownFile, QStringLiteral("c.bmp"));
            QCOMPARE(full.imgFull->Picture().Width(), 60);
            Key(full, Qt::Key_PageUp);
            QCOMPARE(full.CurrentIndex, 1);
            QCOMPARE(full.ShownFile, QStringLiteral("c.bmp"));
        }));
        QCOMPARE(v.platform.beeps, 0);
        QVERIFY(v.platform.messages.empty());
    }

    void badFileKeepsPreviousPicture_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("headerReads");
        QTest::newRow("not a JPEG") << QStringLiteral("b.jpg") << QByteArray("this is not a JPEG picture at all")
                                    << false;
        QTest::newRow("not a bitmap") << QStringLiteral("b.bmp") << QByteArray("BM but nothing more of a bitmap")
                                      << false;
        // A header that reads, with a component naming a quantisation table that is never
        // defined: the failure comes only when the picture is decoded.
        QByteArray undefinedTable;
        {
            QTemporaryDir scratch;
            WriteTestJpeg(scratch.filePath(QStringLiteral("x.jpg")), 64, 48);
            undefinedTable = ReadBytes(scratch.filePath(QStringLiteral("x.jpg")));
            const int sof = int(undefinedTable.indexOf(QByteArray("\xFF\xC0", 2)));
            if (sof >= 0)
                undefinedTable[sof + 12] = char(3); // first component's table selector
        }
        QTest::newRow("undefined table") << QStringLiteral("b.jpg") << undefinedTable << true;
    }
    void badFileKeepsPreviousPicture()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        Viewer v;
        v.Bitmap(QStringLiteral("a.bmp"), 40, 30);
        WriteBytes(v.Path(name), bytes);
        v.Bitmap(QStringLiteral("c.bmp"), 60, 50);
        v.Open();
        // The page's own reports of the bad thumbnail come first.
        v.form->Decoder().Drain();
        QTEST(v.form->Thumbnail(2)->Picture().HasGraphic(), "headerReads");
        v.platform.messages.clear();
        QVERIFY(v.Show(1, kFullSize, [&](TFullForm& full) {
            const TGraphic* graphic = full.imgFull->Picture().Graphic();
            Key(full, Qt::Key_PageDown);
            QCOMPARE(v.platform.messages.size(), size_t(1));
            QCOMPARE(v.platform.messages[0].kind, MessageKind::Error);
            QCOMPARE(v.platform.messages[0].text, QStringLiteral("Cannot load image : ") + name);
            QCOMPARE(full.CurrentIndex, 1);
            QCOMPARE(full.ShownFile, QStringLiteral("a.bmp"));
            QCOMPARE(full.PictureWidth, 40);
            QCOMPARE(full.imgFull->Picture().Graphic(), graphic);
            QCOMPARE(full.imgFull->PictureRect(), ScreenRect(40, 30));
            Key(full, Qt::Key_PageDown);
            QCOMPARE(full.ShownFile, QStringLiteral("c.bmp"));
            QCOMPARE(v.platform.messages.size(), size_t(1));
        }));
    }

    void searchResultsStepByFullPaths()
    {
        Viewer v;
        QDir(v.dir.path()).mkpath(QStringLiteral("one"));
        QDir(v.dir.path()).mkpath(QStringLiteral("two"));
        v.Bitmap(QStringLiteral("one/a.bmp"), 40, 30);
        v.Bitmap(QStringLiteral("two/a.bmp"), 70, 20); // the same bare name in another folder
        v.Open();
        const QStringList results = {v.Path(QStringLiteral("one/a.bmp")), v.Path(QStringLiteral("two/a.bmp"))};
        v.SearchResults(results);
        v.form->LoadDirectory();
        QCOMPARE(v.form->Thumbnail(1)->Hint(), results[0]);
        QVERIFY(v.Show(1, kInScreen, [&](TFullForm& full) {
            QCOMPARE(full.ShownFile, results[0]);
            QCOMPARE(full.CurrentIndex, 0);
            QCOMPARE(full.LastIndex, 1);
            Key(full, Qt::Key_PageDown);
            QCOMPARE(full.ShownFile, results[1]);
            QCOMPARE(full.PictureWidth, 70);
        }));
        QVERIFY(v.platform.messages.empty());
    }

    void searchAreaOpenBeforeAnySearch()
    {
        Viewer v;
        v.Bitmap(QStringLiteral("a.bmp"), 40, 30);
        v.Bitmap(QStringLiteral("b.bmp"), 50, 30);
        v.Open();
        v.SearchResults({}); // the page still shows the folder
        QVERIFY(v.Show(2, kInScreen, [&](TFullForm& full) {
            QCOMPARE(full.LastIndex, -1);
            QCOMPARE(full.CurrentIndex, 0);
            QCOMPARE(full.PictureWidth, 50);
            Key(full, Qt::Key_PageDown);
            Key(full, Qt::Key_PageUp);
            QCOMPARE(v.platform.beeps, 2);
            QCOMPARE(full.ShownFile, QStringLiteral("b.bmp"));
            QVERIFY(full.imgFull->Picture().HasGraphic());
        }));
        QVERIFY(v.platform.messages.empty());
    }

    // A shown picture that is not in the list steps from the list's first entry.
    void fileNotInListStepsFromTheStart_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("beeps");
        QTest::addColumn<QString>("shown");
        QTest::newRow("Page Down: the second entry")
            << int(Qt::Key_PageDown) << 1 << 0 << QStringLiteral("other/q.bmp");
        QTest::newRow("Page Up: at the first") << int(Qt::Key_PageUp) << 0 << 1 << QStringLiteral("c.bmp");
    }
    void fileNotInListStepsFromTheStart()
    {
        QFETCH(int, key);
        QFETCH(QString, shown);
        Viewer v;
        QDir(v.dir.path()).mkpath(QStringLiteral("other"));
        for (const char* name : {"a.bmp", "b.bmp", "c.bmp", "other/p.bmp", "other/q.bmp", "other/r.bmp"})
            v.Bitmap(QString::fromLatin1(name), 30, 20);
        v.Open();
        v.SearchResults({v.Path(QStringLiteral("other/p.bmp")), v.Path(QStringLiteral("other/q.bmp")),
                         v.Path(QStringLiteral("other/r.bmp"))});
        QVERIFY(v.Show(3, kInScreen, [&](TFullForm& full) {
            QCOMPARE(full.CurrentIndex, 0);
            QCOMPARE(full.ShownFile, QStringLiteral("c.bmp"));
            Key(full, key);
            QTEST(full.CurrentIndex, "index");
            QTEST(v.platform.beeps, "beeps");
            const QString expected = shown.contains(QLatin1Char('/')) ? v.Path(shown) : shown;
            QCOMPARE(full.ShownFile, expected);
        }));
    }

    void listPositionIgnoresCase_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("index");
        QTest::newRow("same") << QStringLiteral("b.bmp") << 1;
        QTest::newRow("other case") << QStringLiteral("B.BMP") << 1;
        QTest::newRow("part of a name") << QStringLiteral("b.bm") << -1;
        QTest::newRow("absent") << QStringLiteral("z.bmp") << -1;
    }
    void listPositionIgnoresCase()
    {
        QFETCH(QString, entry);
        Viewer v;
        v.Bitmap(QStringLiteral("a.bmp"), 8, 8);
        v.Bitmap(QStringLiteral("b.bmp"), 8, 8);
        v.Open();
        QTEST(v.form->ImageListIndexOf(entry), "index");
    }

    // The thumbnail keeps only its reduced copy: the window reads the file again, and a file
    // gone meanwhile fails as loading it does.
    void readsTheFileAgain_data()
    {
        QTest::addColumn<bool>("gone");
        QTest::newRow("file there") << false;
        QTest::newRow("file gone") << true;
    }
    void readsTheFileAgain()
    {
        QFETCH(bool, gone);
        Viewer v;
        WriteTestJpeg(v.Path(QStringLiteral("a.jpg")), 400, 1000);
        v.Open();
        TImage* thumb = v.form->Thumbnail(1);
        v.form->Decoder().Drain();
        if (gone) {
            QVERIFY(QFile::remove(v.Path(QStringLiteral("a.jpg"))));
            QVERIFY(v.Show(1, kFullSize, [&](TFullForm& full) { QVERIFY(!full.imgFull->Picture().HasGraphic()); }));
            QCOMPARE(v.platform.messages.size(), size_t(1));
            QVERIFY(v.platform.messages[0].text.startsWith(QLatin1String("Cannot open file \"a.jpg\".")));
            return;
        }
        QVERIFY(v.Show(1, kFullSize, [&](TFullForm& full) {
            QCOMPARE(full.PictureHeight, 1000);
            QCOMPARE(full.PictureWidth, 400);
            QCOMPARE(full.VertRange(), 1000);
            auto* jpeg = dynamic_cast<TJpegImage*>(full.imgFull->Picture().Graphic());
            QVERIFY(jpeg);
            QVERIFY(jpeg != thumb->Picture().Graphic());
            // Decoded at full size before the window painted.
            QVERIFY(jpeg->HasBitmap());
            QVERIFY(!jpeg->NeedsPrepare(full.imgFull->PictureRect().size()));
        }));
        QVERIFY(v.platform.messages.empty());
    }

    void pointerPlacesAndClosing()
    {
        Viewer v;
        v.Bitmap(QStringLiteral("a.bmp"), 40, 30);
        v.Open();
        const QSize mainSize = v.form->size();
        QVERIFY(v.Show(1, kInScreen, [&](TFullForm& full) {
            QCOMPARE(v.platform.cursorSets.back(), QPoint(1024, 768));
            Key(full, Qt::Key_Escape);
            QVERIFY(!full.isVisible());
            QVERIFY(!full.imgFull->Picture().HasGraphic());
        }));
        QCOMPARE(v.platform.cursorSets.back(), QPoint(mainSize.width() / 2, mainSize.height() / 2));
        QCOMPARE(v.platform.cursorSets.size(), size_t(2));
        // The window is gone, the main window's thumbnail keeps its picture.
        QVERIFY(v.form->findChildren<TFullForm*>().isEmpty());
        QVERIFY(v.form->Thumbnail(1)->Picture().HasGraphic());
    }

    // The window's keys act whichever control has the focus, and only once.
    void keysReachTheWindowFirst()
    {
        Viewer v;
        v.Bitmap(QStringLiteral("a.bmp"), 300, 2000);
        v.Bitmap(QStringLiteral("b.bmp"), 40, 30);
        v.Open();
        QVERIFY(v.Show(1, kFullSize, [&](TFullForm& full) {
            QScrollBar* vbar = full.VertScrollBar();
            vbar->setFocusPolicy(Qt::StrongFocus);
            full.activateWindow();
            vbar->setFocus();
            QTest::keyClick(full.windowHandle(), Qt::Key_PageDown);
            QCOMPARE(full.ShownFile, QStringLiteral("b.bmp"));
            QCOMPARE(vbar->value(), 0);
            QTest::keyClick(full.windowHandle(), Qt::Key_Escape);
            QVERIFY(!full.isVisible());
        }));
        QCOMPARE(v.platform.beeps, 0);
    }

    // From b of a, b, c and a metafile, each input in turn: the arrows, Space, Backspace and
    // the wheel step, Home and End pass the metafile over, F11 closes; not while printing.
    void otherKeysAndTheWheel_data()
    {
        QTest::addColumn<QString>("inputs"); // keys by name, or turns of the wheel
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QString>("shown"); // after each input; "-" closed
        QTest::newRow("keys") << "Right Left Down Up Space Backspace End Home F11" << kInScreen << "cbcbcbca-";
        QTest::newRow("wheel, full size") << "-120 120 -60 -60 240" << kFullSize << "cbbca";
        QTest::newRow("print panel") << "Right Left Home -120" << QStringLiteral("Print As Is") << "bbbb";
    }
    void otherKeysAndTheWheel()
    {
        QFETCH(QString, choice);
        QFETCH(QString, inputs);
        Viewer v;
        for (const char* name : {"a.bmp", "b.bmp", "c.bmp"})
            v.Bitmap(QString::fromLatin1(name), 40, 2000); // at full size, with a bar to scroll
        WriteBytes(v.Path(QStringLiteral("d.emf")), QByteArray("a metafile"));
        v.Open();
        QVERIFY(v.Show(2, choice, [&](TFullForm& full) {
            QString shown;
            full.activateWindow();
            for (const QString& input : inputs.split(u' ')) {
                QWheelEvent turn({5, 5}, full.mapToGlobal(QPointF(5, 5)), {}, {0, input.toInt()}, {}, {}, {}, false);
                if (input.toInt() == 0)
                    QTest::keyClick(full.windowHandle(), Qt::Key(QKeySequence::fromString(input)[0].key()));
                else
                    QApplication::sendEvent(full.sbxFull->viewport(), &turn);
                shown += full.isVisible() ? full.ShownFile.front() : u'-';
            }
            QTEST(shown, "shown");
            QCOMPARE(full.VertScrollBar()->value(), 0);
        }));
    }

    // On a screen of two device pixels per logical one, an unstretched picture still covers
    // exactly its own number of device pixels.
    void drawsAtDevicePixels_data()
    {
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("1") << 1.0;
        QTest::newRow("2") << 2.0;
        QTest::newRow("1.5") << 1.5;
    }
    void drawsAtDevicePixels()
    {
        QFETCH(qreal, ratio);
        QImage red(10, 6, QImage::Format_RGB32);
        red.fill(Qt::red);
        const TBitmap graphic(DibFromQImage(red));
        const QSize device(90, 60);
        QImage target(device, QImage::Format_RGB32);
        target.setDevicePixelRatio(ratio);
        target.fill(Qt::black);
        ControlGeometry fill;
        fill.clientAlign = true;
        const QRect dest = TImage::PictureRectFor(fill, device, QSize(10, 6));
        QCOMPARE(dest, QRect(40, 27, 10, 6));
        {
            QPainter painter(&target);
            DrawAtDevicePixels(painter, graphic, dest, ratio);
        }
        int redPixels = 0;
        for (int y = 0; y < device.height(); ++y)
            for (int x = 0; x < device.width(); ++x)
                redPixels += target.pixel(x, y) == qRgb(255, 0, 0) ? 1 : 0;
        QCOMPARE(redPixels, 60);
        QCOMPARE(target.pixel(40, 27), qRgb(255, 0, 0));
        QCOMPARE(target.pixel(49, 32), qRgb(255, 0, 0));
    }
};

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    TestFullScreen test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_fullscreen.moc"
