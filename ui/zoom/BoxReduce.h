// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Reduction by area averaging: each zoomed pixel is the mean of the source area it covers,
// partly covered pixels weighted by their share. A zoomed pixel depends only on its own
// position, so any part of a reduced picture comes out exactly as it would in the whole.
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>

// The part `dest` (zoomed pixels) of a picture `source` (32-bit, `sourceSize` pixels, of which
// `pixels` holds the part starting at `origin`) reduced so that one source pixel spans
// `unitX` x `unitY` zoomed pixels (each at most 1). `pixels` must hold every source pixel
// under `dest`. The result is 32-bit, of dest's size.
QImage BoxReduce(const QImage& pixels, QPoint origin, QSize sourceSize, double unitX, double unitY, const QRect& dest);
