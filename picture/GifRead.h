// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The giflib pieces the GIF readers share (the facts, the first frame, the animation's frames):
// reading from memory, opening with the screen checked, and the extension blocks.
#include <gif_lib.h>
#include <memory>
#include <QByteArray>
#include <QString>

// The bytes giflib reads, never past their end (a short read is its truncation error).
struct GifSource {
    const QByteArray& data;
    qsizetype at = 0;
};

struct GifClose {
    void operator()(GifFileType* gif) const { DGifCloseFile(gif, nullptr); }
};
using GifHandle = std::unique_ptr<GifFileType, GifClose>;

// giflib's error code as the reason a reader gives.
QString GifReason(int code);
// The signature, the logical screen and its colour map; throws Failure for a damaged start or
// a screen beyond the limits.
GifHandle OpenGif(GifSource& source);

// A graphic control extension's fields.
struct GifControl {
    int delay = 0;   // hundredths of a second
    int dispose = 0; // 2: the frame's area is cleared after it, 3: the canvas goes back to before it
    int transparent = -1;
};

// Reads an extension's blocks to its end: the control fields when it is a graphic control,
// the loop count when it is the looping application block. False on truncation.
bool ReadGifExtension(GifFileType* gif, GifControl& control, int& loops);
