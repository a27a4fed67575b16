// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/PictureFormats.h"
#include <QFileInfo>
#include "picture/Bitmap.h"
#include "picture/Failure.h"
#include "picture/FileRead.h"
#include "picture/Icon.h"
#include "picture/JpegImage.h"
#include "picture/RasterBitmap.h"
#include "picture/RasterRead.h"

namespace {
struct FormatRow {
    const char* extension;
    const char* description;
    GraphicKind kind;
};
// Registration order; look-ups walk it from the last row to the first, so the other names
// of JPEG files and bitmaps, first here, come last in every mask and filter.
const FormatRow kRows[] = {
    {"dib", "Bitmaps", GraphicKind::Bitmap},
    {"jfif", "JPEG Image File", GraphicKind::Jpeg},
    {"jpe", "JPEG Image File", GraphicKind::Jpeg},
    {"srw", "Camera Raw File", GraphicKind::Raw},
    {"pef", "Camera Raw File", GraphicKind::Raw},
    {"raf", "Camera Raw File", GraphicKind::Raw},
    {"rw2", "Camera Raw File", GraphicKind::Raw},
    {"orf", "Camera Raw File", GraphicKind::Raw},
    {"arw", "Camera Raw File", GraphicKind::Raw},
    {"nef", "Camera Raw File", GraphicKind::Raw},
    {"cr3", "Camera Raw File", GraphicKind::Raw},
    {"cr2", "Camera Raw File", GraphicKind::Raw},
    {"dng", "Camera Raw File", GraphicKind::Raw},
    {"jxl", "JPEG XL Image File", GraphicKind::Jxl},
    {"avif", "AVIF Image File", GraphicKind::Avif},
    {"heif", "HEIF Image File", GraphicKind::Heif},
    {"heic", "HEIC Image File", GraphicKind::Heif},
    {"tiff", "TIFF Image File", GraphicKind::Tiff},
    {"tif", "TIFF Image File", GraphicKind::Tiff},
    {"webp", "WebP Image File", GraphicKind::Webp},
    {"gif", "GIF Image File", GraphicKind::Gif},
    {"png", "PNG Image File", GraphicKind::Png},
    {"wmf", "Metafiles", GraphicKind::Metafile},
    {"emf", "Enhanced Metafiles", GraphicKind::Metafile},
    {"ico", "Icons", GraphicKind::Icon},
    {"bmp", "Bitmaps", GraphicKind::Bitmap},
    {"jpeg", "JPEG Image File", GraphicKind::Jpeg},
    {"jpg", "JPEG Image File", GraphicKind::Jpeg},
};
constexpr int kRowCount = int(std::size(kRows));
constexpr qsizetype kSignatureBytes = 12; // the longest signature told apart (WebP's)
}

std::optional<GraphicKind> KindForExtension(const QString& extension)
{
    const QString ext = extension.toLower();
    for (int i = kRowCount - 1; i >= 0; --i)
        if (ext == QLatin1String(kRows[i].extension))
            return kRows[i].kind;
    return std::nullopt;
}

std::unique_ptr<TGraphic> CreateGraphic(GraphicKind kind)
{
    switch (kind) {
    case GraphicKind::Jpeg: return std::make_unique<TJpegImage>();
    case GraphicKind::Bitmap: return std::make_unique<TBitmap>();
    case GraphicKind::Icon: return std::make_unique<TIcon>();
    case GraphicKind::Png:
    case GraphicKind::Gif:
    case GraphicKind::Webp:
    case GraphicKind::Tiff:
    case GraphicKind::Heif:
    case GraphicKind::Avif:
    case GraphicKind::Jxl:
    case GraphicKind::Raw: return std::make_unique<TRasterBitmap>(kind);
    case GraphicKind::Metafile:
    case GraphicKind::Thumbnail: break;
    }
    throw Failure("Metafiles are not supported");
}

std::unique_ptr<TGraphic> CreateGraphicForFile(const QString& path)
{
    const QString ext = QFileInfo(path).suffix();
    const auto kind = KindForExtension(ext);
    if (!kind || *kind == GraphicKind::Metafile)
        throw Failure(QStringLiteral("Unknown picture file extension (.%1)").arg(ext));
    // A file named for one kind that holds another is read as what it holds; one that cannot
    // be opened here fails as its loader reports it.
    const std::optional<QByteArray> head = ReadRegularFileHead(path, kSignatureBytes);
    return CreateGraphic(head ? ReadAsKind(*head, *kind) : *kind);
}

QString FileMask(std::optional<GraphicKind> kind)
{
    QStringList parts;
    for (int i = kRowCount - 1; i >= 0; --i)
        if (!kind || kRows[i].kind == *kind)
            parts << QStringLiteral("*.%1").arg(QLatin1String(kRows[i].extension));
    return parts.join(';');
}

QString OtherFileMask()
{
    QStringList parts;
    for (int i = kRowCount - 1; i >= 0; --i)
        if (IsOtherKind(kRows[i].kind))
            parts << QStringLiteral("*.%1").arg(QLatin1String(kRows[i].extension));
    return parts.join(';');
}

bool IsOtherKind(GraphicKind kind)
{
    return kind == GraphicKind::Png || kind == GraphicKind::Gif || kind == GraphicKind::Webp ||
        kind == GraphicKind::Tiff || kind == GraphicKind::Heif || kind == GraphicKind::Avif ||
        kind == GraphicKind::Jxl || kind == GraphicKind::Raw;
}

QString DialogFilter(std::optional<GraphicKind> kind)
{
    QStringList parts;
    for (int i = kRowCount - 1; i >= 0; --i) {
        if (kind && kRows[i].kind != *kind)
            continue;
        const QString mask = QStringLiteral("*.%1").arg(QLatin1String(kRows[i].extension));
        parts << QStringLiteral("%1 (%2)|%2").arg(QLatin1String(kRows[i].description), mask);
    }
    QString filter = parts.join('|');
    if (parts.size() > 1) {
        const QString whole = FileMask(kind);
        filter = QStringLiteral("All (%1)|%1|").arg(whole) + filter;
    }
    return filter;
}

QString ExtensionOf(const QString& name)
{
    const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > slash ? name.mid(dot) : QString();
}

bool IsImageExtension(const QString& ext)
{
    // Every registered extension but the metafiles', written in lower case with its period.
    const std::optional<GraphicKind> kind =
        ext.startsWith(QLatin1Char('.')) && ext == ext.toLower() ? KindForExtension(ext.mid(1)) : std::nullopt;
    return kind && *kind != GraphicKind::Metafile;
}

QString ShownExtensions()
{
    QStringList parts;
    for (int i = kRowCount - 1; i >= 0; --i)
        if (kRows[i].kind != GraphicKind::Metafile)
            parts << QStringLiteral(".%1").arg(QLatin1String(kRows[i].extension));
    return parts.join(QStringLiteral(", "));
}

QString LowerExtensionOf(const QString& name)
{
    QString ext = ExtensionOf(name);
    for (QChar& c : ext) {
        if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
            c = QChar(c.unicode() + ('a' - 'A'));
    }
    return ext;
}

const TBitmap* BitmapOf(const TGraphic* graphic)
{
    return graphic && graphic->Kind() == GraphicKind::Bitmap ? static_cast<const TBitmap*>(graphic) : nullptr;
}

TJpegImage* JpegOf(TGraphic* graphic)
{
    return graphic && graphic->Kind() == GraphicKind::Jpeg ? static_cast<TJpegImage*>(graphic) : nullptr;
}

const TJpegImage* JpegOf(const TGraphic* graphic)
{
    return graphic && graphic->Kind() == GraphicKind::Jpeg ? static_cast<const TJpegImage*>(graphic) : nullptr;
}

const TRasterBitmap* RasterOf(const TGraphic* graphic)
{
    return graphic && graphic->Kind() == GraphicKind::Bitmap ? dynamic_cast<const TRasterBitmap*>(graphic) : nullptr;
}

TRasterBitmap* RasterOf(TGraphic* graphic)
{
    return graphic && graphic->Kind() == GraphicKind::Bitmap ? dynamic_cast<TRasterBitmap*>(graphic) : nullptr;
}

const TIcon* IconOf(const TGraphic* graphic)
{
    return graphic && graphic->Kind() == GraphicKind::Icon ? static_cast<const TIcon*>(graphic) : nullptr;
}
