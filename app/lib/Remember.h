// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the viewer keeps between runs: the main window's place, size and maximised state, the
// page size, the file type and the folder last shown, with QSettings in the user's
// configuration folder. `--no-remember`, or LUMIVUE_NO_REMEMBER set, neither reads nor writes it.
#include <functional>
#include <memory>
#include <QByteArray>
#include <QString>

class QSettings;
class TViewForm;

struct RememberedView {
    QByteArray geometry; // as QWidget::saveGeometry gives it
    int pageItem = -1;   // the "Image Display" choice; -1: none kept
    int typeItem = -1;   // the "File Type" choice
    QString folder;
};

// The store in the usual place, or null when remembering is off.
std::unique_ptr<QSettings> OpenRemembered(bool wanted);
RememberedView ReadRemembered(QSettings& store);
void WriteRemembered(QSettings& store, const RememberedView& view);

RememberedView RememberedOf(const TViewForm& form);
// The choices before the window shows; its place and size as kept, kept inside the screens.
void ApplyRemembered(TViewForm& form, const RememberedView& view);

// The folder to start in without an argument: the working folder, unless that is the home
// folder (a desktop menu starts programs there): then the last folder shown if it is still a
// folder, else the pictures folder if there is one, else home.
QString DefaultStartFolder(const QString& working, const QString& home, const QString& last, const QString& pictures,
                           const std::function<bool(const QString&)>& isFolder);
