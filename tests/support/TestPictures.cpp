#include "TestPictures.h"
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
const char kQuadrantLetters[4] = {'R', 'G', 'B', 'Y'};
}

QByteArray MakeQuadrantJpeg(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    const int w = width / 2, h = height / 2;
    QPainter p(&image);
    p.fillRect(0, 0, w, h, QColor(kQuadrants[0]));
    p.fillRect(w, 0, width - w, h, QColor(kQuadrants[1]));
    p.fillRect(0, h, w, height - h, QColor(kQuadrants[2]));
    p.fillRect(w, h, width - w, height - h, QColor(kQuadrants[3]));
    p.end();
    TJpegImage jpeg;
    jpeg.AssignBitmap(TBitmap(DibFromQImage(image)));
    jpeg.settings.quality = 95;
    return jpeg.SaveToBytes();
}

QString QuadrantColours(const QImage& image)
{
    const int w = image.width(), h = image.height();
    QString out;
    for (const QPoint at :
         {QPoint(w / 4, h / 4), QPoint(3 * w / 4, h / 4), QPoint(w / 4, 3 * h / 4), QPoint(3 * w / 4, 3 * h / 4)}) {
        const QRgb c = image.pixel(at);
        int best = 90; // further than this from all four: none of them
        char letter = '?';
        for (int i = 0; i < 4; ++i) {
            const QRgb r = kQuadrants[i];
            const int d = std::abs(qRed(c) - qRed(r)) + std::abs(qGreen(c) - qGreen(r)) + std::abs(qBlue(c) - qBlue(r));
            if (d < best) {
                best = d;
                letter = kQuadrantLetters[i];
            }
        }
        out += QLatin1Char(letter);
    }
    return out;
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
