// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The form in which a graphic goes onto the clipboard.
#include <vector>
#include <QImage>
#include "picture/DibImage.h"

class TGraphic;

struct ClipboardForm {
    QImage image;                 // device-dependent copy: monochrome, or the screen's format
    std::vector<RgbQuad> palette; // a copy of the bitmap's palette when it has one
};

// A bitmap gives itself; a JPEG picture its decoded bitmap (decoding it first when needed);
// an icon fails with "Clipboard does not support Icons".
ClipboardForm MakeClipboardForm(TGraphic& graphic);
