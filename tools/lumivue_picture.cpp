// SPDX-License-Identifier: GPL-3.0-or-later
// lumivue-picture: the picture layer from the command line (facts, rendering, saving).
#include <QCoreApplication>
#include <QStringList>
#include "CliCommands.h"
#include "CliSupport.h"
#include "base/FileNames.h"
#include "picture/Failure.h"

namespace {

const char kUsage[] = "usage: lumivue-picture info FILE...\n"
                      "       lumivue-picture render FILE OUT.png [--fit WxH]\n"
                      "       lumivue-picture save FILE OUT.bmp [--pixel-format NAME] [--mono] [--thumbnail MAX]\n"
                      "       lumivue-picture save FILE OUT.jpg [--quality Q] [--progressive] [--thumbnail MAX]\n"
                      "       lumivue-picture --help | --version\n"
                      "FILE is a .jpg, .jpeg, .jpe, .jfif, .bmp, .dib, .ico, .png, .gif, .webp, .tif or .tiff file.\n"
                      "Exit status: 0 done, 1 a file could not be read or written, 2 a mistake in the command line.\n";
const char kPrefix[] = "lumivue-picture: ";

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // The bytes as given: a file name need not be UTF-8 (QCoreApplication::arguments() would
    // lose such bytes).
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(DecodeFileName(argv[i]));
    if (args.isEmpty()) {
        PrintErr(QString::fromLatin1(kPrefix) + QStringLiteral("a command is missing\n") + QString::fromLatin1(kUsage));
        return 2;
    }
    if (args[0] == QLatin1String("--help") || args[0] == QLatin1String("-h")) {
        PrintOut(QString::fromLatin1(kUsage));
        return 0;
    }
    if (args[0] == QLatin1String("--version")) {
        PrintOut(QStringLiteral("lumivue-picture %1\n").arg(QLatin1String(LUMIVUE_VERSION)));
        return 0;
    }
    const QString command = args.takeFirst();
    try {
        if (command == QLatin1String("info"))
            return RunInfo(args);
        if (command == QLatin1String("render"))
            return RunRender(args);
        if (command == QLatin1String("save"))
            return RunSave(args);
        throw UsageError {QStringLiteral("unknown command %1").arg(command)};
    } catch (const UsageError& e) {
        PrintErr(QString::fromLatin1(kPrefix) + e.text +
                 QStringLiteral("\nRun \"lumivue-picture --help\" for the usage.\n"));
        return 2;
    } catch (const Failure& f) {
        PrintErr(QString::fromLatin1(kPrefix) + f.Text() + '\n');
        return 1;
    } catch (const std::bad_alloc&) {
        PrintErr(QString::fromLatin1(kPrefix) + QString::fromLatin1(kOutOfResources) + '\n');
        return 1;
    }
}
