// SPDX-License-Identifier: GPL-3.0-or-later
// The search area of the main window, driven offscreen on folder trees the tests build.
// Listings go through the real file services, re-sorted by name so the expected order of
// the results is known; the test from "/" is a scripted listing and never reads the real root.
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QScreen>
#include <QTest>
#include <QToolButton>
#include <memory>
#include <stdexcept>
#include "app/lib/Application.h"
#include "controls/FileListBox.h"
#include "platform/FileServices.h"
#include "controls/ImageControl.h"
#include "controls/RadioGroup.h"
#include "ScriptedPlatform.h"
#include "TestFiles.h"
#include "TestPictures.h"
#include "MainWindowFixture.h"
#include "ui/browser/Viewmain.h"

namespace {

// Writes a small real picture for image extensions, a few bytes for anything else.
void Touch(const QString& path)
{
    const QString lower = path.toLower();
    QDir().mkpath(QFileInfo(path).path());
    if (lower.endsWith(".jpg") || lower.endsWith(".jpeg"))
        WriteTestJpeg(path, 8, 6);
    else if (lower.endsWith(".bmp"))
        WriteTestBitmap(path, 8, 6);
    else if (lower.endsWith(".ico"))
        WriteBytes(path, MakeTestIcon({16}));
    else
        WriteBytes(path, "text");
}

struct Window : MainWindowFixture<> {
    QStringList listed;                         // folders the search listed, in order
    std::function<void(const QString&)> onList; // runs while a folder is being listed

    Window()
    {
        // Real listings, sorted by name ignoring case: a known file-system order.
        platform.listOverride = [this](const QString& folder, const QString& mask, ListFilter filter) {
            if (mask == QLatin1String("*") && filter == ListFilter::All) {
                listed << folder.mid(dir.path().size());
                if (onList)
                    onList(folder);
            }
            auto entries = FileServices::ListDirectory(folder, mask, filter);
            if (entries) {
                std::sort(entries->begin(), entries->end(), [](const DirEntry& a, const DirEntry& b) {
                    return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
                });
            }
            return entries;
        };
    }
    void Build(const QStringList& files)
    {
        for (const QString& f : files)
            Touch(Path(f));
    }
    void Open() { OpenWindow(); }
    QString Path(const QString& rel) const { return dir.path() + "/" + rel; }
    QStringList Results() const
    {
        QStringList lines;
        for (int i = 0; i < List()->count(); ++i)
            lines << List()->item(i)->text();
        return lines;
    }
    // Results with the start folder taken off, for readable comparisons.
    QStringList RelativeResults() const
    {
        QStringList lines = Results();
        for (QString& l : lines) {
            if (l.startsWith(dir.path() + "/"))
                l = l.mid(dir.path().size() + 1);
        }
        return lines;
    }
    void Search(const QString& text, int type = 0)
    {
        form->btnSearch->click();
        Panel().SetText(text);
        Panel().SetTypeIndex(type);
        Panel().PressSearch();
    }
    TSearchPanel& Panel() const { return form->SearchPanel(); }
    // A part of the panel, for what only its widgets show (looks, focus, keys, mouse).
    template <class T>
    T* Part(const char* name) const
    {
        return Panel().findChild<T*>(QLatin1String(name));
    }
    const QListWidget* List() const { return Panel().Results(); }
    // Presses a button from inside the walk's own message processing, as a user would.
    void Queue(void (TSearchPanel::*press)())
    {
        TSearchPanel* panel = &Panel();
        QMetaObject::invokeMethod(
            panel, [panel, press] { (panel->*press)(); }, Qt::QueuedConnection);
    }
};

const QStringList kTree {
    "cat1.jpg",
    "Catalina.bmp",
    "dog.jpg",
    "bobcat.jpg",
    "cat.txt",
    "cat4.jpeg",
    ".catsecret.jpg", // hidden file: found when the text lets it match
    "kittens/CAT2.JPG",
    "kittens/deeper/cat3.ico",
    "kittens/wildcat.bmp",
    ".hidden/cat5.jpg", // inside a hidden folder: never found
    "zoo/cathedral.jpg",
};

} // namespace

class TestSearch : public QObject {
    Q_OBJECT
private slots:
    void controlsAtStart()
    {
        Window w;
        w.Open();
        TViewForm& f = *w.form;
        QVERIFY(!w.Panel().isVisible());
        QCOMPARE(f.btnSearch->toolTip(), QStringLiteral("Search for files"));
        QCOMPARE(w.Part<QLabel>("lblxDir")->text(), w.dir.path());
        QCOMPARE(w.Part<QLabel>("lblxDir")->width(), 172);
        QCOMPARE(w.Part<QPushButton>("btnSClose")->text(), QStringLiteral("X"));
        QVERIFY(w.Part<QPushButton>("btnSClose")->font().bold());
        QVERIFY(w.Panel().Text().isEmpty());
        QCOMPARE(w.Part<QPushButton>("btnFSearch")->text(), QStringLiteral("Search"));
        QVERIFY(w.Part<QPushButton>("btnFSearch")->isEnabled());
        QCOMPARE(w.Part<QPushButton>("btnFCancel")->text(), QStringLiteral("Cancel"));
        QVERIFY(!w.Part<QPushButton>("btnFCancel")->isEnabled());
        QCOMPARE(w.Part<TRadioGroup>("rdgExt")->title(), QStringLiteral(" File Type"));
        QCOMPARE(w.Part<TRadioGroup>("rdgExt")->Items(),
                 QStringList({"All Graphics", "Jpeg", "Bitmap", "Icon", "Other"}));
        QCOMPARE(w.Panel().TypeIndex(), 0);
        QCOMPARE(w.Panel().FoundText(), QStringLiteral("Found : "));
        QVERIFY(!w.Panel().FoundShown());
        QCOMPARE(w.List()->count(), 0);
        QVERIFY(!f.SearchMode);
    }

    void openingTheArea()
    {
        Window w;
        w.Build({"a.jpg"});
        w.Open();
        TViewForm& f = *w.form;
        w.Search("a"); // results and a count left from a search
        QCOMPARE(w.Panel().FoundText(), QStringLiteral("Found : 1"));
        w.Panel().SetText("old");
        f.rdgType->SetItemIndex(2);
        f.rdgTypeClick();
        f.Thumbnail(1)->SetHint("marker"); // the page is not reloaded by opening
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        f.btnSearch->click();
        QCOMPARE(w.List()->count(), 0);
        QVERIFY(!w.Panel().FoundShown());
        QVERIFY(w.Panel().FoundText().isEmpty());
        QVERIFY(w.Panel().Text().isEmpty());
        QCOMPARE(w.Panel().TypeIndex(), 2);
        QVERIFY(w.Panel().isVisible());
        QCOMPARE(w.Panel().geometry(), f.pnlFile->geometry());
        QVERIFY(f.SearchMode);
        QVERIFY(w.Part<QLineEdit>("edtSearch")->hasFocus());
        QCOMPARE(f.Thumbnail(1)->Hint(), QStringLiteral("marker"));
    }

    void findsInPreOrder_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("type");
        QTest::addColumn<QStringList>("found");
        const QStringList cats {
            "cat1.jpg",         "cat4.jpeg", "Catalina.bmp", "kittens/CAT2.JPG", "kittens/deeper/cat3.ico",
            "zoo/cathedral.jpg"};
        QTest::newRow("cat, any case, every level") << "cat" << 0 << cats;
        QTest::newRow("blanks around the text") << "  cat\t" << 0 << cats;
        QTest::newRow("question mark") << "c?t" << 0 << cats;
        QTest::newRow("cat anywhere, hidden file too") << "*cat" << 0
                                                       << QStringList {".catsecret.jpg",
                                                                       "bobcat.jpg",
                                                                       "cat1.jpg",
                                                                       "cat4.jpeg",
                                                                       "Catalina.bmp",
                                                                       "kittens/CAT2.JPG",
                                                                       "kittens/wildcat.bmp",
                                                                       "kittens/deeper/cat3.ico",
                                                                       "zoo/cathedral.jpg"};
        QTest::newRow("Jpeg leaves .jpeg out")
            << "cat" << 1 << QStringList {"cat1.jpg", "kittens/CAT2.JPG", "zoo/cathedral.jpg"};
        QTest::newRow("Bitmap") << "cat" << 2 << QStringList {"Catalina.bmp"};
        QTest::newRow("Icon") << "cat" << 3 << QStringList {"kittens/deeper/cat3.ico"};
        QTest::newRow("empty text: every image file")
            << "" << 0 << QStringList {".catsecret.jpg",   "bobcat.jpg",          "cat1.jpg",
                                       "cat4.jpeg",        "Catalina.bmp",        "dog.jpg",
                                       "kittens/CAT2.JPG", "kittens/wildcat.bmp", "kittens/deeper/cat3.ico",
                                       "zoo/cathedral.jpg"};
    }
    void findsInPreOrder()
    {
        QFETCH(QString, text);
        QFETCH(int, type);
        QFETCH(QStringList, found);
        Window w;
        w.Build(kTree);
        w.Open();
        w.Search(text, type);
        TViewForm& f = *w.form;
        QCOMPARE(w.RelativeResults(), found);
        QCOMPARE(w.Results().first(), w.Path(found.first())); // full paths, one separator each
        QVERIFY(w.Panel().FoundShown());
        QCOMPARE(w.Panel().FoundText(), QStringLiteral("Found : %1").arg(found.size()));
        QVERIFY(!w.listed.contains("/.hidden/"));
        // The page now shows the first results.
        QCOMPARE(f.edtImageCount->text(), QString::number(found.size()));
        QCOMPARE(f.Thumbnail(1)->Hint(), w.Path(found.first()));
        QVERIFY(f.Thumbnail(1)->Picture().HasGraphic());
        QVERIFY(w.Part<QPushButton>("btnFSearch")->isEnabled());
        QVERIFY(!w.Part<QPushButton>("btnFCancel")->isEnabled());
        QCOMPARE(w.platform.busyDepth, 0);
        QVERIFY(w.platform.messages.empty());
    }

    void refusesExtensions_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("cat.jpg") << "cat.jpg";
        QTest::newRow("cat.") << "cat.";
        QTest::newRow("blanks around") << "  cat.bmp ";
    }
    void refusesExtensions()
    {
        QFETCH(QString, text);
        Window w;
        w.Build({"cat.jpg"});
        w.Open();
        TViewForm& f = *w.form;
        f.btnSearch->click();
        w.Part<QListWidget>("lbxFileSearch")->addItem("kept");
        w.Panel().SetText(text);
        w.Panel().PressSearch();
        QCOMPARE(w.platform.messages.size(), size_t(1));
        QCOMPARE(w.platform.messages[0].kind, MessageKind::Information);
        QCOMPARE(w.platform.messages[0].caption, QCoreApplication::applicationName());
        QCOMPARE(w.platform.messages[0].text, QStringLiteral("No file extensions please."));
        QCOMPARE(w.Results(), QStringList {"kept"});
        QVERIFY(w.listed.isEmpty());
        QVERIFY(!w.Panel().FoundShown());
        QVERIFY(w.Part<QPushButton>("btnFSearch")->isEnabled());
        QVERIFY(!w.Part<QPushButton>("btnFCancel")->isEnabled());
    }

    void cancel_data()
    {
        QTest::addColumn<QString>("cancelIn"); // folder being listed when Cancel is clicked
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<QStringList>("listed");
        QTest::newRow("before any match") << "/"
                                          << "No matches found" << QStringList {"/"};
        QTest::newRow("after a first match") << "/a/"
                                             << "Search cancelled" << QStringList {"/", "/a/"};
        QTest::newRow("deep, after matches") << "/b/c/"
                                             << "Search cancelled" << QStringList {"/", "/a/", "/b/", "/b/c/"};
    }
    void cancel()
    {
        QFETCH(QString, cancelIn);
        Window w;
        w.Build({"a/cat1.jpg", "b/cat2.jpg", "b/c/cat3.jpg", "b/d/cat4.jpg", "e/cat5.jpg", "x.jpg"});
        w.Open();
        TViewForm& f = *w.form;
        bool searching = false;
        w.onList = [&](const QString& folder) {
            if (folder == w.Path(cancelIn.mid(1))) {
                searching = !w.Part<QPushButton>("btnFSearch")->isEnabled() &&
                    w.Part<QPushButton>("btnFCancel")->isEnabled() && w.platform.busyDepth == 1;
                w.Queue(&TSearchPanel::PressCancel);
            }
        };
        w.Search("cat");
        QVERIFY(searching);
        QTEST(w.listed, "listed");
        QTEST(w.Results().join('|'), "outcome");
        QVERIFY(!w.Panel().FoundShown());
        QVERIFY(w.Part<QPushButton>("btnFSearch")->isEnabled());
        QVERIFY(!w.Part<QPushButton>("btnFCancel")->isEnabled());
        QCOMPARE(w.platform.busyDepth, 0);
        // The outcome line is a list entry like any other; its cell stays empty.
        QCOMPARE(f.edtImageCount->text(), QStringLiteral("1"));
        QVERIFY(!f.Thumbnail(1)->Picture().HasGraphic());
        QVERIFY(w.platform.messages.empty());
        // The next search starts afresh.
        w.onList = nullptr;
        w.Panel().PressSearch();
        QCOMPARE(w.Panel().FoundText(), QStringLiteral("Found : 5"));
    }

    void fromTheRoot()
    {
        // "/" is a scripted listing: the search's path rules without reading the real root.
        const QString before = QDir::currentPath();
        ScriptedPlatform platform;
        QStringList listed;
        platform.listOverride = [&](const QString& folder, const QString& mask,
                                    ListFilter filter) -> std::optional<std::vector<DirEntry>> {
            std::vector<DirEntry> all;
            const auto add = [&](const QString& name, bool dir) { all.push_back(DirEntry {name, dir, false, false}); };
            if (folder == "/") {
                add("cat1.jpg", false);
                add("pics", true);
                add("empty", true);
            } else if (folder == "/pics/") {
                add("Cat2.bmp", false);
            } else if (folder != "/empty/") {
                return std::nullopt;
            }
            if (mask == "*" && filter == ListFilter::All)
                listed << folder;
            std::vector<DirEntry> out;
            for (const DirEntry& e : all) {
                if (MatchesMask(e.name, mask) &&
                    (filter == ListFilter::All || (filter == ListFilter::Directories) == e.isDirectory))
                    out.push_back(e);
            }
            return out;
        };
        platform.SetCurrentFolder("/");
        TApplication::InitPictureLayer(platform);
        auto form = std::make_unique<TViewForm>(platform);
        form->show();
        form->btnSearchClick();
        form->SearchPanel().SetText("cat");
        form->SearchPanel().PressSearch();
        QDir::setCurrent(before);
        QCOMPARE(form->SearchPanel().Info().StartFolder, QStringLiteral("/"));
        QCOMPARE(listed, QStringList({"/", "/pics/", "/empty/"}));
        QCOMPARE(form->SearchPanel().Results()->count(), 2);
        QCOMPARE(form->SearchPanel().Results()->item(0)->text(), QStringLiteral("/cat1.jpg"));
        QCOMPARE(form->SearchPanel().Results()->item(1)->text(), QStringLiteral("/pics/Cat2.bmp"));
    }

    void linkLoopEnds()
    {
        Window w;
        w.Build({"top/cat1.jpg", "top/a/cat2.jpg"});
        QVERIFY(QFile::link(w.Path("top"), w.Path("top/a/loop")));
        QVERIFY(QFile::link(w.dir.path(), w.Path("top/a/loop2")));
        w.Open();
        w.Search("cat");
        QCOMPARE(w.RelativeResults(), QStringList({"top/cat1.jpg", "top/a/cat2.jpg"}));
        QCOMPARE(w.listed, QStringList({"/", "/top/", "/top/a/"}));
    }

    // A working folder removed after it was shown is a folder that cannot be listed: no
    // entries, and never a walk from the root.
    void vanishedWorkingFolder()
    {
        Window w;
        w.Build({"cat.jpg"});
        QVERIFY(QDir().mkpath(w.Path("gone")));
        w.platform.SetCurrentFolder(w.Path("gone"));
        TApplication::InitPictureLayer(w.platform);
        w.form = std::make_unique<TViewForm>(w.platform);
        w.form->show();
        QStringList asked;
        w.platform.listOverride = [&](const QString& folder, const QString& mask, ListFilter filter) {
            asked << folder;
            // Nothing outside the test's folder is read, whatever the search asks for.
            return folder.startsWith(w.dir.path()) ? FileServices::ListDirectory(folder, mask, filter) : std::nullopt;
        };
        QVERIFY(QDir(w.Path("gone")).removeRecursively());
        w.Search("cat");
        QDir::setCurrent(w.dir.path());
        QVERIFY2(!asked.contains("/"), qPrintable(asked.join(' ')));
        QCOMPARE(w.Results(), QStringList {"No matches found"});
    }

    // The old results are off the screen before the walk starts, not only when it ends.
    void listShownEmptyDuringWalk()
    {
        Window w;
        QStringList names;
        for (int i = 0; i < 8; ++i)
            names << QStringLiteral("cat%1.jpg").arg(i);
        w.Build(names);
        w.Open();
        TViewForm& f = *w.form;
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        w.Search("cat");
        QCOMPARE(w.List()->count(), 8);
        QWidget* view = w.List()->viewport();
        const QColor base = w.List()->palette().color(QPalette::Base);
        const auto marked = [&](const QImage& image) {
            int n = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    n += image.pixelColor(x, y) != base;
            return n;
        };
        const auto grab = [&] {
            const QPoint at = view->mapToGlobal(QPoint(0, 0));
            return f.screen()->grabWindow(0, at.x(), at.y(), view->width(), view->height()).toImage();
        };
        // The results are on the screen before the next search starts.
        QTRY_VERIFY(marked(grab()) > 0);
        QImage shown;
        w.onList = [&](const QString&) {
            if (shown.isNull())
                shown = grab();
        };
        w.Panel().PressSearch();
        QVERIFY(!shown.isNull());
        QCOMPARE(marked(shown), 0);
    }

    void closingTheAreaReloadsFolder()
    {
        Window w;
        w.Build({"a.jpg", "b.bmp", "sub/cat.jpg"});
        w.Open();
        TViewForm& f = *w.form;
        w.Search("cat");
        QCOMPARE(f.Thumbnail(1)->Hint(), w.Path("sub/cat.jpg"));
        QCOMPARE(f.edtImageCount->text(), QStringLiteral("1"));
        w.Panel().PressClose();
        QVERIFY(!f.SearchMode);
        QVERIFY(!w.Panel().isVisible());
        QCOMPARE(f.edtImageCount->text(), QStringLiteral("2"));
        QCOMPARE(f.Thumbnail(1)->Hint(), QStringLiteral("a.jpg"));
        QVERIFY(f.Thumbnail(1)->Picture().HasGraphic());
        QCOMPARE(w.Results(), QStringList {w.Path("sub/cat.jpg")}); // kept until the next search
    }

    void closeDuringSearchLetsWalkFinish()
    {
        Window w;
        w.Build({"a.jpg", "x/cat1.jpg", "y/cat2.jpg"});
        w.Open();
        TViewForm& f = *w.form;
        w.onList = [&](const QString& folder) {
            if (folder.endsWith("/x/")) {
                w.Queue(&TSearchPanel::PressCancel);
                w.Queue(&TSearchPanel::PressClose); // "X" clears the cancel request
            }
        };
        w.Search("cat");
        QCOMPARE(w.listed, QStringList({"/", "/x/", "/y/"}));
        QCOMPARE(w.RelativeResults(), QStringList({"x/cat1.jpg", "y/cat2.jpg"}));
        QVERIFY(!f.SearchMode);
        QCOMPARE(f.Thumbnail(1)->Hint(), QStringLiteral("a.jpg")); // page from the folder again
    }

    void enterKey()
    {
        Window w;
        w.Build({"cat.jpg", "sub/cat2.jpg"});
        w.Open();
        TViewForm& f = *w.form;
        f.btnSearch->click();
        w.Panel().SetText("cat");
        int nested = 0;
        w.onList = [&](const QString&) {
            // Enter while the walk runs is ignored, even once Cancel has re-enabled Search.
            w.Panel().PressCancel();
            QTest::keyClick(w.Part<QLineEdit>("edtSearch"), Qt::Key_Return);
            ++nested;
        };
        QTest::keyClick(w.Part<QLineEdit>("edtSearch"), Qt::Key_Return);
        QCOMPARE(nested, 1);
        QCOMPARE(w.listed, QStringList {"/"});
        QCOMPARE(w.Results(), QStringList {"Search cancelled"});
        w.onList = nullptr;
        w.listed.clear();
        w.Part<QPushButton>("btnFSearch")->setEnabled(false);
        QTest::keyClick(w.Part<QLineEdit>("edtSearch"), Qt::Key_Enter);
        QVERIFY(w.listed.isEmpty());
        w.Part<QPushButton>("btnFSearch")->setEnabled(true);
        QTest::keyClick(w.Part<QLineEdit>("edtSearch"), Qt::Key_Enter);
        QCOMPARE(w.Panel().FoundText(), QStringLiteral("Found : 2"));
    }

    void cursorRestoredWhenWalkFails()
    {
        Window w;
        w.Build({"cat.jpg", "sub/cat2.jpg"});
        w.Open();
        w.onList = [&](const QString& folder) {
            if (folder.endsWith("/sub/"))
                throw std::runtime_error("Device vanished");
        };
        w.Search("cat");
        QCOMPARE(w.platform.busyDepth, 0);
        QCOMPARE(w.platform.messages.size(), size_t(1));
        QCOMPARE(w.platform.messages[0].kind, MessageKind::Error);
        QVERIFY(w.platform.messages[0].text.startsWith("Device vanished"));
        QVERIFY(w.Part<QPushButton>("btnFSearch")->isEnabled());
        QVERIFY(!w.Part<QPushButton>("btnFCancel")->isEnabled());
        QVERIFY(w.List()->updatesEnabled());
        QVERIFY(!w.Panel().Walking());
        // A search after the failure works.
        w.onList = nullptr;
        w.Panel().PressSearch();
        QCOMPARE(w.Panel().FoundText(), QStringLiteral("Found : 2"));
    }

    void closingWindowEndsWalk()
    {
        Window w;
        w.Build({"a/cat1.jpg", "b/cat2.jpg", "c/cat3.jpg"});
        w.Open();
        TViewForm& f = *w.form;
        w.onList = [&](const QString& folder) {
            if (folder.endsWith("/a/"))
                QMetaObject::invokeMethod(
                    &f, [&f] { f.close(); }, Qt::QueuedConnection);
        };
        w.Search("cat");
        QCOMPARE(w.listed, QStringList({"/", "/a/"}));
        QVERIFY(f.Terminating);
        QVERIFY(!f.isVisible());
        QCOMPARE(w.platform.busyDepth, 0);
        // Shown again, the window searches to the end.
        f.show();
        QVERIFY(!f.Terminating);
        w.onList = nullptr;
        w.Panel().PressSearch();
        QCOMPARE(w.Panel().FoundText(), QStringLiteral("Found : 3"));
    }

    void searchWithAreaHidden()
    {
        // The slide show runs the search with the area closed: the results fill the hidden
        // list and the page comes from the folder.
        Window w;
        w.Build({"b.jpg", "sub/a.jpg", "sub/deep/c.bmp"});
        w.Open();
        TViewForm& f = *w.form;
        w.Panel().Search();
        QVERIFY(!w.Panel().isVisible());
        QCOMPARE(w.RelativeResults(), QStringList({"b.jpg", "sub/a.jpg", "sub/deep/c.bmp"}));
        QCOMPARE(f.Thumbnail(1)->Hint(), QStringLiteral("b.jpg"));
        QCOMPARE(f.edtImageCount->text(), QStringLiteral("1"));
    }

    void resultClickStartsPage()
    {
        Window w;
        QStringList names;
        for (int i = 0; i < 12; ++i)
            names << QStringLiteral("s/cat%1.jpg").arg(i, 2, 10, QChar('0'));
        w.Build(names);
        w.Open();
        TViewForm& f = *w.form;
        w.Search("cat");
        auto* list = w.Part<QListWidget>("lbxFileSearch");
        QCOMPARE(list->count(), 12);
        QListWidgetItem* item = list->item(10);
        list->scrollToItem(item);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
        QCOMPARE(f.Thumbnail(1)->Hint(), w.Path("s/cat10.jpg"));
        QCOMPARE(f.Thumbnail(2)->Hint(), w.Path("s/cat11.jpg"));
    }

    void resultsScrollOverFixedExtent_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("short line") << "cat.jpg";
        QTest::newRow("line far wider than the list")
            << "a folder with a rather long name/and another one below it, just as long/cat.jpg";
    }
    void resultsScrollOverFixedExtent()
    {
        QFETCH(QString, file);
        Window w;
        w.Build({file});
        w.Open();
        w.Search("cat");
        const QListWidget* list = w.List();
        QCOMPARE(list->count(), 1);
        QCoreApplication::processEvents(); // the list lays out its lines late
        QCOMPARE(list->horizontalScrollBar()->maximum(), 700 - list->viewport()->width());
    }

    void startFolderLabel_data()
    {
        QTest::addColumn<QString>("sub"); // folder below the temporary one
        QTest::addColumn<bool>("shortened");
        QTest::addColumn<QString>("tail"); // what a shortened text ends with
        QTest::newRow("short, with &") << "a&b" << false << "";
        QTest::newRow("long, & in last part")
            << "holidays/two thousand and nineteen/summer on the coast/sea & sand" << true << ".../sea & sand";
        QTest::newRow("short but wider than the label") << "WWWWWWWWWW/MMMM" << true << ".../MMMM";
    }
    void startFolderLabel()
    {
        QFETCH(QString, sub);
        QFETCH(bool, shortened);
        Window w;
        QVERIFY(QDir().mkpath(w.Path(sub)));
        w.platform.SetCurrentFolder(w.Path(sub));
        TApplication::InitPictureLayer(w.platform);
        w.form = std::make_unique<TViewForm>(w.platform);
        w.form->show();
        QLabel* label = w.Part<QLabel>("lblxDir");
        const QString full = w.Path(sub);
        QCOMPARE(label->text(), full);
        w.form->btnSearch->click();
        QCOMPARE(label->textFormat(), Qt::PlainText); // "&" is drawn as itself
        const QString shown = label->text();
        if (!shortened) {
            QCOMPARE(shown, full);
            return;
        }
        QVERIFY2(shown.contains("..."), qPrintable(shown));
        QVERIFY(!shown.contains(QChar(0x2026)));
        QFETCH(QString, tail);
        QVERIFY2(shown.endsWith(tail), qPrintable(shown));
        QVERIFY(full.startsWith(shown.left(shown.indexOf("..."))));
        QVERIFY(label->fontMetrics().horizontalAdvance(shown) <= label->contentsRect().width());
        // Opening again keeps the same text.
        w.Panel().PressClose();
        w.form->btnSearch->click();
        QCOMPARE(label->text(), shown);
    }
};

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    TestSearch test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_search.moc"
