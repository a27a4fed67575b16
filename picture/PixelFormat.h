// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <QString>

// Ordinals are used directly (details panel, save window list).
enum class TPixelFormat : uint8_t {
    Device = 0,
    Bit1 = 1,
    Bit4 = 2,
    Bit8 = 3,
    Bit15 = 4,
    Bit16 = 5,
    Bit24 = 6,
    Bit32 = 7,
    Custom = 8
};

// "Device", "1-bit", ... "Custom".
QString PixelFormatName(TPixelFormat f);
// Inverse of PixelFormatName; false when the name is unknown.
bool PixelFormatFromName(const QString& name, TPixelFormat* out);

enum class TProgressStage { Starting = 0, Running = 1, Ending = 2 };
