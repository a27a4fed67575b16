// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/JpegProgress.h"
#include <algorithm>
#include "picture/Numbers.h"
#include "picture/ScreenFacts.h"

int JpegPercentDone(long completedPasses, long passCounter, long passLimit, long totalPasses)
{
    if (totalPasses <= 0)
        return 0;
    long double done = completedPasses;
    if (passLimit > 0)
        done += static_cast<long double>(passCounter) / passLimit;
    return std::clamp(Trunc(100.0L * done / totalPasses), 0, 100);
}

void JpegProgressThrottle::Reset(int32_t width, int32_t height)
{
    *this = JpegProgressThrottle();
    m_width = width;
    m_height = height;
}

std::optional<ProgressReport> JpegProgressThrottle::Step(uint32_t now, int percent, int32_t rows)
{
    if (!m_started) {
        // The first call only starts the clock.
        m_started = true;
        m_last = now;
        return std::nullopt;
    }
    // Unsigned difference: correct across a wrap of the 32-bit tick.
    if (now - m_last < kIntervalMs || percent == m_percent)
        return std::nullopt;

    ProgressReport r;
    r.stage = TProgressStage::Running;
    r.percent = percent;
    int32_t count = 0;
    if (m_width > 0) {
        if (rows >= m_row) {
            count = rows - m_row;
            r.rect = QRect(0, m_row, m_width, count);
        } else {
            // A new output pass began since the last report (buffered-image mode): the rows
            // done span the end of the old pass and the start of the new one.
            count = (m_height - m_row) + rows;
            r.rect = QRect(0, 0, m_width, m_height);
        }
    }
    r.redrawNow = count > 3;
    m_last = now;
    m_percent = percent;
    m_row = rows;
    return r;
}

bool JpegProgressSink::Edge(TProgressStage stage, int percent) noexcept
{
    ProgressReport r;
    r.stage = stage;
    r.percent = percent;
    return Send(r);
}

bool JpegProgressSink::Hook(long completedPasses, long passCounter, long passLimit, long totalPasses,
                            int32_t rows) noexcept
{
    if (m_aborted)
        return false;
    if (!m_handler)
        return true;
    std::optional<ProgressReport> r;
    try {
        const int percent = JpegPercentDone(completedPasses, passCounter, passLimit, totalPasses);
        r = m_throttle.Step(ScreenTick(), percent, rows);
    } catch (...) {
        return true; // a failing tick only costs a report
    }
    return !r || Send(*r);
}

QString JpegProgressSink::AbortText() const
{
    return m_abortText.isEmpty() ? QStringLiteral("Operation aborted") : m_abortText;
}

bool JpegProgressSink::Send(const ProgressReport& r) noexcept
{
    if (!m_handler)
        return true;
    try {
        m_handler(r);
        return true;
    } catch (const std::exception& e) {
        m_aborted = true;
        try {
            m_abortText = QString::fromUtf8(e.what());
        } catch (...) {}
    } catch (...) {
        m_aborted = true;
    }
    return false;
}
