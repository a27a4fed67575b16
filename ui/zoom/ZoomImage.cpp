// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/zoom/ZoomImage.h"
#include <cmath>
#include <QPaintEvent>
#include <QPainter>

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

void TZoomImage::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), Qt::white);
    const qreal ratio = devicePixelRatioF();
    // In device pixels, so that 100 per cent is one picture pixel per device pixel.
    const QRect logical = event->rect();
    const QRect device(
        QPoint(int(std::floor(logical.left() * ratio)), int(std::floor(logical.top() * ratio))),
        QPoint(int(std::ceil((logical.right() + 1) * ratio)) - 1, int(std::ceil((logical.bottom() + 1) * ratio)) - 1));
    painter.scale(1.0 / ratio, 1.0 / ratio);
    m_source.Render(painter, m_zoomed, device, device.topLeft());
    painter.end();
    if (OnPainted)
        OnPainted();
}
