// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/FolderWatch.h"

TFolderWatch::TFolderWatch(QObject* parent) : QObject(parent)
{
    m_batch.setSingleShot(true);
    m_batch.setInterval(kBatchMs);
    // The first change of a batch starts the clock and later ones ride along: a steady stream
    // of changes is told every kBatchMs, not held back until it ends.
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] {
        if (!m_batch.isActive())
            m_batch.start();
    });
    connect(&m_batch, &QTimer::timeout, this, [this] {
        if (OnChange)
            OnChange();
    });
}

void TFolderWatch::SetFolder(const QString& folder)
{
    if (folder == m_folder)
        return;
    if (!m_folder.isEmpty())
        m_watcher.removePath(m_folder);
    m_batch.stop();
    m_folder = folder;
    if (!m_folder.isEmpty())
        m_watcher.addPath(m_folder);
}

void TFolderWatch::Later()
{
    m_batch.start();
}
