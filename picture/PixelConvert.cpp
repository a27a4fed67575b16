// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/PixelConvert.h"
#include <algorithm>
#include <bit>
#include <cstdlib>
#include <cstring>
#include <limits>
#include "picture/Failure.h"
#include "picture/ScreenFacts.h"

// ---- bit fields ----

MaskChannel::MaskChannel(uint32_t m) : mask(m)
{
    if (m != 0) {
        shift = std::countr_zero(m);
        bits = std::bit_width(m >> shift);
    }
}

uint8_t MaskChannel::Extract(uint32_t pixel) const
{
    if (bits == 0)
        return 0;
    const uint32_t v = (pixel & mask) >> shift;
    if (bits >= 8)
        return uint8_t(v >> (bits - 8));
    // Repeat the channel's bits downwards, so its maximum becomes 255 and 0 stays 0.
    uint32_t out = 0;
    int have = 0;
    while (have < 8) {
        out = (out << bits) | v;
        have += bits;
    }
    return uint8_t(out >> (have - 8));
}

uint32_t MaskChannel::Insert(uint8_t value) const
{
    if (bits == 0)
        return 0;
    uint64_t v;
    if (bits <= 8)
        v = value >> (8 - bits);
    else
        v = (uint64_t(value) * ((uint64_t(1) << bits) - 1) + 127) / 255;
    return uint32_t(v << shift) & mask;
}

void EffectiveMasks(const DibImage& dib, uint32_t* red, uint32_t* green, uint32_t* blue)
{
    if (dib.hasMasks) {
        *red = dib.redMask;
        *green = dib.greenMask;
        *blue = dib.blueMask;
    } else if (dib.bitCount == 16) {
        *red = 0x7C00;
        *green = 0x03E0;
        *blue = 0x001F;
    } else {
        *red = 0xFF0000;
        *green = 0x00FF00;
        *blue = 0x0000FF;
    }
}

// ---- nearest colour ----

namespace {
constexpr int kCacheSize = 1 << 16;
constexpr uint32_t kCacheValid = 0x80000000u;

int Distance(const RgbQuad& c, int r, int g, int b)
{
    const int dr = c.red - r, dg = c.green - g, db = c.blue - b;
    return dr * dr + dg * dg + db * db;
}

// Squared distance from v to the nearest and farthest point of [lo, hi].
void RangeDistance(int v, int lo, int hi, int* nearest, int* farthest)
{
    const int dn = v < lo ? lo - v : (v > hi ? v - hi : 0);
    const int df = std::max(std::abs(v - lo), std::abs(v - hi));
    *nearest += dn * dn;
    *farthest += df * df;
}
}

NearestColor::NearestColor(const std::vector<RgbQuad>& table)
    : m_table(table.begin(), table.begin() + std::min<size_t>(table.size(), 256)), m_cells(4096),
      m_cellReady(4096, false), m_cacheKey(kCacheSize, 0), m_cacheValue(kCacheSize, 0)
{}

const std::vector<uint8_t>& NearestColor::Candidates(int cell)
{
    if (m_cellReady[cell])
        return m_cells[cell];
    // An entry can be nearest to some colour of the cell only if its distance to the cell
    // is no more than the smallest "farthest distance" of any entry.
    const int r0 = (cell >> 8) * 16, g0 = ((cell >> 4) & 15) * 16, b0 = (cell & 15) * 16;
    std::vector<int> nearest(m_table.size());
    int bound = std::numeric_limits<int>::max();
    for (size_t i = 0; i < m_table.size(); ++i) {
        int dn = 0, df = 0;
        RangeDistance(m_table[i].red, r0, r0 + 15, &dn, &df);
        RangeDistance(m_table[i].green, g0, g0 + 15, &dn, &df);
        RangeDistance(m_table[i].blue, b0, b0 + 15, &dn, &df);
        nearest[i] = dn;
        bound = std::min(bound, df);
    }
    std::vector<uint8_t>& list = m_cells[cell];
    for (size_t i = 0; i < m_table.size(); ++i)
        if (nearest[i] <= bound)
            list.push_back(uint8_t(i));
    m_cellReady[cell] = true;
    return list;
}

uint8_t NearestColor::Find(uint32_t rgb)
{
    if (m_table.size() <= 1)
        return 0;
    rgb &= 0xFFFFFF;
    const uint32_t slot = (rgb * 2654435761u) >> 16;
    if (m_cacheKey[slot] == (rgb | kCacheValid))
        return m_cacheValue[slot];
    const int r = int(rgb >> 16), g = int((rgb >> 8) & 0xff), b = int(rgb & 0xff);
    const auto& list = Candidates((r >> 4) << 8 | (g >> 4) << 4 | (b >> 4));
    uint8_t best = list.front();
    int bestDistance = std::numeric_limits<int>::max();
    for (uint8_t i : list) { // in index order, so ties go to the lowest index
        const int d = Distance(m_table[i], r, g, b);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    m_cacheKey[slot] = rgb | kCacheValid;
    m_cacheValue[slot] = best;
    return best;
}

// ---- reading and writing rows ----

PixelReader::PixelReader(const DibImage& dib) : m_dib(dib)
{
    m_table.fill(0xff000000u);
    const size_t n = std::min<size_t>(dib.colors.size(), 256);
    for (size_t i = 0; i < n; ++i) {
        const RgbQuad& c = dib.colors[i];
        m_table[i] = 0xff000000u | uint32_t(c.red) << 16 | uint32_t(c.green) << 8 | c.blue;
    }
    uint32_t masks[3];
    EffectiveMasks(dib, &masks[0], &masks[1], &masks[2]);
    for (int c = 0; c < 3; ++c) {
        m_channels[c] = MaskChannel(masks[c]);
        const int bits = m_channels[c].bits;
        if (bits > 0 && bits <= 8) {
            m_lut[c].resize(size_t(1) << bits);
            for (uint32_t v = 0; v < m_lut[c].size(); ++v)
                m_lut[c][v] = m_channels[c].Extract(v << m_channels[c].shift);
        }
    }
}

void PixelReader::ReadRow(int32_t y, uint32_t* out) const
{
    const int32_t w = m_dib.width;
    if (y < 0 || y >= m_dib.height || m_dib.bits.size() < size_t(y + 1) * size_t(m_dib.stride)) {
        std::fill(out, out + w, 0xff000000u);
        return;
    }
    const uint8_t* row = m_dib.Row(y);
    auto channel = [this](int c, uint32_t v) -> uint32_t {
        const MaskChannel& ch = m_channels[c];
        return m_lut[c].empty() ? ch.Extract(v) : m_lut[c][(v & ch.mask) >> ch.shift];
    };
    auto masked = [&](uint32_t v) { return 0xff000000u | channel(0, v) << 16 | channel(1, v) << 8 | channel(2, v); };
    switch (m_dib.bitCount) {
    case 1:
        for (int32_t x = 0; x < w; ++x)
            out[x] = m_table[(row[x >> 3] >> (7 - (x & 7))) & 1];
        break;
    case 4:
        for (int32_t x = 0; x < w; ++x)
            out[x] = m_table[(x & 1) ? row[x >> 1] & 0x0f : row[x >> 1] >> 4];
        break;
    case 8:
        for (int32_t x = 0; x < w; ++x)
            out[x] = m_table[row[x]];
        break;
    case 16:
        for (int32_t x = 0; x < w; ++x)
            out[x] = masked(uint32_t(row[2 * x]) | uint32_t(row[2 * x + 1]) << 8);
        break;
    case 24:
        for (int32_t x = 0; x < w; ++x, row += 3)
            out[x] = 0xff000000u | uint32_t(row[2]) << 16 | uint32_t(row[1]) << 8 | row[0];
        break;
    case 32:
        if (!m_dib.hasMasks) {
            for (int32_t x = 0; x < w; ++x, row += 4)
                out[x] = 0xff000000u | uint32_t(row[2]) << 16 | uint32_t(row[1]) << 8 | row[0];
        } else {
            for (int32_t x = 0; x < w; ++x, row += 4)
                out[x] =
                    masked(uint32_t(row[0]) | uint32_t(row[1]) << 8 | uint32_t(row[2]) << 16 | uint32_t(row[3]) << 24);
        }
        break;
    default: std::fill(out, out + w, 0xff000000u);
    }
}

PixelWriter::PixelWriter(DibImage& dib) : m_dib(dib)
{
    if (dib.bitCount <= 8) {
        const size_t n = std::min<size_t>(dib.colors.size(), size_t(1) << dib.bitCount);
        m_nearest = std::make_unique<NearestColor>(std::vector<RgbQuad>(dib.colors.begin(), dib.colors.begin() + n));
    }
    uint32_t masks[3];
    EffectiveMasks(dib, &masks[0], &masks[1], &masks[2]);
    for (int c = 0; c < 3; ++c)
        m_channels[c] = MaskChannel(masks[c]);
}

uint32_t PixelWriter::Encode(uint32_t rgb)
{
    if (m_nearest)
        return m_nearest->Find(rgb);
    if ((m_dib.bitCount == 24 || m_dib.bitCount == 32) && !m_dib.hasMasks)
        return rgb & 0xFFFFFF;
    return m_channels[0].Insert(uint8_t(rgb >> 16)) | m_channels[1].Insert(uint8_t(rgb >> 8)) |
        m_channels[2].Insert(uint8_t(rgb));
}

void PixelWriter::WriteRow(int32_t y, const uint32_t* in)
{
    if (m_dib.stride == 0 || y < 0 || y >= m_dib.height || m_dib.bits.size() < size_t(y + 1) * size_t(m_dib.stride))
        return;
    uint8_t* row = m_dib.Row(y);
    const int32_t w = m_dib.width;
    switch (m_dib.bitCount) {
    case 1:
        std::memset(row, 0, size_t((w + 7) / 8));
        for (int32_t x = 0; x < w; ++x)
            if (Encode(in[x]) & 1)
                row[x >> 3] |= uint8_t(0x80 >> (x & 7));
        break;
    case 4:
        std::memset(row, 0, size_t((w + 1) / 2));
        for (int32_t x = 0; x < w; ++x) {
            const uint8_t v = uint8_t(Encode(in[x]) & 0x0f);
            row[x >> 1] |= (x & 1) ? v : uint8_t(v << 4);
        }
        break;
    case 8:
        for (int32_t x = 0; x < w; ++x)
            row[x] = uint8_t(Encode(in[x]));
        break;
    case 16:
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t v = Encode(in[x]);
            row[2 * x] = uint8_t(v);
            row[2 * x + 1] = uint8_t(v >> 8);
        }
        break;
    case 24:
        for (int32_t x = 0; x < w; ++x, row += 3) {
            row[0] = uint8_t(in[x]);
            row[1] = uint8_t(in[x] >> 8);
            row[2] = uint8_t(in[x] >> 16);
        }
        break;
    case 32:
        for (int32_t x = 0; x < w; ++x, row += 4) {
            const uint32_t v = Encode(in[x]);
            row[0] = uint8_t(v);
            row[1] = uint8_t(v >> 8);
            row[2] = uint8_t(v >> 16);
            row[3] = uint8_t(v >> 24);
        }
        break;
    default: break;
    }
}

void CopyPixels(const DibImage& src, DibImage& dst)
{
    const PixelReader reader(src);
    PixelWriter writer(dst);
    std::vector<uint32_t> row(size_t(std::max(src.width, dst.width)), 0xff000000u);
    const int32_t h = std::min(src.height, dst.height);
    for (int32_t y = 0; y < h; ++y) {
        reader.ReadRow(y, row.data());
        writer.WriteRow(y, row.data());
    }
}

// ---- new forms ----

namespace {
RgbQuad Quad(uint8_t r, uint8_t g, uint8_t b)
{
    RgbQuad q;
    q.red = r;
    q.green = g;
    q.blue = b;
    return q;
}

// The facts of an image that stay when its pixels move to a new form.
void KeepFacts(const DibImage& src, DibImage& dst)
{
    dst.topDown = src.topDown;
    dst.xPelsPerMeter = src.xPelsPerMeter;
    dst.yPelsPerMeter = src.yPelsPerMeter;
}
}

std::shared_ptr<DibImage> NewDeviceDib(int32_t width, int32_t height)
{
    std::shared_ptr<DibImage> dib;
    if (Screen().bitsPerPixel > 8) {
        dib = NewDib(width, height, 32);
    } else {
        dib = NewDib(width, height, 8);
        dib->colors = HalftonePalette256();
    }
    dib->device = true;
    return dib;
}

std::shared_ptr<DibImage> NewMonochromeDib(int32_t width, int32_t height)
{
    auto dib = NewDib(width, height, 1);
    dib->colors = {Quad(0, 0, 0), Quad(255, 255, 255)};
    dib->device = true;
    return dib;
}

std::shared_ptr<DibImage> DeviceDib(const DibImage& src)
{
    auto dst = NewDeviceDib(src.width, src.height);
    KeepFacts(src, *dst);
    CopyPixels(src, *dst);
    return dst;
}

std::shared_ptr<DibImage> MonochromeDib(const DibImage& src)
{
    auto dst = NewMonochromeDib(src.width, src.height);
    KeepFacts(src, *dst);
    CopyPixels(src, *dst);
    return dst;
}

std::shared_ptr<DibImage> ConvertDib(const DibImage& src, TPixelFormat target)
{
    std::shared_ptr<DibImage> dst;
    switch (target) {
    case TPixelFormat::Device: return DeviceDib(src);
    case TPixelFormat::Bit1: {
        // Black and white whatever the source's palette: its first two entries may be two
        // near-blacks, and every pixel would then come out black. Each pixel takes the nearer
        // of the two, which is its brightness against the middle.
        dst = NewDib(src.width, src.height, 1);
        dst->colors = {Quad(0, 0, 0), Quad(255, 255, 255)};
        break;
    }
    case TPixelFormat::Bit4:
        dst = NewDib(src.width, src.height, 4);
        dst->colors = DefaultPalette16();
        break;
    case TPixelFormat::Bit8:
        dst = NewDib(src.width, src.height, 8);
        dst->colors = HalftonePalette256();
        break;
    case TPixelFormat::Bit15: dst = NewDib(src.width, src.height, 16); break;
    case TPixelFormat::Bit16:
        dst = NewDib(src.width, src.height, 16);
        dst->hasMasks = true;
        dst->redMask = 0xF800;
        dst->greenMask = 0x07E0;
        dst->blueMask = 0x001F;
        break;
    case TPixelFormat::Bit24: dst = NewDib(src.width, src.height, 24); break;
    case TPixelFormat::Bit32: dst = NewDib(src.width, src.height, 32); break;
    case TPixelFormat::Custom:
    default: throw Failure("Invalid pixel format");
    }
    KeepFacts(src, *dst);
    CopyPixels(src, *dst);
    return dst;
}

namespace {
unsigned IndexAt(const uint8_t* row, int32_t x, int bitCount)
{
    return bitCount == 1 ? (row[x >> 3] >> (7 - (x & 7))) & 1 : ((x & 1) ? row[x >> 1] & 0x0f : row[x >> 1] >> 4);
}

void SetIndexAt(uint8_t* row, int32_t x, int bitCount, unsigned v)
{
    if (bitCount == 1) {
        const uint8_t bit = uint8_t(0x80 >> (x & 7));
        row[x >> 3] = uint8_t(v & 1 ? row[x >> 3] | bit : row[x >> 3] & ~bit);
    } else {
        uint8_t& b = row[x >> 1];
        b = (x & 1) ? uint8_t((b & 0xf0) | (v & 0x0f)) : uint8_t((b & 0x0f) | (v & 0x0f) << 4);
    }
}
}

std::shared_ptr<DibImage> ResizeDib(const DibImage& src, int32_t width, int32_t height, uint32_t fill)
{
    auto dst = NewDib(width, height, src.bitCount);
    // Same form: copy every fact except the size and the pixels.
    {
        DibImage& d = *dst;
        d.planes = src.planes;
        d.device = src.device;
        d.topDown = src.topDown;
        d.coreHeader = src.coreHeader;
        d.hasMasks = src.hasMasks;
        d.redMask = src.redMask;
        d.greenMask = src.greenMask;
        d.blueMask = src.blueMask;
        d.xPelsPerMeter = src.xPelsPerMeter;
        d.yPelsPerMeter = src.yPelsPerMeter;
        d.colors = src.colors;
    }
    PixelWriter writer(*dst);
    const std::vector<uint32_t> fillRow(size_t(width), 0xff000000u | fill);
    for (int32_t y = 0; y < height; ++y)
        writer.WriteRow(y, fillRow.data());
    // The old pixels keep their stored values (indices stay indices).
    const int32_t w = std::min(width, src.width), h = std::min(height, src.height);
    if (w == 0 || src.bits.size() < size_t(src.stride) * size_t(src.height))
        return dst;
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* from = src.Row(y);
        uint8_t* to = dst->Row(y);
        if (src.bitCount % 8 == 0) {
            std::memcpy(to, from, size_t(w) * (src.bitCount / 8));
        } else {
            for (int32_t x = 0; x < w; ++x)
                SetIndexAt(to, x, src.bitCount, IndexAt(from, x, src.bitCount));
        }
    }
    return dst;
}
