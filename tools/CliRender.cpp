// SPDX-License-Identifier: GPL-3.0-or-later
// `render FILE OUT.png [--fit WxH]`: the picture drawn as the viewer draws it, written as PNG.
#include <QBuffer>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QRegularExpression>
#include "CliCommands.h"
#include "CliSupport.h"
#include "picture/Failure.h"
#include "picture/FileWrite.h"
#include "picture/JpegImage.h"
#include "picture/PictureFormats.h"
#include "picture/Limits.h"

namespace {

QSize ParseBox(const QString& text)
{
    static const QRegularExpression re(QStringLiteral("^(\\d+)[xX](\\d+)$"));
    const auto m = re.match(text);
    const auto w = m.hasMatch() ? ParseInt(m.captured(1), 1, PictureLimits::kMaxSide) : std::nullopt;
    const auto h = m.hasMatch() ? ParseInt(m.captured(2), 1, PictureLimits::kMaxSide) : std::nullopt;
    if (!w || !h)
        throw UsageError {QStringLiteral("--fit wants WIDTHxHEIGHT, each 1 to %1").arg(PictureLimits::kMaxSide)};
    return QSize(*w, *h);
}

// The PNG data are made whole in memory first, so a failed write never leaves half a file.
void WritePng(const QImage& image, const QString& path)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    if (!writer.write(image))
        throw Failure(QStringLiteral("Cannot write \"%1\". %2").arg(path, writer.errorString()));
    WriteWholeFile(path, buffer.data());
}

} // namespace

int RunRender(const QStringList& args)
{
    const CommandLine line = SplitArguments(args, {QStringLiteral("fit")}, {});
    if (line.positional.size() != 2)
        throw UsageError {QStringLiteral("render needs FILE and OUT.png")};
    // Only PNG data are written: any other name would give a file that lies about its kind.
    if (QFileInfo(line.positional[1]).suffix().compare(QLatin1String("png"), Qt::CaseInsensitive) != 0)
        throw UsageError {QStringLiteral("the output file must end in .png")};
    const std::optional<QSize> box = line.values.contains(QStringLiteral("fit"))
        ? std::optional(ParseBox(line.values.value(QStringLiteral("fit"))))
        : std::nullopt;

    TPicture picture;
    picture.LoadFromFile(line.positional[0]);
    TGraphic* g = picture.Graphic();
    // A JPEG picture of no bytes has no size yet; decoding it gives libjpeg's own error.
    TJpegImage* jpeg = JpegOf(g);
    if (jpeg && (g->Width() == 0 || g->Height() == 0))
        jpeg->Bitmap();
    const QSize full(picture.Width(), picture.Height());
    if (full.isEmpty())
        throw Failure(QStringLiteral("The picture has no pixels"));
    const QSize target = box ? FitInside(full, *box) : full;
    if (int64_t(target.width()) * target.height() * 4 > PictureLimits::kMaxDecodedBytes)
        throw Failure(kOutOfResources);

    // Decoding happens here, ahead of drawing, as the viewer does it.
    if (g->NeedsPrepare(target))
        g->Prepare(target);
    if (jpeg && jpeg->DecodeFailed())
        throw Failure(jpeg->DecodeError());

    QImage out(target, QImage::Format_ARGB32_Premultiplied);
    if (out.isNull())
        throw Failure(kOutOfResources);
    out.fill(Qt::transparent);
    QPainter painter(&out);
    g->Draw(painter, QRect(QPoint(0, 0), target), true);
    painter.end();
    WritePng(out, line.positional[1]);
    return 0;
}
