// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a Windows bitmap file: core (12-byte) and information (40 bytes or more) headers,
// colour tables, bit-field masks, uncompressed rows and run-length-encoded 4- and 8-bit data.
// Every read is bounds-checked against the file; every size is checked before allocating.
#include <algorithm>
#include <cstring>
#include <limits>
#include <QImage>
#include "picture/BmpCodec.h"
#include "picture/ColourProfile.h"
#include "picture/Failure.h"
#include "picture/PixelConvert.h"

namespace {
constexpr uint32_t kBiRgb = 0, kBiRle8 = 1, kBiRle4 = 2, kBiBitFields = 3;
constexpr int64_t kFileHeaderSize = 14;

// Little-endian fields of the file; bytes beyond its end read as zero.
class Bytes {
public:
    explicit Bytes(const QByteArray& data) : m_p(reinterpret_cast<const uint8_t*>(data.constData())), m_n(data.size())
    {}
    int64_t Size() const { return m_n; }
    const uint8_t* Data() const { return m_p; }
    uint8_t U8(int64_t at) const { return at >= 0 && at < m_n ? m_p[at] : 0; }
    uint16_t U16(int64_t at) const { return uint16_t(U8(at) | U8(at + 1) << 8); }
    uint32_t U32(int64_t at) const { return uint32_t(U16(at)) | uint32_t(U16(at + 2)) << 16; }
    int32_t I32(int64_t at) const { return int32_t(U32(at)); }

private:
    const uint8_t* m_p;
    int64_t m_n;
};

[[noreturn]] void Invalid()
{
    throw Failure(kBitmapInvalid);
}

struct Header {
    uint32_t size = 0;
    bool core = false;
    int32_t width = 0;
    int32_t height = 0; // as stored: negative for top-down rows
    uint16_t planes = 0, bitCount = 0;
    uint32_t compression = kBiRgb;
    uint32_t sizeImage = 0;
    int32_t xPels = 0, yPels = 0;
    uint32_t colorsUsed = 0;
};

Header ReadHeader(const Bytes& in)
{
    Header h;
    h.size = in.U32(kFileHeaderSize);
    const int64_t at = kFileHeaderSize;
    if (h.size == 12) {
        if (in.Size() < at + 12)
            Invalid();
        h.core = true;
        h.width = in.U16(at + 4);
        h.height = in.U16(at + 6);
        h.planes = in.U16(at + 8);
        h.bitCount = in.U16(at + 10);
        return h;
    }
    if (h.size < 40 || at + int64_t(h.size) > in.Size())
        Invalid();
    h.width = in.I32(at + 4);
    h.height = in.I32(at + 8);
    h.planes = in.U16(at + 12);
    h.bitCount = in.U16(at + 14);
    h.compression = in.U32(at + 16);
    h.sizeImage = in.U32(at + 20);
    h.xPels = in.I32(at + 24);
    h.yPels = in.I32(at + 28);
    h.colorsUsed = in.U32(at + 32);
    return h;
}

void CheckHeader(const Header& h)
{
    if (h.planes != 1)
        Invalid();
    switch (h.bitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32: break;
    default: Invalid();
    }
    const bool ok = h.compression == kBiRgb || (h.compression == kBiRle8 && h.bitCount == 8) ||
        (h.compression == kBiRle4 && h.bitCount == 4) ||
        (h.compression == kBiBitFields && (h.bitCount == 16 || h.bitCount == 32));
    if (!ok || h.width < 0 || h.height == std::numeric_limits<int32_t>::min())
        Invalid();
}

// Where the colour table starts, and the run-length rules shared with writing.
struct Layout {
    int64_t tableStart = 0;
    int64_t entrySize = 4;
    int64_t tableCount = 0; // entries the header claims, clamped to what a table can hold
    int64_t pixelStart = 0;
};

Layout Locate(const Bytes& in, const Header& h, int64_t maskBytes)
{
    Layout l;
    l.entrySize = h.core ? 3 : 4;
    l.tableStart = kFileHeaderSize + h.size + maskBytes;
    int64_t claimed;
    if (h.core || h.colorsUsed == 0)
        claimed = h.bitCount <= 8 ? int64_t(1) << h.bitCount : 0;
    else
        claimed = h.colorsUsed;
    l.tableCount = std::min<int64_t>(claimed, h.bitCount <= 8 ? int64_t(1) << h.bitCount : 256);
    // The file header's pixel offset is used when it points past the headers into the file;
    // otherwise the pixels follow the table the header claims.
    const int64_t offset = in.U32(10);
    if (offset >= l.tableStart && offset <= in.Size()) {
        l.pixelStart = offset;
        l.tableCount = std::min(l.tableCount, (offset - l.tableStart) / l.entrySize);
    } else {
        l.pixelStart = l.tableStart + claimed * l.entrySize;
    }
    return l;
}

std::vector<RgbQuad> ReadTable(const Bytes& in, const Layout& l)
{
    const int64_t available = std::max<int64_t>(0, (in.Size() - l.tableStart) / l.entrySize);
    const int64_t n = std::min(l.tableCount, available);
    std::vector<RgbQuad> table(static_cast<size_t>(n));
    for (int64_t i = 0; i < n; ++i) {
        const int64_t at = l.tableStart + i * l.entrySize;
        table[size_t(i)].blue = in.U8(at);
        table[size_t(i)].green = in.U8(at + 1);
        table[size_t(i)].red = in.U8(at + 2);
    }
    return table;
}

// Uncompressed rows; rows the file does not hold stay zero. Returns how many rows, in the
// order stored, the file holds (the last one perhaps in part).
int32_t ReadRows(const Bytes& in, int64_t pixelStart, DibImage& dib)
{
    const int64_t available = std::max<int64_t>(0, in.Size() - pixelStart);
    if (dib.stride == 0)
        return 0; // no pixels at all (width 0)
    int32_t i = 0;
    for (; i < dib.height; ++i) {
        const int64_t at = int64_t(i) * dib.stride;
        if (at >= available)
            break;
        const int64_t n = std::min<int64_t>(dib.stride, available - at);
        const int32_t y = dib.topDown ? i : dib.height - 1 - i;
        std::memcpy(dib.Row(y), in.Data() + pixelStart + at, size_t(n));
    }
    return i;
}

// A file whose header embeds a colour profile has its colours turned into sRGB, so
// they show as the file means them.
std::shared_ptr<const ColourMap> EmbeddedProfile(const Bytes& in, const Header& h)
{
    constexpr uint32_t kProfileEmbedded = 0x4D424544; // 'MBED'
    if (h.core || h.size < 124 || in.U32(kFileHeaderSize + 56) != kProfileEmbedded)
        return {};
    const int64_t at = kFileHeaderSize + int64_t(in.U32(kFileHeaderSize + 112));
    const int64_t size = in.U32(kFileHeaderSize + 116);
    if (size <= 0 || size > kMaxColourProfile || at + size > in.Size())
        return {};
    return ProfileToSrgb(QByteArray::fromRawData(reinterpret_cast<const char*>(in.Data() + at), int(size)));
}

void MapTable(const ColourMap& map, std::vector<RgbQuad>& table)
{
    for (RgbQuad& c : table) {
        const QRgb v = map.Map(qRgb(c.red, c.green, c.blue));
        c.red = uint8_t(qRed(v));
        c.green = uint8_t(qGreen(v));
        c.blue = uint8_t(qBlue(v));
    }
}

// 24-bit and 32-bit pixels without masks; other forms keep their stored values. Only the
// `rows` the file holds (in the order stored) are mapped: the rest are black, which the
// mapping keeps, so a large header over little data costs no more than its data.
void MapPixels(const ColourMap& map, DibImage& dib, int32_t rows)
{
    if (dib.hasMasks || (dib.bitCount != 24 && dib.bitCount != 32) || dib.width <= 0)
        return;
    dib.profileMappedRows = rows;
    for (int32_t i = 0; i < rows; ++i)
        map.MapBgr(dib.Row(dib.topDown ? i : dib.height - 1 - i), dib.width, dib.bitCount / 8);
}

// Run-length-encoded data into the device-dependent form. Pixels the data skip stay black
// (zero in both device forms); runs and moves past the row or the image are clipped.
void DecodeRle(const uint8_t* s, int64_t len, bool rle8, bool topDown, const std::vector<RgbQuad>& table, DibImage& dib)
{
    const int32_t w = dib.width, h = dib.height;
    uint32_t rgb[256] = {};
    uint8_t index[256] = {};
    for (size_t i = 0; i < table.size() && i < 256; ++i)
        rgb[i] = uint32_t(table[i].red) << 16 | uint32_t(table[i].green) << 8 | table[i].blue;
    if (dib.bitCount == 8) {
        NearestColor nearest(dib.colors);
        for (int i = 0; i < 256; ++i)
            index[i] = nearest.Find(rgb[i]);
    }
    auto put = [&](int64_t x, int64_t y, unsigned c) {
        if (x >= w || y >= h)
            return;
        uint8_t* row = dib.Row(topDown ? int32_t(y) : h - 1 - int32_t(y));
        if (dib.bitCount == 8) {
            row[x] = index[c];
        } else {
            uint8_t* p = row + x * 4;
            p[0] = uint8_t(rgb[c]);
            p[1] = uint8_t(rgb[c] >> 8);
            p[2] = uint8_t(rgb[c] >> 16);
        }
    };
    int64_t x = 0, y = 0, p = 0; // y counts rows in the order stored
    while (p + 1 < len && y < h) {
        const unsigned a = s[p], b = s[p + 1];
        p += 2;
        if (a > 0) { // a pixels of one value (two alternating nibbles)
            for (unsigned i = 0; i < a && x + i < w; ++i)
                put(x + i, y, rle8 ? b : ((i & 1) ? b & 0x0f : b >> 4));
            x += a;
        } else if (b == 0) { // end of line
            x = 0;
            ++y;
        } else if (b == 1) { // end of bitmap
            break;
        } else if (b == 2) { // move right and up
            if (p + 1 >= len)
                break;
            x += s[p];
            y += s[p + 1];
            p += 2;
        } else { // b literal pixels, padded to a 16-bit boundary
            const int64_t bytes = rle8 ? b : (b + 1) / 2;
            for (unsigned i = 0; i < b; ++i) {
                const int64_t at = p + (rle8 ? i : i / 2);
                if (at >= len || x + i >= w)
                    break;
                put(x + i, y, rle8 ? s[at] : ((i & 1) ? s[at] & 0x0f : s[at] >> 4));
            }
            x += b;
            p += bytes + (bytes & 1);
        }
    }
}
}

std::shared_ptr<DibImage> BmpRead(const QByteArray& data)
{
    const Bytes in(data);
    if (in.Size() < kFileHeaderSize + 4 || in.U8(0) != 'B' || in.U8(1) != 'M')
        Invalid();
    const Header h = ReadHeader(in);
    CheckHeader(h);
    const bool topDown = h.height < 0;
    const int32_t height = topDown ? -h.height : h.height;
    const bool rle = h.compression == kBiRle8 || h.compression == kBiRle4;

    // Masks sit inside headers of the later versions, else right after the header.
    bool hasMasks = false;
    uint32_t masks[3] = {0, 0, 0};
    int64_t maskBytes = 0;
    if (h.compression == kBiBitFields) {
        hasMasks = true;
        int64_t at = kFileHeaderSize + 40;
        if (h.size < 52 || h.size == 64) { // 64: the other system's extended header
            at = kFileHeaderSize + h.size;
            maskBytes = 12;
        }
        for (int i = 0; i < 3; ++i)
            masks[i] = in.U32(at + 4 * i);
        if (masks[0] == 0 && masks[1] == 0 && masks[2] == 0)
            Invalid();
    }
    const Layout layout = Locate(in, h, maskBytes);
    std::vector<RgbQuad> table = ReadTable(in, layout);
    const std::shared_ptr<const ColourMap> profile = EmbeddedProfile(in, h);
    if (profile)
        MapTable(*profile, table);

    if (rle) {
        CheckReadSize(h.width, height, 32); // the device form: 32 bits, or 8 on palette screens
        auto dib = NewDeviceDib(h.width, height);
        dib->xPelsPerMeter = h.xPels;
        dib->yPelsPerMeter = h.yPels;
        const int64_t available = std::max<int64_t>(0, in.Size() - layout.pixelStart);
        const int64_t len = h.sizeImage != 0 && h.sizeImage <= available ? h.sizeImage : available;
        const uint8_t* s = len > 0 ? in.Data() + layout.pixelStart : nullptr;
        DecodeRle(s, len, h.compression == kBiRle8, topDown, table, *dib);
        // Kept for writing back unchanged: the header, the table the header claims and the data.
        // Entries the reader did not take (cut short by the pixel offset or the file's end) are
        // kept black, as their indices were drawn, so the file written reads back the same.
        const int64_t tableEntries =
            h.colorsUsed == 0 ? int64_t(1) << h.bitCount : std::min<int64_t>(h.colorsUsed, int64_t(1) << h.bitCount);
        QByteArray source(int(h.size + tableEntries * 4 + len), '\0');
        std::memcpy(source.data(), in.Data() + kFileHeaderSize, h.size);
        const int64_t takenBytes = std::min<int64_t>(tableEntries, int64_t(table.size())) * 4;
        for (int64_t i = 0; i < takenBytes; ++i)
            source[int(h.size + i)] = char(in.U8(layout.tableStart + i));
        if (len > 0)
            std::memcpy(source.data() + h.size + tableEntries * 4, s, size_t(len));
        dib->rleSource = source;
        return dib;
    }

    CheckReadSize(h.width, height, h.bitCount);
    auto dib = NewDib(h.width, height, h.bitCount);
    dib->topDown = topDown;
    dib->coreHeader = h.core;
    dib->hasMasks = hasMasks;
    dib->redMask = masks[0];
    dib->greenMask = masks[1];
    dib->blueMask = masks[2];
    dib->xPelsPerMeter = h.xPels;
    dib->yPelsPerMeter = h.yPels;
    dib->colors = table;
    const int32_t rowsHeld = ReadRows(in, layout.pixelStart, *dib);
    if (profile)
        MapPixels(*profile, *dib, rowsHeld);
    return dib;
}
