// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: an animated GIF or WebP played through, frame after frame, twice over (the
// second time after a rewind), as the windows play it.
#include "FuzzCommon.h"
#include "picture/Animation.h"
#include "picture/Failure.h"
#include "picture/Limits.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Frames up to 2048 x 2048 are played; larger legal canvases only cost time.
    constexpr int64_t kMaxPlayedPixels = int64_t(1) << 22;
    try {
        Animation animation(fuzz::Bytes(data, size), Qt::white);
        const RasterFacts& f = animation.Facts();
        fuzz::Require(f.frames > 1, "an animation has frames");
        if (int64_t(f.width) * f.height > kMaxPlayedPixels)
            return 0;
        for (int loop = 0; loop < 2; ++loop) {
            int frames = 0;
            QImage shown;
            int delay = 0;
            while (animation.Next(shown, delay)) {
                ++frames;
                fuzz::Require(shown.format() == QImage::Format_RGB32, "frames ready to show");
                fuzz::Require(shown.size() == QSize(f.width, f.height) || shown.size() == QSize(f.height, f.width),
                              "frames of the canvas's size");
                fuzz::Require(delay >= 20, "delays as played");
            }
            fuzz::Require(frames <= PictureLimits::kMaxGifFrames, "frames within the limit");
            animation.Rewind();
        }
        fuzz::Require(animation.Plays() >= 0, "a play count");
    } catch (const Failure&) {
        // Refused before playing: not an animation, damaged header, beyond the limits.
    }
    return 0;
}
