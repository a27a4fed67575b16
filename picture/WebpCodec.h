// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// WebP files through libwebp and its demux library: still pictures (lossy, lossless, with
// alpha) and animations, whose first frame is shown.
#include <QByteArray>
#include <QSize>
#include "picture/RasterCodec.h"

inline constexpr const char* kWebpInvalid = "WebP image is not valid";

// The facts of the file's header and chunks: canvas size, alpha, frames with their delays and
// the loop count, the ICC profile and the EXIF orientation. `head` may be the file's start
// only: frames beyond it are not counted. Throws Failure(kWebpInvalid ...) for data that are
// not WebP and Failure(kOutOfResources) for a canvas beyond PictureLimits.
RasterFacts ReadWebpFacts(const QByteArray& head);
// The first frame on its canvas, reduced while decoding to no less than `atLeast` (when that is
// a valid size smaller than the picture) for a still picture or a first frame that covers the
// whole canvas. Throws as ReadWebpFacts for the header; damage behind it gives what was
// decoded and the reason in `error`, as does `stop` ("Stopped").
RasterImage DecodeWebp(const QByteArray& data, QSize atLeast, const StopAsked& stop);
