// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Embedded colour profiles (ICC): the colours a file means, turned into the sRGB the screen
// shows. Only a profile's primaries are applied; its tone curve is taken as sRGB's, so dark
// tones keep their stored values instead of shifting with a slightly different curve.
#include <optional>
#include <QByteArray>
#include <QColorTransform>
#include "picture/DibImage.h"

// Profiles beyond this size are not read.
inline constexpr qsizetype kMaxColourProfile = 4 << 20;

// The mapping to sRGB; none for an invalid or oversized profile, or one that is sRGB already.
std::optional<QColorTransform> ProfileToSrgb(const QByteArray& icc);
// Maps a 24-bit bitmap's pixels, many rows at a time, or an 8-bit bitmap's colour table.
void MapDibToSrgb(const QColorTransform& transform, DibImage& dib);
