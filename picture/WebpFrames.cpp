// SPDX-License-Identifier: GPL-3.0-or-later
// An animated WebP's frames through libwebp's animation decoder, which blends and disposes
// them on its canvas.
#include <cstring>
#include <webp/demux.h>
#include "picture/Animation.h"
#include "picture/Failure.h"
#include "picture/WebpCodec.h"

namespace {

struct AnimDecoderDelete {
    void operator()(WebPAnimDecoder* d) const { WebPAnimDecoderDelete(d); }
};

class WebpFrames : public FrameReader {
public:
    explicit WebpFrames(const QByteArray& data) : m_data(data)
    {
        WebPAnimDecoderOptions options;
        if (!WebPAnimDecoderOptionsInit(&options))
            throw Failure(kOutOfResources);
        options.color_mode = MODE_BGRA; // straight alpha, Format_ARGB32 on this byte order
        options.use_threads = 0;
        const WebPData whole {reinterpret_cast<const uint8_t*>(m_data.constData()), size_t(m_data.size())};
        m_decoder.reset(WebPAnimDecoderNew(&whole, &options));
        if (!m_decoder || !WebPAnimDecoderGetInfo(m_decoder.get(), &m_info))
            throw Failure(QStringLiteral("%1: damaged data").arg(QLatin1String(kWebpInvalid)));
    }

    bool Next(CanvasFrame& frame) override
    {
        if (!m_decoder || !WebPAnimDecoderHasMoreFrames(m_decoder.get()))
            return false;
        uint8_t* pixels = nullptr;
        int timestamp = 0;
        if (!WebPAnimDecoderGetNext(m_decoder.get(), &pixels, &timestamp) || !pixels) {
            error = QStringLiteral("%1: damaged data").arg(QLatin1String(kWebpInvalid));
            m_decoder.reset();
            return false;
        }
        QImage canvas(int(m_info.canvas_width), int(m_info.canvas_height), QImage::Format_ARGB32);
        if (canvas.isNull())
            throw Failure(kOutOfResources);
        const size_t row = size_t(m_info.canvas_width) * 4;
        for (int y = 0; y < canvas.height(); ++y)
            std::memcpy(canvas.scanLine(y), pixels + row * size_t(y), row);
        frame.canvas = std::move(canvas);
        frame.delayMs = timestamp - m_lastTimestamp; // timestamps are when each frame ends
        m_lastTimestamp = timestamp;
        return true;
    }

    void Rewind() override
    {
        if (m_decoder)
            WebPAnimDecoderReset(m_decoder.get());
        m_lastTimestamp = 0;
    }

private:
    QByteArray m_data;
    std::unique_ptr<WebPAnimDecoder, AnimDecoderDelete> m_decoder;
    WebPAnimInfo m_info {};
    int m_lastTimestamp = 0;
};

} // namespace

std::unique_ptr<FrameReader> OpenWebpFrames(const QByteArray& data)
{
    return std::make_unique<WebpFrames>(data);
}
