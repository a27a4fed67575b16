// SPDX-License-Identifier: GPL-3.0-or-later
#include "TestPictures.h"
#include <QColorSpace>
#include <QPainter>
#include "picture/Bitmap.h"
#include "picture/DibImage.h"
#include "picture/JpegImage.h"
#include "picture/Picture.h"
#include "picture/PictureFormats.h"

QImage MakeTestImage(int width, int height, int seed)
{
    QImage img(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            img.setPixel(x, y,
                         qRgb((x * 255 / std::max(1, width - 1) + seed * 40) & 255,
                              (y * 255 / std::max(1, height - 1)) & 255, ((x / 8 + y / 8) % 2) * 200));
    return img;
}

namespace {
const QRgb kQuadrants[4] = {qRgb(230, 20, 20), qRgb(20, 200, 20), qRgb(20, 20, 230), qRgb(240, 230, 20)};
}

QByteArray MakeQuadrantJpeg(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    for (int i = 0; i < 4; ++i)
        p.fillRect(i % 2 * (width / 2), i / 2 * (height / 2), width - width / 2, height - height / 2,
                   QColor(kQuadrants[i]));
    p.end();
    TJpegImage jpeg;
    jpeg.AssignBitmap(TBitmap(DibFromQImage(image)));
    jpeg.settings.quality = 95;
    return jpeg.SaveToBytes();
}

QString QuadrantColours(const QImage& image)
{
    QString out;
    for (int q = 0; q < 4; ++q) {
        const QRgb c = image.pixel((1 + q % 2 * 2) * image.width() / 4, (1 + q / 2 * 2) * image.height() / 4);
        QChar letter = QLatin1Char('?');
        for (int i = 0; i < 4; ++i) {
            const QRgb r = kQuadrants[i];
            if (std::abs(qRed(c) - qRed(r)) + std::abs(qGreen(c) - qGreen(r)) + std::abs(qBlue(c) - qBlue(r)) < 90)
                letter = QLatin1Char("RGBY"[i]);
        }
        out += letter;
    }
    return out;
}

QByteArray SwappedRedGreenProfile()
{
    return QColorSpace(QPointF(0.3127, 0.3290), QPointF(0.30, 0.60), QPointF(0.64, 0.33), QPointF(0.15, 0.06),
                       QColorSpace::TransferFunction::SRgb)
        .iccProfile();
}

void WriteTestJpeg(const QString& path, int width, int height, bool progressive, int seed)
{
    TBitmap bmp(DibFromQImage(MakeTestImage(width, height, seed)));
    TJpegImage jpeg;
    jpeg.AssignBitmap(bmp);
    jpeg.settings.quality = 90;
    jpeg.settings.progressiveEncoding = progressive;
    jpeg.SaveToFile(path);
}

void WriteTestBitmap(const QString& path, int width, int height, int seed)
{
    TBitmap bmp(DibFromQImage(MakeTestImage(width, height, seed)));
    bmp.SaveToFile(path);
}

QByteArray MakeTestIcon(const QList<int>& sizes)
{
    QByteArray out;
    auto u16 = [&out](int v) {
        out.append(char(v & 255));
        out.append(char((v >> 8) & 255));
    };
    auto u32 = [&out](quint32 v) {
        for (int i = 0; i < 4; ++i)
            out.append(char((v >> (8 * i)) & 255));
    };
    u16(0);
    u16(1);
    u16(int(sizes.size()));
    QList<QByteArray> images;
    quint32 offset = 6 + 16 * quint32(sizes.size());
    for (int s : sizes) {
        QByteArray img;
        auto w32 = [&img](quint32 v) {
            for (int i = 0; i < 4; ++i)
                img.append(char((v >> (8 * i)) & 255));
        };
        auto w16 = [&img](int v) {
            img.append(char(v & 255));
            img.append(char((v >> 8) & 255));
        };
        w32(40);
        w32(quint32(s));
        w32(quint32(2 * s));
        w16(1);
        w16(32);
        w32(0);
        w32(0);
        w32(0);
        w32(0);
        w32(0);
        w32(0);
        for (int y = 0; y < s; ++y)
            for (int x = 0; x < s; ++x) {
                img.append(char(s));
                img.append(char(x * 4));
                img.append(char(y * 4));
                img.append(char(255));
            }
        const int maskStride = ((s + 31) / 32) * 4;
        img.append(QByteArray(maskStride * s, 0));
        out.append(char(s >= 256 ? 0 : s));
        out.append(char(s >= 256 ? 0 : s));
        out.append(char(0));
        out.append(char(0));
        u16(1);
        u16(32);
        u32(quint32(img.size()));
        u32(offset);
        offset += quint32(img.size());
        images << img;
    }
    for (const QByteArray& img : images)
        out.append(img);
    return out;
}

QImage DecodedPixels(const QString& path)
{
    TPicture picture;
    picture.LoadFromFile(path);
    TGraphic* g = picture.Graphic();
    if (!g)
        return QImage();
    const TBitmap& bitmap = g->Kind() == GraphicKind::Jpeg ? JpegOf(g)->Bitmap() : *BitmapOf(g);
    return DibToQImage(bitmap.Dib()).convertToFormat(QImage::Format_RGB32);
}
