// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How a photo's stored pixels become the upright picture: the eight values of the EXIF
// Orientation tag as a mirror of the stored rows and a swap of the sides, and the turning of
// a decoded bitmap. Values outside 1..8 are taken as 1 (shown as stored).
#include <cstdint>
#include <memory>
#include <QSize>
#include "picture/DibImage.h"

inline constexpr int kOrientationAsStored = 1;

// The steps for one value, applied to the upright pixel (x, y) to find the stored one:
// with `transpose` the stored column is y and the stored row x; then `mirrorX` counts the
// column from the right and `mirrorY` the row from the bottom.
struct OrientationSteps {
    bool transpose = false;
    bool mirrorX = false;
    bool mirrorY = false;
};

int ValidOrientation(int value);
OrientationSteps StepsOf(int orientation);
// True for the values whose upright picture has the stored height as its width (5 to 8).
bool SwapsSides(int orientation);
QSize UprightSize(QSize stored, int orientation);

// The bitmap turned upright: a new bitmap of 8, 24 or 32 bits a pixel (the forms the JPEG
// decoder makes; any other is returned as it is), colour table and resolution carried over. The
// same bitmap for value 1. Throws Failure("Out of system resources") when the copy cannot be made.
std::shared_ptr<DibImage> UprightDib(std::shared_ptr<DibImage> stored, int orientation);
