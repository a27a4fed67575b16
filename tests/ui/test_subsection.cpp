// The zoom window's sub-section, Reset, Save, help panel and panel dragging, driven offscreen
// through the scripted platform on real files.
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>
#include <functional>
#include "controls/ImageControl.h"
#include "controls/UpDownEdit.h"
#include "MainWindowFixture.h"
#include "TestPictures.h"
#include "ui/save/Save.h"
#include "ui/zoom/FocusOutline.h"
#include "ui/zoom/Zoom.h"
#include "ui/zoom/ZoomImage.h"

using Stroke = QList<QPoint>; // press, moves, release

namespace {
struct Zoomer : MainWindowFixture<> {
    // Opens the zoom window on a test bitmap; a save window it opens goes to `onSave`.
    bool ZoomBitmap(int width, int height, const std::function<void(TZoomForm&)>& body,
                    const std::function<void(TSaveForm&)>& onSave = nullptr)
    {
        WriteTestBitmap(Path(QStringLiteral("a.bmp")), width, height, 4);
        OpenWindow();
        platform.menuChoices = {QStringLiteral("Zoom or Sub Section")};
        bool shown = false;
        platform.onModal = [&](QDialog& dialog) {
            if (auto* zoom = qobject_cast<TZoomForm*>(&dialog)) {
                shown = true;
                body(*zoom);
            } else if (auto* save = qobject_cast<TSaveForm*>(&dialog); save && onSave) {
                onSave(*save);
            }
            return int(QDialog::Rejected);
        };
        form->AllImageClick(form->Thumbnail(1));
        platform.onModal = nullptr;
        return shown;
    }
    // A mouse event on `target` at `at`, with the pointer there too, as the read-outs use it.
    void Mouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
    {
        platform.cursor = target->mapToGlobal(at);
        QMouseEvent event(type, QPointF(at), QPointF(platform.cursor), button, held, Qt::NoModifier);
        QApplication::sendEvent(target, &event);
    }
    void Drag(QWidget* target, const Stroke& path, Qt::MouseButton button = Qt::LeftButton)
    {
        Mouse(target, QEvent::MouseButtonPress, path.front(), button, button);
        for (qsizetype i = 1; i + 1 < path.size(); ++i)
            Mouse(target, QEvent::MouseMove, path[i], Qt::NoButton, button);
        Mouse(target, QEvent::MouseButtonRelease, path.back(), button, Qt::NoButton);
    }
    void Cut(TZoomForm& zoom) { Drag(zoom.imgZoom, {QPoint(10, 20), QPoint(110, 60), QPoint(110, 60)}); }
};

QImage Pixels(const TBitmap& bitmap)
{
    return bitmap.Image().convertToFormat(QImage::Format_RGB32);
}
}

class TestSubSection : public QObject {
    Q_OBJECT
private slots:
    void band_data()
    {
        QTest::addColumn<Stroke>("path");
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QRect>("cut"); // empty: nothing cut
        const QRect none;
        const QRect band(11, 21, 97, 37);
        QTest::newRow("click") << Stroke {{50, 50}, {50, 50}, {50, 50}} << int(Qt::LeftButton) << QString() << none;
        QTest::newRow("tiny drag") << Stroke {{50, 50}, {53, 54}, {53, 54}} << int(Qt::LeftButton) << QString() << none;
        QTest::newRow("right button") << Stroke {{10, 20}, {110, 60}, {110, 60}} << int(Qt::RightButton) << QString()
                                      << none;
        QTest::newRow("press right of the picture")
            << Stroke {{301, 20}, {200, 100}, {200, 100}} << int(Qt::LeftButton) << QString() << none;
        QTest::newRow("press below the picture")
            << Stroke {{20, 201}, {100, 100}, {100, 100}} << int(Qt::LeftButton) << QString() << none;
        QTest::newRow("4 x 100") << Stroke {{10, 20}, {14, 120}, {14, 120}} << int(Qt::LeftButton)
                                 << QStringLiteral("Selection too narrow") << none;
        QTest::newRow("5 x 5") << Stroke {{10, 20}, {15, 25}, {15, 25}} << int(Qt::LeftButton) << QString()
                               << QRect(11, 21, 2, 2);
        QTest::newRow("down and right") << Stroke {{10, 20}, {110, 60}, {110, 60}} << int(Qt::LeftButton) << QString()
                                        << band;
        QTest::newRow("up and left") << Stroke {{110, 60}, {10, 20}, {10, 20}} << int(Qt::LeftButton) << QString()
                                     << band;
        QTest::newRow("press on the edge") << Stroke {{300, 200}, {200, 100}, {200, 100}} << int(Qt::LeftButton)
                                           << QString() << QRect(201, 101, 97, 97);
        // Moves off the picture leave the band; the release still ends it, on the picture's edge.
        QTest::newRow("released beyond the right and bottom")
            << Stroke {{250, 150}, {290, 190}, {350, 260}, {400, 300}} << int(Qt::LeftButton) << QString()
            << QRect(251, 151, 47, 47);
    }
    void band()
    {
        QFETCH(Stroke, path);
        QFETCH(int, button);
        QFETCH(QString, message);
        QFETCH(QRect, cut);
        Zoomer z;
        const QImage picture = MakeTestImage(300, 200, 4).convertToFormat(QImage::Format_RGB32);
        QVERIFY(z.ZoomBitmap(300, 200, [&](TZoomForm& zoom) {
            z.Drag(zoom.imgZoom, path, Qt::MouseButton(button));
            QVERIFY(!zoom.SelBand->isVisible());
            QCOMPARE(zoom.HasSubSection, !cut.isEmpty());
            QCOMPARE(zoom.ZoomRatio, 100);
            if (cut.isEmpty()) {
                QCOMPARE(zoom.imgZoom->ZoomedSize(), QSize(300, 200));
                QVERIFY(!zoom.SubSectionBitmap);
                return;
            }
            QVERIFY(!zoom.Selecting);
            QCOMPARE(QSize(zoom.CurWidth, zoom.CurHeight), cut.size());
            QCOMPARE(zoom.edtWidth->text(), QString::number(cut.width()));
            QCOMPARE(QSize(zoom.BaseWidth, zoom.BaseHeight), cut.size());
            QCOMPARE(Pixels(*zoom.SubSectionBitmap), picture.copy(cut));
        }));
        QStringList texts;
        for (const auto& m : z.platform.messages)
            texts << m.text;
        QCOMPARE(texts, message.isEmpty() ? QStringList() : QStringList {message});
    }

    // The band follows the mouse while the left button is held, as a dotted outline on the window.
    void bandShownWhileDragging()
    {
        Zoomer z;
        QVERIFY(z.ZoomBitmap(300, 200, [&](TZoomForm& zoom) {
            z.Mouse(zoom.imgZoom, QEvent::MouseButtonPress, {110, 60}, Qt::LeftButton, Qt::LeftButton);
            QVERIFY(!zoom.SelBand->isVisible());
            z.Mouse(zoom.imgZoom, QEvent::MouseMove, {10, 20}, Qt::NoButton, Qt::LeftButton);
            QVERIFY(zoom.SelBand->isVisible());
            QCOMPARE(zoom.SelBand->geometry(), QRect(10, 20, 100, 40));
            // A move without the button gives the band up; the release then does nothing.
            z.Mouse(zoom.imgZoom, QEvent::MouseMove, {20, 30}, Qt::NoButton, Qt::NoButton);
            QVERIFY(!zoom.Selecting);
            QVERIFY(!zoom.SelBand->isVisible());
            z.Mouse(zoom.imgZoom, QEvent::MouseButtonRelease, {20, 30}, Qt::LeftButton, Qt::NoButton);
            QVERIFY(!zoom.HasSubSection);
        }));
    }

    // A scrolled picture is cut where the band lies on it; the bars go back to the top left.
    void cutWhileScrolled()
    {
        Zoomer z;
        const QImage picture = MakeTestImage(3000, 2000, 4).convertToFormat(QImage::Format_RGB32);
        QVERIFY(z.ZoomBitmap(3000, 2000, [&](TZoomForm& zoom) {
            zoom.HorzScrollBar()->setValue(500);
            zoom.VertScrollBar()->setValue(300);
            // The picture's own coordinates: the window's (10, 20) to (110, 60).
            z.Drag(zoom.imgZoom, {QPoint(510, 320), QPoint(610, 360), QPoint(610, 360)});
            QCOMPARE(zoom.SelAnchor, QPoint(10, 20));
            QCOMPARE(Pixels(*zoom.SubSectionBitmap), picture.copy(QRect(511, 321, 97, 37)));
            QCOMPARE(zoom.HorzScrollBar()->value(), 0);
            QCOMPARE(zoom.VertScrollBar()->value(), 0);
        }));
    }

    // At 200 per cent the cut holds the zoomed pixels at 100, and Zoom Fit fits the cut.
    void cutOfZoomedPicture()
    {
        Zoomer z;
        const QImage picture = MakeTestImage(300, 200, 4).convertToFormat(QImage::Format_RGB32);
        QVERIFY(z.ZoomBitmap(300, 200, [&](TZoomForm& zoom) {
            zoom.edtZoomRate->SetText(QStringLiteral("100"));
            zoom.btnZIn->click();
            const QRect area(11, 21, 97, 37);
            const QImage zoomed = Pixels(zoom.ZoomedPixels(area));
            QVERIFY(zoomed != picture.copy(area));
            z.Cut(zoom);
            QCOMPARE(Pixels(*zoom.SubSectionBitmap), zoomed);
            QCOMPARE(zoom.edtRatio->text(), QStringLiteral("100"));
            QCOMPARE(zoom.edtWidth->text(), QStringLiteral("97"));
            QCOMPARE(zoom.edtHeight->text(), QStringLiteral("37"));
            QVERIFY(zoom.btnZFit->isEnabled());
            // 1024 / 97 gives a step of 955: 1023 x 390.
            zoom.btnZFit->click();
            QCOMPARE(zoom.ZoomRatio, 1055);
            QCOMPARE(QSize(zoom.CurWidth, zoom.CurHeight), QSize(1023, 390));
        }));
    }

    void reset_data()
    {
        QTest::addColumn<QString>("steps"); // C cut, I zoom in, O zoom out, R reset
        QTest::addColumn<QSize>("shown");
        QTest::addColumn<bool>("subSection");
        const QSize whole(300, 200), cut(97, 37);
        QTest::newRow("reset of the whole picture") << QStringLiteral("IR") << whole << false;
        QTest::newRow("cut, in, reset") << QStringLiteral("CIR") << cut << true;
        QTest::newRow("cut, in, reset twice") << QStringLiteral("CIRR") << whole << false;
        QTest::newRow("cut, in, reset three times") << QStringLiteral("CIRRR") << whole << false;
        QTest::newRow("cut, reset") << QStringLiteral("CR") << whole << false;
        QTest::newRow("cut, in, out, reset") << QStringLiteral("CIOR") << whole << false;
        QTest::newRow("cut, reset, in, reset") << QStringLiteral("CRIR") << whole << false;
    }
    void reset()
    {
        QFETCH(QString, steps);
        QFETCH(QSize, shown);
        QFETCH(bool, subSection);
        Zoomer z;
        QVERIFY(z.ZoomBitmap(300, 200, [&](TZoomForm& zoom) {
            for (QChar step : steps) {
                switch (step.toLatin1()) {
                case 'C': z.Cut(zoom); break;
                case 'I': zoom.btnZIn->click(); break;
                case 'O': zoom.btnZOut->click(); break;
                default: zoom.btnReset->click(); break;
                }
            }
            QCOMPARE(zoom.HasSubSection, subSection);
            QCOMPARE(zoom.ZoomRatio, 100);
            QCOMPARE(zoom.imgZoom->ZoomedSize(), shown);
            QCOMPARE(QSize(zoom.BaseWidth, zoom.BaseHeight), shown);
            QVERIFY(zoom.btnZFit->isEnabled());
        }));
        QVERIFY(z.platform.messages.empty());
    }

    void save_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QSize>("handed"); // empty: no save window
        QTest::addColumn<QString>("message");
        QTest::newRow("as shown") << QString() << QStringLiteral("As Bitmap") << QSize(1000, 800) << QString();
        QTest::newRow("after Zoom In") << QStringLiteral("I") << QStringLiteral("As Bitmap") << QSize(1100, 880)
                                       << QString();
        QTest::newRow("after Zoom In, as JPEG")
            << QStringLiteral("I") << QStringLiteral("As JPeg") << QSize(1100, 880) << QString();
        QTest::newRow("after a cut") << QStringLiteral("C") << QStringLiteral("As Bitmap") << QSize(97, 37)
                                     << QString();
        // 20,900 x 16,720 would take more than the picture layer allows.
        QTest::newRow("too large") << QStringLiteral("G") << QStringLiteral("As Bitmap") << QSize()
                                   << QStringLiteral("Could not resize image");
    }
    void save()
    {
        QFETCH(QString, steps);
        QFETCH(QString, entry);
        QFETCH(QSize, handed);
        QFETCH(QString, message);
        Zoomer z;
        const QString elsewhere = QDir::tempPath();
        const QString written = z.Path(QStringLiteral("out.bmp"));
        QString before;
        QSize seen, preview;
        bool fromZoom = false;
        int kind = 0;
        const bool bitmap = entry == QStringLiteral("As Bitmap");
        QVERIFY(z.ZoomBitmap(
            1000, 800,
            [&](TZoomForm& zoom) {
                for (QChar step : steps) {
                    if (step == u'G')
                        zoom.edtZoomRate->SetText(QStringLiteral("2000"));
                    if (step == u'C')
                        z.Cut(zoom);
                    else
                        zoom.btnZIn->click();
                }
                before = z.platform.CurrentFolder();
                z.platform.menuChoices = {entry};
                z.platform.cursor = QPoint(500, 400);
                zoom.btnSave->click();
                QCOMPARE(z.platform.menus.back().pos, QPoint(395, 385));
                QCOMPARE(z.platform.menus.back().texts,
                         (QStringList {QStringLiteral("As JPeg"), QStringLiteral("As Bitmap")}));
                QCOMPARE(z.platform.CurrentFolder(), before);
            },
            [&](TSaveForm& save) {
                fromZoom = save.FromZoom && !save.ThumbnailMode && save.ThumbIndex == 1;
                kind = save.SaveKind;
                const TPicture& shown = (bitmap ? save.imgBit : save.imgJPeg)->Picture();
                seen = QSize(shown.Width(), shown.Height());
                // The save dialog may move the working folder; the zoom window puts it back.
                z.platform.SetCurrentFolder(elsewhere);
                if (bitmap) {
                    z.platform.saveAnswers = {written};
                    save.btnBSAccept->click();
                }
            }));
        QCOMPARE(seen, handed);
        if (handed.isEmpty()) {
            QCOMPARE(z.platform.messages.size(), size_t(1));
            QCOMPARE(z.platform.messages[0].text, message);
            return;
        }
        QVERIFY(fromZoom);
        QCOMPARE(kind, bitmap ? int(kSaveAsBitmap) : int(kSaveAsJpeg));
        if (bitmap)
            QCOMPARE(QImage(written).size(), handed);
        QVERIFY(z.platform.messages.empty());
    }

    void panelDrag_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QPoint>("moved");
        QTest::addColumn<QPoint>("place"); // the panel starts at 934, 5
        QTest::newRow("to the left edge") << QStringLiteral("pnlControl") << QPoint(-934, 0) << QPoint(0, 5);
        QTest::newRow("beyond the left edge") << QStringLiteral("lblZoom") << QPoint(-935, 7) << QPoint(934, 5);
        QTest::newRow("to the right limit") << QStringLiteral("lblZRate") << QPoint(10, 0) << QPoint(944, 5);
        QTest::newRow("beyond the right limit") << QStringLiteral("lblZoom") << QPoint(11, 0) << QPoint(934, 5);
        QTest::newRow("far down") << QStringLiteral("lblZoom") << QPoint(-100, 2000) << QPoint(834, 2005);
        QTest::newRow("above the screen") << QStringLiteral("pnlControl") << QPoint(0, -500) << QPoint(934, -495);
    }
    void panelDrag()
    {
        QFETCH(QString, control);
        QFETCH(QPoint, moved);
        QFETCH(QPoint, place);
        Zoomer z;
        QVERIFY(z.ZoomBitmap(300, 200, [&](TZoomForm& zoom) {
            auto* target = zoom.findChild<QWidget*>(control);
            QVERIFY(target);
            const QRect pinned = zoom.pnlControl->geometry();
            const QPoint grab(30, 8);
            z.Mouse(target, QEvent::MouseButtonPress, grab, Qt::LeftButton, Qt::LeftButton);
            z.Mouse(target, QEvent::MouseMove, grab + moved, Qt::NoButton, Qt::LeftButton);
            // Only the outline follows, over an accepted place.
            QCOMPARE(zoom.pnlControl->geometry(), pinned);
            QCOMPARE(zoom.PanelOutline->isVisible(), place != pinned.topLeft());
            if (zoom.PanelOutline->isVisible())
                QCOMPARE(zoom.PanelOutline->geometry(), QRect(place, pinned.size()));
            zoom.repaint();
            QCOMPARE(zoom.pnlControl->geometry(), pinned);
            z.Mouse(target, QEvent::MouseButtonRelease, grab + moved, Qt::LeftButton, Qt::NoButton);
            QVERIFY(!zoom.PanelOutline->isVisible());
            QCOMPARE(zoom.pnlControl->geometry(), QRect(place, pinned.size()));
            QVERIFY(!zoom.PanelDragging);
            zoom.repaint();
            QCOMPARE(zoom.pnlControl->geometry(), QRect(place, pinned.size()));
        }));
    }

    void helpCoversPanelUntilOK()
    {
        Zoomer z;
        QVERIFY(z.ZoomBitmap(300, 200, [&](TZoomForm& zoom) {
            const QPoint middle = zoom.pnlControl->geometry().center();
            auto coveredByHelp = [&] {
                QWidget* top = zoom.childAt(middle);
                return top && (top == zoom.pnlHelp || zoom.pnlHelp->isAncestorOf(top));
            };
            QVERIFY(!zoom.pnlHelp->isVisible());
            QVERIFY(!coveredByHelp());
            zoom.btnHelp->click();
            QVERIFY(zoom.pnlHelp->isVisible());
            QCOMPARE(zoom.pnlHelp->geometry(), QRect(1024 - 265 - 24, 3, 265, 511));
            QCOMPARE(zoom.pnlHelp->geometry().right(), zoom.pnlControl->geometry().right());
            QVERIFY(coveredByHelp());
            QCOMPARE(zoom.mmoHelp->size(), QSize(250, 452));
            const QStringList rows = zoom.mmoHelp->toPlainText().split(u'\n');
            QVERIFY(rows.size() > 8);
            for (const QString& row : rows)
                QVERIFY2(row.startsWith(u' '), qPrintable(row));
            // Enter presses "OK" while the panel shows.
            QTest::keyClick(zoom.btnZFit, Qt::Key_Return);
            QVERIFY(!zoom.pnlHelp->isVisible());
            QVERIFY(!coveredByHelp());
            QVERIFY(zoom.isVisible());
        }));
    }
};

QTEST_MAIN(TestSubSection)
#include "test_subsection.moc"
