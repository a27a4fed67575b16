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
    if (m_rows >= m_height)
        return;
    ++m_rows;
    if (m_factor == 1) {
        std::memcpy(m_image.scanLine(m_rows - 1), row, size_t(m_width) * sizeof(QRgb));
        return;
    }
    for (int x = 0; x < m_width; ++x) {
        const QRgb c = row[x];
        const uint64_t a = qAlpha(c);
        uint64_t* s = &m_sums[size_t(x / m_factor) * 5];
        s[0] += a;
        s[1] += a * qRed(c);
        s[2] += a * qGreen(c);
        s[3] += a * qBlue(c);
        s[4] += 1;
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
