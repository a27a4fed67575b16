// SPDX-License-Identifier: GPL-3.0-or-later
// PNG files. The facts come from our own walk over the chunks the head holds (it may stop
// anywhere); the pixels from libspng, chosen over libpng because it reports errors by
// return value (no longjmp across our frames), reads from memory without copying, hands
// rows out one at a time (interlaced ones placed at their columns) and bounds the memory
// its ancillary chunks take.
#include "picture/PngCodec.h"
#include <algorithm>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <spng.h>
#include <vector>
#include <zlib.h>
#include "picture/ColourProfile.h"
#include "picture/FileRead.h"
#include "picture/Exif.h"
#include "picture/Failure.h"
#include "picture/Limits.h"
#include "picture/RasterRows.h"

namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a};
constexpr size_t kIhdrEnd = 8 + 8 + 13 + 4; // signature, length and type, fields, CRC
// libspng keeps ancillary chunks (text, profiles) in memory, decompressed: at most this much
// in all, and no chunk longer than the largest file we read.
constexpr size_t kChunkCache = size_t(64) << 20;
constexpr size_t kMaxChunk = size_t(PictureLimits::kMaxDecodedBytes);

uint32_t Be32(const uint8_t* p)
{
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

bool IsType(const uint8_t* type, const char* name)
{
    return std::memcmp(type, name, 4) == 0;
}

[[noreturn]] void Invalid()
{
    throw Failure(kPngInvalid);
}

QString Reason(int code)
{
    return QString::fromLatin1(kPngInvalid) + QLatin1String(": ") + QString::fromLatin1(spng_strerror(code));
}

// The name of a colour type, empty for a type or depth that PNG does not have.
QString ColourType(int type, int depth)
{
    const bool wide = depth == 8 || depth == 16;
    const bool packed = depth == 1 || depth == 2 || depth == 4 || depth == 8;
    switch (type) {
    case 0: return packed || depth == 16 ? QStringLiteral("grey") : QString();
    case 2: return wide ? QStringLiteral("RGB") : QString();
    case 3: return packed ? QStringLiteral("palette") : QString();
    case 4: return wide ? QStringLiteral("grey+alpha") : QString();
    case 6: return wide ? QStringLiteral("RGBA") : QString();
    default: return {};
    }
}

// An iCCP chunk: a name of 1 to 79 bytes and its end, method 0, the zlib data. Empty when
// damaged or when the profile would exceed kMaxColourProfile.
QByteArray InflateProfile(const uint8_t* p, size_t n)
{
    const auto* nul = static_cast<const uint8_t*>(std::memchr(p, 0, std::min<size_t>(n, 80)));
    if (!nul || nul == p || size_t(nul - p) + 2 > n || nul[1] != 0)
        return {};
    z_stream z {};
    if (inflateInit(&z) != Z_OK)
        return {};
    z.next_in = const_cast<Bytef*>(nul + 2);
    z.avail_in = uInt(n - size_t(nul - p) - 2);
    QByteArray out;
    int ret = Z_OK;
    while (ret == Z_OK && out.size() <= kMaxColourProfile) {
        const qsizetype had = out.size();
        out.resize(std::min<qsizetype>(had + (qsizetype(1) << 16), kMaxColourProfile + 1));
        z.next_out = reinterpret_cast<Bytef*>(out.data() + had);
        z.avail_out = uInt(out.size() - had);
        ret = inflate(&z, Z_NO_FLUSH);
        out.resize(out.size() - qsizetype(z.avail_out));
    }
    inflateEnd(&z);
    return ret == Z_STREAM_END && out.size() <= kMaxColourProfile ? out : QByteArray();
}

int ClampToInt(uint32_t v)
{
    return int(std::min<uint32_t>(v, uint32_t(std::numeric_limits<int>::max())));
}

struct ContextFree {
    void operator()(spng_ctx* ctx) const { spng_ctx_free(ctx); }
};

} // namespace

RasterFacts ReadPngFacts(const QByteArray& head)
{
    const auto* p = reinterpret_cast<const uint8_t*>(head.constData());
    const size_t n = size_t(head.size());
    if (n < kIhdrEnd || std::memcmp(p, kSignature, 8) != 0 || Be32(p + 8) != 13 || !IsType(p + 12, "IHDR"))
        Invalid();
    const uint8_t* ihdr = p + 16;
    RasterFacts f;
    f.bitsPerChannel = ihdr[8];
    f.colourType = ColourType(ihdr[9], ihdr[8]);
    if (f.colourType.isEmpty() || ihdr[10] != 0 || ihdr[11] != 0 || ihdr[12] > 1)
        Invalid();
    CheckRasterSize(Be32(ihdr), Be32(ihdr + 4), kPngInvalid);
    f.width = int32_t(Be32(ihdr));
    f.height = int32_t(Be32(ihdr + 4));
    f.alpha = ihdr[9] == 4 || ihdr[9] == 6;

    // The other chunks as far as the head holds them whole; a damaged length ends the walk.
    for (size_t at = kIhdrEnd; at + 12 <= n;) {
        const uint32_t length = Be32(p + at);
        if (length > n - at - 12)
            break;
        const uint8_t* type = p + at + 4;
        const uint8_t* data = p + at + 8;
        if (IsType(type, "IEND"))
            break;
        if (IsType(type, "tRNS"))
            f.alpha = true;
        else if (IsType(type, "iCCP") && f.iccProfile.isEmpty())
            f.iccProfile = InflateProfile(data, length);
        else if (IsType(type, "eXIf"))
            f.orientation = ExifBlockOrientation(data, length);
        else if (IsType(type, "acTL") && length == 8) {
            f.frames = std::max(1, ClampToInt(Be32(data)));
            f.loops = ClampToInt(Be32(data + 4));
        }
        at += 12 + size_t(length);
    }
    return f;
}

namespace {

using Context = std::unique_ptr<spng_ctx, ContextFree>;

Context NewContext()
{
    Context ctx(spng_ctx_new(0));
    if (!ctx)
        throw Failure(kOutOfResources);
    spng_set_chunk_limits(ctx.get(), kMaxChunk, kChunkCache);
    return ctx;
}

int ReadFromStream(spng_ctx*, void* user, void* into, size_t length)
{
    auto* file = static_cast<FileStream*>(user);
    return file->ReadExactly(into, length) ? 0 : file->Error() == 0 ? SPNG_IO_EOF : SPNG_IO_ERROR;
}

RasterImage Decode(spng_ctx* ctx, QSize atLeast, const StopAsked& stop)
{
    spng_ihdr ihdr {};
    if (const int e = spng_get_ihdr(ctx, &ihdr))
        throw Failure(Reason(e));
    CheckRasterSize(ihdr.width, ihdr.height, kPngInvalid);
    const int width = int(ihdr.width), height = int(ihdr.height);
    const bool interlaced = ihdr.interlace_method != 0;
    const size_t rowBytes = size_t(width) * 4;
    // Interlaced rows arrive in seven passes, each filling every few pixels of rows all over
    // the picture: those are decoded whole at full size, then taken in order.
    RowReducer out(width, height, ReduceFactor(QSize(width, height), atLeast));
    const std::unique_ptr<uint8_t[]> rows(new (std::nothrow)
                                              uint8_t[interlaced ? rowBytes * size_t(height) : rowBytes]());
    if (!rows)
        throw Failure(kOutOfResources);

    RasterImage result;
    bool any = false; // a row decoded
    int e = spng_decode_image(ctx, nullptr, 0, SPNG_FMT_RGBA8, SPNG_DECODE_TRNS | SPNG_DECODE_PROGRESSIVE);
    while (e == 0) {
        if (stop && stop()) {
            result.error = QStringLiteral("Stopped");
            break;
        }
        spng_row_info info {};
        e = spng_get_row_info(ctx, &info);
        if (e == 0 && info.row_num >= uint32_t(height))
            e = SPNG_EINTERNAL;
        if (e != 0)
            break;
        uint8_t* row = interlaced ? rows.get() + rowBytes * info.row_num : rows.get();
        e = spng_decode_row(ctx, row, rowBytes);
        if (e != 0 && e != SPNG_EOI)
            break;
        any = true;
        if (!interlaced)
            out.AddRgbaRow(row); // RGBA, 8 bits a channel: 16-bit samples keep their high byte
    }
    if (e != 0 && e != SPNG_EOI)
        result.error = Reason(e);
    for (int y = 0; interlaced && any && y < height; ++y)
        out.AddRgbaRow(rows.get() + rowBytes * size_t(y));
    result.image = out.Finish();
    return result;
}

} // namespace

RasterImage DecodePng(const QByteArray& data, QSize atLeast, const StopAsked& stop)
{
    const Context ctx = NewContext();
    spng_set_png_buffer(ctx.get(), data.constData(), size_t(data.size()));
    return Decode(ctx.get(), atLeast, stop);
}

RasterImage DecodePngStream(FileStream& file, QSize atLeast, const StopAsked& stop, int* orientation)
{
    const Context ctx = NewContext();
    spng_set_png_stream(ctx.get(), ReadFromStream, &file);
    RasterImage result = Decode(ctx.get(), atLeast, stop);
    // An eXIf chunk may follow the pixels, beyond the header read before.
    spng_exif exif {};
    if (result.error.isEmpty() && spng_decode_chunks(ctx.get()) == 0 && spng_get_exif(ctx.get(), &exif) == 0)
        *orientation = ExifBlockOrientation(reinterpret_cast<const uint8_t*>(exif.data), exif.length);
    return result;
}

bool PngPixelsWithin(const QByteArray& head)
{
    const auto* p = reinterpret_cast<const uint8_t*>(head.constData());
    const size_t n = size_t(head.size());
    for (size_t at = kIhdrEnd; n >= kIhdrEnd && at + 8 <= n; at += 12 + size_t(Be32(p + at))) {
        if (IsType(p + at + 4, "IDAT"))
            return true;
        if (Be32(p + at) > n)
            return false;
    }
    return false;
}
