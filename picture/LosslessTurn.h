// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Turning a JPEG without decoding it: TurboJPEG's transform moves its coded blocks, so the
// picture loses nothing however often it is turned. What the user sees is what turns: the
// EXIF Orientation is applied in the same transform and the tag set to 1 (as stored).
#include <QByteArray>
#include <QString>

enum class Turn { Right, Left, Flip }; // a quarter turn clockwise, anticlockwise, left-right mirror

// The JPEG's bytes turned. Throws Failure with the user's text when the picture cannot be
// turned without loss (its size is not a whole number of coded blocks) or its data are damaged.
QByteArray TurnJpegBytes(const QByteArray& jpeg, Turn turn);

// The JPEG file turned: the new file is written beside it, synced and renamed over it, its
// permissions kept, so an interrupted turn leaves the old file whole. A file with more than
// one name (hard links) is refused: replacing it would part its names. Throws Failure.
void TurnJpegFile(const QString& path, Turn turn);
