// SPDX-License-Identifier: GPL-3.0-or-later
// The save window driven offscreen through the scripted platform, opened from the thumbnail
// popup on real files; what it writes is read back with the program's own reader and, for a
// few files, with ImageMagick's identify.
#include <csignal>
#include <sys/resource.h>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include "controls/UpDownEdit.h"
#include "picture/Bitmap.h"
#include "picture/JpegImage.h"
#include "picture/PictureFormats.h"
#include "TestFiles.h"
#include "JpegSegments.h"
#include "TestPictures.h"
#include "MainWindowFixture.h"
#include "controls/DecodeQueue.h"
#include "ui/save/Save.h"

namespace {
enum Entry { FileJpeg, FileBitmap, ThumbJpeg, ThumbBitmap };

struct Saver : MainWindowFixture<> {
    // A picture file in the folder: a bitmap in a pixel format, a JPEG file or an icon.
    void Make(const QString& name, QSize size = QSize(40, 30), int format = 6)
    {
        if (name.endsWith(QLatin1String(".ico"))) {
            WriteBytes(Path(name), MakeTestIcon({16, 32}));
        } else if (name.endsWith(QLatin1String(".bmp"))) {
            TBitmap bmp(DibFromQImage(MakeTestImage(size.width(), size.height())));
            bmp.SetPixelFormat(TPixelFormat(format));
            bmp.SaveToFile(Path(name));
        } else if (name.startsWith(QLatin1String("turned"))) {
            // A photo taken with the camera turned: stored on its side, tagged to show as `size`.
            WriteTestJpeg(Path(name), size.height(), size.width());
            WriteBytes(Path(name), jpegseg::WithOrientation(ReadBytes(Path(name)), 6));
        } else {
            WriteTestJpeg(Path(name), size.width(), size.height());
        }
    }
    // Clicks the first thumbnail, opens the window from the entry and runs `body` in it.
    bool Run(int entry, const std::function<void(TSaveForm&)>& body)
    {
        if (!form)
            OpenWindow();
        form->AllImageClick(form->Thumbnail(1));
        QAction* action = std::array {form->mniAsJpeg, form->mniAsBitmap, form->mniTAsJpeg, form->mniTAsBitmap}[entry];
        return During<TSaveForm>([&] { action->trigger(); }, body);
    }
    QStringList Texts() const
    {
        QStringList texts;
        for (const auto& m : platform.messages)
            texts << m.text;
        return texts;
    }
};

bool JpegPage(int entry)
{
    return entry == FileJpeg || entry == ThumbJpeg;
}
void Press(TSaveForm& w)
{
    (w.SaveKind == kSaveAsJpeg ? w.btnJSAccept : w.btnBSAccept)->click();
}
void Pick(QComboBox* box, const QString& text)
{
    const int i = box->findText(text);
    i >= 0 ? box->setCurrentIndex(i) : box->setEditText(text);
}
QString Identify(const QString& path, const char* format)
{
    QProcess p;
    p.start(QStringLiteral("identify"), {QStringLiteral("-format"), QLatin1String(format), path});
    p.waitForFinished(30000);
    return QString::fromLatin1(p.readAllStandardOutput()).trimmed();
}
const QString kMaxSize = QStringLiteral("Invalid max size");
const QString kRate = QStringLiteral("Invalid compression rate");
}

class TestSave : public QObject {
    Q_OBJECT
private slots:
    // The page, its set-up and the dialog follow the entry and the source; " &Save" at once.
    void opening_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("mono");
        QTest::addColumn<QString>("name"); // proposed; empty: refused before the dialog
        QTest::newRow("24-bit") << "photo.bmp" << 6 << int(FileBitmap) << "24-bit" << false << "photo";
        QTest::newRow("1-bit") << "a.bmp" << 1 << int(ThumbBitmap) << "1-bit" << true << "a";
        QTest::newRow("16 bits, no masks") << "a.bmp" << 4 << int(FileBitmap) << "15-bit" << false << "";
        QTest::newRow("jpeg") << "a.jpg" << 6 << int(ThumbBitmap) << "24-bit" << false << "a";
        QTest::newRow("jpeg page") << "photo.jpeg" << 6 << int(ThumbJpeg) << "" << false << "photo";
        QTest::newRow("long extension, dots in the name")
            << "a.b.tiff.jpeg" << 6 << int(ThumbJpeg) << "" << false << "a.b.tiff";
    }
    void opening()
    {
        QFETCH(QString, file);
        QFETCH(int, format);
        QFETCH(int, entry);
        QFETCH(QString, name);
        Saver s;
        s.Make(file, QSize(40, 30), format);
        QVERIFY(s.Run(entry, [&](TSaveForm& w) {
            QWidget* page = JpegPage(entry) ? w.JpegTab : w.BitTab;
            QCOMPARE(w.windowTitle(), JpegPage(entry) ? " Save image as JPeg" : " Save image as Bitmap");
            QVERIFY(!w.pgcImage->tabBar()->isVisible());
            QCOMPARE(w.pgcImage->currentWidget(), page);
            QCOMPARE(w.pnlThumb->isVisible(), entry >= ThumbJpeg);
            QCOMPARE(w.pnlThumb->parentWidget(), page);
            if (!JpegPage(entry)) {
                QTEST(w.cbxBit->currentText(), "item");
                QTEST(w.chkMono->isChecked(), "mono");
            }
            Press(w);
            QCOMPARE(w.isVisible(), name.isEmpty()); // the cancelled dialog closes the window
        }));
        QCOMPARE(s.Texts(), name.isEmpty() ? QStringList {"Cannot use that Pixel format."} : QStringList {});
        QCOMPARE(s.platform.saveSetups.size(), size_t(name.isEmpty() ? 0 : 1));
        if (!name.isEmpty()) {
            const auto& d = s.platform.saveSetups[0];
            QCOMPARE(d.fileName, name);
            QCOMPARE(d.defaultExtension, JpegPage(entry) ? "jpg" : "bmp");
            QCOMPARE(d.filter, DialogFilter(JpegPage(entry) ? GraphicKind::Jpeg : GraphicKind::Bitmap));
        }
        QCOMPARE(QDir(s.dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList {file});
    }

    // "Monochrome" follows "1-bit" alone; "Progressive Encoding" refuses the quality 100.
    void checkBoxRules_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("text"); // the item chosen after "1-bit", or the quality
        QTest::addColumn<bool>("click");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<QString>("message");
        const QString mono = QStringLiteral("Cannot be mono unless 1-bit selected");
        QTest::newRow("1-bit") << int(FileBitmap) << "1-bit" << false << true << "";
        QTest::newRow("1-bit, cleared") << int(FileBitmap) << "1-bit" << true << false << "";
        QTest::newRow("8-bit after 1-bit") << int(FileBitmap) << "8-bit" << false << false << "";
        QTest::newRow("8-bit, clicked") << int(FileBitmap) << "8-bit" << true << false << mono;
        QTest::newRow("typed item") << int(FileBitmap) << "1 bit" << true << false << mono;
        QTest::newRow("quality 100") << int(FileJpeg) << "100" << true << false
                                     << "Can only encode if quality less than 100";
        QTest::newRow("quality 99") << int(FileJpeg) << "99" << true << true << "";
    }
    void checkBoxRules()
    {
        QFETCH(int, entry);
        QFETCH(QString, text);
        QFETCH(bool, click);
        QFETCH(QString, message);
        Saver s;
        s.Make(QStringLiteral("a.jpg"));
        QVERIFY(s.Run(entry, [&](TSaveForm& w) {
            QCheckBox* box = JpegPage(entry) ? w.chkPEncode : w.chkMono;
            if (JpegPage(entry)) {
                w.edtCompress->setText(text);
            } else {
                Pick(w.cbxBit, QStringLiteral("1-bit"));
                Pick(w.cbxBit, text);
            }
            if (click)
                box->click();
            QTEST(box->isChecked(), "checked");
        }));
        QCOMPARE(s.Texts(), message.isEmpty() ? QStringList {} : QStringList {message});
    }

    // Refused texts leave the window open and ask for no name; accepted ones reach the dialog.
    void typedNumbers_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("quality");
        QTest::addColumn<QString>("max");
        QTest::addColumn<QString>("refusal");
        for (const char* q : {"0", "101", "-5", "abc", ""})
            QTest::addRow("quality '%s'", q) << int(FileJpeg) << q << "100" << kRate;
        for (const char* q : {"1", "100"})
            QTest::addRow("quality %s", q) << int(FileJpeg) << q << "100" << QString();
        for (const char* m : {"0", "abc", "2", "3601", "-5"}) {
            QTest::addRow("jpeg max '%s'", m) << int(ThumbJpeg) << "50" << m << kMaxSize;
            QTest::addRow("bitmap max '%s'", m) << int(ThumbBitmap) << "" << m << kMaxSize;
        }
        QTest::newRow("side of 0") << int(ThumbBitmap) << ""
                                   << "3" << kMaxSize; // 300 x 100 at 3 is 3 x 0
        QTest::newRow("max 6") << int(ThumbBitmap) << ""
                               << "6" << QString();
        QTest::newRow("max ignored for the file") << int(FileBitmap) << ""
                                                  << "abc" << QString();
    }
    void typedNumbers()
    {
        QFETCH(int, entry);
        QFETCH(QString, quality);
        QFETCH(QString, max);
        QFETCH(QString, refusal);
        Saver s;
        s.Make(QStringLiteral("a.bmp"), QSize(300, 100));
        QVERIFY(s.Run(entry, [&](TSaveForm& w) {
            w.edtMax->SetText(max);
            w.edtCompress->setText(quality);
            Press(w);
            QCOMPARE(w.isVisible(), !refusal.isEmpty());
        }));
        QCOMPARE(s.platform.saveSetups.size(), size_t(refusal.isEmpty() ? 1 : 0));
        QCOMPARE(s.Texts(), refusal.isEmpty() ? QStringList {} : QStringList {refusal});
    }

    // What each save writes, read back with the program's own reader (and a few with identify).
    void writtenFiles_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("max");
        QTest::addColumn<QString>("setting");  // pixel-format item, or the quality
        QTest::addColumn<bool>("progressive"); // set while the quality reads 99
        QTest::addColumn<QSize>("written");
        QTest::addColumn<int>("format");    // bitmaps: the pixel format; JPEG: 1 progressive
        QTest::addColumn<QString>("other"); // identify's view, when asked
        const QSize small(40, 30), wide(200, 100), icon(48, 48);
        QTest::newRow("thumbnail 150") << "a.bmp" << QSize(1600, 1200) << int(ThumbBitmap) << "150"
                                       << "24-bit" << false << QSize(150, 112) << 6 << "150 112 8 DirectClass sRGB";
        QTest::newRow("thumbnail 3600") << "a.bmp" << QSize(100, 50) << int(ThumbBitmap) << "3600"
                                        << "24-bit" << false << QSize(3600, 1800) << 6 << "";
        QTest::newRow("8-bit") << "a.bmp" << small << int(FileBitmap) << ""
                               << "8-bit" << false << small << 3 << "40 30 8 PseudoClass sRGB";
        QTest::newRow("1-bit") << "a.jpg" << small << int(FileBitmap) << ""
                               << "1-bit" << false << small << 1 << "";
        QTest::newRow("icon as bitmap") << "a.ico" << small << int(ThumbBitmap) << "150"
                                        << "24-bit" << false << icon << 6 << "";
        QTest::newRow("jpeg 100, progressive set") << "a.jpg" << wide << int(FileJpeg) << ""
                                                   << "100" << true << wide << 0 << "";
        QTest::newRow("jpeg 75 progressive") << "a.jpg" << wide << int(FileJpeg) << ""
                                             << "75" << true << wide << 1 << "75 JPEG";
        QTest::newRow("jpeg 75") << "a.jpg" << wide << int(FileJpeg) << ""
                                 << "75" << false << wide << 0 << "75 None";
        QTest::newRow("bitmap as jpeg 100") << "a.bmp" << wide << int(FileJpeg) << ""
                                            << "100" << false << wide << 0 << "90 None";
        QTest::newRow("jpeg thumbnail 100") << "a.jpg" << wide << int(ThumbJpeg) << "50"
                                            << "100" << false << QSize(50, 25) << 0 << "90 None";
        QTest::newRow("icon as jpeg") << "a.ico" << small << int(ThumbJpeg) << "50"
                                      << "100" << false << icon << 0 << "";
        const QSize upright(60, 90);
        QTest::newRow("turned photo as bitmap") << "turned.jpg" << upright << int(FileBitmap) << ""
                                                << "24-bit" << false << upright << 6 << "60 90 8 DirectClass sRGB";
        QTest::newRow("turned photo, jpeg 100 keeps the tag") << "turned.jpg" << upright << int(FileJpeg) << ""
                                                              << "100" << false << upright << 0 << "";
        QTest::newRow("turned photo, jpeg 75 upright") << "turned.jpg" << upright << int(FileJpeg) << ""
                                                       << "75" << false << upright << 0 << "75 None";
    }
    void writtenFiles()
    {
        QFETCH(QString, file);
        QFETCH(QSize, size);
        QFETCH(int, entry);
        QFETCH(QString, setting);
        QFETCH(bool, progressive);
        QFETCH(int, format);
        QFETCH(QString, other);
        Saver s;
        s.platform.iconSize = QSize(48, 48); // the system icon size, whatever the file holds
        s.Make(file, size);
        const QString out = s.Path(JpegPage(entry) ? QStringLiteral("out.jpg") : QStringLiteral("out.bmp"));
        s.platform.saveAnswers = {out};
        QVERIFY(s.Run(entry, [&](TSaveForm& w) {
            QFETCH(QString, max);
            w.edtMax->SetText(max);
            w.edtCompress->setText(QStringLiteral("99"));
            if (progressive)
                w.chkPEncode->click();
            w.edtCompress->setText(setting);
            Pick(w.cbxBit, setting);
            Press(w);
        }));
        QCOMPARE(s.Texts(), QStringList {});
        std::unique_ptr<TGraphic> back = CreateGraphicForFile(out);
        back->LoadFromFile(out);
        QTEST(QSize(back->Width(), back->Height()), "written");
        if (const TBitmap* bmp = BitmapOf(back.get())) {
            QCOMPARE(int(bmp->PixelFormat()), format);
            if (format == 3)
                QVERIFY(bmp->Dib().colors == HalftonePalette256());
        } else {
            QCOMPARE(int(JpegOf(back.get())->MultiScan()), format);
            // At 100 a JPEG file's own bytes, whatever the box said.
            QCOMPARE(ReadBytes(out) == ReadBytes(s.Path(file)),
                     file.endsWith(".jpg") && setting == "100" && entry == FileJpeg);
        }
        if (!other.isEmpty())
            QCOMPARE(Identify(out, JpegPage(entry) ? "%Q %[interlace]" : "%w %h %z %r"), other);
    }

    // The first control has the focus, Tab goes round the page (the thumbnail's size last),
    // Enter saves as " &Save" does.
    void keyboard_data()
    {
        QTest::addColumn<QString>("order");
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("quality");
        QTest::newRow("bitmap") << "cbxBit chkMono btnBSAccept btnBSCancel edtMax" << int(ThumbBitmap) << "";
        QTest::newRow("jpeg") << "edtCompress btnJSAccept btnJSCancel edtMax" << int(ThumbJpeg) << "75";
        QTest::newRow("jpeg, refused quality") << "edtCompress btnJSAccept btnJSCancel" << int(FileJpeg) << "0";
    }
    void keyboard()
    {
        QFETCH(int, entry);
        QFETCH(QString, quality);
        QFETCH(QString, order);
        Saver s;
        s.Make(QStringLiteral("a.bmp"));
        QVERIFY(s.Run(entry, [&](TSaveForm& w) {
            w.edtCompress->setText(quality);
            QStringList seen;
            for (qsizetype i = 0, n = order.count(u' ') + 1; i <= n; ++i) {
                QWidget* focus = w.focusWidget();
                seen << (focus->objectName().isEmpty() ? focus->parentWidget()->objectName() : focus->objectName());
                QTest::keyClick(focus, i < n ? Qt::Key_Tab : Qt::Key_Return); // round the page, then Enter
            }
            QCOMPARE(seen.join(u' '), order + u' ' + order.section(u' ', 0, 0));
        }));
        QCOMPARE(s.platform.saveSetups.size(), size_t(quality == "0" ? 0 : 1));
        QCOMPARE(s.Texts(), quality == "0" ? QStringList {kRate} : QStringList {});
    }

    // The dialog may leave another working folder; the main window's folder comes back.
    void workingFolderKept()
    {
        Saver s;
        s.Make(QStringLiteral("a.bmp"));
        QTemporaryDir elsewhere;
        s.platform.saveAnswers = {s.Path(QStringLiteral("out.bmp"))};
        QVERIFY(s.Run(FileBitmap, [&](TSaveForm& w) {
            s.platform.SetCurrentFolder(elsewhere.path());
            Press(w);
        }));
        QCOMPARE(QDir(s.platform.CurrentFolder()), QDir(s.dir.path()));
        QVERIFY(QFile::exists(s.Path(QStringLiteral("out.bmp"))));
    }

    // Nothing is written, and the old file stays whole, when the picture failed to load or the
    // file system refuses to let the new file grow.
    void failedSaves_data()
    {
        QTest::addColumn<int>("entry");
        QTest::addColumn<bool>("loaded");
        QTest::newRow("unloaded, bitmap") << int(FileBitmap) << false;
        QTest::newRow("unloaded, jpeg") << int(ThumbJpeg) << false;
        QTest::newRow("write fails midway") << int(FileBitmap) << true;
    }
    void failedSaves()
    {
        QFETCH(int, entry);
        QFETCH(bool, loaded);
        Saver s;
        if (loaded)
            s.Make(QStringLiteral("a.bmp"), QSize(200, 200));
        else
            WriteBytes(s.Path(QStringLiteral("a.bmp")), QByteArray("not a bitmap"));
        s.OpenWindow();
        s.form->Decoder().Drain(); // the cell's header is read, and its fault told, on a worker
        s.platform.messages.clear();
        const QString out = s.Path(QStringLiteral("old.bmp"));
        const QByteArray old("the user's old file");
        WriteBytes(out, old);
        s.platform.saveAnswers = {out};
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved {};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = 4096;
        QVERIFY(s.Run(entry, [&](TSaveForm& w) {
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
            Press(w);
            setrlimit(RLIMIT_FSIZE, &saved);
            QVERIFY(!w.isVisible());
        }));
        QCOMPARE(s.platform.messages.size(), size_t(1));
        QCOMPARE(s.platform.messages[0].kind, MessageKind::Error);
        QVERIFY2(s.Texts()[0].startsWith(QLatin1String("Cannot save - ")), qPrintable(s.Texts()[0]));
        QCOMPARE(s.platform.saveSetups.size(), size_t(loaded ? 1 : 0));
        QCOMPARE(ReadBytes(out), old);
        QCOMPARE(QDir(s.dir.path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList {QStringLiteral("a.bmp"), QStringLiteral("old.bmp")}));
    }
};

QTEST_MAIN(TestSave)
#include "test_save.moc"
