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
#include <QStandardPaths>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include "controls/UpDownEdit.h"
#include "picture/Bitmap.h"
#include "picture/JpegImage.h"
#include "TestFiles.h"
#include "TestPictures.h"
#include "MainWindowFixture.h"
#include "ui/save/Save.h"

namespace {
enum Entry { FileJpeg, FileBitmap, ThumbJpeg, ThumbBitmap };

struct Saver : MainWindowFixture<> {
    // One picture file in the folder: "w x h" bitmap or JPEG, an icon, or bytes as given.
    void Make(const QString& name, QSize size = QSize(40, 30), TPixelFormat format = TPixelFormat::Bit24)
    {
        if (name.endsWith(QLatin1String(".ico")))
            WriteBytes(Path(name), MakeTestIcon({16, 32}));
        else if (name.endsWith(QLatin1String(".bmp"))) {
            TBitmap bmp(DibFromQImage(MakeTestImage(size.width(), size.height())));
            bmp.SetPixelFormat(format);
            bmp.SaveToFile(Path(name));
        } else
            WriteTestJpeg(Path(name), size.width(), size.height());
    }
    QAction* Action(Entry e) const
    {
        return std::array {form->mniAsJpeg, form->mniAsBitmap, form->mniTAsJpeg, form->mniTAsBitmap}[e];
    }
    // Clicks the first thumbnail, opens the window from the entry and runs `body` in it.
    bool Run(Entry entry, const std::function<void(TSaveForm&)>& body)
    {
        if (!form)
            OpenWindow();
        form->AllImageClick(form->Thumbnail(1));
        return During<TSaveForm>([&] { Action(entry)->trigger(); }, body);
    }
};

void Pick(QComboBox* box, const QString& text)
{
    const int i = box->findText(text);
    i >= 0 ? box->setCurrentIndex(i) : box->setEditText(text);
}

QString Identify(const QString& path, const char* format)
{
    const QString identify = QStandardPaths::findExecutable(QStringLiteral("identify"));
    if (identify.isEmpty())
        return QStringLiteral("(no identify)");
    QProcess p;
    p.start(identify, {QStringLiteral("-format"), QLatin1String(format), path});
    p.waitForFinished(30000);
    return QString::fromLatin1(p.readAllStandardOutput()).trimmed();
}

const QString kCannotUse = QStringLiteral("Cannot use that Pixel format.");
const QString kMaxSize = QStringLiteral("Invalid max size");
const QString kRate = QStringLiteral("Invalid compression rate");
}

class TestSave : public QObject {
    Q_OBJECT
private slots:
    void pageFollowsEntryAndSource_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("mono");
        QTest::addColumn<QString>("refusal"); // of " &Save" pressed at once
        const QString bmp = QStringLiteral(" Save image as Bitmap");
        QTest::newRow("24-bit") << "a.bmp" << 6 << int(FileBitmap) << bmp << "24-bit" << false << "";
        QTest::newRow("1-bit") << "a.bmp" << 1 << int(ThumbBitmap) << bmp << "1-bit" << true << "";
        QTest::newRow("16 bits, no masks") << "a.bmp" << 4 << int(FileBitmap) << bmp << "15-bit" << false << kCannotUse;
        QTest::newRow("jpeg") << "a.jpg" << 6 << int(ThumbBitmap) << bmp << "24-bit" << false << "";
        QTest::newRow("jpeg page") << "a.bmp" << 6 << int(ThumbJpeg) << " Save image as JPeg"
                                   << "" << false << "";
    }
    void pageFollowsEntryAndSource()
    {
        QFETCH(QString, file);
        QFETCH(int, entry);
        QFETCH(QString, refusal);
        QFETCH(int, format);
        Saver s;
        s.Make(file, QSize(40, 30), TPixelFormat(format));
        QVERIFY(s.Run(Entry(entry), [&](TSaveForm& w) {
            QTEST(w.windowTitle(), "caption");
            QVERIFY(!w.pgcImage->tabBar()->isVisible());
            QWidget* page = entry == FileJpeg || entry == ThumbJpeg ? w.JpegTab : w.BitTab;
            QCOMPARE(w.pgcImage->currentWidget(), page);
            const bool thumb = entry >= ThumbJpeg;
            QCOMPARE(w.pnlThumb->isVisible(), thumb);
            QCOMPARE(w.pnlThumb->parentWidget(), page);
            if (page == w.BitTab) {
                QTEST(w.cbxBit->currentText(), "item");
                QTEST(w.chkMono->isChecked(), "mono");
                w.btnBSAccept->click();
            } else {
                QCOMPARE(w.edtCompress->text(), QStringLiteral("100"));
                w.btnJSAccept->click();
            }
            // A refusal leaves the window open without asking for a name; the cancelled dialog closes it.
            QCOMPARE(w.isVisible(), !refusal.isEmpty());
        }));
        QCOMPARE(s.platform.saveDialogs.size(), size_t(refusal.isEmpty() ? 1 : 0));
        QCOMPARE(s.platform.messages.empty(), refusal.isEmpty());
        if (!refusal.isEmpty())
            QCOMPARE(s.platform.messages.back().text, refusal);
        QCOMPARE(QDir(s.dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList {file});
    }

    // Selecting an item sets "Monochrome" exactly for "1-bit"; the box refuses to be set otherwise.
    void monochromeRules_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("click");
        QTest::addColumn<bool>("mono");
        QTest::addColumn<bool>("told");
        QTest::newRow("1-bit") << "1-bit" << false << true << false;
        QTest::newRow("1-bit, cleared by hand") << "1-bit" << true << false << false;
        QTest::newRow("8-bit after 1-bit") << "8-bit" << false << false << false;
        QTest::newRow("8-bit, clicked") << "8-bit" << true << false << true;
        QTest::newRow("typed text") << "1 bit" << true << false << true;
    }
    void monochromeRules()
    {
        QFETCH(QString, item);
        QFETCH(bool, click);
        Saver s;
        s.Make(QStringLiteral("a.jpg"));
        QVERIFY(s.Run(FileBitmap, [&](TSaveForm& w) {
            Pick(w.cbxBit, QStringLiteral("1-bit"));
            Pick(w.cbxBit, item);
            if (click)
                w.chkMono->click();
            QTEST(w.chkMono->isChecked(), "mono");
            QVERIFY(w.isVisible());
        }));
        QFETCH(bool, told);
        QCOMPARE(s.platform.messages.size(), size_t(told ? 1 : 0));
        if (told)
            QCOMPARE(s.platform.messages[0].text, QStringLiteral("Cannot be mono unless 1-bit selected"));
    }

    void progressiveRule_data()
    {
        QTest::addColumn<QString>("quality");
        QTest::addColumn<bool>("checked");
        QTest::newRow("100") << "100" << false;
        QTest::newRow("99") << "99" << true;
        QTest::newRow("not a number") << "x" << true;
    }
    void progressiveRule()
    {
        QFETCH(QString, quality);
        QFETCH(bool, checked);
        Saver s;
        s.Make(QStringLiteral("a.jpg"));
        QVERIFY(s.Run(FileJpeg, [&](TSaveForm& w) {
            w.edtCompress->setText(quality);
            w.chkPEncode->click();
            QCOMPARE(w.chkPEncode->isChecked(), checked);
        }));
        QCOMPARE(s.platform.messages.size(), size_t(checked ? 0 : 1));
        if (!checked)
            QCOMPARE(s.platform.messages[0].text, QStringLiteral("Can only encode if quality less than 100"));
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
            QTest::addRow("quality %s", q) << int(FileJpeg) << q << "100"
                                           << "";
        for (const char* m : {"0", "abc", "2", "3601", "-5"}) {
            QTest::addRow("jpeg max '%s'", m) << int(ThumbJpeg) << "50" << m << kMaxSize;
            QTest::addRow("bitmap max '%s'", m) << int(ThumbBitmap) << "" << m << kMaxSize;
        }
        QTest::newRow("side of 0") << int(ThumbBitmap) << ""
                                   << "3" << kMaxSize; // 300 x 100 at 3 is 3 x 0
        QTest::newRow("max 6") << int(ThumbBitmap) << ""
                               << "6"
                               << "";
        QTest::newRow("max ignored for the file") << int(FileBitmap) << ""
                                                  << "abc"
                                                  << "";
    }
    void typedNumbers()
    {
        QFETCH(int, entry);
        QFETCH(QString, quality);
        QFETCH(QString, max);
        QFETCH(QString, refusal);
        Saver s;
        s.Make(QStringLiteral("a.bmp"), QSize(300, 100));
        QVERIFY(s.Run(Entry(entry), [&](TSaveForm& w) {
            w.edtMax->SetText(max);
            if (entry == FileJpeg || entry == ThumbJpeg) {
                w.edtCompress->setText(quality);
                w.btnJSAccept->click();
            } else {
                w.btnBSAccept->click();
            }
            QCOMPARE(w.isVisible(), !refusal.isEmpty());
        }));
        QCOMPARE(s.platform.saveDialogs.size(), size_t(refusal.isEmpty() ? 1 : 0));
        QCOMPARE(s.platform.messages.size(), size_t(refusal.isEmpty() ? 0 : 1));
        if (!refusal.isEmpty())
            QCOMPARE(s.platform.messages[0].text, refusal);
    }

    void dialogProposal_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("extension");
        const QString bmp = QStringLiteral("Bitmaps (*.bmp)|*.bmp");
        const QString jpg = QStringLiteral(
            "All (*.jpg;*.jpeg)|*.jpg;*.jpeg|JPEG Image File (*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg");
        QTest::newRow("photo.bmp") << "photo.bmp" << int(FileBitmap) << "photo" << bmp << ".bmp";
        QTest::newRow("photo.jpeg") << "photo.jpeg" << int(ThumbJpeg) << "photo." << jpg << ".jpg";
    }
    void dialogProposal()
    {
        QFETCH(QString, file);
        QFETCH(int, entry);
        Saver s;
        s.Make(file);
        QVERIFY(s.Run(Entry(entry), [&](TSaveForm& w) {
            (entry == FileBitmap ? w.btnBSAccept : w.btnJSAccept)->click();
            QVERIFY(!w.isVisible());
        }));
        QCOMPARE(s.platform.saveDialogs.size(), size_t(1));
        QTEST(s.platform.saveDialogs[0].fileName, "name");
        QTEST(s.platform.saveDialogs[0].filter, "filter");
        QTEST(s.platform.saveDialogs[0].defaultExtension, "extension");
    }

    // What each save writes, read back with the program's own reader.
    void bitmapFiles_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("max");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QSize>("written");
        QTest::addColumn<TPixelFormat>("format");
        QTest::newRow("thumbnail 150") << "a.bmp" << QSize(1600, 1200) << int(ThumbBitmap) << "150"
                                       << "24-bit" << QSize(150, 112) << TPixelFormat::Bit24;
        QTest::newRow("thumbnail 3600") << "a.bmp" << QSize(100, 50) << int(ThumbBitmap) << "3600"
                                        << "24-bit" << QSize(3600, 1800) << TPixelFormat::Bit24;
        QTest::newRow("8-bit") << "a.bmp" << QSize(40, 30) << int(FileBitmap) << ""
                               << "8-bit" << QSize(40, 30) << TPixelFormat::Bit8;
        QTest::newRow("1-bit") << "a.jpg" << QSize(40, 30) << int(FileBitmap) << ""
                               << "1-bit" << QSize(40, 30) << TPixelFormat::Bit1;
        QTest::newRow("icon, thumbnail asked") << "a.ico" << QSize() << int(ThumbBitmap) << "150"
                                               << "24-bit" << QSize(48, 48) << TPixelFormat::Bit24;
    }
    void bitmapFiles()
    {
        QFETCH(QString, file);
        QFETCH(QSize, size);
        QFETCH(int, entry);
        QFETCH(QString, max);
        QFETCH(QString, item);
        Saver s;
        s.platform.iconSize = QSize(48, 48); // the system icon size, whatever the file holds
        s.Make(file, size);
        const QString out = s.Path(QStringLiteral("out.bmp"));
        s.platform.saveAnswers = {out};
        QVERIFY(s.Run(Entry(entry), [&](TSaveForm& w) {
            w.edtMax->SetText(max);
            Pick(w.cbxBit, item);
            w.btnBSAccept->click();
        }));
        QVERIFY(s.platform.messages.empty());
        TBitmap back;
        back.LoadFromFile(out);
        QTEST(QSize(back.Width(), back.Height()), "written");
        QTEST(back.PixelFormat(), "format");
        if (item == QLatin1String("8-bit")) {
            QVERIFY(back.Dib().colors == HalftonePalette256());
            QCOMPARE(Identify(out, "%w %h %z %r"), QStringLiteral("40 30 8 PseudoClass sRGB"));
        }
        if (size == QSize(1600, 1200))
            QCOMPARE(Identify(out, "%w %h %z %r"), QStringLiteral("150 112 8 DirectClass sRGB"));
    }

    void jpegFiles_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("quality");
        QTest::addColumn<bool>("progressive"); // set while the quality reads 99
        QTest::addColumn<QSize>("written");
        QTest::addColumn<bool>("copy");      // a byte copy of the source
        QTest::addColumn<bool>("multiScan"); // progressive, as the program reads it
        QTest::addColumn<QString>("other");  // quality and interlacing as identify sees them
        const QSize full(200, 100);
        QTest::newRow("100 keeps the bytes")
            << "a.jpg" << int(FileJpeg) << "100" << true << full << true << false << "";
        QTest::newRow("75 progressive") << "a.jpg" << int(FileJpeg) << "75" << true << full << false << true
                                        << "75 JPEG";
        QTest::newRow("75 baseline") << "a.jpg" << int(FileJpeg) << "75" << false << full << false << false
                                     << "75 None";
        QTest::newRow("bitmap at 100") << "a.bmp" << int(FileJpeg) << "100" << false << full << false << false
                                       << "90 None";
        QTest::newRow("thumbnail at 100")
            << "a.jpg" << int(ThumbJpeg) << "100" << false << QSize(50, 25) << false << false << "90 None";
        QTest::newRow("thumbnail at 50") << "a.jpg" << int(ThumbJpeg) << "50" << false << QSize(50, 25) << false
                                         << false << "";
        QTest::newRow("icon") << "a.ico" << int(ThumbJpeg) << "100" << false << QSize(48, 48) << false << false << "";
    }
    void jpegFiles()
    {
        QFETCH(QString, file);
        QFETCH(int, entry);
        QFETCH(QString, quality);
        QFETCH(bool, progressive);
        QFETCH(QString, other);
        Saver s;
        s.platform.iconSize = QSize(48, 48);
        s.Make(file, QSize(200, 100));
        const QString out = s.Path(QStringLiteral("out.jpg"));
        s.platform.saveAnswers = {out};
        QVERIFY(s.Run(Entry(entry), [&](TSaveForm& w) {
            w.edtMax->SetText(QStringLiteral("50"));
            w.edtCompress->setText(QStringLiteral("99"));
            if (progressive)
                w.chkPEncode->click();
            w.edtCompress->setText(quality);
            w.btnJSAccept->click();
        }));
        QVERIFY(s.platform.messages.empty());
        QFETCH(bool, copy);
        QCOMPARE(ReadBytes(out) == ReadBytes(s.Path(file)), copy);
        TJpegImage back;
        back.LoadFromFile(out);
        QTEST(QSize(back.Width(), back.Height()), "written");
        QTEST(back.MultiScan(), "multiScan");
        if (!other.isEmpty())
            QCOMPARE(Identify(out, "%Q %[interlace]"), other);
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
            w.btnBSAccept->click();
        }));
        QCOMPARE(QDir(s.platform.CurrentFolder()), QDir(s.dir.path()));
        QVERIFY(QFile::exists(s.Path(QStringLiteral("out.bmp"))));
    }

    // A file that failed to load leaves nothing to save: both pages say so and write nothing.
    void unloadedPicture_data()
    {
        QTest::addColumn<int>("entry");
        QTest::newRow("bitmap") << int(FileBitmap);
        QTest::newRow("jpeg") << int(ThumbJpeg);
    }
    void unloadedPicture()
    {
        QFETCH(int, entry);
        Saver s;
        WriteBytes(s.Path(QStringLiteral("bad.bmp")), QByteArray("not a bitmap"));
        s.OpenWindow();
        s.platform.messages.clear();
        s.platform.saveAnswers = {s.Path(QStringLiteral("out.x"))};
        QVERIFY(s.Run(Entry(entry), [&](TSaveForm& w) {
            (entry == FileBitmap ? w.btnBSAccept : w.btnJSAccept)->click();
            QVERIFY(!w.isVisible());
        }));
        QCOMPARE(s.platform.messages.size(), size_t(1));
        QCOMPARE(s.platform.messages[0].kind, MessageKind::Error);
        QVERIFY(s.platform.messages[0].text.startsWith(QLatin1String("Cannot save - ")));
        QVERIFY(s.platform.saveDialogs.empty());
        QVERIFY(!QFile::exists(s.Path(QStringLiteral("out.x"))));
    }

    // The file system refuses to let the new file grow: the old one stays whole, the window closes.
    void failedSaveKeepsOldFile()
    {
        Saver s;
        s.Make(QStringLiteral("a.bmp"), QSize(200, 200));
        s.OpenWindow();
        const QString out = s.Path(QStringLiteral("old.bmp"));
        const QByteArray old("the user's old file");
        WriteBytes(out, old);
        s.platform.saveAnswers = {out};
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved {};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = 4096;
        QVERIFY(s.Run(FileBitmap, [&](TSaveForm& w) {
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
            w.btnBSAccept->click();
            setrlimit(RLIMIT_FSIZE, &saved);
            QVERIFY(!w.isVisible());
        }));
        QCOMPARE(s.platform.messages.size(), size_t(1));
        QVERIFY(s.platform.messages[0].text.startsWith(QLatin1String("Cannot save - ")));
        QCOMPARE(ReadBytes(out), old);
        QCOMPARE(QDir(s.dir.path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList {QStringLiteral("a.bmp"), QStringLiteral("old.bmp")}));
    }
};

QTEST_MAIN(TestSave)
#include "test_save.moc"
