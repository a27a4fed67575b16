#pragma once
// Helpers for tests that build their files in a temporary folder.
#include <QByteArray>
#include <QString>

// Writes bytes to path (creating folders); fails the test process loudly on error.
void WriteBytes(const QString& path, const QByteArray& bytes);
QByteArray ReadBytes(const QString& path);
// The conformance corpus folder when it is present beside the project, else empty.
QString CorpusDir();
