// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Pictures of the toolbar buttons, drawn here so they never depend on an icon theme.
#include <QIcon>

enum class ButtonPicture { GreenLight, RedLight, Help, Slide, Search, First, Previous, Next, Last };
QIcon MakeButtonPicture(ButtonPicture which);
