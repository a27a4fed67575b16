// SPDX-License-Identifier: GPL-3.0-or-later
// "Copy to Clipboard" and "Copy to" from the thumbnail popup, offscreen through the scripted
// platform, on real files.
#include <QDir>
#include <QListWidget>
#include <QTest>
#include "picture/Bitmap.h"
#include "picture/DibImage.h"
#include "picture/SaveRules.h"
#include "TestFiles.h"
#include "JpegSegments.h"
#include "TestPictures.h"
#include "MainWindowFixture.h"
#include "controls/DecodeQueue.h"

namespace {
const QString kClipboard = QStringLiteral("Copy to Clipboard");
const QString kCopyTo = QStringLiteral("Copy to");

struct Browser : MainWindowFixture<> {
    void Choose(int n, const QString& entry)
    {
        platform.menuChoices = {entry};
        form->AllImageClick(form->Thumbnail(n));
    }
    QString LastMessage() const { return platform.messages.empty() ? QString() : platform.messages.back().text; }
};

// A photo taken with the camera turned: stored on its side, tagged to show upright.
const QString kTurned = QStringLiteral("turned.jpg");

// Writes the named test file: a JPEG, an icon, a 24-bit or an 8-bit bitmap, or a broken one.
void WriteNamed(const QString& path, QSize size)
{
    if (path.endsWith(kTurned)) {
        WriteTestJpeg(path, size.height(), size.width(), false, 2);
        WriteBytes(path, jpegseg::WithOrientation(ReadBytes(path), 8));
    } else if (path.endsWith(QLatin1String(".jpg")))
        WriteTestJpeg(path, size.width(), size.height(), false, 2);
    else if (path.endsWith(QLatin1String(".ico")))
        WriteBytes(path, MakeTestIcon({16, 32}));
    else if (path.endsWith(QLatin1String("broken.bmp")))
        WriteBytes(path, QByteArray("BM not a bitmap"));
    else
        WriteBitmapFile(TBitmap(DibFromQImage(MakeTestImage(size.width(), size.height(), 2))),
                        path.endsWith(QLatin1String("8.bmp")) ? TPixelFormat::Bit8 : TPixelFormat::Bit24, path);
}
}

class TestCopy : public QObject {
    Q_OBJECT
private slots:
    // What lands on the clipboard: the file's whole picture as decoded, or nothing and a report.
    void clipboard_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("available");
        QTest::addColumn<QString>("report");
        QTest::newRow("JPEG decoded at full size") << "big.jpg" << QSize(1600, 1200) << true << "";
        QTest::newRow("turned photo upright") << kTurned << QSize(90, 160) << true << ""; // stored 160 x 90
        QTest::newRow("24-bit bitmap") << "deep24.bmp" << QSize(90, 70) << true << "";
        QTest::newRow("8-bit bitmap keeps its colours") << "paletted8.bmp" << QSize(64, 48) << true << "";
        QTest::newRow("icon") << "a.ico" << QSize() << true << "Clipboard does not support Icons.";
        QTest::newRow("clipboard cannot be taken") << "a.bmp" << QSize(20, 10) << false << "Cannot open clipboard.";
        QTest::newRow("file that failed to load") << "broken.bmp" << QSize() << true << "There is no picture to copy.";
    }
    // The thumbnail keeps only its reduced copy: a file gone since the page load fails as
    // loading it does, and the clipboard keeps what it has.
    void clipboardFileGone()
    {
        Browser b;
        WriteNamed(b.Path(QStringLiteral("a.bmp")), QSize(20, 10));
        b.OpenWindow();
        b.form->Decoder().Drain(); // the page is loaded once the workers have read it
        QVERIFY(QFile::remove(b.Path(QStringLiteral("a.bmp"))));
        b.Choose(1, kClipboard);
        QCOMPARE(b.platform.busyDepth, 0);
        QVERIFY(b.platform.clipboard.empty());
        QVERIFY2(b.LastMessage().startsWith(QLatin1String("Cannot open file \"")), qPrintable(b.LastMessage()));
    }

    void clipboard()
    {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        QFETCH(bool, available);
        QFETCH(QString, report);
        Browser b;
        WriteNamed(b.Path(name), size);
        b.OpenWindow();
        b.platform.clipboardAvailable = available;
        b.Choose(1, kClipboard);

        QCOMPARE(b.platform.busyDepth, 0);
        if (!report.isEmpty()) {
            QVERIFY(b.platform.clipboard.empty());
            QCOMPARE(b.LastMessage(), report);
            QCOMPARE(b.platform.messages.back().kind, MessageKind::Error);
            return;
        }
        QVERIFY2(b.platform.messages.empty(), qPrintable(b.LastMessage()));
        QCOMPARE(b.platform.clipboard.size(), size_t(1));
        QCOMPARE(b.platform.clipboard.front().size(), size);
        QCOMPARE(b.platform.clipboard.front().convertToFormat(QImage::Format_RGB32), DecodedPixels(b.Path(name)));
    }

    // The copy goes to the name the dialog gives back (relative to the working folder).
    void copyTo_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("written");
        QTest::addColumn<bool>("existing");
        QTest::addColumn<bool>("ok");
        QTest::newRow("new name") << "copy.JPG"
                                  << "copy.JPG" << false << true;
        QTest::newRow("existing file replaced") << "old.dat"
                                                << "old.dat" << true << true;
        QTest::newRow("no extension: the source's") << "plain"
                                                    << "plain.JPG" << false << true;
        QTest::newRow("other extension, same bytes") << "other.bmp"
                                                     << "other.bmp" << false << true;
        QTest::newRow("onto the source itself") << "Photo.JPG"
                                                << "Photo.JPG" << true << false;
        QTest::newRow("onto a link to the source") << "zlink.dat"
                                                   << "zlink.dat" << true << false;
        QTest::newRow("into a missing folder") << "none/copy.JPG"
                                               << "none/copy.JPG" << false << false;
    }
    void copyTo()
    {
        QFETCH(QString, answer);
        QFETCH(QString, written);
        QFETCH(bool, existing);
        QFETCH(bool, ok);
        Browser b;
        const QString source = b.Path(QStringLiteral("Photo.JPG"));
        WriteTestJpeg(source, 40, 30);
        const QByteArray bytes = ReadBytes(source);
        const QByteArray old("older contents");
        if (written.startsWith(QLatin1String("zlink")))
            QVERIFY(QFile::link(source, b.Path(written)));
        else if (existing && written != QLatin1String("Photo.JPG"))
            WriteBytes(b.Path(written), old);
        const auto files = [&] { return QDir(b.dir.path()).entryList(QDir::Files | QDir::Hidden).size(); };
        const qsizetype before = files();
        b.OpenWindow();
        const QString folder = QDir::currentPath();
        b.platform.saveAnswers = {answer};
        b.Choose(1, kCopyTo);

        QCOMPARE(QDir::currentPath(), folder);
        QCOMPARE(b.platform.saveSetups.size(), size_t(1));
        const auto& dialog = b.platform.saveSetups.front();
        QCOMPARE(dialog.fileName, QStringLiteral("Photo.JPG"));
        QCOMPARE(dialog.defaultExtension, QStringLiteral("JPG"));
        QVERIFY(dialog.filter.isEmpty());
        QCOMPARE(ReadBytes(source), bytes);
        if (ok) {
            QVERIFY(b.platform.messages.empty());
            QCOMPARE(ReadBytes(b.Path(written)), bytes);
        } else {
            QCOMPARE(b.LastMessage(), source + QStringLiteral(" not saved."));
            QCOMPARE(QFileInfo::exists(b.Path(written)), existing);
        }
        // One new file at most, nothing left behind beside it.
        QCOMPARE(files(), before + (ok && !existing ? 1 : 0));
    }

    void copyToCancelled()
    {
        Browser b;
        WriteTestBitmap(b.Path(QStringLiteral("a.bmp")), 20, 10);
        b.OpenWindow();
        const QString folder = QDir::currentPath();
        b.platform.saveAnswers = {std::nullopt};
        b.Choose(1, kCopyTo);
        QCOMPARE(b.platform.saveSetups.size(), size_t(1));
        QCOMPARE(QDir::currentPath(), folder);
        QCOMPARE(QDir(b.dir.path()).entryList(QDir::Files).size(), qsizetype(1));
        QVERIFY(b.platform.messages.empty());
    }

    // In search mode the entry is a full path in another folder; the copy reads that file.
    void copyToInSearchMode()
    {
        Browser b;
        QVERIFY(QDir(b.dir.path()).mkpath(QStringLiteral("other")));
        const QString listed = b.Path(QStringLiteral("other/Found.bmp"));
        WriteTestBitmap(listed, 30, 20, 4);
        WriteTestBitmap(b.Path(QStringLiteral("Found.bmp")), 10, 10, 1); // same name, other bytes
        b.OpenWindow();
        b.SetSearchResults({listed});
        b.form->LoadDirectory();
        b.platform.saveAnswers = {b.Path(QStringLiteral("result.bmp"))};
        b.Choose(1, kCopyTo);
        QVERIFY2(b.platform.messages.empty(), qPrintable(b.LastMessage()));
        QCOMPARE(b.platform.saveSetups.front().fileName, QStringLiteral("Found.bmp"));
        QCOMPARE(ReadBytes(b.Path(QStringLiteral("result.bmp"))), ReadBytes(listed));
    }
};

QTEST_MAIN(TestCopy)
#include "test_copy.moc"
