// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The zoom window's picture: the base bitmap zoomed to a size, drawn from the top-left corner
// in device pixels, one picture pixel per device pixel at 100 per cent on any screen scale.
// It spans the whole scrollable area and paints only the part a paint asks for, so the
// zoomed picture is never made whole; what is on screen is kept, so a scroll draws only the
// strip it uncovers.
#include <functional>
#include <QWidget>
#include "ui/zoom/ZoomSource.h"

class TZoomImage : public QWidget {
    Q_OBJECT
public:
    explicit TZoomImage(QWidget* parent = nullptr);

    ZoomSource& Source() { return m_source; }
    const ZoomSource& Source() const { return m_source; }

    // The zoomed picture's size in device pixels; the control is at least that large.
    QSize ZoomedSize() const { return m_zoomed; }
    void SetZoomedSize(QSize zoomed);
    // At least `area` (logical pixels, the scrollable area's view) and the zoomed picture.
    void Cover(QSize area);

    // The zoomed picture's pixels in `area` (device pixels), made from the base.
    QImage Region(const QRect& area) const { return m_source.Region(m_zoomed, area); }

    // After each paint (the zoom window keeps its busy cursor until its picture is drawn).
    std::function<void()> OnPainted;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The device-pixel rectangle `shown` as the zoomed picture, from what was drawn before where
    // it lies there still, the rest made from the base.
    QImage View(const QRect& shown);

    ZoomSource m_source;
    QSize m_zoomed {0, 0}; // nothing shown yet reads 0 x 0
    QSize m_area;
    // What the last paint showed (the visible part, device pixels), so a scroll or drag makes
    // only the strip it uncovers: valid for one zoomed size and one base.
    QImage m_view;
    QRect m_viewRect;
    QSize m_viewZoomed;
    uint64_t m_viewGeneration = 0;
    uint64_t m_viewColours = 0; // the screen colours it was mapped to
};
