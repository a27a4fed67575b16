// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestFiles.h"
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <cstdlib>
#include <ftw.h>

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::abort();
    }
}

QByteArray ReadBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void RemoveTree(const QByteArray& folder)
{
    ::nftw(
        folder.constData(), [](const char* path, const struct stat*, int, struct FTW*) { return std::remove(path); },
        16, FTW_DEPTH | FTW_PHYS);
}

QString CorpusDir()
{
#ifdef LUMIVUE_CORPUS_DIR
    const QString dir = QStringLiteral(LUMIVUE_CORPUS_DIR);
    if (QFileInfo(dir).isDir())
        return QDir(dir).canonicalPath();
#endif
    return {};
}
