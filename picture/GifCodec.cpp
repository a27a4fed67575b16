// SPDX-License-Identifier: GPL-3.0-or-later
// GIF files through giflib, reading from memory. The facts walk the blocks without
// decompressing a pixel; the decoding takes the first frame's rows as they come.
#include "picture/GifCodec.h"
#include "picture/GifRead.h"
#include <algorithm>
#include <memory>
#include <vector>
#include "picture/Failure.h"
#include "picture/Limits.h"
#include "picture/RasterRows.h"

namespace {

int IndexBits(const ColorMapObject* map)
{
    const int bits = map ? map->BitsPerPixel : 8;
    return bits <= 1 ? 1 : bits <= 2 ? 2 : bits <= 4 ? 4 : 8;
}

// The first frame on the screen: rows of the screen's width, transparent outside the frame.
class FrameRows {
public:
    FrameRows(const GifFileType* gif, const GifControl& control, RowReducer& out)
        : m_desc(gif->Image), m_out(out), m_row(size_t(gif->SWidth), 0u)
    {
        const ColorMapObject* map = m_desc.ColorMap ? m_desc.ColorMap : gif->SColorMap;
        std::fill(std::begin(m_palette), std::end(m_palette), qRgb(0, 0, 0)); // beyond the map: black
        for (int i = 0; map && i < std::min(map->ColorCount, 256); ++i)
            m_palette[i] = qRgb(map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue);
        if (control.transparent >= 0)
            m_palette[control.transparent] = 0;
    }
    // A frame row of indices (`visible` of them fall on the screen) as the next screen row.
    void Add(const GifByteType* indices, int visible)
    {
        for (int x = 0; x < visible; ++x)
            m_row[size_t(m_desc.Left) + size_t(x)] = m_palette[indices[x]];
        m_out.AddRow(m_row.data());
        std::fill(m_row.begin(), m_row.end(), 0u);
    }
    void AddEmpty() { m_out.AddRow(m_row.data()); }

private:
    const GifImageDesc& m_desc;
    RowReducer& m_out;
    std::vector<QRgb> m_row;
    QRgb m_palette[256];
};

// Decodes the frame whose header was just read, feeding the screen's rows to `out`; the
// reason it ended early, or empty.
QString DecodeFrame(GifFileType* gif, const GifControl& control, RowReducer& out, const StopAsked& stop)
{
    const GifImageDesc& d = gif->Image;
    if (!d.ColorMap && !gif->SColorMap)
        return GifReason(D_GIF_ERR_NO_COLOR_MAP);
    // Every pixel of a frame is decompressed, even off the screen: its size is held to the
    // same limit as a picture's.
    if (d.Width <= 0 || d.Height <= 0 || int64_t(d.Width) * d.Height * 4 > PictureLimits::kMaxDecodedBytes)
        return QString::fromLatin1(kOutOfResources);
    const int top = std::min(d.Top, gif->SHeight);
    const int shownRows = std::clamp(gif->SHeight - d.Top, 0, d.Height);
    const int shownColumns = std::clamp(gif->SWidth - d.Left, 0, d.Width);
    FrameRows rows(gif, control, out);
    for (int y = 0; y < top; ++y)
        rows.AddEmpty();
    std::vector<GifByteType> line(size_t(d.Width));
    QString error;
    const auto next = [&](GifByteType* into) {
        if (stop && stop()) {
            error = QStringLiteral("Stopped");
            return false;
        }
        if (DGifGetLine(gif, into, d.Width) == GIF_ERROR) {
            error = GifReason(gif->Error);
            return false;
        }
        return true;
    };
    if (!d.Interlace) {
        for (int y = 0; y < shownRows && next(line.data()); ++y)
            rows.Add(line.data(), shownColumns);
    } else {
        // The rows come in four passes over the whole frame: the indices of the part on the
        // screen are kept (a byte a pixel, at most a quarter of the output) and then taken
        // in order; rows not reached stay transparent.
        std::vector<GifByteType> kept(size_t(shownColumns) * size_t(shownRows), 0);
        std::vector<bool> reached(size_t(shownRows), false);
        constexpr int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
        bool going = true;
        for (int pass = 0; pass < 4 && going; ++pass)
            for (int y = kStart[pass]; y < d.Height && going; y += kStep[pass]) {
                going = next(line.data());
                if (going && y < shownRows) {
                    std::copy_n(line.begin(), shownColumns, kept.begin() + ptrdiff_t(y) * shownColumns);
                    reached[size_t(y)] = true;
                }
            }
        for (int y = 0; y < shownRows; ++y) {
            if (reached[size_t(y)])
                rows.Add(kept.data() + ptrdiff_t(y) * shownColumns, shownColumns);
            else
                rows.AddEmpty();
        }
    }
    if (error.isEmpty())
        for (int y = top + shownRows; y < gif->SHeight; ++y)
            rows.AddEmpty();
    return error;
}

} // namespace

RasterFacts ReadGifFacts(const QByteArray& head)
{
    GifSource source {head};
    const GifHandle gif = OpenGif(source);
    RasterFacts f;
    f.width = gif->SWidth;
    f.height = gif->SHeight;
    f.colourType = QStringLiteral("palette");
    f.bitsPerChannel = IndexBits(gif->SColorMap);
    f.loops = 1; // played once unless a looping block says otherwise
    GifControl control;
    int frames = 0;
    GifRecordType type = UNDEFINED_RECORD_TYPE;
    while (frames < PictureLimits::kMaxGifFrames && DGifGetRecordType(gif.get(), &type) == GIF_OK &&
           type != TERMINATE_RECORD_TYPE) {
        if (type == EXTENSION_RECORD_TYPE) {
            if (!ReadGifExtension(gif.get(), control, f.loops))
                break;
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE || DGifGetImageHeader(gif.get()) == GIF_ERROR)
            break;
        // The compressed data are stepped over block by block, never decompressed.
        int codeSize = 0;
        GifByteType* block = nullptr;
        bool whole = DGifGetCode(gif.get(), &codeSize, &block) == GIF_OK;
        while (whole && block)
            whole = DGifGetCodeNext(gif.get(), &block) == GIF_OK;
        ++frames;
        f.delaysMs.append(control.delay * 10);
        f.alpha = f.alpha || control.transparent >= 0;
        control = GifControl();
        if (!whole)
            break;
    }
    f.frames = std::max(1, frames);
    return f;
}

RasterImage DecodeGif(const QByteArray& data, QSize atLeast, const StopAsked& stop)
{
    GifSource source {data};
    const GifHandle gif = OpenGif(source);
    GifFileType* g = gif.get();
    RowReducer out(g->SWidth, g->SHeight, ReduceFactor(QSize(g->SWidth, g->SHeight), atLeast));
    RasterImage result;
    GifControl control;
    int unusedLoops = 0;
    // Extensions before the first frame are read (the last graphic control is its own); a
    // file of extensions alone ends with the file.
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(g, &type) == GIF_ERROR) {
            result.error = GifReason(g->Error);
            break;
        }
        if (type == EXTENSION_RECORD_TYPE) {
            if (!ReadGifExtension(g, control, unusedLoops)) {
                result.error = GifReason(g->Error);
                break;
            }
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE) {
            result.error = GifReason(D_GIF_ERR_NO_IMAG_DSCR);
            break;
        }
        if (DGifGetImageHeader(g) == GIF_ERROR)
            result.error = GifReason(g->Error);
        else
            result.error = DecodeFrame(g, control, out, stop);
        break;
    }
    result.image = out.Finish();
    return result;
}
