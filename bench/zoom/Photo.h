// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A photo-like picture made here, the same on every machine: a landscape of sky, sun, hills,
// a lake with the hills' reflection, trees, and sensor-like noise over it all.
#include "picture/Bitmap.h"

TBitmap MakeLandscape(int width, int height);
