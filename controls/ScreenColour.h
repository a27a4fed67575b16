// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The screen's own colours. Pictures are held in sRGB; where the desktop names the display's
// profile, only what is drawn on the screen goes through it: saves, copies, prints and the
// shared thumbnail cache keep sRGB.
#include <cstdint>
#include <functional>
#include <QByteArray>
#include <QRect>

class ColourMap;
class Platform;
class QPainter;

// Takes the display's profile as the platform names it now (on the window's thread); a page
// load asks again, so a changed profile takes effect on the next page.
void UpdateScreenColour(Platform& platform);
// The mapping from sRGB to the display's colours; null for an sRGB screen.
const ColourMap* ScreenColourMap();
// Changes whenever the mapping does, for copies kept in screen colours.
uint64_t ScreenColourGeneration();
// Calls `draw` on `painter`, or, with a display profile, on a copy of `area` (in the painter's
// units, `ratio` device pixels each) that is mapped and then drawn.
void DrawForScreen(QPainter& painter, const QRect& area, qreal ratio, const std::function<void(QPainter&)>& draw);
