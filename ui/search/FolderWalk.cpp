// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/search/FolderWalk.h"

#include "picture/PictureFormats.h"
#include "platform/Platform.h"

namespace SearchRules {

QString TrimText(const QString& text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && text[begin].unicode() <= 32)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 32)
        --end;
    return text.mid(begin, end - begin);
}

bool HasExtension(const QString& text)
{
    return !ExtensionOf(text).isEmpty();
}

QString ExtFilterForItem(int item)
{
    switch (item) {
    case 1: return QStringLiteral(".jpg");
    case 2: return QStringLiteral(".bmp");
    case 3: return QStringLiteral(".ico");
    case 4: return QStringLiteral(".other");
    default: return QStringLiteral(".*");
    }
}

bool AcceptsEntry(const QString& name, const QString& extFilter)
{
    const QString ext = LowerExtensionOf(name);
    if (extFilter == QLatin1String(".*"))
        return IsImageExtension(ext);
    if (extFilter == QLatin1String(".other")) {
        const std::optional<GraphicKind> kind = ext.isEmpty() ? std::nullopt : KindForExtension(ext.mid(1));
        return kind && IsOtherKind(*kind) && IsImageExtension(ext);
    }
    return ext == extFilter;
}

QString WithTrailingSeparator(const QString& folder)
{
    // No folder is not the root: a search must never widen to the whole file system.
    if (folder.isEmpty())
        return folder;
    qsizetype end = folder.size();
    while (end > 0 && folder[end - 1] == QLatin1Char('/'))
        --end;
    return folder.left(end) + QLatin1Char('/');
}

} // namespace SearchRules

FolderWalk::FolderWalk(Platform& platform, QString pattern, QString extFilter)
    : m_platform(platform), m_pattern(std::move(pattern)), m_extFilter(std::move(extFilter)),
      m_matchAll(m_pattern == QLatin1String("*"))
{}

bool FolderWalk::Walk(QString& path)
{
    // A relative path would be taken from whatever the working folder is now.
    if (!path.startsWith(QLatin1Char('/')))
        return true;
    return WalkAt(path);
}

bool FolderWalk::WalkAt(QString& path)
{
    ++m_entered;
    const qsizetype keep = path.size();
    // One listing serves both the matches and the sub-folders; a folder that cannot be
    // listed simply has neither.
    const auto entries = m_platform.ListDirectory(path, QStringLiteral("*"), ListFilter::All);
    if (entries) {
        for (const DirEntry& e : *entries) {
            if ((m_matchAll || MatchesWildcard(e.name, m_pattern)) && SearchRules::AcceptsEntry(e.name, m_extFilter))
                m_found.append(path + e.name);
        }
    }
    // The one chance per folder for Cancel and for closing the window to be seen.
    m_platform.ProcessMessages();
    bool go = !keepGoing || keepGoing();
    if (!entries)
        return go;
    for (const DirEntry& e : *entries) {
        if (!go)
            break;
        // A linked folder is someone else's folder: entering it could leave the chosen tree.
        if (!e.isDirectory || e.isHidden || e.isLink)
            continue;
        path += e.name;
        path += QLatin1Char('/');
        go = WalkAt(path);
        path.truncate(keep);
    }
    return go;
}
