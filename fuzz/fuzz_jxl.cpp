// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: a JPEG XL file's facts, then its first frame decoded and reduced (from its 1:8 stage
// when that covers the size asked), with a stop after as many asks as the last byte
// picks when its low bit is set.
#include "FuzzCommon.h"
#include "RasterTarget.h"
#include "picture/JxlCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::ReadAndDecode(fuzz::Bytes(data, size), fuzz::Knob(data, size), kJxlInvalid, ReadJxlFacts, DecodeJxl);
    return 0;
}
