#include <QTextStream>
#include "app/lib/Application.h"
#include "platform/QtPlatform.h"

int main(int argc, char** argv)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    // Help and version are answered before the application object exists, so they need no display.
    QStringList raw;
    for (int i = 1; i < argc; ++i)
        raw.append(QString::fromLocal8Bit(argv[i]));
    const QStringList options = raw.mid(0, raw.indexOf(QLatin1String("--")));
    for (const char* asked : {"--help", "-h", "--version"}) {
        if (options.contains(QLatin1String(asked)))
            return ReadCommandLine(raw, out, err).exitCode;
    }
    TApplication app(argc, argv);
    // Qt has taken its own options (-platform, -style, ...) out of the arguments by now.
    const StartRequest start = ReadCommandLine(app.arguments().mid(1), out, err);
    if (start.exit)
        return start.exitCode;
    QtPlatform platform;
    return RunLumivue(app, platform, start);
}
