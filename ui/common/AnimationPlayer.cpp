// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/common/AnimationPlayer.h"
#include "picture/Animation.h"
#include "picture/PictureFormats.h"
#include "picture/RasterBitmap.h"
#include "platform/Guard.h"
#include "platform/Platform.h"

namespace {

using Ahead = AnimationPlayer::Ahead;

// The frame after the last one given: past the end, the first one again.
Ahead DecodeAhead(Animation& animation)
{
    Ahead ahead;
    try {
        if (animation.Next(ahead.frame, ahead.delayMs))
            return ahead;
        ahead.wrapped = true;
        if (!animation.Error().isEmpty()) {
            ahead.ended = true; // a damaged frame: the last good one stays
            return ahead;
        }
        animation.Rewind();
        ahead.ended = !animation.Next(ahead.frame, ahead.delayMs);
    } catch (...) {
        ahead.failed = true; // out of memory: the frame shown stays
    }
    return ahead;
}

} // namespace

AnimationPlayer::AnimationPlayer(Platform& platform) : m_platform(platform)
{
    m_timer = m_platform.CreateTimer();
    m_timer->OnTimeout = GuardedCallback(m_platform, [this] { Tick(); });
}

AnimationPlayer::~AnimationPlayer()
{
    DropAhead(); // the worker still uses the animation
}

bool AnimationPlayer::Start(const TGraphic* graphic, QColor background)
{
    Stop();
    const TRasterBitmap* raster = RasterOf(graphic);
    if (!raster || raster->AnimationBytes().isEmpty())
        return false;
    try {
        m_animation = std::make_unique<Animation>(raster->AnimationBytes(), background);
    } catch (...) {
        return false; // the first frame, as loaded, stays
    }
    for (const int delay : m_animation->Facts().delaysMs)
        m_loopMs += PlayedDelay(delay);
    if (!PlayFromStart()) {
        Stop();
        return false;
    }
    return true;
}

void AnimationPlayer::Stop()
{
    m_timer->Stop();
    DropAhead();
    m_animation.reset();
    m_paused = false;
    m_loopsPlayed = 0;
    m_loopMs = 0;
}

void AnimationPlayer::Pause()
{
    if (!m_animation)
        return;
    m_timer->Stop();
    DropAhead();
    m_paused = true;
}

void AnimationPlayer::Resume()
{
    if (!m_paused)
        return;
    m_paused = false;
    m_loopsPlayed = 0;
    if (!PlayFromStart())
        Stop();
}

void AnimationPlayer::DropAhead()
{
    if (m_ahead.valid())
        m_ahead.wait();
    m_ahead = {};
}

bool AnimationPlayer::PlayFromStart()
{
    Ahead first;
    try {
        m_animation->Rewind();
        first.ended = !m_animation->Next(first.frame, first.delayMs);
    } catch (...) {
        return false;
    }
    if (first.ended)
        return false;
    Show(first);
    return true;
}

void AnimationPlayer::Show(const Ahead& ahead)
{
    if (OnFrame)
        OnFrame(ahead.frame);
    m_timer->Start(ahead.delayMs);
    // One task at a time uses the animation; Tick, Pause and Stop wait for it first.
    m_ahead = std::async(std::launch::async, [animation = m_animation.get()] { return DecodeAhead(*animation); });
}

void AnimationPlayer::Tick()
{
    m_timer->Stop();
    if (!m_animation || !m_ahead.valid())
        return;
    const Ahead next = m_ahead.get();
    if (next.failed) {
        m_animation.reset();
        return;
    }
    // The frames ended: another loop, unless the file's count is reached or a frame was
    // damaged (then the last good frame stays).
    if (next.wrapped) {
        ++m_loopsPlayed;
        const int plays = m_animation->Plays();
        if (next.ended || (plays > 0 && m_loopsPlayed >= plays)) {
            m_animation.reset();
            return;
        }
    }
    Show(next);
}
