// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shortening a path for a narrow label by putting "..." (three periods, never the single
// ellipsis character) in its middle.
#include <QString>

class QFontMetrics;

// The path itself when it fits `width` pixels; else as much of its start as fits, "...", and
// its last component (from the last "/") whole. When even "..." and the last component do not
// fit, "..." and as much of the path's end as fits.
QString ElidePathMiddle(const QString& path, const QFontMetrics& metrics, int width);
