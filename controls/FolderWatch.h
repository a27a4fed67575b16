// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Follows the entries of one folder: pictures added, removed or renamed there are told once
// per batch, at most every kBatchMs however fast they come (a copy filling the folder).
#include <functional>
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

class TFolderWatch : public QObject {
    Q_OBJECT
public:
    static constexpr int kBatchMs = 250;

    explicit TFolderWatch(QObject* parent = nullptr);
    // The folder to follow; "" follows none. A folder that cannot be watched is not followed.
    void SetFolder(const QString& folder);
    QString Folder() const { return m_folder; }
    // Tells the change again after a batch's time (the owner could not take it now).
    void Later();

    std::function<void()> OnChange;

private:
    QFileSystemWatcher m_watcher;
    QTimer m_batch;
    QString m_folder;
};
