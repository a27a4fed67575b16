#pragma once
// Reading a picture file whole. Only a regular file is read: a pipe or device with a
// picture's name would block the caller or never end.
#include <cstdint>
#include <optional>
#include <QByteArray>
#include <QString>

// The file's bytes. Fails with "Cannot open file ..." when it cannot be opened or is not a
// regular file, and with "Out of system resources" when it holds more than `maxBytes`,
// before anything is read.
QByteArray ReadRegularFile(const QString& path, int64_t maxBytes);

// At most the first `count` bytes of a regular file; nullopt when it cannot be opened or is
// not a regular file.
std::optional<QByteArray> ReadRegularFileHead(const QString& path, qsizetype count);
