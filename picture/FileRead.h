// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reading a picture file whole. Only a regular file is read: a pipe or device with a
// picture's name would block the caller or never end.
#include <cstdint>
#include <optional>
#include <QByteArray>
#include <QString>

// What a read saw of the file it read, from the same open file the bytes came from.
struct SourceFile {
    QString path;      // absolute and clean
    int64_t size = -1; // bytes; -1 when the file shrank while it was read
    int64_t mtime = 0; // last modification, whole seconds since the epoch
};

// The file's bytes. Fails with "Cannot open file ..." when it cannot be opened or is not a
// regular file, and with "Out of system resources" when it holds more than `maxBytes`,
// before anything is read.
// With `source`, also what was read from where.
QByteArray ReadRegularFile(const QString& path, int64_t maxBytes, SourceFile* source = nullptr);
// The first `headBytes` bytes of the file (all of it when shorter), with the same checks;
// `*fileSize` (when given) receives the size the file had when opened.
QByteArray ReadRegularFileStart(const QString& path, int64_t maxBytes, int64_t headBytes, int64_t* fileSize,
                                SourceFile* source = nullptr);

// Called with the path before any picture file is opened for reading, on the reading thread:
// tests see which thread reads, the benchmark makes reads slow as on a slow disk. Null: none.
using FileReadWatch = void (*)(const QString& path);
void SetFileReadWatch(FileReadWatch watch);

// At most the first `count` bytes of a regular file; nullopt when it cannot be opened or is
// not a regular file (never throws: for facts that are shown when they can be read).
std::optional<QByteArray> ReadRegularFileHead(const QString& path, qsizetype count);
