// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <optional>
#include <QColor>
#include <QImage>
#include "picture/DibImage.h"
#include "picture/Graphic.h"

// A bitmap graphic: a shared DibImage, copied on first change.
class TBitmap : public TGraphic {
public:
    TBitmap() = default;
    explicit TBitmap(std::shared_ptr<const DibImage> dib) : m_dib(std::move(dib)) {}

    GraphicKind Kind() const override { return GraphicKind::Bitmap; }
    int32_t Width() const override { return m_dib ? m_dib->width : 0; }
    int32_t Height() const override { return m_dib ? m_dib->height : 0; }
    bool Empty() const override { return !m_dib || m_dib->width == 0 || m_dib->height == 0; }
    void LoadFromBytes(const QByteArray& bytes) override;
    QByteArray SaveToBytes() override;
    void Draw(QPainter& painter, const QRect& rect, bool smooth) const override;
    std::unique_ptr<TGraphic> Clone() const override;

    bool HasImage() const { return m_dib != nullptr; }
    const DibImage& Dib() const;
    std::shared_ptr<const DibImage> SharedDib() const { return m_dib; }
    // Replaces the image (drops any palette and drawing cache) and notifies a change.
    void SetDib(std::shared_ptr<const DibImage> dib);
    TPixelFormat PixelFormat() const { return m_dib ? m_dib->Format() : TPixelFormat::Device; }
    bool Monochrome() const { return m_dib && m_dib->Monochrome(); }

    // The palette, made on first need from the colour table, or the halftone palette
    // when the screen has fewer bits per pixel than the bitmap; empty when none.
    const std::vector<RgbQuad>& Palette() const;

    // Conversion (see PixelConvert.h for the rules).
    void SetPixelFormat(TPixelFormat format);
    void SetMonochrome(bool mono);
    void SetWidth(int32_t width) override;
    void SetHeight(int32_t height) override;
    // The canvas brush colour used to fill new area; white until a canvas is used.
    void SetBrushColor(QColor c)
    {
        m_brush = c;
        m_hasCanvas = true;
    }
    QColor BrushColor() const { return m_brush; }
    bool HasCanvas() const { return m_hasCanvas; }

    // Pixels for drawing, cached until the image changes.
    const QImage& Image() const;

private:
    std::shared_ptr<const DibImage> m_dib;
    mutable std::optional<std::vector<RgbQuad>> m_palette;
    mutable QImage m_image;
    // A large picture drawn small (a save window's preview), reduced once from the rows.
    mutable QImage m_reduced;
    QColor m_brush = Qt::white;
    bool m_hasCanvas = false;
};
