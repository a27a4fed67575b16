// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/SaveRules.h"
#include <QPainter>
#include "picture/DibImage.h"
#include "picture/Failure.h"
#include "picture/Icon.h"
#include "picture/JpegImage.h"
#include "picture/Limits.h"
#include "picture/Numbers.h"
#include "picture/PictureFormats.h"
#include "picture/ScreenFacts.h"

namespace {
TBitmap IconBitmap(const TIcon& icon, QRgb background)
{
    // The system icon size whatever the chosen image's size; an image of another size is
    // scaled to it as the desktop's icon extraction would.
    const QSize size(Screen().iconWidth, Screen().iconHeight);
    CheckDibSize(size.width(), size.height(), 24);
    QImage canvas(size, QImage::Format_RGB32);
    if (canvas.isNull())
        throw Failure(kOutOfResources);
    canvas.fill(QColor::fromRgb(background));
    QPainter painter(&canvas);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    if (QSize(icon.Width(), icon.Height()) == size)
        icon.Draw(painter, QRect(QPoint(0, 0), size), false);
    else
        painter.drawImage(QRect(QPoint(0, 0), size), icon.Image());
    painter.end();
    return TBitmap(DibFromQImage(canvas));
}
}

TBitmap FullSizeBitmap(TGraphic& graphic, QRgb iconBackground)
{
    if (const TBitmap* bitmap = BitmapOf(&graphic))
        return TBitmap(bitmap->SharedDib());
    if (TJpegImage* jpeg = JpegOf(&graphic))
        return TBitmap(jpeg->Bitmap().SharedDib());
    if (const TIcon* icon = IconOf(&graphic))
        return IconBitmap(*icon, iconBackground);
    throw Failure("Metafiles are not supported");
}

QSize ThumbnailSize(int32_t width, int32_t height, int32_t maxSize)
{
    double heightRatio = 1.0, widthRatio = 1.0;
    if (height < width)
        heightRatio = double(height) / double(width);
    if (width < height)
        widthRatio = double(width) / double(height);
    const int32_t w = Trunc(static_cast<long double>(maxSize) * static_cast<long double>(widthRatio));
    const int32_t h = Trunc(static_cast<long double>(maxSize) * static_cast<long double>(heightRatio));
    return QSize(w, h);
}

TBitmap StretchBitmap(const TBitmap& bitmap, QSize size)
{
    CheckDibSize(size.width(), size.height(), 24);
    const QImage scaled = bitmap.Image().scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (scaled.isNull())
        throw Failure(kOutOfResources);
    return TBitmap(DibFromQImage(scaled));
}

TBitmap SaveBitmapOf(TGraphic& source, std::optional<int32_t> thumbnailMax, QRgb iconBackground)
{
    TBitmap work = FullSizeBitmap(source, iconBackground);
    if (thumbnailMax && !IconOf(&source)) {
        const QSize size = ThumbnailSize(work.Width(), work.Height(), *thumbnailMax);
        work = StretchBitmap(work, QSize(std::max(size.width(), 1), std::max(size.height(), 1)));
    }
    return work;
}

void WriteBitmapFile(TBitmap bitmap, TPixelFormat format, const QString& path)
{
    bitmap.SetPixelFormat(format);
    if (format == TPixelFormat::Bit1)
        bitmap.SetMonochrome(true);
    bitmap.SaveToFile(path);
}

void WriteJpegFile(TGraphic& picture, int quality, bool progressive, const QString& path)
{
    if (quality == 100 && JpegOf(&picture)) {
        picture.Clone()->SaveToFile(path);
        return;
    }
    TJpegImage job;
    if (TJpegImage* jpeg = JpegOf(&picture))
        job.AssignBitmap(jpeg->Bitmap());
    else if (const TBitmap* bitmap = BitmapOf(&picture))
        job.AssignBitmap(*bitmap);
    else
        throw Failure("Only bitmaps and JPEG pictures are written as JPEG files");
    if (quality < 100) {
        job.settings.quality = quality;
        job.settings.progressiveEncoding = progressive;
        job.EncodeNow();
    }
    job.SaveToFile(path);
}
