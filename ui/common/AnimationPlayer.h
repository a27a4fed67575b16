// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Plays an animated GIF or WebP a window shows: frames at their delays, as many loops as the
// file asks, on a platform timer. One frame is decoded a tick, on the window's thread; the
// window shows each frame as OnFrame hands it over.
#include <cstdint>
#include <functional>
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
    bool Playing() const { return m_animation != nullptr; }
    // One loop's length as played, in milliseconds (0 when nothing plays).
    int64_t LoopMs() const { return m_loopMs; }
    // A whole loop has been shown since Start, or playing ended.
    bool LoopDone() const { return m_loopsPlayed > 0 || !Playing(); }
    // The timer that brings the next frame (stopped while nothing plays).
    const PlatformTimer* Timer() const { return m_timer.get(); }

    // A frame to show (Format_RGB32, upright, in sRGB, over the background).
    std::function<void(const QImage&)> OnFrame;

private:
    void Tick();
    // Shows the next frame (the first when `fromStart`) and times it; false when there is none.
    bool ShowNext(bool fromStart);

    Platform& m_platform;
    std::unique_ptr<PlatformTimer> m_timer;
    std::unique_ptr<Animation> m_animation;
    int m_loopsPlayed = 0;
    int64_t m_loopMs = 0;
};
