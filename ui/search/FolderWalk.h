// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The folder walk behind the file search and the rules for its name text and type filter.
// No widgets: folders are listed through the platform, so a test can script any tree,
// "/" included.
#include <functional>
#include <utility>
#include <QString>
#include <QStringList>

class Platform;

namespace SearchRules {

// The typed text without the blanks and control characters (codes up to 32) at either end.
QString TrimText(const QString& text);
// True when the text names an extension: a "." after its last "/".
bool HasExtension(const QString& text);
// The type filter of a choice: 0 ".*" (any image type), 1 ".jpg", 2 ".bmp", 3 ".ico", 4
// ".other" (PNG, GIF, WebP and TIFF). Any other choice counts as the first.
QString ExtFilterForItem(int item);
// Whether a name passes the type filter: ".*" takes every image extension, any other
// filter exactly its own extension.
bool AcceptsEntry(const QString& name, const QString& extFilter);
// The folder with exactly one trailing "/"; the root stays "/" and "" (no folder) stays "".
QString WithTrailingSeparator(const QString& folder);

} // namespace SearchRules

// One search over a folder tree: depth-first pre-order, a folder's matches before those of
// its sub-folders, both in the order the file system lists them. Hidden entries (a name
// starting with ".") are matched like any other, but hidden folders are never entered;
// folders that cannot be listed are passed over. As `find` does by default, a linked file is
// matched like any other entry but a linked folder is never entered: every folder is found
// under its own path, and a link to an ancestor cannot make the walk loop.
class FolderWalk {
public:
    // pattern: "*" and "?" wildcards, letter case ignored; extFilter as SearchRules gives it.
    FolderWalk(Platform& platform, QString pattern, QString extFilter);

    // Asked once per folder, after its matches were taken and pending messages processed;
    // false ends the walk: no further folder is entered and every level returns at once.
    std::function<bool()> keepGoing;

    // Walks `path` (ending in "/") and its sub-folders, appending every accepted entry as
    // path + name. `path` grows while the walk descends and is back as it was on return.
    // Returns the continue flag. Each folder is listed once with the mask "*". A path that is
    // not absolute (a working folder that no longer exists reads as "") gives no entries.
    bool Walk(QString& path);

    const QStringList& Found() const { return m_found; }
    QStringList TakeFound() { return std::exchange(m_found, {}); }
    int FoldersEntered() const { return m_entered; }

private:
    bool WalkAt(QString& path);

    Platform& m_platform;
    QString m_pattern;
    QString m_extFilter;
    bool m_matchAll;
    QStringList m_found;
    int m_entered = 0;
};
