// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A dotted focus-style rectangle drawn over whatever lies beneath it: the zoom window's
// selection band and the control panel's drag outline. It takes no mouse input, so the
// picture or panel under it keeps receiving the drag.
#include <QWidget>

class TFocusOutline : public QWidget {
    Q_OBJECT
public:
    explicit TFocusOutline(QWidget* parent);
    // Shows the outline at `area` in the parent, measured in pixels `scale` to a logical
    // pixel (the device pixel ratio for the band); an empty area removes it.
    void Place(const QRect& area, qreal scale = 1.0);
    void Remove();
    // Where it was last placed, as given; empty while removed.
    QRect Area() const { return m_area; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QRect m_area;
};
