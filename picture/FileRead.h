#pragma once
// Reading a picture file whole. Only a regular file is read: a pipe or device with a
// picture's name would block the caller or never end.
#include <cstdint>
#include <QByteArray>
#include <QString>

// The file's bytes. Fails with "Cannot open file ..." when it cannot be opened or is not a
// regular file, and with "Out of system resources" when it holds more than `maxBytes`,
// before anything is read.
QByteArray ReadRegularFile(const QString& path, int64_t maxBytes);
// The first `headBytes` bytes of the file (all of it when shorter), with the same checks;
// `*fileSize` (when given) receives the size the file had when opened.
QByteArray ReadRegularFileHead(const QString& path, int64_t maxBytes, int64_t headBytes, int64_t* fileSize);
