// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The folder list: the current folder's ancestors from the root down, the folder itself,
// then its sub-folders, each indented one step deeper than the one before. Opening an entry
// (double-click or Enter) makes it the process's working folder.
#include <functional>
#include <optional>
#include <vector>
#include <QListWidget>
#include "platform/Platform.h"

class TDirectoryListBox : public QListWidget {
    Q_OBJECT
public:
    // Starts at the process's working folder.
    explicit TDirectoryListBox(Platform& platform, QWidget* parent = nullptr);

    QString Directory() const { return m_dir; }
    // Makes `path` (relative paths count from the working folder) the working folder,
    // re-reads the list and calls OnChange. Throws Failure when the folder cannot be entered;
    // nothing changes then.
    void SetDirectory(const QString& path);
    // Re-reads the sub-folders of the current folder.
    void Update();

    // Entries as shown: full path, name and indentation level; -1 when none is current.
    int Count() const { return count(); }
    QString EntryPath(int i) const;
    QString EntryName(int i) const;
    int EntryLevel(int i) const;
    int DirectoryIndex() const { return m_dirRow; }

    std::function<void(const QString& dir)> OnChange;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void Read();
    void Fill(const std::optional<std::vector<DirEntry>>& entries);
    void Open(int row);

    Platform& m_platform;
    QString m_dir;
    int m_dirRow = -1;
};
