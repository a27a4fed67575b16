// SPDX-License-Identifier: GPL-3.0-or-later
// Animated GIF and WebP frames against other programs' reading of the same files: the GIF's
// composited frames as ImageMagick coalesces them (disposal modes included), the lossless
// WebP's frames as the pictures it was made from. A damaged frame is played in the window
// tests (tests/ui/test_animation_play.cpp).
#include <QTemporaryDir>
#include <QTest>
#include "picture/Animation.h"
#include "MagickReference.h"
#include "ToolPictures.h"

namespace {

// A 16 x 12 picture: a pattern of the seed, fully transparent in a block when `hole`.
QImage Pattern(int seed, bool hole, QSize size = QSize(16, 12))
{
    QImage image(size, QImage::Format_ARGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb((x * 40 + seed * 90) % 256, (y * 50 + seed * 30) % 256, seed * 70 % 256));
    for (int y = 1; hole && y < 4; ++y)
        for (int x = 1; x < 4; ++x)
            image.setPixel(x, y, 0);
    return image;
}

QByteArray Bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The pictures the files are made from, in the folder.
bool WriteSources(const QString& folder)
{
    return Pattern(1, false).save(folder + "/a.png") && Pattern(2, false).save(folder + "/b.png") &&
        Pattern(3, true).save(folder + "/c.png") && Pattern(4, true, QSize(6, 5)).save(folder + "/t.png");
}

} // namespace

class TestAnimation : public QObject {
    Q_OBJECT
private slots:
    void gifFramesAsComposited_data()
    {
        QTest::addColumn<QString>("make");
        QTest::addColumn<int>("frames");
        QTest::addColumn<int>("playedDelay");
        QTest::addColumn<int>("plays");
        QTest::newRow("whole frames") << "-delay 10 -loop 2 a.png b.png c.png" << 3 << 100 << 2;
        QTest::newRow("short delay") << "-delay 1 -loop 0 a.png c.png" << 2 << 100 << 0;
        QTest::newRow("kept under") << "-delay 5 -dispose None a.png -page 16x12+3+4 t.png -page 16x12+9+2 t.png" << 3
                                    << 50 << 0;
        QTest::newRow("area cleared")
            << "-delay 5 -loop 1 -dispose Background c.png -page 16x12+3+4 t.png -page 16x12+9+2 t.png" << 3 << 50 << 1;
        QTest::newRow("canvas put back")
            << "-delay 5 -loop 3 a.png -dispose Previous -page 16x12+3+4 t.png -dispose None "
               "-page 16x12+9+6 t.png -page 16x12+1+1 t.png"
            << 4 << 50 << 3;
    }
    void gifFramesAsComposited()
    {
        QFETCH(QString, make);
        QFETCH(int, frames);
        if (!HaveConvert())
            QSKIP("ImageMagick's convert is not installed");
        QTemporaryDir dir;
        QVERIFY(WriteSources(dir.path()));
        QVERIFY(RunIn(dir.path(), "convert " + make + " anim.gif && convert anim.gif -coalesce frame%d.png"));
        Animation animation(Bytes(dir.filePath("anim.gif")), Qt::black);
        QCOMPARE(animation.Facts().frames, frames);
        for (int loop = 0; loop < 2; ++loop) {
            for (int i = 0; i < frames; ++i) {
                QByteArray out;
                QVERIFY(RunIn(dir.path(), ImRgba(QStringLiteral("frame%1.png").arg(i)), &out));
                CanvasFrame frame;
                QVERIFY2(animation.NextCanvas(frame), qPrintable(animation.Error()));
                const QString difference = PixelDifference(frame.canvas, FromImRgba(out));
                QVERIFY2(difference.isEmpty(), qPrintable(QStringLiteral("frame %1: %2").arg(i).arg(difference)));
                QTEST(PlayedDelay(frame.delayMs), "playedDelay");
            }
            CanvasFrame beyond;
            QVERIFY(!animation.NextCanvas(beyond));
            QCOMPARE(animation.Error(), QString());
            QTEST(animation.Plays(), "plays");
            animation.Rewind();
        }
    }

    void webpFramesAsMadeFrom()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("img2webp")).isEmpty())
            QSKIP("img2webp is not installed");
        QTemporaryDir dir;
        QVERIFY(WriteSources(dir.path()));
        QVERIFY(RunIn(dir.path(), "img2webp -loop 3 -lossless -d 80 a.png c.png -d 10 b.png -o anim.webp"));
        Animation animation(Bytes(dir.filePath("anim.webp")), Qt::black);
        QCOMPARE(animation.Plays(), 3);
        const QList<QPair<QImage, int>> want {
            {Pattern(1, false), 80}, {Pattern(3, true), 80}, {Pattern(2, false), 100}};
        for (const auto& [picture, delay] : want) {
            CanvasFrame frame;
            QVERIFY2(animation.NextCanvas(frame), qPrintable(animation.Error()));
            QCOMPARE(PixelDifference(frame.canvas, picture), QString());
            QCOMPARE(PlayedDelay(frame.delayMs), delay);
        }
        CanvasFrame beyond;
        QVERIFY(!animation.NextCanvas(beyond));
        // Ready to show: the hole shows the background.
        animation.Rewind();
        QImage shown;
        int delay = 0;
        QVERIFY(animation.Next(shown, delay) && animation.Next(shown, delay));
        QCOMPARE(shown.pixel(2, 2), qRgb(0, 0, 0));
    }
};

QTEST_GUILESS_MAIN(TestAnimation)
#include "test_animation.moc"
