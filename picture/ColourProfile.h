// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Embedded colour profiles (ICC): the colours a file means, turned into sRGB, the colours
// pictures are held in; and sRGB turned into a display's own, for drawing on it. Little CMS does the work for every kind of RGB profile (v2 and v4, matrix and curves
// or tables), with the perceptual intent.
#include <memory>
#include <QByteArray>
#include <QImage>
#include "picture/DibImage.h"

// Profiles beyond this size are not read.
inline constexpr qsizetype kMaxColourProfile = 4 << 20;

// One picture's mapping to sRGB, made once per profile and shared between threads.
class ColourMap {
public:
    struct Transforms;
    explicit ColourMap(std::shared_ptr<const Transforms> t) : transforms_(std::move(t)) {}
    // `count` pixels in place: blue, green, red bytes, with a fourth byte kept when `step` is 4.
    void MapBgr(uint8_t* pixels, int count, int step) const;
    // An RGB32 or ARGB32 picture, row by row (other forms are left as they are).
    void MapImage(QImage& image) const;
    // Only `part` of it.
    void MapImage(QImage& image, const QRect& part) const;
    QRgb Map(QRgb colour) const;

private:
    std::shared_ptr<const Transforms> transforms_;
};

// The mapping for a picture with this embedded profile; none when there is no profile, it is
// sRGB's, or it is damaged, too large or not an RGB one.
std::shared_ptr<const ColourMap> ProfileToSrgb(const QByteArray& icc);
// From sRGB to a display's colours; none as above (an sRGB display needs nothing).
std::shared_ptr<const ColourMap> SrgbToProfile(const QByteArray& icc);
// Maps a 24-bit bitmap's pixels or an 8-bit bitmap's colour table.
void MapDibToSrgb(const ColourMap& map, DibImage& dib);
