// SPDX-License-Identifier: GPL-3.0-or-later
#include <QTextStream>
#include "base/FileNames.h"
#include "app/lib/Application.h"
#include "platform/QtPlatform.h"

int main(int argc, char** argv)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    // Help and version are answered before the application object exists, so they need no display.
    // The arguments' bytes as they are: a file name need not be UTF-8.
    const auto arguments = [&argc, argv] {
        QStringList list;
        for (int i = 1; i < argc; ++i)
            list.append(DecodeFileName(argv[i]));
        return list;
    };
    const QStringList raw = arguments();
    const QStringList options = raw.mid(0, raw.indexOf(QLatin1String("--")));
    for (const char* asked : {"--help", "-h", "--version"}) {
        if (options.contains(QLatin1String(asked)))
            return ReadCommandLine(raw, out, err).exitCode;
    }
    TApplication app(argc, argv);
    // Qt has taken its own options (-platform, -style, ...) out of the arguments by now.
    const StartRequest start = ReadCommandLine(arguments(), out, err);
    if (start.exit)
        return start.exitCode;
    QtPlatform platform;
    return RunLumivue(app, platform, start);
}
