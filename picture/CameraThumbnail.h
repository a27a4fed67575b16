// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Camera and phone JPEGs carry a small copy of the photo in their EXIF data (usually 160 x 120).
// A page cell no larger than that copy, and of the photo's shape, is made from it: a few
// kilobytes decoded instead of megapixels.
#include <QByteArray>
#include <QImage>
#include <QSize>
#include "picture/JpegCodec.h"

// The first bytes of a JPEG file that hold its EXIF segment in the usual layout (an APP0 and
// an APP1 segment, each at most 64 KiB, after the start marker).
inline constexpr qsizetype kExifHeadBytes = 2 + 2 * (64 * 1024);

// The EXIF thumbnail of the JPEG whose first bytes (or all of them) are `head`, turned and
// colour-mapped as the photo is shown, when it covers `target` and its shape is the photo's
// within 1 %; else a null image (never throws).
QImage CellFromExifThumbnail(const QByteArray& head, QSize target, const JpegDecodeOptions& options);
