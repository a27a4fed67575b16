#pragma once
// Shared pieces of the lumivue-picture commands: argument splitting, loading, and the
// bitmap forms of a picture that the save and render commands work on.
#include <optional>
#include <QMap>
#include <QSet>
#include <QSize>
#include <QString>
#include <QStringList>
#include "picture/Bitmap.h"
#include "picture/Picture.h"

// A mistake in the command line (exit status 2), as opposed to a failing picture (1).
struct UsageError {
    QString text;
};

struct CommandLine {
    QStringList positional;
    QMap<QString, QString> values; // --name VALUE or --name=VALUE
    QSet<QString> flags;           // --name
};

// Splits `args` (after the command word). Options in `valueOptions` take a value, those in
// `flagOptions` stand alone; anything else starting with "--" is a UsageError. "--" ends options.
CommandLine SplitArguments(const QStringList& args, const QStringList& valueOptions, const QStringList& flagOptions);

// "jpeg", "bitmap" or "icon".
QString KindName(GraphicKind kind);

// A whole number in [low, high]; nullopt when the text is not one.
std::optional<int> ParseInt(const QString& text, int low, int high);

// The picture at full size as a bitmap: a bitmap as it is, a JPEG picture decoded, an icon
// drawn at the system icon size on the button-face colour, as the save window makes it.
TBitmap FullSizeBitmap(TGraphic& graphic);

// The size a thumbnail of at most `maxSize` pixels takes: the longer side becomes maxSize,
// the shorter one is scaled by a 64-bit ratio and truncated (never below 1 here).
QSize ThumbnailSize(int32_t width, int32_t height, int32_t maxSize);
// The bitmap stretched smoothly to `size` as a new 24-bit bitmap.
TBitmap StretchBitmap(const TBitmap& bitmap, QSize size);

// The largest size of the picture's proportions inside `box`; a picture that already fits
// keeps its own size.
QSize FitInside(QSize picture, QSize box);

// The icon background of saved icons (the usual light-grey button face).
inline constexpr unsigned kButtonFaceRgb = 0xF0F0F0;

void PrintOut(const QString& text);
void PrintErr(const QString& text);
