#pragma once
// What the targets of the library-read kinds check: the facts and the decoded first image
// keep the promises of picture/RasterCodec.h.
#include <algorithm>
#include <QByteArray>
#include <QString>
#include "FuzzCommon.h"
#include "picture/ColourProfile.h"
#include "picture/Failure.h"
#include "picture/Limits.h"
#include "picture/RasterCodec.h"

namespace fuzz {

using FactsReader = RasterFacts (*)(const QByteArray&);
using RasterDecoder = RasterImage (*)(const QByteArray&, QSize, const StopAsked&);

// Legal pictures beyond this many pixels only cost time in proportion to their size; their
// size checks run in the facts and are tested in the readers' own tests.
inline constexpr int64_t kMaxDecodePixels = int64_t(1) << 22;

inline void RequireKnown(const Failure& f, const char* invalid)
{
    const QString text = f.Text();
    Require(text.startsWith(QLatin1String(invalid)) || text == QLatin1String(kOutOfResources),
            "a failure text of the reader's own");
}

inline void ReadRaster(const uint8_t* data, size_t size, const char* invalid, FactsReader facts, RasterDecoder decode)
{
    const QByteArray bytes = Bytes(data, size);
    RasterFacts f;
    try {
        f = facts(bytes);
    } catch (const Failure& e) {
        RequireKnown(e, invalid);
        return;
    }
    Require(f.width > 0 && f.width <= PictureLimits::kMaxSide && f.height > 0 && f.height <= PictureLimits::kMaxSide,
            "a size within the limits");
    Require(f.orientation >= 1 && f.orientation <= 8, "an orientation from 1 to 8");
    Require(f.iccProfile.size() <= kMaxColourProfile, "a colour profile within its limit");
    Require(f.frames >= 1 && f.delaysMs.size() <= PictureLimits::kMaxGifFrames, "frames counted within the limit");
    if (int64_t(f.width) * f.height > kMaxDecodePixels)
        return;

    const uint8_t knob = Knob(data, size);
    const QSize atLeast = (knob & 1) ? QSize(64, 48) : QSize();
    int rows = 0;
    const StopAsked stop = [&rows] { return ++rows > 40; };
    RasterImage r;
    try {
        r = decode(bytes, atLeast, (knob & 2) ? stop : StopAsked());
    } catch (const Failure& e) {
        RequireKnown(e, invalid);
        return;
    }
    Require(!r.image.isNull() || !r.error.isEmpty(), "a reason when nothing was decoded");
    if (r.image.isNull())
        return;
    const int factor = atLeast.isValid() ? std::max(1, std::min(f.width / 64, f.height / 48)) : 1;
    Require(r.image.format() == QImage::Format_ARGB32, "straight ARGB32");
    Require(r.image.width() == (f.width + factor - 1) / factor && r.image.height() == (f.height + factor - 1) / factor,
            "the size the facts give, reduced by the factor");
}

} // namespace fuzz
