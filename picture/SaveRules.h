// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// How a picture becomes a saved file, for every saver (the save window, the zoom window's
// save, the command-line tool): the full-size bitmap of any graphic, the thumbnail size and
// its stretch, and the JPEG and bitmap writing decisions.
#include <cstdint>
#include <optional>
#include <QRgb>
#include <QSize>
#include <QString>
#include "picture/Bitmap.h"

// The icon background when no screen says otherwise (the usual light-grey button face).
inline constexpr QRgb kButtonFaceRgb = 0xFFF0F0F0;

// The picture at full size as a bitmap: a bitmap as it is (sharing its image), a JPEG
// picture decoded, an icon drawn at the system icon size on `iconBackground` (an icon image
// of another size is scaled to it).
TBitmap FullSizeBitmap(TGraphic& graphic, QRgb iconBackground = kButtonFaceRgb);

// The size a thumbnail of at most `maxSize` pixels takes: the ratios are stored as 64-bit
// doubles, the products formed in extended precision and truncated, so the longer side
// becomes maxSize and the shorter one may come out as 0 (300 x 100 at 3 gives 3 x 0).
QSize ThumbnailSize(int32_t width, int32_t height, int32_t maxSize);
// The bitmap stretched smoothly to `size` as a new 24-bit bitmap.
TBitmap StretchBitmap(const TBitmap& bitmap, QSize size);

// The bitmap a save writes: the full-size bitmap, made a thumbnail of at most `thumbnailMax`
// pixels when one is asked for. Icons are never made thumbnails (always the system icon size).
TBitmap SaveBitmapOf(TGraphic& source, std::optional<int32_t> thumbnailMax, QRgb iconBackground = kButtonFaceRgb);

// Writes `bitmap` in `format` (1-bit also monochrome) as a bitmap file.
void WriteBitmapFile(TBitmap bitmap, TPixelFormat format, const QString& path);

// Writes a JPEG file. Quality 100 never re-encodes: a JPEG picture keeps its own bytes (a
// byte copy of its file) and any other picture is encoded with the defaults (quality 90,
// baseline). Below 100 the pixels are encoded at that quality, progressive when asked.
void WriteJpegFile(TGraphic& picture, int quality, bool progressive, const QString& path);
