// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The zoom window's arithmetic, free of widgets so that tests call it directly. Ratios and
// steps are per cent of the base bitmap's size; 64-bit so that a typed step of any size
// cannot overflow before the size checks refuse it.
#include <cstdint>
#include <QString>

namespace ZoomRules {
// The smallest zoomed side a step may give, and the default step.
inline constexpr int64_t kMinSide = 5;
inline constexpr int32_t kDefaultStep = 10;

// size x (ratio / 100), the quotient and product in extended precision, rounded to nearest
// with ties to even: the extended quotient decides the decimal halves (190 at 15 gives 29).
int64_t ScaleDimension(int64_t size, int64_t ratio);
// True for a side a step may give (5 or more).
bool ZoomSizeAllowed(int64_t side);
// The step that fits the base into the area: by height for an upright picture, else by width.
// The quotient is a double, the product with 100 exact before truncation (700 / 1000 gives -31).
double FitStep(int32_t areaHeight, int32_t areaWidth, int32_t baseHeight, int32_t baseWidth);
double HeightFitStep(int32_t areaHeight, int32_t baseHeight);
// Zoom Fit's step: FitStep, bounded by HeightFitStep when the height would overflow the area.
int64_t ZoomFitStep(int32_t areaHeight, int32_t areaWidth, int32_t baseHeight, int32_t baseWidth);
// The step box's text as a step: a decimal integer as typed (any sign), anything else 10.
int64_t ParseZoomStep(const QString& text);
}
