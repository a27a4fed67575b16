// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// HEIF files through libheif: HEIC (HEVC) and AVIF (AV1) pictures from phones and cameras.
// The primary image is shown, turned and mirrored as the file's own properties say (or by its
// EXIF orientation when it has none of those, never both); depth and auxiliary images are
// left alone.
#include <QByteArray>
#include <QSize>
#include "picture/RasterCodec.h"

inline constexpr const char* kHeifInvalid = "HEIF image is not valid";

// True for bytes starting with an ISO media file type box whose brands are HEIF or AVIF
// pictures; `avif` tells the AV1 kinds apart.
bool IsHeifContent(const QByteArray& head, bool* avif = nullptr);

// The primary image's facts, its size as shown (turned). `head` holds at least the file's
// metadata box. Throws Failure(kHeifInvalid ...) for data that are not such a picture and
// Failure(kOutOfResources) for a picture beyond PictureLimits.
RasterFacts ReadHeifFacts(const QByteArray& head);
// The primary image, 8 bits a channel, turned as shown (orientation 1 in the facts unless the
// EXIF orientation is to be applied). Where the file holds a thumbnail of at least
// `atLeast`, that is decoded instead.
RasterImage DecodeHeif(const QByteArray& data, QSize atLeast, const StopAsked& stop);
