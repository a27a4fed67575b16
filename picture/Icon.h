// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QImage>
#include "picture/Graphic.h"

// An icon graphic: the file's bytes and the image chosen for this screen, drawn
// unstretched at the rectangle's top-left corner with its mask.
class TIcon : public TGraphic {
public:
    GraphicKind Kind() const override { return GraphicKind::Icon; }
    int32_t Width() const override; // the system icon size while no image is chosen
    int32_t Height() const override;
    bool Empty() const override { return m_data.isEmpty(); }
    void LoadFromBytes(const QByteArray& bytes) override;
    QByteArray SaveToBytes() override { return m_data; }
    void Draw(QPainter& painter, const QRect& rect, bool smooth) const override;
    std::unique_ptr<TGraphic> Clone() const override;

    // The chosen image with its mask as alpha (ARGB32); null while none is chosen.
    const QImage& Image() const { return m_image; }
    int ChosenIndex() const { return m_chosen; }

private:
    QByteArray m_data;
    QImage m_image;
    int m_chosen = -1;
};
