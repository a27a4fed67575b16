// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The display's colour profile as colour services publish it on X11: the ICC bytes in the
// `_ICC_PROFILE` property of the first screen's root window.
#include <QByteArray>

// The profile, or empty: no X display, no such property, or one that is not 8-bit data or is
// larger than a colour profile is allowed to be. One round trip to the X server.
QByteArray ReadDisplayProfile();
