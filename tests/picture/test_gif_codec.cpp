// SPDX-License-Identifier: GPL-3.0-or-later
// GIF files: those ImageMagick writes (transparency, animation, frames inside the screen,
// interlacing) compared pixel for pixel with its own reading of the first frame; damaged and
// hostile files built here.
#include <QTemporaryDir>
#include <QtTest>
#include "MagickReference.h"
#include "RasterDamage.h"
#include "TestFiles.h"
#include "picture/Failure.h"
#include "picture/GifCodec.h"

namespace {

QByteArray Le16(int v)
{
    return QByteArray(1, char(v & 0xff)) + char((v >> 8) & 0xff);
}

// Code size 8 kept at 9-bit codes by a clear code before every 250 indices, as the simplest
// encoders write it; then cut into sub-blocks.
QByteArray Lzw(const QByteArray& indices)
{
    QByteArray packed;
    uint32_t bitsHeld = 0, count = 0;
    const auto put = [&](int code) {
        bitsHeld |= uint32_t(code) << count;
        for (count += 9; count >= 8; count -= 8, bitsHeld >>= 8)
            packed.append(char(bitsHeld & 0xff));
    };
    for (qsizetype i = 0; i < indices.size(); ++i) {
        if (i % 250 == 0)
            put(256);
        put(uchar(indices[i]));
    }
    put(257);
    if (count > 0)
        packed.append(char(bitsHeld & 0xff));
    QByteArray out(1, char(8));
    for (qsizetype at = 0; at < packed.size(); at += 255)
        out += char(std::min<qsizetype>(255, packed.size() - at)) + packed.mid(at, 255);
    return out + '\0';
}

// The signature and a screen with a 256-colour table: colour i is (i, 255 - i, 3i).
QByteArray Screen(int width, int height)
{
    QByteArray b = "GIF89a" + Le16(width) + Le16(height) + char(0xf7) + '\0' + '\0';
    for (int i = 0; i < 256; ++i)
        b += QByteArray(1, char(i)) + char(255 - i) + char(i * 3);
    return b;
}

QByteArray Frame(int width, int height, const QByteArray& indices)
{
    return QByteArray("\x21\xf9\x04\0\x05\0\0\0,\0\0\0\0", 13) + Le16(width) + Le16(height) + '\0' + Lzw(indices);
}

// A 64 x 64 picture with every index, and its pixels.
QByteArray Indices()
{
    QByteArray b;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            b += char((x * 7 + y * 13) & 0xff);
    return b;
}

QImage Pixels()
{
    QImage image(64, 64, QImage::Format_ARGB32);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            const int i = (x * 7 + y * 13) & 0xff;
            image.setPixel(x, y, qRgb(i, 255 - i, (i * 3) & 0xff));
        }
    return image;
}

} // namespace

class TestGifCodec : public QObject {
    Q_OBJECT
private slots:
    void matchesConvert_data();
    void matchesConvert();
    void damaged_data();
    void damaged();
};

void TestGifCodec::matchesConvert_data()
{
    QTest::addColumn<QStringList>("make");
    QTest::addColumn<QList<int>>("delays");
    QTest::addColumn<int>("loops");
    QTest::addColumn<bool>("alpha");
    QTest::addColumn<QSize>("atLeast");
    QTest::addColumn<int>("factor");
    const QStringList firstInside {"-page", "20x16+5+3", "-size", "8x6", "xc:red", "-page", "20x16+1+1", "xc:blue"};
    const QSize full;
    QTest::newRow("transparency") << QStringList {"-size", "16x12", "xc:none",           "-fill",
                                                  "red",   "-draw", "rectangle 2,2,9,7", "-fill",
                                                  "blue",  "-draw", "circle 12,8 14,10"}
                                  << QList<int> {0} << 1 << true << full << 1;
    // convert stores "-loop 3" as 2 repeats.
    QTest::newRow("animation") << QStringList {"-delay", "20",      "-loop",  "3", "-size",   "16x12",
                                               "xc:red", "xc:blue", "-delay", "7", "xc:green"}
                               << QList<int> {200, 200, 70} << 2 << false << full << 1;
    for (const char* dispose : {"None", "Background", "Previous"})
        QTest::addRow("first frame inside the screen, disposal %s", dispose)
            << QStringList {"-dispose", dispose} + firstInside << QList<int> {0, 0} << 0 << false << full << 1;
    QTest::newRow("interlaced") << QStringList {"rose:", "-interlace", "GIF"} << QList<int> {0} << 1 << false << full
                                << 1;
    QTest::newRow("interlaced, reduced by 2")
        << QStringList {"rose:", "-interlace", "GIF"} << QList<int> {0} << 1 << false << QSize(30, 20) << 2;
    QTest::newRow("reduced by 3, partial edge blocks")
        << QStringList {"rose:"} << QList<int> {0} << 1 << false << QSize(20, 15) << 3;
}

void TestGifCodec::matchesConvert()
{
    if (!HaveConvert())
        QSKIP("ImageMagick's convert is missing (scripts/setup.sh --test installs it)");
    QFETCH(QStringList, make);
    QFETCH(QList<int>, delays);
    QFETCH(int, loops);
    QFETCH(bool, alpha);
    QFETCH(QSize, atLeast);
    QFETCH(int, factor);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath("made.gif");
    RunConvert(make << path);
    const QByteArray bytes = ReadBytes(path);
    QVERIFY(!bytes.isEmpty());

    const RasterFacts facts = ReadGifFacts(bytes);
    QCOMPARE(facts.colourType, QStringLiteral("palette"));
    QCOMPARE(facts.frames, int(delays.size()));
    QCOMPARE(facts.delaysMs, delays);
    QCOMPARE(facts.loops, loops);
    QCOMPARE(facts.alpha, alpha);
    const QImage want = ConvertReads(path, QSize(facts.width, facts.height), {"-background", "none", "-flatten"});
    QVERIFY(!want.isNull());

    const RasterImage got = DecodeGif(bytes, atLeast, {});
    QCOMPARE(got.error, QString());
    QCOMPARE(got.image.format(), QImage::Format_ARGB32);
    QCOMPARE(PixelDifference(got.image, factor == 1 ? want : BoxReduced(want, factor)), QString());
}

void TestGifCodec::damaged_data()
{
    AddDamageColumns();
    const QByteArray whole = Screen(64, 64) + Frame(64, 64, Indices()) + ';';
    const QImage picture = Pixels(), none;
    QImage green(1, 1, QImage::Format_ARGB32);
    green.fill(qRgb(0, 255, 0)); // index 0
    const QString invalid = QString::fromLatin1(kGifInvalid), tooLarge = QString::fromLatin1(kOutOfResources);
    QTest::newRow("cut in the image data")
        << whole.left(whole.size() * 6 / 10) << picture << QString() << true << -1 << 30 << 1;
    QTest::newRow("stopped") << whole << picture << QString() << true << 5 << 5 << 1;
    QTest::newRow("frame beyond the screen")
        << Screen(64, 32) + Frame(64, 64, Indices()) + ';' << picture << QString() << false << -1 << 32 << 1;
    QTest::newRow("not a GIF") << QByteArray("\x89PNG\r\n\x1a\n", 8) << none << invalid << false << -1 << 0 << -1;
    QTest::newRow("screen width 0") << Screen(0, 5) + ';' << none << invalid << false << -1 << 0 << -1;
    QTest::newRow("screen beyond the limit") << Screen(40000, 40000) << none << tooLarge << false << -1 << 0 << -1;
    QTest::newRow("frames without end") << Screen(1, 1) + Frame(1, 1, QByteArray(1, '\0')).repeated(20000) << green
                                        << QString() << false << -1 << 1 << 10000;
    QTest::newRow("extensions without end") << Screen(1, 1) + QByteArray("\x21\xfe\x01x\0", 5).repeated(100000) << none
                                            << QString() << true << -1 << 0 << 1;
}

void TestGifCodec::damaged()
{
    CheckDamage(ReadGifFacts, DecodeGif);
}

QTEST_GUILESS_MAIN(TestGifCodec)
#include "test_gif_codec.moc"
