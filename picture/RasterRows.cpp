// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/RasterRows.h"
#include <algorithm>
#include <cstring>
#include "picture/Failure.h"
#include "picture/Limits.h"

void CheckRasterSize(int64_t width, int64_t height, const char* invalidText)
{
    if (width <= 0 || height <= 0)
        throw Failure(invalidText);
    if (width > PictureLimits::kMaxSide || height > PictureLimits::kMaxSide ||
        width * height * 4 > PictureLimits::kMaxDecodedBytes)
        throw Failure(kOutOfResources);
}

int ReduceFactor(QSize full, QSize atLeast)
{
    if (!atLeast.isValid() || atLeast.isEmpty())
        return 1;
    return std::max(1, std::min(full.width() / atLeast.width(), full.height() / atLeast.height()));
}

RowReducer::RowReducer(int width, int height, int factor)
    : m_width(width), m_height(height), m_factor(std::max(1, factor)),
      m_image((width + m_factor - 1) / m_factor, (height + m_factor - 1) / m_factor, QImage::Format_ARGB32)
{
    if (m_image.isNull())
        throw Failure(kOutOfResources);
    m_image.fill(Qt::transparent);
    if (m_factor > 1)
        m_sums.assign(size_t(m_image.width()) * 5, 0);
}

void RowReducer::AddRow(const QRgb* row)
{
    if (m_factor == 1 && m_rows < m_height) {
        std::memcpy(m_image.scanLine(m_rows++), row, size_t(m_width) * sizeof(QRgb));
        return;
    }
    AddPixels([row](int x, uint32_t& r, uint32_t& g, uint32_t& b, uint32_t& a) {
        const QRgb c = row[x];
        r = uint32_t(qRed(c));
        g = uint32_t(qGreen(c));
        b = uint32_t(qBlue(c));
        a = uint32_t(qAlpha(c));
    });
}

void RowReducer::AddRgbaRow(const uint8_t* row)
{
    AddPixels([row](int x, uint32_t& r, uint32_t& g, uint32_t& b, uint32_t& a) {
        const uint8_t* p = row + size_t(x) * 4;
        r = p[0];
        g = p[1];
        b = p[2];
        a = p[3];
    });
}

template <class Get>
void RowReducer::AddPixels(const Get& get)
{
    if (m_rows >= m_height)
        return;
    ++m_rows;
    if (m_factor == 1) {
        auto* out = reinterpret_cast<QRgb*>(m_image.scanLine(m_rows - 1));
        uint32_t r = 0, g = 0, b = 0, a = 0;
        for (int x = 0; x < m_width; ++x) {
            get(x, r, g, b, a);
            out[x] = qRgba(int(r), int(g), int(b), int(a));
        }
        return;
    }
    // A block's part of this row in 32 bits: at most kMaxSide pixels of 255 x 255 fit.
    static_assert(uint64_t(PictureLimits::kMaxSide) * 255 * 255 <= UINT32_MAX);
    uint64_t* s = m_sums.data();
    for (int x0 = 0; x0 < m_width; x0 += m_factor, s += 5) {
        const int n = std::min(m_factor, m_width - x0);
        uint32_t sa = 0, sr = 0, sg = 0, sb = 0;
        for (int x = x0; x < x0 + n; ++x) {
            uint32_t r = 0, g = 0, b = 0, a = 0;
            get(x, r, g, b, a);
            sa += a;
            sr += a * r;
            sg += a * g;
            sb += a * b;
        }
        s[0] += sa;
        s[1] += sr;
        s[2] += sg;
        s[3] += sb;
        s[4] += uint64_t(n);
    }
    if (++m_bandRows == m_factor || m_rows == m_height)
        FlushBand();
}

void RowReducer::FlushBand()
{
    if (m_bandRows == 0)
        return;
    auto* out = reinterpret_cast<QRgb*>(m_image.scanLine((m_rows - 1) / m_factor));
    for (int x = 0; x < m_image.width(); ++x) {
        uint64_t* s = &m_sums[size_t(x) * 5];
        const uint64_t a = s[0];
        const auto colour = [a](uint64_t sum) { return a ? int((sum + a / 2) / a) : 0; };
        out[x] = qRgba(colour(s[1]), colour(s[2]), colour(s[3]), int((a + s[4] / 2) / s[4]));
        std::fill(s, s + 5, 0);
    }
    m_bandRows = 0;
}

QImage RowReducer::Finish()
{
    if (m_rows == 0)
        return {};
    if (m_factor > 1)
        FlushBand();
    return m_image;
}
