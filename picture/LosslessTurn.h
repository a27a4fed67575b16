// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Turning a JPEG without decoding it: TurboJPEG's transform moves its coded blocks, so the
// picture loses nothing however often it is turned. What the user sees is what turns: the
// EXIF Orientation is applied in the same transform and the tag set to 1 (as stored).
#include <cstdint>
#include <functional>
#include <memory>
#include <QByteArray>
#include <QString>

#include "picture/DibImage.h"
#include "picture/Failure.h"

enum class Turn { Right, Left, Flip }; // a quarter turn clockwise, anticlockwise, left-right mirror

// How a picture whose size is not a whole number of coded blocks is turned: not at all
// (Whole), with the partial blocks at its right and bottom edges cut off (Trim: at most 15
// pixels), or by its EXIF Orientation tag alone, the pixels untouched (TagOnly: viewers that
// read the tag show it turned). The user chooses; Whole is the default.
enum class TurnEdges { Whole, Trim, TagOnly };

// Thrown for such a picture under TurnEdges::Whole, so the caller can offer the others.
class PartialBlocks : public Failure {
public:
    PartialBlocks();
};

// The JPEG's bytes turned. Throws PartialBlocks (above), or Failure with the user's text when
// its data are damaged.
QByteArray TurnJpegBytes(const QByteArray& jpeg, Turn turn, TurnEdges edges = TurnEdges::Whole);

// The JPEG file turned: the new file is written beside it, synced and renamed over it, its
// permissions kept, so an interrupted turn leaves the old file whole. A file with more than
// one name (hard links) is refused: replacing it would part its names. Throws Failure.
void TurnJpegFile(const QString& path, Turn turn, TurnEdges edges = TurnEdges::Whole);

// A bitmap's pixels moved, in its own pixel format (any bit count, its colour table and bit
// fields kept), so nothing is lost either.
std::shared_ptr<DibImage> TurnDib(const DibImage& dib, Turn turn);
// The bitmap file turned and written back as a bitmap, as TurnJpegFile writes. A bitmap whose
// colours were mapped from an embedded profile is refused: written back, its colours would
// change. Throws Failure.
void TurnBitmapFile(const QString& path, Turn turn);

// An icon's every picture turned in its own storage: a bitmap's pixels and mask as they are
// stored, a PNG picture decoded and written again as PNG, so nothing is lost. Throws Failure.
QByteArray TurnIconBytes(const QByteArray& icon, Turn turn);
// The icon file turned and written back, as TurnJpegFile writes. Throws Failure.
void TurnIconFile(const QString& path, Turn turn);

// What the kinds' turns share. MovePixels moves a picture's `width` x `height` pixels of
// `bits` each (1 to 32) from the rows `from(y)` to the rows `to(y)` of the turned picture,
// top row 0. TurnFileWhole replaces a file by `turn` of its bytes, written beside it and
// renamed over it; a file with several names is refused.
void MovePixels(int32_t width, int32_t height, int bits, Turn turn, const std::function<const uint8_t*(int32_t)>& from,
                const std::function<uint8_t*(int32_t)>& to);
void TurnFileWhole(const QString& path, const std::function<QByteArray(const QByteArray&)>& turn);
