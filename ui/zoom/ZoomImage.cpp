// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/zoom/ZoomImage.h"
#include <cmath>
#include <QPaintEvent>
#include <QPainter>
#include <QRegion>
#include "controls/ScreenColour.h"
#include "picture/ColourProfile.h"

TZoomImage::TZoomImage(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
}

void TZoomImage::SetZoomedSize(QSize zoomed)
{
    m_zoomed = zoomed;
    Cover(m_area);
    update();
}

void TZoomImage::Cover(QSize area)
{
    m_area = area;
    const qreal ratio = devicePixelRatioF();
    const QSize logical(int(std::ceil(m_zoomed.width() / ratio)), int(std::ceil(m_zoomed.height() / ratio)));
    resize(logical.expandedTo(area));
}

namespace {
QRect DeviceRect(const QRect& logical, qreal ratio)
{
    return QRect(
        QPoint(int(std::floor(logical.left() * ratio)), int(std::floor(logical.top() * ratio))),
        QPoint(int(std::ceil((logical.right() + 1) * ratio)) - 1, int(std::ceil((logical.bottom() + 1) * ratio)) - 1));
}
} // namespace

QImage TZoomImage::View(const QRect& shown)
{
    QImage view(shown.size(), QImage::Format_RGB32);
    if (view.isNull())
        return view;
    view.fill(Qt::white);
    QPainter painter(&view);
    QRegion missing(shown);
    if (!m_view.isNull() && m_viewZoomed == m_zoomed && m_viewGeneration == m_source.Generation() &&
        m_viewColours == ScreenColourGeneration()) {
        const QRect kept = shown.intersected(m_viewRect);
        if (!kept.isEmpty()) {
            painter.drawImage(kept.topLeft() - shown.topLeft(), m_view, kept.translated(-m_viewRect.topLeft()));
            missing -= kept;
        }
    }
    painter.end();
    // What is kept is in the screen's colours already; only the new parts are mapped.
    const ColourMap* screen = ScreenColourMap();
    for (const QRect& part : missing) {
        QPainter into(&view);
        m_source.Render(into, m_zoomed, part, part.topLeft() - shown.topLeft());
        into.end();
        if (screen)
            screen->MapImage(view, part.translated(-shown.topLeft()));
    }
    return view;
}

void TZoomImage::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    const qreal ratio = devicePixelRatioF();
    // In device pixels, so that 100 per cent is one picture pixel per device pixel.
    const QRect device = DeviceRect(event->rect(), ratio);
    const QRect visible = DeviceRect(visibleRegion().boundingRect(), ratio);
    painter.scale(1.0 / ratio, 1.0 / ratio);
    if (visible.contains(device)) {
        QImage view = View(visible);
        if (!view.isNull()) {
            painter.drawImage(device.topLeft(), view, device.translated(-visible.topLeft()));
            m_view = std::move(view);
            m_viewRect = visible;
            m_viewZoomed = m_zoomed;
            m_viewGeneration = m_source.Generation();
            m_viewColours = ScreenColourGeneration();
        }
    } else {
        DrawForScreen(painter, device, 1, [&](QPainter& p) {
            p.fillRect(device, Qt::white);
            m_source.Render(p, m_zoomed, device, device.topLeft());
        });
    }
    painter.end();
    if (OnPainted)
        OnPainted();
}
