// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the seed corpora of the fuzz targets into <out>/<target>/: bitmap files in every
// pixel format the writer knows plus the forms it never writes (run-length data, bit fields,
// core headers, an embedded colour profile), icon files of every image layout, and JPEG
// files from our encoder and, for the forms it never writes, from libjpeg directly, and EXIF
// segments.
// The same output every run: the replay in the test command depends on it.
#include <cstdio>
#include <functional>

#include <QColorSpace>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>

#include "picture/Bitmap.h"
#include "picture/BmpCodec.h"
#include "BmpFileBuilder.h"
#include "picture/JpegImage.h"
#include "picture/ScreenFacts.h"
#include "test_jpeg_files.h"
#include "DngWriter.h"
#include "JpegSegments.h"

namespace {

QString g_out;
int g_written = 0;

void Write(const QString& target, const QString& name, const QByteArray& bytes)
{
    QDir().mkpath(g_out + "/" + target);
    QFile f(g_out + "/" + target + "/" + name);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "make_seeds: cannot write %s\n", qPrintable(f.fileName()));
        std::exit(1);
    }
    ++g_written;
}

QImage Picture(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y,
                           qRgba(x * 255 / std::max(1, width - 1), y * 255 / std::max(1, height - 1),
                                 ((x / 4 + y / 4) % 2) * 220, (x + y) % 5 ? 255 : 0));
    return image;
}

struct Format {
    TPixelFormat format;
    const char* name;
};
const Format kFormats[] = {{TPixelFormat::Bit1, "1bit"},   {TPixelFormat::Bit4, "4bit"},
                           {TPixelFormat::Bit8, "8bit"},   {TPixelFormat::Bit15, "15bit"},
                           {TPixelFormat::Bit16, "16bit"}, {TPixelFormat::Bit24, "24bit"},
                           {TPixelFormat::Bit32, "32bit"}, {TPixelFormat::Device, "device"}};

std::shared_ptr<const DibImage> Converted(const QImage& image, TPixelFormat format)
{
    TBitmap bitmap(DibFromQImage(image));
    bitmap.SetPixelFormat(format);
    return bitmap.SharedDib();
}

// ---- bitmap files ----

void BitmapSeeds(const QStringList& targets)
{
    auto put = [&](const QString& name, const QByteArray& bytes) {
        for (const QString& t : targets)
            Write(t, name, bytes);
    };
    for (QSize size : {QSize(13, 7), QSize(32, 24)}) {
        const QImage image = Picture(size.width(), size.height());
        const QString dims = QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
        for (const Format& f : kFormats) {
            const auto dib = Converted(image, f.format);
            put(QStringLiteral("%1-%2.bmp").arg(f.name, dims), BmpWrite(*dib, dib->colors));
            DibImage topDown = *dib;
            topDown.topDown = true;
            put(QStringLiteral("%1-%2-topdown.bmp").arg(f.name, dims), BmpWrite(topDown, topDown.colors));
            if (f.format == TPixelFormat::Bit1 || f.format == TPixelFormat::Bit4 || f.format == TPixelFormat::Bit8 ||
                f.format == TPixelFormat::Bit24) {
                DibImage core = *dib;
                core.coreHeader = true;
                put(QStringLiteral("%1-%2-core.bmp").arg(f.name, dims), BmpWrite(core, core.colors));
            }
        }
    }
    // Bit fields the writer only passes on: 32 bits in 10-10-10 and 16 bits in 4-4-4.
    const auto rgb32 = Converted(Picture(9, 5), TPixelFormat::Bit32);
    DibImage masks32 = *rgb32;
    masks32.hasMasks = true;
    masks32.redMask = 0x3FF00000;
    masks32.greenMask = 0x000FFC00;
    masks32.blueMask = 0x000003FF;
    put("32bit-masks-9x5.bmp", BmpWrite(masks32, {}));
    DibImage masks16 = *Converted(Picture(9, 5), TPixelFormat::Bit16);
    masks16.redMask = 0x0F00;
    masks16.greenMask = 0x00F0;
    masks16.blueMask = 0x000F;
    put("16bit-masks444-9x5.bmp", BmpWrite(masks16, {}));

    // Run-length data with every kind of code: runs, literals (odd and even), moves, line and
    // bitmap ends.
    BmpBuild rle8;
    rle8.width = 8;
    rle8.height = 4;
    rle8.bitCount = 8;
    rle8.compression = 1;
    for (int i = 0; i < 16; ++i)
        rle8.table.push_back(uint32_t(i * 0x111111));
    rle8.pixels = Bytes({3, 1, 0, 3, 2, 3, 4, 0, 0, 0, 0, 2, 2, 1, 2, 5, 0, 0, 8, 9, 0, 4, 5, 6, 7, 8, 0, 1});
    put("rle8-8x4.bmp", BuildBmp(rle8));
    BmpBuild rle4 = rle8;
    rle4.bitCount = 4;
    rle4.compression = 2;
    rle4.pixels = Bytes({5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 0, 2, 1, 1, 4, 0x76, 0, 0, 8, 0xAB, 0, 1});
    put("rle4-8x4.bmp", BuildBmp(rle4));
    BmpBuild rleTopDown = rle8;
    rleTopDown.height = -4;
    put("rle8-8x4-topdown.bmp", BuildBmp(rleTopDown));

    // A 124-byte header with an embedded profile of other primaries.
    BmpBuild profiled;
    profiled.headerSize = 124;
    profiled.width = 4;
    profiled.height = 2;
    profiled.pixels = QByteArray(2 * 12, char(0x80));
    for (int i = 0; i < 12; ++i)
        profiled.pixels[i] = char(i * 20);
    QByteArray file = BuildBmp(profiled);
    const QByteArray icc = QColorSpace(QColorSpace::AdobeRgb).iccProfile();
    bmptest::Set32(file, 14 + 56, 0x4D424544); // 'MBED'
    bmptest::Set32(file, 14 + 112, uint32_t(file.size() - 14));
    bmptest::Set32(file, 14 + 116, uint32_t(icc.size()));
    file += icc;
    put("24bit-4x2-profile.bmp", file);
}

// ---- icon files ----

struct IconImage {
    int width, height, bitCount;
    QByteArray data;
};

// The image of an icon entry: a bitmap file without its file header, the height doubled,
// then the AND mask; 32-bit images carry the picture's alpha in their fourth bytes.
QByteArray IconDib(const QImage& image, TPixelFormat format)
{
    const auto dib = Converted(image, format);
    QByteArray b = BmpWrite(*dib, dib->colors).mid(14);
    bmptest::Set32(b, 8, uint32_t(2 * image.height()));
    if (dib->bitCount == 32) {
        const int pixelStart = int(b.size()) - dib->stride * image.height();
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                b[pixelStart + y * dib->stride + 4 * x + 3] = char(qAlpha(image.pixel(x, image.height() - 1 - y)));
    }
    const int maskStride = (image.width() + 31) / 32 * 4;
    for (int y = image.height() - 1; y >= 0; --y) {
        QByteArray row(maskStride, '\0');
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) == 0)
                row[x / 8] = char(row[x / 8] | (0x80 >> (x % 8)));
        b += row;
    }
    return b;
}

QByteArray IconPng(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray IconFile(const QList<IconImage>& images, int type = 1)
{
    QByteArray b;
    bmptest::Put16(b, 0);
    bmptest::Put16(b, uint32_t(type));
    bmptest::Put16(b, uint32_t(images.size()));
    uint32_t offset = 6 + 16 * uint32_t(images.size());
    for (const IconImage& i : images) {
        b.append(char(i.width & 0xff)).append(char(i.height & 0xff));
        b.append(char(i.bitCount <= 8 ? (1 << i.bitCount) & 0xff : 0)).append('\0');
        bmptest::Put16(b, 1);
        bmptest::Put16(b, uint32_t(i.bitCount));
        bmptest::Put32(b, uint32_t(i.data.size()));
        bmptest::Put32(b, offset);
        offset += uint32_t(i.data.size());
    }
    for (const IconImage& i : images)
        b += i.data;
    return b;
}

void IconSeeds()
{
    const struct {
        TPixelFormat format;
        int bits;
    } depths[] = {{TPixelFormat::Bit1, 1},   {TPixelFormat::Bit4, 4},   {TPixelFormat::Bit8, 8},
                  {TPixelFormat::Bit15, 16}, {TPixelFormat::Bit24, 24}, {TPixelFormat::Bit32, 32}};
    QList<IconImage> all;
    for (const auto& d : depths) {
        const QImage image = Picture(16, 16);
        const IconImage one {16, 16, d.bits, IconDib(image, d.format)};
        Write("icon", QStringLiteral("16x16-%1bit.ico").arg(d.bits), IconFile({one}));
        all << IconImage {24, 24, d.bits, IconDib(Picture(24, 24), d.format)};
    }
    all << IconImage {48, 48, 32, IconPng(Picture(48, 48))};
    Write("icon", "six-depths-and-png.ico", IconFile(all));
    Write("icon", "png-20x20.ico", IconFile({{20, 20, 32, IconPng(Picture(20, 20))}}));
    Write("icon", "standard-application.ico", IconFile({{16, 16, 4, IconDib(Picture(16, 16), TPixelFormat::Bit4)}}, 0));
    Write("icon", "sizes-16-32-48.ico",
          IconFile({{16, 16, 8, IconDib(Picture(16, 16), TPixelFormat::Bit8)},
                    {32, 32, 8, IconDib(Picture(32, 32), TPixelFormat::Bit8)},
                    {48, 48, 24, IconDib(Picture(48, 48), TPixelFormat::Bit24)}}));
}

// ---- JPEG files ----

QByteArray OurJpeg(QSize size, int quality, bool grayscale, bool progressive)
{
    TJpegImage jpeg;
    jpeg.AssignBitmap(TBitmap(DibFromQImage(Picture(size.width(), size.height()))));
    jpeg.settings.quality = quality;
    jpeg.settings.grayscale = grayscale;
    jpeg.settings.progressiveEncoding = progressive;
    return jpeg.SaveToBytes();
}

void JpegSeeds(const QStringList& targets)
{
    QList<QPair<QString, QByteArray>> files;
    files << qMakePair(QStringLiteral("baseline-33x17.jpg"), OurJpeg(QSize(33, 17), 90, false, false));
    files << qMakePair(QStringLiteral("progressive-40x24.jpg"), OurJpeg(QSize(40, 24), 75, false, true));
    files << qMakePair(QStringLiteral("grey-16x16.jpg"), OurJpeg(QSize(16, 16), 90, true, false));
    files << qMakePair(QStringLiteral("grey-progressive-24x9.jpg"), OurJpeg(QSize(24, 9), 60, true, true));
    files << qMakePair(QStringLiteral("quality10-64x48.jpg"), OurJpeg(QSize(64, 48), 10, false, false));

    using namespace jpegtest;
    Recipe r;
    r.width = 24;
    r.height = 16;
    r.space = Space::Cmyk;
    files << qMakePair(QStringLiteral("cmyk-24x16.jpg"), Encode(r));
    r.space = Space::Ycck;
    r.progressive = true;
    files << qMakePair(QStringLiteral("ycck-progressive-24x16.jpg"), Encode(r));
    r = Recipe();
    r.width = 30;
    r.height = 20;
    r.arithmetic = true;
    files << qMakePair(QStringLiteral("arithmetic-30x20.jpg"), Encode(r));
    r.progressive = true;
    r.lumaV = 1;
    files << qMakePair(QStringLiteral("arithmetic-progressive-422-30x20.jpg"), Encode(r));
    r = Recipe();
    r.width = 17;
    r.height = 17;
    r.lumaH = r.lumaV = 1;
    files << qMakePair(QStringLiteral("444-17x17.jpg"), Encode(r));
    r = Recipe();
    r.space = Space::Grey;
    r.width = r.height = 16;
    r.scans.push_back({1, {0, 0, 0, 0}, 0, 0, 0, 0});
    AddSingleCoefficientScans(r.scans, 0, 1);
    files << qMakePair(QStringLiteral("grey-127-scans-16x16.jpg"), Encode(r));

    // The byte after the end marker picks the settings a target tries (see FuzzCommon.h).
    const char knobs[] = {'\x00', '\x20', '\x40', '\x80', '\x12'};
    for (const auto& [name, bytes] : files)
        for (const QString& t : targets) {
            Write(t, name, bytes);
            if (t == "jpeg")
                for (char k : knobs)
                    Write(t, QStringLiteral("%1-knob%2.jpg").arg(name.chopped(4)).arg(uint8_t(k), 2, 16, QChar('0')),
                          bytes + QByteArray(1, k));
        }
}

// EXIF segments as cameras write them: each orientation in both byte orders, and one tag
// among others.
void ExifSeeds()
{
    for (int v = 1; v <= 8; ++v)
        for (bool bigEndian : {false, true})
            Write("exif", QStringLiteral("orientation%1-%2.exif").arg(v).arg(bigEndian ? "mm" : "ii"),
                  jpegseg::ExifData(v, bigEndian));
    QByteArray more = jpegseg::ExifData(6);
    more[6 + 8] = 2; // two entries: the second, an ImageWidth LONG, where the next-IFD offset was
    more = more.left(6 + 8 + 2 + 12) + QByteArray::fromHex("000104000100000040010000") + QByteArray(4, '\0');
    Write("exif", QStringLiteral("two-entries.exif"), more);
}

} // namespace

// Small DNGs: a mosaic with a JPEG preview, turned and not, and one whose preview is larger
// than its picture.
void RawSeeds()
{
    const auto jpeg = [](int w, int h) {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        Picture(w, h).save(&buffer, "JPEG", 80);
        return bytes;
    };
    for (const int orientation : {1, 6}) {
        dng::Shot shot;
        shot.orientation = orientation;
        Write("raw", QStringLiteral("16x12-turn%1.dng").arg(orientation),
              dng::Make(Picture(16, 12), jpeg(16, 12), shot));
    }
    Write("raw", "preview-larger.dng", dng::Make(Picture(8, 6), jpeg(32, 24), dng::Shot {}));
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds <output folder>\n");
        return 2;
    }
    g_out = QString::fromLocal8Bit(argv[1]);
    SetScreenFacts(ScreenFacts {});
    BitmapSeeds({"bitmap", "roundtrip", "facts"});
    IconSeeds();
    JpegSeeds({"jpeg", "roundtrip"});
    ExifSeeds();
    RawSeeds();
    std::printf("make_seeds: %d files in %s\n", g_written, argv[1]);
    return 0;
}
