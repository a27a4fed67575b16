// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/ClipboardForm.h"
#include "picture/Bitmap.h"
#include "picture/Failure.h"
#include "picture/JpegImage.h"
#include "picture/PictureFormats.h"

namespace {
ClipboardForm FromBitmap(const TBitmap& source)
{
    TBitmap copy;
    copy.SetDib(source.SharedDib());
    ClipboardForm form;
    form.palette = source.Palette();
    // Device-dependent: a monochrome bitmap stays monochrome, any other takes the screen's format.
    if (source.Monochrome())
        copy.SetMonochrome(true);
    else
        copy.SetPixelFormat(TPixelFormat::Device);
    form.image = DibToQImage(copy.Dib()); // an indexed image carries its colour table
    return form;
}
}

ClipboardForm MakeClipboardForm(TGraphic& graphic)
{
    switch (graphic.Kind()) {
    case GraphicKind::Bitmap: return FromBitmap(*BitmapOf(&graphic));
    case GraphicKind::Jpeg: return FromBitmap(JpegOf(&graphic)->Bitmap());
    case GraphicKind::Icon: throw Failure("Clipboard does not support Icons");
    case GraphicKind::Metafile:
    case GraphicKind::Thumbnail:
    case GraphicKind::Png: // these load as bitmaps
    case GraphicKind::Gif:
    case GraphicKind::Webp:
    case GraphicKind::Tiff:
    case GraphicKind::Heif:
    case GraphicKind::Avif:
    case GraphicKind::Jxl:
    case GraphicKind::Raw: break;
    }
    throw Failure("Clipboard does not support this picture");
}
