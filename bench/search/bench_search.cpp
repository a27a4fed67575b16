// SPDX-License-Identifier: GPL-3.0-or-later
// Times the file search on a large generated tree against find(1) on the same tree.
//
//   lumivue-bench-search [--files N] [--folders N] [--text T] [--runs N] [--keep]
//
// The tree (zero-byte files with image extensions, folders nested at random depths) is made
// in a temporary folder and removed afterwards unless --keep is given. Each tool runs once to
// warm the cache, then the runs alternate and the medians are compared.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>
#include "app/lib/Application.h"
#include "ScriptedPlatform.h"
#include "ui/browser/Viewmain.h"
#include "ui/search/FolderWalk.h"

#include <fcntl.h>
#include <unistd.h>

namespace {

struct Options {
    int files = 100000;
    int folders = 5000;
    QString text = QStringLiteral("cat");
    int runs = 5;
    bool keep = false;
};

// A fixed linear congruential sequence, so every run builds the same tree.
struct Sequence {
    uint64_t state = 12345;
    uint32_t Next(uint32_t bound)
    {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        return uint32_t((state >> 33) % bound);
    }
};

// Folders hang under a random earlier folder (the root is folder 0); files are spread evenly.
// About one name in ten begins with the search text, in varying letter case; the others begin
// with "img" or "photo". Returns how many names begin with the text.
int BuildTree(const QString& root, const Options& opt)
{
    Sequence seq;
    std::vector<QString> folders {root};
    for (int i = 1; i < opt.folders; ++i) {
        const QString parent = folders[seq.Next(uint32_t(folders.size()))];
        const QString path = parent + QStringLiteral("/dir%1").arg(i, 5, 10, QChar('0'));
        if (!QDir().mkdir(path))
            return -1;
        folders.push_back(path);
    }
    const char* const exts[] = {".jpg", ".jpeg", ".bmp", ".ico", ".JPG"};
    const QString prefixes[] = {opt.text, opt.text.toUpper(), QStringLiteral("img"), QStringLiteral("photo")};
    int matching = 0;
    for (int i = 0; i < opt.files; ++i) {
        const uint32_t kind = seq.Next(20);
        const QString prefix = kind == 0 ? prefixes[0] : kind == 1 ? prefixes[1] : prefixes[2 + kind % 2];
        const QString name = prefix + QStringLiteral("%1").arg(i, 6, 10, QChar('0')) + exts[seq.Next(5)];
        matching += name.startsWith(opt.text, Qt::CaseInsensitive) ? 1 : 0;
        const QByteArray path = QFile::encodeName(folders[size_t(i) % folders.size()] + QLatin1Char('/') + name);
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0)
            return -1;
        ::close(fd);
    }
    return matching;
}

double Median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// find's time including reading all its output, as the search keeps every result.
double TimeFind(const QString& root, const QString& text, int& count)
{
    QElapsedTimer t;
    t.start();
    QProcess find;
    find.start(QStringLiteral("find"), {root, QStringLiteral("-iname"), text + QLatin1Char('*')});
    find.waitForFinished(-1);
    const QByteArray out = find.readAllStandardOutput();
    const double ms = t.nsecsElapsed() / 1e6;
    count = int(out.count('\n'));
    return ms;
}

// The whole Search click of the main window: walk, results into the list, page reload.
double TimeWindowSearch(TViewForm& form, const QString& text, int& count)
{
    form.btnSearchClick();
    form.SearchPanel().SetText(text);
    QElapsedTimer t;
    t.start();
    form.SearchPanel().Search();
    const double ms = t.nsecsElapsed() / 1e6;
    count = form.SearchPanel().Results()->count();
    return ms;
}

// The walk alone.
double TimeWalk(Platform& platform, const QString& root, const QString& text, int& count)
{
    QElapsedTimer t;
    t.start();
    FolderWalk walk(platform, text + QLatin1Char('*'), QStringLiteral(".*"));
    QString path = root + QLatin1Char('/');
    walk.Walk(path);
    const double ms = t.nsecsElapsed() / 1e6;
    count = int(walk.Found().size());
    return ms;
}

bool ParseArgs(const QStringList& args, Options& opt)
{
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--keep")) {
            opt.keep = true;
        } else if (a == QLatin1String("--text") && hasValue) {
            opt.text = args[++i];
        } else if ((a == QLatin1String("--files") || a == QLatin1String("--folders") || a == QLatin1String("--runs")) &&
                   hasValue) {
            bool ok = false;
            const int v = args[++i].toInt(&ok);
            if (!ok || v < 1)
                return false;
            (a == QLatin1String("--files") ? opt.files : a == QLatin1String("--folders") ? opt.folders : opt.runs) = v;
        } else {
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    Options opt;
    if (!ParseArgs(app.arguments(), opt)) {
        std::fprintf(stderr, "usage: lumivue-bench-search [--files N] [--folders N] [--text T] [--runs N] [--keep]\n");
        return 2;
    }

    QTemporaryDir tmp;
    tmp.setAutoRemove(!opt.keep);
    const QString root = tmp.path() + QStringLiteral("/tree");
    QDir().mkdir(root);
    std::printf("building %d files in %d folders under %s ...\n", opt.files, opt.folders, qPrintable(root));
    std::fflush(stdout);
    const int expected = BuildTree(root, opt);
    if (expected < 0) {
        std::fprintf(stderr, "could not build the tree\n");
        return 1;
    }

    // Offscreen main window on the tree's root; thumbnails of the zero-byte files fail to
    // load, and the scripted platform only records those messages.
    ScriptedPlatform platform;
    platform.SetCurrentFolder(root);
    TApplication::InitPictureLayer(platform);
    auto form = std::make_unique<TViewForm>(platform);
    form->show();
    QCoreApplication::processEvents();

    int findCount = 0, searchCount = 0, walkCount = 0;
    TimeFind(root, opt.text, findCount); // warm the cache
    TimeWindowSearch(*form, opt.text, searchCount);
    std::vector<double> findMs, searchMs, walkMs;
    for (int r = 0; r < opt.runs; ++r) {
        findMs.push_back(TimeFind(root, opt.text, findCount));
        searchMs.push_back(TimeWindowSearch(*form, opt.text, searchCount));
        walkMs.push_back(TimeWalk(platform, root, opt.text, walkCount));
    }
    const double find = Median(findMs), search = Median(searchMs), walk = Median(walkMs);
    std::printf("tree: %d files, %d folders, %d names begin with \"%s\" in any case\n", opt.files, opt.folders,
                expected, qPrintable(opt.text));
    std::printf("find -iname '%s*'      : %8.1f ms  (%d lines)\n", qPrintable(opt.text), find, findCount);
    std::printf("Search click (window) : %8.1f ms  (%d results)  ratio %.2f\n", search, searchCount, search / find);
    std::printf("walk alone            : %8.1f ms  (%d results)  ratio %.2f\n", walk, walkCount, walk / find);
    std::printf("medians of %d runs after one warm-up run each\n", opt.runs);
    const bool same = findCount == expected && searchCount == expected && walkCount == expected;
    if (!same)
        std::printf("COUNTS DIFFER\n");
    return same ? 0 : 1;
}
