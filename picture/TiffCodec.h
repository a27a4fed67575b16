// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// TIFF files through libtiff, read from memory or from a file where libtiff seeks: the first page (or a reduced-resolution copy of
// it stored in the file) in any photometric libtiff's RGBA interface knows, JPEG-compressed,
// CMYK, palette, grey and 16-bit ones included.
#include <QByteArray>
#include <QSize>
#include "picture/RasterCodec.h"

inline constexpr const char* kTiffInvalid = "TIFF image is not valid";

// The first page's facts and the number of pages (image directories). Throws
// Failure(kTiffInvalid ...) with libtiff's reason for data it cannot open, and
// Failure(kOutOfResources) for a first page beyond PictureLimits.
RasterFacts ReadTiffFacts(const QByteArray& head);
// The first page as stored (the Orientation tag is not applied). When `atLeast` is a valid size
// smaller than the page, a reduced-resolution copy following the page that still covers it is
// read instead, or the page is averaged down by a whole factor band by band as it is decoded.
// Throws as ReadTiffFacts for the header; damage behind it gives the rows decoded and the
// reason in `error`, as does `stop` ("Stopped").
RasterImage DecodeTiff(const QByteArray& data, QSize atLeast, const StopAsked& stop);
// The same from a file read where libtiff seeks, never whole.
class FileStream;
RasterFacts ReadTiffFileFacts(FileStream& file);
RasterImage DecodeTiffFile(FileStream& file, QSize atLeast, const StopAsked& stop);
