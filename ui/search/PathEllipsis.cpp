// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/search/PathEllipsis.h"

#include <QFontMetrics>

namespace {

const QString kDots = QStringLiteral("...");

// The largest n in [0, limit] for which fits(n) holds, fits being true at 0 and monotone.
template <class Fits>
qsizetype LargestFitting(qsizetype limit, Fits fits)
{
    qsizetype lo = 0, hi = limit;
    while (lo < hi) {
        const qsizetype mid = lo + (hi - lo + 1) / 2;
        if (fits(mid))
            lo = mid;
        else
            hi = mid - 1;
    }
    return lo;
}

// A cut must not split a surrogate pair.
QString Head(const QString& s, qsizetype n)
{
    if (n > 0 && n < s.size() && s[n - 1].isHighSurrogate())
        --n;
    return s.left(n);
}

QString Tail(const QString& s, qsizetype n)
{
    if (n > 0 && n < s.size() && s[s.size() - n].isLowSurrogate())
        --n;
    return s.right(n);
}

} // namespace

QString ElidePathMiddle(const QString& path, const QFontMetrics& metrics, int width)
{
    const auto fits = [&](const QString& text) { return metrics.horizontalAdvance(text) <= width; };
    if (fits(path))
        return path;
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString last = slash >= 0 ? path.mid(slash) : path;
    if (slash > 0 && fits(kDots + last)) {
        const QString head = path.left(slash);
        const qsizetype n =
            LargestFitting(head.size(), [&](qsizetype k) { return fits(Head(head, k) + kDots + last); });
        return Head(head, n) + kDots + last;
    }
    const qsizetype n = LargestFitting(path.size(), [&](qsizetype k) { return fits(kDots + Tail(path, k)); });
    return kDots + Tail(path, n);
}
