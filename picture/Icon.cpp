// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/Icon.h"
#include <QPainter>
#include "picture/IconCodec.h"
#include "picture/ScreenFacts.h"

int32_t TIcon::Width() const
{
    return m_image.isNull() ? Screen().iconWidth : m_image.width();
}

int32_t TIcon::Height() const
{
    return m_image.isNull() ? Screen().iconHeight : m_image.height();
}

void TIcon::LoadFromBytes(const QByteArray& bytes)
{
    // Everything is read and decoded before anything is replaced, so a failed load
    // leaves the icon as it was.
    const IconFile file = IconReadDirectory(bytes);
    const ScreenFacts& screen = Screen();
    QImage image;
    int chosen = -1;
    if (file.type == 0) {
        image = StandardApplicationIcon(screen.iconWidth, screen.iconHeight);
    } else {
        chosen = IconChoose(file.entries, screen.bitsPerPixel, screen.iconWidth, screen.iconHeight);
        image = IconDecodeImage(bytes, file.entries[size_t(chosen)]);
    }
    m_data = bytes;
    m_image = image;
    m_chosen = chosen;
    Changed();
}

void TIcon::Draw(QPainter& painter, const QRect& rect, bool smooth) const
{
    (void)smooth; // an icon is never stretched
    if (!m_image.isNull())
        painter.drawImage(rect.topLeft(), m_image);
}

std::unique_ptr<TGraphic> TIcon::Clone() const
{
    auto copy = std::make_unique<TIcon>();
    copy->m_data = m_data; // implicitly shared, not copied
    copy->m_image = m_image;
    copy->m_chosen = m_chosen;
    return copy;
}
