// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/CameraThumbnail.h"
#include <cstdlib>
#include "picture/DibImage.h"
#include "picture/JpegImage.h"
#include "picture/Orientation.h"

namespace {
// EXIF thumbnails are small; a larger one claimed in a few kilobytes is not decoded.
constexpr int64_t kMaxThumbnailPixels = 1 << 20;
} // namespace

QImage CellFromExifThumbnail(const QByteArray& head, QSize target, const JpegDecodeOptions& options)
{
    try {
        const JpegHeader photo = JpegReadHeader(head, true);
        if (photo.exifThumbnail.isEmpty() || target.isEmpty())
            return {};
        const JpegHeader thumb = JpegReadHeader(photo.exifThumbnail);
        if (thumb.width <= 0 || thumb.height <= 0 || int64_t(thumb.width) * thumb.height > kMaxThumbnailPixels)
            return {};
        // A thumbnail with bars (4:3 for a 16:9 photo) would show them.
        const double photoShape = double(photo.width) / photo.height, thumbShape = double(thumb.width) / thumb.height;
        if (std::abs(thumbShape - photoShape) > 0.01 * photoShape)
            return {};
        const QSize shown = UprightSize(QSize(thumb.width, thumb.height), photo.orientation);
        if (target.width() > shown.width() || target.height() > shown.height())
            return {};
        JpegDecodeOptions whole = options;
        whole.scaleDenom = 1;
        JpegDecodeResult r = JpegDecode(photo.exifThumbnail, whole, {});
        if (!r.dib || !r.error.isEmpty())
            return {};
        // The thumbnail's pixels are stored as the photo's: its turn and colours apply.
        r.orientation = photo.orientation;
        r.iccProfile = photo.iccProfile;
        JpegMakeUpright(r, whole.grayscaleOut);
        return r.dib ? DibToQImage(*r.dib) : QImage();
    } catch (...) {
        return {}; // the photo itself is decoded instead, and says what is wrong
    }
}
