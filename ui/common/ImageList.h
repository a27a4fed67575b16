// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The image list: the entries the thumbnails, the full-screen stepping, the slide show and the
// save and print windows work through. In folder mode they are the folder's file list (bare
// names that resolve against the folder of the last page load); in search mode, the search
// results (full paths). The main window makes it; the windows it opens take it instead of
// reading the main window's lists.
#include <QPointer>
#include <QString>

class QListWidget;
class TFileListBox;

class ImageList {
public:
    enum class Source { Folder, Search };

    ImageList() = default; // no entries
    ImageList(Source source, const TFileListBox* files, const QListWidget* results, QString folder);

    Source From() const { return m_source; }
    // The same lists, read from the other source (a folder-tree slide show runs over the
    // search results whatever the main window shows).
    ImageList WithSource(Source source) const;

    int Count() const;
    // The entry at index as the list holds it; "" outside the list.
    QString Entry(int index) const;
    // The path an entry opens by: the entry itself in search mode, else folder + "/" + entry.
    QString FullPath(const QString& entry) const;
    // The first entry equal to `entry` ignoring case; -1 when none.
    int IndexOf(const QString& entry) const;

private:
    Source m_source = Source::Folder;
    QPointer<const TFileListBox> m_files;
    QPointer<const QListWidget> m_results;
    QString m_folder;
};
