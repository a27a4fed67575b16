// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Where a picture lands on a printed page: scaled to the printable area with its proportions
// kept and centred ("Print Full Page"), or at one picture pixel per 1/96 inch from the
// top-left corner ("Print As Is"). Pure rules in printer pixels; no printer needed.
#include <cstdint>

// A rectangle by its edges, as a page placement is kept (right and bottom exclusive).
struct TPrintRect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    bool operator==(const TPrintRect&) const = default;
};

// The quotient a / b in extended precision (a ratio that decides an exact half keeps its digits).
long double PageRatio(long double a, long double b);

// A picture wider than high prints in landscape; a square one in portrait.
bool PrintsLandscape(int32_t pictureWidth, int32_t pictureHeight);

// Scales the picture (w, h) to the oriented page (W, H), keeping its proportions; the side
// along the paper's short edge is fitted first, and a second pass fits the other side when
// the first leaves it too long. The result goes to rect.right and rect.bottom (left and top
// stay 0); a picture already the page's size, or without area, leaves rect alone.
void ScaleToPage(TPrintRect& rect, int32_t w, int32_t h, int32_t W, int32_t H, bool landscape);

// Moves the placement to the middle of the oriented page (W, H); halves round to even.
void CentreOnPage(TPrintRect& rect, int32_t W, int32_t H);

// The unscaled placement: the picture at 96 pixels per inch from rect's top-left corner.
void PlaceAsIs(TPrintRect& rect, int32_t w, int32_t h, int32_t pixelsX, int32_t pixelsY);

// A text line of `points` at `pointScale` printer pixels per point, with a fifth for leading.
int32_t LineHeightFor(int32_t points, double pointScale);
// The text lines a page of printHeight holds, an inch kept free; 0 without a line height.
int32_t LinesPerPageFor(int32_t printHeight, int32_t pixelsY, int32_t lineHeight);

// One picture's whole placement on a printable area measured in portrait (pageWidth x
// pageHeight): its orientation and its rectangle in that orientation's printer pixels.
struct PagePlacement {
    bool landscape = false;
    TPrintRect rect;
};
PagePlacement PlacePicture(int32_t pictureWidth, int32_t pictureHeight, int32_t pageWidth, int32_t pageHeight,
                           bool toPage, int32_t pixelsX, int32_t pixelsY);
