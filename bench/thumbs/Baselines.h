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
// djpeg on each file in turn, output thrown away; scale "1/8" or empty for full size.
Timed RunDjpeg(const QStringList& files, const QString& scale);
// One vipsthumbnail run making a thumbnail of every file into a scratch folder.
Timed RunVipsThumbnail(const QStringList& files, const QString& size);

// Runs a program and collects the "name value" lines it prints; false when it fails.
bool RunForValues(const QString& program, const QStringList& args, QMap<QString, double>* values, QString* errorText);
