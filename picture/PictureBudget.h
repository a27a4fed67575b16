// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The memory the thumbnail decodes of a window may hold at once. The decoded-size limit
// (picture/Limits.h) holds per file; this holds for the decodes of a page together, so a page
// of crafted headers cannot add up to more than one file may take alone. Shared by the window's
// thread (which hands it out) and the workers (which reserve from it); its state is under a mutex.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include "picture/Limits.h"

class DecodeBudget {
public:
    // The per-file limit, shared by the decodes running at once: any file the readers accept
    // can still be thumbnailed alone, and no page ties up more than that.
    static constexpr int64_t kPageBytes = PictureLimits::kMaxDecodedBytes;

    explicit DecodeBudget(int64_t total = kPageBytes) : m_total(total) {}
    DecodeBudget(const DecodeBudget&) = delete;
    DecodeBudget& operator=(const DecodeBudget&) = delete;

    // Takes `bytes` out of the budget before they are allocated. A request the budget could
    // hold alone waits for running decodes to give theirs back, unless `stop` is raised
    // meanwhile; only one larger than the whole budget is refused, at once.
    bool Reserve(int64_t bytes, const std::atomic<bool>* stop);
    void Release(int64_t bytes);

    int64_t Total() const { return m_total; }
    int64_t Held() const;
    int64_t Peak() const; // the most held at once
    int Refused() const;

private:
    const int64_t m_total;
    mutable std::mutex m_lock;
    std::condition_variable m_freed;
    int64_t m_held = 0;
    int64_t m_peak = 0;
    int m_refused = 0;
};

// A reservation given back when it goes out of scope; `Ok()` false when it was refused.
class BudgetHold {
public:
    BudgetHold(DecodeBudget* budget, int64_t bytes, const std::atomic<bool>* stop)
        : m_budget(budget), m_bytes(bytes), m_ok(!budget || budget->Reserve(bytes, stop))
    {}
    ~BudgetHold()
    {
        if (m_budget && m_ok)
            m_budget->Release(m_bytes);
    }
    BudgetHold(const BudgetHold&) = delete;
    BudgetHold& operator=(const BudgetHold&) = delete;
    bool Ok() const { return m_ok; }

private:
    DecodeBudget* m_budget;
    int64_t m_bytes;
    bool m_ok;
};
