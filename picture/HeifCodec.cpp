// SPDX-License-Identifier: GPL-3.0-or-later
// Reading HEIF files: libheif parses the boxes and decodes (HEVC through libde265, AV1 through
// dav1d or aom); the one thing read here by hand is whether the file carries turns or mirrors
// of its own, which decides whether its EXIF orientation applies.
#include "picture/HeifCodec.h"
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>
#include <QColorSpace>
#include <libheif/heif.h>
#include "picture/ColourProfile.h"
#include "picture/Exif.h"
#include "picture/Failure.h"
#include "picture/Limits.h"
#include "picture/RasterRows.h"

namespace {

constexpr int kMaxExifBlock = 1 << 20; // an EXIF block beyond this is not looked at

[[noreturn]] void Invalid(const heif_error& e)
{
    if (e.code == heif_error_Memory_allocation_error)
        throw Failure(kOutOfResources);
    throw Failure(QStringLiteral("%1: %2").arg(QLatin1String(kHeifInvalid), QString::fromUtf8(e.message)));
}

void Check(const heif_error& e)
{
    if (e.code != heif_error_Ok)
        Invalid(e);
}

struct ContextFree {
    void operator()(heif_context* c) const { heif_context_free(c); }
};
struct HandleFree {
    void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
};
struct ImageFree {
    void operator()(heif_image* i) const { heif_image_release(i); }
};
struct OptionsFree {
    void operator()(heif_decoding_options* o) const { heif_decoding_options_free(o); }
};
using Handle = std::unique_ptr<heif_image_handle, HandleFree>;

uint32_t Be32(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// The boxes between `at` and `end`: calls `each(type, payload, payloadEnd)` until it returns
// true or the boxes end; a box whose size runs past `end` ends the walk.
template <class Each>
bool WalkBoxes(const uint8_t* at, const uint8_t* end, const Each& each)
{
    while (end - at >= 8) {
        uint64_t size = Be32(at);
        const uint8_t* type = at + 4;
        const uint8_t* payload = at + 8;
        if (size == 1) {
            if (end - at < 16)
                return false;
            size = uint64_t(Be32(at + 8)) << 32 | Be32(at + 12);
            payload = at + 16;
        } else if (size == 0) {
            size = uint64_t(end - at);
        }
        if (size < uint64_t(payload - at) || size > uint64_t(end - at))
            return false;
        if (each(type, payload, at + size))
            return true;
        at += size;
    }
    return false;
}

bool IsType(const uint8_t* type, const char* name)
{
    return std::memcmp(type, name, 4) == 0;
}

// True when the metadata's item properties include a turn or a mirror.
bool CarriesTransformations(const QByteArray& data)
{
    const auto* p = reinterpret_cast<const uint8_t*>(data.constData());
    const auto inside = [](const char* name, const auto& then) {
        return [name, then](const uint8_t* type, const uint8_t* begin, const uint8_t* end) {
            return IsType(type, name) && then(begin, end);
        };
    };
    const auto transformation = [](const uint8_t* type, const uint8_t*, const uint8_t*) {
        return IsType(type, "irot") || IsType(type, "imir");
    };
    const auto ipco =
        inside("ipco", [&](const uint8_t* b, const uint8_t* e) { return WalkBoxes(b, e, transformation); });
    const auto iprp = inside("iprp", [&](const uint8_t* b, const uint8_t* e) { return WalkBoxes(b, e, ipco); });
    // The metadata box is a full box: its version and flags come before its children.
    const auto meta =
        inside("meta", [&](const uint8_t* b, const uint8_t* e) { return e - b >= 4 && WalkBoxes(b + 4, e, iprp); });
    return WalkBoxes(p, p + data.size(), meta);
}

uint32_t Be16(const uint8_t* p)
{
    return uint32_t(p[0]) << 8 | p[1];
}

// The tiles the item is made of: the item IDs its "dimg" references name (0 for no grid).
uint32_t GridTiles(const QByteArray& data, heif_item_id item)
{
    const auto* p = reinterpret_cast<const uint8_t*>(data.constData());
    uint32_t tiles = 0;
    const auto dimg = [&](const uint8_t* type, const uint8_t* b, const uint8_t* e, bool wide) {
        const ptrdiff_t id = wide ? 4 : 2;
        if (IsType(type, "dimg") && e - b >= id + 2 && (wide ? Be32(b) : Be16(b)) == item)
            tiles += Be16(b + id);
        return false;
    };
    // The reference box is a full box; version 1 has 32-bit item IDs.
    const auto iref = [&](const uint8_t* type, const uint8_t* b, const uint8_t* e) {
        if (!IsType(type, "iref") || e - b < 4)
            return false;
        const bool wide = b[0] >= 1;
        WalkBoxes(b + 4, e,
                  [&](const uint8_t* t, const uint8_t* pb, const uint8_t* pe) { return dimg(t, pb, pe, wide); });
        return true;
    };
    const auto meta = [&](const uint8_t* type, const uint8_t* b, const uint8_t* e) {
        return IsType(type, "meta") && e - b >= 4 && WalkBoxes(b + 4, e, iref);
    };
    WalkBoxes(p, p + data.size(), meta);
    return tiles;
}

// A grid costs a decoder start per tile, so thousands of tiny tiles take minutes however
// small the file. Phones and cameras tile with 256 to 512 pixels a side: a grid of smaller
// tiles is held to 256 of them, any grid to 1024.
void CheckTiles(const QByteArray& data, heif_context* context, const heif_image_handle* primary)
{
    heif_item_id id = 0;
    if (heif_context_get_primary_image_ID(context, &id).code != heif_error_Ok)
        return;
    const uint32_t tiles = GridTiles(data, id);
    if (tiles <= 1)
        return;
    const int64_t area =
        int64_t(heif_image_handle_get_width(primary)) * heif_image_handle_get_height(primary) / int64_t(tiles);
    if (tiles > 1024 || (tiles > 256 && area < 256 * 256))
        throw Failure(QStringLiteral("%1: a grid of %2 tiles").arg(QLatin1String(kHeifInvalid)).arg(tiles));
}

int ExifOrientationOf(const heif_image_handle* handle)
{
    heif_item_id id = 0;
    if (heif_image_handle_get_list_of_metadata_block_IDs(handle, "Exif", &id, 1) < 1)
        return 1;
    const size_t size = heif_image_handle_get_metadata_size(handle, id);
    if (size < 4 || size > size_t(kMaxExifBlock))
        return 1;
    std::vector<uint8_t> block(size);
    if (heif_image_handle_get_metadata(handle, id, block.data()).code != heif_error_Ok)
        return 1;
    // The block starts with the offset of the TIFF header behind those four bytes.
    const uint32_t offset = Be32(block.data());
    if (offset > size - 4)
        return 1;
    return ExifBlockOrientation(block.data() + 4 + offset, size - 4 - offset);
}

// An nclx description as an ICC profile the shared colour step maps to sRGB; none for sRGB
// itself and for what the step cannot take (PQ and HLG are shown as sRGB).
QByteArray ProfileOfNclx(const heif_color_profile_nclx& nclx)
{
    QColorSpace::TransferFunction transfer = QColorSpace::TransferFunction::SRgb;
    float gamma = 0;
    switch (nclx.transfer_characteristics) {
    case heif_transfer_characteristic_linear: transfer = QColorSpace::TransferFunction::Linear; break;
    case heif_transfer_characteristic_ITU_R_BT_470_6_System_M:
        transfer = QColorSpace::TransferFunction::Gamma;
        gamma = 2.2f;
        break;
    case heif_transfer_characteristic_ITU_R_BT_470_6_System_B_G:
        transfer = QColorSpace::TransferFunction::Gamma;
        gamma = 2.8f;
        break;
    default: break;
    }
    const QPointF d65(0.3127, 0.3290);
    QColorSpace space;
    switch (nclx.color_primaries) {
    case heif_color_primaries_ITU_R_BT_709_5:
    case heif_color_primaries_unspecified:
        if (transfer == QColorSpace::TransferFunction::SRgb)
            return {};
        space = QColorSpace(QColorSpace::Primaries::SRgb, transfer, gamma);
        break;
    case heif_color_primaries_SMPTE_EG_432_1:
        space = QColorSpace(QColorSpace::Primaries::DciP3D65, transfer, gamma);
        break;
    case heif_color_primaries_ITU_R_BT_2020_2_and_2100_0:
        space = QColorSpace(d65, QPointF(0.708, 0.292), QPointF(0.170, 0.797), QPointF(0.131, 0.046), transfer, gamma);
        break;
    default: return {};
    }
    return space.isValid() ? space.iccProfile() : QByteArray();
}

QByteArray ProfileOf(const heif_image_handle* handle)
{
    switch (heif_image_handle_get_color_profile_type(handle)) {
    case heif_color_profile_type_prof:
    case heif_color_profile_type_rICC: {
        const size_t size = heif_image_handle_get_raw_color_profile_size(handle);
        if (size == 0 || size > size_t(kMaxColourProfile))
            return {};
        QByteArray icc(qsizetype(size), Qt::Uninitialized);
        if (heif_image_handle_get_raw_color_profile(handle, icc.data()).code != heif_error_Ok)
            return {};
        return icc;
    }
    case heif_color_profile_type_nclx: {
        heif_color_profile_nclx* nclx = nullptr;
        const heif_error e = heif_image_handle_get_nclx_color_profile(handle, &nclx);
        // libheif hands out the profile even with an error for values it does not know.
        const std::unique_ptr<heif_color_profile_nclx, void (*)(heif_color_profile_nclx*)> held(
            nclx, heif_nclx_color_profile_free);
        if (e.code != heif_error_Ok || !nclx)
            return {};
        return ProfileOfNclx(*nclx);
    }
    default: return {};
    }
}

struct Opened {
    std::unique_ptr<heif_context, ContextFree> context;
    Handle primary;
    RasterFacts facts;
};

Opened Open(const QByteArray& data)
{
    if (!IsHeifContent(data))
        throw Failure(QStringLiteral("%1: not a HEIF file").arg(QLatin1String(kHeifInvalid)));
    Opened o;
    o.context.reset(heif_context_alloc());
    if (!o.context)
        throw Failure(kOutOfResources);
    // libheif's own guard, in pixels as a square's side: no picture beyond the decoded-size
    // limit is even parsed for decoding.
    heif_context_set_maximum_image_size_limit(o.context.get(),
                                              int(std::sqrt(double(PictureLimits::kMaxDecodedBytes) / 4)));
    Check(heif_context_read_from_memory_without_copy(o.context.get(), data.constData(), size_t(data.size()), nullptr));
    heif_image_handle* primary = nullptr;
    Check(heif_context_get_primary_image_handle(o.context.get(), &primary));
    o.primary.reset(primary);
    RasterFacts& f = o.facts;
    CheckRasterSize(heif_image_handle_get_width(primary), heif_image_handle_get_height(primary), kHeifInvalid);
    f.width = heif_image_handle_get_width(primary);
    f.height = heif_image_handle_get_height(primary);
    f.alpha = heif_image_handle_has_alpha_channel(primary) != 0;
    f.bitsPerChannel = std::max(1, heif_image_handle_get_luma_bits_per_pixel(primary));
    f.colourType = f.alpha ? QStringLiteral("RGBA") : QStringLiteral("RGB");
    f.frames = std::max(1, heif_context_get_number_of_top_level_images(o.context.get()));
    f.iccProfile = ProfileOf(primary);
    // The file's own turns and mirrors are applied by the decoder; EXIF only where it has none.
    f.orientation = CarriesTransformations(data) ? 1 : ExifOrientationOf(primary);
    return o;
}

// The smallest thumbnail that still covers `atLeast` (as shown), or none.
Handle CoveringThumbnail(const heif_image_handle* primary, QSize atLeast)
{
    if (!atLeast.isValid() || atLeast.isEmpty())
        return {};
    const int count = heif_image_handle_get_number_of_thumbnails(primary);
    if (count <= 0)
        return {};
    std::vector<heif_item_id> ids(size_t(std::min(count, 16)));
    const int listed = heif_image_handle_get_list_of_thumbnail_IDs(primary, ids.data(), int(ids.size()));
    Handle best;
    int64_t bestArea = 0;
    for (int i = 0; i < listed; ++i) {
        heif_image_handle* thumb = nullptr;
        if (heif_image_handle_get_thumbnail(primary, ids[size_t(i)], &thumb).code != heif_error_Ok)
            continue;
        Handle held(thumb);
        const int w = heif_image_handle_get_width(thumb), h = heif_image_handle_get_height(thumb);
        const int64_t area = int64_t(w) * h;
        if (w >= atLeast.width() && h >= atLeast.height() && (!best || area < bestArea)) {
            best = std::move(held);
            bestArea = area;
        }
    }
    return best;
}

} // namespace

bool IsHeifContent(const QByteArray& head, bool* avif)
{
    if (head.size() < 16 || head.mid(4, 4) != "ftyp")
        return false;
    const uint32_t size = Be32(reinterpret_cast<const uint8_t*>(head.constData()));
    if (size < 16)
        return false;
    // The major brand, then the compatible ones after the minor version.
    const qsizetype end = std::min<qsizetype>(head.size(), qsizetype(size));
    bool heif = false, av1 = false;
    for (qsizetype at = 8; at + 4 <= end; at += at == 8 ? 8 : 4) {
        const QByteArray brand = head.mid(at, 4);
        if (brand == "avif" || brand == "avis")
            av1 = true;
        else if (brand == "heic" || brand == "heix" || brand == "heim" || brand == "heis" || brand == "mif1" ||
                 brand == "msf1" || brand == "hevc" || brand == "hevx")
            heif = true;
    }
    if (avif)
        *avif = av1;
    return heif || av1;
}

RasterFacts ReadHeifFacts(const QByteArray& head)
{
    return Open(head).facts;
}

RasterImage DecodeHeif(const QByteArray& data, QSize atLeast, const StopAsked& stop)
{
    Opened o = Open(data);
    RasterImage result;
    if (stop && stop()) {
        result.error = QStringLiteral("Stopped");
        return result;
    }
    Handle thumbnail = CoveringThumbnail(o.primary.get(), atLeast);
    const heif_image_handle* source = thumbnail ? thumbnail.get() : o.primary.get();
    if (!thumbnail)
        CheckTiles(data, o.context.get(), source);
    const bool alpha = heif_image_handle_has_alpha_channel(source) != 0;
    const std::unique_ptr<heif_decoding_options, OptionsFree> options(heif_decoding_options_alloc());
    if (!options)
        throw Failure(kOutOfResources);
    options->convert_hdr_to_8bit = 1;
    heif_image* decoded = nullptr;
    const heif_error e =
        heif_decode_image(source, &decoded, heif_colorspace_RGB,
                          alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get());
    const std::unique_ptr<heif_image, ImageFree> image(decoded);
    if (e.code != heif_error_Ok || !image) {
        if (e.code == heif_error_Memory_allocation_error)
            throw Failure(kOutOfResources);
        result.error = QString::fromUtf8(e.message);
        return result;
    }
    int stride = 0;
    const uint8_t* plane = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
    const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
    const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
    const int channels = alpha ? 4 : 3;
    if (!plane || width <= 0 || height <= 0 || stride < width * channels)
        throw Failure(QStringLiteral("%1: no pixels decoded").arg(QLatin1String(kHeifInvalid)));
    // The coded stream may disagree with the size the container declared, which every size
    // check and the page's layout were based on: such a file is damaged.
    const int storedWidth = heif_image_handle_get_width(source);
    const int storedHeight = heif_image_handle_get_height(source);
    if (width != storedWidth || height != storedHeight)
        throw Failure(QStringLiteral("%1: the coded picture is %2 x %3, the stored size %4 x %5")
                          .arg(QLatin1String(kHeifInvalid))
                          .arg(width)
                          .arg(height)
                          .arg(storedWidth)
                          .arg(storedHeight));
    RowReducer out(width, height, ReduceFactor(QSize(width, height), atLeast));
    std::vector<uint8_t> rgba(size_t(width) * 4);
    const bool premultiplied = alpha && heif_image_handle_is_premultiplied_alpha(source);
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = plane + size_t(y) * size_t(stride);
        for (int x = 0; x < width; ++x) {
            const uint8_t* in = row + size_t(x) * size_t(channels);
            uint8_t* px = &rgba[size_t(x) * 4];
            const int a = alpha ? in[3] : 255;
            for (int c = 0; c < 3; ++c)
                px[c] = premultiplied && a > 0 ? uint8_t(std::min(255, (in[c] * 255 + a / 2) / a)) : in[c];
            px[3] = uint8_t(a);
        }
        out.AddRgbaRow(rgba.data());
    }
    result.image = out.Finish();
    return result;
}
