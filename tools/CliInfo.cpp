// SPDX-License-Identifier: GPL-3.0-or-later
// `info FILE...`: one block of "key: value" lines per file.
#include <QStringList>
#include "picture/Bitmap.h"
#include "CliCommands.h"
#include "CliSupport.h"
#include "picture/Failure.h"
#include "picture/JpegCodec.h"
#include "picture/JpegImage.h"
#include "picture/PictureFormats.h"
#include "picture/RasterBitmap.h"

namespace {

QString YesNo(bool b)
{
    return b ? QStringLiteral("yes") : QStringLiteral("no");
}

// The lines after "file:" for one loaded picture.
QStringList Describe(const TPicture& picture)
{
    TGraphic* g = picture.Graphic();
    QStringList lines;
    const TRasterBitmap* raster = RasterOf(g);
    lines << QStringLiteral("kind: %1").arg(KindName(raster ? raster->Source() : g->Kind()))
          << QStringLiteral("width: %1").arg(picture.Width()) << QStringLiteral("height: %1").arg(picture.Height());
    if (raster) {
        lines
            << QStringLiteral("colours: %1, %2-bit").arg(raster->Facts().colourType).arg(raster->Facts().bitsPerChannel)
            << QStringLiteral("frames: %1").arg(raster->Facts().frames);
    } else if (const TBitmap* bitmap = BitmapOf(picture.Graphic())) {
        lines << QStringLiteral("pixel-format: %1").arg(PixelFormatName(bitmap->PixelFormat()))
              << QStringLiteral("monochrome: %1").arg(YesNo(bitmap->Monochrome()));
    } else if (const TJpegImage* jpeg = JpegOf(g)) {
        lines << QStringLiteral("progressive: %1").arg(YesNo(jpeg->MultiScan()))
              << QStringLiteral("greyscale: %1").arg(YesNo(jpeg->HeaderGrayscale()));
    }
    return lines;
}

} // namespace

int RunInfo(const QStringList& args)
{
    const CommandLine line = SplitArguments(args, {}, {});
    if (line.positional.isEmpty())
        throw UsageError {QStringLiteral("info needs at least one file")};
    bool anyFailed = false;
    for (qsizetype i = 0; i < line.positional.size(); ++i) {
        const QString& path = line.positional[i];
        QStringList lines {QStringLiteral("file: %1").arg(path)};
        try {
            TPicture picture;
            picture.LoadFromFile(path);
            // An empty JPEG loads as an empty picture; as a file to describe it has no header,
            // which its decoder says as it does when the file is rendered.
            if (const TJpegImage* jpeg = JpegOf(picture.Graphic()); jpeg && jpeg->Empty())
                JpegReadHeader(QByteArray());
            lines << Describe(picture);
        } catch (const Failure& f) {
            lines << QStringLiteral("error: %1").arg(f.Text());
            anyFailed = true;
        } catch (const std::bad_alloc&) {
            lines << QStringLiteral("error: %1").arg(QLatin1String(kOutOfResources));
            anyFailed = true;
        }
        PrintOut((i > 0 ? QStringLiteral("\n") : QString()) + lines.join('\n') + '\n');
    }
    return anyFailed ? 1 : 0;
}
