// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Goodbye window: a borderless red rounded plate reading "Goodbye", held on the screen
// for three quarters of a second while the program ends.
#include <QWidget>

class Platform;
class QLabel;

class TGBForm : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 240;
    static constexpr int kHeight = 72;
    static constexpr int kPauseMs = 750;

    // Stands centred on `over` (the main window) when shown.
    TGBForm(Platform& platform, const QWidget* over);

    // The plate's shape: a rounded rectangle from (0, 0) to (234, 72) with 12 x 12 corner
    // ellipses, so the rightmost 6 pixels of the window do not show.
    static QRegion PlateRegion();

    // After show(): puts the plate on the screen at once and holds it for the pause.
    // Nothing else runs meanwhile.
    void FormActivate();

    QLabel* lblGB = nullptr;

private:
    void FormCreate();

    Platform& m_platform;
};
