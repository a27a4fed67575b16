// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// GIF files through giflib: the logical screen, the frames' delays and loop count, and the
// first frame on the screen, reduced while decoding when a smaller size is asked.
#include <QByteArray>
#include <QSize>
#include "picture/RasterCodec.h"

inline constexpr const char* kGifInvalid = "GIF image is not valid";

// The facts of the screen and of the frames `head` holds (counted up to kMaxGifFrames; a
// truncated or damaged block ends the count). Throws Failure(kGifInvalid...) for a damaged
// signature or screen and Failure(kOutOfResources) for a screen beyond the limits.
RasterFacts ReadGifFacts(const QByteArray& head);
// The first frame over a transparent screen, as RasterImage says; throws only as
// ReadGifFacts does, for the header.
RasterImage DecodeGif(const QByteArray& data, QSize atLeast, const StopAsked& stop);
