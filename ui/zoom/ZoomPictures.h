// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Pictures of the zoom panel's buttons, drawn here so they never depend on an icon theme.
#include <QIcon>

enum class ZoomPicture { Fit, In, Out, Reset, Save, Return };
QIcon MakeZoomPicture(ZoomPicture which);
