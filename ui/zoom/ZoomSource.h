// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The pixels of the zoom window's base bitmap and how any part of the zoomed picture is made
// from them. The zoomed picture is never made whole: a paint draws only the part it shows,
// enlarged (bilinear) from the base, or reduced by area averaging from the base (down to a
// quarter) or from a reduced copy at most twice the shown size. Memory stays at the base bitmap
// plus the reduced copies (a fifteenth of the base together), the strips of one paint, and
// whatever the caller draws into.
#include <cstdint>
#include <memory>
#include <vector>
#include <QImage>
#include <QRect>
#include "picture/Bitmap.h"

class QPainter;
class QThreadPool;

class ZoomSource {
public:
    ZoomSource();
    ~ZoomSource();
    ZoomSource(const ZoomSource&) = delete;
    ZoomSource& operator=(const ZoomSource&) = delete;

    // The base: shared, not copied, when it is a 32-bit bitmap whose fourth byte is 255 (see
    // OpaqueBitmap32); any other bitmap is converted to that form first.
    void SetBase(const TBitmap& base);
    // True when `base` is the bitmap drawn from.
    bool Holds(const TBitmap& base) const { return m_dib && (m_dib == base.SharedDib() || m_from == base.SharedDib()); }
    void Clear();
    bool Empty() const { return m_base.isNull(); }
    // Changes with every new base (and Clear): what was drawn before is stale.
    uint64_t Generation() const { return m_generation; }
    QSize BaseSize() const { return m_base.size(); }

    // Draws the part `area` of the base zoomed to `zoomed` (both in zoomed pixels) with
    // area's top-left corner at `at` in the painter's coordinates.
    void Render(QPainter& painter, QSize zoomed, const QRect& area, QPoint at) const;
    // The same part as a 32-bit image of area's size (white beyond the picture).
    QImage Region(QSize zoomed, const QRect& area) const;

private:
    // The copy at 1 / 2^level: level 0 is the base, levels 2 and below the stored copies.
    int LevelFor(double scale) const;
    QSize LevelSize(int level) const;
    // One strip of a reduction (any thread; touches nothing but its result).
    QImage ReducedStrip(int level, double unitX, double unitY, const QRect& strip) const;
    void DrawEnlarged(QPainter& painter, double unitX, double unitY, const QRect& area, QPoint at) const;

    std::shared_ptr<const DibImage> m_dib;  // keeps m_base's pixels alive
    std::shared_ptr<const DibImage> m_from; // the bitmap m_dib was converted from, if it was
    QImage m_base;                          // read-only view of m_dib's pixels
    std::vector<QImage> m_levels;           // 1/4, 1/8, ... while a side stays above 16
    // Helpers that make a reduction's strips beside the painting thread, made on first need.
    mutable std::unique_ptr<QThreadPool> m_helpers;
    uint64_t m_generation = 0;
};

// The bitmap as 32 bits a pixel with the fourth byte 255: the form the zoom window keeps
// its base in, since it is drawn from without a copy.
TBitmap OpaqueBitmap32(const TBitmap& bitmap);
// A 32-bit image's pixels in that form.
TBitmap OpaqueBitmap32(const QImage& image);
// True for a bitmap already in that form.
bool IsOpaqueBitmap32(const DibImage& dib);
