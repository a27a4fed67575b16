// The shared thumbnail cache, over a cache folder of the test's own: names and URIs, what a
// lookup takes or passes over, what a decode leaves behind, and a cache that cannot be used.
#include <QCryptographicHash>
#include <QDateTime>
#include <QImageReader>
#include <QImageWriter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>
#include "picture/ThumbnailJob.h"
#include "TestFiles.h"
#include "TestPictures.h"

namespace {

int Mode(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
}

} // namespace

class TestThumbnailCache : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString Cache() const { return m_dir.filePath(QStringLiteral("cache/thumbnails")); }
    QString Picture() const { return m_dir.filePath(QStringLiteral("a picture é.jpg")); }
    QString Cached(const QString& folder) const
    {
        return Cache() + QLatin1Char('/') + folder + QLatin1Char('/') +
            ThumbnailFileName(ThumbnailUri(QFile::encodeName(Picture())));
    }

    // The file as the window loads it, and the worker's part for a cell: the decode is counted.
    struct Run {
        JpegCacheResult result;
        int decodes = 0;
    };
    Run Open(QSize cell)
    {
        TJpegImage jpeg;
        jpeg.LoadFromFile(Picture());
        std::optional<JpegCacheJob> job = jpeg.StartCacheJob(cell);
        Run run;
        if (!job)
            return run;
        const ThumbnailSource source {jpeg.Source(), QSize(jpeg.Width(), jpeg.Height()), {}};
        if (!TakeCachedThumbnail(source, *job, run.result)) {
            run.result = TJpegImage::RunCacheJob(*job);
            ++run.decodes;
            KeepThumbnail(source, *job, run.result, false);
        }
        return run;
    }
    void Touch(int seconds)
    {
        QFile f(Picture());
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(seconds), QFileDevice::FileModificationTime));
    }

private slots:
    void init()
    {
        qunsetenv("LUMIVUE_NO_THUMBNAIL_CACHE");
        qputenv("XDG_CACHE_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("cache"))));
        QDir(Cache()).removeRecursively();
        WriteTestJpeg(Picture(), 1000, 750);
    }

    void uriAndName_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArray>("uri");
        QTest::newRow("plain") << QByteArray("/home/jens/photos/me.png")
                               << QByteArray("file:///home/jens/photos/me.png");
        QTest::newRow("space") << QByteArray("/p/a b.jpg") << QByteArray("file:///p/a%20b.jpg");
        QTest::newRow("non-ASCII") << QByteArray("/p/Grüße.jpg") << QByteArray("file:///p/Gr%C3%BC%C3%9Fe.jpg");
        QTest::newRow("not UTF-8") << QByteArray("/p/\xff\x01.jpg") << QByteArray("file:///p/%FF%01.jpg");
        QTest::newRow("kept") << QByteArray("/p/-_.!~*'():@&=+$,") << QByteArray("file:///p/-_.!~*'():@&=+$,");
        QTest::newRow("escaped") << QByteArray("/p/#?%;[]\"<>\\^`{|}")
                                 << QByteArray("file:///p/%23%3F%25%3B%5B%5D%22%3C%3E%5C%5E%60%7B%7C%7D");
    }
    void uriAndName()
    {
        QFETCH(QByteArray, path);
        QFETCH(QByteArray, uri);
        QCOMPARE(ThumbnailUri(path), uri);
        if (QTest::currentDataTag() == QByteArray("plain")) // the freedesktop standard's own example
            QCOMPARE(ThumbnailFileName(uri), QStringLiteral("c6ee772d9e49320e97ec29a7eb5b1697.png"));
    }

    void classSide_data()
    {
        QTest::addColumn<QSize>("cell");
        QTest::addColumn<int>("side");
        QTest::newRow("small") << QSize(100, 75) << 128;
        QTest::newRow("exactly normal") << QSize(128, 10) << 128;
        QTest::newRow("just over") << QSize(50, 129) << 256;
        QTest::newRow("x-large") << QSize(300, 500) << 512;
        QTest::newRow("xx-large") << QSize(1024, 1) << 1024;
        QTest::newRow("beyond") << QSize(1025, 1) << 0;
    }
    void classSide()
    {
        QFETCH(QSize, cell);
        QFETCH(int, side);
        QCOMPARE(ThumbnailClassSide(cell), side);
    }

    // Thumbnails another program wrote: taken only while valid for the file and the cell.
    void lookup_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QSize>("cell");
        QTest::addColumn<QString>("change"); // what differs from a valid thumbnail
        QTest::addColumn<bool>("taken");
        QTest::newRow("its class") << "normal" << QSize(128, 96) << QSize(120, 90) << "" << true;
        QTest::newRow("a larger class") << "large" << QSize(256, 192) << QSize(120, 90) << "" << true;
        QTest::newRow("by ImageMagick") << "normal" << QSize(128, 96) << QSize(120, 90) << "convert" << true;
        QTest::newRow("no size key") << "normal" << QSize(128, 96) << QSize(120, 90) << "no size" << true;
        QTest::newRow("smaller class") << "normal" << QSize(128, 96) << QSize(200, 150) << "" << false;
        QTest::newRow("larger than its class") << "normal" << QSize(200, 150) << QSize(120, 90) << "" << false;
        QTest::newRow("smaller than the cell") << "normal" << QSize(64, 48) << QSize(120, 90) << "" << false;
        QTest::newRow("turned") << "normal" << QSize(96, 128) << QSize(90, 68) << "" << false;
        QTest::newRow("another file") << "normal" << QSize(128, 96) << QSize(120, 90) << "uri" << false;
        QTest::newRow("file changed since") << "normal" << QSize(128, 96) << QSize(120, 90) << "mtime" << false;
        QTest::newRow("other size") << "normal" << QSize(128, 96) << QSize(120, 90) << "size" << false;
        QTest::newRow("damaged") << "normal" << QSize(128, 96) << QSize(120, 90) << "damaged" << false;
    }
    void lookup()
    {
        QFETCH(QString, folder);
        QFETCH(QSize, size);
        QFETCH(QString, change);
        const QFileInfo info(Picture());
        const QString uri = change == "uri" ? QStringLiteral("file:///elsewhere.jpg")
                                            : QString::fromLatin1(ThumbnailUri(QFile::encodeName(Picture())));
        const qint64 mtime = info.lastModified().toSecsSinceEpoch() + (change == "mtime" ? -5 : 0);
        const qint64 bytes = info.size() + (change == "size" ? 1 : 0);
        const QString target = Cached(folder);
        QVERIFY(QDir().mkpath(QFileInfo(target).path()));
        if (change == "convert") {
            const QString convert = QStandardPaths::findExecutable(QStringLiteral("convert"));
            if (convert.isEmpty())
                QSKIP("ImageMagick's convert is missing (scripts/setup.sh installs it)");
            QCOMPARE(QProcess::execute(convert,
                                       {QStringLiteral("-size"), QStringLiteral("128x96"), QStringLiteral("xc:red"),
                                        QStringLiteral("-set"), QStringLiteral("Thumb::URI"),
                                        QString(uri).replace('%', "%%"), QStringLiteral("-set"),
                                        QStringLiteral("Thumb::MTime"), QString::number(mtime),
                                        QStringLiteral("png:") + target}),
                     0);
        } else {
            QImage image(size, QImage::Format_RGB32);
            image.fill(Qt::red);
            image.setText(QStringLiteral("Thumb::URI"), uri);
            image.setText(QStringLiteral("Thumb::MTime"), QString::number(mtime));
            if (change != "no size")
                image.setText(QStringLiteral("Thumb::Size"), QString::number(bytes));
            QImageWriter writer(target, "png");
            QVERIFY(writer.write(image));
        }
        if (change == "damaged")
            WriteBytes(target, ReadBytes(target).left(int(QFileInfo(target).size()) - 40));

        QFETCH(QSize, cell);
        QFETCH(bool, taken);
        const Run run = Open(cell);
        QCOMPARE(run.decodes, taken ? 0 : 1);
        QCOMPARE(run.result.cache.pixelColor(0, 0) == QColor(Qt::red), run.decodes == 0);
    }

    // What a decode leaves follows the standard; the next opening takes it instead of
    // decoding, until the file changes.
    void decodeLeavesThumbnail()
    {
        QCOMPARE(Open(QSize(120, 90)).decodes, 1);
        const QString file = Cached(QStringLiteral("normal"));
        QImageReader reader(file, "png");
        const QImage png = reader.read();
        QCOMPARE(png.size(), QSize(128, 96)); // decoded at a scale large enough for its class
        QCOMPARE(png.text(QStringLiteral("Thumb::URI")),
                 QString::fromLatin1(ThumbnailUri(QFile::encodeName(Picture()))));
        QCOMPARE(png.text(QStringLiteral("Thumb::MTime")),
                 QString::number(QFileInfo(Picture()).lastModified().toSecsSinceEpoch()));
        QCOMPARE(png.text(QStringLiteral("Thumb::Size")), QString::number(QFileInfo(Picture()).size()));
        QCOMPARE(Mode(file), 0600);
        QCOMPARE(Mode(Cache()), 0700);
        QCOMPARE(Mode(Cache() + QStringLiteral("/normal")), 0700);
        const QString identify = QStandardPaths::findExecutable(QStringLiteral("identify"));
        if (!identify.isEmpty()) {
            QProcess p;
            p.start(identify, {QStringLiteral("-format"), QStringLiteral("%w %h %[Thumb::URI]"), file});
            QVERIFY(p.waitForFinished());
            QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()),
                     QStringLiteral("128 96 ") + png.text(QStringLiteral("Thumb::URI")));
        }
        const Run again = Open(QSize(120, 90));
        QCOMPARE(again.decodes, 0);
        QCOMPARE(again.result.fitted.size(), QSize(120, 90));
        Touch(10);
        QCOMPARE(Open(QSize(120, 90)).decodes, 1);
        QCOMPARE(Open(QSize(120, 90)).decodes, 0);
    }

    void failureRecorded()
    {
        QByteArray jpeg = ReadBytes(Picture());
        jpeg[int(jpeg.indexOf(QByteArray("\xFF\xDA", 2))) + 6] = char(0x33); // a scan without its tables
        WriteBytes(Picture(), jpeg);
        const Run first = Open(QSize(120, 90));
        QVERIFY(!first.result.error.isEmpty());
        QVERIFY(QFileInfo::exists(Cached(QStringLiteral("fail/lumivue-" LUMIVUE_TEST_VERSION))));
        const Run second = Open(QSize(120, 90));
        QCOMPARE(second.decodes, 0);
        QCOMPARE(second.result.error, first.result.error);
        Touch(10);
        QCOMPARE(Open(QSize(120, 90)).decodes, 1);
    }

    // A cache turned off, or one that cannot be written, costs nothing but the saving.
    void cacheUnused_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("turned off") << "off";
        QTest::newRow("cannot be written") << "file";
    }
    void cacheUnused()
    {
        QFETCH(QString, how);
        if (how == "off")
            qputenv("LUMIVUE_NO_THUMBNAIL_CACHE", "1");
        else
            WriteBytes(Cache(), "not a folder"); // stands for a read-only or full cache for any user
        for (int i = 0; i < 2; ++i) {
            const Run run = Open(QSize(120, 90));
            QCOMPARE(run.decodes, 1);
            QVERIFY(run.result.error.isEmpty());
            QCOMPARE(run.result.fitted.size(), QSize(120, 90));
        }
        QCOMPARE(QFileInfo(Cache()).isDir(), false);
        QFile::remove(Cache());
    }
};

QTEST_MAIN(TestThumbnailCache)
#include "test_thumbnail_cache.moc"
