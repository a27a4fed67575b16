// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/RasterBitmap.h"
#include "picture/DibImage.h"
#include "picture/Failure.h"
#include "picture/RasterRead.h"

void TRasterBitmap::LoadFromBytes(const QByteArray& bytes)
{
    const std::optional<GraphicKind> content = KindForContent(bytes);
    const GraphicKind kind = content && IsRasterKind(*content) ? *content : m_source;
    ReadyPicture ready = DecodeRasterPicture(kind, bytes, QSize(), Qt::white);
    // A damaged file shows what was decoded before the damage, as a partly decoded JPEG does.
    if (ready.image.isNull())
        throw Failure(ready.error.isEmpty() ? QStringLiteral("Picture is not valid") : ready.error);
    std::shared_ptr<DibImage> dib = DibFromQImage(ready.image);
    ready.image = QImage();
    m_source = kind;
    m_facts = std::move(ready.facts);
    const bool animated = m_facts.frames > 1 && (kind == GraphicKind::Gif || kind == GraphicKind::Webp);
    m_animation = animated ? bytes : QByteArray();
    m_first = dib;
    SetDib(std::move(dib));
}

std::unique_ptr<TGraphic> TRasterBitmap::Clone() const
{
    auto copy = std::make_unique<TRasterBitmap>(m_source);
    copy->m_facts = m_facts;
    copy->m_animation = m_animation;
    copy->m_first = m_first;
    copy->SetDib(SharedDib());
    return copy;
}

void TRasterBitmap::ShowFrame(const QImage& frame)
{
    SetDib(DibFromQImage(frame));
}

void TRasterBitmap::ShowFirstFrame()
{
    if (m_first && SharedDib() != m_first)
        SetDib(m_first);
}
