// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/PictureThumbnail.h"
#include <algorithm>
#include <cstdlib>
#include <limits>
#include <QPainter>
#include "base/FileNames.h"
#include "picture/BmpCodec.h"
#include "picture/CameraThumbnail.h"
#include "picture/ColourProfile.h"
#include "picture/DibImage.h"
#include "picture/Failure.h"
#include "picture/FileRead.h"
#include "picture/Icon.h"
#include "picture/IconCodec.h"
#include "picture/Limits.h"
#include "picture/PictureBudget.h"
#include "picture/RasterRead.h"
#include "picture/Orientation.h"
#include "picture/ScreenFacts.h"
#include "picture/ThumbnailCache.h"

namespace {

// Most headers fit in the first read; one that does not (large metadata segments ahead of a
// JPEG's frame) is read again with eight times as much, up to the whole file.
constexpr int64_t kFirstHead = 64 * 1024;
constexpr int kHeadGrowth = 8;
// What a streamed decode reads first, for the header's facts (a colour profile included).
constexpr int64_t kStreamHead = 256 * 1024;
constexpr int64_t kFileHeaderSize = 14;
constexpr int kIconHeaderSize = 6, kIconEntrySize = 16;

uint32_t U8(const QByteArray& b, int64_t at)
{
    return at >= 0 && at < b.size() ? uint8_t(b[qsizetype(at)]) : 0;
}
uint32_t U16(const QByteArray& b, int64_t at)
{
    return U8(b, at) | U8(b, at + 1) << 8;
}
uint32_t U32(const QByteArray& b, int64_t at)
{
    return U16(b, at) | U16(b, at + 2) << 16;
}

struct BitmapSize {
    int64_t width = 0, height = 0;
    int bitCount = 0;
};

// The size fields of a bitmap's core or information header; the reader checks the rest.
BitmapSize BitmapHeaderSize(const QByteArray& head)
{
    const uint32_t infoSize = U32(head, kFileHeaderSize);
    BitmapSize s;
    if (infoSize == 12 && head.size() >= kFileHeaderSize + 12) {
        s.width = U16(head, 18);
        s.height = U16(head, 20);
        s.bitCount = int(U16(head, 24));
    } else if (infoSize >= 16 && head.size() >= kFileHeaderSize + 16) {
        s.width = int32_t(U32(head, 18));
        s.height = std::abs(int64_t(int32_t(U32(head, 22))));
        s.bitCount = int(U16(head, 28));
    } else {
        throw Failure(kBitmapInvalid);
    }
    if (s.width < 0)
        throw Failure(kBitmapInvalid);
    if (s.width > PictureLimits::kMaxSide || s.height > PictureLimits::kMaxSide)
        throw Failure(kOutOfResources);
    return s;
}

// The directory entry the icon reader will choose, from the directory alone.
QSize IconChosenSize(const QByteArray& head)
{
    const ScreenFacts& screen = Screen();
    if (head.size() < kIconHeaderSize)
        throw Failure(kIconInvalid);
    const uint32_t type = U16(head, 2);
    if (type == 0)
        return QSize(screen.iconWidth, screen.iconHeight);
    const int64_t count = std::min<int64_t>(U16(head, 4), PictureLimits::kMaxIconEntries);
    if (type != 1 || count == 0 || head.size() < kIconHeaderSize + count * kIconEntrySize)
        throw Failure(kIconInvalid);
    std::vector<IconDirEntry> entries(static_cast<size_t>(count));
    for (int64_t i = 0; i < count; ++i) {
        const int64_t at = kIconHeaderSize + i * kIconEntrySize;
        IconDirEntry& e = entries[size_t(i)];
        e.width = U8(head, at) ? int(U8(head, at)) : 256;
        e.height = U8(head, at + 1) ? int(U8(head, at + 1)) : 256;
        e.colorCount = int(U8(head, at + 2));
        e.planes = int(U16(head, at + 4));
        e.bitCount = int(U16(head, at + 6));
    }
    const int chosen = IconChoose(entries, screen.bitsPerPixel, screen.iconWidth, screen.iconHeight);
    return QSize(entries[size_t(chosen)].width, entries[size_t(chosen)].height);
}

// The kinds the shared cache keeps thumbnails of, and the type it records for them.
bool Cacheable(GraphicKind kind)
{
    return kind == GraphicKind::Jpeg || IsRasterKind(kind);
}

QString MimeTypeOf(GraphicKind kind)
{
    switch (kind) {
    case GraphicKind::Png: return QStringLiteral("image/png");
    case GraphicKind::Gif: return QStringLiteral("image/gif");
    case GraphicKind::Webp: return QStringLiteral("image/webp");
    case GraphicKind::Tiff: return QStringLiteral("image/tiff");
    case GraphicKind::Heif: return QStringLiteral("image/heif");
    case GraphicKind::Avif: return QStringLiteral("image/avif");
    case GraphicKind::Jxl: return QStringLiteral("image/jxl");
    case GraphicKind::Raw: return QStringLiteral("image/x-dcraw");
    default: return QStringLiteral("image/jpeg");
    }
}

int64_t ScaledSide(int64_t side, int denom)
{
    return (side + denom - 1) / denom;
}

// The largest DCT denominator, no larger than `denom`, whose output still covers a thumbnail
// of `side` (the whole picture when it is smaller).
int DenomCovering(QSize picture, int side, int denom)
{
    const int longer = std::max(picture.width(), picture.height());
    const int need = std::min(longer, side);
    while (denom > 1 && (longer + denom - 1) / denom < need)
        denom /= 2;
    return denom;
}

// Reduced once, by area averaging, to the drawing size; never enlarged.
QImage Reduced(const QImage& image, QSize target)
{
    if (image.isNull() || target.isEmpty() || (image.width() <= target.width() && image.height() <= target.height()))
        return image;
    return image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// The image in sRGB, from the colours the map reads.
QImage Mapped(QImage image, const ColourMap* map)
{
    if (!map || image.isNull())
        return image;
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        image = image.convertToFormat(image.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    map->MapImage(image);
    return image;
}

// What a decode allocates: the decoded bitmap (at most four bytes a pixel) and the copy made
// to draw it (four bytes a pixel).
int64_t DecodeBytes(int64_t width, int64_t height, int bitCount)
{
    const int64_t stride = DibStride(width, std::max(1, bitCount));
    if (stride < 0)
        return std::numeric_limits<int64_t>::max() / 2;
    return stride * height + width * height * 4;
}

// `classSide`: the side of the shared cache's thumbnail to be made from this decode (0: none);
// a JPEG is then decoded at a scale that covers it, and `decoded` receives the picture as
// decoded, before its reduction to the cell.
// With `streamed`, `bytes` are only the file's start (for the header) and a kind read as a
// stream takes the rest from the file itself.
void DecodeInto(DecodeResult& out, const DecodeJob& job, const QByteArray& bytes, int classSide = 0,
                QImage* decoded = nullptr, bool streamed = false)
{
    DecodeBudget* budget = job.budget.get();
    const std::atomic<bool>* stop = job.options.cancel;
    switch (job.kind) {
    case GraphicKind::Jpeg: {
        const JpegHeader h = JpegReadHeader(bytes);
        const QSize upright = UprightSize(QSize(h.width, h.height), h.orientation);
        JpegDecodeOptions options = job.options;
        options.scaleDenom = job.reducedDecode ? JpegDenomFor(upright.width(), upright.height(), job.target) : 1;
        if (classSide > 0)
            options.scaleDenom = DenomCovering(upright, classSide, options.scaleDenom);
        out.denom = options.scaleDenom;
        // A turned picture is copied once more to turn it.
        const int64_t w = ScaledSide(h.width, out.denom), hgt = ScaledSide(h.height, out.denom);
        const int64_t turn = h.orientation != kOrientationAsStored ? DibStride(w, 32) * hgt : 0;
        const BudgetHold hold(budget, DecodeBytes(w, hgt, 32) + turn, stop);
        if (!hold.Ok())
            throw Failure(kOutOfResources);
        JpegDecodeResult r = JpegDecode(bytes, options, JpegProgressFn());
        // The colours are mapped after the reduction: the cell (and the shared cache's
        // thumbnail) hold a small part of the decode's pixels.
        const std::shared_ptr<const ColourMap> map = options.grayscaleOut ? nullptr : ProfileToSrgb(r.iccProfile);
        r.iccProfile.clear();
        JpegMakeUpright(r, options.grayscaleOut);
        out.error = r.error;
        if (r.dib) {
            const QImage whole = DibToQImage(*r.dib);
            r.dib.reset();
            out.fitted = Mapped(Reduced(whole, job.target), map.get());
            if (decoded)
                *decoded = Mapped(Reduced(whole, ThumbnailClassSize(upright, classSide)), map.get());
        }
        return;
    }
    case GraphicKind::Bitmap: {
        const BitmapSize s = BitmapHeaderSize(bytes);
        const BudgetHold hold(budget, DecodeBytes(s.width, s.height, s.bitCount), stop);
        if (!hold.Ok())
            throw Failure(kOutOfResources);
        std::shared_ptr<DibImage> dib = BmpRead(bytes);
        out.pixelFormat = dib->Format();
        out.monochrome = dib->Monochrome();
        const QImage full = DibToQImage(*dib);
        dib.reset();
        out.fitted = Reduced(full, job.target);
        return;
    }
    case GraphicKind::Icon: {
        const QSize s = IconChosenSize(bytes);
        const BudgetHold hold(budget, DecodeBytes(s.width(), s.height(), 32), stop);
        if (!hold.Ok())
            throw Failure(kOutOfResources);
        TIcon icon;
        icon.LoadFromBytes(bytes);
        out.fitted = icon.Image(); // an icon is drawn at its own size
        return;
    }
    case GraphicKind::Png:
    case GraphicKind::Gif:
    case GraphicKind::Webp:
    case GraphicKind::Tiff:
    case GraphicKind::Heif:
    case GraphicKind::Avif:
    case GraphicKind::Jxl:
    case GraphicKind::Raw: {
        const GraphicKind kind = job.kind;
        const RasterFacts facts = streamed ? ReadStreamFacts(kind, job.path, bytes) : ReadRasterFacts(kind, bytes);
        // The reader's reduced copy (at most the stored size) and the one made to draw it.
        const BudgetHold hold(budget, DecodeBytes(facts.width, facts.height, 32), stop);
        if (!hold.Ok())
            throw Failure(kOutOfResources);
        const StopAsked stopAsked = [stop] { return stop && stop->load(std::memory_order_relaxed); };
        // Reduced no further than the shared cache's thumbnail needs, when one is to be made.
        QSize atLeast = job.reducedDecode ? job.target : QSize();
        if (classSide > 0 && atLeast.isValid()) {
            const QSize upright = UprightSize(QSize(facts.width, facts.height), facts.orientation);
            atLeast = atLeast.expandedTo(upright.scaled(classSide, classSide, Qt::KeepAspectRatio).boundedTo(upright));
        }
        ReadyPicture ready = streamed ? DecodeRasterFile(kind, job.path, facts, atLeast, Qt::white, stopAsked)
                                      : DecodeRasterPicture(kind, bytes, atLeast, Qt::white, stopAsked);
        out.denom = 1; // decoded, as no cached thumbnail is
        out.error = ready.error;
        out.fitted = Reduced(ready.image, job.target);
        if (decoded)
            *decoded = std::move(ready.image);
        return;
    }
    case GraphicKind::Metafile:
    case GraphicKind::Thumbnail: break;
    }
    throw Failure("Metafiles are not supported");
}

ThumbnailFacts WithRasterFacts(ThumbnailFacts f, const RasterFacts& r)
{
    const QSize upright = UprightSize(QSize(r.width, r.height), r.orientation);
    f.width = upright.width();
    f.height = upright.height();
    f.orientation = ValidOrientation(r.orientation);
    f.bitsPerChannel = r.bitsPerChannel;
    f.colourType = r.colourType;
    f.frames = r.frames;
    f.shot = r.shot;
    return f;
}

} // namespace

ThumbnailFacts ThumbnailFactsOf(const QByteArray& head, GraphicKind named)
{
    ThumbnailFacts f;
    // The bytes decide the kind; the facts say when the name says another.
    const GraphicKind kind = ReadAsKind(head, named);
    f.source = kind;
    if (kind != named)
        f.content = kind;
    switch (kind) {
    case GraphicKind::Jpeg:
        // A file of no bytes has no size; decoding it is what reports the fault.
        if (!head.isEmpty()) {
            const JpegHeader h = JpegReadHeader(head);
            const QSize upright = UprightSize(QSize(h.width, h.height), h.orientation);
            f.width = upright.width();
            f.height = upright.height();
            f.orientation = h.orientation;
            f.grayscale = h.grayscale;
            f.multiScan = h.multiScan;
            f.colourType = h.grayscale ? QStringLiteral("Grey") : QStringLiteral("Colour");
            f.bitsPerChannel = 8;
        }
        return f;
    case GraphicKind::Bitmap: {
        const BitmapSize s = BitmapHeaderSize(head);
        f.width = int32_t(s.width);
        f.height = int32_t(s.height);
        f.colourType = s.bitCount <= 8 ? QStringLiteral("Palette") : QStringLiteral("RGB");
        f.bitsPerChannel = std::min(s.bitCount, 8);
        return f;
    }
    case GraphicKind::Icon: {
        const QSize s = IconChosenSize(head);
        f.width = s.width();
        f.height = s.height();
        return f;
    }
    case GraphicKind::Png:
    case GraphicKind::Gif:
    case GraphicKind::Webp:
    case GraphicKind::Tiff:
    case GraphicKind::Heif:
    case GraphicKind::Avif:
    case GraphicKind::Jxl:
    case GraphicKind::Raw: return WithRasterFacts(f, ReadRasterFacts(kind, head));
    case GraphicKind::Metafile:
    case GraphicKind::Thumbnail: break;
    }
    throw Failure("Metafiles are not supported");
}

ThumbnailFacts ReadThumbnailFacts(const QString& path, GraphicKind kind)
{
    for (int64_t want = kFirstHead;; want *= kHeadGrowth) {
        int64_t size = 0;
        const QByteArray head = ReadRegularFileStart(path, PictureLimits::kMaxDecodedBytes, want, &size);
        const bool whole = head.size() < want || head.size() >= size;
        // A TIFF or raw file's directories lie anywhere in it: they are read where they are.
        if (const GraphicKind read = ReadAsKind(head, kind); !whole && SeeksInFile(read)) {
            ThumbnailFacts f;
            f.source = read;
            if (kind != read)
                f.content = read;
            return WithRasterFacts(f, ReadStreamFacts(read, path, head));
        }
        try {
            return ThumbnailFactsOf(head, kind);
        } catch (const Failure&) {
            if (whole)
                throw; // the whole file says so
        }
    }
}

DecodeResult RunThumbnailJob(const DecodeJob& cellJob)
{
    DecodeResult out;
    try {
        // A cell laid out before its file was looked at: the header gives the size, the size
        // the drawing size, and the decode goes on as for a cell whose facts were known.
        DecodeJob sized;
        std::optional<QByteArray> whole; // the file, when it was read for its header already
        if (cellJob.targetFor) {
            // Where the shared cache may hold the thumbnail, or the kind is read as a stream,
            // the header alone is read first; else the file is read once, for both.
            const bool cacheMayServe = Cacheable(cellJob.kind) && !cellJob.options.grayscaleOut &&
                !cellJob.options.quantize && ThumbnailCache::ForUser();
            if (!cacheMayServe && !ReadsAsStream(cellJob.kind))
                whole = ReadRegularFile(cellJob.path, PictureLimits::kMaxDecodedBytes);
            const ThumbnailFacts facts =
                whole ? ThumbnailFactsOf(*whole, cellJob.kind) : ReadThumbnailFacts(cellJob.path, cellJob.kind);
            sized = cellJob;
            sized.kind = facts.source; // what the bytes are, whatever the name says
            sized.targetFor = nullptr;
            sized.pictureSize = QSize(facts.width, facts.height);
            sized.target = cellJob.targetFor(sized.pictureSize);
            sized.options.quantize = sized.options.quantize || facts.grayscale;
            out.facts = facts;
            out.target = sized.target;
        }
        const DecodeJob& job = cellJob.targetFor ? sized : cellJob;
        // The shared cache stands for the file's own colours: not in the greyscale setting, nor
        // for colours reduced to a palette screen's; a cell larger than every class has none.
        std::optional<ThumbnailCache> cache;
        ThumbnailSource source;
        if (Cacheable(job.kind) && !job.options.grayscaleOut && !job.options.quantize &&
            ThumbnailClassSide(job.target) > 0 && (cache = ThumbnailCache::ForUser())) {
            // The file's facts without its bytes: a cached thumbnail spares reading it at all.
            ReadRegularFileStart(job.path, PictureLimits::kMaxDecodedBytes, 0, nullptr, &source.file);
            source.imageSize = job.pictureSize;
            source.mimeType = MimeTypeOf(job.kind);
            if (!source.Valid())
                cache.reset();
        }
        if (cache) {
            if (std::optional<QString> error = cache->RecordedFailure(source)) {
                out.error = *error;
                return out;
            }
            const QImage thumb = cache->Find(source, job.target);
            if (!thumb.isNull()) {
                // Transparent parts over white, as the cells draw a decoded picture.
                QImage opaque(thumb.size(), QImage::Format_RGB32);
                opaque.fill(Qt::white);
                QPainter(&opaque).drawImage(0, 0, thumb);
                out.fitted = Reduced(opaque, job.target);
                return out;
            }
            if (!cache->Writable(job.target))
                cache.reset();
        }
        // A camera's own small copy serves a small cell; it never goes to the shared cache,
        // which holds only what the photo itself gives.
        if (job.kind == GraphicKind::Jpeg && job.reducedDecode) {
            const QImage cell = CellFromExifThumbnail(
                whole ? *whole
                      : ReadRegularFileStart(job.path, PictureLimits::kMaxDecodedBytes, kExifHeadBytes, nullptr),
                job.target, job.options);
            if (!cell.isNull()) {
                out.fitted = Reduced(cell, job.target);
                return out;
            }
        }
        QImage decoded;
        // A kind read as a stream keeps only the header's bytes (a PNG's chunks before its pixels,
        // within the first read); the rest comes from the file in pieces.
        QByteArray bytes;
        bool streamed = false;
        if (whole) {
            bytes = *whole;
        } else if (ReadsAsStream(job.kind)) {
            int64_t size = 0;
            bytes = ReadRegularFileStart(job.path, PictureLimits::kMaxDecodedBytes, kStreamHead, &size);
            streamed = bytes.size() < size && StreamHeaderWithin(job.kind, bytes);
            if (!streamed && bytes.size() < size)
                bytes = ReadRegularFile(job.path, PictureLimits::kMaxDecodedBytes);
        } else {
            bytes = ReadRegularFile(job.path, PictureLimits::kMaxDecodedBytes);
        }
        DecodeInto(out, job, bytes, cache ? ThumbnailClassSide(job.target) : 0, cache ? &decoded : nullptr, streamed);
        const bool stopped = job.options.cancel && job.options.cancel->load(std::memory_order_relaxed);
        if (cache && !stopped) {
            if (out.error.isEmpty())
                cache->Store(source, job.target, decoded);
            else if (out.error != QLatin1String(kOutOfResources)) // says nothing lasting about the file
                cache->StoreFailure(source, out.error);
        }
    } catch (const Failure& f) {
        out.error = f.Text();
    } catch (...) {
        out.error = QString::fromLatin1(kOutOfResources);
    }
    return out;
}

void TThumbnail::LoadHeader(const QString& path, GraphicKind kind)
{
    m_facts = ReadThumbnailFacts(path, kind); // throws before anything here changes
    m_factsKnown = true;
    m_targetFor = nullptr;
    // Read later on a worker: the working folder may have changed by then.
    m_path = AbsoluteFileName(path);
    m_shown = QImage();
    m_shownFor = QSize();
    m_failed = false;
    m_error.clear();
    Changed();
}

void TThumbnail::SetFile(const QString& path, GraphicKind kind, std::function<QSize(QSize picture)> targetFor)
{
    m_facts = ThumbnailFacts {};
    m_facts.source = kind;
    m_factsKnown = false;
    m_targetFor = std::move(targetFor);
    m_path = AbsoluteFileName(path);
    m_shown = QImage();
    m_shownFor = QSize();
    m_failed = false;
    m_error.clear();
    Changed();
}

void TThumbnail::LoadFromBytes(const QByteArray& bytes)
{
    m_facts = ThumbnailFactsOf(bytes, m_facts.source);
    m_factsKnown = true;
    m_targetFor = nullptr;
    m_path.clear();
    m_shown = QImage();
    m_shownFor = QSize();
    m_failed = false;
    m_error.clear();
    Changed();
}

QByteArray TThumbnail::SaveToBytes()
{
    throw Failure("A thumbnail holds no picture to save");
}

bool TThumbnail::NeedsPrepare(QSize target) const
{
    if (m_failed)
        return false;
    // A picture without a size is decoded once: that is what reports its fault, or reads the
    // header that gives the size.
    if (Empty() || !m_factsKnown)
        return !m_shownFor.isValid();
    return !target.isEmpty() && m_shownFor != target;
}

DecodeJob TThumbnail::MakeJob(QSize target) const
{
    const JpegSettings& s = JpegDefaults();
    DecodeJob job;
    job.options = JpegOptionsFor(s, m_facts.grayscale, m_facts.multiScan, 1);
    job.options.buffered = false; // nothing is drawn before the reduced copy is made
    job.target = target;
    job.makes = DecodeMakes::CellCopy;
    job.path = m_path;
    job.kind = m_facts.source;
    job.reducedDecode = s.reducedDecode;
    job.pictureSize = QSize(m_facts.width, m_facts.height);
    if (!m_factsKnown)
        job.targetFor = m_targetFor;
    return job;
}

void TThumbnail::Prepare(QSize target)
{
    // One file at a time on this thread: the per-file limit bounds it, no budget is needed.
    if (const std::optional<DecodeJob> job = StartJob(target))
        Adopt(target, RunThumbnailJob(*job));
}

std::optional<DecodeJob> TThumbnail::StartJob(QSize target)
{
    if (!NeedsPrepare(target))
        return std::nullopt;
    Progress({TProgressStage::Starting, 0, false, {}, {}});
    return MakeJob(target);
}

void TThumbnail::Adopt(QSize target, DecodeResult result)
{
    if (!m_factsKnown && result.facts) {
        m_facts = *result.facts;
        m_factsKnown = true;
        m_targetFor = nullptr;
        target = result.target;
    }
    // What was decoded before a failure stays, as a partly decoded picture shows.
    m_shown = std::move(result.fitted);
    m_shownFor = target;
    if (m_facts.source == GraphicKind::Bitmap && result.error.isEmpty()) {
        m_facts.decoded = true;
        m_facts.pixelFormat = result.pixelFormat;
        m_facts.monochrome = result.monochrome;
    }
    const bool failed = !result.error.isEmpty();
    Progress({TProgressStage::Ending, failed ? 0 : 100, false, {}, {}});
    if (failed && !m_failed) {
        m_failed = true;
        m_error = result.error;
        Changed();
        // Reported this once, not decoded again, named as a failure at page load is.
        if (result.error == QLatin1String(kOutOfResources))
            return;
        throw Failure(QStringLiteral("Cannot load image : ") + DisplayName(m_path.section(QLatin1Char('/'), -1)) +
                      QStringLiteral(" - ") + result.error);
    }
    Changed();
}

void TThumbnail::Draw(QPainter& painter, const QRect& rect, bool smooth) const
{
    if (m_failed && m_error == QLatin1String(kOutOfResources) && m_shown.isNull()) {
        // Said in the cell itself: the page reports all such files in one message.
        painter.drawText(rect, Qt::AlignCenter | Qt::TextWordWrap, m_error);
        return;
    }
    if (m_shown.isNull() || rect.isEmpty())
        return;
    if (m_facts.source == GraphicKind::Icon || m_shown.size() == rect.size()) {
        painter.drawImage(rect.topLeft(), m_shown);
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    painter.drawImage(rect, m_shown);
    painter.restore();
}

std::unique_ptr<TGraphic> TThumbnail::Clone() const
{
    auto copy = std::make_unique<TThumbnail>();
    copy->m_facts = m_facts;
    copy->m_factsKnown = m_factsKnown;
    copy->m_targetFor = m_targetFor;
    copy->m_path = m_path;
    copy->m_shown = m_shown; // shared, not copied
    copy->m_shownFor = m_shownFor;
    copy->m_failed = m_failed;
    copy->m_error = m_error;
    return copy;
}

TThumbnail* ThumbnailOf(TGraphic* graphic)
{
    return graphic && graphic->Kind() == GraphicKind::Thumbnail ? static_cast<TThumbnail*>(graphic) : nullptr;
}

const TThumbnail* ThumbnailOf(const TGraphic* graphic)
{
    return graphic && graphic->Kind() == GraphicKind::Thumbnail ? static_cast<const TThumbnail*>(graphic) : nullptr;
}

DecodeResult RunDecodeJob(const DecodeJob& job)
{
    return job.makes == DecodeMakes::CellCopy ? RunThumbnailJob(job) : TJpegImage::RunCacheJob(job);
}
