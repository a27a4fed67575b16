// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/common/ImageFacts.h"
#include <QCoreApplication>
#include <cmath>
#include "picture/PictureFormats.h"

namespace {
// Callers check the length first; little-endian as the file stores them.
uint16_t U16(QByteArrayView b, qsizetype at)
{
    return uint16_t(uint8_t(b[at]) | uint16_t(uint8_t(b[at + 1])) << 8);
}
uint32_t U32(QByteArrayView b, qsizetype at)
{
    return uint32_t(U16(b, at)) | uint32_t(U16(b, at + 2)) << 16;
}
int32_t I32(QByteArrayView b, qsizetype at)
{
    return static_cast<int32_t>(U32(b, at));
}

constexpr qsizetype kFileHeader = 14;
constexpr qsizetype kSizeField = kFileHeader; // the info header starts with its size
constexpr int kFirstPackedYear = 1980;        // the directory-entry date form's range
constexpr int kLastPackedYear = 2107;
constexpr double kMsPerDay = 86400000.0;
// Far beyond any calendar day a file can carry, near enough to keep the day count exact.
constexpr double kMaxDays = 1e9;

QDate DayZero()
{
    return QDate(1899, 12, 30);
}
}

BitmapHeaderResult ParseBitmapHeader(QByteArrayView head, TImageInfo& info)
{
    if (head.size() < kSizeField + 4)
        return BitmapHeaderResult::Incomplete;
    const uint32_t size = U32(head, kSizeField);
    if (size != 12 && size != 40 && size != 108 && size != 124)
        return BitmapHeaderResult::Unknown;
    // A header the bytes do not hold whole is not used at all (a short file is no error here).
    if (head.size() < kFileHeader + qsizetype(size))
        return BitmapHeaderResult::Incomplete;
    if (size == 12) {
        info.Width = U16(head, 18);
        info.Height = U16(head, 20);
        // The core header's planes and bit count are not taken.
        info.BitCount = 0;
        info.Compression = 0;
        info.Planes = 0;
        info.ImageSize = 0;
        info.XPelsPerMeter = 0;
        info.YPelsPerMeter = 0;
    } else {
        // The two longer headers begin with the 40-byte one; only that part is read.
        info.Width = I32(head, 18);
        info.Height = I32(head, 22);
        info.Planes = U16(head, 26);
        info.BitCount = U16(head, 28);
        info.Compression = U32(head, 30);
        info.ImageSize = U32(head, 34);
        info.XPelsPerMeter = I32(head, 38);
        info.YPelsPerMeter = I32(head, 42);
    }
    return BitmapHeaderResult::Read;
}

double PackFileDate(const QDateTime& time)
{
    if (!time.isValid())
        return 0;
    const QDateTime local = time.toLocalTime();
    const QDate day = local.date();
    qint64 ms = local.time().msecsSinceStartOfDay();
    // The directory-entry form keeps even seconds only; a time it cannot hold is kept whole.
    if (day.year() >= kFirstPackedYear && day.year() <= kLastPackedYear)
        ms = ms / 2000 * 2000;
    const qint64 days = DayZero().daysTo(day);
    const double fraction = double(ms) / kMsPerDay;
    return days >= 0 ? double(days) + fraction : double(days) - fraction;
}

QDate DateOfValue(double value)
{
    if (!std::isfinite(value) || std::fabs(value) > kMaxDays)
        return QDate();
    return DayZero().addDays(static_cast<qint64>(value)); // the whole part, toward zero
}

QString OrientationText(int orientation)
{
    switch (orientation) {
    case 2: return QCoreApplication::translate("ImageFacts", "Mirrored");
    case 3: return QCoreApplication::translate("ImageFacts", "Rotated 180°");
    case 4: return QCoreApplication::translate("ImageFacts", "Mirrored, rotated 180°");
    case 5: return QCoreApplication::translate("ImageFacts", "Mirrored, rotated 270°");
    case 6: return QCoreApplication::translate("ImageFacts", "Rotated 90°");
    case 7: return QCoreApplication::translate("ImageFacts", "Mirrored, rotated 90°");
    case 8: return QCoreApplication::translate("ImageFacts", "Rotated 270°");
    default: return QCoreApplication::translate("ImageFacts", "As stored");
    }
}

QString KindText(GraphicKind named, GraphicKind content)
{
    const auto name = [](GraphicKind kind) -> QString {
        switch (kind) {
        case GraphicKind::Png: return QStringLiteral("PNG");
        case GraphicKind::Gif: return QStringLiteral("GIF");
        case GraphicKind::Webp: return QStringLiteral("WebP");
        case GraphicKind::Tiff: return QStringLiteral("TIFF");
        case GraphicKind::Heif: return QStringLiteral("HEIF");
        case GraphicKind::Avif: return QStringLiteral("AVIF");
        case GraphicKind::Jxl: return QStringLiteral("JPEG XL");
        case GraphicKind::Raw: return QStringLiteral("Camera raw");
        case GraphicKind::Jpeg: return QStringLiteral("JPEG");
        case GraphicKind::Bitmap: return QCoreApplication::translate("ImageFacts", "Bitmap");
        case GraphicKind::Icon: return QCoreApplication::translate("ImageFacts", "Icon");
        case GraphicKind::Metafile:
        case GraphicKind::Thumbnail: break;
        }
        return QString();
    };
    if (content == GraphicKind::Thumbnail || content == named)
        return name(named);
    return QCoreApplication::translate("ImageFacts", "%1, read as %2 (its content)").arg(name(named), name(content));
}

DetailSubPanel SubPanelFor(const QString& ext)
{
    if (ext == QLatin1String(".bmp"))
        return DetailSubPanel::Bitmap;
    if (ext == QLatin1String(".ico"))
        return DetailSubPanel::None;
    if (const std::optional<GraphicKind> kind = ext.size() > 1 ? KindForExtension(ext.mid(1)) : std::nullopt;
        kind && IsOtherKind(*kind) && IsImageExtension(ext))
        return DetailSubPanel::Other;
    return DetailSubPanel::Jpeg;
}
