// SPDX-License-Identifier: GPL-3.0-or-later
#include "FuzzCommon.h"

#include <cstdio>
#include <cstdlib>
#include <memory>

#include <QImage>
#include <QPainter>

#include "picture/Failure.h"
#include "picture/JpegImage.h"
#include "picture/Limits.h"
#include "picture/PictureFormats.h"
#include "picture/ScreenFacts.h"

namespace fuzz {

QByteArray Bytes(const uint8_t* data, size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
}

uint8_t Knob(const uint8_t* data, size_t size)
{
    return size > 0 ? data[size - 1] : 0;
}

void SetScreenFor(uint8_t knob)
{
    static const int kBits[8] = {32, 32, 24, 16, 8, 8, 4, 1};
    static const int kIconSides[4] = {32, 16, 48, 24};
    ScreenFacts facts;
    facts.bitsPerPixel = kBits[knob & 7];
    facts.iconWidth = facts.iconHeight = kIconSides[(knob >> 3) & 3];
    facts.tick = [] { return uint32_t(0); }; // progress throttling without the clock
    SetScreenFacts(facts);
}

void Require(bool fact, const char* what)
{
    if (!fact) {
        std::fprintf(stderr, "fuzz: broken promise: %s\n", what);
        std::abort();
    }
}

void ExpectKnownFailure(const Failure& f)
{
    const QString text = f.Text();
    const bool known = text == QLatin1String(kBitmapInvalid) || text == QLatin1String(kIconInvalid) ||
        text == QLatin1String(kOutOfResources) || text.startsWith(QLatin1String("JPEG error #"));
    if (!known) {
        std::fprintf(stderr, "fuzz: unexpected failure text: %s\n", qPrintable(text));
        std::abort();
    }
}

namespace {

void ApplyJpegSettings(TJpegImage& jpeg, uint8_t knob)
{
    JpegSettings& s = jpeg.settings;
    s.pixelFormat = (knob & 0x20) ? TPixelFormat::Bit8 : TPixelFormat::Bit24;
    s.grayscale = (knob & 0x40) != 0;
    s.progressiveDisplay = (knob & 0x80) != 0;
    s.bestSpeed = (knob & 0x08) != 0;
    s.smoothing = (knob & 0x04) == 0;
    s.scale = (knob & 0x10) ? (knob >> 1) & 3 : 0;
}

// Pictures are prepared and drawn up to this many pixels (2048 x 2048). Larger legal pictures
// only cost time, in proportion to their pixels (a JPEG's every scan reads all its blocks, even
// for a thumbnail); under the sanitizers on a busy machine they took more than the 10 s a
// campaign allows. Their size checks on loading still run; those in the decoder are tested
// by tests/picture/test_regressions.cpp.
constexpr int64_t kMaxDrawPixels = int64_t(1) << 22;

// The thumbnail cell of the page, shaped like the picture.
QSize Thumbnail(QSize full)
{
    if (full.isEmpty())
        return QSize(64, 48);
    QSize t = full.scaled(64, 48, Qt::KeepAspectRatio);
    return t.expandedTo(QSize(1, 1));
}

void PrepareAndDraw(TGraphic& g, QPainter& painter, QSize target, bool smooth)
{
    try {
        if (g.NeedsPrepare(target))
            g.Prepare(target);
    } catch (const Failure& f) {
        ExpectKnownFailure(f); // what was decoded stays and is drawn below
    }
    try {
        g.Draw(painter, QRect(QPoint(0, 0), target), smooth);
    } catch (const Failure& f) {
        ExpectKnownFailure(f);
    }
}

} // namespace

void LoadAndDraw(GraphicKind kind, const QByteArray& bytes, uint8_t knob)
{
    std::unique_ptr<TGraphic> g = CreateGraphic(kind);
    if (kind == GraphicKind::Jpeg)
        ApplyJpegSettings(static_cast<TJpegImage&>(*g), knob);
    int progressCalls = 0;
    g->OnProgress = [&progressCalls](const ProgressReport&) { ++progressCalls; };
    try {
        g->LoadFromBytes(bytes);
    } catch (const Failure& f) {
        ExpectKnownFailure(f);
        return;
    }
    const QSize full(g->Width(), g->Height());
    Require(full.width() >= 0 && full.width() <= PictureLimits::kMaxSide, "width within the limit");
    Require(full.height() >= 0 && full.height() <= PictureLimits::kMaxSide, "height within the limit");

    QImage canvas(64, 48, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    int64_t pixels = int64_t(full.width()) * full.height();
    if (kind == GraphicKind::Jpeg)
        pixels <<= 2 * static_cast<TJpegImage&>(*g).settings.scale; // the file's own size
    if (pixels <= kMaxDrawPixels) {
        PrepareAndDraw(*g, painter, Thumbnail(full), true);
        PrepareAndDraw(*g, painter, full, false);
    }
    painter.end();
}

} // namespace fuzz
