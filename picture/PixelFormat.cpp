// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/PixelFormat.h"

static const char* const kNames[] = {"Device", "1-bit",  "4-bit",  "8-bit", "15-bit",
                                     "16-bit", "24-bit", "32-bit", "Custom"};

QString PixelFormatName(TPixelFormat f)
{
    const auto i = static_cast<unsigned>(f);
    return i < 9 ? QString::fromLatin1(kNames[i]) : QString();
}

bool PixelFormatFromName(const QString& name, TPixelFormat* out)
{
    for (unsigned i = 0; i < 9; ++i) {
        if (name == QLatin1String(kNames[i])) {
            *out = static_cast<TPixelFormat>(i);
            return true;
        }
    }
    return false;
}
