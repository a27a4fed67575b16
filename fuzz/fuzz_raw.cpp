// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: a camera raw file's facts, then its preview or its development decoded and
// reduced (the preview when it covers the size asked), with a stop after as many asks as the last byte
// picks when its low bit is set.
#include "FuzzCommon.h"
#include "RasterTarget.h"
#include "picture/RawCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::ReadAndDecode(fuzz::Bytes(data, size), fuzz::Knob(data, size), kRawInvalid, ReadRawFacts, DecodeRaw);
    return 0;
}
