// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/print/Placement.h"
#include <algorithm>
#include <cmath>
#include <limits>
#include "picture/Numbers.h"

namespace {
// A scaled side can pass 32 bits before the second pass brings it back to the page (a thin
// picture on a large page at a high resolution), so the working sizes are 64-bit.
int64_t Round64(long double x)
{
    return static_cast<int64_t>(std::nearbyintl(x));
}
int32_t Clamp32(int64_t v)
{
    return static_cast<int32_t>(
        std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}
}

long double PageRatio(long double a, long double b)
{
    return a / b;
}

bool PrintsLandscape(int32_t pictureWidth, int32_t pictureHeight)
{
    return pictureWidth > pictureHeight;
}

void ScaleToPage(TPrintRect& rect, int32_t width, int32_t height, int32_t W, int32_t H, bool landscape)
{
    if (width <= 0 || height <= 0 || W <= 0 || H <= 0)
        return; // nothing to scale: the placement stays the page
    int64_t w = width, h = height;
    // Each pass leaves one side equal to the page, so two passes suffice; the bound guards
    // against a rounding that would otherwise go round for ever.
    for (int pass = 0; pass < 4; ++pass) {
        double r = 0; // stored as a double, the products formed in extended precision
        if (landscape) {
            if (w != W)
                r = double(PageRatio(W, w));
            if (h != H)
                r = double(PageRatio(H, h));
        } else {
            if (h != H)
                r = double(PageRatio(H, h));
            if (w != W)
                r = double(PageRatio(W, w));
        }
        if (r == 0)
            return;
        h = Round64(static_cast<long double>(r) * h);
        w = Round64(static_cast<long double>(w) * r);
        rect.bottom = Clamp32(h);
        rect.right = Clamp32(w);
        if (h <= H && w <= W)
            return;
    }
}

void CentreOnPage(TPrintRect& rect, int32_t W, int32_t H)
{
    if (W > rect.right) {
        const int32_t d = Round(PageRatio(W - rect.right, 2));
        rect.left += d;
        rect.right += d;
    }
    if (H > rect.bottom) {
        const int32_t d = Round(PageRatio(H - rect.bottom, 2));
        rect.top += d;
        rect.bottom += d;
    }
}

void PlaceAsIs(TPrintRect& rect, int32_t w, int32_t h, int32_t pixelsX, int32_t pixelsY)
{
    rect.right = Clamp32(Round64(PageRatio(static_cast<long double>(w) * pixelsX, 96)) + rect.left);
    rect.bottom = Clamp32(Round64(PageRatio(static_cast<long double>(h) * pixelsY, 96)) + rect.top);
}

int32_t LineHeightFor(int32_t points, double pointScale)
{
    const int32_t height = Round(static_cast<long double>(points) * pointScale);
    return height + Round(static_cast<long double>(height) * 0.2);
}

int32_t LinesPerPageFor(int32_t printHeight, int32_t pixelsY, int32_t lineHeight)
{
    if (lineHeight <= 0)
        return 0;
    return Round(PageRatio(printHeight - pixelsY, lineHeight)) - 1;
}

PagePlacement PlacePicture(int32_t pictureWidth, int32_t pictureHeight, int32_t pageWidth, int32_t pageHeight,
                           bool toPage, int32_t pixelsX, int32_t pixelsY)
{
    PagePlacement placement;
    placement.landscape = PrintsLandscape(pictureWidth, pictureHeight);
    // Portrait measurements turned for landscape: they were taken before the page turned.
    const int32_t W = placement.landscape ? pageHeight : pageWidth;
    const int32_t H = placement.landscape ? pageWidth : pageHeight;
    // The whole oriented page to start from. (Starting from the portrait measurements would
    // leave a landscape picture that already has the page's size standing on end.)
    placement.rect = TPrintRect {0, 0, W, H};
    if (toPage) {
        ScaleToPage(placement.rect, pictureWidth, pictureHeight, W, H, placement.landscape);
        CentreOnPage(placement.rect, W, H);
    } else {
        PlaceAsIs(placement.rect, pictureWidth, pictureHeight, pixelsX, pixelsY);
    }
    return placement;
}
