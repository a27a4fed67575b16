// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The EXIF facts the pictures use: how a photo's pixels are stored (its Orientation tag) and
// the small JPEG a camera keeps beside them (IFD1's thumbnail).
#include <cstddef>
#include <cstdint>
#include <vector>

// True when an APP1 segment's data (after its length) hold EXIF data ("Exif\0\0" first).
bool IsExifSegment(const uint8_t* data, size_t size);
// The Orientation tag (1 to 8) of IFD0 in an EXIF APP1 segment's data. Anything else (no
// tag, a damaged segment, a value out of range, a segment longer than a JPEG marker can be)
// gives 1: the pixels are shown as stored.
int ExifOrientation(const uint8_t* data, size_t size);
// The same from EXIF data kept outside a JPEG segment (a PNG, WebP, HEIF or JPEG XL file's
// EXIF block): the TIFF structure with or without "Exif\0\0" before it. Only the start of a
// longer block is read: IFD0 comes first.
int ExifBlockOrientation(const uint8_t* data, size_t size);
// The thumbnail JPEG's bytes in an EXIF APP1 segment's data; empty when there is none or the
// segment is damaged.
std::vector<uint8_t> ExifThumbnail(const uint8_t* data, size_t size);
