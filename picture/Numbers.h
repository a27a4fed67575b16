// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Rounding rules shared by every geometry rule of the program.
// Round takes a long double on purpose: a product first stored in a double
// can lose the digits that decide an exact half.
#include <cmath>
#include <cstdint>

// Nearest whole number, ties to even (2.5 -> 2, 3.5 -> 4) under the default rounding mode.
inline int32_t Round(long double x)
{
    return static_cast<int32_t>(std::nearbyintl(x));
}

// Toward zero.
inline int32_t Trunc(long double x)
{
    return static_cast<int32_t>(x);
}
