// SPDX-License-Identifier: GPL-3.0-or-later
// Reading camera raw files: LibRaw opens the bytes (on its buffer stream, so nothing is read
// past them) or the file in pieces, gives the facts, the embedded preview's bytes and the
// development.
#include "picture/RawCodec.h"
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>
#include <libraw/libraw.h>
#include "picture/DibImage.h"
#include "picture/Failure.h"
#include "picture/FileRead.h"
#include "picture/JpegCodec.h"
#include "picture/Limits.h"
#include "picture/RasterRows.h"
#include "picture/RawStream.h"

namespace {

[[noreturn]] void Invalid(int code)
{
    if (code == LIBRAW_UNSUFFICIENT_MEMORY)
        throw Failure(kOutOfResources);
    throw Failure(QStringLiteral("%1: %2").arg(QLatin1String(kRawInvalid), QString::fromUtf8(libraw_strerror(code))));
}

// LibRaw's orientation code as the EXIF one: 3 is a half turn, 5 a quarter turn to the left,
// 6 to the right.
int OrientationOf(int flip)
{
    switch (flip) {
    case 3: return 3;
    case 5: return 8;
    case 6: return 6;
    default: return 1;
    }
}

QString Number(double v)
{
    return QString::number(v, 'g', 3);
}

QString ShotOf(const libraw_data_t& d)
{
    QStringList parts;
    const QString make = QString::fromUtf8(d.idata.make).trimmed();
    const QString model = QString::fromUtf8(d.idata.model).trimmed();
    const QString camera = model.startsWith(make) ? model : QStringList({make, model}).join(' ').trimmed();
    if (!camera.isEmpty())
        parts << camera;
    const double shutter = d.other.shutter;
    if (shutter > 0 && shutter < 1)
        parts << QStringLiteral("1/%1 s").arg(std::lround(1 / shutter));
    else if (shutter >= 1)
        parts << Number(shutter) + QStringLiteral(" s");
    if (d.other.aperture > 0)
        parts << QStringLiteral("f/") + Number(d.other.aperture);
    if (d.other.iso_speed > 0)
        parts << QStringLiteral("ISO ") + Number(d.other.iso_speed);
    if (d.other.focal_len > 0)
        parts << Number(d.other.focal_len) + QStringLiteral(" mm");
    return parts.join(QStringLiteral(", "));
}

int CancelAsked(void* data, LibRaw_progress, int, int)
{
    const auto* stop = static_cast<const StopAsked*>(data);
    return *stop && (*stop)() ? 1 : 0;
}

struct Opened {
    std::unique_ptr<RawFileSource> source; // outlives the LibRaw that reads it
    std::unique_ptr<LibRaw> raw;
    RasterFacts facts;
};

Opened Checked(Opened o)
{
    const libraw_data_t& d = o.raw->imgdata;
    // The sensor's data are held at four 16-bit values a pixel while developing.
    const int64_t sensor = int64_t(d.sizes.raw_width) * d.sizes.raw_height * 8;
    if (sensor > PictureLimits::kMaxDecodedBytes)
        throw Failure(kOutOfResources);
    RasterFacts& f = o.facts;
    CheckRasterSize(d.sizes.width, d.sizes.height, kRawInvalid);
    f.width = d.sizes.width;
    f.height = d.sizes.height;
    f.orientation = OrientationOf(d.sizes.flip);
    f.colourType = d.idata.filters ? QStringLiteral("Bayer") : QStringLiteral("RGB");
    f.bitsPerChannel = d.color.maximum > 0 ? int(std::ceil(std::log2(double(d.color.maximum) + 1))) : 16;
    f.shot = ShotOf(d);
    return o;
}

Opened Open(const QByteArray& data)
{
    Opened o;
    o.raw = std::make_unique<LibRaw>(LIBRAW_OPTIONS_NONE);
    // LibRaw keeps a pointer to the bytes and never writes them.
    if (const int e = o.raw->open_buffer(const_cast<char*>(data.constData()), size_t(data.size())))
        Invalid(e);
    return Checked(std::move(o));
}

Opened Open(FileStream& file)
{
    Opened o;
    o.source = std::make_unique<RawFileSource>(file);
    o.raw = std::make_unique<LibRaw>(LIBRAW_OPTIONS_NONE);
    if (const int e = o.raw->open_datastream(o.source.get()))
        Invalid(e);
    return Checked(std::move(o));
}

bool ViewAsked(QSize atLeast)
{
    return atLeast.isValid() && !atLeast.isEmpty();
}

// The preview as stored, when it is a JPEG or bitmap that covers `atLeast` and is no larger
// than the picture; null otherwise.
QImage Preview(LibRaw& raw, const RasterFacts& facts, QSize atLeast)
{
    if (raw.unpack_thumb() != LIBRAW_SUCCESS)
        return {};
    const libraw_thumbnail_t& t = raw.imgdata.thumbnail;
    if (!t.thumb || t.tlength == 0 || t.twidth < atLeast.width() || t.theight < atLeast.height() ||
        t.twidth > facts.width || t.theight > facts.height)
        return {};
    const QByteArray bytes = QByteArray::fromRawData(t.thumb, qsizetype(t.tlength));
    if (t.tformat == LIBRAW_THUMBNAIL_JPEG) {
        JpegDecodeOptions options;
        options.scaleDenom = 1;
        for (const int denom : {8, 4, 2})
            if ((t.twidth + denom - 1) / denom >= atLeast.width() &&
                (t.theight + denom - 1) / denom >= atLeast.height()) {
                options.scaleDenom = denom;
                break;
            }
        const JpegDecodeResult r = JpegDecode(bytes, options, {});
        return r.dib && r.error.isEmpty() ? DibToQImage(*r.dib).convertToFormat(QImage::Format_ARGB32) : QImage();
    }
    if (t.tformat == LIBRAW_THUMBNAIL_BITMAP && t.tcolors == 3 &&
        int64_t(t.tlength) >= int64_t(t.twidth) * t.theight * 3) {
        QImage image(t.twidth, t.theight, QImage::Format_ARGB32);
        if (image.isNull())
            throw Failure(kOutOfResources);
        const auto* p = reinterpret_cast<const uint8_t*>(t.thumb);
        for (int y = 0; y < image.height(); ++y) {
            auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x, p += 3)
                row[x] = qRgb(p[0], p[1], p[2]);
        }
        return image;
    }
    return {};
}

struct ImageClear {
    void operator()(libraw_processed_image_t* i) const { LibRaw::dcraw_clear_mem(i); }
};

RasterImage Develop(const QByteArray& data, QSize atLeast, const StopAsked& stop)
{
    Opened o = Open(data);
    RasterImage result;
    const QSize size(o.facts.width, o.facts.height);
    const bool view = ViewAsked(atLeast);
    libraw_output_params_t& p = o.raw->imgdata.params;
    p.use_camera_wb = 1;
    p.output_color = 1; // sRGB
    p.output_bps = 8;
    p.user_flip = 0; // as stored: the orientation is the shared step's
    p.half_size = view && size.width() / 2 >= atLeast.width() && size.height() / 2 >= atLeast.height();
    o.raw->set_progress_handler(CancelAsked, const_cast<StopAsked*>(&stop));
    int e = o.raw->unpack();
    if (e == LIBRAW_SUCCESS)
        e = o.raw->dcraw_process();
    std::unique_ptr<libraw_processed_image_t, ImageClear> image;
    if (e == LIBRAW_SUCCESS)
        image.reset(o.raw->dcraw_make_mem_image(&e));
    if (e == LIBRAW_CANCELLED_BY_CALLBACK) {
        result.error = QStringLiteral("Stopped");
        return result;
    }
    if (e == LIBRAW_UNSUFFICIENT_MEMORY)
        throw Failure(kOutOfResources);
    if (e != LIBRAW_SUCCESS || !image || image->type != LIBRAW_IMAGE_BITMAP || image->bits != 8 ||
        (image->colors != 3 && image->colors != 1) ||
        int64_t(image->data_size) < int64_t(image->width) * image->height * image->colors) {
        result.error = QStringLiteral("%1: %2").arg(QLatin1String(kRawInvalid), QString::fromUtf8(libraw_strerror(e)));
        return result;
    }
    const int width = image->width, height = image->height, colors = image->colors;
    RowReducer out(width, height, ReduceFactor(QSize(width, height), atLeast));
    std::vector<uint8_t> rgba(size_t(width) * 4);
    for (int y = 0; y < height; ++y) {
        const uint8_t* in = image->data + size_t(y) * size_t(width) * size_t(colors);
        for (int x = 0; x < width; ++x, in += colors) {
            uint8_t* px = &rgba[size_t(x) * 4];
            px[0] = in[0];
            px[1] = in[colors == 3 ? 1 : 0];
            px[2] = in[colors == 3 ? 2 : 0];
            px[3] = 255;
        }
        out.AddRgbaRow(rgba.data());
    }
    result.image = out.Finish();
    return result;
}

} // namespace

RasterFacts ReadRawFacts(const QByteArray& head)
{
    return Open(head).facts;
}

RasterFacts ReadRawFileFacts(FileStream& file)
{
    return Open(file).facts;
}

RasterImage DecodeRawFile(FileStream& file, QSize atLeast, const StopAsked& stop, RasterFacts* facts)
{
    {
        Opened o = Open(file);
        *facts = o.facts;
        if (ViewAsked(atLeast)) {
            RasterImage result;
            result.image = Preview(*o.raw, o.facts, atLeast);
            if (!result.image.isNull())
                return result;
        }
    }
    // The development takes the sensor's data whole, and far more memory than the file.
    return Develop(file.ReadAll(), atLeast, stop);
}

RasterImage DecodeRaw(const QByteArray& data, QSize atLeast, const StopAsked& stop)
{
    if (ViewAsked(atLeast)) {
        Opened o = Open(data);
        RasterImage result;
        result.image = Preview(*o.raw, o.facts, atLeast);
        if (!result.image.isNull())
            return result;
    }
    // A preview that failed may leave LibRaw's reading in a fault: the development opens anew.
    return Develop(data, atLeast, stop);
}
