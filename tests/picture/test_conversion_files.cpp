// SPDX-License-Identifier: GPL-3.0-or-later
// Written files: an independent reader agrees with ours, a failed save keeps the old file,
// the clipboard form of each kind, and the size rules of each kind.
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>
#include "picture/Bitmap.h"
#include "picture/ClipboardForm.h"
#include "picture/Failure.h"
#include "picture/Icon.h"
#include "picture/JpegImage.h"
#include "TestFiles.h"
#include "TestPictures.h"

Q_DECLARE_METATYPE(TPixelFormat)

class TestConversionFiles : public QObject {
    Q_OBJECT
private slots:
    void independentReaderAgrees_data()
    {
        QTest::addColumn<TPixelFormat>("format");
        QTest::addColumn<int>("depth");     // bits per channel as the other reader sees them
        QTest::addColumn<QString>("klass"); // indexed (PseudoClass) or direct colour
        QTest::newRow("1-bit") << TPixelFormat::Bit1 << 1 << "PseudoClass";
        QTest::newRow("4-bit") << TPixelFormat::Bit4 << 4 << "PseudoClass";
        QTest::newRow("8-bit") << TPixelFormat::Bit8 << 8 << "PseudoClass";
        QTest::newRow("15-bit") << TPixelFormat::Bit15 << 8 << "DirectClass";
        QTest::newRow("16-bit") << TPixelFormat::Bit16 << 8 << "DirectClass";
        QTest::newRow("24-bit") << TPixelFormat::Bit24 << 8 << "DirectClass";
        QTest::newRow("32-bit") << TPixelFormat::Bit32 << 8 << "DirectClass";
    }
    void independentReaderAgrees()
    {
        const QString identify = QStandardPaths::findExecutable(QStringLiteral("identify"));
        if (identify.isEmpty())
            QSKIP("ImageMagick's identify is not installed");
        QFETCH(TPixelFormat, format);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("out.bmp"));
        TBitmap bmp(DibFromQImage(MakeTestImage(67, 41)));
        bmp.SetPixelFormat(format);
        QCOMPARE(bmp.PixelFormat(), format);
        bmp.SaveToFile(path);
        QProcess p;
        p.start(identify, {QStringLiteral("-format"), QStringLiteral("%w %h %z %r"), path});
        QVERIFY(p.waitForFinished(30000));
        const QStringList out = QString::fromLatin1(p.readAllStandardOutput()).split(QLatin1Char(' '));
        QVERIFY2(out.size() >= 4, qPrintable(out.join(' ')));
        QCOMPARE(out[0].toInt(), 67);
        QCOMPARE(out[1].toInt(), 41);
        QTEST(out[2].toInt(), "depth");
        QTEST(out[3], "klass");
        // And our own reader gives back the same format.
        TBitmap back;
        back.LoadFromFile(path);
        QCOMPARE(back.PixelFormat(), format);
    }

    void failedSaveKeepsOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("keep.bmp"));
        const QByteArray old("the user's old file");
        WriteBytes(path, old);
        TBitmap big(DibFromQImage(MakeTestImage(200, 200)));
        // The file system refuses to let any file grow past 4 KiB: the write fails midway.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved {};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = 4096;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        bool failed = false;
        try {
            big.SaveToFile(path);
        } catch (const Failure&) {
            failed = true;
        }
        setrlimit(RLIMIT_FSIZE, &saved);
        QVERIFY(failed);
        QCOMPARE(ReadBytes(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList {QStringLiteral("keep.bmp")});
    }

    void saveThroughLinkReplacesTarget()
    {
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("real.bmp"));
        const QString link = dir.filePath(QStringLiteral("link.bmp"));
        WriteBytes(target, QByteArray("old"));
        QVERIFY(QFile::link(target, link));
        TBitmap bmp(DibFromQImage(MakeTestImage(8, 8)));
        bmp.SaveToFile(link);
        QVERIFY(QFileInfo(link).isSymLink());
        TBitmap back;
        back.LoadFromFile(target);
        QCOMPARE(back.Width(), 8);
    }

    void clipboardForms()
    {
        TBitmap colour(DibFromQImage(MakeTestImage(10, 6)));
        const ClipboardForm c = MakeClipboardForm(colour);
        QCOMPARE(c.image.size(), QSize(10, 6));
        QCOMPARE(c.image.pixel(3, 2), MakeTestImage(10, 6).pixel(3, 2));

        TBitmap mono(DibFromQImage(MakeTestImage(10, 6)));
        mono.SetMonochrome(true);
        const ClipboardForm m = MakeClipboardForm(mono);
        QCOMPARE(m.image.format(), QImage::Format_Mono);

        TBitmap indexed(DibFromQImage(MakeTestImage(10, 6)));
        indexed.SetPixelFormat(TPixelFormat::Bit8);
        const ClipboardForm i = MakeClipboardForm(indexed);
        QCOMPARE(i.palette.size(), size_t(256));

        TJpegImage jpeg;
        jpeg.AssignBitmap(colour);
        jpeg.Compress();
        TJpegImage loaded;
        loaded.LoadFromBytes(jpeg.Data());
        QCOMPARE(MakeClipboardForm(loaded).image.size(), QSize(10, 6));

        TIcon icon;
        icon.LoadFromBytes(MakeTestIcon({32}));
        try {
            MakeClipboardForm(icon);
            QFAIL("an icon went onto the clipboard");
        } catch (const Failure& e) {
            QCOMPARE(e.Text(), QStringLiteral("Clipboard does not support Icons"));
        }
    }

    void sizeRules()
    {
        TJpegImage jpeg;
        try {
            jpeg.SetWidth(5);
            QFAIL("a JPEG picture changed its size");
        } catch (const Failure& e) {
            QCOMPARE(e.Text(), QStringLiteral("Cannot change the size of a JPEG image"));
        }
        TIcon icon;
        icon.SetWidth(5); // no image yet: nothing to refuse
        icon.LoadFromBytes(MakeTestIcon({32}));
        try {
            icon.SetHeight(5);
            QFAIL("an icon changed its size");
        } catch (const Failure& e) {
            QCOMPARE(e.Text(), QStringLiteral("Cannot change the size of an icon"));
        }
        TBitmap bmp(DibFromQImage(MakeTestImage(10, 6)));
        TGraphic& g = bmp;
        g.SetWidth(20);
        QCOMPARE(bmp.Width(), 20);
        QCOMPARE(bmp.Dib().PixelRgb(15, 3), 0xffffffffu); // the new area is white
    }
};

QTEST_MAIN(TestConversionFiles)
#include "test_conversion_files.moc"
