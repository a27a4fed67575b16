// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The work a decode worker does for a picture, and what it hands back.
#include <functional>
#include <memory>
#include <optional>
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include "picture/Graphic.h"
#include "picture/JpegCodec.h"
#include "picture/ThumbnailFacts.h"

class DecodeBudget;

// What a decode worker makes, for which picture.
enum class DecodeMakes {
    DisplayCache, // a JPEG picture's reduced-scale display cache, from its compressed bytes
    CellCopy      // a page cell's reduced copy of a picture file of any kind, read by the worker
};

// A decoding taken away from its picture so that any thread can run it: the compressed bytes
// are shared and never written, everything else is a copy.
struct DecodeJob {
    DecodeMakes makes = DecodeMakes::DisplayCache;
    GraphicKind kind = GraphicKind::Jpeg; // the picture's kind
    QByteArray data;
    JpegDecodeOptions options; // its scale is the cache's DCT denominator (2, 4 or 8)
    QSize target;              // the drawing size, for the smoothly reduced copy
    // A cell copy (RunThumbnailJob, picture/PictureThumbnail.h): `data` stays empty, the
    // worker reads the file at `path` itself, picks the DCT scale from its header and
    // reserves what it decodes from `budget` (when there is one).
    QString path;
    bool reducedDecode = true;
    std::shared_ptr<DecodeBudget> budget;
    QSize pictureSize; // a page cell's picture, upright, from its header (for the shared cache)
    // A page cell whose header is not read yet: the worker reads it, then takes the drawing
    // size for a picture of that upright size from this (a pure rule: it runs on the worker).
    std::function<QSize(QSize picture)> targetFor;
};

struct DecodeResult {
    QImage cache;  // at the DCT scale, upright and in sRGB; null when nothing was decoded
    QImage fitted; // the cache smoothly reduced to the target
    int denom = 0; // the decode's DCT denominator; 0 when nothing was decoded (a cached thumbnail)
    QString error; // empty on success
    // A bitmap cell's facts, known once its file is decoded.
    TPixelFormat pixelFormat = TPixelFormat::Device;
    bool monochrome = false;
    // A job with `targetFor`: the header's facts (none when the header could not be read) and
    // the drawing size the copy was made for.
    std::optional<ThumbnailFacts> facts;
    QSize target;
};

// Runs the job on this thread, whatever it makes; never throws.
DecodeResult RunDecodeJob(const DecodeJob& job);
