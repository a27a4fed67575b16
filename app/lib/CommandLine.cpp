// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/lib/CommandLine.h"
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <QDir>
#include <QTextStream>
#include "base/FileNames.h"
#include "picture/Failure.h"
#include "picture/PictureFormats.h"
#include "platform/FileServices.h"
#include "ui/browser/Viewmain.h"

namespace {
constexpr const char* kUsage = "Usage: lumivue [FOLDER | FILE]\n"
                               "Browse the JPEG, bitmap and icon pictures of a folder as pages of thumbnails.\n"
                               "\n"
                               "  FOLDER     start in this folder\n"
                               "  FILE       start in the file's folder, at the page that shows the file\n"
                               "  --no-remember  neither read nor keep the window's size, page and folder\n"
                               "  -h, --help     show this help and exit\n"
                               "  --version      show the version and exit\n"
                               "\n"
                               "Without an argument the viewer starts in the working folder; started in the\n"
                               "home folder, in the folder shown last, else the pictures folder.\n";

// Why the path cannot be started in, empty when it can. Asked of the name's own bytes;
// `statError` is the errno of a failed stat, 0 when it succeeded.
QString ProblemWith(const QByteArray& path, const struct stat& st, int statError)
{
    if (statError == ENOENT)
        return QStringLiteral("no such file or folder");
    if (statError != 0)
        return QString::fromLocal8Bit(std::strerror(statError)); // "Permission denied", ...
    if (S_ISDIR(st.st_mode))
        return ::access(path.constData(), R_OK | X_OK) == 0 ? QString() : QStringLiteral("the folder cannot be read");
    if (!S_ISREG(st.st_mode))
        return QStringLiteral("not a file or folder");
    return ::access(path.constData(), R_OK) == 0 ? QString() : QStringLiteral("the file cannot be read");
}

StartRequest Mistake(QTextStream& err, const QString& text)
{
    err << "lumivue: " << text << "\nTry 'lumivue --help'.\n";
    err.flush();
    return StartRequest {true, 2, {}, {}};
}
}

QStringList WithoutQtOptions(const QStringList& arguments)
{
    // As QGuiApplication and QApplication read them, with one dash or two; a value follows the
    // option as the next argument or after "=".
    static const QStringList withValue {
        "platform", "platformpluginpath", "platformtheme", "plugin",  "qwindowgeometry", "geometry", "qwindowtitle",
        "title",    "qwindowicon",        "icon",          "session", "display",         "name",     "visual",
        "style",    "stylesheet",         "qmljsdebugger"};
    static const QStringList alone {"reverse", "testability", "widgetcount", "nograb", "dograb", "sync"};
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        if (arg == QLatin1String("--")) {
            kept += arguments.mid(i);
            break;
        }
        const QString name = arg.startsWith(QLatin1String("--")) ? arg.mid(2)
            : arg.startsWith(QLatin1Char('-'))                   ? arg.mid(1)
                                                                 : QString();
        const qsizetype equals = name.indexOf(QLatin1Char('='));
        if (equals > 0 && withValue.contains(name.left(equals)))
            continue;
        if (withValue.contains(name))
            ++i; // and its value
        else if (!alone.contains(name))
            kept.append(arg);
    }
    return kept;
}

StartRequest ReadCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QStringList paths;
    bool options = true;
    bool remember = true;
    for (const QString& arg : arguments) {
        if (options && arg == QLatin1String("--")) {
            options = false;
        } else if (options && (arg == QLatin1String("--help") || arg == QLatin1String("-h"))) {
            out << kUsage;
            out.flush();
            return StartRequest {true, 0, {}, {}};
        } else if (options && arg == QLatin1String("--version")) {
            out << "lumivue " << LUMIVUE_VERSION << "\n";
            out.flush();
            return StartRequest {true, 0, {}, {}};
        } else if (options && arg == QLatin1String("--no-remember")) {
            remember = false;
        } else if (options && arg.size() > 1 && arg.startsWith(QLatin1Char('-'))) {
            return Mistake(err, QStringLiteral("unknown option '%1'").arg(arg));
        } else {
            paths.append(arg);
        }
    }
    if (paths.size() > 1)
        return Mistake(err, QStringLiteral("give one folder or file, not %1").arg(paths.size()));
    StartRequest start;
    start.remember = remember;
    if (paths.isEmpty())
        return start;
    const QString& given = paths.first();
    const QByteArray bytes = EncodeFileName(given);
    struct stat st {};
    const int statError = bytes.isEmpty() ? ENOENT : ::stat(bytes.constData(), &st) == 0 ? 0 : errno;
    if (const QString problem = ProblemWith(bytes, st, statError); !problem.isEmpty()) {
        err << "lumivue: cannot open \"" << DisplayName(given) << "\": " << problem
            << "; starting in the working folder\n";
        err.flush();
        return start;
    }
    // The working folder as the file system names it (QDir's own would lose bytes that are not UTF-8).
    const QString absolute = QDir::cleanPath(
        given.startsWith(QLatin1Char('/')) ? given : FileServices::CurrentFolder() + QLatin1Char('/') + given);
    if (S_ISDIR(st.st_mode)) {
        start.folder = absolute;
    } else {
        const qsizetype slash = absolute.lastIndexOf(QLatin1Char('/'));
        start.folder = slash == 0 ? QStringLiteral("/") : absolute.left(slash);
        start.fileName = absolute.mid(slash + 1);
    }
    return start;
}

bool OpenStart(TViewForm& form, const StartRequest& start, QTextStream& err)
{
    if (start.folder.isEmpty())
        return false;
    bool chosen = false;
    try {
        if (!form.OpenAt(start.folder, start.fileName))
            err << "lumivue: \"" << DisplayName(start.fileName) << "\" is not a picture the viewer shows"
                << " (" << ShownExtensions() << "); showing its folder\n";
        else
            chosen = !start.fileName.isEmpty();
    } catch (...) {
        err << "lumivue: " << CurrentFailureText() << "; starting in the working folder\n";
    }
    err.flush();
    return chosen;
}
