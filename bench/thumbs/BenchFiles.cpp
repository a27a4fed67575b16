// SPDX-License-Identifier: GPL-3.0-or-later
#include "BenchFiles.h"
#include "DngWriter.h"
#include "JpegSegments.h"
#include "TestProfiles.h"
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <unistd.h>
#include <QColorSpace>
#include <QDir>
#include <QProcess>
#include <functional>
#include <QFile>
#include <QFileInfo>
#include "picture/Bitmap.h"
#include "picture/DibImage.h"
#include "picture/JpegImage.h"

namespace {

// Bump when the pictures change, so folders made by an older recipe are made again.
constexpr int kRecipe = 1;
constexpr int kPhotoWidth = 4000, kPhotoHeight = 3000, kPhotoQuality = 90;
constexpr int kPhoneWidth = 4032, kPhoneHeight = 3024;
constexpr int kSmallWidth = 160, kSmallHeight = 120, kSmallCount = 10000;

uint32_t NextRandom(uint32_t& state)
{
    // xorshift32: fast, and the same sequence everywhere.
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

uint8_t Clamp(int v)
{
    return uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
        throw std::runtime_error("cannot write " + path.toStdString());
}

QString Stamp(const QString& folder)
{
    return folder + QStringLiteral("/.recipe");
}

bool Ready(const QString& folder, int files)
{
    QFile stamp(Stamp(folder));
    if (!stamp.open(QIODevice::ReadOnly))
        return false;
    return stamp.readAll().trimmed() == QByteArray::number(kRecipe) + ' ' + QByteArray::number(files);
}

void MarkReady(const QString& folder, int files)
{
    WriteFile(Stamp(folder), QByteArray::number(kRecipe) + ' ' + QByteArray::number(files) + '\n');
}

void Fresh(const QString& folder)
{
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
}

QString Name(const char* prefix, int i)
{
    return QStringLiteral("%1%2.jpg").arg(QLatin1String(prefix)).arg(i, 5, 10, QLatin1Char('0'));
}

// Hard links where the file system allows them, copies elsewhere.
void LinkOrCopy(const QString& from, const QString& to)
{
    QFile::remove(to);
    if (::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) != 0 && !QFile::copy(from, to))
        throw std::runtime_error("cannot link or copy " + from.toStdString());
}

} // namespace

QByteArray MakePhotoJpeg(int width, int height, int seed, int quality)
{
    auto dib = NewDib(width, height, 24);
    uint32_t state = 0x9E3779B9u ^ uint32_t(seed * 7919 + 1);
    const double fx = 6.2831853 / width, fy = 6.2831853 / height;
    const double phase = seed * 0.7;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = dib->Row(y);
        const double sy = std::sin(fy * y * 3 + phase);
        for (int x = 0; x < width; ++x) {
            // Broad gradients and slow waves, as sky, walls and light give; then noise of
            // about the sensor's, which is what makes a camera's file as large as it is.
            const double wave = std::sin(fx * x * 2 + phase) * sy;
            const uint32_t r = NextRandom(state);
            const int n0 = int(r & 31) * 3 / 4 - 12, n1 = int((r >> 5) & 31) * 3 / 4 - 12,
                      n2 = int((r >> 10) & 31) * 3 / 4 - 12;
            const int base = int(60 * wave);
            row[3 * x + 0] = Clamp(40 + 150 * y / height + base + n0);                  // blue
            row[3 * x + 1] = Clamp(70 + 110 * x / width - base / 2 + n1);               // green
            row[3 * x + 2] = Clamp(200 - 120 * (x + y) / (width + height) + base + n2); // red
        }
    }
    TJpegImage jpeg;
    jpeg.settings.quality = quality;
    jpeg.AssignBitmap(TBitmap(std::move(dib)));
    return jpeg.SaveToBytes();
}

QByteArray WithOrientation(const QByteArray& jpeg, int orientation)
{
    // "Exif\0\0", then a big-endian TIFF header and one directory of one entry: tag 0x0112,
    // type SHORT, count 1, the value in the entry itself; no next directory.
    QByteArray tiff("MM\x00\x2A\x00\x00\x00\x08"
                    "\x00\x01"
                    "\x01\x12\x00\x03\x00\x00\x00\x01",
                    18);
    tiff += char(0);
    tiff += char(orientation);
    tiff += QByteArray(6, '\0'); // the value's padding and the next-directory offset
    const QByteArray payload = QByteArray("Exif\0\0", 6) + tiff;
    const int length = int(payload.size()) + 2;
    QByteArray segment("\xFF\xE1", 2);
    segment += char(length >> 8);
    segment += char(length & 0xFF);
    return jpeg.left(2) + segment + payload + jpeg.mid(2);
}

QByteArray WithColourProfile(const QByteArray& jpeg, const QByteArray& icc)
{
    // A table-based profile is larger than one segment holds: split as cameras split it.
    return jpegseg::WithSegments(jpeg, jpegseg::IccMarkers(icc));
}

BenchFolders PrepareBenchFolders(const QString& root)
{
    BenchFolders f;
    f.photos25 = root + QStringLiteral("/photos25");
    f.camera25 = root + QStringLiteral("/camera25");
    f.photos100 = root + QStringLiteral("/photos100");
    f.small10000 = root + QStringLiteral("/small10000");
    f.small25 = root + QStringLiteral("/small25");
    f.empty = root + QStringLiteral("/empty");
    QDir().mkpath(f.empty);

    if (!Ready(f.photos100, 100)) {
        Fresh(f.photos100);
        for (int i = 0; i < 100; ++i) {
            std::fprintf(stderr, "\rmaking photos: %d of 100", i + 1);
            WriteFile(f.photos100 + QLatin1Char('/') + Name("photo", i),
                      MakePhotoJpeg(kPhotoWidth, kPhotoHeight, i, kPhotoQuality));
        }
        std::fprintf(stderr, "\n");
        MarkReady(f.photos100, 100);
        QDir(f.photos25).removeRecursively();
    }
    if (!Ready(f.photos25, 25)) {
        Fresh(f.photos25);
        for (int i = 0; i < 25; ++i)
            LinkOrCopy(f.photos100 + QLatin1Char('/') + Name("photo", i),
                       f.photos25 + QLatin1Char('/') + Name("photo", i));
        MarkReady(f.photos25, 25);
        QDir(f.camera25).removeRecursively();
    }
    if (!Ready(f.camera25, 25)) {
        Fresh(f.camera25);
        for (int i = 0; i < 25; ++i) {
            QFile in(f.photos25 + QLatin1Char('/') + Name("photo", i));
            if (!in.open(QIODevice::ReadOnly))
                continue;
            const QByteArray thumbnail = MakePhotoJpeg(160, 120, i, kPhotoQuality);
            WriteFile(
                f.camera25 + QLatin1Char('/') + Name("photo", i),
                jpegseg::WithSegments(in.readAll(), jpegseg::Marker(0xE1, jpegseg::ExifWithThumbnail(1, thumbnail))));
        }
        MarkReady(f.camera25, 25);
    }
    if (!Ready(f.small10000, kSmallCount)) {
        Fresh(f.small10000);
        for (int i = 0; i < kSmallCount; ++i) {
            if (i % 500 == 0)
                std::fprintf(stderr, "\rmaking small pictures: %d of %d", i, kSmallCount);
            WriteFile(f.small10000 + QLatin1Char('/') + Name("small", i),
                      MakePhotoJpeg(kSmallWidth, kSmallHeight, i, 85));
        }
        std::fprintf(stderr, "\n");
        MarkReady(f.small10000, kSmallCount);
        QDir(f.small25).removeRecursively();
    }
    if (!Ready(f.small25, 25)) {
        Fresh(f.small25);
        for (int i = 0; i < 25; ++i)
            LinkOrCopy(f.small10000 + QLatin1Char('/') + Name("small", i),
                       f.small25 + QLatin1Char('/') + Name("small", i));
        MarkReady(f.small25, 25);
    }
    f.phone25 = root + QStringLiteral("/phone25");
    f.phone25r = root + QStringLiteral("/phone25r");
    f.phone25p = root + QStringLiteral("/phone25p");
    f.phone25a = root + QStringLiteral("/phone25a");
    f.phone25l = root + QStringLiteral("/phone25l");
    const QStringList phoneFolders {f.phone25, f.phone25r, f.phone25p, f.phone25a, f.phone25l};
    if (!std::all_of(phoneFolders.begin(), phoneFolders.end(), [](const QString& d) { return Ready(d, 25); })) {
        for (const QString& d : phoneFolders)
            Fresh(d);
        const QByteArray p3 = QColorSpace(QColorSpace::DisplayP3).iccProfile();
        const QByteArray adobe = testprofiles::AdobeV2(), table = testprofiles::TableV2();
        for (int i = 0; i < 25; ++i) {
            std::fprintf(stderr, "\rmaking phone photos: %d of 25", i + 1);
            const QByteArray photo = MakePhotoJpeg(kPhoneWidth, kPhoneHeight, 1000 + i, kPhotoQuality);
            const QString name = QLatin1Char('/') + Name("phone", i);
            WriteFile(f.phone25 + name, WithOrientation(photo, 1));
            WriteFile(f.phone25r + name, WithOrientation(photo, 6));
            WriteFile(f.phone25p + name, WithColourProfile(WithOrientation(photo, 6), p3));
            WriteFile(f.phone25a + name, WithColourProfile(WithOrientation(photo, 6), adobe));
            WriteFile(f.phone25l + name, WithColourProfile(WithOrientation(photo, 6), table));
        }
        std::fprintf(stderr, "\n");
        for (const QString& d : phoneFolders)
            MarkReady(d, 25);
    }
    return f;
}

namespace {

bool Run(const QString& program, const QStringList& args)
{
    return QProcess::execute(program, args) == 0;
}

// The 25 photos again as `extension` files, each made from a PNG copy by `make` (null for
// the PNG itself); the folder's path, or "" when a tool failed.
QString MakeKindFolder(const QString& root, const QString& photos, const QString& extension,
                       const std::function<bool(const QString& png, const QString& out, const QString& photo)>& make)
{
    const QString folder = root + QStringLiteral("/") + extension + QStringLiteral("25");
    if (Ready(folder, 25))
        return folder;
    Fresh(folder);
    for (int i = 0; i < 25; ++i) {
        std::fprintf(stderr, "\rmaking %s files: %d of 25", qPrintable(extension), i + 1);
        const QString name = QStringLiteral("photo%1.").arg(i, 5, 10, QLatin1Char('0')) + extension;
        const QString out = folder + QLatin1Char('/') + name;
        const QString png = make ? folder + QStringLiteral("/source.png") : out;
        const QString photo = photos + QLatin1Char('/') + Name("photo", i);
        if (!QImage(photo).save(png) || (make && !make(png, out, photo)))
            return QString();
        if (make)
            QFile::remove(png);
    }
    std::fprintf(stderr, "\n");
    MarkReady(folder, 25);
    return folder;
}

// Four pages of a kind without four times its files: 100 links to the 25 files.
QString MakeLinkFolder(const QString& root, const QString& files, const QString& extension)
{
    const QString folder = root + QStringLiteral("/") + extension + QStringLiteral("100");
    if (files.isEmpty() || Ready(folder, 100))
        return files.isEmpty() ? QString() : folder;
    Fresh(folder);
    for (int i = 0; i < 100; ++i) {
        const QString name = QStringLiteral("/photo%1.").arg(i, 5, 10, QLatin1Char('0')) + extension;
        const QString target = files + QStringLiteral("/photo%1.").arg(i % 25, 5, 10, QLatin1Char('0')) + extension;
        if (!QFile::link(target, folder + name))
            return QString();
    }
    MarkReady(folder, 100);
    return folder;
}

} // namespace

void PrepareOtherKinds(BenchFolders& f, const QString& root)
{
    f.png25 = MakeKindFolder(root, f.photos25, QStringLiteral("png"), nullptr);
    f.webp25 = MakeKindFolder(root, f.photos25, QStringLiteral("webp"),
                              [](const QString& png, const QString& out, const QString&) {
                                  return Run(QStringLiteral("cwebp"),
                                             {QStringLiteral("-quiet"), QStringLiteral("-q"), QStringLiteral("80"), png,
                                              QStringLiteral("-o"), out});
                              });
    f.tiff25 = MakeKindFolder(
        root, f.photos25, QStringLiteral("tif"), [](const QString& png, const QString& out, const QString&) {
            return Run(QStringLiteral("convert"), {png, QStringLiteral("-compress"), QStringLiteral("lzw"), out});
        });
    f.gif25 = MakeKindFolder(
        root, f.photos25, QStringLiteral("gif"), [](const QString& png, const QString& out, const QString&) {
            return Run(QStringLiteral("convert"), {png, QStringLiteral("-resize"), QStringLiteral("1155x866"), out});
        });
    f.heic25 = MakeKindFolder(root, f.photos25, QStringLiteral("heic"),
                              [](const QString& png, const QString& out, const QString&) {
                                  return Run(QStringLiteral("heif-enc"),
                                             {QStringLiteral("-q"), QStringLiteral("80"), QStringLiteral("-t"),
                                              QStringLiteral("320"), png, QStringLiteral("-o"), out});
                              });
    f.raw25 = MakeKindFolder(root, f.photos25, QStringLiteral("dng"),
                             [](const QString& png, const QString& out, const QString& photo) {
                                 QFile jpeg(photo);
                                 if (!jpeg.open(QIODevice::ReadOnly))
                                     return false;
                                 WriteFile(out, dng::Make(QImage(png), jpeg.readAll(), dng::Shot {}));
                                 return true;
                             });
    f.heic100 = MakeLinkFolder(root, f.heic25, QStringLiteral("heic"));
    f.raw100 = MakeLinkFolder(root, f.raw25, QStringLiteral("dng"));
    f.png100 = MakeLinkFolder(root, f.png25, QStringLiteral("png"));
    f.webp100 = MakeLinkFolder(root, f.webp25, QStringLiteral("webp"));
    f.tiff100 = MakeLinkFolder(root, f.tiff25, QStringLiteral("tif"));
    f.gif100 = MakeLinkFolder(root, f.gif25, QStringLiteral("gif"));
}

qint64 FolderBytes(const QString& folder)
{
    qint64 total = 0;
    for (const QFileInfo& fi : QDir(folder).entryInfoList(QDir::Files))
        total += fi.size();
    return total;
}
