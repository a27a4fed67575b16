// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The application object: its title, the screen facts handed to the picture layer,
// and the backstop that turns a failure escaping every guard into the top-level report.
#include <QApplication>
#include "app/lib/CommandLine.h"

class Platform;

class TApplication : public QApplication {
public:
    static constexpr const char* kTitle = "Lumivue";
    static constexpr const char* kAppId = "io.github.lumivue.Lumivue"; // the desktop file's name

    TApplication(int& argc, char** argv);
    // The platform that reports failures reaching the backstop.
    void SetPlatform(Platform* platform) { m_platform = platform; }
    bool notify(QObject* receiver, QEvent* event) override;

    // Hands the screen's depth, icon size and tick to the picture layer and fixes the
    // program-wide JPEG defaults (8-bit output on palette screens).
    static void InitPictureLayer(Platform& platform);

private:
    void LoadTranslations();

    Platform* m_platform = nullptr;
};

// Creates the main window on the working folder, or where the command line asked, and runs
// the message loop until it closes.
int RunLumivue(TApplication& app, Platform& platform, const StartRequest& start = {});
