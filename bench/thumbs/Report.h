// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The benchmark's one table: every figure, its ratio to each baseline, and the goals.
#include <QMap>
#include <QString>

struct BenchFacts {
    int cores = 0;
    int processes = 1; // the window's decoding threads, and the baselines' processes
    QString cell;      // the size the baselines make thumbnails at ("WxH")
    QString cpu;
    QString loadBefore, loadAfter; // /proc/loadavg's first three numbers
    int rounds = 0;
    double photoMiB = 0; // average photo file size
    double smallKiB = 0; // average small file size
    bool haveVips = false, haveDjpeg = false;
    QString versions; // Qt, libjpeg-turbo, vips
};

// Medians of every figure by name ("threads.page_ms", "vips.ms", ...); -1 when missing.
using Figures = QMap<QString, double>;

// Prints the table to stdout; returns how many goals were missed.
int PrintReport(const BenchFacts& facts, const Figures& f);
