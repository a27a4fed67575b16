// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Whether a window manager frames windows on this display: a window shown while it is still
// starting may be passed over, so a probe window is shown again until one is framed.
#include <QTest>
#include <QWidget>

inline bool WindowManagerFrames()
{
    QWidget probe;
    probe.resize(100, 100);
    for (int attempt = 0; attempt < 15; ++attempt) {
        probe.show();
        const bool framed = QTest::qWaitFor([&] { return probe.frameGeometry().height() > probe.height(); }, 2000);
        probe.hide();
        if (framed)
            return true;
    }
    return false;
}
