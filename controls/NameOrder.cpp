// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/NameOrder.h"
#include <algorithm>

bool NameLess(const QString& a, const QString& b)
{
    const int c = QString::compare(a, b, Qt::CaseInsensitive);
    if (c != 0)
        return c < 0;
    return QString::compare(a, b, Qt::CaseSensitive) < 0;
}

QStringList VisibleSortedNames(const std::vector<DirEntry>& entries)
{
    QStringList names;
    names.reserve(qsizetype(entries.size()));
    for (const DirEntry& e : entries)
        if (!e.isHidden && !e.name.startsWith(QLatin1Char('.')))
            names.append(e.name);
    std::sort(names.begin(), names.end(), NameLess);
    return names;
}
