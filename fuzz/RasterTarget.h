// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the targets of the library-read kinds share: the facts read, then the first frame or
// page decoded at its size and reduced, every promise of the readers checked; for the readers
// that also take a file where they seek, the same bytes read that way.
#include <sys/mman.h>
#include <unistd.h>
#include <QByteArray>
#include <QImage>
#include "FuzzCommon.h"
#include "picture/ColourProfile.h"
#include "picture/Failure.h"
#include "picture/FileRead.h"
#include "picture/Limits.h"
#include "picture/RasterCodec.h"

namespace fuzz {

using FactsReader = RasterFacts (*)(const QByteArray&);
using Decoder = RasterImage (*)(const QByteArray&, QSize, const StopAsked&);

// Decoded up to this many pixels (2048 x 2048), as the load targets draw: larger legal
// pictures only cost time; their size checks still run.
inline constexpr int64_t kMaxDecodePixels = int64_t(1) << 22;

inline void RequireKnown(const Failure& f, const char* invalid)
{
    const QString text = f.Text();
    Require(text == QLatin1String(kOutOfResources) || text.startsWith(QLatin1String(invalid)),
            "a failure text of the reader's own");
}

inline void CheckDecoded(const RasterImage& r, QSize most)
{
    if (r.image.isNull())
        return Require(!r.error.isEmpty(), "a reason when nothing was decoded");
    Require(r.image.format() == QImage::Format_ARGB32, "straight 8-bit ARGB");
    Require(r.image.width() <= most.width() && r.image.height() <= most.height(), "no larger than the picture");
}

inline void ReadAndDecode(const QByteArray& bytes, uint8_t knob, const char* invalid, FactsReader facts, Decoder decode)
{
    try {
        const RasterFacts f = facts(bytes);
        Require(f.width > 0 && f.width <= PictureLimits::kMaxSide, "width within the limit");
        Require(f.height > 0 && f.height <= PictureLimits::kMaxSide, "height within the limit");
        Require(f.orientation >= 1 && f.orientation <= 8, "an orientation from 1 to 8");
        Require(f.iccProfile.size() <= kMaxColourProfile, "a colour profile within its limit");
        Require(f.frames >= 1 && f.delaysMs.size() <= PictureLimits::kMaxGifFrames, "frames counted within the limit");
        if (int64_t(f.width) * f.height > kMaxDecodePixels)
            return;
        int asked = 0;
        const int stopAt = (knob & 1) ? knob >> 1 : -1;
        const StopAsked stop = [&asked, stopAt] { return asked++ == stopAt; };
        const QSize full(f.width, f.height);
        const RasterImage whole = decode(bytes, {}, stop);
        CheckDecoded(whole, full);
        Require(whole.image.isNull() || whole.image.size() == full, "the stored size");
        CheckDecoded(decode(bytes, QSize(16, 12), {}), full);
    } catch (const Failure& f) {
        RequireKnown(f, invalid);
    }
}

using FileFactsReader = RasterFacts (*)(FileStream&);

// The bytes as a file (in memory), read as a page cell reads it: the facts must be those read
// from the bytes, and a cell's decode (`decodeCell` on the file) must keep the readers' promises.
template <class DecodeCell>
void ReadAsFile(const QByteArray& bytes, const char* invalid, FactsReader facts, FileFactsReader fileFacts,
                const DecodeCell& decodeCell)
{
    const int fd = ::memfd_create("picture", MFD_CLOEXEC);
    if (fd < 0)
        return;
    if (::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size()) {
        try {
            FileStream file(QStringLiteral("/proc/self/fd/%1").arg(fd), PictureLimits::kMaxDecodedBytes);
            const RasterFacts stream = fileFacts(file);
            const RasterFacts buffer = facts(bytes);
            Require(stream.width == buffer.width && stream.height == buffer.height &&
                        stream.orientation == buffer.orientation && stream.frames == buffer.frames,
                    "the same facts from the file as from its bytes");
            if (int64_t(stream.width) * stream.height <= kMaxDecodePixels)
                CheckDecoded(decodeCell(file), QSize(stream.width, stream.height));
        } catch (const Failure& f) {
            RequireKnown(f, invalid);
        }
    }
    ::close(fd);
}

} // namespace fuzz
