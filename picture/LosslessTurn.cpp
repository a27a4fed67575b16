// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/LosslessTurn.h"

#include <algorithm>
#include <array>
#include <functional>
#include <memory>
#include <utility>
#include <turbojpeg.h>
#include "base/FileNames.h"
#include "base/FileReplacement.h"
#include "picture/Bitmap.h"
#include "picture/Exif.h"
#include "picture/Failure.h"
#include "picture/FileRead.h"
#include "picture/Limits.h"

#include <sys/stat.h>

namespace {

// The eight turns and mirrors acting on a 2 x 2 grid of labels: the corners tell them apart,
// so two in a row compose to the one that moves the corners alike.
using Grid = std::array<int, 4>; // row-major: [0][0], [0][1], [1][0], [1][1]

Grid Apply(int op, const Grid& in)
{
    const auto at = [&](int r, int c) { return in[size_t(r) * 2 + size_t(c)]; };
    Grid out {};
    for (int r = 0; r < 2; ++r) {
        for (int c = 0; c < 2; ++c) {
            int v = at(r, c);
            switch (op) {
            case TJXOP_HFLIP: v = at(r, 1 - c); break;
            case TJXOP_VFLIP: v = at(1 - r, c); break;
            case TJXOP_TRANSPOSE: v = at(c, r); break;
            case TJXOP_TRANSVERSE: v = at(1 - c, 1 - r); break;
            case TJXOP_ROT90: v = at(1 - c, r); break;
            case TJXOP_ROT180: v = at(1 - r, 1 - c); break;
            case TJXOP_ROT270: v = at(c, 1 - r); break;
            default: break;
            }
            out[size_t(r) * 2 + size_t(c)] = v;
        }
    }
    return out;
}

int Compose(int first, int then)
{
    const Grid result = Apply(then, Apply(first, Grid {0, 1, 2, 3}));
    for (int op = 0; op < TJ_NUMXOP; ++op)
        if (Apply(op, Grid {0, 1, 2, 3}) == result)
            return op;
    return TJXOP_NONE;
}

// The transform that turns stored pixels upright, by EXIF Orientation value.
int UprightOp(int orientation)
{
    constexpr std::array<int, 9> ops {TJXOP_NONE,      TJXOP_NONE,  TJXOP_HFLIP,      TJXOP_ROT180, TJXOP_VFLIP,
                                      TJXOP_TRANSPOSE, TJXOP_ROT90, TJXOP_TRANSVERSE, TJXOP_ROT270};
    return orientation >= 1 && orientation <= 8 ? ops[size_t(orientation)] : TJXOP_NONE;
}

int TurnOp(Turn turn)
{
    return turn == Turn::Right ? TJXOP_ROT90 : turn == Turn::Left ? TJXOP_ROT270 : TJXOP_HFLIP;
}

// The EXIF APP1 segment's data (after its length) among the markers before the first scan:
// offset and size, or {0, 0}.
std::pair<qsizetype, qsizetype> ExifSegment(const QByteArray& jpeg)
{
    const auto byte = [&](qsizetype i) { return uint8_t(jpeg[i]); };
    qsizetype pos = 2;
    while (pos + 4 <= jpeg.size() && byte(pos) == 0xFF && byte(pos + 1) != 0xDA) {
        const qsizetype length = byte(pos + 2) << 8 | byte(pos + 3);
        if (length < 2 || pos + 2 + length > jpeg.size())
            break;
        const auto* data = reinterpret_cast<const uint8_t*>(jpeg.constData() + pos + 4);
        if (byte(pos + 1) == 0xE1 && IsExifSegment(data, size_t(length - 2)))
            return {pos + 4, length - 2};
        pos += 2 + length;
    }
    return {0, 0};
}

// Reads and writes the TIFF numbers of an EXIF segment in its byte order.
struct TiffBytes {
    QByteArray& jpeg;
    qsizetype tiff, end;
    bool motorola;
    bool Holds(qsizetype at, qsizetype bytes) const { return at >= tiff && bytes >= 0 && at + bytes <= end; }
    uint32_t Read(qsizetype at, int bytes) const
    {
        uint32_t v = 0;
        for (int i = 0; i < bytes; ++i)
            v |= uint32_t(uint8_t(jpeg[at + (motorola ? i : bytes - 1 - i)])) << (8 * (bytes - 1 - i));
        return v;
    }
    void Write(qsizetype at, int bytes, uint32_t v)
    {
        for (int i = 0; i < bytes; ++i)
            jpeg[at + (motorola ? i : bytes - 1 - i)] = char(v >> (8 * (bytes - 1 - i)));
    }
};

// Sets IFD0's Orientation in place (a SHORT keeps its size, so nothing else moves); false
// when the file has no such tag to set.
bool SetOrientation(QByteArray& jpeg, int value)
{
    const auto [start, size] = ExifSegment(jpeg);
    if (size < 14)
        return false;
    TiffBytes t {jpeg, start + 6, start + size, jpeg[start + 6] == 'M'};
    const qsizetype ifd = t.tiff + qsizetype(t.Read(t.tiff + 4, 4));
    if (ifd < t.tiff + 8 || ifd + 2 > t.end)
        return false;
    const uint32_t count = t.Read(ifd, 2);
    for (uint32_t i = 0; i < count && ifd + 2 + 12 * qsizetype(i + 1) <= t.end; ++i) {
        const qsizetype entry = ifd + 2 + 12 * qsizetype(i);
        if (t.Read(entry, 2) == 0x0112 && t.Read(entry + 2, 2) == 3) {
            t.Write(entry + 8, 2, uint32_t(value));
            return true;
        }
    }
    return false;
}

// A file without EXIF gets a segment of its own holding only the Orientation, after SOI and
// any JFIF segment (which readers expect first).
QByteArray WithOrientationSegment(const QByteArray& jpeg, int value)
{
    static const char kSegment[] = "\xFF\xE1\x00\x22"
                                   "Exif\0\0"
                                   "MM\x00\x2A\x00\x00\x00\x08"                       // big-endian TIFF, IFD0 at 8
                                   "\x00\x01"                                         // one entry
                                   "\x01\x12\x00\x03\x00\x00\x00\x01\x00\x00\x00\x00" // Orientation
                                   "\x00\x00\x00\x00";                                // no next IFD
    QByteArray segment(kSegment, sizeof kSegment - 1);
    segment[4 + 6 + 8 + 2 + 9] = char(value);
    qsizetype at = 2;
    if (jpeg.size() >= 6 && uint8_t(jpeg[2]) == 0xFF && uint8_t(jpeg[3]) == 0xE0)
        at = std::min<qsizetype>(jpeg.size(), 4 + (uint8_t(jpeg[4]) << 8 | uint8_t(jpeg[5])));
    return jpeg.left(at) + segment + jpeg.mid(at);
}

// Turns the EXIF thumbnail (IFD1's JPEG) as the picture turns, so a preview read from it agrees
// with the picture. It is turned in its place when no longer than before (the rest zeroed),
// or replaced when it ends the segment; otherwise, or when it cannot be turned, it is left.
void TurnThumbnail(QByteArray& jpeg, int op, tjhandle handle)
{
    const auto [start, size] = ExifSegment(jpeg);
    if (size < 14)
        return;
    TiffBytes t {jpeg, start + 6, start + size, jpeg[start + 6] == 'M'};
    const qsizetype ifd0 = t.tiff + qsizetype(t.Read(t.tiff + 4, 4));
    if (!t.Holds(ifd0, 2))
        return;
    const qsizetype next = ifd0 + 2 + 12 * qsizetype(t.Read(ifd0, 2));
    if (!t.Holds(next, 4) || t.Read(next, 4) == 0)
        return;
    const qsizetype ifd1 = t.tiff + qsizetype(t.Read(next, 4));
    if (!t.Holds(ifd1, 2))
        return;
    qsizetype offsetAt = 0, lengthAt = 0;
    for (uint32_t i = 0, n = t.Read(ifd1, 2); i < n && t.Holds(ifd1 + 2 + 12 * qsizetype(i), 12); ++i) {
        const qsizetype entry = ifd1 + 2 + 12 * qsizetype(i);
        if (t.Read(entry, 2) == 0x0201 && t.Read(entry + 2, 2) == 4)
            offsetAt = entry + 8;
        if (t.Read(entry, 2) == 0x0202 && t.Read(entry + 2, 2) == 4)
            lengthAt = entry + 8;
    }
    if (offsetAt == 0 || lengthAt == 0)
        return;
    const qsizetype thumb = t.tiff + qsizetype(t.Read(offsetAt, 4)), length = qsizetype(t.Read(lengthAt, 4));
    if (!t.Holds(thumb, length) || length < 4 || lengthAt >= thumb)
        return;
    tjtransform transform {};
    transform.op = op;
    transform.options = TJXOPT_TRIM;
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    const int result = tjTransform(handle, reinterpret_cast<const unsigned char*>(jpeg.constData() + thumb),
                                   static_cast<unsigned long>(length), 1, &out, &outSize, &transform, 0);
    const std::unique_ptr<unsigned char, void (*)(unsigned char*)> owned(out, tjFree);
    const auto turned = qsizetype(outSize);
    if (result != 0 || turned <= 0)
        return;
    const QByteArray bytes(reinterpret_cast<const char*>(out), turned);
    if (turned <= length) {
        jpeg.replace(thumb, turned, bytes);
        std::fill(jpeg.begin() + thumb + turned, jpeg.begin() + thumb + length, '\0');
    } else if (thumb + length == t.end && size - length + turned + 2 <= 0xFFFF) {
        jpeg.replace(thumb, length, bytes);
        const qsizetype segment = size - length + turned + 2;
        jpeg[start - 2] = char(segment >> 8);
        jpeg[start - 1] = char(segment & 0xFF);
    } else {
        return;
    }
    t.Write(lengthAt, 4, uint32_t(turned));
}

// The Orientation value that shows the stored pixels as `op` turns them.
int OrientationFor(int op)
{
    for (int orientation = 1; orientation <= 8; ++orientation)
        if (UprightOp(orientation) == op)
            return orientation;
    return 1;
}

} // namespace

PartialBlocks::PartialBlocks()
    : Failure("This picture cannot be turned without loss: its width or height is not a whole number of its "
              "coded blocks.")
{}

QByteArray TurnJpegBytes(const QByteArray& jpeg, Turn turn, TurnEdges edges)
{
    const auto [start, size] = ExifSegment(jpeg);
    const int orientation =
        size > 0 ? ExifOrientation(reinterpret_cast<const uint8_t*>(jpeg.constData() + start), size_t(size)) : 1;
    if (edges == TurnEdges::TagOnly) {
        const int shown = OrientationFor(Compose(UprightOp(orientation), TurnOp(turn)));
        QByteArray tagged = jpeg;
        if (size == 0)
            return WithOrientationSegment(jpeg, shown);
        if (!SetOrientation(tagged, shown))
            throw Failure("This picture's EXIF data have no orientation to change.");
        return tagged;
    }
    const std::unique_ptr<void, int (*)(tjhandle)> handle(tjInitTransform(), tjDestroy);
    if (!handle)
        throw Failure("Out of system resources");
    tjtransform transform {};
    transform.op = Compose(UprightOp(orientation), TurnOp(turn));
    transform.options = edges == TurnEdges::Trim ? TJXOPT_TRIM : TJXOPT_PERFECT;
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    const int result = tjTransform(handle.get(), reinterpret_cast<const unsigned char*>(jpeg.constData()),
                                   static_cast<unsigned long>(jpeg.size()), 1, &out, &outSize, &transform, 0);
    const std::unique_ptr<unsigned char, void (*)(unsigned char*)> owned(out, tjFree);
    if (result != 0) {
        const QString reason = QString::fromLatin1(tjGetErrorStr2(handle.get()));
        if (reason.contains(QLatin1String("not perfect")))
            throw PartialBlocks();
        throw Failure(QStringLiteral("The picture cannot be turned: ") + reason);
    }
    QByteArray turned(reinterpret_cast<const char*>(out), qsizetype(outSize));
    TurnThumbnail(turned, transform.op, handle.get());
    SetOrientation(turned, 1);
    return turned;
}

void TurnFileWhole(const QString& path, const std::function<QByteArray(const QByteArray&)>& turn)
{
    const QByteArray bytes = ReadRegularFile(path, PictureLimits::kMaxDecodedBytes);
    struct stat st {};
    if (::stat(EncodeFileName(path).constData(), &st) == 0 && st.st_nlink > 1)
        throw Failure(QStringLiteral("\"%1\" has %2 names (hard links); a turned copy would part them, so it is "
                                     "left as it is.")
                          .arg(DisplayName(path.mid(path.lastIndexOf(QLatin1Char('/')) + 1)))
                          .arg(st.st_nlink));
    const QByteArray turned = turn(bytes);
    FileReplacement replacement(path, FileReplacement::Fallback::None);
    int error = replacement.Open(turned.size());
    if (error == 0)
        error = replacement.Write(turned.constData(), turned.size());
    if (error == 0)
        error = replacement.Commit();
    if (error != 0)
        throw Failure(QStringLiteral("Cannot turn \"%1\": %2").arg(DisplayName(path), FileReplacement::Reason(error)));
}

namespace {

// One pixel's bits, whatever the bit count.
uint32_t PixelBits(const uint8_t* row, int32_t x, int bits)
{
    if (bits >= 8) {
        uint32_t v = 0;
        for (int i = 0; i < bits / 8; ++i)
            v |= uint32_t(row[size_t(x) * size_t(bits / 8) + size_t(i)]) << (8 * i);
        return v;
    }
    const size_t at = size_t(x) * size_t(bits);
    return uint32_t(row[at / 8] >> (8 - bits - int(at % 8))) & ((1u << bits) - 1);
}

void SetPixelBits(uint8_t* row, int32_t x, int bits, uint32_t v)
{
    if (bits >= 8) {
        for (int i = 0; i < bits / 8; ++i)
            row[size_t(x) * size_t(bits / 8) + size_t(i)] = uint8_t(v >> (8 * i));
        return;
    }
    const size_t at = size_t(x) * size_t(bits);
    const int shift = 8 - bits - int(at % 8);
    row[at / 8] = uint8_t((row[at / 8] & ~(((1u << bits) - 1) << shift)) | (v << shift));
}

} // namespace

void MovePixels(int32_t width, int32_t height, int bits, Turn turn, const std::function<const uint8_t*(int32_t)>& from,
                const std::function<uint8_t*(int32_t)>& to)
{
    const bool sides = turn != Turn::Flip;
    const int32_t outWidth = sides ? height : width, outHeight = sides ? width : height;
    for (int32_t y = 0; y < outHeight; ++y) {
        uint8_t* row = to(y);
        for (int32_t x = 0; x < outWidth; ++x) {
            // Where the pixel came from: clockwise, the old left column read upwards is the top row.
            const int32_t sx = turn == Turn::Right ? y : turn == Turn::Left ? width - 1 - y : width - 1 - x;
            const int32_t sy = turn == Turn::Right ? height - 1 - x : turn == Turn::Left ? x : y;
            SetPixelBits(row, x, bits, PixelBits(from(sy), sx, bits));
        }
    }
}

std::shared_ptr<DibImage> TurnDib(const DibImage& in, Turn turn)
{
    const bool sides = turn != Turn::Flip;
    auto out = NewDib(sides ? in.height : in.width, sides ? in.width : in.height, in.bitCount);
    out->planes = in.planes;
    out->device = in.device;
    out->topDown = in.topDown;
    out->coreHeader = in.coreHeader;
    out->hasMasks = in.hasMasks;
    out->redMask = in.redMask, out->greenMask = in.greenMask, out->blueMask = in.blueMask;
    out->xPelsPerMeter = sides ? in.yPelsPerMeter : in.xPelsPerMeter;
    out->yPelsPerMeter = sides ? in.xPelsPerMeter : in.yPelsPerMeter;
    out->colors = in.colors;
    MovePixels(
        in.width, in.height, in.bitCount, turn, [&in](int32_t y) { return in.Row(y); },
        [&out](int32_t y) { return out->Row(y); });
    return out;
}

void TurnBitmapFile(const QString& path, Turn turn)
{
    TurnFileWhole(path, [&path, turn](const QByteArray& bytes) {
        TBitmap bitmap;
        bitmap.LoadFromBytes(bytes);
        if (bitmap.Dib().profileMappedRows > 0)
            throw Failure(QStringLiteral("\"%1\" carries a colour profile; turned, its colours would change, so it "
                                         "is left as it is.")
                              .arg(DisplayName(path.mid(path.lastIndexOf(QLatin1Char('/')) + 1))));
        TBitmap turned(TurnDib(bitmap.Dib(), turn));
        return turned.SaveToBytes();
    });
}

void TurnJpegFile(const QString& path, Turn turn, TurnEdges edges)
{
    TurnFileWhole(path, [turn, edges](const QByteArray& bytes) { return TurnJpegBytes(bytes, turn, edges); });
}
