// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// ImageMagick's convert as the independent encoder and decoder the PNG and GIF readers are
// compared with (scripts/setup.sh installs it).
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

inline bool HaveConvert()
{
    return !QStandardPaths::findExecutable(QStringLiteral("convert")).isEmpty();
}

// Runs convert; its standard output, or a null array when it failed.
inline QByteArray RunConvert(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral("convert"), args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return {};
    return p.readAllStandardOutput();
}

// convert's reading of `file`'s first frame (`extra` applied first) as straight ARGB32, or a
// null image when it is not `size` pixels. With `highBytes`, read at 16 bits a sample and
// each taken to 8 by its high byte (as the readers take 16-bit samples).
inline QImage ConvertReads(const QString& file, QSize size, const QStringList& extra = {}, bool highBytes = false)
{
    const int bytes = highBytes ? 2 : 1;
    const QByteArray rgba =
        RunConvert(QStringList {file + "[0]"} + extra + QStringList {"-depth", highBytes ? "16" : "8", "rgba:-"});
    if (size.isEmpty() || rgba.size() != qsizetype(size.width()) * size.height() * 4 * bytes)
        return {};
    QImage image(size, QImage::Format_ARGB32);
    const auto* p = reinterpret_cast<const uchar*>(rgba.constData()) + (bytes - 1); // samples low byte first
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x, p += 4 * bytes)
            image.setPixel(x, y, qRgba(p[0], p[bytes], p[2 * bytes], p[3 * bytes]));
    return image;
}

// The first pixel that differs (any two fully transparent pixels are equal), or empty.
inline QString PixelDifference(const QImage& got, const QImage& want)
{
    if (got.size() != want.size())
        return QStringLiteral("size %1x%2, want %3x%4")
            .arg(got.width())
            .arg(got.height())
            .arg(want.width())
            .arg(want.height());
    for (int y = 0; y < got.height(); ++y)
        for (int x = 0; x < got.width(); ++x) {
            const QRgb a = got.pixel(x, y), b = want.pixel(x, y);
            if (a != b && (qAlpha(a) != 0 || qAlpha(b) != 0))
                return QStringLiteral("(%1,%2): %3, want %4")
                    .arg(x)
                    .arg(y)
                    .arg(a, 8, 16, QChar('0'))
                    .arg(b, 8, 16, QChar('0'));
        }
    return {};
}

// The box average the readers reduce by: factor x factor blocks (edge blocks of what they
// hold), colour weighted by alpha, rounded to nearest.
inline QImage BoxReduced(const QImage& full, int factor)
{
    QImage out((full.width() + factor - 1) / factor, (full.height() + factor - 1) / factor, QImage::Format_ARGB32);
    for (int oy = 0; oy < out.height(); ++oy)
        for (int ox = 0; ox < out.width(); ++ox) {
            qint64 n = 0, a = 0, r = 0, g = 0, b = 0;
            for (int y = oy * factor; y < std::min(full.height(), (oy + 1) * factor); ++y)
                for (int x = ox * factor; x < std::min(full.width(), (ox + 1) * factor); ++x) {
                    const QRgb c = full.pixel(x, y);
                    ++n;
                    a += qAlpha(c);
                    r += qint64(qAlpha(c)) * qRed(c);
                    g += qint64(qAlpha(c)) * qGreen(c);
                    b += qint64(qAlpha(c)) * qBlue(c);
                }
            const auto mean = [a](qint64 v) { return a ? int((v + a / 2) / a) : 0; };
            out.setPixel(ox, oy, qRgba(mean(r), mean(g), mean(b), int((a + n / 2) / n)));
        }
    return out;
}
