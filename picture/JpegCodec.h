// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The libjpeg front: header reading, decoding and encoding of in-memory data.
// libjpeg's error exit is turned into Failure("JPEG error #<code>"); nothing here
// lets a C++ exception pass through libjpeg's frames.
#include <atomic>
#include <functional>
#include <memory>
#include <QByteArray>
#include <QString>
#include "picture/DibImage.h"
#include "picture/Graphic.h"

struct JpegHeader {
    int32_t width = 0, height = 0; // full-scale size
    bool grayscale = false;        // JPEG colour space is greyscale
    bool multiScan = false;        // more than one scan (progressive)
    int components = 0;
    int colorSpace = 0;  // libjpeg's J_COLOR_SPACE of the file
    int orientation = 1; // the EXIF Orientation tag, 1 (as stored) when there is none
    // Only when asked for: the EXIF thumbnail's JPEG bytes and the embedded colour profile.
    QByteArray exifThumbnail;
    QByteArray iccProfile;
};

struct JpegDecodeOptions {
    int scaleDenom = 1; // 1, 2, 4 or 8
    bool smoothing = true;
    bool grayscaleOut = false; // the greyscale setting
    bool quantize = false;     // 8-bit output with libjpeg's colour map of `colors` entries
    int colors = 236;
    bool fast = false;     // best speed
    bool buffered = false; // progressive display
    // Colour rows as blue, green, red, 255 (a 32-bit bitmap) instead of 24 bits: for a window
    // that keeps the picture in that form, so no 24-bit copy is ever held beside it.
    bool rgb32 = false;
    // When set and raised (from any thread), the decoding stops at its next row with the
    // aborted message; decodes of a thumbnail page that was left end this way.
    const std::atomic<bool>* cancel = nullptr;
};

struct JpegDecodeResult {
    std::shared_ptr<DibImage> dib; // what was decoded, also after a failure (rest filled)
    QString error;                 // empty on success, else "JPEG error #n" or "Out of system resources"
    // How the stored pixels are to be shown: the EXIF orientation and the embedded colour
    // profile of a three-component file (empty when none, or beyond kMaxColourProfile).
    int orientation = 1;
    QByteArray iccProfile;
};

using JpegProgressFn = std::function<void(const ProgressReport&)>;

// Throws Failure("JPEG error #n") for data libjpeg refuses; empty data gives the empty-input code.
JpegHeader JpegReadHeader(const QByteArray& data, bool withThumbnail = false);
// Full decode of the pixels as stored (neither turned nor colour-mapped: TJpegImage does
// that); a truncated file decodes as far as it goes without an error.
// CMYK and YCCK files come out in their true colours. Size limits are checked before allocating.
JpegDecodeResult JpegDecode(const QByteArray& data, const JpegDecodeOptions& options, const JpegProgressFn& progress);
// Encodes a 24-bit bitmap; returns the bytes, or sets *error and returns what was written.
QByteArray JpegEncode(const DibImage& rgb24, int quality, bool grayscale, bool progressive,
                      const JpegProgressFn& progress, QString* error);
// libjpeg's own message code for empty input, as the library in use defines it.
int JpegEmptyInputCode();
// Our own message code, beyond libjpeg's table, for a file with more scans than
// PictureLimits::kMaxJpegScans ("JPEG error #200").
int JpegTooManyScansCode();
