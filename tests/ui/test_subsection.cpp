// SPDX-License-Identifier: GPL-3.0-or-later
// The zoom window's sub-section, Reset, Save, help panel and panel dragging, driven offscreen
// through the scripted platform on real files.
#include <QDir>
#include <QLineEdit>
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
    bool ZoomBitmap(QSize size, const std::function<void(TZoomForm&)>& body,
                    const std::function<void(TSaveForm&)>& onSave = nullptr)
    {
        WriteTestBitmap(Path(QStringLiteral("a.bmp")), size.width(), size.height(), 4);
        OpenWindow();
        platform.menuChoices = {QStringLiteral("Zoom or Sub Section")};
        bool shown = false;
        platform.onModal = [&](QDialog& dialog) {
            if (auto* zoom = qobject_cast<TZoomForm*>(&dialog))
                shown = true, body(*zoom);
            else if (auto* save = qobject_cast<TSaveForm*>(&dialog); save && onSave)
                onSave(*save);
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
    QStringList Texts() const
    {
        QStringList texts;
        for (const auto& m : platform.messages)
            texts << m.text;
        return texts;
    }
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
        QTest::addColumn<QPoint>("scroll");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QRect>("cut"); // empty: nothing cut
        const int left = Qt::LeftButton;
        const QPoint top;
        const QString narrow = QStringLiteral("Selection too narrow");
        QTest::newRow("click") << Stroke {{50, 50}, {50, 50}} << left << top << QString() << QRect();
        QTest::newRow("tiny drag") << Stroke {{50, 50}, {53, 54}, {53, 54}} << left << top << QString() << QRect();
        QTest::newRow("right button") << Stroke {{10, 20}, {110, 60}, {110, 60}} << int(Qt::RightButton) << top
                                      << QString() << QRect();
        QTest::newRow("press right of it")
            << Stroke {{601, 20}, {200, 99}, {200, 99}} << left << top << QString() << QRect();
        QTest::newRow("press below it") << Stroke {{20, 401}, {99, 99}, {99, 99}} << left << top << QString()
                                        << QRect();
        QTest::newRow("4 x 100") << Stroke {{10, 20}, {14, 120}, {14, 120}} << left << top << narrow << QRect();
        QTest::newRow("5 x 5") << Stroke {{10, 20}, {15, 25}, {15, 25}} << left << top << QString()
                               << QRect(11, 21, 2, 2);
        QTest::newRow("down and right") << Stroke {{10, 20}, {110, 60}, {110, 60}} << left << top << QString()
                                        << QRect(11, 21, 97, 37);
        QTest::newRow("up and left") << Stroke {{110, 60}, {10, 20}, {10, 20}} << left << top << QString()
                                     << QRect(11, 21, 97, 37);
        // Moves off the picture leave the band; the release ends it, on the picture's edge.
        QTest::newRow("released beyond the edges") << Stroke {{550, 350}, {590, 390}, {650, 460}, {700, 500}} << left
                                                   << top << QString() << QRect(551, 351, 47, 47);
        QTest::newRow("scrolled") << Stroke {{1510, 820}, {1610, 860}, {1610, 860}} << left << QPoint(1500, 800)
                                  << QString() << QRect(1511, 821, 97, 37);
    }
    void band()
    {
        QFETCH(Stroke, path);
        QFETCH(int, button);
        QFETCH(QPoint, scroll);
        QFETCH(QString, message);
        QFETCH(QRect, cut);
        Zoomer z;
        // Scrolled rows use a picture larger than the screen.
        const QSize size = scroll.isNull() ? QSize(600, 400) : QSize(3000, 2000);
        const QImage picture = MakeTestImage(size.width(), size.height(), 4).convertToFormat(QImage::Format_RGB32);
        QVERIFY(z.ZoomBitmap(size, [&](TZoomForm& zoom) {
            zoom.HorzScrollBar()->setValue(scroll.x());
            zoom.VertScrollBar()->setValue(scroll.y());
            z.Drag(zoom.imgZoom, path, Qt::MouseButton(button));
            QVERIFY(!zoom.SelBand->isVisible());
            QCOMPARE(zoom.HasSubSection, !cut.isEmpty());
            QCOMPARE(zoom.ZoomRatio, 100);
            QCOMPARE(zoom.imgZoom->ZoomedSize(), cut.isEmpty() ? size : cut.size());
            if (cut.isEmpty())
                return;
            QCOMPARE(QSize(zoom.BaseWidth, zoom.BaseHeight), cut.size());
            QCOMPARE(zoom.edtWidth->text(), QString::number(cut.width()));
            QCOMPARE(Pixels(*zoom.SubSectionBitmap), picture.copy(cut));
            QCOMPARE(QPoint(zoom.HorzScrollBar()->value(), zoom.VertScrollBar()->value()), QPoint(0, 0));
        }));
        QCOMPARE(z.Texts(), message.isEmpty() ? QStringList() : QStringList {message});
    }

    // At 200 per cent the cut holds the zoomed pixels at 100, and Zoom Fit fits the cut.
    void cutOfZoomedPicture()
    {
        Zoomer z;
        QVERIFY(z.ZoomBitmap(QSize(300, 200), [&](TZoomForm& zoom) {
            zoom.edtZoomRate->SetText(QStringLiteral("100"));
            zoom.btnZIn->click();
            const QImage zoomed = Pixels(zoom.ZoomedPixels(QRect(11, 21, 97, 37)));
            z.Cut(zoom);
            QCOMPARE(Pixels(*zoom.SubSectionBitmap), zoomed);
            QCOMPARE(zoom.edtRatio->text() + zoom.edtWidth->text() + zoom.edtHeight->text(), QStringLiteral("1009737"));
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
        const QSize whole(300, 200), cut(97, 37);
        QTest::newRow("whole picture") << QStringLiteral("IR") << whole;
        QTest::newRow("cut, in, reset") << QStringLiteral("CIR") << cut;
        QTest::newRow("cut, in, reset twice") << QStringLiteral("CIRR") << whole;
        QTest::newRow("cut, in, reset three times") << QStringLiteral("CIRRR") << whole;
        QTest::newRow("cut, reset") << QStringLiteral("CR") << whole;
        QTest::newRow("cut, in, out, reset") << QStringLiteral("CIOR") << whole;
    }
    void reset()
    {
        QFETCH(QString, steps);
        QFETCH(QSize, shown);
        Zoomer z;
        QVERIFY(z.ZoomBitmap(QSize(300, 200), [&](TZoomForm& zoom) {
            for (QChar step : steps) {
                QAbstractButton* button = step == u'I' ? zoom.btnZIn : step == u'O' ? zoom.btnZOut : zoom.btnReset;
                step == u'C' ? z.Cut(zoom) : button->click();
            }
            QCOMPARE(zoom.HasSubSection, shown.width() == 97);
            QCOMPARE(zoom.ZoomRatio, 100);
            QCOMPARE(zoom.imgZoom->ZoomedSize(), shown);
            QCOMPARE(QSize(zoom.BaseWidth, zoom.BaseHeight), shown);
        }));
        QVERIFY(z.platform.messages.empty());
    }

    void save_data()
    {
        QTest::addColumn<QString>("steps"); // C cut, I zoom in, G zoom in by 2000 per cent
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QSize>("handed"); // empty: no save window, "Could not resize image"
        QTest::newRow("at 100") << QString() << QStringLiteral("As Bitmap") << QSize(1000, 800);
        QTest::newRow("after Zoom In") << QStringLiteral("I") << QStringLiteral("As Bitmap") << QSize(1100, 880);
        QTest::newRow("as JPEG") << QStringLiteral("I") << QStringLiteral("As JPeg") << QSize(1100, 880);
        QTest::newRow("after a cut") << QStringLiteral("C") << QStringLiteral("As Bitmap") << QSize(97, 37);
        // 41,000 x 32,800 would take more than the picture layer allows, even at 24 bits.
        QTest::newRow("too large") << QStringLiteral("GG") << QStringLiteral("As Bitmap") << QSize();
    }
    void save()
    {
        QFETCH(QString, steps);
        QFETCH(QString, entry);
        QFETCH(QSize, handed);
        Zoomer z;
        const QString written = z.Path(QStringLiteral("out.bmp"));
        const bool bitmap = entry == QStringLiteral("As Bitmap");
        QString before;
        QSize seen;
        QVERIFY(z.ZoomBitmap(
            QSize(1000, 800),
            [&](TZoomForm& zoom) {
                for (QChar step : steps) {
                    zoom.edtZoomRate->SetText(step == u'G' ? QStringLiteral("2000") : QStringLiteral("10"));
                    step == u'C' ? z.Cut(zoom) : zoom.btnZIn->click();
                }
                before = z.platform.CurrentFolder();
                z.platform.menuChoices = {entry};
                z.platform.cursor = QPoint(500, 400);
                zoom.btnSave->click();
                QCOMPARE(z.platform.menus.back().pos, QPoint(395, 385));
                QCOMPARE(z.platform.CurrentFolder(), before);
            },
            [&](TSaveForm& save) {
                QVERIFY(save.FromZoom && !save.ThumbnailMode && save.ThumbIndex == 1);
                QCOMPARE(save.SaveKind, bitmap ? int(kSaveAsBitmap) : int(kSaveAsJpeg));
                const TPicture& shown = (bitmap ? save.imgBit : save.imgJPeg)->Picture();
                seen = QSize(shown.Width(), shown.Height());
                // The save dialog may move the working folder; the zoom window puts it back.
                z.platform.SetCurrentFolder(QDir::tempPath());
                z.platform.saveAnswers = {written};
                if (bitmap)
                    save.btnBSAccept->click();
            }));
        QCOMPARE(seen, handed);
        QCOMPARE(z.Texts(), handed.isEmpty() ? QStringList {QStringLiteral("Could not resize image")} : QStringList());
        if (bitmap && !handed.isEmpty())
            QCOMPARE(QImage(written).size(), handed);
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
        QVERIFY(z.ZoomBitmap(QSize(300, 200), [&](TZoomForm& zoom) {
            auto* target = zoom.findChild<QWidget*>(control);
            const QRect pinned = zoom.pnlControl->geometry();
            const QPoint grab(30, 8);
            z.Mouse(target, QEvent::MouseButtonPress, grab, Qt::LeftButton, Qt::LeftButton);
            z.Mouse(target, QEvent::MouseMove, grab + moved, Qt::NoButton, Qt::LeftButton);
            zoom.repaint();
            // Only the outline follows, to an accepted place.
            QCOMPARE(zoom.pnlControl->geometry(), pinned);
            QCOMPARE(zoom.PanelOutline->isVisible() ? zoom.PanelOutline->geometry().topLeft() : pinned.topLeft(),
                     place);
            z.Mouse(target, QEvent::MouseButtonRelease, grab + moved, Qt::LeftButton, Qt::NoButton);
            zoom.repaint();
            QVERIFY(!zoom.PanelOutline->isVisible());
            QCOMPARE(zoom.pnlControl->geometry(), QRect(place, pinned.size()));
        }));
    }

    void helpCoversPanelUntilOK()
    {
        Zoomer z;
        QVERIFY(z.ZoomBitmap(QSize(300, 200), [&](TZoomForm& zoom) {
            auto helpOnTop = [&] {
                QWidget* top = zoom.childAt(zoom.pnlControl->geometry().center());
                return top && (top == zoom.pnlHelp || zoom.pnlHelp->isAncestorOf(top));
            };
            QVERIFY(!helpOnTop());
            zoom.btnHelp->click();
            QVERIFY(helpOnTop());
            // At the top right, at least its designed 265 x 511, as large as its text needs.
            const QRect help = zoom.pnlHelp->geometry();
            QCOMPARE(help.topLeft(), QPoint(1024 - help.width() - 24, 3));
            QVERIFY(help.width() >= 265 && help.height() >= 511);
            QCOMPARE(zoom.mmoHelp->verticalScrollBar()->maximum(), 0);
            for (const QString& row : zoom.mmoHelp->toPlainText().split(u'\n'))
                QVERIFY2(row.startsWith(u' '), qPrintable(row));
            // Enter presses "OK" while the panel shows.
            QTest::keyClick(zoom.btnZFit, Qt::Key_Return);
            QVERIFY(!helpOnTop());
            QVERIFY(zoom.isVisible());
        }));
    }
};

QTEST_MAIN(TestSubSection)
#include "test_subsection.moc"
