// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every handler runs inside a guard: a failure it does not catch itself reaches the
// top-level error report instead of unwinding through Qt's frames (which are built
// without exception support and would skip their clean-ups).
#include <exception>
#include <functional>
#include <utility>
#include <QObject>
#include <QString>
#include "platform/Platform.h"

// The report's text: a period is appended when the text ends in a character that comes
// after the period in code order.
QString ReportText(const QString& text);
// A message box with the text, the application title (the application name) as caption,
// an error icon and OK.
void ReportFailure(Platform& platform, const QString& text);
// The text of the exception in flight (call inside a catch block).
QString CurrentFailureText();

template <class F>
void Guarded(Platform& platform, F&& handler) noexcept
{
    try {
        std::forward<F>(handler)();
    } catch (...) {
        try {
            ReportFailure(platform, CurrentFailureText());
        } catch (...) {
            // Reporting itself failed (out of memory); nothing sensible is left to do.
        }
    }
}

// Connects a signal to a handler that runs inside the guard; the signal's arguments are
// not passed on.
template <class Sender, class Signal, class F>
QMetaObject::Connection ConnectGuarded(Platform& platform, const Sender* sender, Signal signal, const QObject* context,
                                       F handler)
{
    return QObject::connect(sender, signal, context,
                            [&platform, handler = std::move(handler)] { Guarded(platform, handler); });
}

// A callback that runs the handler inside the guard.
template <class F>
std::function<void()> GuardedCallback(Platform& platform, F handler)
{
    return [&platform, handler = std::move(handler)] { Guarded(platform, handler); };
}
