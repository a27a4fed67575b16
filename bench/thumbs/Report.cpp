#include "Report.h"
#include <cstdio>
#include <QByteArray>
#include <QLatin1String>
#include <QtGlobal>

namespace {

double Get(const Figures& f, const char* name)
{
    return f.value(QLatin1String(name), -1);
}

QByteArray Num(double v, int decimals = 0)
{
    return v < 0 ? QByteArray("-") : QByteArray::number(v, 'f', decimals);
}

QByteArray Ratio(double a, double b)
{
    return a < 0 || b <= 0 ? QByteArray("-") : QByteArray::number(a / b, 'f', 2);
}

void Row(const char* label, const QList<QByteArray>& cells)
{
    std::printf("  %-34s", label);
    for (const QByteArray& c : cells)
        std::printf(" %12s", c.constData());
    std::printf("\n");
}

void Head(const char* title, const QList<const char*>& columns)
{
    std::printf("\n%s\n  %-34s", title, "");
    for (const char* c : columns)
        std::printf(" %12s", c);
    std::printf("\n");
}

int Goal(const char* text, double value, double limit, const char* unit)
{
    const bool known = value >= 0;
    const bool met = known && value <= limit;
    std::printf("  %-48s %10s %-4s %s\n", text, Num(value, unit[0] == 'x' ? 2 : 0).constData(), unit,
                known ? (met ? "met" : "NOT MET") : "not measured");
    return met ? 0 : 1;
}

} // namespace

int PrintReport(const BenchFacts& facts, const Figures& f)
{
    std::printf("Thumbnail pages benchmark\n");
    std::printf("machine: %d cores (%s); load average %s before, %s after; medians of %d rounds\n", facts.cores,
                qPrintable(facts.cpu), qPrintable(facts.loadBefore), qPrintable(facts.loadAfter), facts.rounds);
    std::printf("software: %s\n", qPrintable(facts.versions));
    std::printf("files: 4000x3000 photos at quality 90, %.2f MiB average; 160x120 pictures, %.1f KiB average\n",
                facts.photoMiB, facts.smallKiB);

    const double vips = Get(f, "vips.ms"), full = Get(f, "fullsize.page_ms");
    const double djFull = Get(f, "djpeg_full.ms"), djEighth = Get(f, "djpeg_eighth.ms");
    Head("A page of 25 photos: opening the folder until every thumbnail is painted (25 a page)",
         {"wall ms", "CPU ms", "/vips", "/full-size", "/djpeg full", "/djpeg 1/8"});
    auto pageRow = [&](const char* label, double ms, double cpu) {
        Row(label, {Num(ms), Num(cpu), Ratio(ms, vips), Ratio(ms, full), Ratio(ms, djFull), Ratio(ms, djEighth)});
    };
    pageRow("worker threads (as shipped)", Get(f, "threads.page_ms"), Get(f, "threads.page_cpu_ms"));
    pageRow("UI thread, reduced-scale decode", Get(f, "ui.page_ms"), Get(f, "ui.page_cpu_ms"));
    pageRow("full-size decode (reference)", full, Get(f, "fullsize.page_cpu_ms"));
    pageRow("vipsthumbnail -s 183x165", vips, Get(f, "vips.cpu_ms"));
    pageRow("djpeg, full size, one by one", djFull, Get(f, "djpeg_full.cpu_ms"));
    pageRow("djpeg -scale 1/8, one by one", djEighth, Get(f, "djpeg_eighth.cpu_ms"));

    const double fullPages = Get(f, "fullsize.four_pages_ms");
    Head("Four pages of 25 photos in a row (Page Down once a page is painted), each in a fresh process",
         {"wall ms", "CPU ms", "peak MiB", "/full-size", "/4 x vips"});
    auto pagingRow = [&](const char* label, const char* path) {
        const QByteArray p(path);
        const double ms = Get(f, p + ".four_pages_ms");
        Row(label,
            {Num(ms), Num(Get(f, p + ".four_pages_cpu_ms")), Num(Get(f, p + ".peak_rss_mib")), Ratio(ms, fullPages),
             Ratio(ms, vips > 0 ? 4 * vips : -1)});
    };
    pagingRow("worker threads (as shipped)", "threads");
    pagingRow("UI thread, reduced-scale decode", "ui");
    pagingRow("full-size decode (reference)", "fullsize");

    const double fullLoaded = Get(f, "fullsize.key_loaded_ms");
    Head("Page Down pressed once 5 thumbnails of a page are painted: ms from the key to",
         {"key handled", "next loaded", "1st painted", "all painted", "/full-size"});
    auto keyRow = [&](const char* label, const char* path) {
        const QByteArray p(path);
        const double loaded = Get(f, p + ".key_loaded_ms");
        Row(label,
            {Num(Get(f, p + ".key_seen_ms"), 1), Num(loaded, 1), Num(Get(f, p + ".key_first_cell_ms"), 1),
             Num(Get(f, p + ".key_page_ms")), Ratio(loaded, fullLoaded)});
    };
    keyRow("worker threads (as shipped)", "threads");
    keyRow("UI thread, reduced-scale decode", "ui");
    keyRow("full-size decode (reference)", "fullsize");

    const double big = Get(f, "threads.small10000_ms"), small = Get(f, "threads.small25_ms");
    Head("First page of small pictures (worker threads): opening the folder until painted",
         {"wall ms", "CPU ms", "/25 files"});
    Row("folder of 10,000 files", {Num(big), Num(Get(f, "threads.small10000_cpu_ms")), Ratio(big, small)});
    Row("folder of the same first 25 files", {Num(small), Num(Get(f, "threads.small25_cpu_ms")), Ratio(small, small)});

    std::printf("\nGoals (ratios from this run)\n");
    const double page = Get(f, "threads.page_ms");
    int missed = 0;
    missed += Goal("page of 25 photos / vipsthumbnail <= 0.6", vips > 0 && page >= 0 ? page / vips : -1, 0.6, "x");
    missed += Goal("page of 25 photos / full-size decode <= 0.3", full > 0 && page >= 0 ? page / full : -1, 0.3, "x");
    missed += Goal("peak RSS over four pages <= 250 MiB", Get(f, "threads.peak_rss_mib"), 250, "MiB");
    missed += Goal("Page Down to next page loaded <= 100 ms", Get(f, "threads.key_loaded_ms"), 100, "ms");
    missed += Goal("first page, 10,000 files / 25 files <= 1.5", small > 0 && big >= 0 ? big / small : -1, 1.5, "x");
    return missed;
}
