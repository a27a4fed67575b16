// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Animated GIF and WebP files played frame after frame: each frame is the whole canvas as it
// stands after that frame (GIF disposal applied, WebP blended by libwebp's animation decoder),
// made ready to show as the first frame is (profile, orientation, background). Frames are
// decoded one at a time, when asked: a caller on the window's thread asks for one a tick.
#include <memory>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include "picture/RasterCodec.h"

// A frame as decoded: the canvas after it (Format_ARGB32, straight alpha, as stored) and its
// delay as stored.
struct CanvasFrame {
    QImage canvas;
    int delayMs = 0;
};

// The frames of one kind of file, from the first on.
class FrameReader {
public:
    virtual ~FrameReader() = default;
    // The next frame; false after the last one, and at damage (`error` then says why).
    virtual bool Next(CanvasFrame& frame) = 0;
    // Back before the first frame, for another loop.
    virtual void Rewind() = 0;
    QString error;
    // A GIF's looping block, once read: the repeats after the first play (0: for ever);
    // -1 while none was seen.
    int repeats = -1;
};

// Both throw Failure for bytes whose header is not valid; the canvas size is checked by the
// facts, which the caller reads first.
std::unique_ptr<FrameReader> OpenGifFrames(const QByteArray& data);
std::unique_ptr<FrameReader> OpenWebpFrames(const QByteArray& data);

// The delay a frame is shown for: as stored, but delays under 20 ms as 100 ms, as browsers
// play them (such files were made for players that did).
int PlayedDelay(int storedMs);

class Animation {
public:
    // Throws Failure for bytes that are not a GIF or WebP of more than one frame, whose header is
    // damaged, or whose canvas is beyond PictureLimits.
    Animation(const QByteArray& data, QColor background);
    ~Animation();
    Animation(const Animation&) = delete;
    Animation& operator=(const Animation&) = delete;

    const RasterFacts& Facts() const { return m_facts; }
    // The next frame ready to show (Format_RGB32, upright, in sRGB, over the background) and
    // how long it stays; false after the last frame (Error() empty), at a damaged frame, or
    // past PictureLimits::kMaxGifFrames frames.
    bool Next(QImage& shown, int& delayMs);
    // The next frame as decoded, on the same terms.
    bool NextCanvas(CanvasFrame& frame);
    void Rewind();
    QString Error() const { return m_reader->error; }
    // How many times the frames are played, 0 for ever: a WebP's loop count; a GIF's looping
    // block's repeats after the first play (once without one). Known once the first frame
    // has been read.
    int Plays() const;

private:
    RasterFacts m_facts;
    bool m_gif = false;
    QColor m_background;
    QByteArray m_data;
    std::unique_ptr<FrameReader> m_reader;
    int m_given = 0; // frames given since the last rewind
};
