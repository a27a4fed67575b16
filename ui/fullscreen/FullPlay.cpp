// SPDX-License-Identifier: GPL-3.0-or-later
// The full-screen window playing an animated GIF or WebP: its frames replace the shown
// bitmap's pixels in place, so placing, scrolling and stepping treat it as any picture. A
// transparent still is shown over the window's black the same way.
#include "ui/common/AnimationPlayer.h"
#include "ui/fullscreen/Full.h"
#include "picture/PictureFormats.h"
#include "picture/RasterBitmap.h"

void TFullForm::BuildPlayer()
{
    Player = std::make_unique<AnimationPlayer>(m_platform);
    Player->OnFrame = [this](const QImage& frame) {
        if (TRasterBitmap* raster = RasterOf(imgFull->Picture().Graphic()))
            raster->ShowFrame(frame);
    };
}

void TFullForm::PlayPicture()
{
    if (PrintMode)
        return; // printed over white, as saved
    if (Player->Start(imgFull->Picture().Graphic(), Qt::black))
        return;
    // A still picture's transparent parts show the window's black, as an animation's do.
    if (TRasterBitmap* raster = RasterOf(imgFull->Picture().Graphic()))
        raster->ShowOver(Qt::black);
}

void TFullForm::StopPlaying()
{
    Player->Stop();
    if (TRasterBitmap* raster = RasterOf(imgFull->Picture().Graphic()))
        raster->ShowFirstFrame();
}
