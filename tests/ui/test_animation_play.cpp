// Animated GIFs played in the full-screen and zoom windows, driven offscreen through the scripted
// platform: the frame timer's intervals, the frames shown at each tick, the loop count and a
// damaged frame ending the play. The files are made with ImageMagick at test time.
#include <QTemporaryDir>
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

struct Player : MainWindowFixture<> {
    // Plain 8 x 8 frames: red, green, blue, and red with a transparent middle.
    bool WriteFrames()
    {
        QImage image(8, 8, QImage::Format_ARGB32);
        const QList<QPair<QString, QRgb>> plain {
            {"r", qRgb(255, 0, 0)}, {"g", qRgb(0, 255, 0)}, {"b", qRgb(0, 0, 255)}};
        for (const auto& [name, colour] : plain) {
            image.fill(colour);
            if (!image.save(Path(name + ".png")))
                return false;
        }
        image.fill(qRgb(255, 0, 0));
        for (int y = 2; y < 6; ++y)
            for (int x = 2; x < 6; ++x)
                image.setPixel(x, y, 0);
        return image.save(Path("h.png"));
    }
    int TimerIndex(const PlatformTimer* timer) const
    {
        for (int i = 0; i < platform.TimerCount(); ++i)
            if (platform.Timer(i) && platform.Timer(i) == timer)
                return i;
        return -1;
    }
};

// A frame's middle as a letter: r, g, b, k (black) or w (white).
QString Letter(QRgb c)
{
    const QList<QPair<QString, QRgb>> letters {{"r", qRgb(255, 0, 0)},
                                               {"g", qRgb(0, 255, 0)},
                                               {"b", qRgb(0, 0, 255)},
                                               {"k", qRgb(0, 0, 0)},
                                               {"w", qRgb(255, 255, 255)}};
    for (const auto& [letter, colour] : letters)
        if (qRgb(qRed(c), qGreen(c), qBlue(c)) == colour)
            return letter;
    return QStringLiteral("?");
}

QString Middle(TFullForm& full)
{
    const TRasterBitmap* raster = RasterOf(full.imgFull->Picture().Graphic());
    return raster ? Letter(raster->Image().pixel(4, 4)) : QStringLiteral("?");
}

} // namespace

class TestAnimationPlay : public QObject {
    Q_OBJECT
private slots:
    void playsAtItsDelays_data()
    {
        QTest::addColumn<QString>("make");
        QTest::addColumn<bool>("cut"); // cut into the third frame's data
        // The frame shown with the timer's interval, at the start and after each tick; "."
        // when the timer has stopped.
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("two loops") << "-delay 10 -loop 2 r.png g.png b.png" << false
                                   << QStringList {"r100", "g100", "b100", "r100", "g100", "b100", "b."};
        QTest::newRow("delays as stored")
            << "-delay 25 -loop 1 h.png -delay 3 g.png" << false << QStringList {"k250", "g30", "g."};
        QTest::newRow("damaged third frame")
            << "-delay 10 -loop 0 r.png g.png b.png" << true << QStringList {"r100", "g100", "g."};
    }
    void playsAtItsDelays()
    {
        QFETCH(QString, make);
        QFETCH(bool, cut);
        QFETCH(QStringList, shown);
        if (!HaveConvert())
            QSKIP("ImageMagick's convert is not installed");
        Player p;
        QVERIFY(p.WriteFrames());
        QVERIFY(RunIn(p.dir.path(), "convert " + make + " anim.gif && rm ?.png"));
        if (cut) {
            QFile file(p.Path("anim.gif"));
            QVERIFY(file.open(QIODevice::ReadWrite));
            const QByteArray bytes = file.readAll();
            qsizetype third = -1;
            for (int i = 0; i < 3; ++i)
                third = bytes.indexOf("\x21\xf9\x04", third + 1);
            QVERIFY(third > 0 && file.resize(third + 20));
        }
        p.OpenWindow();
        p.platform.menuChoices = {QStringLiteral("Show In Screen")};
        QStringList seen;
        QVERIFY(p.During<TFullForm>([&] { p.form->AllImageClick(p.form->Thumbnail(1)); },
                                    [&](TFullForm& full) {
                                        const int timer = p.TimerIndex(full.Player->Timer());
                                        for (qsizetype i = 0; i < shown.size(); ++i) {
                                            const bool active = full.Player->Timer()->Active();
                                            seen << Middle(full) +
                                                    (active ? QString::number(full.Player->Timer()->Interval()) : ".");
                                            p.platform.FireTimer(timer);
                                        }
                                    }));
        QCOMPARE(seen, shown);
    }

    // The zoom window plays over white until a band is drawn, which shows the first frame.
    void zoomPlaysUntilABand()
    {
        if (!HaveConvert())
            QSKIP("ImageMagick's convert is not installed");
        Player p;
        QVERIFY(p.WriteFrames());
        QVERIFY(RunIn(p.dir.path(), "convert -delay 25 -loop 0 h.png -delay 40 g.png anim.gif && rm ?.png"));
        p.OpenWindow();
        p.platform.menuChoices = {QStringLiteral("Zoom or Sub Section")};
        QStringList seen;
        QVERIFY(p.During<TZoomForm>([&] { p.form->AllImageClick(p.form->Thumbnail(1)); },
                                    [&](TZoomForm& zoom) {
                                        const PlatformTimer* timer = zoom.Player->Timer();
                                        const auto look = [&] {
                                            seen << Letter(zoom.imgZoom->Region(QRect(4, 4, 1, 1)).pixel(0, 0)) +
                                                    (timer->Active() ? QString::number(timer->Interval()) : ".");
                                        };
                                        look();
                                        p.platform.FireTimer(p.TimerIndex(timer));
                                        look();
                                        zoom.imgZoomMouseDown(Qt::LeftButton, QPoint(1, 1));
                                        look();
                                    }));
        QCOMPARE(seen, QStringList({"w250", "g400", "w."}));
    }
};

QTEST_MAIN(TestAnimationPlay)
#include "test_animation_play.moc"
