// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Windows bitmap file layout: reading (core and information headers, bit fields,
// run-length-encoded 4- and 8-bit data) and writing.
#include <memory>
#include <QByteArray>
#include "picture/DibImage.h"

// Throws Failure("Bitmap image is not valid") for an impossible file and
// Failure("Out of system resources") for one beyond the size limits. Never reads past `data`.
std::shared_ptr<DibImage> BmpRead(const QByteArray& data);
// The whole file: a run-length-encoded image read from a file and unchanged is written
// as read behind a new file header; any other as a device-independent bitmap.
QByteArray BmpWrite(const DibImage& dib, const std::vector<RgbQuad>& palette);
