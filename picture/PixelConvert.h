// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Pixel access and conversion between the bitmap model's forms: reading rows as RGB,
// writing RGB into any depth (nearest colour for colour tables), and the new images that
// pixel-format, monochrome and size changes produce.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>
#include "picture/DibImage.h"

// One colour channel of a bit-field mask: where it sits and how wide it is.
struct MaskChannel {
    explicit MaskChannel(uint32_t mask = 0);
    // The channel of a pixel value scaled to 8 bits (narrow channels by bit replication).
    uint8_t Extract(uint32_t pixel) const;
    // An 8-bit channel value placed into the mask (narrow channels keep the top bits).
    uint32_t Insert(uint8_t value) const;

    uint32_t mask = 0;
    int shift = 0;
    int bits = 0; // width from the lowest to the highest set bit
};

// The masks an image's 16- and 32-bit pixels use: its own, or 5-5-5 / 8-8-8 without them.
void EffectiveMasks(const DibImage& dib, uint32_t* red, uint32_t* green, uint32_t* blue);

// Maps colours to the nearest entry (squared RGB distance, lowest index on ties) of a table
// of at most 256 colours. Caches answers, so whole images map quickly.
class NearestColor {
public:
    explicit NearestColor(const std::vector<RgbQuad>& table);
    uint8_t Find(uint32_t rgb);

private:
    const std::vector<uint8_t>& Candidates(int cell);

    std::vector<RgbQuad> m_table;
    std::vector<std::vector<uint8_t>> m_cells; // 16x16x16 cells, candidate entries each
    std::vector<bool> m_cellReady;
    std::vector<uint32_t> m_cacheKey; // direct-mapped cache of exact answers
    std::vector<uint8_t> m_cacheValue;
};

// Reads rows of any depth as 0xffRRGGBB values; indices beyond the colour table read as black.
class PixelReader {
public:
    explicit PixelReader(const DibImage& dib);
    void ReadRow(int32_t y, uint32_t* out) const;

private:
    const DibImage& m_dib;
    std::array<uint32_t, 256> m_table {};
    std::array<std::vector<uint8_t>, 3> m_lut; // per channel, when 8 bits or narrower
    MaskChannel m_channels[3];
};

// Writes rows of 0xffRRGGBB values into any depth.
class PixelWriter {
public:
    explicit PixelWriter(DibImage& dib);
    void WriteRow(int32_t y, const uint32_t* in);
    // The stored form of one colour: an index, or a packed 16/24/32-bit value.
    uint32_t Encode(uint32_t rgb);

private:
    DibImage& m_dib;
    std::unique_ptr<NearestColor> m_nearest;
    MaskChannel m_channels[3];
};

// Copies every pixel of src into dst (same width and height), mapping into dst's form.
void CopyPixels(const DibImage& src, DibImage& dst);

// An empty (zero-filled) image of the screen's own form: 32 bits without masks on screens
// of more than 8 bits per pixel, else 8 bits with the halftone palette.
std::shared_ptr<DibImage> NewDeviceDib(int32_t width, int32_t height);
// A device-dependent monochrome image: 1 bit, black (0) and white (1).
std::shared_ptr<DibImage> NewMonochromeDib(int32_t width, int32_t height);

// The pixels of src in a pixel format; 1 bit is always black and white, each pixel by its
// brightness. Throws Failure("Invalid pixel format") for Custom.
std::shared_ptr<DibImage> ConvertDib(const DibImage& src, TPixelFormat target);
// The pixels of src as a device-dependent monochrome image (nearest of black and white).
std::shared_ptr<DibImage> MonochromeDib(const DibImage& src);
// src in the screen's own form.
std::shared_ptr<DibImage> DeviceDib(const DibImage& src);
// A new image of the given size in src's form with src's pixels at its top-left corner,
// the rest filled with `fill` (0xRRGGBB).
std::shared_ptr<DibImage> ResizeDib(const DibImage& src, int32_t width, int32_t height, uint32_t fill);
