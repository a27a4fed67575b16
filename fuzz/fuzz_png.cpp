// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: a PNG file's facts, then its first image at full size or reduced toward a
// thumbnail (the last byte picks which, and whether the decoding is stopped part way).
#include "FuzzCommon.h"
#include "RasterTarget.h"
#include "picture/PngCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::ReadAndDecode(fuzz::Bytes(data, size), fuzz::Knob(data, size), kPngInvalid, ReadPngFacts, DecodePng);
    return 0;
}
