// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window on a temporary folder, driven offscreen through a scripted platform.
#include <QCoreApplication>
#include <QDialog>
#include <QListWidget>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include "app/lib/Application.h"
#include "controls/DecodeQueue.h"
#include "ScriptedPlatform.h"
#include "ui/browser/Viewmain.h"

template <class P = ScriptedPlatform>
struct MainWindowFixture {
    QTemporaryDir dir;
    P platform;
    std::unique_ptr<TViewForm> form;

    // Makes the folder the working folder and opens the main window on it, its first page
    // laid out (the cells' headers are read, and their faults told, on the decode workers).
    void OpenWindow()
    {
        platform.SetCurrentFolder(dir.path());
        TApplication::InitPictureLayer(platform);
        form = std::make_unique<TViewForm>(platform);
        form->show();
        QCoreApplication::processEvents();
        form->Decoder().Drain();
    }
    QString Path(const QString& name) const { return dir.filePath(name); }

    // The search results as a search leaves them, in the window's search mode or not.
    void SetSearchResults(const QStringList& lines, bool searchMode = true)
    {
        auto* list = form->SearchPanel().template findChild<QListWidget*>(QStringLiteral("lbxFileSearch"));
        list->clear();
        list->addItems(lines);
        form->SearchMode = searchMode;
    }

    // Runs `body` in the modal window of type W while it is shown, opened by `start`; the
    // window is then dismissed. False when no such window was shown.
    template <class W>
    bool During(const std::function<void()>& start, const std::function<void(W&)>& body)
    {
        bool shown = false;
        platform.onModal = [&](QDialog& dialog) {
            if (auto* window = qobject_cast<W*>(&dialog)) {
                shown = true;
                body(*window);
            }
            return int(QDialog::Rejected);
        };
        start();
        platform.onModal = nullptr;
        return shown;
    }
};
