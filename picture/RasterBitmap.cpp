// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/RasterBitmap.h"
#include <algorithm>
#include "picture/DibImage.h"
#include "picture/Failure.h"
#include "picture/RasterRead.h"

void TRasterBitmap::LoadFromBytes(const QByteArray& bytes)
{
    const std::optional<GraphicKind> content = KindForContent(bytes);
    const GraphicKind kind = content && IsRasterKind(*content) ? *content : m_source;
    const QSize atLeast = kind == GraphicKind::Raw ? m_viewSize : QSize();
    ReadyPicture ready = DecodeRasterPicture(kind, bytes, atLeast, Qt::white, {}, true);
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
    m_alpha = std::move(ready.alpha);
    SetDib(std::move(dib));
}

std::unique_ptr<TGraphic> TRasterBitmap::Clone() const
{
    auto copy = std::make_unique<TRasterBitmap>(m_source);
    copy->m_facts = m_facts;
    copy->m_animation = m_animation;
    copy->m_first = m_first;
    copy->m_alpha = m_alpha;
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

bool TRasterBitmap::ShowOver(QColor background)
{
    if (!m_first || m_alpha.isEmpty() || m_alpha.size() != qsizetype(m_first->width) * m_first->height)
        return false;
    // The first frame is over white: each channel moves toward the background's by the part
    // of white that showed through, (255 - alpha) / 255.
    auto over = std::make_shared<DibImage>(*m_first);
    const int shift[3] = {255 - background.blue(), 255 - background.green(), 255 - background.red()};
    const auto* alpha = reinterpret_cast<const uint8_t*>(m_alpha.constData());
    for (int32_t y = 0; y < over->height; ++y) {
        uint8_t* px = over->Row(y);
        for (int32_t x = 0; x < over->width; ++x, ++alpha, px += 3) {
            const int through = 255 - *alpha;
            for (int c = 0; c < 3; ++c)
                px[c] = uint8_t(std::max(0, px[c] - (shift[c] * through + 127) / 255));
        }
    }
    SetDib(std::move(over));
    return true;
}
