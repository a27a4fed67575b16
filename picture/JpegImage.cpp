// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/JpegImage.h"

#include <algorithm>

#include <QPainter>

#include "picture/ColourProfile.h"
#include "picture/Failure.h"
#include "picture/JpegCodec.h"
#include "picture/Orientation.h"
#include "picture/ScreenFacts.h"

JpegSettings& JpegDefaults()
{
    // Made at first use, which the program reaches after it has handed over the screen
    // facts at start; the 8-bit choice for palette screens is not revisited later.
    static JpegSettings defaults = [] {
        JpegSettings s;
        if (Screen().bitsPerPixel <= 8)
            s.pixelFormat = TPixelFormat::Bit8;
        return s;
    }();
    return defaults;
}

namespace {

// libjpeg's output size at 1/denom: the side divided and rounded up.
int32_t ScaledSide(int32_t side, int denom)
{
    return int32_t((int64_t(side) + denom - 1) / denom);
}

// The largest DCT denominator (8, 4, 2) whose output still covers the target on both
// sides, so a thumbnail is only ever scaled down; 1 when none does.
int DenomFor(int32_t width, int32_t height, QSize target)
{
    for (int d : {8, 4, 2})
        if (ScaledSide(width, d) >= target.width() && ScaledSide(height, d) >= target.height())
            return d;
    return 1;
}

// The denominator of the scale setting (full, half, quarter, eighth).
int ScaleDenom(const JpegSettings& s)
{
    return 1 << std::clamp(s.scale, 0, 3);
}

JpegDecodeOptions OptionsFor(const JpegSettings& s, bool headerGrayscale, bool multiScan, int denom)
{
    JpegDecodeOptions o;
    o.scaleDenom = denom;
    o.smoothing = s.smoothing;
    o.grayscaleOut = s.grayscale;
    // Palette screens and greyscale output get libjpeg's 236-colour map.
    o.quantize = s.pixelFormat == TPixelFormat::Bit8 || s.grayscale || headerGrayscale;
    o.colors = 236;
    o.fast = s.bestSpeed;
    o.buffered = s.progressiveDisplay && multiScan;
    return o;
}

// Drawing reduces an image smoothly when it is larger than the rectangle on either side.
bool Reduces(const QImage& image, QSize target)
{
    return image.width() > target.width() || image.height() > target.height();
}

// The cache reduced to a drawing size by area averaging, done once instead of at every paint;
// null when drawing at that size needs no reduction.
QImage Fitted(const QImage& cache, QSize target)
{
    if (cache.isNull() || target.isEmpty() || !Reduces(cache, target))
        return QImage();
    return cache.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void DrawImage(QPainter& painter, const QRect& rect, const QImage& image, bool smooth)
{
    if (smooth && Reduces(image, rect.size())) {
        // Area-averaging reduction; the painter's own smoothing only interpolates.
        painter.drawImage(rect.topLeft(), image.scaled(rect.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, smooth);
    painter.drawImage(rect, image);
    painter.restore();
}

} // namespace

// The decoded pixels as they are meant to be seen: the embedded profile's colours in sRGB
// (unless greyscale output was asked for), turned upright. Done on whatever was decoded, the
// reduced copy of a thumbnail or the full picture. A turn that cannot be made loses the
// pixels and reports the shortage, so a picture never shows a size it does not have.
void JpegMakeUpright(JpegDecodeResult& r, bool grayscaleOut)
{
    if (!r.dib)
        return;
    try {
        if (!grayscaleOut)
            if (const std::shared_ptr<const ColourMap> map = ProfileToSrgb(r.iccProfile))
                MapDibToSrgb(*map, *r.dib);
        r.dib = UprightDib(std::move(r.dib), r.orientation);
    } catch (const Failure& f) {
        r.dib.reset();
        r.error = f.Text();
    }
}

TJpegImage::TJpegImage() : settings(JpegDefaults()) {}

int32_t TJpegImage::Width() const
{
    if (m_bitmap.HasImage())
        return m_bitmap.Width();
    return ScaledSide(UprightHeaderSize().width(), ScaleDenom(settings));
}

int32_t TJpegImage::Height() const
{
    if (m_bitmap.HasImage())
        return m_bitmap.Height();
    return ScaledSide(UprightHeaderSize().height(), ScaleDenom(settings));
}

QSize TJpegImage::UprightHeaderSize() const
{
    return UprightSize(QSize(m_headerWidth, m_headerHeight), m_orientation);
}

bool TJpegImage::Empty() const
{
    return m_data.isEmpty() && m_bitmap.Empty();
}

void TJpegImage::LoadFromBytes(const QByteArray& bytes)
{
    JpegHeader header;
    if (!bytes.isEmpty())
        header = JpegReadHeader(bytes); // throws before anything here changes
    m_data = bytes;
    m_headerWidth = header.width;
    m_headerHeight = header.height;
    m_headerGrayscale = header.grayscale;
    m_multiScan = header.multiScan;
    m_orientation = header.orientation;
    settings.progressiveEncoding = header.multiScan;
    m_bitmap.SetDib(nullptr);
    m_cache = QImage();
    m_fitted = QImage();
    m_cacheDenom = 0;
    m_failed = false;
    m_error.clear();
    Changed();
}

QByteArray TJpegImage::SaveToBytes()
{
    Compress();
    return m_data;
}

int TJpegImage::CacheDenomFor(QSize target) const
{
    if (settings.scale != 0 || !settings.reducedDecode)
        return 1;
    const QSize upright = UprightHeaderSize();
    return DenomFor(upright.width(), upright.height(), target);
}

bool TJpegImage::NeedsPrepare(QSize target) const
{
    if (m_failed || m_bitmap.HasImage())
        return false;
    // A file of no bytes has no size to draw at: decoding it is what reports the fault.
    if (m_data.isEmpty())
        return true;
    if (target.isEmpty())
        return false;
    const int denom = CacheDenomFor(target);
    const bool cacheFits = m_cacheDenom > 0 && m_cacheDenom <= denom;
    return !cacheFits;
}

void TJpegImage::Prepare(QSize target)
{
    if (!NeedsPrepare(target))
        return;
    const int denom = CacheDenomFor(target);
    if (denom == 1) {
        DecodeFull();
        return;
    }
    JpegDecodeResult r = JpegDecode(m_data, OptionsFor(settings, m_headerGrayscale, m_multiScan, denom),
                                    [this](const ProgressReport& p) { Progress(p); });
    JpegMakeUpright(r, settings.grayscale);
    if (r.dib) {
        m_cache = DibToQImage(*r.dib);
        m_fitted = Fitted(m_cache, target);
        m_cacheDenom = denom;
    }
    if (!r.error.isEmpty()) {
        m_error = r.error;
        ReportDecodeFailure();
    }
    Changed();
}

void TJpegImage::Draw(QPainter& painter, const QRect& rect, bool smooth) const
{
    if (rect.isEmpty())
        return;
    const int denom = CacheDenomFor(rect.size());
    const bool cacheFits = !m_cache.isNull() && m_cacheDenom <= denom;
    if (m_bitmap.HasImage() && !cacheFits) {
        m_bitmap.Draw(painter, rect, smooth);
        return;
    }
    if (smooth && !m_fitted.isNull() && m_fitted.size() == rect.size()) {
        painter.drawImage(rect.topLeft(), m_fitted); // what DrawImage would make, made once
        return;
    }
    if (!m_cache.isNull())
        DrawImage(painter, rect, m_cache, smooth);
}

std::optional<DecodeJob> TJpegImage::StartCacheJob(QSize target)
{
    if (!NeedsPrepare(target))
        return std::nullopt;
    const int denom = CacheDenomFor(target);
    if (denom == 1)
        return std::nullopt; // a full-size decoding stays on the picture's thread
    DecodeJob job;
    job.data = m_data;
    job.options = OptionsFor(settings, m_headerGrayscale, m_multiScan, denom);
    job.target = target;
    // Progressive display redraws passes as they come; off the picture's thread there is
    // nothing to redraw, and the final pass is the same without it.
    job.options.buffered = false;
    Progress({TProgressStage::Starting, 0, false, {}, {}});
    return job;
}

DecodeResult TJpegImage::RunCacheJob(const DecodeJob& job)
{
    // Runs on a worker thread: nothing may escape, and nothing here touches a picture.
    DecodeResult out;
    out.denom = job.options.scaleDenom;
    try {
        JpegDecodeResult r = JpegDecode(job.data, job.options, JpegProgressFn());
        JpegMakeUpright(r, job.options.grayscaleOut);
        out.error = r.error;
        if (r.dib) {
            out.cache = DibToQImage(*r.dib);
            out.fitted = Fitted(out.cache, job.target);
        }
    } catch (const Failure& f) {
        out.error = f.Text();
    } catch (...) {
        out.error = QString::fromLatin1(kOutOfResources);
    }
    return out;
}

void TJpegImage::AdoptCache(DecodeResult result)
{
    // A larger cache already held (a smaller denominator) serves more sizes: it stays.
    if (!result.cache.isNull() && (m_cacheDenom == 0 || result.denom <= m_cacheDenom)) {
        m_cache = std::move(result.cache);
        m_fitted = std::move(result.fitted);
        m_cacheDenom = result.denom;
    }
    const bool failed = !result.error.isEmpty();
    Progress({TProgressStage::Ending, failed ? 0 : 100, false, {}, {}});
    if (failed && !m_failed) {
        m_error = result.error;
        ReportDecodeFailure();
    }
    Changed();
}

std::unique_ptr<TGraphic> TJpegImage::Clone() const
{
    // Shares the compressed bytes and the decoded images; the settings stay the new
    // picture's own defaults. A failed decoding stays failed in the copy.
    auto copy = std::make_unique<TJpegImage>();
    copy->m_data = m_data;
    copy->m_headerWidth = m_headerWidth;
    copy->m_headerHeight = m_headerHeight;
    copy->m_headerGrayscale = m_headerGrayscale;
    copy->m_multiScan = m_multiScan;
    copy->m_orientation = m_orientation;
    copy->m_bitmap.SetDib(m_bitmap.SharedDib());
    copy->m_cache = m_cache;
    copy->m_fitted = m_fitted;
    copy->m_cacheDenom = m_cacheDenom;
    copy->m_failed = m_failed;
    copy->m_error = m_error;
    return copy;
}

const TBitmap& TJpegImage::Bitmap()
{
    if (!m_bitmap.HasImage())
        DecodeFull();
    return m_bitmap;
}

void TJpegImage::AssignBitmap(const TBitmap& bitmap)
{
    m_data = QByteArray();
    m_bitmap.SetDib(bitmap.SharedDib());
    m_headerWidth = bitmap.Width();
    m_headerHeight = bitmap.Height();
    m_headerGrayscale = false;
    m_multiScan = false;
    m_orientation = kOrientationAsStored;
    m_cache = QImage();
    m_fitted = QImage();
    m_cacheDenom = 0;
    m_failed = false;
    m_error.clear();
    Changed();
}

void TJpegImage::Compress()
{
    if (m_data.isEmpty())
        EncodeNow();
}

void TJpegImage::EncodeNow()
{
    m_data = QByteArray();
    if (!m_bitmap.HasImage() || m_bitmap.Width() == 0 || m_bitmap.Height() == 0)
        return;
    TBitmap rgb(m_bitmap.SharedDib());
    rgb.SetPixelFormat(TPixelFormat::Bit24);
    m_headerWidth = rgb.Width();
    m_headerHeight = rgb.Height();
    m_orientation = kOrientationAsStored; // the bitmap is upright; the new data carry no tag
    QString error;
    m_data = JpegEncode(
        rgb.Dib(), settings.quality, settings.grayscale, settings.progressiveEncoding,
        [this](const ProgressReport& p) { Progress(p); }, &error);
    m_headerGrayscale = settings.grayscale;
    m_multiScan = settings.progressiveEncoding && !m_data.isEmpty();
    if (!error.isEmpty())
        throw Failure(error);
}

TBitmap TJpegImage::BitmapForWindow()
{
    if (!m_bitmap.HasImage() && !m_failed && !settings.grayscale && !m_headerGrayscale) {
        JpegDecodeOptions o = OptionsFor(settings, m_headerGrayscale, m_multiScan, ScaleDenom(settings));
        o.rgb32 = !o.quantize;
        o.buffered = false; // the window shows the picture once it is whole
        JpegDecodeResult r = JpegDecode(m_data, o, [this](const ProgressReport& p) { Progress(p); });
        JpegMakeUpright(r, false);
        if (r.dib && r.error.isEmpty())
            return TBitmap(std::move(r.dib));
    }
    return TBitmap(Bitmap().SharedDib()); // decoded as usual, and a failure raised as usual
}

void TJpegImage::DecodeFull()
{
    if (m_failed)
        throw Failure(m_error); // never decoded again
    JpegDecodeResult r = JpegDecode(m_data, OptionsFor(settings, m_headerGrayscale, m_multiScan, ScaleDenom(settings)),
                                    [this](const ProgressReport& p) { Progress(p); });
    JpegMakeUpright(r, settings.grayscale);
    if (r.dib)
        m_bitmap.SetDib(std::move(r.dib));
    if (!r.error.isEmpty()) {
        m_error = r.error;
        ReportDecodeFailure();
    }
    Changed();
}

void TJpegImage::ReportDecodeFailure()
{
    // What was decoded stays; the error is raised this once and the decoding is not retried.
    m_failed = true;
    Changed();
    throw Failure(m_error);
}

int JpegDenomFor(int32_t width, int32_t height, QSize target)
{
    return DenomFor(width, height, target);
}

JpegDecodeOptions JpegOptionsFor(const JpegSettings& s, bool headerGrayscale, bool multiScan, int denom)
{
    return OptionsFor(s, headerGrayscale, multiScan, denom);
}
