#include "Baselines.h"
#include <cerrno>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <vector>

extern char** environ;

namespace {

double CpuOf(const rusage& u)
{
    return (u.ru_utime.tv_sec + u.ru_stime.tv_sec) * 1e3 + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e3;
}

// Starts a program with its output going nowhere and waits for it; false when it failed.
bool Spawn(const QString& program, const QStringList& args, double* cpuMs)
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
    if (rc != 0)
        return false;
    int status = 0;
    rusage usage {};
    while (wait4(pid, &status, 0, &usage) < 0)
        if (errno != EINTR)
            return false;
    *cpuMs += CpuOf(usage);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

bool HaveProgram(const QString& name)
{
    return !QStandardPaths::findExecutable(name).isEmpty();
}

Timed RunDjpeg(const QStringList& files, const QString& scale)
{
    Timed t;
    if (!HaveProgram(QStringLiteral("djpeg")))
        return t;
    double cpu = 0;
    QElapsedTimer clock;
    clock.start();
    for (const QString& f : files) {
        QStringList args;
        if (!scale.isEmpty())
            args << QStringLiteral("-scale") << scale;
        args << QStringLiteral("-outfile") << QStringLiteral("/dev/null") << f;
        if (!Spawn(QStringLiteral("djpeg"), args, &cpu))
            return Timed {};
    }
    t.ms = clock.nsecsElapsed() / 1e6;
    t.cpuMs = cpu;
    return t;
}

Timed RunVipsThumbnail(const QStringList& files, const QString& size)
{
    Timed t;
    QTemporaryDir out;
    if (!HaveProgram(QStringLiteral("vipsthumbnail")) || !out.isValid())
        return t;
    QStringList args {QStringLiteral("-s"), size, QStringLiteral("-o"), out.filePath(QStringLiteral("%s.jpg"))};
    args << files;
    double cpu = 0;
    QElapsedTimer clock;
    clock.start();
    if (!Spawn(QStringLiteral("vipsthumbnail"), args, &cpu))
        return t;
    t.ms = clock.nsecsElapsed() / 1e6;
    t.cpuMs = cpu;
    return t;
}

bool RunForValues(const QString& program, const QStringList& args, QMap<QString, double>* values, QString* errorText)
{
    QProcess p;
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
