#pragma once
// Every handler runs inside a guard: a failure it does not catch itself reaches the
// top-level error report instead of unwinding through Qt's frames (which are built
// without exception support and would skip their clean-ups).
#include <exception>
#include <utility>
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
