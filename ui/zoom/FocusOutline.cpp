// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/zoom/FocusOutline.h"
#include <cmath>
#include <QPainter>

TFocusOutline::TFocusOutline(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    hide();
}

void TFocusOutline::Place(const QRect& area, qreal scale)
{
    if (area.width() <= 0 || area.height() <= 0) {
        Remove();
        return;
    }
    m_area = area;
    setGeometry(int(std::floor(area.x() / scale)), int(std::floor(area.y() / scale)),
                std::max(1, int(std::ceil(area.width() / scale))), std::max(1, int(std::ceil(area.height() / scale))));
    show();
    update();
}

void TFocusOutline::Remove()
{
    m_area = QRect();
    hide();
}

void TFocusOutline::paintEvent(QPaintEvent*)
{
    // White under black dots, so the outline shows on dark and light pictures alike.
    QPainter painter(this);
    const QRect frame = rect().adjusted(0, 0, -1, -1);
    painter.setPen(QPen(Qt::white, 0, Qt::SolidLine));
    painter.drawRect(frame);
    painter.setPen(QPen(Qt::black, 0, Qt::DotLine));
    painter.drawRect(frame);
}
