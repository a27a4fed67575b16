// SPDX-License-Identifier: GPL-3.0-or-later
// The fixed palettes of this platform: the 16 VGA colours and a 256-entry halftone palette.
#include <cmath>
#include "picture/DibImage.h"

namespace {
RgbQuad Rgb(int r, int g, int b)
{
    RgbQuad q;
    q.red = uint8_t(r);
    q.green = uint8_t(g);
    q.blue = uint8_t(b);
    return q;
}

std::vector<RgbQuad> MakeHalftone()
{
    // Black and white first, so the 1-bit colour table taken from its first two entries
    // is black and white; then the rest of a 6x6x6 colour cube and 40 greys in between
    // the cube's own six grey levels.
    std::vector<RgbQuad> p;
    p.reserve(256);
    p.push_back(Rgb(0, 0, 0));
    p.push_back(Rgb(255, 255, 255));
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b) {
                if ((r == 0 && g == 0 && b == 0) || (r == 5 && g == 5 && b == 5))
                    continue;
                p.push_back(Rgb(r * 51, g * 51, b * 51));
            }
    for (int k = 1; k <= 40; ++k) {
        const int v = int(std::lround(k * 255.0 / 41.0));
        p.push_back(Rgb(v, v, v));
    }
    return p;
}
}

const std::vector<RgbQuad>& DefaultPalette16()
{
    static const std::vector<RgbQuad> palette = {
        Rgb(0, 0, 0),     Rgb(128, 0, 0),     Rgb(0, 128, 0),     Rgb(128, 128, 0),   Rgb(0, 0, 128), Rgb(128, 0, 128),
        Rgb(0, 128, 128), Rgb(192, 192, 192), Rgb(128, 128, 128), Rgb(255, 0, 0),     Rgb(0, 255, 0), Rgb(255, 255, 0),
        Rgb(0, 0, 255),   Rgb(255, 0, 255),   Rgb(0, 255, 255),   Rgb(255, 255, 255),
    };
    return palette;
}

const std::vector<RgbQuad>& HalftonePalette256()
{
    static const std::vector<RgbQuad> palette = MakeHalftone();
    return palette;
}
