// SPDX-License-Identifier: GPL-3.0-or-later
// The shared thumbnail cache over a cache folder of the test's own: URIs, what a lookup takes
// or passes over, what a decode leaves behind, failures, and a cache that cannot be used.
#include <QDateTime>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/stat.h>
#include "picture/Bitmap.h"
#include "picture/JpegImage.h"
#include "picture/PictureThumbnail.h"
#include "picture/ThumbnailCache.h"
#include "JpegSegments.h"
#include "TestFiles.h"
#include "TestPictures.h"

class TestThumbnailCache : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString Cache() const { return m_dir.filePath("cache/thumbnails"); }
    QString Picture() const { return m_dir.filePath("a picture é.jpg"); }
    QString Uri() const { return QString::fromLatin1(ThumbnailUri(QFile::encodeName(Picture()))); }
    QString Cached(const QString& folder) const
    {
        return Cache() + '/' + folder + '/' + ThumbnailFileName(Uri().toLatin1());
    }
    static int Mode(const QString& path)
    {
        struct stat st {};
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
    }
    void Touch() { QVERIFY(QProcess::execute("touch", {"-d", "+10 seconds", Picture()}) == 0); }

    // The file's header read as a page reads it, then the worker's part for one cell.
    struct Run {
        DecodeResult result;
        int decodes = 0;
    };
    Run Open(QSize cell = QSize(120, 90))
    {
        TThumbnail thumbnail;
        thumbnail.LoadHeader(Picture(), GraphicKind::Jpeg);
        Run run;
        if (const std::optional<DecodeJob> job = thumbnail.StartJob(cell)) {
            run.result = RunThumbnailJob(*job);
            run.decodes = run.result.denom != 0 ? 1 : 0;
        }
        return run;
    }

private slots:
    void init()
    {
        qunsetenv("LUMIVUE_NO_THUMBNAIL_CACHE");
        qputenv("XDG_CACHE_HOME", QFile::encodeName(m_dir.filePath("cache")));
        QDir(Cache()).removeRecursively();
        WriteTestJpeg(Picture(), 1000, 750);
    }

    void uri_data()
    {
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QByteArray>("uri");
        QTest::newRow("plain") << QByteArray("/home/jens/photos/me.png")
                               << QByteArray("file:///home/jens/photos/me.png");
        QTest::newRow("space") << QByteArray("/p/a b.jpg") << QByteArray("file:///p/a%20b.jpg");
        QTest::newRow("non-ASCII") << QByteArray("/p/Grüße") << QByteArray("file:///p/Gr%C3%BC%C3%9Fe");
        QTest::newRow("not UTF-8") << QByteArray("/p/\xff\x01") << QByteArray("file:///p/%FF%01");
        QTest::newRow("kept") << QByteArray("/p/-_.!~*'():@&=+$,") << QByteArray("file:///p/-_.!~*'():@&=+$,");
        QTest::newRow("escaped") << QByteArray("/p/#?%;[]\"<>\\^`{|}")
                                 << QByteArray("file:///p/%23%3F%25%3B%5B%5D%22%3C%3E%5C%5E%60%7B%7C%7D");
    }
    void uri()
    {
        QFETCH(QByteArray, path);
        QFETCH(QByteArray, uri);
        QCOMPARE(ThumbnailUri(path), uri);
        if (QTest::currentDataTag() == QByteArray("plain")) // the freedesktop standard's example
            QCOMPARE(ThumbnailFileName(uri), QString("c6ee772d9e49320e97ec29a7eb5b1697.png"));
    }

    // Thumbnails another program wrote, taken only while valid for the file and the cell.
    void lookup_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QSize>("cell");
        QTest::addColumn<QString>("change"); // what differs from a valid thumbnail
        QTest::addColumn<bool>("taken");
        const QSize cell(120, 90), normal(128, 96);
        QTest::newRow("its class") << "normal" << normal << cell << "" << true;
        QTest::newRow("a larger class") << "large" << QSize(256, 192) << cell << "" << true;
        QTest::newRow("by ImageMagick") << "normal" << normal << cell << "convert" << true;
        QTest::newRow("no size key") << "normal" << normal << cell << "no size" << true;
        QTest::newRow("cell of the next class") << "normal" << normal << QSize(129, 97) << "" << false;
        QTest::newRow("larger than its class") << "normal" << QSize(200, 150) << cell << "" << false;
        QTest::newRow("smaller than the cell") << "normal" << QSize(64, 48) << cell << "" << false;
        QTest::newRow("turned") << "normal" << QSize(96, 128) << QSize(90, 68) << "" << false;
        QTest::newRow("another file") << "normal" << normal << cell << "uri" << false;
        QTest::newRow("file changed since") << "normal" << normal << cell << "mtime" << false;
        QTest::newRow("other size") << "normal" << normal << cell << "size" << false;
        QTest::newRow("damaged") << "normal" << normal << cell << "damaged" << false;
    }
    void lookup()
    {
        QFETCH(QString, folder);
        QFETCH(QSize, size);
        QFETCH(QSize, cell);
        QFETCH(QString, change);
        QFETCH(bool, taken);
        const QFileInfo info(Picture());
        const QString uri = change == "uri" ? "file:///elsewhere.jpg" : Uri();
        const QString mtime = QString::number(info.lastModified().toSecsSinceEpoch() - (change == "mtime" ? 5 : 0));
        const QString target = Cached(folder);
        QVERIFY(QDir().mkpath(QFileInfo(target).path()));
        if (change == "convert") {
            if (QStandardPaths::findExecutable("convert").isEmpty())
                QSKIP("ImageMagick's convert is missing (scripts/setup.sh --test installs it)");
            const QStringList args {
                "-size", "128x96",       "xc:red", "-set",         "Thumb::URI", QString(uri).replace('%', "%%"),
                "-set",  "Thumb::MTime", mtime,    "png:" + target};
            QCOMPARE(QProcess::execute("convert", args), 0);
        } else {
            QImage image(size, QImage::Format_RGB32);
            image.fill(Qt::red);
            image.setText("Thumb::URI", uri);
            image.setText("Thumb::MTime", mtime);
            if (change != "no size")
                image.setText("Thumb::Size", QString::number(info.size() + (change == "size" ? 1 : 0)));
            QVERIFY(image.save(target, "png"));
        }
        if (change == "damaged")
            WriteBytes(target, ReadBytes(target).chopped(40));

        const Run run = Open(cell);
        QCOMPARE(run.decodes, taken ? 0 : 1);
        QCOMPARE(run.result.fitted.pixelColor(0, 0) == QColor(Qt::red), taken);
    }

    void decodeLeavesThumbnail()
    {
        QCOMPARE(Open().decodes, 1);
        const QString file = Cached("normal");
        const QImage png = QImageReader(file, "png").read();
        QCOMPARE(png.size(), QSize(128, 96)); // the decode's scale chosen to cover the class
        QCOMPARE(png.text("Thumb::URI"), Uri());
        QCOMPARE(png.text("Thumb::MTime"), QString::number(QFileInfo(Picture()).lastModified().toSecsSinceEpoch()));
        QCOMPARE(png.text("Thumb::Size"), QString::number(QFileInfo(Picture()).size()));
        QCOMPARE(QList<int>({Mode(file), Mode(Cache()), Mode(Cache() + "/normal")}), QList<int>({0600, 0700, 0700}));
        if (!QStandardPaths::findExecutable("identify").isEmpty()) { // another program reads it
            QProcess p;
            p.start("identify", {"-format", "%w %h %[Thumb::URI]", file});
            QVERIFY(p.waitForFinished());
            QCOMPARE(QString::fromUtf8(p.readAllStandardOutput()), "128 96 " + Uri());
        }
        const Run again = Open();
        QCOMPARE(again.decodes, 0);
        QCOMPARE(again.result.fitted.size(), QSize(120, 90));
        Touch();
        QCOMPARE(Open().decodes, 1);
        QCOMPARE(Open().decodes, 0);
    }

    // A camera's small copy (quadrants) of a grey photo serves a cell it covers and that has
    // the photo's shape, turned and coloured as the photo; it never reaches the shared cache.
    void exifThumbnail_data()
    {
        QTest::addColumn<QSize>("thumbnail");
        QTest::addColumn<int>("orientation");
        QTest::addColumn<bool>("profile");
        QTest::addColumn<QSize>("cell");
        QTest::addColumn<QString>("corners"); // ???? : the grey photo was decoded
        QTest::newRow("cell within the copy") << QSize(160, 120) << 1 << false << QSize(120, 90) << "RGBY";
        QTest::newRow("cell beyond the copy") << QSize(160, 120) << 1 << false << QSize(200, 150) << "????";
        QTest::newRow("copy with bars") << QSize(160, 160) << 1 << false << QSize(120, 90) << "????";
        QTest::newRow("photo turned") << QSize(160, 120) << 6 << false << QSize(90, 120) << "BRYG";
        QTest::newRow("photo's profile") << QSize(160, 120) << 1 << true << QSize(120, 90) << "GRBY";
    }
    void exifThumbnail()
    {
        QFETCH(QSize, thumbnail);
        QFETCH(int, orientation);
        QFETCH(bool, profile);
        QFETCH(QSize, cell);
        QFETCH(QString, corners);
        QImage grey(1280, 960, QImage::Format_RGB32);
        grey.fill(Qt::gray);
        TJpegImage photo;
        photo.AssignBitmap(TBitmap(DibFromQImage(grey)));
        const QByteArray segments =
            jpegseg::Marker(
                0xE1,
                jpegseg::ExifWithThumbnail(orientation, MakeQuadrantJpeg(thumbnail.width(), thumbnail.height()))) +
            (profile ? jpegseg::IccMarkers(SwappedRedGreenProfile()) : QByteArray());
        WriteBytes(Picture(), jpegseg::WithSegments(photo.SaveToBytes(), segments));
        const Run run = Open(cell);
        QCOMPARE(run.result.error, QString());
        QCOMPARE(run.result.fitted.size(), cell);
        QCOMPARE(QuadrantColours(run.result.fitted), corners);
        QCOMPARE(QFile::exists(Cached("normal")) || QFile::exists(Cached("large")), corners == "????");
    }

    // The library-read kinds are kept too, under their own type.
    void pngKept()
    {
        const QString png = m_dir.filePath("p.png");
        QImage image(600, 400, QImage::Format_ARGB32);
        image.fill(QColor(200, 20, 20, 255));
        QVERIFY(image.save(png));
        int decodes = 0;
        for (int i = 0; i < 2; ++i) {
            TThumbnail thumbnail;
            thumbnail.LoadHeader(png, GraphicKind::Png);
            const std::optional<DecodeJob> job = thumbnail.StartJob(QSize(120, 80));
            QVERIFY(job);
            const DecodeResult r = RunThumbnailJob(*job);
            QCOMPARE(r.fitted.size(), QSize(120, 80));
            QCOMPARE(r.fitted.pixelColor(60, 40), QColor(200, 20, 20));
            decodes += r.denom != 0;
        }
        QCOMPARE(decodes, 1);
        const QString uri = QString::fromLatin1(ThumbnailUri(QFile::encodeName(png)));
        const QImage kept(Cache() + "/normal/" + ThumbnailFileName(uri.toLatin1()));
        QCOMPARE(kept.size(), QSize(128, 85));
        QCOMPARE(kept.text("Thumb::URI"), uri);
    }

    void failureRecorded()
    {
        QByteArray jpeg = ReadBytes(Picture());
        jpeg[jpeg.indexOf(QByteArray("\xFF\xDA", 2)) + 6] = char(0x33); // a scan without its tables
        WriteBytes(Picture(), jpeg);
        const Run first = Open();
        QVERIFY(!first.result.error.isEmpty());
        QVERIFY(QFileInfo::exists(Cached("fail/lumivue-" LUMIVUE_TEST_VERSION)));
        const Run second = Open();
        QCOMPARE(second.decodes, 0);
        QCOMPARE(second.result.error, first.result.error);
        Touch();
        QCOMPARE(Open().decodes, 1);
    }

    // Turned off, or unwritable, the cache costs nothing but the saving.
    void cacheUnused_data()
    {
        QTest::addColumn<bool>("off");
        QTest::newRow("turned off") << true;
        QTest::newRow("cannot be written") << false;
    }
    void cacheUnused()
    {
        QFETCH(bool, off);
        if (off)
            qputenv("LUMIVUE_NO_THUMBNAIL_CACHE", "1");
        else
            WriteBytes(Cache(), "not a folder"); // fails for any user, as a read-only or full disk does
        for (int i = 0; i < 2; ++i) {
            const Run run = Open();
            QCOMPARE(run.decodes, 1);
            QVERIFY(run.result.error.isEmpty());
            QCOMPARE(run.result.fitted.size(), QSize(120, 90));
            QCOMPARE(run.result.denom, 8); // not decoded larger for a thumbnail that cannot be kept
        }
        QVERIFY(!QFileInfo(Cache()).isDir());
        QFile::remove(Cache());
    }
};

QTEST_MAIN(TestThumbnailCache)
#include "test_thumbnail_cache.moc"
