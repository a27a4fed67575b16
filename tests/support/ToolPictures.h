// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Pictures made and decoded by other programs, to hold our readers' output against: shell
// commands run in a test's folder, and the "width height" line plus RGBA bytes that
// ImageMagick writes for `ImRgba`.
#include <algorithm>
#include <QDir>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QString>

// Runs `command` with bash in `folder`; false (and its messages on the test's output) when it fails.
inline bool RunIn(const QString& folder, const QString& command, QByteArray* out = nullptr)
{
    QProcess p;
    p.setWorkingDirectory(folder);
    p.start(QStringLiteral("bash"), {QStringLiteral("-c"), command});
    const bool ok = p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    if (!ok)
        qWarning("%s failed: %s", qPrintable(command), p.readAllStandardError().constData());
    if (out)
        *out = p.readAllStandardOutput();
    return ok;
}

// ImageMagick's straight 8-bit RGBA of a file (`file` may name a page: "p.tif[1]"), after `ops`.
inline QString ImRgba(const QString& file, const QString& ops = {})
{
    return QStringLiteral("convert '%1' %2 -format '%w %h\\n' -write info:- -depth 8 rgba:-").arg(file, ops);
}

// The picture an ImRgba command printed; null when the output is not whole.
inline QImage FromImRgba(const QByteArray& out)
{
    const qsizetype line = out.indexOf('\n');
    const QList<QByteArray> size = out.left(line).split(' ');
    const int w = size.value(0).toInt(), h = size.value(1).toInt();
    if (line < 0 || w <= 0 || h <= 0 || out.size() - line - 1 != qsizetype(w) * h * 4)
        return {};
    QImage image(w, h, QImage::Format_ARGB32);
    const auto* p = reinterpret_cast<const uchar*>(out.constData() + line + 1);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x, p += 4)
            image.setPixel(x, y, qRgba(p[0], p[1], p[2], p[3]));
    return image;
}

// The largest difference of any channel between the premultiplied pixels (colours under full
// transparency do not count) of rows [from, to); 256 when the sizes differ.
inline int MaxDifference(const QImage& a, const QImage& b, int from = 0, int to = -1)
{
    if (a.size() != b.size() || a.isNull())
        return 256;
    int most = 0;
    for (int y = from; y < (to < 0 ? a.height() : to); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = qPremultiply(a.pixel(x, y)), q = qPremultiply(b.pixel(x, y));
            most = std::max({most, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                             std::abs(qBlue(p) - qBlue(q)), std::abs(qAlpha(p) - qAlpha(q))});
        }
    return most;
}

// A picture with detail in every row (so files are not tiny), opaque (saved without an alpha
// channel) or with varying alpha.
inline QImage SamplePicture(int width, int height, bool alpha, int seed = 0)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y,
                           qRgba((x * 4 + seed) & 255, (y * 5) & 255, (x * y + seed * 7) % 251,
                                 alpha ? (x * 255 / std::max(1, width - 1)) : 255));
    return alpha ? image : image.convertToFormat(QImage::Format_RGB32);
}
