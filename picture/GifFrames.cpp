// SPDX-License-Identifier: GPL-3.0-or-later
// A GIF's frames composited on its screen: each frame drawn over what the one before left,
// after that one's disposal (its area cleared, or the canvas put back as it was before it).
#include <algorithm>
#include <vector>
#include "picture/Animation.h"
#include "picture/Failure.h"
#include "picture/GifRead.h"
#include "picture/Limits.h"

namespace {

class GifFrames : public FrameReader {
public:
    explicit GifFrames(const QByteArray& data) : m_data(data) { Rewind(); }

    void Rewind() override
    {
        m_source.at = 0;
        m_gif = OpenGif(m_source);
        m_canvas = QImage(m_gif->SWidth, m_gif->SHeight, QImage::Format_ARGB32);
        if (m_canvas.isNull())
            throw Failure(kOutOfResources);
        m_canvas.fill(0);
        m_before = QImage();
        m_dispose = 0;
        m_area = QRect();
        error.clear();
    }

    bool Next(CanvasFrame& frame) override
    {
        if (!m_gif)
            return false;
        GifControl control;
        for (;;) {
            GifRecordType type = UNDEFINED_RECORD_TYPE;
            if (DGifGetRecordType(m_gif.get(), &type) == GIF_ERROR)
                return Fail(GifReason(m_gif->Error));
            if (type == TERMINATE_RECORD_TYPE) {
                m_gif.reset();
                return false;
            }
            if (type == EXTENSION_RECORD_TYPE) {
                if (!ReadGifExtension(m_gif.get(), control, repeats))
                    return Fail(GifReason(m_gif->Error));
                continue;
            }
            if (type != IMAGE_DESC_RECORD_TYPE)
                return Fail(GifReason(D_GIF_ERR_WRONG_RECORD));
            if (DGifGetImageHeader(m_gif.get()) == GIF_ERROR)
                return Fail(GifReason(m_gif->Error));
            break;
        }
        Dispose();
        const QString fault = Draw(control);
        if (!fault.isEmpty())
            return Fail(fault);
        frame.canvas = m_canvas;
        frame.delayMs = control.delay * 10;
        return true;
    }

private:
    bool Fail(const QString& reason)
    {
        error = reason;
        m_gif.reset(); // nothing is read after damage
        return false;
    }

    // What the frame before asked to be done once it had been shown.
    void Dispose()
    {
        if (m_dispose == 2) {
            for (int y = m_area.top(); y <= m_area.bottom(); ++y)
                std::fill_n(reinterpret_cast<QRgb*>(m_canvas.scanLine(y)) + m_area.left(), m_area.width(), 0u);
        } else if (m_dispose == 3 && !m_before.isNull()) {
            m_canvas = m_before;
        }
        m_before = QImage();
    }

    // The frame whose header was just read, over the canvas; the reason it failed, or empty.
    QString Draw(const GifControl& control)
    {
        GifFileType* gif = m_gif.get();
        const GifImageDesc& d = gif->Image;
        const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif->SColorMap;
        if (!map)
            return GifReason(D_GIF_ERR_NO_COLOR_MAP);
        // Every pixel is decompressed, also off the screen: held to a picture's limit.
        if (d.Width <= 0 || d.Height <= 0 || int64_t(d.Width) * d.Height * 4 > PictureLimits::kMaxDecodedBytes)
            return QString::fromLatin1(kOutOfResources);
        QRgb palette[256];
        std::fill(std::begin(palette), std::end(palette), qRgb(0, 0, 0)); // beyond the map: black
        for (int i = 0; i < std::min(map->ColorCount, 256); ++i)
            palette[i] = qRgb(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue);
        m_area = QRect(d.Left, d.Top, d.Width, d.Height).intersected(m_canvas.rect());
        m_dispose = control.dispose;
        if (m_dispose == 3)
            m_before = m_canvas.copy();
        const int columns = std::clamp(gif->SWidth - d.Left, 0, d.Width);
        std::vector<GifByteType> line(size_t(d.Width));
        constexpr int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
        const int passes = d.Interlace ? 4 : 1;
        for (int pass = 0; pass < passes; ++pass)
            for (int y = d.Interlace ? kStart[pass] : 0; y < d.Height; y += d.Interlace ? kStep[pass] : 1) {
                if (DGifGetLine(gif, line.data(), d.Width) == GIF_ERROR)
                    return GifReason(gif->Error);
                const int row = d.Top + y;
                if (row >= m_canvas.height() || columns == 0)
                    continue;
                auto* out = reinterpret_cast<QRgb*>(m_canvas.scanLine(row)) + d.Left;
                for (int x = 0; x < columns; ++x)
                    if (line[size_t(x)] != control.transparent)
                        out[x] = palette[line[size_t(x)]];
            }
        return {};
    }

    QByteArray m_data;
    GifSource m_source {m_data};
    GifHandle m_gif;
    QImage m_canvas;
    QImage m_before; // the canvas before a frame that puts it back after
    int m_dispose = 0;
    QRect m_area; // the last frame's area on the canvas
};

} // namespace

std::unique_ptr<FrameReader> OpenGifFrames(const QByteArray& data)
{
    return std::make_unique<GifFrames>(data);
}
