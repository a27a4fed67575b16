// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a page cell knows of its picture file from the file's header.
#include <cstdint>
#include <QString>
#include "picture/Bitmap.h"
#include "picture/Graphic.h"

struct ThumbnailFacts {
    GraphicKind source = GraphicKind::Jpeg;          // the kind the file is read as (its bytes' kind)
    int32_t width = 0, height = 0;                   // the picture's upright size (0 x 0 for a JPEG file of no bytes)
    int orientation = 1;                             // JPEG header: the EXIF orientation
    bool grayscale = false;                          // JPEG header
    bool multiScan = false;                          // JPEG header: progressive
    bool decoded = false;                            // the rest is known once the file was decoded
    TPixelFormat pixelFormat = TPixelFormat::Device; // bitmap
    bool monochrome = false;                         // bitmap
    // Bits a channel and colour type as stored; a PNG, GIF, WebP, TIFF header's frames or
    // pages; the kind its bytes are when the extension says another.
    int bitsPerChannel = 0;
    QString colourType;
    int frames = 1;
    QString shot;                                 // a camera raw file: the camera and the exposure
    GraphicKind content = GraphicKind::Thumbnail; // Thumbnail: as the extension says
};
