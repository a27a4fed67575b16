// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/ScreenColour.h"
#include <cmath>
#include <memory>
#include <QImage>
#include <QPainter>
#include "picture/ColourProfile.h"
#include "platform/Platform.h"

namespace {

// Used on the window's thread alone, as painting is.
struct ScreenState {
    QByteArray profile;
    std::shared_ptr<const ColourMap> map;
    uint64_t generation = 0;
};

ScreenState& State()
{
    static ScreenState state;
    return state;
}

} // namespace

void UpdateScreenColour(Platform& platform)
{
    ScreenState& s = State();
    QByteArray profile = platform.DisplayProfile();
    if (profile == s.profile)
        return;
    s.map = SrgbToProfile(profile);
    s.profile = std::move(profile);
    ++s.generation;
}

const ColourMap* ScreenColourMap()
{
    return State().map.get();
}

uint64_t ScreenColourGeneration()
{
    return State().generation;
}

void DrawForScreen(QPainter& painter, const QRect& area, qreal ratio, const std::function<void(QPainter&)>& draw)
{
    const ColourMap* map = ScreenColourMap();
    const QSize device(int(std::ceil(area.width() * ratio)), int(std::ceil(area.height() * ratio)));
    QImage aside;
    if (map && !area.isEmpty())
        aside = QImage(device, QImage::Format_ARGB32);
    if (aside.isNull()) { // no profile, or no memory for the copy: the colours as they are
        draw(painter);
        return;
    }
    aside.setDevicePixelRatio(ratio);
    aside.fill(Qt::transparent);
    {
        QPainter p(&aside);
        p.setRenderHints(painter.renderHints());
        p.translate(-area.topLeft());
        draw(p);
    }
    map->MapImage(aside);
    painter.drawImage(area.topLeft(), aside);
}
