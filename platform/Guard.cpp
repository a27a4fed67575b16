// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Guard.h"
#include <QCoreApplication>
#include <new>
#include <stdexcept>
#include "platform/Messages.h"

QString ReportText(const QString& text)
{
    if (!text.isEmpty() && text.back() > QLatin1Char('.'))
        return text + QLatin1Char('.');
    return text;
}

void ReportFailure(Platform& platform, const QString& text)
{
    ShowError(platform, ReportText(text));
}

QString CurrentFailureText()
{
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return QCoreApplication::translate("Guard", "Out of memory");
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QCoreApplication::translate("Guard", "Unknown failure");
    }
}
