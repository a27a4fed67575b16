#pragma once
// The registry of picture file formats: which kind of graphic an extension loads as,
// and the file-dialog filters and file-list masks built from it.
#include <memory>
#include <optional>
#include <QString>
#include "picture/Graphic.h"

// Looks the extension (without its period, any case) up from the last row to the first.
std::optional<GraphicKind> KindForExtension(const QString& extension);
// Throws Failure("Unknown picture file extension (.%s)") for an unregistered extension.
std::unique_ptr<TGraphic> CreateGraphicForFile(const QString& path);
std::unique_ptr<TGraphic> CreateGraphic(GraphicKind kind);

// nullopt = all kinds.
QString FileMask(std::optional<GraphicKind> kind);
QString DialogFilter(std::optional<GraphicKind> kind);
