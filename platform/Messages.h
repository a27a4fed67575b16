// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The two message boxes every window shows, with the application's name as caption:
// information for refused input, an error for a failure.
#include <QCoreApplication>
#include "platform/Platform.h"

inline void ShowInformation(Platform& platform, const QString& text)
{
    platform.ShowMessage(MessageKind::Information, QCoreApplication::applicationName(), text);
}

inline void ShowError(Platform& platform, const QString& text)
{
    platform.ShowMessage(MessageKind::Error, QCoreApplication::applicationName(), text);
}
