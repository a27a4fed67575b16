// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/common/Geometry.h"
#include "picture/Numbers.h"

void FitThumbnail(ControlGeometry& c, int32_t h, int32_t w)
{
    if (h < c.height && w < c.width) {
        c.stretch = false; // small enough: shown at its own size, centred by the control
        return;
    }
    c.stretch = true;
    const double rH = h < w ? double(h) / double(w) : 1.0;
    const double rW = w < h ? double(w) / double(h) : 1.0;
    const int32_t base = h >= w ? c.height : c.width;
    const int32_t newHeight = Trunc(static_cast<long double>(base) * rH);
    const int32_t newWidth = Trunc(static_cast<long double>(base) * rW);
    if (h >= w)
        c.left += Trunc((c.width - newWidth) / 2.0L);
    else
        c.top += Trunc((c.height - newHeight) / 2.0L);
    c.height = newHeight;
    c.width = newWidth;
}

double ScreenFitRatio(int32_t areaHeight, int32_t h, int32_t areaWidth, int32_t w)
{
    // Quotients in extended precision, stored as doubles.
    const double rH = h > areaHeight + 10 ? double(static_cast<long double>(areaHeight) / h) : 0.0;
    const double rW = w > areaWidth + 10 ? double(static_cast<long double>(areaWidth) / w) : 0.0;
    if (rH == 0.0)
        return rW;
    if (rW == 0.0)
        return rH;
    return rW < rH ? rW : rH;
}

void FitToScreen(int32_t areaHeight, int32_t areaWidth, int32_t h, int32_t w, ControlGeometry& c)
{
    if (h < areaHeight && w < areaWidth) {
        c.clientAlign = true;
        c.stretch = false;
        return;
    }
    c.top = 0;
    c.left = 0;
    const double r = ScreenFitRatio(areaHeight, h, areaWidth, w);
    if (r != 0.0) {
        c.clientAlign = false;
        c.autoSize = false;
        c.stretch = true;
        const int32_t newHeight = Round(static_cast<long double>(h) * r);
        const int32_t newWidth = Round(static_cast<long double>(w) * r);
        c.height = newHeight;
        c.width = newWidth;
        if (newHeight > areaHeight + 10 || newWidth > areaWidth + 10)
            FitToScreen(areaHeight, areaWidth, newHeight, newWidth, c);
        CentreInArea(areaHeight, areaWidth, newHeight, newWidth, c);
    } else {
        c.height = areaHeight;
        c.width = areaWidth;
        // Shown at its own size: an earlier picture's stretch must not carry over.
        c.stretch = false;
        CentreInArea(areaHeight, areaWidth, h, w, c);
    }
}

void CentreInArea(int32_t areaHeight, int32_t areaWidth, int32_t h, int32_t w, ControlGeometry& c)
{
    if (h < areaHeight) {
        const int32_t t = Round((areaHeight - h) / 2.0L);
        if (t > 0)
            c.top = t;
    }
    if (w < areaWidth) {
        const int32_t l = Round((areaWidth - w) / 2.0L);
        if (l > 0)
            c.left = l;
    }
}
