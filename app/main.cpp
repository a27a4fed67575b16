// SPDX-License-Identifier: GPL-3.0-or-later
#include <QTextStream>
#include "base/FileNames.h"
#include "app/lib/Application.h"
#include "platform/QtPlatform.h"

int main(int argc, char** argv)
{
    QTextStream out(stdout);
    QTextStream err(stderr);
    // The arguments are read before the application object exists, so help, version and a
    // mistake in them are answered without a display. The arguments' bytes as they are: a
    // file name need not be UTF-8.
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(DecodeFileName(argv[i]));
    const StartRequest start = ReadCommandLine(WithoutQtOptions(arguments), out, err);
    if (start.exit)
        return start.exitCode;
    TApplication app(argc, argv);
    QtPlatform platform;
    return RunLumivue(app, platform, start);
}
