// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/ScreenFacts.h"
#include <chrono>

static ScreenFacts g_screen;

const ScreenFacts& Screen()
{
    return g_screen;
}

void SetScreenFacts(const ScreenFacts& facts)
{
    g_screen = facts;
}

uint32_t ScreenTick()
{
    if (g_screen.tick)
        return g_screen.tick();
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}
