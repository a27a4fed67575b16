// SPDX-License-Identifier: GPL-3.0-or-later
#include "Baselines.h"
#include <cerrno>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <ctime>
#include <vector>

extern char** environ;

namespace {

double CpuOf(const rusage& u)
{
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

// Starts a program with its output going nowhere; 0 when it could not be started.
pid_t Start(const QString& program, const QStringList& args)
{
    std::vector<QByteArray> storage;
    storage.push_back(QFile::encodeName(program));
    for (const QString& a : args)
        storage.push_back(QFile::encodeName(a));
    std::vector<char*> argv;
    for (QByteArray& s : storage)
        argv.push_back(s.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : 0;
}

// Waits for any one child; false when it failed. Only this benchmark's own runs are children
// of the parent while a baseline runs (its window measurements have all been reaped).
bool WaitAny(double* cpuMs)
{
    int status = 0;
    rusage usage {};
    while (wait4(-1, &status, 0, &usage) < 0)
        if (errno != EINTR)
            return false;
    *cpuMs += CpuOf(usage);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Runs every command, `processes` at a time; wall and children's CPU time, or not run.
Timed RunAll(const QString& program, const QList<QStringList>& commands, int processes)
{
    double cpu = 0;
    bool ok = true;
    int running = 0;
    QElapsedTimer clock;
    clock.start();
    for (const QStringList& args : commands) {
        if (running == std::max(1, processes)) {
            ok &= WaitAny(&cpu);
            --running;
        }
        if (Start(program, args) == 0) {
            ok = false;
            break;
        }
        ++running;
    }
    for (; running > 0; --running)
        ok &= WaitAny(&cpu);
    Timed t;
    if (ok) {
        t.ms = clock.nsecsElapsed() / 1e6;
        t.cpuMs = cpu;
    }
    return t;
}

} // namespace

bool HaveProgram(const QString& name)
{
    return !QStandardPaths::findExecutable(name).isEmpty();
}

Timed RunDjpeg(const QStringList& files, const QString& scale, int processes)
{
    if (!HaveProgram(QStringLiteral("djpeg")))
        return {};
    QList<QStringList> commands;
    for (const QString& f : files) {
        QStringList args;
        if (!scale.isEmpty())
            args << QStringLiteral("-scale") << scale;
        commands << (args << QStringLiteral("-outfile") << QStringLiteral("/dev/null") << f);
    }
    return RunAll(QStringLiteral("djpeg"), commands, processes);
}

Timed RunVipsThumbnail(const QStringList& files, const QString& size, int processes)
{
    QTemporaryDir out;
    if (!HaveProgram(QStringLiteral("vipsthumbnail")) || !out.isValid())
        return {};
    const int groups = std::max(1, processes);
    QList<QStringList> commands(groups);
    for (QStringList& args : commands)
        args << QStringLiteral("-s") << size << QStringLiteral("-o") << out.filePath(QStringLiteral("%s.jpg"));
    // Every other file to the other process keeps the groups alike.
    for (int i = 0; i < files.size(); ++i)
        commands[i % groups] << files[i];
    return RunAll(QStringLiteral("vipsthumbnail"), commands, groups);
}

Timed RunHeifThumbnailer(const QStringList& files, int side, int processes)
{
    QTemporaryDir out;
    if (!HaveProgram(QStringLiteral("heif-thumbnailer")) || !out.isValid())
        return {};
    QList<QStringList> commands;
    for (int i = 0; i < files.size(); ++i)
        commands << QStringList {QStringLiteral("-s"), QString::number(side), files[i],
                                 out.filePath(QStringLiteral("%1.png").arg(i))};
    return RunAll(QStringLiteral("heif-thumbnailer"), commands, processes);
}

Timed RunRawPreviews(const QStringList& files, int processes)
{
    QTemporaryDir out;
    if (!HaveProgram(QStringLiteral("simple_dcraw")) || !HaveProgram(QStringLiteral("djpeg")) || !out.isValid())
        return {};
    QList<QStringList> commands;
    for (int i = 0; i < files.size(); ++i) {
        // dcraw_emu writes the preview beside its input: a link in the scratch folder.
        const QString link = out.filePath(QStringLiteral("%1.dng").arg(i));
        if (!QFile::link(files[i], link))
            return {};
        commands << QStringList {
            QStringLiteral("-c"),
            QStringLiteral("simple_dcraw -e '%1' && djpeg -scale 1/8 -outfile /dev/null '%1.thumb.jpg'").arg(link)};
    }
    return RunAll(QStringLiteral("sh"), commands, processes);
}

double MonotonicMs()
{
    timespec now {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

Timed RunColdStart(const QString& program, const QStringList& args, QMap<QString, double>* values, QString* errorText)
{
    const double start = MonotonicMs();
    if (!RunForValues(program, args, values, errorText) || !values->contains(QStringLiteral("painted_at_ms")))
        return {};
    Timed t;
    t.ms = values->value(QStringLiteral("painted_at_ms")) - start;
    t.cpuMs = values->value(QStringLiteral("cpu_ms"), -1);
    return t;
}

bool RunForValues(const QString& program, const QStringList& args, QMap<QString, double>* values, QString* errorText,
                  const QMap<QString, QString>& environment)
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (auto it = environment.begin(); it != environment.end(); ++it) {
        if (it.value().isEmpty())
            env.remove(it.key());
        else
            env.insert(it.key(), it.value());
    }
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::SeparateChannels);
    p.start(program, args);
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        *errorText = QStringLiteral("%1 %2 ended with %3: %4")
                         .arg(program, args.join(QLatin1Char(' ')))
                         .arg(p.exitCode())
                         .arg(QString::fromLocal8Bit(p.readAllStandardError()).right(600));
        return false;
    }
    for (const QByteArray& line : p.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> parts = line.trimmed().split(' ');
        bool ok = false;
        if (parts.size() == 2) {
            const double v = parts[1].toDouble(&ok);
            if (ok)
                values->insert(QString::fromUtf8(parts[0]), v);
        }
    }
    return true;
}
