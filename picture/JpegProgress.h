// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// When libjpeg's progress hook turns into a "running" report. Kept apart from the codec
// so the throttle can be tested with a fake tick.
#include <cstdint>
#include <functional>
#include <optional>
#include "picture/Graphic.h"

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

// The C++ side of a coding's progress: the caller's handler behind the throttle. libjpeg's
// hook reaches it through plain frames, so nothing here lets an exception out; a handler
// that throws asks the coding to stop.
class JpegProgressSink {
public:
    using Handler = std::function<void(const ProgressReport&)>;
    explicit JpegProgressSink(const Handler& handler) : m_handler(handler) {}

    // Starting or ending report; false when the handler threw.
    bool Edge(TProgressStage stage, int percent) noexcept;
    // Starts the throttle for an output of this size (0 x 0 when encoding).
    void Start(int32_t width, int32_t height) noexcept { m_throttle.Reset(width, height); }
    // One call of libjpeg's hook with its pass counters; false when the handler threw.
    bool Hook(long completedPasses, long passCounter, long passLimit, long totalPasses, int32_t rows) noexcept;
    // The stopping handler's message.
    QString AbortText() const;

private:
    bool Send(const ProgressReport& r) noexcept;

    const Handler& m_handler;
    JpegProgressThrottle m_throttle;
    bool m_aborted = false;
    QString m_abortText;
};
