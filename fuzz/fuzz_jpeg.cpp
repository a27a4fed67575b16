// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: a JPEG file loaded, prepared and drawn as the picture holder does.
#include "FuzzCommon.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const uint8_t knob = fuzz::Knob(data, size);
    fuzz::SetScreenFor(knob);
    fuzz::LoadAndDraw(GraphicKind::Jpeg, fuzz::Bytes(data, size), knob);
    return 0;
}
