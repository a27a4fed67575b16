// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <memory>
#include <optional>
#include <QImage>
#include <QSize>
#include "picture/Bitmap.h"
#include "picture/Graphic.h"
#include "picture/JpegCodec.h"
#include "picture/DecodeJob.h"

class DecodeBudget;

// Settings of a JPEG picture, copied from the program-wide defaults when it is created.
struct JpegSettings {
    int quality = 90; // 1..100, used when encoding
    bool grayscale = false;
    bool bestSpeed = false;                         // false: best quality
    TPixelFormat pixelFormat = TPixelFormat::Bit24; // Bit8 on screens of 8 or fewer bits per pixel
    bool progressiveDisplay = false;
    bool progressiveEncoding = false; // after loading: the file has more than one scan
    int scale = 0;                    // 0 full, 1 half, 2 quarter, 3 eighth
    bool smoothing = true;
    // false: every drawing decodes the full-size bitmap and draws it scaled, never a reduced
    // display cache (the slow reference path the thumbnail benchmark compares against).
    bool reducedDecode = true;
};

// Program-wide defaults; the 8-bit choice for palette screens is made once at start.
JpegSettings& JpegDefaults();
// The largest DCT denominator (8, 4, 2) whose output still covers the target on both sides;
// 1 when none does.
int JpegDenomFor(int32_t width, int32_t height, QSize target);
// The decoded pixels as they are meant to be seen: the embedded profile's colours in sRGB
// (unless greyscale output was asked for), turned upright. A turn that cannot be made drops
// the pixels and sets the error.
void JpegMakeUpright(JpegDecodeResult& result, bool grayscaleOut);
// The decode options the settings give for a file with that header, at 1/denom.
JpegDecodeOptions JpegOptionsFor(const JpegSettings& s, bool headerGrayscale, bool multiScan, int denom);

class TJpegImage : public TGraphic {
public:
    TJpegImage();

    GraphicKind Kind() const override { return GraphicKind::Jpeg; }
    int32_t Width() const override;
    int32_t Height() const override;
    bool Empty() const override;
    void LoadFromBytes(const QByteArray& bytes) override;
    QByteArray SaveToBytes() override;
    bool NeedsPrepare(QSize target) const override;
    void Prepare(QSize target) override;
    void Draw(QPainter& painter, const QRect& rect, bool smooth) const override;
    std::unique_ptr<TGraphic> Clone() const override;

    // Decoding the display cache on another thread. StartCacheJob hands out the work when a
    // reduced-scale cache would serve `target` (none when a full-size decode is needed or
    // nothing is) and reports the start; RunCacheJob runs on any thread and touches no
    // picture; AdoptCache, back on the picture's thread, keeps the result and reports the
    // end, or raises a failed decode once as Prepare does.
    std::optional<DecodeJob> StartCacheJob(QSize target);
    static DecodeResult RunCacheJob(const DecodeJob& job);
    void AdoptCache(DecodeResult result);
    int CacheDenom() const { return m_cacheDenom; }

    // The full-size decoded bitmap, decoding it first when needed (may throw).
    const TBitmap& Bitmap();
    bool HasBitmap() const { return m_bitmap.HasImage(); }
    // The full-size picture for a window that keeps it at 32 bits a pixel: a colour picture is
    // decoded straight into that form and not kept here, so the window holds the only copy.
    // Otherwise, and for a file that fails, what Bitmap gives (may throw as it does).
    TBitmap BitmapForWindow();
    // Drops the compressed data and holds a copy of the bitmap.
    void AssignBitmap(const TBitmap& bitmap);

    // Encoding: make sure compressed data exist / always re-encode from the held bitmap.
    void Compress();
    void EncodeNow();

    const QByteArray& Data() const { return m_data; }
    bool HeaderGrayscale() const { return m_headerGrayscale; }
    bool MultiScan() const { return m_multiScan; }
    // The EXIF orientation of the file (1: as stored). Width, Height, the bitmap and the
    // drawing are always those of the upright picture.
    int Orientation() const { return m_orientation; }
    bool DecodeFailed() const { return m_failed; }
    QString DecodeError() const { return m_error; }

    JpegSettings settings;

private:
    int CacheDenomFor(QSize target) const;
    QSize UprightHeaderSize() const;
    void DecodeFull();
    void ReportDecodeFailure();

    QByteArray m_data; // compressed bytes, shared between copies
    int32_t m_headerWidth = 0, m_headerHeight = 0;
    bool m_headerGrayscale = false;
    bool m_multiScan = false;
    int m_orientation = 1;
    TBitmap m_bitmap;      // full-size decoded bitmap, made on first need
    QImage m_cache;        // reduced-scale display cache for small drawing
    QImage m_fitted;       // m_cache smoothly reduced to the last prepared size
    int m_cacheDenom = 0;  // 2, 4 or 8 when m_cache holds something
    bool m_failed = false; // a failed decoding is never retried
    QString m_error;
};
