// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The file-system services behind Platform, over POSIX and Qt. Both the real and the
// scripted platform use them, so tests exercise the same code the program runs.
#include "platform/Platform.h"

namespace FileServices {

// The process's working folder, absolute, with "/" separators.
QString CurrentFolder();
bool SetCurrentFolder(const QString& folder);

// Size and last-write time (local time) of a regular file that can be opened for reading;
// nullopt for anything else (missing, unreadable, folder, device).
std::optional<FileFacts> ReadFileFacts(const QString& path);

// Copies the bytes of a regular file. With failIfExists an existing target is left alone and
// the copy fails; otherwise the target is replaced only once the new copy is complete.
// The copy keeps the source's permissions and last-write time.
bool CopyFile(const QString& from, const QString& to, bool failIfExists);

// Entries of `folder` ("" means the working folder) matching the ";"-separated mask.
// Symbolic links are followed: a link to a folder is a folder, a link to a file a file.
// Only regular files and folders are listed; broken links, pipes, sockets and devices are
// left out, since opening a pipe to read it would wait forever. "." and ".." never appear.
// nullopt when the folder cannot be opened.
std::optional<std::vector<DirEntry>> ListDirectory(const QString& folder, const QString& mask, ListFilter filter);

// True for a name the save dialogs refuse as they refuse an empty one: nothing but blanks or
// dots before its extension (" .bmp", ".jpg"), which would make an unseen or hidden file.
bool IsBlankFileName(const QString& path);

// Renames within a file system, never over an existing name (fails with errno EEXIST then).
bool MoveNoReplace(const QByteArray& from, const QByteArray& to);
// Gives a file a new name in its folder; false with the reason when the name is taken or the
// folder refuses.
bool RenameFile(const QString& from, const QString& to, QString& why);

// Roots of the mounted volumes; "/" always comes first.
QStringList MountedVolumes();

} // namespace FileServices
