// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Colour profiles of the kinds cameras and editors embed, made with Little CMS: a v2 matrix
// profile (Adobe RGB's primaries and 2.2 curve), a v4 one with a parametric curve, and a
// table-based one (an RGB-to-Lab grid, no matrix at all).
#include <lcms2.h>
#include <QByteArray>

namespace testprofiles {

inline QByteArray Saved(cmsHPROFILE p)
{
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(p, nullptr, &size);
    QByteArray bytes(qsizetype(size), '\0');
    cmsSaveProfileToMem(p, bytes.data(), &size);
    cmsCloseProfile(p);
    return bytes;
}

inline cmsHPROFILE Matrix(double version, const cmsCIExyYTRIPLE& primaries, cmsToneCurve* curve)
{
    cmsCIExyY white;
    cmsWhitePointFromTemp(&white, 6504);
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE p = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsFreeToneCurve(curve);
    cmsSetProfileVersion(p, version);
    return p;
}

inline QByteArray AdobeV2()
{
    const cmsCIExyYTRIPLE adobe = {{0.64, 0.33, 1}, {0.21, 0.71, 1}, {0.15, 0.06, 1}};
    return Saved(Matrix(2.1, adobe, cmsBuildGamma(nullptr, 2.2)));
}

inline QByteArray WideV4()
{
    const cmsCIExyYTRIPLE p3 = {{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}};
    const cmsFloat64Number curve[5] = {2.6, 1.0 / 1.055, 0.055 / 1.055, 1.0 / 12.92, 0.04045};
    return Saved(Matrix(4.3, p3, cmsBuildParametricToneCurve(nullptr, 4, curve)));
}

// Adobe RGB sampled onto a 33-point grid towards Lab, kept as the AToB0 table alone.
inline QByteArray TableV2()
{
    const QByteArray adobe = AdobeV2();
    cmsHPROFILE source = cmsOpenProfileFromMem(adobe.constData(), cmsUInt32Number(adobe.size()));
    cmsHPROFILE lab = cmsCreateLab4Profile(nullptr);
    cmsHTRANSFORM toLab = cmsCreateTransform(source, TYPE_RGB_16, lab, TYPE_Lab_16, INTENT_RELATIVE_COLORIMETRIC, 0);
    cmsStage* grid = cmsStageAllocCLut16bit(nullptr, 33, 3, 3, nullptr);
    cmsStageSampleCLut16bit(
        grid,
        [](const cmsUInt16Number in[], cmsUInt16Number out[], void* t) -> cmsInt32Number {
            cmsDoTransform(static_cast<cmsHTRANSFORM>(t), in, out, 1);
            return 1;
        },
        toLab, 0);
    cmsPipeline* table = cmsPipelineAlloc(nullptr, 3, 3);
    cmsPipelineInsertStage(table, cmsAT_BEGIN, grid);
    cmsHPROFILE p = cmsCreateProfilePlaceholder(nullptr);
    cmsSetProfileVersion(p, 2.1);
    cmsSetDeviceClass(p, cmsSigDisplayClass);
    cmsSetColorSpace(p, cmsSigRgbData);
    cmsSetPCS(p, cmsSigLabData);
    cmsWriteTag(p, cmsSigMediaWhitePointTag, cmsD50_XYZ());
    cmsWriteTag(p, cmsSigAToB0Tag, table);
    cmsPipelineFree(table);
    cmsDeleteTransform(toLab);
    cmsCloseProfile(lab);
    cmsCloseProfile(source);
    return Saved(p);
}

inline QByteArray Srgb()
{
    return Saved(cmsCreate_sRGBProfile());
}

} // namespace testprofiles
