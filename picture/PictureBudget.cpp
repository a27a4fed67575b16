// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/PictureBudget.h"
#include <algorithm>
#include <chrono>

bool DecodeBudget::Reserve(int64_t bytes, const std::atomic<bool>* stop)
{
    bytes = std::max<int64_t>(0, bytes);
    std::unique_lock<std::mutex> hold(m_lock);
    const bool waits = bytes <= m_total;
    while (m_held + bytes > m_total) {
        if (!waits || (stop && stop->load(std::memory_order_relaxed))) {
            ++m_refused;
            return false;
        }
        // The stop flag is raised without a signal here: looked at again every few milliseconds.
        m_freed.wait_for(hold, std::chrono::milliseconds(20));
    }
    m_held += bytes;
    m_peak = std::max(m_peak, m_held);
    return true;
}

void DecodeBudget::Release(int64_t bytes)
{
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_held -= std::max<int64_t>(0, bytes);
    }
    m_freed.notify_all();
}

int64_t DecodeBudget::Held() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_held;
}

int64_t DecodeBudget::Peak() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_peak;
}

int DecodeBudget::Refused() const
{
    std::lock_guard<std::mutex> hold(m_lock);
    return m_refused;
}
