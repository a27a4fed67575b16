// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: a GIF file's facts, then its first frame at full size or reduced toward a
// thumbnail (the last byte picks which, and whether the decoding is stopped part way).
#include "FuzzCommon.h"
#include "RasterTarget.h"
#include "picture/GifCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::ReadAndDecode(fuzz::Bytes(data, size), fuzz::Knob(data, size), kGifInvalid, ReadGifFacts, DecodeGif);
    return 0;
}
