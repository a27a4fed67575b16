// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: a TIFF file's facts, then its first page decoded at its size and reduced to a
// thumbnail (from a reduced copy when the file holds one), with a stop after as many asks as
// the last byte picks when its low bit is set. The same bytes are then read as a file where
// libtiff seeks, as a page cell reads them.
#include "FuzzCommon.h"
#include "RasterTarget.h"
#include "picture/TiffCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = fuzz::Bytes(data, size);
    fuzz::ReadAndDecode(bytes, fuzz::Knob(data, size), kTiffInvalid, ReadTiffFacts, DecodeTiff);
    fuzz::ReadAsFile(bytes, kTiffInvalid, ReadTiffFacts, ReadTiffFileFacts,
                     [](FileStream& file) { return DecodeTiffFile(file, QSize(16, 12), {}); });
    return 0;
}
