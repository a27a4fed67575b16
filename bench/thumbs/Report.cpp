// SPDX-License-Identifier: GPL-3.0-or-later
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
    std::printf("  %-38s", label);
    for (const QByteArray& c : cells)
        std::printf(" %12s", c.constData());
    std::printf("\n");
}

void Head(const QByteArray& title, const QList<const char*>& columns)
{
    std::printf("\n%s\n  %-38s", title.constData(), "");
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

// The figure a kind's page is held against.
QByteArray BaselineOf(const QByteArray& kind)
{
    if (kind == "heic")
        return "heifthumb_heic.ms";
    if (kind == "raw")
        return "previews_raw.ms";
    return "vips_" + kind + ".ms";
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
    const double page = Get(f, "threads.page_ms");
    const double djEighth = Get(f, "djpeg_eighth.ms");
    const QByteArray procs = QByteArray::number(facts.processes);
    const QByteArray vipsHead = "/vips x" + procs, eighthHead = "/djpeg/8 x" + procs;
    Head("A page of 25 photos: opening the folder until every thumbnail is painted (25 a page)",
         {"wall ms", "CPU ms", "1st cell ms", "/full-size", vipsHead.constData(), eighthHead.constData()});
    auto pageRow = [&](const QByteArray& label, double ms, double cpu, double first) {
        Row(label.constData(), {Num(ms), Num(cpu), Num(first), Ratio(ms, full), Ratio(ms, vips), Ratio(ms, djEighth)});
    };
    pageRow("worker threads (as shipped)", Get(f, "threads.page_ms"), Get(f, "threads.page_cpu_ms"),
            Get(f, "threads.first_ms.0"));
    pageRow("workers, decodes asked at first paint", Get(f, "atpaint.page_ms"), Get(f, "atpaint.page_cpu_ms"),
            Get(f, "atpaint.first_ms.0"));
    pageRow("UI thread, reduced-scale decode", Get(f, "ui.page_ms"), Get(f, "ui.page_cpu_ms"), Get(f, "ui.first_ms.0"));
    pageRow("full-size decode (reference)", full, Get(f, "fullsize.page_cpu_ms"), Get(f, "fullsize.first_ms.0"));
    const QByteArray cell = facts.cell.toLatin1();
    pageRow("vipsthumbnail -s " + cell + ", " + procs + " at once", vips, Get(f, "vips.cpu_ms"), -1);
    pageRow("vipsthumbnail -s " + cell + ", one run", Get(f, "vips_serial.ms"), Get(f, "vips_serial.cpu_ms"), -1);
    pageRow("djpeg, full size, " + procs + " at once", Get(f, "djpeg_full.ms"), Get(f, "djpeg_full.cpu_ms"), -1);
    pageRow("djpeg, full size, one by one", Get(f, "djpeg_full_serial.ms"), Get(f, "djpeg_full_serial.cpu_ms"), -1);
    pageRow("djpeg -scale 1/8, " + procs + " at once", djEighth, Get(f, "djpeg_eighth.cpu_ms"), -1);
    pageRow("djpeg -scale 1/8, one by one", Get(f, "djpeg_eighth_serial.ms"), Get(f, "djpeg_eighth_serial.cpu_ms"), -1);

    const double cold = Get(f, "cold.ms");
    const QByteArray coldSize = Num(Get(f, "cold.page_size"));
    Head("The program started on the folder of 25 photos: its first page (" + coldSize +
             " a page, the start-up setting)",
         {"wall ms", "CPU ms", "/warm"});
    Row("fresh process, start to page painted",
        {Num(cold), Num(Get(f, "cold.cpu_ms")), Ratio(cold, Get(f, "cold.warm_page_ms"))});
    Row("same page reopened in that process", {Num(Get(f, "cold.warm_page_ms")), QByteArray("-"), QByteArray("1.00")});

    const double phone = Get(f, "threads.phone_ms"), turned = Get(f, "threads.phone_turned_ms");
    Head("A page of 25 phone photos, 4032 x 3024 (worker threads)", {"wall ms", "CPU ms", "/upright"});
    Row("stored upright (orientation 1)", {Num(phone), Num(Get(f, "threads.phone_cpu_ms")), Ratio(phone, phone)});
    Row("stored turned (orientation 6)",
        {Num(turned), Num(Get(f, "threads.phone_turned_cpu_ms")), Ratio(turned, phone)});
    const double profiled = Get(f, "threads.phone_profile_ms");
    Row("turned, with a Display P3 profile (v4 matrix)",
        {Num(profiled), Num(Get(f, "threads.phone_profile_cpu_ms")), Ratio(profiled, phone)});
    const double adobe = Get(f, "threads.phone_adobe_ms"), table = Get(f, "threads.phone_table_ms");
    Row("turned, with Adobe RGB (v2 matrix)",
        {Num(adobe), Num(Get(f, "threads.phone_adobe_cpu_ms")), Ratio(adobe, phone)});
    Row("turned, with a table-based profile",
        {Num(table), Num(Get(f, "threads.phone_table_cpu_ms")), Ratio(table, phone)});

    const double camera = Get(f, "threads.camera_ms");
    const double nine = Get(f, "threads.photos_nine_ms"), cameraNine = Get(f, "threads.camera_nine_ms");
    Head("The same photos with a camera's 160 x 120 EXIF thumbnail (worker threads)", {"wall ms", "CPU ms", "/plain"});
    Row("25 a page (the thumbnail covers the cell)",
        {Num(camera), Num(Get(f, "threads.camera_cpu_ms")), Ratio(camera, Get(f, "threads.page_ms"))});
    Row("9 a page (the photo is decoded)", {Num(cameraNine), QByteArray("-"), Ratio(cameraNine, nine)});

    Head("Every file read after 0.2 s, as on a slow disk: the window thread's longest stall", {"stall ms", "page ms"});
    for (const char* size : {"9", "25"}) {
        const QByteArray n(size);
        Row(QByteArray("page of " + n + ", headers on the workers").constData(),
            {Num(Get(f, QByteArray("threads.stall_ms." + n).constData())),
             Num(Get(f, QByteArray("threads.page_ms." + n).constData()))});
        Row(QByteArray("page of " + n + ", files read at page load").constData(),
            {Num(Get(f, QByteArray("atpaint.stall_ms." + n).constData())),
             Num(Get(f, QByteArray("atpaint.page_ms." + n).constData()))});
    }

    const double resized = Get(f, "threads.resized_page_ms"), large = Get(f, "threads.large_page_ms");
    Head("The window resized from 782 x 549 to 1600 x 1000 on a painted page of 25 photos", {"wall ms", "/cold page"});
    Row("to the page laid out, old thumbnails drawn", {Num(Get(f, "threads.relaid_ms"), 1), QByteArray("-")});
    Row("to every thumbnail made for its new cell", {Num(resized), Ratio(resized, large)});
    Row("another folder's page opened at that size", {Num(large), Ratio(large, large)});

    const double cacheCold = Get(f, "threads.cache_cold_ms"), cacheWarm = Get(f, "threads.cache_warm_ms");
    const double cacheOff = Get(f, "threads.cache_off_ms");
    Head("A page of 25 photos with the shared thumbnail cache on, each opening in a fresh process",
         {"wall ms", "CPU ms", "/cold", "/no cache"});
    Row("first opening (cache empty)",
        {Num(cacheCold), Num(Get(f, "threads.cache_cold_cpu_ms")), Ratio(cacheCold, cacheCold),
         Ratio(cacheCold, cacheOff)});
    Row("second opening (cache filled)",
        {Num(cacheWarm), Num(Get(f, "threads.cache_warm_cpu_ms")), Ratio(cacheWarm, cacheCold),
         Ratio(cacheWarm, cacheOff)});
    Row("the same opening, cache off",
        {Num(cacheOff), Num(Get(f, "threads.cache_off_cpu_ms")), Ratio(cacheOff, cacheCold),
         Ratio(cacheOff, cacheOff)});

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
    pagingRow("workers, decodes asked at first paint", "atpaint");
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
    keyRow("workers, decodes asked at first paint", "atpaint");
    keyRow("UI thread, reduced-scale decode", "ui");
    keyRow("full-size decode (reference)", "fullsize");

    const double big = Get(f, "threads.small10000_ms"), small = Get(f, "threads.small25_ms");
    Head("First page of small pictures (worker threads): opening the folder until painted",
         {"wall ms", "CPU ms", "/25 files"});
    Row("folder of 10,000 files", {Num(big), Num(Get(f, "threads.small10000_cpu_ms")), Ratio(big, small)});
    Row("folder of the same first 25 files", {Num(small), Num(Get(f, "threads.small25_cpu_ms")), Ratio(small, small)});

    Head("A page of 25 of each other kind (4000 x 3000; GIF 1155 x 866), worker threads; the baseline is "
         "vipsthumbnail, heif-thumbnailer for HEIC, the preview extracted and djpeg -scale 1/8 for raw",
         {"wall ms", "baseline ms", "/baseline", "4 pages ms", "peak MiB"});
    for (const char* kind : {"png", "webp", "tiff", "gif", "heic", "raw"}) {
        const QByteArray k(kind);
        const double ms = Get(f, QByteArray("threads." + k + "_ms").constData());
        const double baseline = Get(f, BaselineOf(k).constData());
        Row(k.constData(),
            {Num(ms), Num(baseline), Ratio(ms, baseline),
             Num(Get(f, QByteArray("threads." + k + "_four_pages_ms").constData())),
             Num(Get(f, QByteArray("threads." + k + "_peak_rss_mib").constData()))});
    }

    std::printf("\nGoals (ratios from this run)\n");
    auto ratio = [](double a, double b) { return a >= 0 && b > 0 ? a / b : -1; };
    int missed = 0;
    missed += Goal("page of 25 photos / djpeg -scale 1/8 at once <= 1.0", ratio(page, djEighth), 1.0, "x");
    missed += Goal("page of 25 photos / vipsthumbnail at once <= 0.6", ratio(page, vips), 0.6, "x");
    missed += Goal("page of 25 photos / full-size decode <= 0.3", ratio(page, full), 0.3, "x");
    missed += Goal("first thumbnail painted <= 60 ms", Get(f, "threads.first_ms.0"), 60, "ms");
    missed += Goal("cached page / first opening <= 0.1", ratio(cacheWarm, cacheCold), 0.1, "x");
    missed += Goal("first opening with the cache / without <= 1.05", ratio(cacheCold, cacheOff), 1.05, "x");
    missed += Goal("turned phone photos / upright ones <= 1.05", ratio(turned, phone), 1.05, "x");
    missed += Goal("camera photos, 25 a page / djpeg -scale 1/8 at once <= 0.2", ratio(camera, djEighth), 0.2, "x");
    missed += Goal("camera photos, 9 a page / plain photos <= 1.05", ratio(cameraNine, nine), 1.05, "x");
    missed += Goal("turned, with a v4 matrix profile / turned <= 1.05", ratio(profiled, turned), 1.05, "x");
    missed += Goal("turned, with a v2 matrix profile / turned <= 1.05", ratio(adobe, turned), 1.05, "x");
    missed += Goal("turned, with a table-based profile / turned <= 1.05", ratio(table, turned), 1.05, "x");
    missed += Goal("peak RSS over four pages <= 250 MiB", Get(f, "threads.peak_rss_mib"), 250, "MiB");
    missed += Goal("Page Down to next page loaded <= 100 ms", Get(f, "threads.key_loaded_ms"), 100, "ms");
    missed += Goal("first page, 10,000 files / 25 files <= 1.5", ratio(big, small), 1.5, "x");
    missed += Goal("resize to the page relaid and drawn <= 50 ms", Get(f, "threads.relaid_ms"), 50, "ms");
    for (const char* kind : {"png", "webp", "tiff", "gif", "heic", "raw"}) {
        const QByteArray k(kind);
        missed += Goal(QByteArray("page of 25 " + k + " / its baseline at once <= 1.0").constData(),
                       ratio(Get(f, QByteArray("threads." + k + "_ms").constData()), Get(f, BaselineOf(k).constData())),
                       1.0, "x");
        missed += Goal(QByteArray("peak RSS over four pages of " + k + " <= 64 MiB").constData(),
                       Get(f, QByteArray("threads." + k + "_peak_rss_mib").constData()), 64, "MiB");
    }
    missed += Goal("resize to new thumbnails / cold page there <= 1.2", ratio(resized, large), 1.2, "x");
    return missed;
}
