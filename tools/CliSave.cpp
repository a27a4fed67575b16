// SPDX-License-Identifier: GPL-3.0-or-later
// `save FILE OUT.bmp|OUT.jpg ...`: the save window's rules without the window.
#include <QFileInfo>
#include "CliCommands.h"
#include "CliSupport.h"
#include "picture/Failure.h"
#include "picture/JpegImage.h"
#include "picture/Limits.h"
#include "picture/PictureFormats.h"

namespace {

struct SaveOptions {
    std::optional<TPixelFormat> pixelFormat;
    bool mono = false;
    int quality = 100; // 100: keep a JPEG source's bytes, else the default encoding
    bool progressive = false;
    std::optional<int32_t> thumbnail;
};

SaveOptions ReadOptions(const CommandLine& line, GraphicKind target)
{
    SaveOptions o;
    const bool bmp = target == GraphicKind::Bitmap;
    const auto onlyFor = [&](const char* name, bool allowed, const char* kind) {
        if (!allowed && (line.values.contains(QLatin1String(name)) || line.flags.contains(QLatin1String(name))))
            throw UsageError {
                QStringLiteral("--%1 applies to %2 files only").arg(QLatin1String(name), QLatin1String(kind))};
    };
    onlyFor("pixel-format", bmp, ".bmp");
    onlyFor("mono", bmp, ".bmp");
    onlyFor("quality", !bmp, ".jpg");
    onlyFor("progressive", !bmp, ".jpg");

    if (line.values.contains(QStringLiteral("pixel-format"))) {
        TPixelFormat f;
        if (!PixelFormatFromName(line.values.value(QStringLiteral("pixel-format")), &f))
            throw UsageError {QStringLiteral("unknown pixel format; use Device, 1-bit, 4-bit, 8-bit, 15-bit, 16-bit, "
                                             "24-bit, 32-bit or Custom")};
        o.pixelFormat = f;
    }
    o.mono = line.flags.contains(QStringLiteral("mono"));
    // Values the save rules refuse are mistakes in the command line as much as unknown ones.
    if (o.pixelFormat == TPixelFormat::Custom)
        throw UsageError {QStringLiteral("Invalid pixel format")};
    if (o.mono && o.pixelFormat && *o.pixelFormat != TPixelFormat::Bit1)
        throw UsageError {QStringLiteral("Cannot be mono unless 1-bit selected")};
    if (line.values.contains(QStringLiteral("quality"))) {
        const auto q = ParseInt(line.values.value(QStringLiteral("quality")), 1, 100);
        if (!q)
            throw UsageError {QStringLiteral("Invalid compression rate")};
        o.quality = *q;
    }
    o.progressive = line.flags.contains(QStringLiteral("progressive"));
    if (o.progressive && o.quality == 100)
        throw UsageError {QStringLiteral("Can only encode if quality less than 100")};
    if (line.values.contains(QStringLiteral("thumbnail"))) {
        const auto m = ParseInt(line.values.value(QStringLiteral("thumbnail")), 1, PictureLimits::kMaxSide);
        if (!m)
            throw UsageError {QStringLiteral("Invalid max size")};
        o.thumbnail = *m;
    }
    return o;
}

void SaveBitmap(TGraphic& source, const SaveOptions& o, const QString& out)
{
    TBitmap work = SaveBitmapOf(source, o.thumbnail);
    // A bitmap source keeps its own format unless told otherwise; other sources become 24-bit.
    TPixelFormat format = TPixelFormat::Bit24;
    if (o.pixelFormat)
        format = *o.pixelFormat;
    else if (o.mono)
        format = TPixelFormat::Bit1;
    else if (const TBitmap* bitmap = BitmapOf(&source))
        format = bitmap->PixelFormat();
    WriteBitmapFile(std::move(work), format, out);
}

void SaveJpeg(TGraphic& source, const SaveOptions& o, const QString& out)
{
    // A thumbnail is a new bitmap; the picture at its own size is written as it is.
    if (o.thumbnail) {
        TBitmap thumbnail = SaveBitmapOf(source, o.thumbnail);
        WriteJpegFile(thumbnail, o.quality, o.progressive, out);
    } else if (IconOf(&source)) {
        TBitmap rendered = FullSizeBitmap(source);
        WriteJpegFile(rendered, o.quality, o.progressive, out);
    } else {
        WriteJpegFile(source, o.quality, o.progressive, out);
    }
}

} // namespace

int RunSave(const QStringList& args)
{
    const CommandLine line =
        SplitArguments(args, {QStringLiteral("pixel-format"), QStringLiteral("quality"), QStringLiteral("thumbnail")},
                       {QStringLiteral("mono"), QStringLiteral("progressive")});
    if (line.positional.size() != 2)
        throw UsageError {QStringLiteral("save needs FILE and OUT.bmp or OUT.jpg")};
    const QString& out = line.positional[1];
    const auto target = KindForExtension(QFileInfo(out).suffix());
    if (!target || (*target != GraphicKind::Bitmap && *target != GraphicKind::Jpeg))
        throw UsageError {QStringLiteral("the output file must end in .bmp, .jpg or .jpeg")};
    const SaveOptions options = ReadOptions(line, *target);

    TPicture picture;
    picture.LoadFromFile(line.positional[0]);
    if (*target == GraphicKind::Bitmap)
        SaveBitmap(*picture.Graphic(), options, out);
    else
        SaveJpeg(*picture.Graphic(), options, out);
    return 0;
}
