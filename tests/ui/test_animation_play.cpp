// SPDX-License-Identifier: GPL-3.0-or-later
// Animated GIFs played in the full-screen and zoom windows, driven offscreen through the
// scripted platform: the frame timer's intervals, the frame shown after each tick, the loop
// count and a damaged frame ending the play. The files are made with ImageMagick.
#include <QTest>
#include "picture/PictureFormats.h"
#include "picture/RasterBitmap.h"
#include "MagickReference.h"
#include "MainWindowFixture.h"
#include "ToolPictures.h"
#include "ui/common/AnimationPlayer.h"
#include "ui/fullscreen/Full.h"
#include "ui/zoom/Zoom.h"
#include "ui/zoom/ZoomImage.h"

namespace {

// The window opened with `entry` on an 8 x 8 GIF made by convert with `make` (`cut` a few
// bytes into its third frame); `seen` gets, before each of `ticks` ticks of the frame timer
// and after them (and after `after`), the shown middle's colour (k black, w white, r, g, b)
// and the timer's interval ("." when stopped).
template <class W>
bool Play(const QString& make, bool cut, const QString& entry, int ticks, QStringList& seen,
          const std::function<QRgb(W&)>& middle, const std::function<void(W&)>& after = {})
{
    MainWindowFixture<> m;
    if (!RunIn(m.dir.path(), "convert -size 8x8 " + make + " anim.gif"))
        return false;
    if (cut) {
        QFile file(m.Path("anim.gif"));
        const QByteArray bytes = file.open(QIODevice::ReadWrite) ? file.readAll() : QByteArray();
        qsizetype third = -1;
        for (int i = 0; i < 3; ++i)
            third = bytes.indexOf("\x21\xf9\x04", third + 1);
        if (third < 0 || !file.resize(third + 20))
            return false;
    }
    m.OpenWindow();
    m.platform.menuChoices = {entry};
    const QMap<QRgb, QString> names {{0, "k"}, {0xffffff, "w"}, {0xff0000, "r"}, {0xff00, "g"}, {0xff, "b"}};
    return m.template During<W>([&] { m.form->AllImageClick(m.form->Thumbnail(1)); },
                                [&](W& window) {
                                    const PlatformTimer* timer = window.Player->Timer();
                                    int index = 0;
                                    while (m.platform.Timer(index) != timer)
                                        ++index;
                                    for (int i = 0; i <= ticks; ++i) {
                                        if (i == ticks && after)
                                            after(window);
                                        seen << names.value(middle(window) & 0xffffff, "?") +
                                                (timer->Active() ? QString::number(timer->Interval()) : ".");
                                        if (i < ticks)
                                            m.platform.FireTimer(index);
                                    }
                                });
}

QRgb FullMiddle(TFullForm& full)
{
    const TRasterBitmap* raster = RasterOf(full.imgFull->Picture().Graphic());
    return raster ? raster->Image().pixel(4, 4) : 1;
}

} // namespace

class TestAnimationPlay : public QObject {
    Q_OBJECT
private slots:
    void fullScreenPlaysAtItsDelays_data()
    {
        QTest::addColumn<QString>("make");
        QTest::addColumn<bool>("cut");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("two loops") << "-delay 10 -loop 2 xc:red xc:lime xc:blue" << false
                                   << QStringList {"r100", "g100", "b100", "r100", "g100", "b100", "b."};
        QTest::newRow("delays as stored, black under transparency")
            << "-delay 25 -loop 1 xc:none -delay 3 xc:lime" << false << QStringList {"k250", "g30", "g."};
        QTest::newRow("damaged third frame")
            << "-delay 10 -loop 0 xc:red xc:lime xc:blue" << true << QStringList {"r100", "g100", "g."};
    }
    void fullScreenPlaysAtItsDelays()
    {
        QFETCH(QString, make);
        QFETCH(bool, cut);
        QFETCH(QStringList, shown);
        if (!HaveConvert())
            QSKIP("ImageMagick's convert is not installed");
        QStringList seen;
        QVERIFY(Play<TFullForm>(make, cut, QStringLiteral("Show In Screen"), int(shown.size()) - 1, seen, FullMiddle));
        QCOMPARE(seen, shown);
    }

    // Over white; a band being drawn, or the save menu, holds the first frame, and playing
    // goes on from it once no sub-section was cut.
    void zoomHoldsForBandAndSave_data()
    {
        QTest::addColumn<int>("action");
        QTest::addColumn<QString>("last");
        QTest::newRow("band held") << 0 << "w.";
        QTest::newRow("band too small, released") << 1 << "w250";
        QTest::newRow("save menu closed") << 2 << "w250";
    }
    void zoomHoldsForBandAndSave()
    {
        QFETCH(int, action);
        QFETCH(QString, last);
        if (!HaveConvert())
            QSKIP("ImageMagick's convert is not installed");
        QStringList seen;
        QVERIFY(Play<TZoomForm>(
            "-delay 25 -loop 0 xc:none -delay 40 xc:lime xc:blue", false, QStringLiteral("Zoom or Sub Section"), 2,
            seen, [](TZoomForm& zoom) { return zoom.imgZoom->Region(QRect(4, 4, 1, 1)).pixel(0, 0); },
            [action](TZoomForm& zoom) {
                if (action == 2) {
                    zoom.btnSaveClick();
                    return;
                }
                zoom.imgZoomMouseDown(Qt::LeftButton, QPoint(1, 1));
                if (action == 1)
                    zoom.imgZoomMouseUp(QPoint(2, 2));
            }));
        QCOMPARE(seen, QStringList({"w250", "g400", last}));
    }
};

QTEST_MAIN(TestAnimationPlay)
#include "test_animation_play.moc"
