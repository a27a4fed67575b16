// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: a bitmap or JPEG file is loaded, converted to every pixel format but Custom,
// written as a bitmap file and read back, and the pixels must come back unchanged; the
// 24-bit form also goes out as a JPEG file that must read back at its size.
#include <cstdlib>
#include <memory>
#include <vector>

#include "picture/Bitmap.h"
#include "picture/Failure.h"
#include "FuzzCommon.h"
#include "picture/JpegImage.h"
#include "picture/PixelConvert.h"

namespace {

// Conversions cost time in proportion to the pixels; the load target takes every size,
// so this one looks at pictures of up to 2^16 pixels and skips larger ones before decoding.
constexpr int64_t kMaxPixels = int64_t(1) << 16;

const TPixelFormat kFormats[] = {TPixelFormat::Device, TPixelFormat::Bit1,  TPixelFormat::Bit4,  TPixelFormat::Bit8,
                                 TPixelFormat::Bit15,  TPixelFormat::Bit16, TPixelFormat::Bit24, TPixelFormat::Bit32};

bool Small(int64_t width, int64_t height)
{
    return width * height <= kMaxPixels;
}

// The size a bitmap file's header claims, read as loosely as possible (bytes past the end as 0).
bool BitmapHeaderSmall(const QByteArray& b)
{
    auto u8 = [&](int at) -> uint32_t { return at < b.size() ? uint8_t(b[at]) : 0u; };
    auto u16 = [&](int at) { return u8(at) | u8(at + 1) << 8; };
    auto i32 = [&](int at) { return int32_t(u16(at) | u16(at + 2) << 16); };
    if (u16(14) == 12)
        return Small(u16(18), u16(20));
    const int64_t height = i32(22);
    return Small(std::abs(int64_t(i32(18))), height < 0 ? -height : height);
}

std::shared_ptr<const DibImage> Load(const QByteArray& bytes, uint8_t knob)
{
    if (bytes.startsWith("BM")) {
        if (!BitmapHeaderSmall(bytes))
            return nullptr;
        TBitmap bitmap;
        bitmap.LoadFromBytes(bytes);
        return bitmap.SharedDib();
    }
    TJpegImage jpeg;
    jpeg.settings.pixelFormat = (knob & 0x20) ? TPixelFormat::Bit8 : TPixelFormat::Bit24;
    jpeg.settings.grayscale = (knob & 0x40) != 0;
    jpeg.LoadFromBytes(bytes);
    if (!Small(jpeg.Width(), jpeg.Height()))
        return nullptr;
    return jpeg.Bitmap().SharedDib();
}

void SamePixels(const DibImage& a, const DibImage& b)
{
    fuzz::Require(a.width == b.width && a.height == b.height, "the size reads back");
    std::vector<uint32_t> ra(size_t(a.width)), rb(size_t(a.width));
    const PixelReader readA(a), readB(b);
    for (int32_t y = 0; y < a.height; ++y) {
        readA.ReadRow(y, ra.data());
        readB.ReadRow(y, rb.data());
        fuzz::Require(ra == rb, "the pixels read back as written");
    }
}

void JpegRoundTrip(const TBitmap& rgb, uint8_t knob)
{
    if (rgb.Empty())
        return;
    TJpegImage out;
    out.AssignBitmap(rgb);
    out.settings.progressiveEncoding = (knob & 1) != 0;
    out.settings.grayscale = (knob & 2) != 0;
    QByteArray data;
    try {
        data = out.SaveToBytes();
    } catch (const Failure& f) {
        fuzz::ExpectKnownFailure(f); // libjpeg's own limits (a side over 65,500)
        return;
    }
    TJpegImage in;
    in.LoadFromBytes(data);
    fuzz::Require(in.Width() == rgb.Width() && in.Height() == rgb.Height(), "the JPEG size reads back");
    fuzz::Require(in.Bitmap().Width() == rgb.Width(), "the JPEG decodes");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const uint8_t knob = fuzz::Knob(data, size);
    fuzz::SetScreenFor(knob);
    std::shared_ptr<const DibImage> source;
    try {
        source = Load(fuzz::Bytes(data, size), knob);
    } catch (const Failure& f) {
        fuzz::ExpectKnownFailure(f);
        return 0;
    }
    if (!source)
        return 0;
    for (TPixelFormat format : kFormats) {
        TBitmap bitmap(source);
        bitmap.SetPixelFormat(format);
        fuzz::Require(bitmap.PixelFormat() == format, "the bitmap takes the pixel format");
        const QByteArray file = bitmap.SaveToBytes();
        TBitmap back;
        back.LoadFromBytes(file); // a file we wrote must read back
        SamePixels(bitmap.Dib(), back.Dib());
        if (format == TPixelFormat::Bit24)
            JpegRoundTrip(bitmap, knob);
    }
    return 0;
}
