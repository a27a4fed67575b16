// SPDX-License-Identifier: GPL-3.0-or-later
// Reading JPEG XL files: libjxl's decoder fed a piece at a time, so a stop is heard between
// pieces and a file cut short keeps what was decoded; the pixels come out as stored (the
// orientation is the shared step's) as 8-bit RGBA.
#include "picture/JxlCodec.h"
#include <algorithm>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>
#include <jxl/decode.h>
#include "picture/Exif.h"
#include "picture/Failure.h"
#include "picture/Limits.h"
#include "picture/RasterRows.h"

namespace {

constexpr size_t kFeedStep = 256 * 1024; // bytes given to the decoder between two asks of `stop`
constexpr size_t kMaxExifBox = 1 << 20;  // an EXIF box beyond this is not looked at
constexpr int kDcRatio = 8;              // a lossy picture's first stage: 1 pixel for 8 x 8

struct DecoderDestroy {
    void operator()(JxlDecoder* d) const { JxlDecoderDestroy(d); }
};

[[noreturn]] void Invalid(const char* why)
{
    throw Failure(QStringLiteral("%1: %2").arg(QLatin1String(kJxlInvalid), QLatin1String(why)));
}

// One decoder over the data, given to it a piece at a time.
class Feed {
public:
    Feed(const QByteArray& data, int events) : m_data(data), m_decoder(JxlDecoderCreate(nullptr))
    {
        if (!m_decoder)
            throw Failure(kOutOfResources);
        if (JxlDecoderSubscribeEvents(m_decoder.get(), events) != JXL_DEC_SUCCESS ||
            JxlDecoderSetKeepOrientation(m_decoder.get(), JXL_TRUE) != JXL_DEC_SUCCESS ||
            JxlDecoderSetUnpremultiplyAlpha(m_decoder.get(), JXL_TRUE) != JXL_DEC_SUCCESS)
            throw Failure(kOutOfResources);
        JxlDecoderSetDecompressBoxes(m_decoder.get(), JXL_TRUE); // without Brotli, compressed boxes stay unread
    }
    JxlDecoder* Get() const { return m_decoder.get(); }

    // The next event; NEED_MORE_INPUT only once the data are all given.
    JxlDecoderStatus Next()
    {
        for (;;) {
            const JxlDecoderStatus status = JxlDecoderProcessInput(m_decoder.get());
            if (status != JXL_DEC_NEED_MORE_INPUT || m_given == size_t(m_data.size()))
                return status;
            const size_t kept = JxlDecoderReleaseInput(m_decoder.get());
            const size_t from = m_given - kept;
            m_given = std::min(size_t(m_data.size()), m_given + kFeedStep);
            const auto* bytes = reinterpret_cast<const uint8_t*>(m_data.constData());
            // The input is never closed: data that end early then ask for more, which tells
            // them from damaged data.
            JxlDecoderSetInput(m_decoder.get(), bytes + from, m_given - from);
            if (m_onPiece && m_onPiece())
                return JXL_DEC_ERROR;
        }
    }
    // Asked after each piece given; true stops the feed (Next then answers JXL_DEC_ERROR).
    std::function<bool()> m_onPiece;

private:
    const QByteArray& m_data;
    std::unique_ptr<JxlDecoder, DecoderDestroy> m_decoder;
    size_t m_given = 0;
};

// The EXIF box's orientation, when the box is the one being read.
struct ExifBox {
    std::vector<uint8_t> bytes;
    bool open = false;

    void Start(JxlDecoder* d)
    {
        JxlBoxType type {};
        uint64_t size = 0;
        open = JxlDecoderGetBoxType(d, type, JXL_TRUE) == JXL_DEC_SUCCESS && std::string_view(type, 4) == "Exif" &&
            JxlDecoderGetBoxSizeRaw(d, &size) == JXL_DEC_SUCCESS && size <= kMaxExifBox && bytes.empty();
        if (!open)
            return;
        bytes.assign(kMaxExifBox, 0);
        JxlDecoderSetBoxBuffer(d, bytes.data(), bytes.size());
    }
    void End(JxlDecoder* d)
    {
        if (!open)
            return;
        bytes.resize(bytes.size() - JxlDecoderReleaseBoxBuffer(d));
        open = false;
    }
    // The box holds the TIFF header's offset, then the EXIF data.
    int Orientation() const
    {
        if (bytes.size() < 4)
            return 1;
        const uint32_t offset =
            uint32_t(bytes[0]) << 24 | uint32_t(bytes[1]) << 16 | uint32_t(bytes[2]) << 8 | bytes[3];
        if (offset > bytes.size() - 4)
            return 1;
        return ExifBlockOrientation(bytes.data() + 4 + offset, bytes.size() - 4 - offset);
    }
};

RasterFacts FactsOf(const JxlBasicInfo& info)
{
    CheckRasterSize(info.xsize, info.ysize, kJxlInvalid);
    RasterFacts f;
    f.width = int32_t(info.xsize);
    f.height = int32_t(info.ysize);
    f.bitsPerChannel = int(info.bits_per_sample);
    f.alpha = info.alpha_bits > 0;
    f.colourType = info.num_color_channels == 1 ? (f.alpha ? QStringLiteral("grey+alpha") : QStringLiteral("grey"))
                                                : (f.alpha ? QStringLiteral("RGBA") : QStringLiteral("RGB"));
    f.frames = info.have_animation ? 2 : 1;
    f.orientation = int(info.orientation);
    return f;
}

QByteArray ProfileOf(JxlDecoder* d, const JxlBasicInfo& info)
{
    size_t size = 0;
    // sRGB needs no mapping; grey data have a grey profile, which the shared colour step does
    // not take.
    JxlColorEncoding encoded {};
    if (JxlDecoderGetColorAsEncodedProfile(d, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &encoded) == JXL_DEC_SUCCESS &&
        encoded.color_space == JXL_COLOR_SPACE_RGB && encoded.white_point == JXL_WHITE_POINT_D65 &&
        encoded.primaries == JXL_PRIMARIES_SRGB && encoded.transfer_function == JXL_TRANSFER_FUNCTION_SRGB)
        return {};
    if (info.num_color_channels != 3 ||
        JxlDecoderGetICCProfileSize(d, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &size) != JXL_DEC_SUCCESS || size == 0 ||
        size > size_t(PictureLimits::kMaxDecodedBytes))
        return {};
    QByteArray icc(qsizetype(size), Qt::Uninitialized);
    if (JxlDecoderGetColorAsICCProfile(d, nullptr, JXL_COLOR_PROFILE_TARGET_DATA,
                                       reinterpret_cast<uint8_t*>(icc.data()), size) != JXL_DEC_SUCCESS)
        return {};
    return icc;
}

} // namespace

bool IsJxlContent(const QByteArray& head)
{
    const JxlSignature s = JxlSignatureCheck(reinterpret_cast<const uint8_t*>(head.constData()), size_t(head.size()));
    return s == JXL_SIG_CODESTREAM || s == JXL_SIG_CONTAINER;
}

RasterFacts ReadJxlFacts(const QByteArray& head)
{
    if (!IsJxlContent(head))
        Invalid("not a JPEG XL file");
    Feed feed(head, JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING | JXL_DEC_BOX);
    ExifBox exif;
    JxlBasicInfo info {};
    RasterFacts f;
    for (;;) {
        const JxlDecoderStatus status = feed.Next();
        switch (status) {
        case JXL_DEC_BASIC_INFO:
            if (JxlDecoderGetBasicInfo(feed.Get(), &info) != JXL_DEC_SUCCESS)
                Invalid("damaged header");
            f = FactsOf(info);
            break;
        case JXL_DEC_BOX:
            exif.End(feed.Get());
            exif.Start(feed.Get());
            break;
        case JXL_DEC_COLOR_ENCODING:
            exif.End(feed.Get());
            f.iccProfile = ProfileOf(feed.Get(), info);
            // The codestream's orientation rules; an EXIF box ahead of it speaks when it is 1.
            if (f.orientation == 1)
                f.orientation = exif.Orientation();
            return f;
        case JXL_DEC_NEED_MORE_INPUT: Invalid("the data end early");
        default: Invalid("damaged data");
        }
    }
}

RasterImage DecodeJxl(const QByteArray& data, QSize atLeast, const StopAsked& stop)
{
    const RasterFacts facts = ReadJxlFacts(data);
    const int width = facts.width, height = facts.height;
    const int factor = ReduceFactor(QSize(width, height), atLeast);
    int events = JXL_DEC_FULL_IMAGE;
    if (factor >= kDcRatio)
        events |= JXL_DEC_FRAME_PROGRESSION;
    Feed feed(data, events | JXL_DEC_BASIC_INFO);
    RasterImage result;
    bool stopped = false;
    feed.m_onPiece = [&] { return stopped = stop && stop(); };
    std::vector<uint8_t> pixels;
    const JxlPixelFormat format {4, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};
    bool any = false; // pixels were flushed or decoded
    for (bool done = false; !done;) {
        switch (feed.Next()) {
        case JXL_DEC_BASIC_INFO: break;
        case JXL_DEC_NEED_IMAGE_OUT_BUFFER: {
            size_t size = 0;
            if (JxlDecoderImageOutBufferSize(feed.Get(), &format, &size) != JXL_DEC_SUCCESS ||
                size != size_t(width) * size_t(height) * 4)
                Invalid("damaged data");
            pixels.assign(size, 0);
            if (JxlDecoderSetImageOutBuffer(feed.Get(), &format, pixels.data(), pixels.size()) != JXL_DEC_SUCCESS)
                Invalid("damaged data");
            break;
        }
        case JXL_DEC_FRAME_PROGRESSION:
            // The 1:8 stage covers the size asked: the rest of the frame would only be averaged away.
            if (JxlDecoderGetIntendedDownsamplingRatio(feed.Get()) <= size_t(factor) &&
                JxlDecoderFlushImage(feed.Get()) == JXL_DEC_SUCCESS)
                any = done = true;
            break;
        case JXL_DEC_FULL_IMAGE: any = done = true; break;
        case JXL_DEC_NEED_MORE_INPUT:
            // Cut short: what the decoder has so far.
            any = !pixels.empty() && JxlDecoderFlushImage(feed.Get()) == JXL_DEC_SUCCESS;
            result.error = QStringLiteral("%1: the data end early").arg(QLatin1String(kJxlInvalid));
            done = true;
            break;
        case JXL_DEC_ERROR:
            result.error = stopped ? QStringLiteral("Stopped")
                                   : QStringLiteral("%1: damaged data").arg(QLatin1String(kJxlInvalid));
            done = true;
            break;
        default:
            result.error = QStringLiteral("%1: damaged data").arg(QLatin1String(kJxlInvalid));
            done = true;
            break;
        }
    }
    if (!any)
        return result;
    RowReducer out(width, height, factor);
    for (int y = 0; y < height; ++y)
        out.AddRgbaRow(pixels.data() + size_t(y) * size_t(width) * 4);
    result.image = out.Finish();
    return result;
}
