// SPDX-License-Identifier: GPL-3.0-or-later
// Turning a JPEG without loss, against libjpeg-turbo's own tools: djpeg's pixels of each turn
// match jpegtran's, four right turns give the first pixels back, what the EXIF Orientation
// showed is what turns, and a refusal leaves the file as it was.
#include <QProcess>
#include <QtTest>
#include "JpegSegments.h"
#include "picture/Bitmap.h"
#include "picture/Exif.h"
#include "picture/LosslessTurn.h"
#include "TestFiles.h"
#include "TestPictures.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {
QByteArray Run(const QString& tool, const QStringList& arguments)
{
    QProcess p;
    p.start(tool, arguments);
    return p.waitForFinished(60000) && p.exitCode() == 0 ? p.readAllStandardOutput() : tool.toLatin1() + " failed";
}
} // namespace

class TestLosslessTurn : public QObject {
    Q_OBJECT
private slots:
    void turnsMatchJpegtran_data()
    {
        QTest::addColumn<int>("orientation"); // the file's EXIF Orientation
        QTest::addColumn<QList<int>>("turns");
        QTest::addColumn<QStringList>("jpegtran"); // on the stored pixels; empty: as they were
        const int right = int(Turn::Right), left = int(Turn::Left), flip = int(Turn::Flip);
        QTest::newRow("right") << 1 << QList {right} << QStringList {"-rotate", "90"};
        QTest::newRow("left") << 1 << QList {left} << QStringList {"-rotate", "270"};
        QTest::newRow("flip") << 1 << QList {flip} << QStringList {"-flip", "horizontal"};
        QTest::newRow("four right") << 1 << QList {right, right, right, right} << QStringList();
        QTest::newRow("right, left") << 1 << QList {right, left} << QStringList();
        QTest::newRow("shown turned: right") << 6 << QList {right} << QStringList {"-rotate", "180"};
        QTest::newRow("shown mirrored: flip") << 2 << QList {flip} << QStringList();
        QTest::newRow("shown transposed: left") << 5 << QList {left} << QStringList {"-flip", "vertical"};
    }
    void turnsMatchJpegtran()
    {
        QFETCH(int, orientation);
        QFETCH(QList<int>, turns);
        QFETCH(QStringList, jpegtran);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.jpg")), plain = dir.filePath(QStringLiteral("p.jpg"));
        WriteTestJpeg(plain, 48, 32);
        WriteBytes(path, jpegseg::WithOrientation(ReadBytes(plain), orientation));
        ::chmod(QFile::encodeName(path).constData(), 0640);
        for (int turn : turns)
            TurnJpegFile(path, Turn(turn));
        WriteBytes(plain, Run(QStringLiteral("jpegtran"), jpegtran + QStringList {"-perfect", plain}));
        const QByteArray pixels = Run(QStringLiteral("djpeg"), {path});
        QVERIFY(pixels.startsWith("P6")); // a picture, not a failure
        QCOMPARE(pixels, Run(QStringLiteral("djpeg"), {plain}));
        const QByteArray turned = ReadBytes(path);
        const qsizetype exif = turned.indexOf(QByteArray("Exif\0\0", 6));
        QCOMPARE(ExifOrientation(reinterpret_cast<const uint8_t*>(turned.constData() + exif), 40), 1);
        struct stat st {};
        QVERIFY(::stat(QFile::encodeName(path).constData(), &st) == 0 && (st.st_mode & 07777) == 0640);
    }

    // The EXIF thumbnail turns with the picture, as jpegtran -trim turns it alone: in its place
    // when it shrinks, replaced when it grows (it ends the segment).
    void thumbnailTurns_data()
    {
        QTest::addColumn<QSize>("thumbnail");
        QTest::addColumn<int>("turn");
        QTest::addColumn<QStringList>("jpegtran");
        QTest::newRow("right") << QSize(32, 16) << int(Turn::Right) << QStringList {"-rotate", "90", "-trim"};
        QTest::newRow("left, partial blocks")
            << QSize(40, 20) << int(Turn::Left) << QStringList {"-rotate", "270", "-trim"};
        QTest::newRow("flip") << QSize(16, 16) << int(Turn::Flip) << QStringList {"-flip", "horizontal", "-trim"};
    }
    void thumbnailTurns()
    {
        QFETCH(QSize, thumbnail);
        QFETCH(int, turn);
        QFETCH(QStringList, jpegtran);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.jpg")), small = dir.filePath(QStringLiteral("t.jpg"));
        WriteTestJpeg(small, thumbnail.width(), thumbnail.height());
        WriteTestJpeg(path, 48, 32);
        WriteBytes(path,
                   jpegseg::WithSegments(ReadBytes(path),
                                         jpegseg::Marker(0xE1, jpegseg::ExifWithThumbnail(1, ReadBytes(small)))));
        TurnJpegFile(path, Turn(turn));
        const QByteArray turned = ReadBytes(path);
        const qsizetype exif = turned.indexOf(QByteArray("Exif\0\0", 6));
        const qsizetype start = turned.indexOf(QByteArray("\xFF\xD8\xFF", 3), exif);
        const qsizetype end = turned.indexOf(QByteArray("\xFF\xD9", 2), start) + 2;
        QVERIFY(exif > 0 && start > exif && end > start);
        WriteBytes(dir.filePath(QStringLiteral("got.jpg")), turned.mid(start, end - start));
        WriteBytes(small, Run(QStringLiteral("jpegtran"), jpegtran + QStringList {small}));
        const QByteArray pixels = Run(QStringLiteral("djpeg"), {dir.filePath(QStringLiteral("got.jpg"))});
        QVERIFY(pixels.startsWith("P6"));
        QCOMPARE(pixels, Run(QStringLiteral("djpeg"), {small}));
    }

    // A picture of partial blocks (40 x 30) turned as the user chose: trimmed as jpegtran
    // -trim does, or by its orientation tag alone with its pixels untouched (a file without
    // EXIF gets the tag).
    void partialBlocks_data()
    {
        QTest::addColumn<int>("edges");
        QTest::addColumn<int>("turn");
        QTest::addColumn<int>("before"); // the Orientation; 0: no EXIF
        QTest::addColumn<int>("after");
        QTest::addColumn<QStringList>("jpegtran");
        const int trim = int(TurnEdges::Trim), tag = int(TurnEdges::TagOnly);
        const int right = int(Turn::Right), left = int(Turn::Left), flip = int(Turn::Flip);
        QTest::newRow("trim") << trim << right << 1 << 1 << QStringList {"-rotate", "90", "-trim"};
        QTest::newRow("tag") << tag << right << 1 << 6 << QStringList();
        QTest::newRow("tag, no EXIF") << tag << flip << 0 << 2 << QStringList();
        QTest::newRow("tag, shown turned") << tag << left << 6 << 1 << QStringList();
    }
    void partialBlocks()
    {
        QFETCH(int, edges);
        QFETCH(int, turn);
        QFETCH(int, before);
        QFETCH(int, after);
        QFETCH(QStringList, jpegtran);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.jpg")), plain = dir.filePath(QStringLiteral("p.jpg"));
        WriteTestJpeg(plain, 40, 30);
        WriteBytes(path, before ? jpegseg::WithOrientation(ReadBytes(plain), before) : ReadBytes(plain));
        TurnJpegFile(path, Turn(turn), TurnEdges(edges));
        if (!jpegtran.isEmpty())
            WriteBytes(plain, Run(QStringLiteral("jpegtran"), jpegtran + QStringList {plain}));
        const QByteArray pixels = Run(QStringLiteral("djpeg"), {path});
        QVERIFY(pixels.startsWith("P6"));
        QCOMPARE(pixels, Run(QStringLiteral("djpeg"), {plain}));
        const QByteArray turned = ReadBytes(path);
        const qsizetype exif = turned.indexOf(QByteArray("Exif\0\0", 6));
        QVERIFY(exif > 0);
        QCOMPARE(ExifOrientation(reinterpret_cast<const uint8_t*>(turned.constData() + exif), 40), after);
    }

    // A bitmap turns in its own pixel format, every pixel where the turn puts it: its file
    // read back by ImageMagick shows the original turned as ImageMagick turns it.
    void bitmapsTurn_data()
    {
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("turn");
        QTest::addColumn<QString>("convert");
        const QString right = QStringLiteral("-rotate 90"), left = QStringLiteral("-rotate -90"),
                      flip = QStringLiteral("-flop");
        QTest::newRow("1 bit, right") << 1 << int(Turn::Right) << right;
        QTest::newRow("4 bits, left") << 4 << int(Turn::Left) << left;
        QTest::newRow("8 bits, flip") << 8 << int(Turn::Flip) << flip;
        QTest::newRow("24 bits, right") << 24 << int(Turn::Right) << right;
        QTest::newRow("24 bits, left") << 24 << int(Turn::Left) << left;
    }
    void bitmapsTurn()
    {
        QFETCH(int, bits);
        QFETCH(int, turn);
        QFETCH(QString, convert);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.bmp")), want = dir.filePath(QStringLiteral("want.png"));
        auto dib = NewDib(13, 7, uint16_t(bits)); // odd sizes: rows padded, pixels inside bytes
        if (bits <= 8)
            for (int i = 0; i < (1 << bits); ++i)
                dib->colors.push_back(RgbQuad {uint8_t(i * 37), uint8_t(255 - i * 11), uint8_t(i * 5), 0});
        for (size_t i = 0; i < dib->bits.size(); ++i)
            dib->bits[i] = uint8_t(i * 151 + 7);
        TBitmap(dib).SaveToFile(path);
        const QString before = dir.filePath(QStringLiteral("before.bmp"));
        QFile::copy(path, before);
        TurnBitmapFile(path, Turn(turn));
        TBitmap turned;
        turned.LoadFromFile(path);
        QCOMPARE(int(turned.Dib().bitCount), bits);
        QVERIFY(QProcess::execute(QStringLiteral("convert"),
                                  QStringList {before} + convert.split(QLatin1Char(' ')) + QStringList {want}) == 0);
        // Pixels only: ImageMagick's PNG also names its colour space.
        const auto pixels = [](const QImage& image) {
            const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
            return std::make_pair(argb.size(),
                                  QByteArray(reinterpret_cast<const char*>(argb.constBits()), argb.sizeInBytes()));
        };
        QVERIFY(pixels(DibToQImage(turned.Dib())) == pixels(QImage(want)));
    }

    void refusalsLeaveTheFile_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("linked");
        QTest::addColumn<QString>("why");
        QTest::newRow("not whole blocks") << QSize(40, 30) << false << "without loss";
        QTest::newRow("two names") << QSize(48, 32) << true << "hard links";
    }
    void refusalsLeaveTheFile()
    {
        QFETCH(QSize, size);
        QFETCH(bool, linked);
        QFETCH(QString, why);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.jpg"));
        WriteTestJpeg(path, size.width(), size.height());
        if (linked)
            QCOMPARE(::link(qPrintable(path), qPrintable(dir.filePath(QStringLiteral("b.jpg")))), 0);
        const QByteArray before = ReadBytes(path);
        QString failure;
        try {
            TurnJpegFile(path, Turn::Right);
        } catch (const std::exception& e) {
            failure = QString::fromUtf8(e.what());
        }
        QVERIFY2(failure.contains(why), qPrintable(failure));
        QCOMPARE(ReadBytes(path), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), linked ? 2 : 1); // nothing left beside it
    }

    // A turn killed at any moment leaves the picture as it was or as turned, whole: a process
    // turning a 40 MB photo over and over is killed 50 times, at moments spread over a turn.
    void killedMidTurn()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("big.jpg"));
        QImage noise(5120, 3840, QImage::Format_RGB32);
        for (int y = 0; y < noise.height(); ++y)
            QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(noise.scanLine(y)), noise.width());
        QVERIFY(noise.save(path, "JPEG", 100));
        QList<QByteArray> states {ReadBytes(path)};
        QVERIFY2(states[0].size() > 35'000'000, qPrintable(QString::number(states[0].size())));
        QElapsedTimer clock;
        clock.start();
        for (int i = 0; i < 3; ++i)
            states << TurnJpegBytes(states.back(), Turn::Right);
        const int turnMs = int(clock.elapsed() / 3) + 100; // the child's start-up too
        for (int run = 0; run < 50; ++run) {
            QProcess child;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QStringLiteral("LUMIVUE_TURN_FOREVER"), path);
            child.setProcessEnvironment(environment);
            child.start(QCoreApplication::applicationFilePath(), {});
            QVERIFY(child.waitForStarted());
            QThread::msleep(QRandomGenerator::global()->bounded(2 * turnMs));
            child.kill();
            QVERIFY(child.waitForFinished());
            QVERIFY2(states.contains(ReadBytes(path)), qPrintable(QStringLiteral("run %1").arg(run)));
            for (const QString& left : QDir(dir.path()).entryList(QDir::Files)) // the killed turn's file
                if (left != QStringLiteral("big.jpg"))
                    QFile::remove(dir.filePath(left));
        }
    }
};

int main(int argc, char** argv)
{
    // The process killedMidTurn kills: it turns the file until then.
    if (const QByteArray path = qgetenv("LUMIVUE_TURN_FOREVER"); !path.isEmpty())
        for (;;)
            TurnJpegFile(QFile::decodeName(path), Turn::Right);
    QCoreApplication app(argc, argv);
    TestLosslessTurn test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "test_lossless_turn.moc"
