// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The failure text a call ends with, or empty when it returns normally.
#include <functional>

#include <QString>

#include "picture/Failure.h"

inline QString ErrorOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const Failure& e) {
        return e.Text();
    }
    return {};
}
