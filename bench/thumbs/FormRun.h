// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The measurements made on the real main window, each in a process of its own (the parent
// starts this program again with --child). Results are printed as "name value" lines.
#include <QString>
#include <QStringList>

enum class DecodePath {
    Threads,  // reduced-scale display cache decoded on worker threads, as shipped
    AtPaint,  // the same on workers, but whole files read at page load and decodes asked at first paint
    UiThread, // reduced-scale display cache decoded on the user-interface thread (whole files at page load)
    FullSize, // every thumbnail decoded at full size, then drawn scaled (the reference; the same)
};

QString PathName(DecodePath path);
bool ParsePath(const QString& name, DecodePath* path);

struct ChildRequest {
    QString scenario; // "pages", "paging" or "pagedown"
    DecodePath path = DecodePath::Threads;
    QStringList folders; // pages: every folder whose first page is timed; else the one folder
    QString empty;       // a folder without pictures, where the window starts
    int timeoutMs = 300000;
};

// Runs one scenario in this process and prints its results; 0 on success.
int RunChild(const ChildRequest& request);
