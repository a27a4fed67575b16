// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/zoom/ZoomRules.h"
#include <cmath>
#include "picture/Numbers.h"

namespace ZoomRules {

int64_t ScaleDimension(int64_t size, int64_t ratio)
{
    const long double quotient = static_cast<long double>(ratio) / 100.0L;
    const long double product = static_cast<long double>(size) * quotient;
    // Far beyond any side the picture layer accepts; clamped so the conversion stays defined.
    constexpr long double kBound = 0x1p62L;
    if (product >= kBound)
        return int64_t(1) << 62;
    if (product <= -kBound)
        return -(int64_t(1) << 62);
    return static_cast<int64_t>(std::nearbyintl(product));
}

bool ZoomSizeAllowed(int64_t side)
{
    return side >= kMinSide;
}

namespace {
// trunc(100 x (a / b)) - 100 with a double quotient and an exact extended product.
double StepFor(int32_t area, int32_t base)
{
    if (base <= 0)
        return 0;
    const double quotient = double(area) / double(base);
    return double(Trunc(100.0L * static_cast<long double>(quotient))) - 100.0;
}
}

double FitStep(int32_t areaHeight, int32_t areaWidth, int32_t baseHeight, int32_t baseWidth)
{
    if (baseWidth < baseHeight)
        return StepFor(areaHeight, baseHeight);
    return StepFor(areaWidth, baseWidth);
}

double HeightFitStep(int32_t areaHeight, int32_t baseHeight)
{
    return StepFor(areaHeight, baseHeight);
}

int64_t ZoomFitStep(int32_t areaHeight, int32_t areaWidth, int32_t baseHeight, int32_t baseWidth)
{
    double f = FitStep(areaHeight, areaWidth, baseHeight, baseWidth);
    if (ScaleDimension(baseHeight, int64_t(f) + 100) > areaHeight)
        f = HeightFitStep(areaHeight, baseHeight);
    return int64_t(f);
}

int64_t ParseZoomStep(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? value : kDefaultStep;
}
}
