// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: a camera raw file's facts, then its preview or its development decoded and
// reduced (the preview when it covers the size asked), with a stop after as many asks as the last byte
// picks when its low bit is set. The same bytes are then read as a file in pieces, as a page
// cell reads them.
#include "FuzzCommon.h"
#include "RasterTarget.h"
#include "picture/RawCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = fuzz::Bytes(data, size);
    fuzz::ReadAndDecode(bytes, fuzz::Knob(data, size), kRawInvalid, ReadRawFacts, DecodeRaw);
    fuzz::ReadAsFile(bytes, kRawInvalid, ReadRawFacts, ReadRawFileFacts, [](FileStream& file) {
        RasterFacts read;
        return DecodeRawFile(file, QSize(16, 12), {}, &read);
    });
    return 0;
}
