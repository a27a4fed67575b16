// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// JPEG XL files through libjxl: bare codestreams and the container, lossy and lossless; an
// animation shows its first frame.
#include <QByteArray>
#include <QSize>
#include "picture/RasterCodec.h"

inline constexpr const char* kJxlInvalid = "JPEG XL image is not valid";

bool IsJxlContent(const QByteArray& head);

// The facts of the codestream's header: size as stored, bits, alpha, frames (one, or "more"
// for an animation: counting them would decode it), the colour profile of the decoded pixels
// and the orientation (the codestream's own; the EXIF box's when the codestream says none).
// Throws Failure(kJxlInvalid ...) for data that are not JPEG XL or end before the header, and
// Failure(kOutOfResources) for a picture beyond PictureLimits.
RasterFacts ReadJxlFacts(const QByteArray& head);
// The first frame as stored (not turned), 8 bits a channel. Reduced to no less than `atLeast`
// when asked: a lossy picture whose 1:8 stage covers that size is taken from that stage alone.
// A file cut short gives what was decoded before its end.
RasterImage DecodeJxl(const QByteArray& data, QSize atLeast, const StopAsked& stop);
