// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The viewer's command line: at most one folder or file to start in, `--help` and `--version`.
#include <QString>
#include <QStringList>

class QTextStream;
class TViewForm;

struct StartRequest {
    bool exit = false;    // help, version or a mistake answered: end with exitCode
    int exitCode = 0;     // 0 after help or version, 2 after a mistake
    QString folder;       // the folder to start in; empty: the working folder
    QString fileName;     // the file of that folder to show and choose; empty: none
    bool remember = true; // read and keep the window's state between runs
};

// The arguments without Qt's own options (-platform NAME, -style NAME, -reverse, ...), which
// the application object takes for itself: what the viewer's own reading is left with, before
// that object exists.
QStringList WithoutQtOptions(const QStringList& arguments);

// Reads the arguments after the program's name. Help and version go to `out`; mistakes, and
// a folder or file that cannot be opened (the start is then the usual one), go to `err`.
StartRequest ReadCommandLine(const QStringList& arguments, QTextStream& out, QTextStream& err);

// Opens the request's folder and file in the window; what cannot be opened is told on `err`
// and the window stays in its folder. True when the file is the window's chosen thumbnail.
bool OpenStart(TViewForm& form, const StartRequest& start, QTextStream& err);
