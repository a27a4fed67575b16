#pragma once
// When libjpeg's progress hook turns into a "running" report. Kept apart from the codec
// so the throttle can be tested with a fake tick.
#include <cstdint>
#include <optional>
#include "Graphic.h"

// 100 * (completed passes + pass counter / pass limit) / total passes, truncated, 0..100.
int JpegPercentDone(long completedPasses, long passCounter, long passLimit, long totalPasses);

class JpegProgressThrottle {
public:
    static constexpr uint32_t kIntervalMs = 500;

    // Called with the starting report (0 per cent, no rows yet) for a picture of this size;
    // width 0 for encoding, whose reports carry no rectangle.
    void Reset(int32_t width, int32_t height);

    // One call of the hook at tick `now`, with `rows` rows of the current output pass done.
    // A report is due at most once per kIntervalMs, never at the first call, and only when
    // the per cent done changed. Its rectangle covers the rows done since the last report.
    std::optional<ProgressReport> Step(uint32_t now, int percent, int32_t rows);

private:
    bool m_started = false;
    uint32_t m_last = 0;
    int m_percent = 0;
    int32_t m_row = 0;
    int32_t m_width = 0, m_height = 0;
};
