// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Test pictures made with the program's own encoders.
#include <QImage>
#include <QString>

// A deterministic picture: gradients with a few coloured blocks.
QImage MakeTestImage(int width, int height, int seed = 0);
// Writes the picture as a JPEG file (quality 90, baseline unless progressive) / a 24-bit bitmap file.
void WriteTestJpeg(const QString& path, int width, int height, bool progressive = false, int seed = 0);
void WriteTestBitmap(const QString& path, int width, int height, int seed = 0);
// An icon file with one 32-bit image per size, in the order given.
QByteArray MakeTestIcon(const QList<int>& sizes);
// The file's whole picture as the program decodes it (a JPEG at full size), in 32-bit form.
QImage DecodedPixels(const QString& path);

// Four flat quadrants far apart in colour (red, green over blue, yellow), as a JPEG file's
// bytes; each survives coding and scaling, so a turn or a colour mapping shows in them.
QByteArray MakeQuadrantJpeg(int width, int height);
// The quadrants' colours as letters, top-left, top-right, bottom-left, bottom-right ("RGBY"
// as made); '?' for a colour near none of the four.
QString QuadrantColours(const QImage& image);
// An ICC profile whose red and green primaries trade places: its red is sRGB's green.
QByteArray SwappedRedGreenProfile();
