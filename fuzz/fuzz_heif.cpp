// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: a HEIC or AVIF file's facts, then its primary image (or a thumbnail that
// covers the size asked) decoded and reduced, with a stop after as many asks as the last byte
// picks when its low bit is set.
#include "FuzzCommon.h"
#include "RasterTarget.h"
#include "picture/HeifCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::ReadAndDecode(fuzz::Bytes(data, size), fuzz::Knob(data, size), kHeifInvalid, ReadHeifFacts, DecodeHeif);
    return 0;
}
