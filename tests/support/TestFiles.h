// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Helpers for tests that build their files in a temporary folder.
#include <QByteArray>
#include <QString>

// Writes bytes to path (creating folders); fails the test process loudly on error.
void WriteBytes(const QString& path, const QByteArray& bytes);
QByteArray ReadBytes(const QString& path);
// Removes a folder and everything in it by the names' bytes: Qt's own removal cannot reach a
// name that is not UTF-8, so a temporary folder holding one would stay behind.
void RemoveTree(const QByteArray& folder);
// The conformance corpus folder when it is present beside the project, else empty.
QString CorpusDir();
