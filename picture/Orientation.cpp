// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/Orientation.h"
#include <algorithm>
#include <cstring>
#include <utility>

int ValidOrientation(int value)
{
    return value >= 1 && value <= 8 ? value : kOrientationAsStored;
}

OrientationSteps StepsOf(int orientation)
{
    switch (ValidOrientation(orientation)) {
    case 2: return {false, true, false};
    case 3: return {false, true, true};
    case 4: return {false, false, true};
    case 5: return {true, false, false};
    case 6: return {true, false, true};
    case 7: return {true, true, true};
    case 8: return {true, true, false};
    default: return {};
    }
}

bool SwapsSides(int orientation)
{
    return StepsOf(orientation).transpose;
}

QSize UprightSize(QSize stored, int orientation)
{
    return SwapsSides(orientation) ? stored.transposed() : stored;
}

namespace {
// Tiles of 64 x 64 pixels, so a turn reads the stored rows a few cache lines at a time
// instead of one pixel from every row.
template <size_t Bpp>
void Turn(const DibImage& src, DibImage& dst, OrientationSteps s)
{
    constexpr int32_t kTile = 64;
    for (int32_t ty = 0; ty < dst.height; ty += kTile)
        for (int32_t tx = 0; tx < dst.width; tx += kTile)
            for (int32_t y = ty; y < std::min(ty + kTile, dst.height); ++y) {
                uint8_t* out = dst.Row(y) + size_t(tx) * Bpp;
                for (int32_t x = tx; x < std::min(tx + kTile, dst.width); ++x, out += Bpp) {
                    int32_t sx = s.transpose ? y : x;
                    int32_t sy = s.transpose ? x : y;
                    if (s.mirrorX)
                        sx = src.width - 1 - sx;
                    if (s.mirrorY)
                        sy = src.height - 1 - sy;
                    std::memcpy(out, src.Row(sy) + size_t(sx) * Bpp, Bpp);
                }
            }
}
}

std::shared_ptr<DibImage> UprightDib(std::shared_ptr<DibImage> stored, int orientation)
{
    const OrientationSteps s = StepsOf(orientation);
    if (!stored || (!s.transpose && !s.mirrorX && !s.mirrorY) ||
        (stored->bitCount != 8 && stored->bitCount != 24 && stored->bitCount != 32))
        return stored;
    const DibImage& src = *stored;
    const int32_t width = s.transpose ? src.height : src.width;
    const int32_t height = s.transpose ? src.width : src.height;
    auto out = NewDib(width, height, src.bitCount);
    out->colors = src.colors;
    out->xPelsPerMeter = s.transpose ? src.yPelsPerMeter : src.xPelsPerMeter;
    out->yPelsPerMeter = s.transpose ? src.xPelsPerMeter : src.yPelsPerMeter;
    if (src.bitCount == 8)
        Turn<1>(src, *out, s);
    else if (src.bitCount == 24)
        Turn<3>(src, *out, s);
    else
        Turn<4>(src, *out, s);
    return out;
}
