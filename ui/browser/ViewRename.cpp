// SPDX-License-Identifier: GPL-3.0-or-later
// Rename (F2, the popup's "Rename"): the chosen thumbnail's file gets a new name in its folder;
// the list, the page and the shared thumbnail cache follow it.
#include <QAction>
#include <QDir>
#include <QListWidget>
#include "controls/ImageControl.h"
#include "picture/ThumbnailCache.h"
#include "platform/Platform.h"
#include "ui/browser/Viewmain.h"
#include "ui/dialogs/Rename.h"

void TViewForm::mniRenameClick()
{
    RenameEntry(ImageInfo.FileName);
}

void TViewForm::RenameEntry(const QString& entry)
{
    if (entry.isEmpty() || TurnUnderWay())
        return;
    const QString from = QDir(m_platform.CurrentFolder()).absoluteFilePath(FullPath(entry));
    const QString folder = from.left(from.lastIndexOf(QLatin1Char('/')) + 1);
    QString renamed;
    TRenameForm form(this, m_platform, from.mid(folder.size()), [&](const QString& name) {
        QString why;
        if (!m_platform.RenameFile(from, folder + name, why))
            return why + QLatin1Char('.');
        renamed = folder + name;
        return QString();
    });
    m_platform.ShowModal(form);
    if (renamed.isEmpty())
        return;
    if (const std::optional<ThumbnailCache> cache = ThumbnailCache::ForUser())
        cache->Follow(from, renamed);
    QString newEntry = renamed.mid(folder.size());
    if (SearchMode) {
        newEntry = renamed;
        auto* results = pnlSearch->findChild<QListWidget*>(QStringLiteral("lbxFileSearch"));
        for (QListWidgetItem* item : results->findItems(entry, Qt::MatchExactly))
            item->setText(renamed);
    }
    ReloadAround(newEntry);
}
