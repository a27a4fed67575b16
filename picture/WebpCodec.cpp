// SPDX-License-Identifier: GPL-3.0-or-later
// Reading WebP files: the header and chunks through the demux library (which takes a file cut
// short), the first frame's bitstream through libwebp's incremental decoder, fed a piece at a
// time so a stop is heard and a file cut short keeps the rows it holds.
#include "picture/WebpCodec.h"
#include <algorithm>
#include <memory>
#include <webp/decode.h>
#include <webp/demux.h>
#include "picture/ColourProfile.h"
#include "picture/Exif.h"
#include "picture/Failure.h"
#include "picture/Limits.h"

namespace {

constexpr size_t kFeedStep = 64 * 1024; // bytes given to the decoder between two asks of `stop`

QString Reason(VP8StatusCode status)
{
    switch (status) {
    case VP8_STATUS_OUT_OF_MEMORY: return QString::fromLatin1(kOutOfResources);
    case VP8_STATUS_UNSUPPORTED_FEATURE: return QStringLiteral("unsupported feature");
    case VP8_STATUS_SUSPENDED:
    case VP8_STATUS_NOT_ENOUGH_DATA: return QStringLiteral("the data end early");
    default: return QStringLiteral("damaged data");
    }
}

QString Invalid(VP8StatusCode status)
{
    return QStringLiteral("%1: %2").arg(QLatin1String(kWebpInvalid), Reason(status));
}

struct DemuxDelete {
    void operator()(WebPDemuxer* d) const { WebPDemuxDelete(d); }
};
struct DecoderDelete {
    void operator()(WebPIDecoder* d) const { WebPIDelete(d); }
};

// A frame iterator released on every way out.
struct FrameIterator {
    WebPIterator it {};
    ~FrameIterator() { WebPDemuxReleaseIterator(&it); }
};

struct Parsed {
    std::unique_ptr<WebPDemuxer, DemuxDelete> demux;
    int64_t width = 0, height = 0;
    uint32_t flags = 0;
    bool alpha = false;
};

// The header and the chunks the data hold; throws for data that are not WebP and for a
// canvas beyond the limits, before anything of its size exists.
Parsed Parse(const QByteArray& data)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(data.constData());
    WebPBitstreamFeatures features;
    const VP8StatusCode status = WebPGetFeatures(bytes, size_t(data.size()), &features);
    if (status != VP8_STATUS_OK)
        throw Failure(Invalid(status));
    const WebPData whole {bytes, size_t(data.size())};
    WebPDemuxState state = WEBP_DEMUX_PARSE_ERROR;
    Parsed p;
    p.demux.reset(WebPDemuxPartial(&whole, &state));
    if (!p.demux || state < WEBP_DEMUX_PARSED_HEADER)
        throw Failure(Invalid(p.demux ? VP8_STATUS_NOT_ENOUGH_DATA : VP8_STATUS_BITSTREAM_ERROR));
    p.width = WebPDemuxGetI(p.demux.get(), WEBP_FF_CANVAS_WIDTH);
    p.height = WebPDemuxGetI(p.demux.get(), WEBP_FF_CANVAS_HEIGHT);
    p.flags = WebPDemuxGetI(p.demux.get(), WEBP_FF_FORMAT_FLAGS);
    p.alpha = features.has_alpha != 0 || (p.flags & ALPHA_FLAG) != 0;
    if (p.width <= 0 || p.height <= 0 || p.width > PictureLimits::kMaxSide || p.height > PictureLimits::kMaxSide ||
        p.width * p.height * 4 > PictureLimits::kMaxDecodedBytes)
        throw Failure(kOutOfResources);
    return p;
}

QByteArray Chunk(WebPDemuxer* demux, const char* fourcc)
{
    WebPChunkIterator it {};
    QByteArray bytes;
    if (WebPDemuxGetChunk(demux, fourcc, 1, &it))
        bytes = QByteArray(reinterpret_cast<const char*>(it.chunk.bytes), qsizetype(it.chunk.size));
    WebPDemuxReleaseChunkIterator(&it);
    return bytes;
}

// The smallest size of the picture's shape that covers `atLeast`; the picture's own size when
// `atLeast` asks for no reduction.
QSize ReducedSize(QSize full, QSize atLeast)
{
    const int64_t w = full.width(), h = full.height();
    const int64_t aw = atLeast.width(), ah = atLeast.height();
    if (aw <= 0 || ah <= 0 || aw >= w || ah >= h)
        return full;
    int64_t rw = aw, rh = ah;
    if (aw * h >= ah * w)
        rh = (h * aw + w - 1) / w;
    else
        rw = (w * ah + h - 1) / h;
    return QSize(int(std::clamp<int64_t>(rw, 1, w)), int(std::clamp<int64_t>(rh, 1, h)));
}

} // namespace

RasterFacts ReadWebpFacts(const QByteArray& head)
{
    const Parsed p = Parse(head);
    RasterFacts facts;
    facts.width = int32_t(p.width);
    facts.height = int32_t(p.height);
    facts.alpha = p.alpha;
    facts.colourType = p.alpha ? QStringLiteral("RGBA") : QStringLiteral("RGB");
    if (p.flags & ANIMATION_FLAG) {
        facts.loops = int(WebPDemuxGetI(p.demux.get(), WEBP_FF_LOOP_COUNT));
        FrameIterator frame;
        if (WebPDemuxGetFrame(p.demux.get(), 1, &frame.it)) {
            do
                facts.delaysMs.append(frame.it.duration);
            while (WebPDemuxNextFrame(&frame.it));
        }
        facts.frames = std::max<int>(1, int(facts.delaysMs.size()));
    }
    const QByteArray icc = Chunk(p.demux.get(), "ICCP");
    if (icc.size() <= kMaxColourProfile)
        facts.iccProfile = icc;
    const QByteArray exif = Chunk(p.demux.get(), "EXIF");
    facts.orientation = ExifBlockOrientation(reinterpret_cast<const uint8_t*>(exif.constData()), size_t(exif.size()));
    return facts;
}

RasterImage DecodeWebp(const QByteArray& data, QSize atLeast, const StopAsked& stop)
{
    const Parsed p = Parse(data);
    RasterImage result;
    FrameIterator frame;
    if (!WebPDemuxGetFrame(p.demux.get(), 1, &frame.it)) {
        result.error = Invalid(VP8_STATUS_NOT_ENOUGH_DATA);
        return result;
    }
    const WebPIterator& f = frame.it;
    if (f.width <= 0 || f.height <= 0 || f.x_offset < 0 || f.y_offset < 0 || f.x_offset + f.width > p.width ||
        f.y_offset + f.height > p.height) {
        result.error = Invalid(VP8_STATUS_BITSTREAM_ERROR);
        return result;
    }
    // The first frame lies on a transparent canvas; one that covers it all can be reduced.
    const QSize canvas(int(p.width), int(p.height));
    const bool covers = f.x_offset == 0 && f.y_offset == 0 && f.width == p.width && f.height == p.height;
    const QSize size = covers ? ReducedSize(canvas, atLeast) : canvas;
    QImage image(size, QImage::Format_ARGB32);
    if (image.isNull())
        throw Failure(kOutOfResources);
    image.fill(0);

    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config))
        throw Failure(kOutOfResources);
    const QSize frameSize = size == canvas ? QSize(f.width, f.height) : size;
    if (size != canvas) {
        config.options.use_scaling = 1;
        config.options.scaled_width = size.width();
        config.options.scaled_height = size.height();
    }
    // Straight alpha, blue first in memory: Format_ARGB32 on this byte order.
    config.output.colorspace = MODE_BGRA;
    config.output.is_external_memory = 1;
    uchar* origin = image.bits() + int64_t(f.y_offset) * image.bytesPerLine() + int64_t(f.x_offset) * 4;
    config.output.u.RGBA.rgba = origin;
    config.output.u.RGBA.stride = int(image.bytesPerLine());
    config.output.u.RGBA.size = size_t(image.sizeInBytes() - (origin - image.bits()));
    const std::unique_ptr<WebPIDecoder, DecoderDelete> decoder(WebPIDecode(nullptr, 0, &config));
    if (!decoder)
        throw Failure(kOutOfResources);

    VP8StatusCode status = VP8_STATUS_SUSPENDED;
    bool stopped = false;
    for (size_t fed = 0; status == VP8_STATUS_SUSPENDED && fed < f.fragment.size;) {
        if (stop && stop()) {
            stopped = true;
            break;
        }
        fed = std::min(f.fragment.size, fed + kFeedStep);
        status = WebPIUpdate(decoder.get(), f.fragment.bytes, fed);
    }
    if (status == VP8_STATUS_OK && !stopped) {
        result.image = std::move(image);
        return result;
    }
    result.error = stopped ? QStringLiteral("Stopped") : Invalid(status);
    int rows = 0;
    if (!WebPIDecGetRGB(decoder.get(), &rows, nullptr, nullptr, nullptr) || rows <= 0)
        return result; // nothing decoded
    rows = std::min(rows, frameSize.height());
    // Rows below the last one finished may hold the decoder's work in progress.
    for (int y = f.y_offset + rows; y < f.y_offset + frameSize.height(); ++y)
        std::fill_n(reinterpret_cast<QRgb*>(image.scanLine(y)) + f.x_offset, frameSize.width(), QRgb(0));
    result.image = std::move(image);
    return result;
}
