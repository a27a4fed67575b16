// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: a camera raw file's facts, then its preview or its development decoded and
// reduced (the preview when it covers the size asked), with a stop after as many asks as the last byte
// picks when its low bit is set. The same bytes are then read as a file in pieces, as a page
// cell reads them, and must give the same facts.
#include <sys/mman.h>
#include <unistd.h>
#include "FuzzCommon.h"
#include "RasterTarget.h"
#include "picture/FileRead.h"
#include "picture/Limits.h"
#include "picture/RawCodec.h"

namespace {

void ReadAsFile(const QByteArray& bytes)
{
    const int fd = ::memfd_create("raw", MFD_CLOEXEC);
    if (fd < 0 || ::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size()) {
        if (fd >= 0)
            ::close(fd);
        return;
    }
    try {
        FileStream file(QStringLiteral("/proc/self/fd/%1").arg(fd), PictureLimits::kMaxDecodedBytes);
        const RasterFacts stream = ReadRawFileFacts(file);
        const RasterFacts buffer = ReadRawFacts(bytes);
        fuzz::Require(stream.width == buffer.width && stream.height == buffer.height &&
                          stream.orientation == buffer.orientation,
                      "the same facts from the file as from its bytes");
        if (int64_t(stream.width) * stream.height <= fuzz::kMaxDecodePixels) {
            RasterFacts read;
            fuzz::CheckDecoded(DecodeRawFile(file, QSize(16, 12), {}, &read), QSize(stream.width, stream.height));
        }
    } catch (const Failure& f) {
        fuzz::RequireKnown(f, kRawInvalid);
    }
    ::close(fd);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes = fuzz::Bytes(data, size);
    fuzz::ReadAndDecode(bytes, fuzz::Knob(data, size), kRawInvalid, ReadRawFacts, DecodeRaw);
    ReadAsFile(bytes);
    return 0;
}
