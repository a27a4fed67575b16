// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Facts about an image file that need no widget: the bitmap header as the details gather it,
// the packed file date and its day, and which sub-panel of the details panel an extension gets.
#include <cstdint>
#include <QByteArrayView>
#include <QDate>
#include <QDateTime>
#include <QString>
#include "picture/Graphic.h"
#include "ui/common/PageModel.h"

// Bytes of a bitmap file worth reading for its header: the 14-byte file header and the
// longest info header taken (124 bytes).
inline constexpr int kBitmapHeadBytes = 14 + 124;

enum class BitmapHeaderResult {
    Read,       // the header fields were taken
    Unknown,    // the info header size is none of 12, 40, 108, 124; nothing taken
    Incomplete, // the bytes end before the declared header does; nothing taken
};

// Reads the header fields from the first bytes of a bitmap file into `info` (Width, Height,
// Planes, BitCount, Compression, ImageSize, XPelsPerMeter, YPelsPerMeter). Only a Read result
// changes `info`. Any bytes are safe; the file type letters are not looked at.
BitmapHeaderResult ParseBitmapHeader(QByteArrayView head, TImageInfo& info);

// A file time as a date-time value: days since 1899-12-30 plus the fraction of the day, in
// local time. Times the two-second directory-entry form can hold (1980 to 2107) are truncated
// to its even second, as that form stores them; others are taken as they are. Before
// 1899-12-30 the whole part counts days back and the fraction still adds the time of day
// (-1.25 is 29 December 1899, 6:00). An invalid time gives 0.
double PackFileDate(const QDateTime& time);
// The day of a date-time value; an invalid date for values no calendar day matches.
QDate DateOfValue(double value);

// How a JPEG file stores its picture, as the details panel says it: "As stored" for an
// upright file, else the turn and mirror that show it upright ("Rotated 90°", "Mirrored").
QString OrientationText(int orientation);

// The kind a file is named as, and the kind its bytes are where they differ (Thumbnail: the
// same): "PNG", or "PNG, read as GIF (its content)".
QString KindText(GraphicKind named, GraphicKind content);

enum class DetailSubPanel { None, Bitmap, Jpeg, Other };
// ".bmp" shows the bitmap sub-panel, ".ico" none, ".png", ".gif", ".webp", ".tif" and ".tiff"
// the other kinds' one, every other extension (an empty cell's too) the JPEG one.
DetailSubPanel SubPanelFor(const QString& ext);
