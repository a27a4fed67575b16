// SPDX-License-Identifier: GPL-3.0-or-later
// The slide show driven offscreen through the scripted platform, on real files: the slide
// panel, the set-up, the timed slides (the test fires the timer), keys and the pointer.
#include <algorithm>
#include <climits>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <functional>
#include <memory>
#include "app/lib/Application.h"
#include "controls/DecodeQueue.h"
#include "platform/FileServices.h"
#include "controls/ImageControl.h"
#include "ScriptedPlatform.h"
#include "TestFiles.h"
#include "TestPictures.h"
#include "controls/UpDownEdit.h"
#include "MainWindowFixture.h"
#include "MagickReference.h"
#include "ToolPictures.h"
#include "ui/common/AnimationPlayer.h"
#include "ui/browser/Viewmain.h"
#include "ui/fullscreen/Full.h"
#include "controls/ImageControl.h"

namespace {
const QString kNoImages = QStringLiteral("No Images found for SlideShow.");

struct Slides : MainWindowFixture<> {
    void Open()
    {
        OpenWindow();
        // The page's own reports of bad thumbnails are not the show's.
        form->Decoder().Drain();
        platform.messages.clear();
    }
    void Bitmap(const QString& name, int width, int height = 30)
    {
        QDir(dir.path()).mkpath(QFileInfo(name).path());
        WriteTestBitmap(Path(name), width, height);
    }
    // Clicks thumbnail n with the popup dismissed: the last clicked file, nothing opened.
    void Click(int n)
    {
        platform.menuChoices = {QString()};
        form->AllImageClick(form->Thumbnail(n));
    }
    // The panel's OK button clicked, as the user does (a failure reaches the report).
    void PressOK() { form->Slides().findChild<QPushButton*>(QStringLiteral("btnSOK"))->click(); }
    // The panel opened with its button, `seconds` typed, OK clicked.
    bool Run(const QString& seconds, const std::function<void(TFullForm&)>& body, bool subs = false)
    {
        form->btnSlide->click();
        form->Slides().SetSecondsText(seconds);
        form->Slides().SetIncludeSubs(subs);
        return During<TFullForm>([this] { PressOK(); }, body);
    }
    int TimerIndex(const TFullForm& full) const
    {
        for (int i = 0; i < platform.TimerCount(); ++i)
            if (platform.Timer(i) && platform.Timer(i) == full.ShowTimer.get())
                return i;
        return -1;
    }
    ScriptedTimer* TimerOf(const TFullForm& full) const { return platform.Timer(TimerIndex(full)); }
    // One tick of the show's timer; false when it is not running.
    bool Tick(const TFullForm& full) { return platform.FireTimer(TimerIndex(full)); }
    QPoint Centre() const { return QPoint(form->width() / 2, form->height() / 2); }
};

QRect ScreenRect(int width, int height)
{
    return QRect((1024 - width) / 2, (768 - height) / 2, width, height);
}

// The pointer's moves after one slide: to the right edge, never up or down.
const std::vector<QPoint> kSlideMoves {{1032, 0}, {1032, 0}, {1024, 0}, {1024, 0}};
}

class TestSlideShow : public QObject {
    Q_OBJECT
private slots:
    void panelOpensReset_data()
    {
        QTest::addColumn<bool>("searchMode");
        QTest::newRow("folder") << false;
        QTest::newRow("search mode") << true;
    }
    void panelOpensReset()
    {
        QFETCH(bool, searchMode);
        Slides s;
        s.Bitmap(QStringLiteral("a.bmp"), 40);
        s.Open();
        TViewForm& f = *s.form;
        QVERIFY(f.Slides().isHidden());
        f.SearchMode = searchMode;
        f.Slides().SetSecondsText(QStringLiteral("77"));
        f.Slides().SetIncludeSubs(true);
        f.btnSlide->click();
        QVERIFY(f.Slides().isVisible());
        QCOMPARE(f.Slides().SecondsText(), QStringLiteral("5"));
        QVERIFY(!f.Slides().IncludeSubs());
        QCOMPARE(f.Slides().SubsOffered(), !searchMode);
        QVERIFY(f.Slides().Ready());
        // Over the top left of the thumbnail area, and above it.
        const QPoint corner = f.pnlImage->geometry().topLeft() + QPoint(10, 10);
        QVERIFY(f.Slides().geometry().contains(corner));
        QWidget* top = f.childAt(corner);
        QVERIFY(top && (top == &f.Slides() || f.Slides().isAncestorOf(top)));
        // The arrows stop at 3; Cancel closes the panel and opens nothing.
        for (int i = 0; i < 4; ++i)
            f.Slides().StepSeconds(-1);
        QCOMPARE(f.Slides().SecondsText(), QStringLiteral("3"));
        f.Slides().PressCancel();
        QVERIFY(f.Slides().isHidden());
        QVERIFY(s.platform.modals.empty());
    }

    void panelKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("opens");
        QTest::newRow("Esc cancels") << int(Qt::Key_Escape) << false;
        QTest::newRow("Enter is OK") << int(Qt::Key_Return) << true;
    }
    void panelKeys()
    {
        QFETCH(int, key);
        QFETCH(bool, opens);
        Slides s;
        s.Bitmap(QStringLiteral("a.bmp"), 40);
        s.Open();
        s.form->btnSlide->click();
        s.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(s.form.get()));
        const bool shown = s.During<TFullForm>([&] { QTest::keyClick(s.form->windowHandle(), Qt::Key(key)); },
                                               [](TFullForm& full) { QCOMPARE(full.SlideSeconds, 5); });
        QCOMPARE(shown, opens);
        QVERIFY(s.form->Slides().isHidden());
        // A hidden panel's keys do nothing.
        s.During<TFullForm>([&] { QTest::keyClick(s.form->windowHandle(), Qt::Key_Return); }, [](TFullForm&) {});
        QCOMPARE(s.platform.modals.size(), size_t(opens ? 1 : 0));
    }

    // The first slide at once, the next one a whole interval later.
    void firstAtOnceThenAfterTheInterval_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("seconds");
        QTest::addColumn<int>("interval");
        QTest::newRow("default") << QStringLiteral("5") << 5 << 5000;
        QTest::newRow("1, below the arrows") << QStringLiteral("1") << 1 << 1000;
        QTest::newRow("2, below the arrows") << QStringLiteral("2") << 2 << 2000;
        QTest::newRow("the arrows' top") << QStringLiteral("3600") << 3600 << 3600000;
        QTest::newRow("blanks and sign") << QStringLiteral(" +7 ") << 7 << 7000;
        QTest::newRow("beyond a timer") << QStringLiteral("4000000") << 4000000 << INT_MAX;
    }
    void firstAtOnceThenAfterTheInterval()
    {
        QFETCH(int, interval);
        Slides s;
        s.Bitmap(QStringLiteral("a.bmp"), 40, 30);
        s.Bitmap(QStringLiteral("b.bmp"), 2048, 512); // fitted: halved
        s.Open();
        QFETCH(QString, typed);
        QVERIFY(s.Run(typed, [&](TFullForm& full) {
            QTEST(full.SlideSeconds, "seconds");
            QCOMPARE(full.ShownFile, QStringLiteral("a.bmp"));
            QCOMPARE(full.imgFull->PictureRect(), ScreenRect(40, 30));
            ScriptedTimer* timer = s.TimerOf(full);
            QVERIFY(timer && timer->Active());
            QCOMPARE(timer->Interval(), interval);
            QVERIFY(s.Tick(full));
            QCOMPARE(full.ShownFile, QStringLiteral("b.bmp"));
            QCOMPARE(full.CurrentIndex, 1);
            QCOMPARE(full.imgFull->PictureRect(), ScreenRect(1024, 256));
        }));
        QVERIFY(s.platform.messages.empty());
    }

    // An animation longer than a slide stays until it has played once; a shorter one goes
    // at the slide's time.
    void animationStaysForALoop_data()
    {
        QTest::addColumn<int>("delay"); // hundredths of a second, three frames
        QTest::addColumn<bool>("stays");
        QTest::newRow("loop longer than the slide") << 80 << true;
        QTest::newRow("loop shorter than the slide") << 10 << false;
    }
    void animationStaysForALoop()
    {
        QFETCH(int, delay);
        QFETCH(bool, stays);
        if (!HaveConvert())
            QSKIP("ImageMagick's convert is not installed");
        Slides s;
        QVERIFY(
            RunIn(s.dir.path(), QStringLiteral("convert -delay %1 -size 8x8 xc:red xc:lime xc:blue a.gif").arg(delay)));
        s.Bitmap(QStringLiteral("b.bmp"), 40);
        s.Open();
        QVERIFY(s.Run(QStringLiteral("1"), [&](TFullForm& full) {
            QVERIFY(full.Player->Playing());
            QVERIFY(s.Tick(full));
            QCOMPARE(full.ShownFile, QString::fromLatin1(stays ? "a.gif" : "b.bmp"));
            if (!stays)
                return;
            int frames = -1;
            for (int i = 0; i < s.platform.TimerCount(); ++i)
                if (s.platform.Timer(i) == full.Player->Timer())
                    frames = i;
            for (int i = 0; i < 3; ++i)
                QVERIFY(s.platform.FireTimer(frames));
            QVERIFY(s.Tick(full));
            QCOMPARE(full.ShownFile, QStringLiteral("b.bmp"));
        }));
    }

    void wrapsAroundAfterTheLast()
    {
        Slides s;
        for (const char* name : {"a.bmp", "b.bmp", "c.bmp"})
            s.Bitmap(QString::fromLatin1(name), 40);
        s.Open();
        QVERIFY(s.Run(QStringLiteral("5"), [&](TFullForm& full) {
            QStringList shown {full.ShownFile};
            for (int i = 0; i < 4; ++i) {
                QVERIFY(s.Tick(full));
                shown << full.ShownFile;
            }
            QCOMPARE(shown, QStringList({"a.bmp", "b.bmp", "c.bmp", "a.bmp", "b.bmp"}));
        }));
        QCOMPARE(s.platform.beeps, 0);
    }

    // Every tick loads the file again: a file changed on disk shows changed.
    void oneImageReloadsTheSameFile()
    {
        Slides s;
        s.Bitmap(QStringLiteral("a.bmp"), 40, 30);
        s.Open();
        QVERIFY(s.Run(QStringLiteral("3"), [&](TFullForm& full) {
            QCOMPARE(full.PictureWidth, 40);
            s.Bitmap(QStringLiteral("a.bmp"), 64, 48);
            QVERIFY(s.Tick(full));
            QCOMPARE(full.CurrentIndex, 0);
            QCOMPARE(full.ShownFile, QStringLiteral("a.bmp"));
            QCOMPARE(full.PictureWidth, 64);
            QCOMPARE(full.imgFull->PictureRect(), ScreenRect(64, 48));
        }));
    }

    void startsAtTheLastClickedFile()
    {
        Slides s;
        for (const char* name : {"a.bmp", "b.bmp", "c.bmp"})
            s.Bitmap(QString::fromLatin1(name), 40);
        s.Open();
        s.Click(2);
        QVERIFY(s.Run(QStringLiteral("5"), [&](TFullForm& full) {
            QCOMPARE(full.ShownFile, QStringLiteral("b.bmp"));
            QVERIFY(s.Tick(full));
            QCOMPARE(full.ShownFile, QStringLiteral("c.bmp"));
        }));
    }

    // No timed show: the page's first thumbnail, stepped by hand from the start position.
    void zeroOrLessShowsOneImage_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::newRow("0") << QStringLiteral("0");
        QTest::newRow("-3") << QStringLiteral("-3");
    }
    void zeroOrLessShowsOneImage()
    {
        QFETCH(QString, typed);
        Slides s;
        s.Bitmap(QStringLiteral("a.bmp"), 40);
        s.Bitmap(QStringLiteral("b.bmp"), 50);
        s.Bitmap(QStringLiteral("c.bmp"), 60);
        s.Open();
        s.Click(2);
        QVERIFY(s.Run(typed, [&](TFullForm& full) {
            QCOMPARE(full.SlideSeconds, typed.toInt());
            QVERIFY(full.FitMode);
            QVERIFY(!full.ShowTimer->Active());
            QCOMPARE(full.ImageNumber, 1);
            QCOMPARE(full.PictureWidth, 40); // Image1's picture
            QCOMPARE(full.CurrentIndex, 1);  // the clicked file's place
            QTest::keyClick(&full, Qt::Key_PageDown);
            QCOMPARE(full.ShownFile, QStringLiteral("c.bmp"));
        }));
        QVERIFY(s.platform.pointerMoves.empty());
        QVERIFY(s.form->Slides().isHidden());
    }

    // The top-level report shows the refusal (with its period); the panel stays open.
    void notANumberIsRefused_data()
    {
        QTest::addColumn<QString>("typed");
        for (const char* text : {"abc", "", "5.5", "0x10", "1 2", "-", "99999999999", "2147483648"})
            QTest::newRow(text) << QString::fromLatin1(text);
    }
    void notANumberIsRefused()
    {
        QFETCH(QString, typed);
        Slides s;
        s.Bitmap(QStringLiteral("a.bmp"), 40);
        s.Open();
        QVERIFY(!s.Run(typed, [](TFullForm&) {}));
        QCOMPARE(s.platform.messages.size(), size_t(1));
        QCOMPARE(s.platform.messages[0].kind, MessageKind::Error);
        QCOMPARE(s.platform.messages[0].text, QStringLiteral("'%1' is not a valid integer value.").arg(typed));
        QVERIFY(s.platform.modals.empty());
        QVERIFY(s.platform.cursorSets.empty());
        QVERIFY(!s.form->Slides().isHidden());
    }

    void noImagesForTheShow_data()
    {
        QTest::addColumn<bool>("files");
        QTest::addColumn<bool>("searchMode");
        QTest::addColumn<QStringList>("results");
        QTest::newRow("empty folder") << false << false << QStringList();
        QTest::newRow("search found nothing") << true << true << QStringList {"No matches found"};
        QTest::newRow("search not yet run") << true << true << QStringList();
    }
    void noImagesForTheShow()
    {
        QFETCH(bool, files);
        QFETCH(bool, searchMode);
        QFETCH(QStringList, results);
        Slides s;
        if (files)
            s.Bitmap(QStringLiteral("a.bmp"), 40);
        s.Open();
        s.SetSearchResults(results, searchMode);
        QVERIFY(!s.Run(QStringLiteral("5"), [](TFullForm&) {}));
        QVERIFY(s.platform.modals.empty());
        QCOMPARE(s.platform.messages.size(), size_t(1));
        QCOMPARE(s.platform.messages[0].kind, MessageKind::Information);
        QCOMPARE(s.platform.messages[0].text, kNoImages);
        QVERIFY(s.form->Slides().isHidden());
        QCOMPARE(s.platform.cursorSets.back(), s.Centre());
    }

    // A result list holding only "Search cancelled" is no image, but it is a list: the show
    // runs and never finds a picture.
    void cancelledSearchShowsNothing()
    {
        Slides s;
        s.Bitmap(QStringLiteral("a.bmp"), 40);
        s.Open();
        s.SetSearchResults({QStringLiteral("Search cancelled")});
        QVERIFY(s.Run(QStringLiteral("5"), [&](TFullForm& full) {
            QVERIFY(s.Tick(full));
            QVERIFY(!full.imgFull->Picture().HasGraphic());
            QVERIFY(s.TimerOf(full)->Active());
        }));
        QVERIFY(s.platform.messages.empty());
        QVERIFY(s.platform.pointerMoves.empty());
    }

    // While the panel is open every full-screen entry of the popup opens a timed show with
    // the panel's seconds, from the clicked thumbnail, always fitted; the panel stays.
    void popupEntriesOpenAShow_data()
    {
        QTest::addColumn<QString>("entry");
        for (const char* entry : {"Show In Screen", "Show Full Size", "Print As Is", "Print Full Page"})
            QTest::newRow(entry) << QString::fromLatin1(entry);
    }
    void popupEntriesOpenAShow()
    {
        QFETCH(QString, entry);
        Slides s;
        s.Bitmap(QStringLiteral("a.bmp"), 40);
        s.Bitmap(QStringLiteral("b.bmp"), 50);
        s.Bitmap(QStringLiteral("c.bmp"), 2048, 1536);
        s.Open();
        s.form->btnSlide->click();
        s.form->Slides().SetSecondsText(QStringLiteral("4"));
        const bool shown = s.During<TFullForm>(
            [&] {
                s.platform.menuChoices = {entry};
                s.form->AllImageClick(s.form->Thumbnail(2));
            },
            [&](TFullForm& full) {
                QCOMPARE(full.SlideSeconds, 4);
                QCOMPARE(s.TimerOf(full)->Interval(), 4000);
                QCOMPARE(full.ShownFile, QStringLiteral("b.bmp"));
                QVERIFY(s.Tick(full));
                QCOMPARE(full.ShownFile, QStringLiteral("c.bmp"));
                QCOMPARE(full.imgFull->PictureRect(), ScreenRect(1024, 768));
            });
        QVERIFY(shown);
        QVERIFY(s.form->Slides().isVisible());
    }

    // After each shown slide the pointer goes right by four relative moves; entries that are
    // no picture or do not load are passed over without a word or a move.
    void pointerMovesAndPassedOverEntries()
    {
        Slides s;
        s.Bitmap(QStringLiteral("a.bmp"), 40);
        WriteBytes(s.Path(QStringLiteral("b.jpg")), QByteArray("this is not a JPEG picture"));
        WriteBytes(s.Path(QStringLiteral("c.emf")), QByteArray("a metafile, never shown"));
        s.Bitmap(QStringLiteral("d.bmp"), 70);
        s.Open();
        QVERIFY(s.Run(QStringLiteral("5"), [&](TFullForm& full) {
            QCOMPARE(s.platform.pointerMoves, kSlideMoves);
            const TGraphic* first = full.imgFull->Picture().Graphic();
            for (int index : {1, 2}) {
                QVERIFY(s.Tick(full));
                QCOMPARE(full.CurrentIndex, index);
                QCOMPARE(full.ShownFile, QStringLiteral("a.bmp"));
                QCOMPARE(full.imgFull->Picture().Graphic(), first);
                QCOMPARE(s.platform.pointerMoves.size(), size_t(4));
                QVERIFY(s.TimerOf(full)->Active());
            }
            QVERIFY(s.Tick(full));
            QCOMPARE(full.ShownFile, QStringLiteral("d.bmp"));
            QCOMPARE(s.platform.pointerMoves.size(), size_t(8));
            QCOMPARE(std::vector<QPoint>(s.platform.pointerMoves.begin() + 4, s.platform.pointerMoves.end()),
                     kSlideMoves);
        }));
        QVERIFY(s.platform.messages.empty());
        QCOMPARE(s.platform.beeps, 0);
    }

    // A JPEG stops the timer when it starts decoding and starts it again at its next report;
    // a bitmap reports nothing and leaves the timer running.
    void decodingPausesTheTimer()
    {
        Slides s;
        s.Bitmap(QStringLiteral("a.bmp"), 40);
        WriteTestJpeg(s.Path(QStringLiteral("b.jpg")), 320, 240);
        s.Open();
        QVERIFY(s.Run(QStringLiteral("6"), [&](TFullForm& full) {
            ScriptedTimer* timer = s.TimerOf(full);
            std::vector<std::pair<TProgressStage, bool>> seen;
            const auto handler = full.imgFull->OnProgress;
            QVERIFY(handler);
            full.imgFull->OnProgress = [&](TImage* sender, const ProgressReport& report) {
                handler(sender, report);
                seen.emplace_back(report.stage, timer->Active());
            };
            QVERIFY(s.Tick(full));
            QCOMPARE(full.ShownFile, QStringLiteral("b.jpg"));
            QVERIFY(seen.size() >= 2);
            QCOMPARE(seen.front(), std::make_pair(TProgressStage::Starting, false));
            for (size_t i = 1; i < seen.size(); ++i)
                QVERIFY(seen[i].second);
            QCOMPARE(timer->Interval(), 6000);
            seen.clear();
            QVERIFY(s.Tick(full));
            QCOMPARE(full.ShownFile, QStringLiteral("a.bmp"));
            QVERIFY(seen.empty());
            QVERIFY(timer->Active());
        }));
    }

    // A report after the start enables a stopped timer for a whole interval, and leaves a
    // running one alone (its interval is not begun again).
    void progressRestartsOnlyAStoppedTimer_data()
    {
        QTest::addColumn<bool>("activeBefore");
        QTest::addColumn<int>("stage");
        QTest::addColumn<bool>("activeAfter");
        QTest::addColumn<int>("interval");
        QTest::newRow("start, running") << true << int(TProgressStage::Starting) << false << 123;
        QTest::newRow("running, stopped") << false << int(TProgressStage::Running) << true << 5000;
        QTest::newRow("end, stopped") << false << int(TProgressStage::Ending) << true << 5000;
        QTest::newRow("running, running") << true << int(TProgressStage::Running) << true << 123;
    }
    void progressRestartsOnlyAStoppedTimer()
    {
        QFETCH(bool, activeBefore);
        QFETCH(int, stage);
        Slides s;
        s.Bitmap(QStringLiteral("a.bmp"), 40);
        s.Open();
        QVERIFY(s.Run(QStringLiteral("5"), [&](TFullForm& full) {
            ScriptedTimer* timer = s.TimerOf(full);
            timer->Start(123); // marks whether the next Start happens
            if (!activeBefore)
                timer->Stop();
            ProgressReport report;
            report.stage = TProgressStage(stage);
            full.imgFullProgress(full.imgFull, report);
            QTEST(timer->Active(), "activeAfter");
            QTEST(timer->Interval(), "interval");
        }));
    }

    // With "Include Sub Directories" the show runs over a search of the folder tree, with the
    // text the search area was left with; the wait plate covers the buttons meanwhile.
    void includeSubDirectories_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("no text: the whole tree")
            << QString() << QStringList {"a.bmp", "sub/b.bmp", "sub/deep/c.jpg", "other/Bee.ico"};
        QTest::newRow("text b: names beginning with it")
            << QStringLiteral("b") << QStringList {"sub/b.bmp", "other/Bee.ico"};
        QTest::newRow("text matching nothing") << QStringLiteral("zz") << QStringList();
    }
    void includeSubDirectories()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, expected);
        Slides s;
        s.Bitmap(QStringLiteral("a.bmp"), 40);
        s.Bitmap(QStringLiteral("sub/b.bmp"), 50);
        s.Bitmap(QStringLiteral("sub/abb.bmp"), 50);
        QDir(s.dir.path()).mkpath(QStringLiteral("sub/deep"));
        WriteTestJpeg(s.Path(QStringLiteral("sub/deep/c.jpg")), 60, 40);
        WriteBytes(s.Path(QStringLiteral("other/Bee.ico")), MakeTestIcon({16}));
        WriteBytes(s.Path(QStringLiteral("other/bnotes.txt")), QByteArray("not a picture"));
        if (text.isEmpty())
            expected.insert(1, QStringLiteral("sub/abb.bmp"));
        s.Open();
        TViewForm& f = *s.form;
        // The search area opened, a text typed, the area closed again.
        f.btnSearchClick();
        f.SearchPanel().SetText(text);
        f.SearchPanel().PressClose();
        QStringList want;
        for (const QString& name : expected)
            want << QDir(s.platform.CurrentFolder()).filePath(name);
        std::vector<bool> covered; // the plate up and the buttons off at every folder listed
        s.platform.listOverride = [&](const QString& folder, const QString& mask, ListFilter filter) {
            covered.push_back(f.Slides().Searching());
            return FileServices::ListDirectory(folder, mask, filter);
        };
        QStringList shown;
        const bool opened = s.Run(
            QStringLiteral("5"),
            [&](TFullForm& full) {
                QVERIFY(full.IncludeSubs);
                QCOMPARE(full.LastIndex, int(want.size()) - 1);
                shown << full.ShownFile;
                for (int i = 1; i <= int(want.size()); ++i) {
                    QVERIFY(s.Tick(full));
                    shown << full.ShownFile;
                }
            },
            true);
        QCOMPARE(opened, !want.isEmpty());
        QVERIFY(!covered.empty());
        QVERIFY(std::all_of(covered.begin(), covered.end(), [](bool b) { return b; }));
        QVERIFY(f.Slides().Ready());
        QVERIFY(f.SearchPanel().isHidden());
        QVERIFY(!f.SearchMode);
        if (want.isEmpty()) {
            QCOMPARE(s.platform.messages.size(), size_t(1));
            QCOMPARE(s.platform.messages[0].text, kNoImages);
            return;
        }
        // Every picture of the list once, from the first result, then the first again.
        QCOMPARE(shown.front(), f.SearchPanel().Results()->item(0)->text());
        QCOMPARE(shown.back(), shown.front());
        shown.removeLast();
        QCOMPARE(QSet<QString>(shown.begin(), shown.end()), QSet<QString>(want.begin(), want.end()));
        QCOMPARE(shown.size(), want.size());
        QVERIFY(s.platform.messages.empty());
    }

    // The main window closed while the folder tree is searched: no show and no message.
    void closingDuringTheSearchStartsNoShow()
    {
        Slides s;
        s.Bitmap(QStringLiteral("a.bmp"), 40);
        s.Bitmap(QStringLiteral("sub/b.bmp"), 40);
        s.Open();
        s.platform.listOverride = [&](const QString& folder, const QString& mask, ListFilter filter) {
            if (s.form->isVisible())
                s.form->close();
            return FileServices::ListDirectory(folder, mask, filter);
        };
        QVERIFY(!s.Run(
            QStringLiteral("5"), [](TFullForm&) {}, true));
        QVERIFY(!s.form->isVisible());
        const auto& modals = s.platform.modals;
        QVERIFY(std::find(modals.begin(), modals.end(), QStringLiteral("TFullForm")) == modals.end());
        for (const auto& message : s.platform.messages)
            QVERIFY(message.text != kNoImages);
    }

    // Page keys step by hand and leave the timer running; the next tick goes on from there.
    // Esc ends the show: pointer to the main window's centre, panel hidden.
    void keysDuringAShow()
    {
        Slides s;
        for (const char* name : {"a.bmp", "b.bmp", "c.bmp"})
            s.Bitmap(QString::fromLatin1(name), 40);
        s.Open();
        QVERIFY(s.Run(QStringLiteral("5"), [&](TFullForm& full) {
            ScriptedTimer* timer = s.TimerOf(full);
            QTest::keyClick(&full, Qt::Key_PageDown);
            QCOMPARE(full.ShownFile, QStringLiteral("b.bmp"));
            QVERIFY(timer->Active());
            QVERIFY(s.Tick(full));
            QCOMPARE(full.ShownFile, QStringLiteral("c.bmp"));
            QTest::keyClick(&full, Qt::Key_PageDown);
            QCOMPARE(s.platform.beeps, 1);
            QTest::keyClick(&full, Qt::Key_PageUp);
            QCOMPARE(full.ShownFile, QStringLiteral("b.bmp"));
            QVERIFY(timer->Active());
            QTest::keyClick(&full, Qt::Key_Escape);
            QVERIFY(!full.isVisible());
            QVERIFY(!timer->Active());
        }));
        QCOMPARE(s.platform.cursorSets.back(), s.Centre());
        QVERIFY(s.form->Slides().isHidden());
        QVERIFY(s.form->findChildren<TFullForm*>().isEmpty());
    }
};

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    TestSlideShow test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_slideshow.moc"
