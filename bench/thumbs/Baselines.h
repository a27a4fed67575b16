// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Outside programs run on the same files: libjpeg-turbo's djpeg and vipsthumbnail, and this
// benchmark itself in a fresh process. Times are wall-clock milliseconds; CPU time is the
// children's user plus system time.
#include <QMap>
#include <QString>
#include <QStringList>

struct Timed {
    double ms = -1; // -1: not run (the program is missing) or failed
    double cpuMs = -1;
};

// Whether a program can be found on PATH.
bool HaveProgram(const QString& name);
// djpeg on each file, output thrown away; scale "1/8" or empty for full size. `processes`
// djpeg processes run at a time (one file each), so a run can use as many processors as the
// program's decoding threads.
Timed RunDjpeg(const QStringList& files, const QString& scale, int processes = 1);
// vipsthumbnail making a thumbnail of every file, at most `size` ("WxH"), into a scratch
// folder: the files split into `processes` groups, one vipsthumbnail run a group, all at once.
Timed RunVipsThumbnail(const QStringList& files, const QString& size, int processes = 1);
// A fresh process of `program` started with `args`, which prints "painted_at_ms V" (the
// monotonic clock in ms when its page was painted) and "cpu_ms V" among its values; the time
// from just before the start to that moment. Every value it printed goes into `values`.
Timed RunColdStart(const QString& program, const QStringList& args, QMap<QString, double>* values, QString* errorText);
// The monotonic clock all processes share, in ms.
double MonotonicMs();
// heif-thumbnailer making a thumbnail of at most `side` pixels of each file, one file a process.
Timed RunHeifThumbnailer(const QStringList& files, int side, int processes = 1);
// A camera's way to a thumbnail without developing: the raw file's preview extracted by
// LibRaw's simple_dcraw, then djpeg -scale 1/8 of it, one file a shell.
Timed RunRawPreviews(const QStringList& files, int processes = 1);

// Runs a program and collects the "name value" lines it prints; false when it fails.
// `environment`: what to change in this process's environment for it ("NAME" → value; an empty
// value removes the variable).
bool RunForValues(const QString& program, const QStringList& args, QMap<QString, double>* values, QString* errorText,
                  const QMap<QString, QString>& environment = {});
