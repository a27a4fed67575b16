#pragma once
// The main window on a temporary folder, driven offscreen through a scripted platform.
#include <QCoreApplication>
#include <QTemporaryDir>
#include <memory>
#include "Application.h"
#include "ScriptedPlatform.h"
#include "browser/Viewmain.h"

template <class P = ScriptedPlatform>
struct MainWindowFixture {
    QTemporaryDir dir;
    P platform;
    std::unique_ptr<TViewForm> form;

    // Makes the folder the working folder and opens the main window on it.
    void OpenWindow()
    {
        platform.SetCurrentFolder(dir.path());
        TApplication::InitPictureLayer(platform);
        form = std::make_unique<TViewForm>(platform);
        form->show();
        QCoreApplication::processEvents();
    }
    QString Path(const QString& name) const { return dir.filePath(name); }
};
