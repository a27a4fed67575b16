// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Geometry rules that shape an image control to its picture: thumbnails in their cells
// and pictures on the screen. Pure functions over a control's bounds so they test alone.
#include <cstdint>
#include "controls/ControlGeometry.h"

// Shrinks the control (holding its cell's bounds) to the picture's shape.
void FitThumbnail(ControlGeometry& control, int32_t pictureHeight, int32_t pictureWidth);
// The shrink factor for a picture in an area, 0 for none (10 pixels of tolerance per side).
double ScreenFitRatio(int32_t areaHeight, int32_t pictureHeight, int32_t areaWidth, int32_t pictureWidth);
// Sizes and places the control so the picture fits the area. A picture within the tolerance
// is shown at its own size, never stretched; the control keeps its alignment.
void FitToScreen(int32_t areaHeight, int32_t areaWidth, int32_t pictureHeight, int32_t pictureWidth,
                 ControlGeometry& control);
// Centres the control in the area on each side where the shown size is smaller.
void CentreInArea(int32_t areaHeight, int32_t areaWidth, int32_t shownHeight, int32_t shownWidth,
                  ControlGeometry& control);
