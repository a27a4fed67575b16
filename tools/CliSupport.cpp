// SPDX-License-Identifier: GPL-3.0-or-later
#include "CliSupport.h"
#include <cstdio>
#include <QPainter>
#include "base/FileNames.h"
#include "picture/DibImage.h"
#include "picture/Failure.h"
#include "picture/Icon.h"
#include "picture/JpegImage.h"
#include "picture/Limits.h"
#include "picture/Numbers.h"
#include "picture/ScreenFacts.h"

CommandLine SplitArguments(const QStringList& args, const QStringList& valueOptions, const QStringList& flagOptions)
{
    CommandLine line;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (optionsEnded || !arg.startsWith(QLatin1String("--"))) {
            line.positional << arg;
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        QString name = arg.mid(2);
        QString value;
        const qsizetype eq = name.indexOf('=');
        const bool inlineValue = eq >= 0;
        if (inlineValue) {
            value = name.mid(eq + 1);
            name.truncate(eq);
        }
        if (valueOptions.contains(name)) {
            if (!inlineValue) {
                if (i + 1 >= args.size())
                    throw UsageError {QStringLiteral("--%1 needs a value").arg(name)};
                value = args[++i];
            }
            line.values.insert(name, value);
        } else if (flagOptions.contains(name) && !inlineValue) {
            line.flags.insert(name);
        } else {
            throw UsageError {QStringLiteral("unknown option %1").arg(arg)};
        }
    }
    return line;
}

QString KindName(GraphicKind kind)
{
    switch (kind) {
    case GraphicKind::Jpeg: return QStringLiteral("jpeg");
    case GraphicKind::Bitmap: return QStringLiteral("bitmap");
    case GraphicKind::Icon: return QStringLiteral("icon");
    case GraphicKind::Png: return QStringLiteral("png");
    case GraphicKind::Gif: return QStringLiteral("gif");
    case GraphicKind::Webp: return QStringLiteral("webp");
    case GraphicKind::Tiff: return QStringLiteral("tiff");
    case GraphicKind::Heif: return QStringLiteral("heif");
    case GraphicKind::Avif: return QStringLiteral("avif");
    case GraphicKind::Jxl: return QStringLiteral("jxl");
    case GraphicKind::Raw: return QStringLiteral("raw");
    case GraphicKind::Metafile:
    case GraphicKind::Thumbnail: break;
    }
    return QStringLiteral("metafile");
}

std::optional<int> ParseInt(const QString& text, int low, int high)
{
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok || value < low || value > high)
        return std::nullopt;
    return value;
}

QSize FitInside(QSize picture, QSize box)
{
    if (picture.width() <= box.width() && picture.height() <= box.height())
        return picture;
    // Compare w/W with h/H without rounding: the side that overflows more decides.
    const int64_t w = picture.width(), h = picture.height();
    if (w * box.height() >= h * box.width())
        return QSize(box.width(), std::max<int32_t>(1, int32_t(h * box.width() / w)));
    return QSize(std::max<int32_t>(1, int32_t(w * box.height() / h)), box.height());
}

void PrintOut(const QString& text)
{
    std::fputs(DisplayName(text).toLocal8Bit().constData(), stdout);
}

void PrintErr(const QString& text)
{
    std::fputs(DisplayName(text).toLocal8Bit().constData(), stderr);
}
