// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The application's font at another point size until the scope is left, for windows made
// meanwhile (a desktop's larger fonts).
#include <QApplication>
#include "base/ScopeExit.h"

inline auto ApplicationFontAt(qreal points)
{
    const QFont was = QApplication::font();
    QFont font = was;
    font.setPointSizeF(points);
    QApplication::setFont(font);
    return ScopeExit([was] { QApplication::setFont(was); });
}
