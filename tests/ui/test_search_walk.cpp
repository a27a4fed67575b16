// SPDX-License-Identifier: GPL-3.0-or-later
// The search's folder walk and its rules, without the window: trees are scripted listings
// (so "/" can be walked safely) or real folders where links matter.
#include <QFile>
#include <QFontMetrics>
#include <QTemporaryDir>
#include <QTest>
#include <map>
#include "app/lib/Application.h"
#include "ScriptedPlatform.h"
#include "TestFiles.h"
#include "ui/search/FolderWalk.h"
#include "ui/search/PathEllipsis.h"

namespace {

// A folder tree that exists only as listings. Folders are keyed with their trailing "/";
// a folder without a key cannot be listed.
struct FakeTree {
    std::map<QString, std::vector<DirEntry>> folders;
    QStringList listed;

    void Add(const QString& folder, const QStringList& names)
    {
        auto& entries = folders[folder];
        for (const QString& n : names) {
            DirEntry e;
            e.isDirectory = n.endsWith(QLatin1Char('/'));
            e.name = e.isDirectory ? n.chopped(1) : n;
            e.isHidden = e.name.startsWith(QLatin1Char('.'));
            entries.push_back(e);
        }
    }
    void Install(ScriptedPlatform& platform)
    {
        platform.listOverride = [this](const QString& folder, const QString& mask,
                                       ListFilter filter) -> std::optional<std::vector<DirEntry>> {
            listed << folder;
            const auto it = folders.find(folder);
            if (it == folders.end())
                return std::nullopt;
            std::vector<DirEntry> out;
            for (const DirEntry& e : it->second) {
                if (!MatchesMask(e.name, mask))
                    continue;
                if ((filter == ListFilter::Files && e.isDirectory) ||
                    (filter == ListFilter::Directories && !e.isDirectory))
                    continue;
                out.push_back(e);
            }
            return out;
        };
    }
};

QStringList Walk(ScriptedPlatform& platform, const QString& start, const QString& pattern,
                 const QString& filter = QStringLiteral(".*"))
{
    FolderWalk walk(platform, pattern, filter);
    QString path = start;
    const bool go = walk.Walk(path);
    if (!go || path != start)
        qWarning("walk ended with %d, path %s", int(go), qPrintable(path));
    return walk.Found();
}

} // namespace

class TestSearchWalk : public QObject {
    Q_OBJECT
private slots:
    void trimText_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("trimmed");
        QTest::newRow("blanks") << "  cat  "
                                << "cat";
        QTest::newRow("tab and newline") << "\tcat\r\n"
                                         << "cat";
        QTest::newRow("control characters") << QStringLiteral("\x01"
                                                              "cat"
                                                              "\x1f")
                                            << "cat";
        QTest::newRow("inner blank kept") << " big cat "
                                          << "big cat";
        QTest::newRow("only blanks") << " \t "
                                     << "";
        QTest::newRow("no-break space kept") << QStringLiteral("\u00a0cat") << QStringLiteral("\u00a0cat");
    }
    void trimText()
    {
        QFETCH(QString, typed);
        QTEST(SearchRules::TrimText(typed), "trimmed");
    }

    void hasExtension_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("extension");
        QTest::newRow("plain") << "cat" << false;
        QTest::newRow("with extension") << "cat.jpg" << true;
        QTest::newRow("trailing period") << "cat." << true;
        QTest::newRow("leading period") << ".cat" << true;
        QTest::newRow("period before separator") << "a.b/cat" << false;
        QTest::newRow("period after separator") << "a/cat.x" << true;
        QTest::newRow("wildcards") << "*cat?" << false;
        QTest::newRow("empty") << "" << false;
    }
    void hasExtension()
    {
        QFETCH(QString, text);
        QTEST(SearchRules::HasExtension(text), "extension");
    }

    void acceptsEntry_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("item");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("all: jpg") << "a.jpg" << 0 << true;
        QTest::newRow("all: jpeg") << "a.jpeg" << 0 << true;
        QTest::newRow("all: jfif") << "a.JFIF" << 0 << true;
        QTest::newRow("all: dib") << "a.dib" << 0 << true;
        QTest::newRow("all: pcx") << "a.pcx" << 0 << false;
        QTest::newRow("all: gif") << "a.gif" << 0 << true;
        QTest::newRow("other: tiff") << "a.TIFF" << 4 << true;
        QTest::newRow("other: jpg") << "a.jpg" << 4 << false;
        QTest::newRow("all: metafile not searched") << "a.wmf" << 0 << false;
        QTest::newRow("all: no extension") << "jpg" << 0 << false;
        QTest::newRow("all: last period counts") << "a.jpg.txt" << 0 << false;
        QTest::newRow("all: only extension") << ".jpg" << 0 << true;
        QTest::newRow("jpeg filter: jpg") << "a.Jpg" << 1 << true;
        QTest::newRow("jpeg filter: jpeg refused") << "a.jpeg" << 1 << false;
        QTest::newRow("bitmap filter") << "a.bmp" << 2 << true;
        QTest::newRow("icon filter") << "a.ICO" << 3 << true;
        // Only A-Z are lowered: a dotless capital I does not become "i".
        QTest::newRow("non-ASCII capital stays") << QStringLiteral("a.\u0130co") << 3 << false;
    }
    void acceptsEntry()
    {
        QFETCH(QString, name);
        QFETCH(int, item);
        QTEST(SearchRules::AcceptsEntry(name, SearchRules::ExtFilterForItem(item)), "accepted");
    }

    void trailingSeparator_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("start");
        QTest::newRow("plain") << "/home/u"
                               << "/home/u/";
        QTest::newRow("root") << "/"
                              << "/";
        QTest::newRow("already one") << "/home/u/"
                                     << "/home/u/";
        QTest::newRow("several") << "/home/u//"
                                 << "/home/u/";
        QTest::newRow("no folder is not the root") << ""
                                                   << "";
    }
    void trailingSeparator()
    {
        QFETCH(QString, folder);
        QTEST(SearchRules::WithTrailingSeparator(folder), "start");
    }

    void preOrderFromRoot()
    {
        ScriptedPlatform platform;
        FakeTree tree;
        // File-system order is deliberately not alphabetical.
        tree.Add("/", {"zoo/", "Cat1.jpg", "alpha/", "dog.jpg", "cat.txt", "catalog.bmp/"});
        tree.Add("/zoo/", {"deep/", "CATZ.ICO"});
        tree.Add("/zoo/deep/", {"cat9.jpeg"});
        tree.Add("/alpha/", {"acat.jpg", "cat2.bmp"});
        tree.Add("/catalog.bmp/", {"cat3.jpg"});
        tree.Install(platform);
        const QStringList found = Walk(platform, "/", "cat*");
        // A folder's matches first (a folder named like an image counts too), then its
        // sub-folders in listing order; one separator after the root.
        const QStringList expected {"/Cat1.jpg",           "/catalog.bmp",    "/zoo/CATZ.ICO",
                                    "/zoo/deep/cat9.jpeg", "/alpha/cat2.bmp", "/catalog.bmp/cat3.jpg"};
        QCOMPARE(found, expected);
        QCOMPARE(tree.listed, QStringList({"/", "/zoo/", "/zoo/deep/", "/alpha/", "/catalog.bmp/"}));
        // Pending messages are processed exactly once per folder.
        QCOMPARE(platform.processCalls, 5);
    }

    void patternsAndFilters_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<int>("item");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("jpeg filter leaves .jpeg")
            << "*" << 1 << QStringList {"/s/CAT.jpg", "/s/cut.jpg", "/s/.hidden.jpg"};
        QTest::newRow("bitmap filter") << "*" << 2 << QStringList {"/s/sub/Cat.bmp"};
        QTest::newRow("every image") << "*" << 0 << QStringList {"/s/CAT.jpg", "/s/cat.jpeg",    "/s/bobcat.ico",
                                                                 "/s/cut.jpg", "/s/.hidden.jpg", "/s/sub/Cat.bmp"};
        QTest::newRow("brackets literal") << "[c]*" << 0 << QStringList {};
        QTest::newRow("semicolon literal") << "cat;bob*" << 0 << QStringList {};
    }
    void patternsAndFilters()
    {
        QFETCH(QString, pattern);
        QFETCH(int, item);
        ScriptedPlatform platform;
        FakeTree tree;
        tree.Add(
            "/s/",
            {"CAT.jpg", "cat.jpeg", "bobcat.ico", "cut.jpg", "cat.pcx", ".hidden.jpg", "sub/", ".cache/", "locked/"});
        tree.Add("/s/sub/", {"Cat.bmp"});
        tree.Add("/s/.cache/", {"cat-thumb.jpg"}); // inside a hidden folder: never entered
        // "/s/locked/" has no listing: passed over without a word.
        tree.Install(platform);
        QTEST(Walk(platform, "/s/", pattern, SearchRules::ExtFilterForItem(item)), "found");
        QVERIFY(!tree.listed.contains("/s/.cache/"));
        QVERIFY(tree.listed.contains("/s/locked/"));
        QVERIFY(platform.messages.empty());
    }

    void stopsWhenAsked_data()
    {
        QTest::addColumn<int>("stopAfter"); // folders allowed to finish before keepGoing says no
        QTest::addColumn<QStringList>("found");
        QTest::addColumn<int>("listed");
        QTest::newRow("first folder") << 1 << QStringList {"/a.jpg"} << 1;
        QTest::newRow("inside the first sub-folder") << 2 << QStringList {"/a.jpg", "/x/b.jpg"} << 2;
        QTest::newRow("nested level returns at once") << 3 << QStringList {"/a.jpg", "/x/b.jpg", "/x/y/c.jpg"} << 3;
        QTest::newRow("never") << 99 << QStringList {"/a.jpg", "/x/b.jpg", "/x/y/c.jpg", "/z/d.jpg"} << 4;
    }
    void stopsWhenAsked()
    {
        QFETCH(int, stopAfter);
        ScriptedPlatform platform;
        FakeTree tree;
        tree.Add("/", {"a.jpg", "x/", "z/"});
        tree.Add("/x/", {"b.jpg", "y/"});
        tree.Add("/x/y/", {"c.jpg"});
        tree.Add("/z/", {"d.jpg"});
        tree.Install(platform);
        FolderWalk walk(platform, "*", ".*");
        int asked = 0;
        walk.keepGoing = [&] { return ++asked < stopAfter; };
        QString path = "/";
        QCOMPARE(walk.Walk(path), stopAfter > 4);
        QCOMPARE(path, QStringLiteral("/"));
        QTEST(walk.Found(), "found");
        QTEST(int(tree.listed.size()), "listed");
    }

    void linkLoopEnds()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        WriteBytes(root + "/top/cat1.jpg", "x");
        WriteBytes(root + "/top/a/cat2.jpg", "x");
        WriteBytes(root + "/top/b/cat3.jpg", "x");
        // A link to an ancestor and one to a sibling: neither may be walked a second time.
        QVERIFY(QFile::link(root + "/top", root + "/top/a/up"));
        QVERIFY(QFile::link(root + "/top/b", root + "/top/a/tob"));
        ScriptedPlatform platform;
        FolderWalk walk(platform, "cat*", ".*");
        QString path = root + "/top/";
        QVERIFY(walk.Walk(path));
        QStringList found = walk.Found();
        for (QString& f : found)
            f = f.mid(root.size());
        found.sort(); // the real listing order is the file system's
        // cat3 once: either through the link "tob" or through "b", whichever came first.
        QCOMPARE(found.size(), 3);
        QCOMPARE(found[0], QStringLiteral("/top/a/cat2.jpg"));
        QCOMPARE(found[1].section('/', -1), QStringLiteral("cat3.jpg"));
        QCOMPARE(found[2], QStringLiteral("/top/cat1.jpg"));
        QCOMPARE(walk.FoldersEntered(), 3);
    }

    // Linked files are found under the link's name; linked folders are never entered, so
    // nothing outside the chosen folder is found and each folder is found under its own path.
    void linkedFoldersNotEntered()
    {
        QTemporaryDir dir;
        const QString root = dir.path();
        WriteBytes(root + "/top/cat1.jpg", "x");
        WriteBytes(root + "/top/sub/cat2.jpg", "x");
        WriteBytes(root + "/outside/cat9.jpg", "x");
        QVERIFY(QFile::link(root + "/outside", root + "/top/elsewhere"));
        QVERIFY(QFile::link(root + "/top/sub", root + "/top/alias"));
        QVERIFY(QFile::link(root + "/outside/cat9.jpg", root + "/top/catlink.jpg"));
        ScriptedPlatform platform;
        FolderWalk walk(platform, "cat*", ".*");
        QString path = root + "/top/";
        QVERIFY(walk.Walk(path));
        QStringList found = walk.Found();
        for (QString& f : found)
            f = f.mid(root.size());
        found.sort();
        QCOMPARE(found, QStringList({"/top/cat1.jpg", "/top/catlink.jpg", "/top/sub/cat2.jpg"}));
        QCOMPARE(walk.FoldersEntered(), 2);
    }

    void elidePath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("width"); // in widths of "W"
        QTest::newRow("long path") << "/home/someone/pictures/holidays/2019/summer & sea/beach" << 15;
        QTest::newRow("very long last component") << "/a/" + QString(60, QChar('x')) << 10;
        QTest::newRow("no separator") << QString(80, QChar('y')) << 10;
        QTest::newRow("too narrow for dots") << "/abc/def/ghi" << 0;
    }
    void elidePath()
    {
        QFETCH(QString, path);
        QFETCH(int, width);
        const QFont font;
        const QFontMetrics fm(font);
        const int pixels = width * fm.horizontalAdvance(QLatin1Char('W'));
        const QString shown = ElidePathMiddle(path, fm, pixels);
        QVERIFY2(shown.contains(QLatin1String("...")), qPrintable(shown));
        QVERIFY(!shown.contains(QChar(0x2026)));
        if (pixels >= fm.horizontalAdvance(QLatin1String("...")))
            QVERIFY2(fm.horizontalAdvance(shown) <= pixels, qPrintable(shown));
        // What is left of the path is its start and its end, in order.
        const qsizetype dots = shown.indexOf(QLatin1String("..."));
        QVERIFY(path.startsWith(shown.left(dots)));
        QVERIFY(path.endsWith(shown.mid(dots + 3)));
        QVERIFY(shown.size() < path.size());
    }
    void elideKeepsLastComponentAndFittingPath()
    {
        const QFont font;
        const QFontMetrics fm(font);
        const QString path = "/home/someone/pictures/holidays/2019/summer & sea/beach";
        const int wide = fm.horizontalAdvance(path);
        QCOMPARE(ElidePathMiddle(path, fm, wide), path);
        const QString shown = ElidePathMiddle(path, fm, wide / 2);
        QVERIFY2(shown.endsWith(QLatin1String(".../beach")), qPrintable(shown));
        QVERIFY2(shown.startsWith(QLatin1String("/home/")), qPrintable(shown));
        // The start is as long as fits: one more character would not.
        const qsizetype dots = shown.indexOf(QLatin1String("..."));
        QVERIFY(fm.horizontalAdvance(path.left(dots + 1) + ".../beach") > wide / 2);
    }
};

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    TestSearchWalk test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_search_walk.moc"
