// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the windows over the whole screen (full screen, zoom) share: frameless, covering the
// screen the opener names before they are mapped (and full-screen on that screen), the keys of
// their native window seen before any control's (key preview), and their own activation run
// once, at the first showing.
#include <cstdint>
#include <QDialog>
#include <QPointer>
#include <QSize>
#include <QWindow>
#include "platform/Guard.h"

class Platform;

class TScreenWindow : public QDialog {
    Q_OBJECT
public:
    // Set by the opener before showing: the screen's size in logical pixels.
    int32_t ScreenHeight = 0;
    int32_t ScreenWidth = 0;

    // The screen's size in device pixels.
    QSize DeviceScreen() const;
    void setVisible(bool visible) override;

protected:
    TScreenWindow(QWidget* owner, Platform& platform);
    void showEvent(QShowEvent* event) override;
    // Run once, at the first showing, inside the guard.
    virtual void Activate() = 0;
    // The native window whose key events the window's event filter sees first.
    const QWindow* KeyWatch() const { return m_keyWatch; }
    bool Activated() const { return m_activated; }
    // Runs a handler inside the guard so a failure reaches the top-level report.
    template <class F>
    void Guard(F&& f)
    {
        Guarded(m_platform, std::forward<F>(f));
    }

    Platform& m_platform;

private:
    bool m_activated = false;
    QPointer<QWindow> m_keyWatch;
};
