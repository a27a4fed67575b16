// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Pictures of the kinds read through a library of their own (PNG, GIF, WebP, TIFF): what a
// reader gives, before the shared steps (colour profile to sRGB, EXIF orientation, the
// background under transparency, the final smooth reduction) that every kind goes through.
#include <cstdint>
#include <functional>
#include <QByteArray>
#include <QImage>
#include <QString>

struct RasterFacts {
    int32_t width = 0, height = 0; // as stored, before the orientation
    int bitsPerChannel = 8;        // as stored: 1, 2, 4, 8 or 16
    QString colourType;            // "palette", "grey", "grey+alpha", "RGB", "RGBA", "CMYK"
    int frames = 1;                // animation frames, or a TIFF's pages
    bool alpha = false;
    int orientation = 1; // EXIF / TIFF orientation, 1 to 8
    QByteArray iccProfile;
    // Motion: the frames' delays in milliseconds (as stored) and the loop count (0 = for ever).
    QString shot; // a camera raw file: camera, exposure time, aperture, ISO, focal length
    QList<int> delaysMs;
    int loops = 0;
};

// What a reader decoded: the first frame or page, 8 bits a channel in Format_ARGB32 (straight
// alpha), at the stored size or reduced while decoding to no less than the asked size.
// `error` is empty when the whole picture was read; otherwise `image` holds what was decoded
// before the fault (null when nothing was) and `error` the library's reason.
struct RasterImage {
    QImage image;
    QString error;
};

// Asked between rows or blocks; true stops the decoding (a page left while it decodes).
using StopAsked = std::function<bool()>;
