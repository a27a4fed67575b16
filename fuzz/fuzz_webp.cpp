// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: a WebP file's facts, then its first frame decoded at its size and reduced to a
// thumbnail, with a stop after as many asks as the last byte picks when its low bit is set.
#include "FuzzCommon.h"
#include "RasterTarget.h"
#include "picture/WebpCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::ReadAndDecode(fuzz::Bytes(data, size), fuzz::Knob(data, size), kWebpInvalid, ReadWebpFacts, DecodeWebp);
    return 0;
}
