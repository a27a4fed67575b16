// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The registry of picture file formats: which kind of graphic an extension loads as, the
// file-dialog filters and file-list masks built from it, the one rule for a name's extension,
// and the one place that tells a graphic's kind (no caller casts a graphic itself).
#include <memory>
#include <optional>
#include <QString>
#include "picture/Graphic.h"

class TBitmap;
class TIcon;
class TJpegImage;

// Looks the extension (without its period, any case) up from the last row to the first.
std::optional<GraphicKind> KindForExtension(const QString& extension);
// Throws Failure("Unknown picture file extension (.%s)") for an unregistered extension.
std::unique_ptr<TGraphic> CreateGraphicForFile(const QString& path);
std::unique_ptr<TGraphic> CreateGraphic(GraphicKind kind);

// nullopt = all kinds.
QString FileMask(std::optional<GraphicKind> kind);
// The kinds beyond JPEG, bitmap and icon that are shown (PNG, GIF, WebP, TIFF): the "Other" type.
bool IsOtherKind(GraphicKind kind);
QString OtherFileMask();
QString DialogFilter(std::optional<GraphicKind> kind);

// The extension of a file name or path with its period, as written ("" when the last part
// of the path has none): "a/b.JPG" gives ".JPG".
QString ExtensionOf(const QString& name);
// True for the extensions the browser shows as pictures: ".jpg", ".jpeg", ".jpe", ".jfif",
// ".bmp", ".dib", ".ico", ".png", ".gif", ".webp", ".tif", ".tiff" exactly (callers
// lower-case first).
bool IsImageExtension(const QString& ext);
// The extensions of the pictures shown, with their periods, in the registry's order:
// ".jpg, .jpeg, .bmp, ..." for messages that name them.
QString ShownExtensions();
// The extension lower-cased in A-Z only; other letters keep their case.
QString LowerExtensionOf(const QString& name);

// The graphic as its kind, or null when it is another kind (or null).
const TBitmap* BitmapOf(const TGraphic* graphic);
TJpegImage* JpegOf(TGraphic* graphic);
const TJpegImage* JpegOf(const TGraphic* graphic);
const TIcon* IconOf(const TGraphic* graphic);
// A bitmap loaded from a PNG, GIF, WebP or TIFF file, or null.
const class TRasterBitmap* RasterOf(const TGraphic* graphic);
class TRasterBitmap* RasterOf(TGraphic* graphic);
