// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Plays an animated GIF or WebP a window shows: frames at their delays, as many loops as the
// file asks, on a platform timer. The first frame is decoded when playing starts; each later
// one is decoded on a worker while the frame before it shows, so a tick only hands it over.
#include <cstdint>
#include <functional>
#include <future>
#include <memory>
#include <QColor>
#include <QImage>

class Animation;
class Platform;
class PlatformTimer;
class TGraphic;

class AnimationPlayer {
public:
    explicit AnimationPlayer(Platform& platform);
    ~AnimationPlayer();
    AnimationPlayer(const AnimationPlayer&) = delete;
    AnimationPlayer& operator=(const AnimationPlayer&) = delete;

    // Stops what played and, when the graphic is an animation that decodes, shows its first
    // frame over `background` and plays on; false (nothing playing) otherwise.
    bool Start(const TGraphic* graphic, QColor background);
    void Stop();
    // Pause holds the frames (the caller shows what it needs meanwhile); Resume plays them
    // again from the first. Resume does nothing unless paused.
    void Pause();
    void Resume();
    bool Playing() const { return m_animation != nullptr; }
    bool Paused() const { return m_paused; }
    // One loop's length as played, in milliseconds (0 when nothing plays).
    int64_t LoopMs() const { return m_loopMs; }
    // A whole loop has been shown since Start, or playing ended.
    bool LoopDone() const { return m_loopsPlayed > 0 || !Playing(); }
    // The timer that brings the next frame (stopped while nothing plays).
    const PlatformTimer* Timer() const { return m_timer.get(); }

    // A frame to show (Format_RGB32, upright, in sRGB, over the background).
    std::function<void(const QImage&)> OnFrame;

    // A frame as decoded ahead: `wrapped` when the frames ended and the first came again,
    // `ended` when none came (damage, or no frames), `failed` when memory ran out.
    struct Ahead {
        QImage frame;
        int delayMs = 0;
        bool wrapped = false, ended = false, failed = false;
    };

private:
    void Tick();
    // Shows the first frame and plays on; false when it does not decode.
    bool PlayFromStart();
    void Show(const Ahead& ahead);
    // Waits for the frame being decoded ahead and drops it.
    void DropAhead();

    Platform& m_platform;
    std::unique_ptr<PlatformTimer> m_timer;
    std::unique_ptr<Animation> m_animation;
    std::future<Ahead> m_ahead; // the next frame, decoded on a worker while this one shows
    bool m_paused = false;
    int m_loopsPlayed = 0;
    int64_t m_loopMs = 0;
};
