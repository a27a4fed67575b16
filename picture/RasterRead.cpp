// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/RasterRead.h"
#include <utility>
#include <QPainter>
#include "picture/ColourProfile.h"
#include "picture/Failure.h"
#include "picture/FileRead.h"
#include "picture/Limits.h"
#include "picture/GifCodec.h"
#include "picture/HeifCodec.h"
#include "picture/JxlCodec.h"
#include "picture/RawCodec.h"
#include "picture/Orientation.h"
#include "picture/PngCodec.h"
#include "picture/TiffCodec.h"
#include "picture/WebpCodec.h"

namespace {

bool StartsWith(const QByteArray& head, const char* signature, qsizetype at = 0)
{
    return head.mid(at, qsizetype(qstrlen(signature))) == QByteArray(signature);
}

// The stored pixels turned upright by the orientation's steps.
QImage Upright(const QImage& stored, int orientation)
{
    if (ValidOrientation(orientation) == kOrientationAsStored || stored.isNull())
        return stored;
    const OrientationSteps steps = StepsOf(orientation);
    const QSize size = UprightSize(stored.size(), orientation);
    QImage upright(size, stored.format());
    if (upright.isNull())
        throw Failure(kOutOfResources);
    const int sw = stored.width(), sh = stored.height();
    for (int y = 0; y < size.height(); ++y) {
        auto* out = reinterpret_cast<QRgb*>(upright.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            int sx = steps.transpose ? y : x;
            int sy = steps.transpose ? x : y;
            if (steps.mirrorX)
                sx = sw - 1 - sx;
            if (steps.mirrorY)
                sy = sh - 1 - sy;
            out[x] = reinterpret_cast<const QRgb*>(stored.constScanLine(sy))[sx];
        }
    }
    return upright;
}

// A byte a pixel of an ARGB32 picture's opacity; empty when every pixel is opaque.
QByteArray OpacityOf(const QImage& image)
{
    if (!image.hasAlphaChannel())
        return {};
    const int w = image.width(), h = image.height();
    QByteArray plane(qsizetype(w) * h, Qt::Uninitialized);
    bool opaque = true;
    auto* out = reinterpret_cast<uint8_t*>(plane.data());
    for (int y = 0; y < h; ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < w; ++x, ++out) {
            *out = uint8_t(qAlpha(row[x]));
            opaque = opaque && *out == 0xFF;
        }
    }
    return opaque ? QByteArray() : plane;
}

RasterImage DecodeStored(GraphicKind kind, const QByteArray& data, QSize atLeast, const StopAsked& stop)
{
    switch (kind) {
    case GraphicKind::Png: return DecodePng(data, atLeast, stop);
    case GraphicKind::Gif: return DecodeGif(data, atLeast, stop);
    case GraphicKind::Webp: return DecodeWebp(data, atLeast, stop);
    case GraphicKind::Tiff: return DecodeTiff(data, atLeast, stop);
    case GraphicKind::Heif:
    case GraphicKind::Avif: return DecodeHeif(data, atLeast, stop);
    case GraphicKind::Jxl: return DecodeJxl(data, atLeast, stop);
    case GraphicKind::Raw: return DecodeRaw(data, atLeast, stop);
    default: break;
    }
    throw Failure("Unknown picture kind");
}

} // namespace

bool IsRasterKind(GraphicKind kind)
{
    return kind == GraphicKind::Png || kind == GraphicKind::Gif || kind == GraphicKind::Webp ||
        kind == GraphicKind::Tiff || kind == GraphicKind::Heif || kind == GraphicKind::Avif ||
        kind == GraphicKind::Jxl || kind == GraphicKind::Raw;
}

std::optional<GraphicKind> KindForContent(const QByteArray& head)
{
    if (StartsWith(head, "\x89PNG\r\n\x1a\n"))
        return GraphicKind::Png;
    if (StartsWith(head, "GIF87a") || StartsWith(head, "GIF89a"))
        return GraphicKind::Gif;
    if (StartsWith(head, "RIFF") && StartsWith(head, "WEBP", 8))
        return GraphicKind::Webp;
    if (StartsWith(head, "II*") || (StartsWith(head, "MM") && head.size() > 3 && head[2] == 0 && head[3] == 42))
        return GraphicKind::Tiff;
    if (bool avif = false; IsHeifContent(head, &avif))
        return avif ? GraphicKind::Avif : GraphicKind::Heif;
    if (IsJxlContent(head))
        return GraphicKind::Jxl;
    if (StartsWith(head, "\xff\xd8\xff"))
        return GraphicKind::Jpeg;
    if (StartsWith(head, "BM"))
        return GraphicKind::Bitmap;
    if (head.size() >= 4 && head[0] == 0 && head[1] == 0 && head[2] == 1 && head[3] == 0)
        return GraphicKind::Icon;
    return std::nullopt;
}

GraphicKind ReadAsKind(const QByteArray& head, GraphicKind named)
{
    const std::optional<GraphicKind> content = KindForContent(head);
    // Most raw files are TIFF files of their own (and CR3 a media file LibRaw reads): the name
    // tells them apart.
    if (named == GraphicKind::Raw && (!content || *content == GraphicKind::Tiff))
        return named;
    return content.value_or(named);
}

RasterFacts ReadRasterFacts(GraphicKind kind, const QByteArray& head)
{
    switch (kind) {
    case GraphicKind::Png: return ReadPngFacts(head);
    case GraphicKind::Gif: return ReadGifFacts(head);
    case GraphicKind::Webp: return ReadWebpFacts(head);
    case GraphicKind::Tiff: return ReadTiffFacts(head);
    case GraphicKind::Heif:
    case GraphicKind::Avif: return ReadHeifFacts(head);
    case GraphicKind::Jxl: return ReadJxlFacts(head);
    case GraphicKind::Raw: return ReadRawFacts(head);
    default: break;
    }
    throw Failure("Unknown picture kind");
}

QImage ReadyFrame(QImage stored, const RasterFacts& facts, QColor background, QByteArray* alpha)
{
    if (const std::shared_ptr<const ColourMap> map = ProfileToSrgb(facts.iccProfile))
        map->MapImage(stored);
    const QImage image = Upright(stored, ValidOrientation(facts.orientation));
    stored = QImage();
    if (alpha)
        *alpha = OpacityOf(image);
    // Transparent parts show what lies behind the picture where it is drawn.
    QImage shown(image.size(), QImage::Format_RGB32);
    if (shown.isNull())
        throw Failure(kOutOfResources);
    shown.fill(background);
    QPainter painter(&shown);
    painter.drawImage(0, 0, image);
    painter.end();
    return shown;
}

namespace {
// The shared steps after a reader's decode: `decode` takes the asked size as stored sides.
template <class Decode>
ReadyPicture Ready(RasterFacts facts, QSize atLeast, QColor background, bool keepAlpha, const Decode& decode)
{
    ReadyPicture ready;
    ready.facts = std::move(facts);
    const int orientation = ValidOrientation(ready.facts.orientation);
    // The readers reduce the stored picture: the asked size turned back to stored sides.
    const QSize storedAtLeast = atLeast.isValid() && SwapsSides(orientation) ? atLeast.transposed() : atLeast;
    RasterImage decoded = decode(storedAtLeast, ready.facts);
    ready.error = decoded.error;
    if (decoded.image.isNull())
        return ready;
    ready.image = ReadyFrame(decoded.image.convertToFormat(QImage::Format_ARGB32), ready.facts, background,
                             keepAlpha ? &ready.alpha : nullptr);
    decoded.image = QImage();
    return ready;
}
} // namespace

ReadyPicture DecodeRasterPicture(GraphicKind kind, const QByteArray& data, QSize atLeast, QColor background,
                                 const StopAsked& stop, bool keepAlpha)
{
    return Ready(ReadRasterFacts(kind, data), atLeast, background, keepAlpha,
                 [&](QSize storedAtLeast, RasterFacts&) { return DecodeStored(kind, data, storedAtLeast, stop); });
}

bool ReadsAsStream(GraphicKind kind)
{
    return kind == GraphicKind::Png || SeeksInFile(kind);
}

bool SeeksInFile(GraphicKind kind)
{
    return kind == GraphicKind::Raw || kind == GraphicKind::Tiff;
}

bool StreamHeaderWithin(GraphicKind kind, const QByteArray& head)
{
    return SeeksInFile(kind) || (kind == GraphicKind::Png && PngPixelsWithin(head));
}

RasterFacts ReadStreamFacts(GraphicKind kind, const QString& path, const QByteArray& head)
{
    if (!SeeksInFile(kind))
        return ReadRasterFacts(kind, head);
    FileStream file(path, PictureLimits::kMaxDecodedBytes);
    return kind == GraphicKind::Raw ? ReadRawFileFacts(file) : ReadTiffFileFacts(file);
}

ReadyPicture DecodeRasterFile(GraphicKind kind, const QString& path, const RasterFacts& facts, QSize atLeast,
                              QColor background, const StopAsked& stop)
{
    if (!ReadsAsStream(kind))
        throw Failure("Unknown picture kind");
    FileStream file(path, PictureLimits::kMaxDecodedBytes);
    return Ready(facts, atLeast, background, false, [&](QSize storedAtLeast, RasterFacts& read) {
        switch (kind) {
        case GraphicKind::Raw: return DecodeRawFile(file, storedAtLeast, stop, &read);
        case GraphicKind::Tiff: return DecodeTiffFile(file, storedAtLeast, stop);
        default: return DecodePngStream(file, storedAtLeast, stop, &read.orientation);
        }
    });
}
