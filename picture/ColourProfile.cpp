// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/ColourProfile.h"
#include <lcms2.h>
#include <mutex>
#include <utility>
#include <QColorSpace>
#include <QHash>

struct ColourMap::Transforms {
    QByteArray icc;
    bool toProfile = false;
    cmsHTRANSFORM bgra = nullptr;
    // Made at its first use: most pictures are mapped four bytes a pixel, and a transform of a
    // table-based profile takes tens of milliseconds to make.
    mutable std::once_flag bgrMade;
    mutable cmsHTRANSFORM bgr = nullptr;
    ~Transforms()
    {
        if (bgr)
            cmsDeleteTransform(bgr);
        if (bgra)
            cmsDeleteTransform(bgra);
    }
};

namespace {

struct ProfileFree {
    void operator()(void* p) const { cmsCloseProfile(p); }
};
using Profile = std::unique_ptr<void, ProfileFree>;

// Pictures come and go by the thousand, their profiles are few: each profile's mapping is
// made once. The cache is emptied when it grows past this.
constexpr qsizetype kCachedProfiles = 32;

struct Engine {
    std::mutex lock;
    QHash<QByteArray, std::shared_ptr<const ColourMap>> made;
    QHash<QByteArray, std::shared_ptr<const ColourMap>> toProfile;
};

Engine& TheEngine()
{
    static Engine engine;
    return engine;
}

Profile OpenRgb(const QByteArray& icc)
{
    Profile p(cmsOpenProfileFromMem(icc.constData(), cmsUInt32Number(icc.size())));
    if (!p || cmsGetColorSpace(p.get()) != cmsSigRgbData)
        return {};
    const cmsProfileClassSignature c = cmsGetDeviceClass(p.get());
    if (c != cmsSigInputClass && c != cmsSigDisplayClass && c != cmsSigOutputClass && c != cmsSigColorSpaceClass)
        return {};
    return p;
}

// `toProfile`: from sRGB to the profile's colours (a display's), else from them to sRGB.
cmsHTRANSFORM Create(const QByteArray& icc, bool toProfile, bool alpha)
{
    Profile in = OpenRgb(icc);
    Profile out(cmsCreate_sRGBProfile());
    if (toProfile)
        std::swap(in, out);
    if (!in || !out)
        return nullptr;
    // No one-pixel cache: a mapping is shared by the decoding threads. Little CMS's usual
    // precalculated table is within 0.15 CIEDE2000 of ImageMagick's conversion even for
    // table-based profiles; a finer one took twice as long to make (50 ms a transform).
    constexpr cmsUInt32Number kFlags = cmsFLAGS_NOCACHE;
    return alpha ? cmsCreateTransform(in.get(), TYPE_BGRA_8, out.get(), TYPE_BGRA_8, INTENT_PERCEPTUAL,
                                      kFlags | cmsFLAGS_COPY_ALPHA)
                 : cmsCreateTransform(in.get(), TYPE_BGR_8, out.get(), TYPE_BGR_8, INTENT_PERCEPTUAL, kFlags);
}

std::shared_ptr<const ColourMap> Make(const QByteArray& icc, bool toProfile)
{
    // Most cameras embed sRGB itself, and a display may be described as sRGB: nothing to do.
    if (QColorSpace::fromIccProfile(icc) == QColorSpace(QColorSpace::SRgb))
        return {};
    auto t = std::make_shared<ColourMap::Transforms>();
    t->bgra = Create(icc, toProfile, true);
    if (!t->bgra)
        return {};
    t->icc = QByteArray(icc.constData(), icc.size());
    t->toProfile = toProfile;
    return std::make_shared<const ColourMap>(std::move(t));
}

} // namespace

void ColourMap::MapBgr(uint8_t* pixels, int count, int step) const
{
    if (count <= 0)
        return;
    const Transforms& t = *transforms_;
    if (step == 4) {
        cmsDoTransform(t.bgra, pixels, pixels, cmsUInt32Number(count));
        return;
    }
    std::call_once(t.bgrMade, [&t] { t.bgr = Create(t.icc, t.toProfile, false); });
    if (t.bgr) // made before from the same profile: it can fail only for want of memory
        cmsDoTransform(t.bgr, pixels, pixels, cmsUInt32Number(count));
}

void ColourMap::MapImage(QImage& image) const
{
    MapImage(image, image.rect());
}

void ColourMap::MapImage(QImage& image, const QRect& part) const
{
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        return;
    const QRect r = part.intersected(image.rect());
    if (r.isEmpty())
        return;
    const cmsUInt32Number line = cmsUInt32Number(image.bytesPerLine());
    uchar* first = image.bits() + qsizetype(r.top()) * image.bytesPerLine() + qsizetype(r.left()) * 4;
    // The rows as a QRgb's bytes lie in memory on this platform: blue, green, red, alpha.
    cmsDoTransformLineStride(transforms_->bgra, first, first, cmsUInt32Number(r.width()), cmsUInt32Number(r.height()),
                             line, line, 0, 0);
}

QRgb ColourMap::Map(QRgb colour) const
{
    uint8_t px[4] = {uint8_t(qBlue(colour)), uint8_t(qGreen(colour)), uint8_t(qRed(colour)), uint8_t(qAlpha(colour))};
    MapBgr(px, 1, 4);
    return qRgba(px[2], px[1], px[0], px[3]);
}

namespace {
std::shared_ptr<const ColourMap> Cached(const QByteArray& icc, bool toProfile)
{
    if (icc.isEmpty() || icc.size() > kMaxColourProfile)
        return {};
    Engine& e = TheEngine();
    const std::lock_guard held(e.lock);
    auto& made = toProfile ? e.toProfile : e.made;
    if (const auto found = made.constFind(icc); found != made.cend())
        return found.value();
    if (made.size() >= kCachedProfiles)
        made.clear();
    std::shared_ptr<const ColourMap> map = Make(icc, toProfile);
    // A deep copy: the key may point into a file's bytes that go away.
    made.insert(QByteArray(icc.constData(), icc.size()), map);
    return map;
}
} // namespace

std::shared_ptr<const ColourMap> ProfileToSrgb(const QByteArray& icc)
{
    return Cached(icc, false);
}

std::shared_ptr<const ColourMap> SrgbToProfile(const QByteArray& icc)
{
    return Cached(icc, true);
}

void MapDibToSrgb(const ColourMap& map, DibImage& dib)
{
    if (dib.bitCount == 8) {
        for (RgbQuad& c : dib.colors) {
            const QRgb v = map.Map(qRgb(c.red, c.green, c.blue));
            c = RgbQuad {uint8_t(qBlue(v)), uint8_t(qGreen(v)), uint8_t(qRed(v)), c.reserved};
        }
        return;
    }
    if ((dib.bitCount != 24 && dib.bitCount != 32) || dib.width <= 0)
        return;
    for (int32_t y = 0; y < dib.height; ++y)
        map.MapBgr(dib.Row(y), dib.width, dib.bitCount / 8);
}
