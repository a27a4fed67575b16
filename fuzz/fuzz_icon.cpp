// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: an icon file loaded, prepared and drawn as the picture holder does, and turned
// as the page's Rotate turns it (the turned bytes must load again).
#include "FuzzCommon.h"
#include "picture/Icon.h"
#include "picture/LosslessTurn.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const uint8_t knob = fuzz::Knob(data, size);
    fuzz::SetScreenFor(knob);
    const QByteArray bytes = fuzz::Bytes(data, size);
    fuzz::LoadAndDraw(GraphicKind::Icon, bytes, knob);
    QByteArray turned;
    try {
        turned = TurnIconBytes(bytes, Turn(knob % 3));
    } catch (const std::exception&) {
        return 0; // refused with the user's text
    }
    TIcon icon;
    try {
        icon.LoadFromBytes(turned);
    } catch (const std::exception&) {
        // A picture the reader refuses stays refused once turned; nothing more to check.
    }
    return 0;
}
