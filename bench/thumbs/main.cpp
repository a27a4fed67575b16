// SPDX-License-Identifier: GPL-3.0-or-later
// lumivue-bench-thumbs: how fast the main window shows pages of camera-sized photos, against
// the full-size decoding of every thumbnail, djpeg and vipsthumbnail on the same files.
//
//   lumivue-bench-thumbs [--data DIR] [--rounds N] [--help]
//
// The pictures are made in a temporary folder removed at the end, or under DIR (or
// $LUMIVUE_BENCH_DATA) the first time and reused there. Every window measurement runs in a
// fresh process of this program.
#include <algorithm>
#include <cstdio>
#include <optional>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QTemporaryDir>
#include <QThreadPool>
#include <jpeglib.h>
#include "app/lib/Application.h"
#include "controls/DecodeWorkers.h"
#include "Baselines.h"
#include "BenchFiles.h"
#include "FormRun.h"
#include "Report.h"

namespace {

QString Arg(const QStringList& args, const QString& name, const QString& fallback)
{
    const int i = int(args.indexOf(name));
    return i >= 0 && i + 1 < args.size() ? args[i + 1] : fallback;
}

constexpr const char* kUsage = "usage: lumivue-bench-thumbs [--data DIR] [--rounds N] [--help]\n"
                               "  Measures the main window's thumbnail pages against djpeg, vipsthumbnail and the\n"
                               "  kinds' own thumbnailers, and prints one table. Takes tens of minutes.\n"
                               "  --data DIR   make the pictures under DIR and keep them for the next run (default:\n"
                               "               $LUMIVUE_BENCH_DATA, else a temporary folder removed at the end)\n"
                               "  --rounds N   rounds of each measurement, the median reported (default 3)\n";

// The parent's options, checked before anything is made: nullopt for a wrong one.
std::optional<QStringList> CheckedOptions(const QStringList& args)
{
    for (int i = 1; i < args.size(); ++i) {
        if ((args[i] == QLatin1String("--data") || args[i] == QLatin1String("--rounds")) && i + 1 < args.size())
            ++i;
        else
            return std::nullopt;
    }
    return args;
}

QString LoadAverage()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    return QString::fromLatin1(f.readAll()).section(QLatin1Char(' '), 0, 2);
}

QString CpuModel()
{
    QFile f(QStringLiteral("/proc/cpuinfo"));
    if (f.open(QIODevice::ReadOnly))
        for (const QByteArray& line : f.readAll().split('\n'))
            if (line.startsWith("model name"))
                return QString::fromLatin1(line.mid(line.indexOf(':') + 1).trimmed());
    return QStringLiteral("unknown CPU");
}

QString Versions(bool haveVips)
{
    // The libjpeg-turbo headers give its version as a bare token.
#define LUMIVUE_TEXT(x) #x
#define LUMIVUE_STRING(x) LUMIVUE_TEXT(x)
#ifdef LIBJPEG_TURBO_VERSION
    const QString jpeg = QStringLiteral("libjpeg-turbo " LUMIVUE_STRING(LIBJPEG_TURBO_VERSION));
#else
    const QString jpeg = QStringLiteral("libjpeg %1").arg(JPEG_LIB_VERSION);
#endif
    QString text = QStringLiteral("Qt %1, %2").arg(QString::fromLatin1(qVersion()), jpeg);
    if (haveVips) {
        QProcess p;
        p.start(QStringLiteral("vipsthumbnail"), {QStringLiteral("--vips-version")});
        if (p.waitForFinished(10000))
            text += QStringLiteral(", ") + QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed();
    }
    return text;
}

QStringList Files(const QString& folder)
{
    QStringList out;
    const QStringList kinds {QStringLiteral("*.jpg"), QStringLiteral("*.png"), QStringLiteral("*.webp"),
                             QStringLiteral("*.tif"), QStringLiteral("*.gif"), QStringLiteral("*.heic"),
                             QStringLiteral("*.dng")};
    for (const QString& n : QDir(folder).entryList(kinds, QDir::Files, QDir::Name))
        out << folder + QLatin1Char('/') + n;
    return out;
}

// Reads every file once so that every measurement finds them in the page cache alike.
void WarmCache(const QStringList& files)
{
    for (const QString& path : files) {
        QFile f(path);
        if (f.open(QIODevice::ReadOnly))
            while (!f.read(1 << 20).isEmpty()) {}
    }
}

double Median(QList<double> v)
{
    if (v.isEmpty())
        return -1;
    std::sort(v.begin(), v.end());
    const qsizetype n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

class Runner {
public:
    Runner(QString self, BenchFolders folders) : m_self(std::move(self)), m_folders(std::move(folders)) {}

    bool Child(const QString& scenario, DecodePath path, const QStringList& folders,
               const QMap<QString, QString>& rename = {}, const QMap<QString, QString>& environment = {})
    {
        QMap<QString, double> values;
        QString error;
        const QStringList args {QStringLiteral("--child"),   scenario,
                                QStringLiteral("--path"),    PathName(path),
                                QStringLiteral("--folders"), folders.join(QLatin1Char(',')),
                                QStringLiteral("--empty"),   m_folders.empty};
        std::fprintf(stderr, "  %s %s\n", qPrintable(scenario), qPrintable(PathName(path)));
        if (!RunForValues(m_self, args, &values, &error, environment)) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return false;
        }
        for (auto it = values.begin(); it != values.end(); ++it)
            Add(PathName(path) + QLatin1Char('.') + rename.value(it.key(), it.key()), it.value());
        return true;
    }

    void Add(const QString& name, double value)
    {
        if (value >= 0)
            m_samples[name] << value;
    }

    void Add(const QString& name, const Timed& t)
    {
        Add(name + QStringLiteral(".ms"), t.ms);
        Add(name + QStringLiteral(".cpu_ms"), t.cpuMs);
    }

    // The median so far of a figure, or -1.
    double MedianOf(const QString& name) const { return Median(m_samples.value(name)); }

    // The program started on `folder` in a fresh process, and the same page again in it.
    bool Cold(const QString& folder)
    {
        QMap<QString, double> values;
        QString error;
        std::fprintf(stderr, "  cold start\n");
        const Timed t = RunColdStart(m_self,
                                     {QStringLiteral("--child"), QStringLiteral("cold"), QStringLiteral("--path"),
                                      PathName(DecodePath::Threads), QStringLiteral("--folders"), folder,
                                      QStringLiteral("--empty"), m_folders.empty},
                                     &values, &error);
        if (t.ms < 0) {
            std::fprintf(stderr, "%s\n", qPrintable(error));
            return false;
        }
        Add(QStringLiteral("cold"), t);
        Add(QStringLiteral("cold.warm_page_ms"), values.value(QStringLiteral("warm_page_ms"), -1));
        Add(QStringLiteral("cold.page_size"), values.value(QStringLiteral("page_size"), -1));
        return true;
    }

    Figures Medians() const
    {
        Figures f;
        for (auto it = m_samples.begin(); it != m_samples.end(); ++it)
            f[it.key()] = it.key().endsWith(QLatin1String("peak_rss_mib"))
                ? *std::max_element(it.value().begin(), it.value().end()) // the worst run
                : Median(it.value());
        return f;
    }

private:
    QString m_self;
    BenchFolders m_folders;
    QMap<QString, QList<double>> m_samples;
};

int RunParent(const QStringList& args)
{
    QTemporaryDir scratch(QDir::tempPath() + QStringLiteral("/lumivue-bench-XXXXXX")); // removed at the end
    const QString root =
        Arg(args, QStringLiteral("--data"), qEnvironmentVariable("LUMIVUE_BENCH_DATA", scratch.path()));
    if (root.isEmpty()) {
        std::fprintf(stderr, "no temporary folder for the pictures\n");
        return 1;
    }
    const int rounds = std::max(1, Arg(args, QStringLiteral("--rounds"), QStringLiteral("3")).toInt());
    BenchFolders folders = PrepareBenchFolders(root);
    PrepareOtherKinds(folders, root);

    BenchFacts facts;
    facts.cores = QThread::idealThreadCount();
    // The window decodes on Qt's global pool, one thread per processor: the baselines get as
    // many processes.
    facts.processes = DecodeThreads().maxThreadCount();
    facts.cpu = CpuModel();
    facts.rounds = rounds;
    facts.photoMiB = FolderBytes(folders.photos25) / 25.0 / (1 << 20);
    facts.smallKiB = FolderBytes(folders.small10000) / 10000.0 / 1024;
    facts.haveVips = HaveProgram(QStringLiteral("vipsthumbnail"));
    facts.haveDjpeg = HaveProgram(QStringLiteral("djpeg"));
    facts.versions = Versions(facts.haveVips);
    if (!facts.haveVips)
        std::fprintf(stderr,
                     "vipsthumbnail is missing (bench/install-tools.sh installs it): its baseline is left out\n");

    // Every run but the cache's own leaves the shared thumbnail cache alone, as before it existed.
    qputenv("LUMIVUE_NO_THUMBNAIL_CACHE", "1");
    const QStringList photos = Files(folders.photos25);
    WarmCache(Files(folders.photos100));
    WarmCache(Files(folders.small10000));
    facts.loadBefore = LoadAverage();

    Runner run(QCoreApplication::applicationFilePath(), folders);
    bool ok = true;
    WarmCache(Files(folders.phone25));
    WarmCache(Files(folders.phone25r));
    WarmCache(Files(folders.phone25p));
    WarmCache(Files(folders.phone25a));
    WarmCache(Files(folders.phone25l));
    WarmCache(Files(folders.camera25));
    const QStringList pageFolders {folders.photos25, folders.small25,  folders.small10000,
                                   folders.phone25,  folders.phone25r, folders.phone25p,
                                   folders.phone25a, folders.phone25l, folders.camera25};
    const QMap<QString, QString> pageNames {
        {"page_ms.0", "page_ms"},          {"page_cpu_ms.0", "page_cpu_ms"},
        {"page_ms.1", "small25_ms"},       {"page_cpu_ms.1", "small25_cpu_ms"},
        {"page_ms.2", "small10000_ms"},    {"page_cpu_ms.2", "small10000_cpu_ms"},
        {"page_ms.3", "phone_ms"},         {"page_cpu_ms.3", "phone_cpu_ms"},
        {"page_ms.4", "phone_turned_ms"},  {"page_cpu_ms.4", "phone_turned_cpu_ms"},
        {"page_ms.5", "phone_profile_ms"}, {"page_cpu_ms.5", "phone_profile_cpu_ms"},
        {"page_ms.6", "phone_adobe_ms"},   {"page_cpu_ms.6", "phone_adobe_cpu_ms"},
        {"page_ms.7", "phone_table_ms"},   {"page_cpu_ms.7", "phone_table_cpu_ms"},
        {"page_ms.8", "camera_ms"},        {"page_cpu_ms.8", "camera_cpu_ms"}};
    for (int r = 1; r <= rounds; ++r) {
        std::fprintf(stderr, "round %d of %d\n", r, rounds);
        // Alternating the ways in each round spreads any change of the machine's load over all of them.
        ok &= run.Child(QStringLiteral("pages"), DecodePath::Threads, pageFolders, pageNames);
        ok &= run.Child(QStringLiteral("pages"), DecodePath::AtPaint, {folders.photos25}, pageNames);
        ok &= run.Child(QStringLiteral("pages"), DecodePath::UiThread, {folders.photos25}, pageNames);
        ok &= run.Child(QStringLiteral("pages"), DecodePath::FullSize, {folders.photos25}, pageNames);
        ok &= run.Cold(folders.photos25);
        ok &= run.Child(QStringLiteral("nine"), DecodePath::Threads, {folders.photos25, folders.camera25},
                        {{"page9_ms.0", "photos_nine_ms"}, {"page9_ms.1", "camera_nine_ms"}});
        // A slow disk: the shipped page load against the older one, which read files on the
        // window's thread.
        for (DecodePath p : {DecodePath::Threads, DecodePath::AtPaint})
            ok &= run.Child(QStringLiteral("slowdisk"), p, {folders.photos25});
        ok &= run.Child(QStringLiteral("resize"), DecodePath::Threads, {folders.photos25, folders.photos100});
        {
            // The shared thumbnail cache, in a folder of its own each round: empty, then filled.
            QTemporaryDir cache;
            const QMap<QString, QString> env {{QStringLiteral("LUMIVUE_NO_THUMBNAIL_CACHE"), QString()},
                                              {QStringLiteral("XDG_CACHE_HOME"), cache.path()}};
            const QStringList both {folders.small25, folders.photos25};
            ok &= run.Child(QStringLiteral("cache"), DecodePath::Threads, both,
                            {{"page_ms", "cache_cold_ms"}, {"page_cpu_ms", "cache_cold_cpu_ms"}}, env);
            ok &= run.Child(QStringLiteral("cache"), DecodePath::Threads, both,
                            {{"page_ms", "cache_warm_ms"}, {"page_cpu_ms", "cache_warm_cpu_ms"}}, env);
            // The same opening with the cache off, for the cost of filling it.
            ok &= run.Child(QStringLiteral("cache"), DecodePath::Threads, both,
                            {{"page_ms", "cache_off_ms"}, {"page_cpu_ms", "cache_off_cpu_ms"}},
                            {{QStringLiteral("LUMIVUE_NO_THUMBNAIL_CACHE"), QStringLiteral("1")}});
        }
        // The other kinds: a page of each, the window against vipsthumbnail at the cell's size.
        QStringList kindFolders;
        QMap<QString, QString> kindNames;
        for (const auto& [folder, name] :
             {std::pair {folders.png25, "png"}, std::pair {folders.webp25, "webp"}, std::pair {folders.tiff25, "tiff"},
              std::pair {folders.gif25, "gif"}, std::pair {folders.heic25, "heic"}, std::pair {folders.raw25, "raw"}}) {
            if (folder.isEmpty())
                continue;
            kindNames.insert(QStringLiteral("page_ms.%1").arg(kindFolders.size()), QStringLiteral("%1_ms").arg(name));
            kindFolders << folder;
        }
        if (!kindFolders.isEmpty())
            ok &= run.Child(QStringLiteral("pages"), DecodePath::Threads, kindFolders, kindNames);
        // Four pages of each kind in a fresh process: the peak memory.
        for (const auto& [folder, name] : {std::pair {folders.png100, "png"}, std::pair {folders.webp100, "webp"},
                                           std::pair {folders.tiff100, "tiff"}, std::pair {folders.gif100, "gif"},
                                           std::pair {folders.heic100, "heic"}, std::pair {folders.raw100, "raw"}}) {
            if (folder.isEmpty())
                continue;
            const QString k = QString::fromLatin1(name);
            ok &= run.Child(QStringLiteral("paging"), DecodePath::Threads, {folder},
                            {{QStringLiteral("four_pages_ms"), k + QStringLiteral("_four_pages_ms")},
                             {QStringLiteral("four_pages_cpu_ms"), k + QStringLiteral("_four_pages_cpu_ms")},
                             {QStringLiteral("peak_rss_mib"), k + QStringLiteral("_peak_rss_mib")}});
        }
        std::fprintf(stderr, "  djpeg, vipsthumbnail\n");
        // vipsthumbnail makes thumbnails of the size the window draws them.
        const double w = run.MedianOf(QStringLiteral("threads.cell_width"));
        const double h = run.MedianOf(QStringLiteral("threads.cell_height"));
        facts.cell = w > 0 && h > 0 ? QStringLiteral("%1x%2").arg(int(w)).arg(int(h)) : QStringLiteral("107x80");
        const int n = facts.processes;
        run.Add(QStringLiteral("djpeg_full"), RunDjpeg(photos, QString(), n));
        run.Add(QStringLiteral("djpeg_full_serial"), RunDjpeg(photos, QString(), 1));
        run.Add(QStringLiteral("djpeg_eighth"), RunDjpeg(photos, QStringLiteral("1/8"), n));
        run.Add(QStringLiteral("djpeg_eighth_serial"), RunDjpeg(photos, QStringLiteral("1/8"), 1));
        run.Add(QStringLiteral("vips"), RunVipsThumbnail(photos, facts.cell, n));
        run.Add(QStringLiteral("vips_serial"), RunVipsThumbnail(photos, facts.cell, 1));
        for (const auto& [folder, name] :
             {std::pair {folders.png25, "png"}, std::pair {folders.webp25, "webp"}, std::pair {folders.tiff25, "tiff"},
              std::pair {folders.gif25, "gif"}, std::pair {folders.heic25, "heic"}, std::pair {folders.raw25, "raw"}})
            if (!folder.isEmpty())
                run.Add(QStringLiteral("vips_%1").arg(name), RunVipsThumbnail(Files(folder), facts.cell, n));
        // The kinds' own thumbnailers: libheif's, and a raw file's preview through djpeg.
        if (!folders.heic25.isEmpty())
            run.Add(QStringLiteral("heifthumb_heic"),
                    RunHeifThumbnailer(Files(folders.heic25), int(std::max(w, h)), n));
        if (!folders.raw25.isEmpty())
            run.Add(QStringLiteral("previews_raw"), RunRawPreviews(Files(folders.raw25), n));
        for (DecodePath p : {DecodePath::Threads, DecodePath::AtPaint, DecodePath::UiThread, DecodePath::FullSize}) {
            ok &= run.Child(QStringLiteral("paging"), p, {folders.photos100});
            ok &= run.Child(QStringLiteral("pagedown"), p, {folders.photos100});
        }
    }
    facts.loadAfter = LoadAverage();
    // Missed goals are reported in the table, not as a failure of the run.
    PrintReport(facts, run.Medians());
    if (!ok)
        std::printf("\nSome measurements failed (see above): their figures are left out.\n");
    return ok ? 0 : 2;
}

int RunChildProcess(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    ChildRequest r;
    r.scenario = Arg(args, QStringLiteral("--child"), QString());
    if (!ParsePath(Arg(args, QStringLiteral("--path"), QString()), &r.path))
        return 1;
    r.folders = Arg(args, QStringLiteral("--folders"), QString()).split(QLatin1Char(','), Qt::SkipEmptyParts);
    r.empty = Arg(args, QStringLiteral("--empty"), QString());
    return RunChild(r);
}

} // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (QByteArray(argv[i]) == "--child")
            return RunChildProcess(argc, argv);
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    const std::optional<QStringList> checked = CheckedOptions(args);
    if (!checked) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    return RunParent(*checked);
}
