// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzz target: the EXIF segment of a camera photo. The input is an APP1 segment's data; its
// Orientation tag is read alone and from a small JPEG file that carries the segment, and
// the picture is decoded upright.
#include <vector>

#include <QImage>

#include "FuzzCommon.h"
#include "picture/Bitmap.h"
#include "picture/Exif.h"
#include "picture/Failure.h"
#include "picture/JpegImage.h"
#include "picture/Orientation.h"

namespace {
// 24 x 10, so a turn that swaps the sides shows.
const QByteArray& Photo()
{
    static const QByteArray bytes = [] {
        QImage image(24, 10, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        TJpegImage jpeg;
        jpeg.AssignBitmap(TBitmap(DibFromQImage(image)));
        return jpeg.SaveToBytes();
    }();
    return bytes;
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // A buffer of exactly the input's size, so a read past it shows.
    const std::vector<uint8_t> segment(data, data + size);
    const int value = ExifOrientation(segment.data(), segment.size());
    fuzz::Require(value >= 1 && value <= 8, "an orientation from 1 to 8");
    if (size > 65533)
        return 0;
    QByteArray file = Photo().left(2);
    file.append(char(0xFF)).append(char(0xE1)).append(char((size + 2) >> 8)).append(char((size + 2) & 0xFF));
    file.append(fuzz::Bytes(data, size)).append(Photo().mid(2));
    TJpegImage jpeg;
    try {
        jpeg.LoadFromBytes(file);
    } catch (const Failure& f) {
        fuzz::ExpectKnownFailure(f);
        return 0;
    }
    fuzz::Require(jpeg.Orientation() == (IsExifSegment(data, size) ? value : 1), "the tag the reader found");
    const QSize upright = UprightSize(QSize(24, 10), jpeg.Orientation());
    fuzz::Require(QSize(jpeg.Width(), jpeg.Height()) == upright, "the upright size before decoding");
    const TBitmap& bitmap = jpeg.Bitmap();
    fuzz::Require(QSize(bitmap.Width(), bitmap.Height()) == upright, "the upright size decoded");
    return 0;
}
