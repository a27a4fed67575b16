// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/zoom/BoxReduce.h"
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {
// Weights are in 256ths; each zoomed pixel's weights sum to 256 exactly.
constexpr int64_t kOne = 256;

struct Taps {
    std::vector<int> start;       // first source index of each zoomed pixel
    std::vector<int> count;       // how many source pixels it covers
    std::vector<int> offset;      // where its weights begin in `weight`
    std::vector<uint16_t> weight; // the weights, zoomed pixel after zoomed pixel
};

// Edge k of the zoomed pixels, in 256ths of a source pixel.
int64_t Edge(int64_t k, double unit)
{
    return std::llround(double(k) * double(kOne) / unit);
}

Taps MakeTaps(int first, int count, double unit, int sourceSize)
{
    Taps t;
    t.start.resize(size_t(count));
    t.count.resize(size_t(count));
    t.offset.resize(size_t(count));
    for (int j = 0; j < count; ++j) {
        const int64_t a = Edge(first + j, unit), b = std::max(Edge(first + j + 1, unit), a + 1);
        const int i0 = int(a / kOne), i1 = int((b - 1) / kOne);
        t.offset[size_t(j)] = int(t.weight.size());
        int64_t given = 0;
        int last = -1;
        for (int i = i0; i <= i1; ++i) {
            const int64_t overlap = std::min(b, (i + 1) * kOne) - std::max(a, i * kOne);
            int64_t w = overlap * kOne / (b - a);
            if (i == i1)
                w = kOne - given;
            given += w;
            // Past the source's last pixel (a side that does not divide evenly) counts as it.
            const int index = std::min(i, sourceSize - 1);
            if (index == last) {
                t.weight.back() = uint16_t(t.weight.back() + w);
            } else {
                t.weight.push_back(uint16_t(w));
                last = index;
            }
        }
        t.start[size_t(j)] = std::min(i0, sourceSize - 1);
        t.count[size_t(j)] = int(t.weight.size()) - t.offset[size_t(j)];
    }
    return t;
}
}

QImage BoxReduce(const QImage& pixels, QPoint origin, QSize sourceSize, double unitX, double unitY, const QRect& dest)
{
    QImage out(dest.size(), QImage::Format_RGB32);
    if (out.isNull() || dest.isEmpty())
        return out;
    const Taps cols = MakeTaps(dest.left(), dest.width(), unitX, sourceSize.width());
    const Taps rows = MakeTaps(dest.top(), dest.height(), unitY, sourceSize.height());
    const int c0 = cols.start.front();
    const int c1 = cols.start.back() + cols.count.back();
    const size_t width = size_t(c1 - c0);
    // One row of vertical sums, a 16-bit sum for each byte of the row (a sum is at most
    // 255 x 256), then the horizontal pass over it. Plain loops over bytes, which the
    // compiler turns into vector instructions.
    std::vector<uint16_t> sums(width * 4);
    for (int y = 0; y < dest.height(); ++y) {
        const int rowStart = rows.start[size_t(y)];
        const uint16_t* rw = rows.weight.data() + rows.offset[size_t(y)];
        uint16_t* acc = sums.data();
        for (int k = 0; k < rows.count[size_t(y)]; ++k) {
            const uint16_t w = rw[k];
            const uint8_t* line = pixels.constScanLine(rowStart + k - origin.y()) + size_t(c0 - origin.x()) * 4;
            if (k == 0) {
                for (size_t i = 0; i < width * 4; ++i)
                    acc[i] = uint16_t(w * line[i]);
            } else {
                for (size_t i = 0; i < width * 4; ++i)
                    acc[i] = uint16_t(acc[i] + uint16_t(w * line[i]));
            }
        }
        auto* o = reinterpret_cast<uint32_t*>(out.scanLine(y));
        for (int x = 0; x < dest.width(); ++x) {
            const uint16_t* a = acc + size_t(cols.start[size_t(x)] - c0) * 4;
            const uint16_t* cw = cols.weight.data() + cols.offset[size_t(x)];
            uint32_t b = 0, g = 0, r = 0;
            for (int k = 0; k < cols.count[size_t(x)]; ++k, a += 4) {
                b += uint32_t(cw[k]) * a[0];
                g += uint32_t(cw[k]) * a[1];
                r += uint32_t(cw[k]) * a[2];
            }
            constexpr uint32_t half = 1u << 15;
            o[x] = 0xFF000000u | (((r + half) >> 16) << 16) | (((g + half) >> 16) << 8) | ((b + half) >> 16);
        }
    }
    return out;
}
