// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The desktop's trash, as the file managers share it: a file goes to the trash folder of its
// own file system (the home trash under $XDG_DATA_HOME, else $topdir/.Trash/$uid or
// $topdir/.Trash-$uid), its .trashinfo written before it moves, so the file manager lists and
// restores it. Only renames: nothing is copied, and a failure leaves the file where it was.
#include <optional>
#include <QString>

struct TrashedFile {
    QString original; // where it was
    QString trashed;  // where it is now, in the trash's files folder
    QString info;     // its .trashinfo
};

namespace Trash {

// Moves a file to its trash; nullopt with the reason in `why` when it stays where it was.
std::optional<TrashedFile> MoveToTrash(const QString& path, QString& why);
// Puts a trashed file back, never over a file that has taken its place since.
bool Restore(const TrashedFile& file, QString& why);
// Removes a file for good.
bool Delete(const QString& path, QString& why);

} // namespace Trash
