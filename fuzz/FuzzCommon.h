// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the fuzz targets share: the input as bytes, the settings its last byte picks, and
// the path a picture takes in the program (load, prepare for a size, draw).
#include <cstddef>
#include <cstdint>
#include <QByteArray>
#include "picture/Graphic.h"

class Failure;

namespace fuzz {

// The input without a copy; it lives as long as the call into the target.
QByteArray Bytes(const uint8_t* data, size_t size);

// The last byte of the input chooses the screen and the JPEG settings, so the fuzzer
// explores them without a prefix that would make the seeds unlike real files.
uint8_t Knob(const uint8_t* data, size_t size);
void SetScreenFor(uint8_t knob);

// A failure must carry one of the readers' own texts; any other ends the run as a crash.
void ExpectKnownFailure(const Failure& f);

// A new graphic of the kind loads the bytes; when it loads, it is prepared and drawn onto
// a small image at a thumbnail size and at its full size, as the page and the viewer do.
void LoadAndDraw(GraphicKind kind, const QByteArray& bytes, uint8_t knob);

// Ends the run with a message when a fact the code promises does not hold.
void Require(bool fact, const char* what);

} // namespace fuzz
