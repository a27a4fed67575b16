// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/common/ScreenWindow.h"
#include <cmath>
#include <QScreen>
#include <QWindow>

TScreenWindow::TScreenWindow(QWidget* owner, Platform& platform)
    : QDialog(owner, Qt::Dialog | Qt::FramelessWindowHint), m_platform(platform)
{}

QSize TScreenWindow::DeviceScreen() const
{
    const qreal ratio = devicePixelRatioF();
    return QSize(int(std::lround(ScreenWidth * ratio)), int(std::lround(ScreenHeight * ratio)));
}

void TScreenWindow::setVisible(bool visible)
{
    // The opener sets the screen size after construction; it takes effect before mapping.
    if (visible && !isVisible() && !m_activated) {
        const QRect screenRect(QPoint(0, 0), QSize(ScreenWidth, ScreenHeight));
        setGeometry(screenRect);
        // On the screen it covers, the window system is asked for full-screen state as well,
        // so that no panel stays above it.
        if (const QScreen* own = screen(); own && own->geometry() == screenRect)
            setWindowState(windowState() | Qt::WindowFullScreen);
    }
    QDialog::setVisible(visible);
}

void TScreenWindow::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Keys reach the native window before any control: watching it is the key preview.
    if (QWindow* handle = windowHandle(); handle && !m_keyWatch) {
        handle->installEventFilter(this);
        m_keyWatch = handle;
    }
    if (!m_activated) {
        m_activated = true;
        Guard([this] { Activate(); });
    }
}
