#include "app/lib/CommandLine.h"
#include <QDir>
#include <QFileInfo>
#include <QTextStream>
#include "picture/Failure.h"
#include "ui/browser/Viewmain.h"

namespace {
constexpr const char* kUsage = "Usage: lumivue [FOLDER | FILE]\n"
                               "Browse the JPEG, bitmap and icon pictures of a folder as pages of thumbnails.\n"
                               "\n"
                               "  FOLDER     start in this folder\n"
                               "  FILE       start in the file's folder, at the page that shows the file\n"
                               "  -h, --help     show this help and exit\n"
                               "  --version      show the version and exit\n"
                               "\n"
                               "Without an argument the viewer starts in the working folder.\n";

// Why the path cannot be started in, empty when it can.
QString ProblemWith(const QFileInfo& info)
{
    if (!info.exists())
        return QStringLiteral("no such file or folder");
    if (info.isDir())
        return info.isReadable() && info.isExecutable() ? QString() : QStringLiteral("the folder cannot be read");
    if (!info.isFile())
        return QStringLiteral("not a file or folder");
    return info.isReadable() ? QString() : QStringLiteral("the file cannot be read");
}

StartRequest Mistake(QTextStream& err, const QString& text)
{
    err << "lumivue: " << text << "\nTry 'lumivue --help'.\n";
    err.flush();
    return StartRequest {true, 2, {}, {}};
}
}

StartRequest ReadCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QStringList paths;
    bool options = true;
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
        } else if (options && arg.size() > 1 && arg.startsWith(QLatin1Char('-'))) {
            return Mistake(err, QStringLiteral("unknown option '%1'").arg(arg));
        } else {
            paths.append(arg);
        }
    }
    if (paths.size() > 1)
        return Mistake(err, QStringLiteral("give one folder or file, not %1").arg(paths.size()));
    StartRequest start;
    if (paths.isEmpty())
        return start;
    const QFileInfo info(paths.first());
    if (const QString problem = ProblemWith(info); !problem.isEmpty()) {
        err << "lumivue: cannot open \"" << paths.first() << "\": " << problem << "; starting in the working folder\n";
        err.flush();
    } else if (info.isDir()) {
        start.folder = QDir::cleanPath(info.absoluteFilePath());
    } else {
        start.folder = QDir::cleanPath(info.absolutePath());
        start.fileName = info.fileName();
    }
    return start;
}

void OpenStart(TViewForm& form, const StartRequest& start, QTextStream& err)
{
    if (start.folder.isEmpty())
        return;
    try {
        if (!form.OpenAt(start.folder, start.fileName))
            err << "lumivue: \"" << start.fileName << "\" is not a picture the viewer shows"
                << " (.jpg, .jpeg, .bmp, .ico); showing its folder\n";
    } catch (...) {
        err << "lumivue: " << CurrentFailureText() << "; starting in the working folder\n";
    }
    err.flush();
}
