// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Camera raw files (DNG, CR2, CR3, NEF, ARW, ORF, RW2, RAF, PEF, SRW) through LibRaw. A view
// that a preview serves takes the largest preview the camera embedded (decoded by our JPEG
// reader at the scale that covers it); the whole picture is LibRaw's development: its default
// demosaic, the camera's white balance, sRGB, 8 bits.
#include <QByteArray>
#include <QSize>
#include "picture/RasterCodec.h"

inline constexpr const char* kRawInvalid = "Camera raw image is not valid";

// The developed picture's size as stored, the camera's orientation, colours ("Bayer" and the
// sensor's bits) and the shot: camera, exposure time, aperture, ISO and focal length.
// Throws Failure(kRawInvalid ...) for data LibRaw does not take, Failure(kOutOfResources) for
// a sensor beyond PictureLimits.
RasterFacts ReadRawFacts(const QByteArray& head);
// `atLeast` valid: the preview when it covers that size (and is no larger than the picture),
// else the development (at half size when that still covers it); invalid: the development.
RasterImage DecodeRaw(const QByteArray& data, QSize atLeast, const StopAsked& stop);

// The same from a file read in pieces, for a page cell: the facts (in `*facts`) and a preview
// that serves never need the file whole; the development reads it whole, as DecodeRaw does.
class FileStream;
RasterFacts ReadRawFileFacts(FileStream& file);
RasterImage DecodeRawFile(FileStream& file, QSize atLeast, const StopAsked& stop, RasterFacts* facts);
