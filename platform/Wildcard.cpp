// SPDX-License-Identifier: GPL-3.0-or-later
// File-name wildcard matching in the old desktop manner: "*" is any run of characters,
// "?" exactly one, everything else literal, letter case ignored.
#include "platform/Platform.h"

#include <QList>

namespace {

using CodePoints = QList<uint>;

// Greedy match with one remembered "*": on a mismatch the last "*" swallows one more
// character. Time is bounded by name length times pattern length; no recursion.
bool MatchFolded(const CodePoints& name, qsizetype nameEnd, const CodePoints& pat, qsizetype patEnd)
{
    qsizetype n = 0, p = 0;
    qsizetype starP = -1, starN = 0;
    while (n < nameEnd) {
        if (p < patEnd && pat[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < patEnd && (pat[p] == '?' || pat[p] == name[n])) {
            ++n;
            ++p;
        } else if (starP >= 0) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < patEnd && pat[p] == '*')
        ++p;
    return p == patEnd;
}

} // namespace

bool MatchesWildcard(const QString& name, const QString& pattern)
{
    // Code points, so that "?" takes a whole character even outside the basic plane.
    const CodePoints n = name.toCaseFolded().toUcs4();
    const CodePoints p = pattern.toCaseFolded().toUcs4();
    if (MatchFolded(n, n.size(), p, p.size()))
        return true;
    // A trailing ".*" also admits a name without that extension, so "*.*" matches every
    // name and "readme.*" matches "readme".
    const qsizetype len = p.size();
    return len >= 2 && p[len - 2] == '.' && p[len - 1] == '*' && MatchFolded(n, n.size(), p, len - 2);
}

bool MatchesMask(const QString& name, const QString& mask)
{
    // Blanks around an entry are a typing habit, not part of the pattern; empty entries match nothing.
    for (const QStringView part : QStringView(mask).split(u';')) {
        const QStringView pattern = part.trimmed();
        if (!pattern.isEmpty() && MatchesWildcard(name, pattern.toString()))
            return true;
    }
    return false;
}
