// SPDX-License-Identifier: GPL-3.0-or-later
// The zoom window driven offscreen through the scripted platform: opened from the thumbnail
// popup on real files, stepped, fitted, scrolled and closed.
#include <QApplication>
#include <QKeySequence>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>
#include <functional>
#include "controls/ScreenColour.h"
#include "controls/UpDownEdit.h"
#include "AppFont.h"
#include "MainWindowFixture.h"
#include "TestPictures.h"
#include "TestFiles.h"
#include "TestProfiles.h"
#include "picture/ColourProfile.h"
#include "picture/JpegCodec.h"
#include "ui/zoom/Zoom.h"
#include "ui/zoom/ZoomImage.h"

namespace {
const QString kZoomEntry = QStringLiteral("Zoom or Sub Section");

struct Zoomer : MainWindowFixture<> {
    // Opens the main window on the files and the zoom window on thumbnail n.
    bool Zoom(int n, const std::function<void(TZoomForm&)>& body)
    {
        if (!form)
            OpenWindow();
        platform.menuChoices = {kZoomEntry};
        return During<TZoomForm>([&] { form->AllImageClick(form->Thumbnail(n)); }, body);
    }
    bool ZoomBitmap(int width, int height, const std::function<void(TZoomForm&)>& body)
    {
        WriteTestBitmap(Path(QStringLiteral("a.bmp")), width, height, 4);
        return Zoom(1, body);
    }
};

void SetStep(TZoomForm& zoom, const QString& text)
{
    zoom.edtZoomRate->SetText(text);
}

// What the read-outs and the window's state say: ratio, width, height.
void CheckShown(TZoomForm& zoom, int ratio, int width, int height)
{
    QCOMPARE(zoom.ZoomRatio, ratio);
    QCOMPARE(zoom.CurWidth, width);
    QCOMPARE(zoom.CurHeight, height);
    QCOMPARE(zoom.edtRatio->text(), QString::number(ratio));
    QCOMPARE(zoom.edtWidth->text(), QString::number(width));
    QCOMPARE(zoom.edtHeight->text(), QString::number(height));
    QCOMPARE(zoom.imgZoom->ZoomedSize(), QSize(width, height));
}

// Calls `painted` as each paint of the watched widget begins.
struct PaintWatch : QObject {
    explicit PaintWatch(std::function<void()> painted) : onPaint(std::move(painted)) {}
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            onPaint();
        return false;
    }
    std::function<void()> onPaint;
};

// The largest difference of one colour channel between two images of the same size.
int MaxDifference(const QImage& a, const QImage& b)
{
    int worst = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            worst = std::max(
                {worst, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)), std::abs(qBlue(p) - qBlue(q))});
        }
    return worst;
}
}

class TestZoom : public QObject {
    Q_OBJECT
private slots:
    void opensOnTheClickedPicture()
    {
        Zoomer z;
        WriteTestBitmap(z.Path(QStringLiteral("a.bmp")), 40, 30);
        WriteTestBitmap(z.Path(QStringLiteral("b.BMP")), 300, 200);
        QVERIFY(z.Zoom(2, [&](TZoomForm& zoom) {
            QCOMPARE(zoom.ThumbIndex, 2);
            QCOMPARE(zoom.PictureExt, QStringLiteral(".bmp"));
            QCOMPARE(zoom.size(), QSize(1024, 768));
            QVERIFY(zoom.windowFlags().testFlag(Qt::FramelessWindowHint));
            CheckShown(zoom, 100, 300, 200);
            QCOMPARE(zoom.BaseWidth, 300);
            QCOMPARE(zoom.BaseHeight, 200);
            QCOMPARE(zoom.edtZoomRate->Text(), QStringLiteral("10"));
            QCOMPARE(zoom.focusWidget(), zoom.btnZFit);
            // The arrows step by 5 within 5 to 1000.
            zoom.edtZoomRate->Step(1);
            QCOMPARE(zoom.edtZoomRate->Text(), QStringLiteral("15"));
            SetStep(zoom, QStringLiteral("998"));
            zoom.edtZoomRate->Step(1);
            QCOMPARE(zoom.edtZoomRate->Text(), QStringLiteral("1000"));
            // Pinned at the top right with room for a vertical bar.
            QCOMPARE(zoom.pnlControl->geometry(), QRect(1024 - 66 - 24, 5, 66, 544));
            QCOMPARE(zoom.PanelPos, zoom.pnlControl->geometry());
        }));
        QCOMPARE(z.platform.modals, std::vector<QString> {QStringLiteral("TZoomForm")});
        QVERIFY(z.platform.messages.empty());
    }

    // A picture under 5 pixels a side opens at its own size without a message; only steps are refused.
    void tinyPictureOpens()
    {
        Zoomer z;
        QVERIFY(z.ZoomBitmap(3, 4, [&](TZoomForm& zoom) {
            CheckShown(zoom, 100, 3, 4);
            QVERIFY(z.platform.messages.empty());
            zoom.btnZIn->click();
            CheckShown(zoom, 100, 3, 4);
        }));
        QCOMPARE(z.platform.messages.size(), size_t(1));
    }

    // A JPEG file of no bytes: the window opens on nothing, reads 0 x 0, and says once why.
    void emptyJpegReadsNothing()
    {
        Zoomer z;
        WriteBytes(z.Path(QStringLiteral("a.jpg")), QByteArray());
        z.OpenWindow();
        z.platform.messages.clear(); // the page's own report of the cell
        QVERIFY(z.Zoom(1, [&](TZoomForm& zoom) {
            zoom.btnZIn->click();
            CheckShown(zoom, 100, 0, 0);
        }));
        QCOMPARE(z.platform.messages.size(), size_t(1));
        QCOMPARE(z.platform.messages[0].text, QStringLiteral("JPEG error #%1.").arg(JpegEmptyInputCode()));
    }

    // The busy cursor stays until the picture is drawn: at the opening and at each step.
    void busyUntilDrawn()
    {
        Zoomer z;
        QVERIFY(z.ZoomBitmap(600, 400, [&](TZoomForm& zoom) {
            std::vector<int> depths; // the busy depth as each paint began
            PaintWatch watch([&] { depths.push_back(z.platform.busyDepth); });
            zoom.imgZoom->installEventFilter(&watch);
            for (const auto& act : std::initializer_list<std::function<void()>> {
                     [&] { QVERIFY(QTest::qWaitFor([&] { return !depths.empty(); })); },
                     [&] { zoom.btnZIn->click(); }}) {
                depths.clear();
                act();
                QVERIFY(!depths.empty() && depths.front() == 1);
                QCOMPARE(z.platform.busyDepth, 0);
            }
        }));
    }

    // The panels and bars show the button face, not the window's white, and the help shows its
    // whole text without scrolling in a larger font too.
    void panelsAndHelpInAnyFont_data()
    {
        QTest::addColumn<int>("larger"); // points added to the font
        QTest::newRow("usual font") << 0;
        QTest::newRow("larger font") << 3;
    }
    void panelsAndHelpInAnyFont()
    {
        QFETCH(int, larger);
        const auto font = ApplicationFontAt(QApplication::font().pointSizeF() + larger);
        Zoomer z;
        const QColor face = QApplication::palette().color(QPalette::Window);
        QVERIFY(face != QColor(Qt::white));
        QVERIFY(z.ZoomBitmap(2000, 1500, [&](TZoomForm& zoom) {
            for (QWidget* w : std::initializer_list<QWidget*> {zoom.pnlControl, zoom.pnlHelp, zoom.VertScrollBar(),
                                                               zoom.HorzScrollBar()})
                QCOMPARE(w->palette().color(QPalette::Window), face);
            zoom.btnHelp->click();
            QCoreApplication::processEvents();
            QCOMPARE(zoom.mmoHelp->verticalScrollBar()->maximum(), 0);
            QVERIFY(zoom.pnlHelp->geometry().bottom() < 768);
        }));
    }

    // Steps are always taken from the base at 100 per cent.
    void stepsInAndOut()
    {
        Zoomer z;
        QVERIFY(z.ZoomBitmap(1000, 800, [&](TZoomForm& zoom) {
            const int busy = z.platform.busyDepth;
            zoom.btnZIn->click();
            CheckShown(zoom, 110, 1100, 880);
            QVERIFY(zoom.btnZFit->isEnabled());
            zoom.btnZOut->click();
            CheckShown(zoom, 100, 1000, 800);
            QCOMPARE(z.platform.busyDepth, busy);
            // Letters in the box count as 10, and the box keeps them.
            SetStep(zoom, QStringLiteral("ab"));
            zoom.btnZOut->click();
            CheckShown(zoom, 90, 900, 720);
            QCOMPARE(zoom.ZoomStep, 10);
            // A typed step beyond the arrows' range is taken as it is.
            SetStep(zoom, QStringLiteral("2000"));
            zoom.btnZIn->click();
            CheckShown(zoom, 2090, 20900, 16720);
        }));
        QVERIFY(z.platform.messages.empty());
    }

    void refusedSteps_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QString>("step");
        QTest::addColumn<bool>("zoomIn");
        QTest::addColumn<QString>("message");
        QTest::newRow("too much zoom out")
            << 100 << 40 << QStringLiteral("90") << false << QStringLiteral("Too Much Zoom Out");
        QTest::newRow("ratio below zero")
            << 100 << 40 << QStringLiteral("-200") << true << QStringLiteral("Too Much Zoom Out");
        // 1000 at 6600 per cent is 66,000 pixels, beyond the picture layer's 65,535.
        QTest::newRow("giant zoom") << 1000 << 800 << QStringLiteral("6500") << true
                                    << QStringLiteral("Could not resize image");
        QTest::newRow("step beyond 32 bits")
            << 1000 << 800 << QStringLiteral("2147483647") << true << QStringLiteral("Could not resize image");
    }
    void refusedSteps()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QString, step);
        QFETCH(bool, zoomIn);
        QFETCH(QString, message);
        Zoomer z;
        QVERIFY(z.ZoomBitmap(width, height, [&](TZoomForm& zoom) {
            QTRY_COMPARE(z.platform.busyDepth, 0); // the opening is drawn
            SetStep(zoom, step);
            (zoomIn ? zoom.btnZIn : zoom.btnZOut)->click();
            CheckShown(zoom, 100, width, height);
            QCOMPARE(z.platform.busyDepth, 0);
        }));
        QCOMPARE(z.platform.messages.size(), size_t(1));
        QCOMPARE(z.platform.messages[0].text, message);
    }

    void zoomFit_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("ratio");
        QTest::addColumn<int>("fitWidth");
        QTest::addColumn<int>("fitHeight");
        QTest::newRow("wide") << 2000 << 600 << 51 << 1020 << 306;
        QTest::newRow("height bounds") << 1000 << 900 << 85 << 850 << 765;
        QTest::newRow("upright") << 600 << 1000 << 76 << 456 << 760;
        QTest::newRow("small, enlarged") << 200 << 100 << 512 << 1024 << 512;
    }
    void zoomFit()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, ratio);
        QFETCH(int, fitWidth);
        QFETCH(int, fitHeight);
        Zoomer z;
        QVERIFY(z.ZoomBitmap(width, height, [&](TZoomForm& zoom) {
            // The fit starts from 100 per cent whatever is shown, and keeps the last used step.
            SetStep(zoom, QStringLiteral("25"));
            zoom.btnZIn->click();
            SetStep(zoom, QStringLiteral("40"));
            zoom.btnZFit->click();
            CheckShown(zoom, ratio, fitWidth, fitHeight);
            QVERIFY(!zoom.btnZFit->isEnabled());
            QCOMPARE(zoom.edtZoomRate->Text(), QStringLiteral("25"));
            QCOMPARE(zoom.ZoomStep, 25);
            QVERIFY(zoom.VertRange() == 0 && zoom.HorzRange() == 0);
            zoom.btnZIn->click();
            QVERIFY(zoom.btnZFit->isEnabled());
            QCOMPARE(zoom.ZoomRatio, ratio + 25);
        }));
    }

    // A fit whose step is refused (20 per cent of 6 pixels is 1) leaves ratio and picture as they were.
    void refusedFitChangesNothing()
    {
        Zoomer z;
        QVERIFY(z.ZoomBitmap(5000, 6, [&](TZoomForm& zoom) {
            zoom.btnZIn->click();
            zoom.btnZFit->click();
            CheckShown(zoom, 110, 5500, 7);
            QCOMPARE(zoom.edtZoomRate->Text(), QStringLiteral("10"));
        }));
        QCOMPARE(z.platform.messages.size(), size_t(1));
        QCOMPARE(z.platform.messages[0].text, QStringLiteral("Too Much Zoom Out"));
    }

    void scrollBars()
    {
        Zoomer z;
        QVERIFY(z.ZoomBitmap(600, 1000, [&](TZoomForm& zoom) {
            QCOMPARE(zoom.VertRange(), 1000);
            QCOMPARE(zoom.HorzRange(), 0);
            QVERIFY(zoom.VertScrollBar()->isVisible());
            QVERIFY(!zoom.HorzScrollBar()->isVisible());
            QCOMPARE(zoom.VertScrollBar()->maximum(), 1000 - zoom.sbxZoom->viewport()->height());
            // 768 high is no longer taller than the screen: the bar goes.
            SetStep(zoom, QStringLiteral("24"));
            zoom.btnZOut->click();
            QCOMPARE(zoom.CurHeight, 760);
            QCOMPARE(zoom.VertRange(), 0);
            QVERIFY(!zoom.VertScrollBar()->isVisible());
            SetStep(zoom, QStringLiteral("100"));
            zoom.btnZIn->click();
            QCOMPARE(zoom.VertRange(), 1760);
            QCOMPARE(zoom.HorzRange(), 1056);
        }));
    }

    // The panel stays where it was pinned while the picture moves beneath it, by the bars,
    // the wheel or a middle-button drag.
    void panelPinnedWhileScrolling()
    {
        Zoomer z;
        QVERIFY(z.ZoomBitmap(3000, 2000, [&](TZoomForm& zoom) {
            const QRect pinned = zoom.pnlControl->geometry();
            const QPoint onScreen = zoom.pnlControl->mapToGlobal(QPoint(0, 0));
            QScrollBar* vert = zoom.VertScrollBar();
            QScrollBar* horz = zoom.HorzScrollBar();
            vert->setValue(vert->maximum());
            horz->setValue(500);
            QCOMPARE(zoom.imgZoom->pos(), QPoint(-500, -vert->maximum()));
            QWheelEvent down(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                             Qt::NoScrollPhase, false);
            QApplication::sendEvent(zoom.imgZoom, &down);
            QCOMPARE(vert->value(), vert->maximum() - 3 * vert->singleStep());
            QWheelEvent side(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, -120), Qt::NoButton,
                             Qt::ShiftModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(zoom.imgZoom, &side);
            QCOMPARE(horz->value(), 500 + 3 * horz->singleStep());
            const int h = horz->value(), v = vert->value();
            QTest::mousePress(zoom.imgZoom, Qt::MiddleButton, {}, QPoint(400, 300));
            QMouseEvent move(QEvent::MouseMove, QPointF(300, 250), zoom.imgZoom->mapToGlobal(QPointF(300, 250)),
                             Qt::NoButton, Qt::MiddleButton, Qt::NoModifier);
            QApplication::sendEvent(zoom.imgZoom, &move);
            QCOMPARE(horz->value(), h + 100);
            QCOMPARE(vert->value(), v + 50);
            QTest::mouseRelease(zoom.imgZoom, Qt::MiddleButton, {}, QPoint(300, 250));
            zoom.repaint();
            QCOMPARE(zoom.pnlControl->geometry(), pinned);
            QCOMPARE(zoom.pnlControl->mapToGlobal(QPoint(0, 0)), onScreen);
            QVERIFY(zoom.pnlControl->isVisible());
            // Moved by hand, the panel goes back to its pinned place at the next scroll.
            zoom.pnlControl->move(10, 10);
            vert->setValue(0);
            QCOMPARE(zoom.pnlControl->geometry(), pinned);
        }));
    }

    void mouseReadouts_data()
    {
        QTest::addColumn<QPoint>("cursor");
        QTest::addColumn<QString>("x");
        QTest::addColumn<QString>("y");
        QTest::newRow("on the picture") << QPoint(120, 80) << QStringLiteral("120") << QStringLiteral("80");
        QTest::newRow("on the edge") << QPoint(300, 200) << QStringLiteral("300") << QStringLiteral("200");
        QTest::newRow("right of it") << QPoint(301, 20) << QString() << QString();
        QTest::newRow("below it") << QPoint(20, 201) << QString() << QString();
    }
    void mouseReadouts()
    {
        QFETCH(QPoint, cursor);
        Zoomer z;
        QVERIFY(z.ZoomBitmap(300, 200, [&](TZoomForm& zoom) {
            zoom.edtMX->setText(QStringLiteral("old"));
            z.platform.cursor = zoom.mapToGlobal(cursor);
            QMouseEvent move(QEvent::MouseMove, QPointF(cursor), QPointF(z.platform.cursor), Qt::NoButton, Qt::NoButton,
                             Qt::NoModifier);
            QApplication::sendEvent(zoom.imgZoom, &move);
            QTEST(zoom.edtMX->text(), "x");
            QTEST(zoom.edtMY->text(), "y");
        }));
    }

    void escapeFromAnyControl_data()
    {
        QTest::addColumn<QString>("control");
        QTest::newRow("window") << QString();
        QTest::newRow("Zoom Fit") << QStringLiteral("btnZFit");
        QTest::newRow("step box") << QStringLiteral("edtZoomRate");
        QTest::newRow("Zoom In") << QStringLiteral("btnZIn");
        QTest::newRow("Return") << QStringLiteral("btnClose");
        QTest::newRow("picture") << QStringLiteral("imgZoom");
    }
    void escapeFromAnyControl()
    {
        QFETCH(QString, control);
        Zoomer z;
        bool closed = false, released = false;
        QVERIFY(z.ZoomBitmap(300, 200, [&](TZoomForm& zoom) {
            QWidget* target = &zoom;
            if (control == QStringLiteral("edtZoomRate"))
                target = zoom.edtZoomRate->Edit();
            else if (!control.isEmpty())
                target = zoom.findChild<QWidget*>(control);
            QVERIFY(target);
            target->setFocus();
            QTest::keyClick(target, Qt::Key_Escape);
            closed = !zoom.isVisible();
            released = !zoom.WholeBitmap && !zoom.SubSectionBitmap && zoom.imgZoom->Source().Empty();
        }));
        QVERIFY(closed);
        QVERIFY(released);
    }

    // From a button, each key in turn: + (=) and - step, 0 and * fit (not once fitted), the
    // arrows and the page keys scroll by the bars' steps; the step box keeps what it types.
    void keys_data()
    {
        QTest::addColumn<QString>("keys");
        QTest::addColumn<bool>("inBox");
        QTest::addColumn<QString>("expected"); // the ratio, or the bars' moves by a step (s) or a page (p)
        QTest::newRow("zoom") << "+ = - 0 * + *" << false << "110 120 110 25 25 35 25";
        QTest::newRow("scroll") << "Right Down PgDown Left Up PgUp" << false << "s,0 0,s 0,p -s,0 0,-s 0,-p";
        QTest::newRow("step box") << "- PgDown" << true << "0,0 0,p";
    }
    void keys()
    {
        QFETCH(QString, keys);
        QFETCH(bool, inBox);
        Zoomer z;
        QVERIFY(z.ZoomBitmap(3000, 3000, [&](TZoomForm& zoom) {
            QScrollBar* horz = zoom.HorzScrollBar();
            QScrollBar* vert = zoom.VertScrollBar();
            horz->setValue(800);
            vert->setValue(800);
            (inBox ? zoom.edtZoomRate->Edit() : static_cast<QWidget*>(zoom.btnZIn))->setFocus();
            zoom.activateWindow();
            QStringList after;
            for (const QString& key : keys.split(u' ')) {
                const int h = horz->value(), v = vert->value();
                QTest::keyClick(zoom.windowHandle(), Qt::Key(QKeySequence::fromString(key)[0].key()));
                after << (zoom.ZoomRatio != 100
                              ? QString::number(zoom.ZoomRatio)
                              : QStringLiteral("%1,%2").arg(horz->value() - h).arg(vert->value() - v));
            }
            QFETCH(QString, expected);
            const QString step = QString::number(vert->singleStep()), page = QString::number(vert->pageStep());
            QCOMPARE(after.join(u' '), expected.replace(u's', step).replace(u'p', page));
            QCOMPARE(zoom.edtZoomRate->Text(), inBox ? "10-" : "10");
        }));
    }

    void returnCloses()
    {
        Zoomer z;
        bool closed = false;
        QVERIFY(z.ZoomBitmap(300, 200, [&](TZoomForm& zoom) {
            zoom.btnClose->click();
            closed = !zoom.isVisible() && !zoom.WholeBitmap;
        }));
        QVERIFY(closed);
    }

    // ".jpeg" is a JPEG like ".jpg": decoded at full size, zoomed the same to the pixel.
    void jpegAndJpegZoomAlike()
    {
        Zoomer z;
        WriteTestJpeg(z.Path(QStringLiteral("a.jpeg")), 500, 300, false, 6);
        WriteTestJpeg(z.Path(QStringLiteral("b.jpg")), 500, 300, false, 6);
        QImage shown[2];
        for (int n : {1, 2}) {
            QVERIFY(z.Zoom(n, [&](TZoomForm& zoom) {
                QCOMPARE(zoom.PictureExt, n == 1 ? QStringLiteral(".jpeg") : QStringLiteral(".jpg"));
                QVERIFY(zoom.WholeBitmap && zoom.WholeBitmap->Width() == 500);
                zoom.btnZIn->click();
                CheckShown(zoom, 110, 550, 330);
                shown[n - 1] = zoom.imgZoom->Region(QRect(0, 0, 550, 330));
            }));
        }
        QCOMPARE(shown[0], shown[1]);
        // Not a blank: the picture's own colours reach the zoomed pixels.
        QVERIFY(MaxDifference(shown[0], QImage(550, 330, QImage::Format_RGB32)) > 0);
        QVERIFY(z.platform.messages.empty());
    }

    // What is painted, drawn only where shown, matches a whole smooth resample of the base.
    void paintedPixelsMatchWholeResample_data()
    {
        QTest::addColumn<QString>("step");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<bool>("scrolled");
        QTest::newRow("200 %, top left") << QStringLiteral("100") << 1 << false;
        QTest::newRow("200 %, bottom right, scrolled") << QStringLiteral("100") << 1 << true;
        QTest::newRow("60 %, reduced") << QStringLiteral("40") << -1 << false;
        QTest::newRow("35 %, reduced more than two to one") << QStringLiteral("65") << -1 << false;
        QTest::newRow("20 %, from a reduced copy") << QStringLiteral("80") << -1 << false;
    }
    void paintedPixelsMatchWholeResample()
    {
        QFETCH(QString, step);
        QFETCH(int, clicks);
        QFETCH(bool, scrolled);
        Zoomer z;
        const int w = 1200, h = 900;
        QVERIFY(z.ZoomBitmap(w, h, [&](TZoomForm& zoom) {
            SetStep(zoom, step);
            (clicks > 0 ? zoom.btnZIn : zoom.btnZOut)->click();
            const QSize size(zoom.CurWidth, zoom.CurHeight);
            QScrollBar* vert = zoom.VertScrollBar();
            QScrollBar* horz = zoom.HorzScrollBar();
            if (scrolled) {
                vert->setValue(vert->maximum());
                horz->setValue(horz->maximum());
            }
            const QRect corner = scrolled ? QRect(size.width() - 96, size.height() - 96, 96, 96)
                                          : QRect(0, 0, std::min(96, size.width()), std::min(96, size.height()));
            const QImage painted = zoom.imgZoom->grab(corner).toImage().convertToFormat(QImage::Format_RGB32);
            const QImage whole = MakeTestImage(w, h, 4).scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
            const QImage expected = whole.copy(corner).convertToFormat(QImage::Format_RGB32);
            QCOMPARE(painted.size(), corner.size());
            const int worst = MaxDifference(painted, expected);
            // Both average areas when reducing and interpolate when enlarging; only rounding differs.
            QVERIFY2(worst <= 3, qPrintable(QStringLiteral("difference %1").arg(worst)));
            // The same part made for a cut or a save is what was painted.
            QCOMPARE(zoom.imgZoom->Region(corner), painted);
            const TBitmap cut = zoom.ZoomedPixels(corner);
            QCOMPARE(QSize(cut.Width(), cut.Height()), corner.size());
        }));
    }

    // A drag draws what it uncovers beside what was on screen: after small moves the picture
    // shown is the one a fresh drawing makes.
    // With a display profile, what is kept from the last paint and what a drag uncovers are
    // each mapped once to the display's colours.
    void dragShowsThePicture_data()
    {
        QTest::addColumn<QString>("step");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<QByteArray>("display");
        QTest::newRow("35 %, reduced") << QStringLiteral("65") << -1 << QByteArray();
        QTest::newRow("200 %, enlarged") << QStringLiteral("100") << 1 << QByteArray();
        QTest::newRow("35 %, display profile") << QStringLiteral("65") << -1 << testprofiles::WideV4();
        QTest::newRow("200 %, display profile") << QStringLiteral("100") << 1 << testprofiles::WideV4();
    }
    void dragShowsThePicture()
    {
        QFETCH(QString, step);
        QFETCH(int, clicks);
        QFETCH(QByteArray, display);
        Zoomer z;
        z.platform.displayProfile = [display] { return display; };
        const std::shared_ptr<void> srgbAgain(nullptr, [&](void*) {
            z.platform.displayProfile = nullptr;
            UpdateScreenColour(z.platform);
        });
        QVERIFY(z.ZoomBitmap(4000, 3000, [&](TZoomForm& zoom) {
            SetStep(zoom, step);
            (clicks > 0 ? zoom.btnZIn : zoom.btnZOut)->click();
            QCoreApplication::processEvents();
            for (int i = 0; i < 6; ++i) {
                zoom.HorzScrollBar()->setValue(zoom.HorzScrollBar()->value() + 17);
                zoom.VertScrollBar()->setValue(zoom.VertScrollBar()->value() + 11);
                zoom.imgZoom->repaint(zoom.imgZoom->visibleRegion());
            }
            QVERIFY(zoom.HorzScrollBar()->value() > 0 && zoom.VertScrollBar()->value() > 0);
            const QRect visible = zoom.imgZoom->visibleRegion().boundingRect();
            const QImage shown = zoom.imgZoom->grab(visible).toImage().convertToFormat(QImage::Format_RGB32);
            QImage expected = zoom.imgZoom->Region(visible);
            if (!display.isEmpty())
                SrgbToProfile(display)->MapImage(expected);
            QCOMPARE(shown, expected);
        }));
    }
};

QTEST_MAIN(TestZoom)
#include "test_zoom.moc"
