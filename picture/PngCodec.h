// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// PNG files through libspng: the facts of the header chunks and the first image, 8 bits a
// channel, reduced while decoding when a smaller size is asked.
#include <QByteArray>
#include <QSize>
#include "picture/RasterCodec.h"

inline constexpr const char* kPngInvalid = "PNG image is not valid";

// The facts of the chunks `head` holds (it may end anywhere after the image header). Throws
// Failure(kPngInvalid) when the signature or image header is damaged and
// Failure(kOutOfResources) for a size beyond the limits.
RasterFacts ReadPngFacts(const QByteArray& head);
// The image, as RasterImage says; throws only as ReadPngFacts does, for the header.
RasterImage DecodePng(const QByteArray& data, QSize atLeast, const StopAsked& stop);
// The same from a file read in pieces, so it is never held whole. An EXIF orientation found
// after the pixels is put in `*orientation`.
class FileStream;
RasterImage DecodePngStream(FileStream& file, QSize atLeast, const StopAsked& stop, int* orientation);
// True when `head` (a PNG file's start) reaches the first pixel chunk: every chunk that
// comes before the pixels (the colour profile among them) is within it.
bool PngPixelsWithin(const QByteArray& head);
