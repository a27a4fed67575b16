// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/print/PicturePrint.h"
#include <memory>
#include <stdexcept>
#include "picture/SaveRules.h"
#include "platform/Platform.h"
#include "ui/print/PrintPlace.h"

PrintOutcome RunPictureJob(Platform& platform, QWidget* parent, const PictureOrder& order)
{
    if (!order.picture || order.picture->Empty())
        throw std::runtime_error("There is no picture to print");
    // The full-size pixels are made before the job begins, so a picture that fails to
    // decode never leaves a job half sent.
    const TBitmap pixels = FullSizeBitmap(*order.picture);
    const std::unique_ptr<PrintJob> job = platform.CreatePrintJob(parent);
    // The placement lives for this job only; leaving by a failure drops it and the job,
    // which abandons an unfinished job.
    const auto place = std::make_unique<TPrintPlace>(platform, *job);
    place->InitPrintFont(10);
    place->SetupPage(0, 0, 0, 0); // a picture prints without margins

    PrintOutcome outcome;
    outcome.pageHeight = place->PrintHeight;
    outcome.pageWidth = place->PrintWidth;
    outcome.placement = PlacePicture(order.width, order.height, place->PrintWidth, place->PrintHeight, order.toPage,
                                     place->PixelsX, place->PixelsY);
    job->SetLandscape(outcome.placement.landscape);
    if (!job->Begin(order.documentName))
        return outcome;
    const TPrintRect& r = outcome.placement.rect;
    job->DrawImage(QRect(r.left, r.top, r.right - r.left, r.bottom - r.top), pixels.Image());
    job->End();
    outcome.printed = true;
    return outcome;
}
