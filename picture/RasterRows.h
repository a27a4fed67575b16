// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the PNG and GIF readers share: the size check before anything is allocated, and the
// output image filled row by row, reduced by box averages as the rows arrive.
#include <cstdint>
#include <vector>
#include <QImage>
#include <QSize>

// Throws Failure(invalidText) for a zero side and Failure(kOutOfResources) for a side beyond
// kMaxSide or more than kMaxDecodedBytes at 4 bytes a pixel.
void CheckRasterSize(int64_t width, int64_t height, const char* invalidText);

// The integer reduction for a picture asked at no less than `atLeast` (1 when it is not a
// valid size or not smaller).
int ReduceFactor(QSize full, QSize atLeast);

// Takes the full-size rows in order, top to bottom, and keeps only the output: each output
// pixel the average of a factor x factor block (edge blocks of what they hold), its colour
// weighted by alpha. The image is transparent where no row has reached.
class RowReducer {
public:
    // Throws Failure(kOutOfResources) when the output cannot be allocated.
    RowReducer(int width, int height, int factor);
    // The next full-size row: `width` straight-alpha pixels, as ARGB32 or as RGBA bytes.
    void AddRow(const QRgb* row);
    void AddRgbaRow(const uint8_t* row);
    // The output, with a block only partly reached averaged from the rows it got.
    QImage Finish();
    int RowsAdded() const { return m_rows; }

private:
    // Adds a row whose pixel x is `get(x, r, g, b, a)`.
    template <class Get>
    void AddPixels(const Get& get);
    void FlushBand();

    int m_width, m_height, m_factor;
    int m_rows = 0;     // full-size rows taken
    int m_bandRows = 0; // of them, in the band not yet written
    QImage m_image;
    // Per output column: sum of alpha, of red, green, blue weighted by alpha, and pixel count.
    std::vector<uint64_t> m_sums;
};
