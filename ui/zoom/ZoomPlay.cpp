// SPDX-License-Identifier: GPL-3.0-or-later
// The zoom window playing an animated GIF or WebP: each frame becomes the whole picture, drawn
// from at the zoom it stands at; a sub-section, once cut, stays as cut. Saving and cutting
// hold the first frame while they take it; the whole picture plays on after them.
#include "ui/common/AnimationPlayer.h"
#include "ui/zoom/Zoom.h"
#include "ui/zoom/ZoomImage.h"

void TZoomForm::BuildPlayer()
{
    Player = std::make_unique<AnimationPlayer>(m_platform);
    Player->OnFrame = [this](const QImage& frame) { ShowWholeFrame(OpaqueBitmap32(frame).SharedDib()); };
}

void TZoomForm::PlayPicture()
{
    m_firstFrame = WholeBitmap->SharedDib();
    if (!Player->Start(m_picture.Graphic(), Qt::white))
        m_firstFrame.reset();
}

void TZoomForm::StopPlaying()
{
    Player->Pause();
    if (m_firstFrame)
        ShowWholeFrame(m_firstFrame);
}

void TZoomForm::ResumePlaying()
{
    if (!HasSubSection)
        Player->Resume();
}

void TZoomForm::ShowWholeFrame(std::shared_ptr<const DibImage> frame)
{
    WholeBitmap = std::make_unique<TBitmap>(std::move(frame));
    if (HasSubSection)
        return;
    imgZoom->Source().SetBase(*WholeBitmap);
    imgZoom->update();
}
