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

// A regular file read in pieces, front to back, for a reader that takes a stream: the file is
// never held whole. Opens with ReadRegularFile's checks and failures.
class FileStream {
public:
    FileStream(const QString& path, int64_t maxBytes);
    ~FileStream();
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;
    // Fills `size` bytes; false at the end of the file or on an error (`Error` tells which).
    bool ReadExactly(void* into, size_t size);
    // The system's error of the last failed read; 0 when it met the end.
    int Error() const { return m_error; }
    // The file's size when it was opened.
    int64_t Size() const { return m_size; }
    // Up to `size` bytes from `offset`, for a reader that seeks; fewer at the end, -1 on an
    // error. Leaves the front-to-back position alone.
    int64_t ReadAt(int64_t offset, void* into, size_t size);
    // The whole file as ReadRegularFile gives it (what it held when opened, less if it shrank);
    // throws the system's reason when a read fails.
    QByteArray ReadAll();

private:
    int m_fd = -1;
    int m_error = 0;
    int64_t m_size = 0;
};
