// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The bitmap model: a device-independent bitmap in any of the pixel formats, or the
// device-dependent (screen) form. Plain data, shared between bitmaps through
// std::shared_ptr<const DibImage> and copied before a change.
#include <cstdint>
#include <memory>
#include <vector>
#include <QByteArray>
#include <QImage>
#include "picture/PixelFormat.h"

struct RgbQuad {
    uint8_t blue = 0, green = 0, red = 0, reserved = 0;
    bool operator==(const RgbQuad&) const = default;
};

struct DibImage {
    int32_t width = 0;
    int32_t height = 0;     // always positive here; topDown tells the file order
    uint16_t bitCount = 24; // 1, 4, 8, 16, 24 or 32
    uint16_t planes = 1;
    bool device = false;     // device-dependent form: reports "Device"
    bool topDown = false;    // the file stored its rows top-down (negative height)
    bool coreHeader = false; // read from a 12-byte core-header file
    bool hasMasks = false;   // bit fields (16 and 32 bits per pixel only)
    uint32_t redMask = 0, greenMask = 0, blueMask = 0;
    int32_t xPelsPerMeter = 0, yPelsPerMeter = 0;
    std::vector<RgbQuad> colors; // colour table (at most 256 entries)
    int32_t stride = 0;          // bytes per row, a multiple of 4
    std::vector<uint8_t> bits;   // height rows of stride bytes, top row first
    // Set when read from a run-length-encoded file and unchanged since: the info
    // header, colour table and compressed data exactly as read (written back as they are).
    QByteArray rleSource;
    // Rows the reader turned from the file's embedded colour profile into sRGB: those the file
    // holds, never the rows a header declares beyond its data.
    int32_t profileMappedRows = 0;

    TPixelFormat Format() const;
    bool Monochrome() const { return planes == 1 && bitCount == 1; }
    const uint8_t* Row(int32_t y) const { return bits.data() + size_t(y) * size_t(stride); }
    uint8_t* Row(int32_t y) { return bits.data() + size_t(y) * size_t(stride); }
    // Colour of one pixel as 0xffRRGGBB (indices beyond the colour table read as black).
    uint32_t PixelRgb(int32_t x, int32_t y) const;
};

// Bytes per row padded to 4, or -1 when the size is beyond the limits.
int64_t DibStride(int64_t width, int bitCount);
// A zero-filled image of the given size and depth. Throws Failure("Out of system resources")
// when the size is beyond PictureLimits, before allocating anything large.
std::shared_ptr<DibImage> NewDib(int32_t width, int32_t height, uint16_t bitCount);
// The same check without allocating.
void CheckDibSize(int64_t width, int64_t height, int bitCount);
// The check for a picture read from a file: the bitmap and the copy DibToQImage makes to
// draw it together stay within PictureLimits::kMaxDecodedBytes, so a crafted header cannot
// make loading and drawing take more than that. Throws Failure("Out of system resources").
void CheckReadSize(int64_t width, int64_t height, int bitCount);

// For drawing: an RGB32 (or indexed) QImage showing the pixels.
QImage DibToQImage(const DibImage& dib);
// A 24-bit device-independent copy of a QImage's pixels.
std::shared_ptr<DibImage> DibFromQImage(const QImage& image);

// The 16-colour default palette and the 256-colour halftone palette of this platform.
const std::vector<RgbQuad>& DefaultPalette16();
const std::vector<RgbQuad>& HalftonePalette256();
