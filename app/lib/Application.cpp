// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/lib/Application.h"
#include <malloc.h>
#include "app/lib/Remember.h"
#include <QIcon>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLocale>
#include <QSettings>
#include <QStandardPaths>
#include <QTextStream>
#include <QTimer>
#include <QTranslator>
#include "platform/Guard.h"
#include "picture/JpegImage.h"
#include "platform/Platform.h"
#include "picture/ScreenFacts.h"
#include "ui/browser/Viewmain.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    // A decode worker holds a file or its rows for a moment, then frees them. With glibc's
    // sliding threshold such blocks come to live in each thread's heap, which keeps what they
    // freed. A fixed threshold gives every block of 8 MiB or more back to the system when it
    // is freed; at 1 MiB, a decoder's fresh working memory of a few MiB, mapped and cleared
    // anew for every cell, cost a HEIC page a quarter more processor time.
    mallopt(M_MMAP_THRESHOLD, 8 << 20);
    // The title is the application name, not the display name: Qt would append a
    // display name to every window caption.
    setApplicationName(QString::fromLatin1(kTitle));
    // Docks and task switchers match the windows to the desktop file by this name and show
    // its icon; the windows carry the icon too, the theme's when installed, else the drawing
    // built into the program.
    setDesktopFileName(QString::fromLatin1(kAppId));
    Q_INIT_RESOURCE(icon);
    setWindowIcon(QIcon::fromTheme(QString::fromLatin1(kAppId), QIcon(QStringLiteral(":/lumivue/lumivue.svg"))));
    LoadTranslations();
}

void TApplication::LoadTranslations()
{
    // Qt's own texts (file dialogs, message-box buttons) from the distribution's translations
    // of Qt, and the program's from beside its installed data, each for the user's locale when
    // there is one; English is built in.
    const QLocale locale;
    const std::pair<QString, QString> sources[] = {
        {QStringLiteral("qtbase"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)},
        {QStringLiteral("lumivue"), applicationDirPath() + QStringLiteral("/../share/lumivue/translations")}};
    for (const auto& [name, folder] : sources) {
        auto* translator = new QTranslator(this);
        if (translator->load(locale, name, QStringLiteral("_"), folder))
            installTranslator(translator);
        else
            delete translator;
    }
}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        if (m_platform) {
            try {
                ReportFailure(*m_platform, CurrentFailureText());
            } catch (...) {}
        }
        return false;
    }
}

void TApplication::InitPictureLayer(Platform& platform)
{
    ScreenFacts facts;
    facts.bitsPerPixel = platform.ScreenDepth();
    const QSize icon = platform.SystemIconSize();
    facts.iconWidth = icon.width();
    facts.iconHeight = icon.height();
    // The tick stays the layer's own steady clock: a platform may not outlive the layer's use.
    SetScreenFacts(facts);
    JpegDefaults().pixelFormat = facts.bitsPerPixel <= 8 ? TPixelFormat::Bit8 : TPixelFormat::Bit24;
}

int RunLumivue(TApplication& app, Platform& platform, const StartRequest& start)
{
    app.SetPlatform(&platform);
    TApplication::InitPictureLayer(platform);
    const std::unique_ptr<QSettings> store = OpenRemembered(start.remember);
    const RememberedView last = store ? ReadRemembered(*store) : RememberedView {};
    QString folder = start.folder;
    if (folder.isEmpty())
        folder = DefaultStartFolder(platform.CurrentFolder(), QDir::homePath(), last.folder,
                                    QStandardPaths::writableLocation(QStandardPaths::PicturesLocation),
                                    [](const QString& f) { return QFileInfo(f).isDir(); });
    // Entering the folder first spares the window a page of the folder it would leave at once;
    // a failure is told when the window tries the folder itself.
    if (!folder.isEmpty())
        platform.SetCurrentFolder(folder);
    TViewForm form(platform);
    ApplyRemembered(form, last);
    QTextStream err(stderr);
    const bool fileChosen = OpenStart(form, start, err);
    form.show();
    // A file to open ("Open with" in a file manager) shows at once in the full-screen window,
    // over its page; Esc returns to the page.
    if (fileChosen)
        QTimer::singleShot(0, &form, [&form] { form.OpenChosen(); });
    const int code = app.exec();
    if (store)
        WriteRemembered(*store, RememberedOf(form));
    return code;
}
