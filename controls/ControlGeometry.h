// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A control's bounds as the geometry rules leave them, and how it shows its picture.
#include <cstdint>

struct ControlGeometry {
    int32_t top = 0, left = 0, height = 0, width = 0;
    bool stretch = false;
    bool clientAlign = false; // fill the parent's client area
    bool autoSize = false;
};
