// Turning a JPEG without loss, checked against libjpeg-turbo's own tools: djpeg's pixels of
// each turn match jpegtran's, four right turns give the first pixels back, what the EXIF
// Orientation showed is what turns, and a refusal leaves the file as it was.
#include <QProcess>
#include <QtTest>
#include "JpegSegments.h"
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
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return "<" + tool.toLatin1() + " failed>";
    return p.readAllStandardOutput();
}
QByteArray Pixels(const QString& path)
{
    return Run(QStringLiteral("djpeg"), {QStringLiteral("-pnm"), path});
}
int OrientationOf(const QByteArray& jpeg)
{
    const qsizetype at = jpeg.indexOf(QByteArray("Exif\0\0", 6));
    return at < 0 ? 1 : ExifOrientation(reinterpret_cast<const uint8_t*>(jpeg.constData() + at), 40);
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
        using T = QList<int>;
        const auto right = int(Turn::Right), left = int(Turn::Left), flip = int(Turn::Flip);
        QTest::newRow("right") << 1 << T {right} << QStringList {"-rotate", "90"};
        QTest::newRow("left") << 1 << T {left} << QStringList {"-rotate", "270"};
        QTest::newRow("flip") << 1 << T {flip} << QStringList {"-flip", "horizontal"};
        QTest::newRow("four right") << 1 << T {right, right, right, right} << QStringList();
        QTest::newRow("right, left") << 1 << T {right, left} << QStringList();
        QTest::newRow("flip twice") << 1 << T {flip, flip} << QStringList();
        QTest::newRow("shown turned: right") << 6 << T {right} << QStringList {"-rotate", "180"};
        QTest::newRow("shown mirrored: flip") << 2 << T {flip} << QStringList();
        QTest::newRow("shown transposed: left") << 5 << T {left} << QStringList {"-flip", "vertical"};
    }
    void turnsMatchJpegtran()
    {
        QFETCH(int, orientation);
        QFETCH(QList<int>, turns);
        QFETCH(QStringList, jpegtran);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.jpg"));
        const QString plain = dir.filePath(QStringLiteral("plain.jpg"));
        WriteTestJpeg(plain, 48, 32);
        WriteBytes(path, jpegseg::WithOrientation(ReadBytes(plain), orientation));
        ::chmod(QFile::encodeName(path).constData(), 0640);
        for (int turn : turns)
            TurnJpegFile(path, Turn(turn));
        const QString expected = dir.filePath(QStringLiteral("expected.jpg"));
        WriteBytes(expected, Run(QStringLiteral("jpegtran"), jpegtran + QStringList {"-perfect", plain}));
        QCOMPARE(Pixels(path), Pixels(expected));
        QCOMPARE(OrientationOf(ReadBytes(path)), 1);
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(path).constData(), &st), 0);
        QCOMPARE(st.st_mode & 07777, mode_t(0640));
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
            QCOMPARE(::link(QFile::encodeName(path).constData(),
                            QFile::encodeName(dir.filePath(QStringLiteral("b.jpg"))).constData()),
                     0);
        const QByteArray before = ReadBytes(path);
        QString failure;
        try {
            TurnJpegFile(path, Turn::Right);
        } catch (const std::exception& e) {
            failure = QString::fromStdString(e.what());
        }
        QVERIFY2(failure.contains(why), qPrintable(failure));
        QCOMPARE(ReadBytes(path), before);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files).size(), linked ? 2 : 1); // nothing left beside it
    }
};

QTEST_GUILESS_MAIN(TestLosslessTurn)
#include "test_lossless_turn.moc"
