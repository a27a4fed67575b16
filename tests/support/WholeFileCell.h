// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The older page load, for TViewForm::LoadCell: each file read whole on the window's thread,
// its cell shaped to it at once and keeping the whole picture, its decode asked for at the
// cell's first paint. The thumbnail benchmark times it beside the shipped one; a test
// compares the two.
#include "controls/ControlGeometry.h"
#include "controls/ImageControl.h"
#include "ui/common/Geometry.h"

inline void WholeFileCell(TImage* cell, const QString& entry, const ControlGeometry& bounds)
{
    cell->Picture().LoadFromFile(entry);
    ControlGeometry fit = bounds;
    FitThumbnail(fit, cell->Picture().Height(), cell->Picture().Width());
    cell->setGeometry(fit.left, fit.top, fit.width, fit.height);
    cell->SetStretch(fit.stretch);
    cell->SetHint(entry);
}
