// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One picture printed on one page of the selected printer: the job, its placement and the
// drawing. A failure of the printer propagates after the job has been abandoned.
#include <cstdint>
#include <QString>
#include "ui/print/Placement.h"

class Platform;
class QWidget;
class TGraphic;

struct PictureOrder {
    TGraphic* picture = nullptr;
    int32_t width = 0; // the size the placement uses: the picture shown
    int32_t height = 0;
    bool toPage = true;   // scaled to the page; clear: as is
    QString documentName; // the job's name
};

struct PrintOutcome {
    bool printed = false;                  // false when the user declined (no PDF file chosen)
    int32_t pageWidth = 0, pageHeight = 0; // printable area in portrait
    PagePlacement placement;
};

PrintOutcome RunPictureJob(Platform& platform, QWidget* parent, const PictureOrder& order);
