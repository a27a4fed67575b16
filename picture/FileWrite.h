// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writing a whole file whose new content is ready in memory.
#include <QByteArray>
#include <QString>

// Writes `bytes` beside the target and renames the result over it only when complete, so a
// failed write leaves the old file as it was. Where no file can be made beside the target
// (a folder the user may not write to), a target that may be written is written in place,
// once room for the whole new content is reserved. Only a regular file is written over.
// A symbolic link is followed: the file it points to is replaced, not the link. Fails with
// "Cannot create file ..." and the system's reason (or "Not a regular file").
void WriteWholeFile(const QString& path, const QByteArray& bytes);
