// SPDX-License-Identifier: GPL-3.0-or-later
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
#include "picture/SaveRules.h"

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

// The largest size of the picture's proportions inside `box`; a picture that already fits
// keeps its own size.
QSize FitInside(QSize picture, QSize box);

void PrintOut(const QString& text);
void PrintErr(const QString& text);
