// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A PNG, GIF, WebP or TIFF file at full size: its first frame or page decoded, upright and in
// sRGB, over white where it is transparent, held as a 24-bit bitmap so that every window, save
// and print takes it as it takes a bitmap.
#include "picture/Bitmap.h"
#include <QColor>
#include "picture/RasterCodec.h"

class TRasterBitmap : public TBitmap {
public:
    explicit TRasterBitmap(GraphicKind source) : m_source(source) {}
    // The file's kind (the graphic's own kind is Bitmap).
    GraphicKind Source() const { return m_source; }
    // The header's facts of the file loaded (frames or pages, colours as stored).
    const RasterFacts& Facts() const { return m_facts; }
    // A view that draws the picture fitted into this size: a camera raw file is then read
    // from its preview when that covers it (see DecodeRaw).
    void SetViewSize(QSize view) { m_viewSize = view; }
    // A file whose bytes are another of these kinds is read as what its bytes are.
    void LoadFromBytes(const QByteArray& bytes) override;
    // Keeps the source, facts and bytes (a plain bitmap's clone would drop them).
    std::unique_ptr<TGraphic> Clone() const override;

    // An animated GIF or WebP keeps its file's bytes for playing; empty for any other file.
    const QByteArray& AnimationBytes() const { return m_animation; }
    // A window playing the animation shows its frames in place of the first; ShowFirstFrame
    // puts the first (over white) back before the picture is printed or saved.
    void ShowFrame(const QImage& frame);
    void ShowFirstFrame();
    // The first frame over another background (a window's black), where it is transparent;
    // false for an opaque picture, which stays as it is. ShowFirstFrame undoes it.
    bool ShowOver(QColor background);

private:
    GraphicKind m_source;
    RasterFacts m_facts;
    QByteArray m_animation;
    std::shared_ptr<const DibImage> m_first;
    QByteArray m_alpha; // the first frame's opacity, a byte a pixel (empty: opaque)
    QSize m_viewSize;
};
