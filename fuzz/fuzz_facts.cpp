// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: what the details panel reads from a file without widgets: the bitmap header
// from the file's first bytes, and a date value turned into its day and back.
#include <algorithm>
#include <cstring>
#include <vector>

#include "FuzzCommon.h"
#include "ui/common/ImageFacts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The head the details read, in a buffer of exactly its size so a read past it shows.
    const size_t n = std::min(size, size_t(kBitmapHeadBytes));
    const std::vector<char> head(data, data + n);
    TImageInfo info;
    info.Width = -7;
    const BitmapHeaderResult r = ParseBitmapHeader(QByteArrayView(head.data(), qsizetype(n)), info);
    fuzz::Require(r == BitmapHeaderResult::Read || info.Width == -7, "only a read header changes the facts");

    // The last eight bytes as a date value and as a time in milliseconds.
    if (size >= 8) {
        double value;
        int64_t ms;
        std::memcpy(&value, data + size - 8, 8);
        std::memcpy(&ms, data + size - 8, 8);
        (void)DateOfValue(value);
        (void)PackFileDate(QDateTime::fromMSecsSinceEpoch(ms));
    }
    return 0;
}
