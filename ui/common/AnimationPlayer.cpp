// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/common/AnimationPlayer.h"
#include "picture/Animation.h"
#include "picture/PictureFormats.h"
#include "picture/RasterBitmap.h"
#include "platform/Guard.h"
#include "platform/Platform.h"

AnimationPlayer::AnimationPlayer(Platform& platform) : m_platform(platform)
{
    m_timer = m_platform.CreateTimer();
    m_timer->OnTimeout = GuardedCallback(m_platform, [this] { Tick(); });
}

AnimationPlayer::~AnimationPlayer() = default;

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
    if (!ShowNext(false)) {
        Stop();
        return false;
    }
    return true;
}

void AnimationPlayer::Stop()
{
    m_timer->Stop();
    m_animation.reset();
    m_loopsPlayed = 0;
    m_loopMs = 0;
}

bool AnimationPlayer::ShowNext(bool fromStart)
{
    QImage frame;
    int delay = 0;
    try {
        if (fromStart)
            m_animation->Rewind();
        if (!m_animation->Next(frame, delay))
            return false;
    } catch (...) {
        m_animation.reset(); // out of memory: the frame shown stays
        return false;
    }
    if (OnFrame)
        OnFrame(frame);
    m_timer->Start(delay);
    return true;
}

void AnimationPlayer::Tick()
{
    m_timer->Stop();
    if (!m_animation || ShowNext(false) || !m_animation)
        return;
    // The frames ended: another loop, unless the file's count is reached or a frame was
    // damaged (then the last good frame stays).
    const bool damaged = !m_animation->Error().isEmpty();
    ++m_loopsPlayed;
    const int plays = m_animation->Plays();
    if (damaged || (plays > 0 && m_loopsPlayed >= plays)) {
        m_animation.reset();
        return;
    }
    if (!ShowNext(true))
        m_animation.reset();
}
