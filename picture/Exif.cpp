// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/Exif.h"
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>
#include <libexif/exif-data.h>
#include "picture/Orientation.h"

namespace {
constexpr char kExifId[6] = {'E', 'x', 'i', 'f', '\0', '\0'};
// A JPEG marker's data are at most 65,533 bytes; anything longer came from elsewhere.
constexpr size_t kMaxSegment = 65533;
}

bool IsExifSegment(const uint8_t* data, size_t size)
{
    return data && size >= sizeof kExifId && std::memcmp(data, kExifId, sizeof kExifId) == 0;
}

namespace {
struct ExifFree {
    void operator()(ExifData* e) const { exif_data_unref(e); }
};
using Exif = std::unique_ptr<ExifData, ExifFree>;

Exif Load(const uint8_t* data, size_t size)
{
    if (!IsExifSegment(data, size) || size > kMaxSegment)
        return {};
    Exif exif(exif_data_new());
    if (!exif)
        return {};
    // Read only: no entries added or fixed to meet the standard.
    exif_data_unset_option(exif.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(exif.get(), data, unsigned(size));
    return exif;
}
} // namespace

int ExifOrientation(const uint8_t* data, size_t size)
{
    const Exif exif = Load(data, size);
    if (!exif)
        return kOrientationAsStored;
    int value = kOrientationAsStored;
    const ExifEntry* e = exif_content_get_entry(exif->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
    if (e && e->format == EXIF_FORMAT_SHORT && e->components >= 1 && e->data && e->size >= 2)
        value = ValidOrientation(exif_get_short(e->data, exif_data_get_byte_order(exif.get())));
    return value;
}

int ExifBlockOrientation(const uint8_t* data, size_t size)
{
    if (!data || size == 0)
        return kOrientationAsStored;
    std::vector<uint8_t> segment(kExifId, kExifId + sizeof kExifId);
    if (IsExifSegment(data, size)) {
        data += sizeof kExifId;
        size -= sizeof kExifId;
    }
    segment.insert(segment.end(), data, data + std::min(size, kMaxSegment - sizeof kExifId));
    return ExifOrientation(segment.data(), segment.size());
}

std::vector<uint8_t> ExifThumbnail(const uint8_t* data, size_t size)
{
    // libexif takes the thumbnail only where its offset and length lie inside the segment.
    const Exif exif = Load(data, size);
    if (!exif || !exif->data || exif->size < 4)
        return {};
    return std::vector<uint8_t>(exif->data, exif->data + exif->size);
}
