// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/Animation.h"
#include "picture/Failure.h"
#include "picture/Limits.h"
#include "picture/RasterRead.h"

int PlayedDelay(int storedMs)
{
    return storedMs < 20 ? 100 : storedMs;
}

Animation::Animation(const QByteArray& data, QColor background) : m_background(background), m_data(data)
{
    const std::optional<GraphicKind> kind = KindForContent(m_data);
    if (kind != GraphicKind::Gif && kind != GraphicKind::Webp)
        throw Failure(QStringLiteral("Not an animation"));
    m_facts = ReadRasterFacts(*kind, m_data); // the canvas checked against the limits
    if (m_facts.frames < 2)
        throw Failure(QStringLiteral("Not an animation"));
    m_gif = *kind == GraphicKind::Gif;
    m_reader = m_gif ? OpenGifFrames(m_data) : OpenWebpFrames(m_data);
}

Animation::~Animation() = default;

bool Animation::NextCanvas(CanvasFrame& frame)
{
    if (m_given >= PictureLimits::kMaxGifFrames || !m_reader->Next(frame))
        return false;
    ++m_given;
    return true;
}

bool Animation::Next(QImage& shown, int& delayMs)
{
    CanvasFrame frame;
    if (!NextCanvas(frame))
        return false;
    shown = ReadyFrame(std::move(frame.canvas), m_facts, m_background);
    delayMs = PlayedDelay(frame.delayMs);
    return true;
}

int Animation::Plays() const
{
    if (!m_gif)
        return m_facts.loops;
    const int repeats = m_reader->repeats;
    return repeats < 0 ? 1 : repeats == 0 ? 0 : repeats + 1;
}

void Animation::Rewind()
{
    m_reader->Rewind();
    m_given = 0;
}
