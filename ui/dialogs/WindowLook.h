// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Small helpers the help, about and goodbye windows share: fonts with close stand-ins for
// faces a desktop may lack, the button-face background, and outer (frame) sizes.
#include <QFont>
#include <QSize>
#include <QStringList>

class QWidget;
class Platform;

// A font of the given character height in pixels. The first family the desktop has wins;
// a generic sans-serif face ends the list, so a missing face never fails.
QFont DesignFont(const QStringList& families, int pixelHeight, bool bold, int weight = -1);
QFont ArialFont(int pixelHeight, bool bold);
QFont ArialBlackFont(int pixelHeight);

// Gives a window the desktop's button-face colour as its background.
void UseButtonFace(QWidget& window, Platform& platform);

// What the desktop's frame adds to a window (title bar and borders); zero where the
// window has no frame yet or none at all (offscreen, a bare X server).
QSize FrameExtra(const QWidget& window);
// Fixes a window's outer size: the frame counts, the client area gets the rest.
void SetOuterSize(QWidget& window, QSize outer);
