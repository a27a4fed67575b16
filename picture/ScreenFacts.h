// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The few screen facts the picture layer needs, handed to it at start (and by tests)
// instead of being read from a display.
#include <cstdint>
#include <functional>

struct ScreenFacts {
    int bitsPerPixel = 32; // bits per pixel times planes
    int iconWidth = 32;    // system icon size
    int iconHeight = 32;
    std::function<uint32_t()> tick; // millisecond tick for progress throttling; steady clock when empty
};

const ScreenFacts& Screen();
void SetScreenFacts(const ScreenFacts& facts);
uint32_t ScreenTick();
