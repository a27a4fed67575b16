// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The About window's pictures, drawn here: a 32 x 32 logo, a 114 x 41 decorative strip and
// the OK button's check mark. Both pictures use only the sixteen standard colours.
#include <QIcon>
#include <QImage>

QImage MakeAboutLogo();
QImage MakeAboutDecoration();
QIcon MakeCheckMarkPicture();
