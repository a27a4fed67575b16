// SPDX-License-Identifier: GPL-3.0-or-later
// The zoom window's sub-section: the selection band dragged over the picture, the cut that
// makes the part inside it the new base, and Reset back to the cut and to the whole picture.
#include "base/ScopeExit.h"
#include <algorithm>
#include <cstdlib>
#include <QCoreApplication>
#include <QScrollBar>
#include <QToolButton>
#include "platform/Messages.h"
#include "ui/zoom/FocusOutline.h"
#include "ui/zoom/Zoom.h"
#include "ui/zoom/ZoomImage.h"

namespace {
constexpr int kMinBand = 5; // a band narrower than this on a side cuts nothing
const char* const kTooNarrow = QT_TRANSLATE_NOOP("TZoomForm", "Selection too narrow");
}

QRect TZoomForm::NormaliseRect(QPoint a, QPoint b)
{
    const QPoint topLeft(std::min(a.x(), b.x()), std::min(a.y(), b.y()));
    return QRect(topLeft, QSize(std::abs(a.x() - b.x()), std::abs(a.y() - b.y())));
}

void TZoomForm::imgZoomMouseDown(Qt::MouseButton button, QPoint pos)
{
    // Only the left button selects (the middle one scrolls), and only on a picture.
    if (button != Qt::LeftButton || BaseBitmap().Empty())
        return;
    const QSize zoomed = imgZoom->ZoomedSize();
    if (pos.x() > zoomed.width() || pos.y() > zoomed.height())
        return;
    StopPlaying(); // the band cuts the first frame
    ReadScrollOffsets();
    // Held in window coordinates while dragged, as the band is drawn on the window.
    SelAnchor = pos - QPoint(HorzOffset, VertOffset);
    SelRect = QRect(SelAnchor, QSize(0, 0));
    Selecting = true;
}

void TZoomForm::TrackSelection(QPoint pos)
{
    ReadScrollOffsets();
    SelRect = NormaliseRect(SelAnchor, pos - QPoint(HorzOffset, VertOffset));
    SelBand->Place(SelRect, devicePixelRatioF());
}

void TZoomForm::imgZoomMouseUp(QPoint pos)
{
    if (!Selecting)
        return;
    const ScopeExit playOn([this] { ResumePlaying(); }); // unless a sub-section was cut
    // A click or a tiny drag is no selection.
    if (SelRect.width() < kMinBand && SelRect.height() < kMinBand) {
        SelBand->Remove();
        return;
    }
    if (SelRect.width() < kMinBand || SelRect.height() < kMinBand) {
        SelBand->Remove();
        ShowInformation(m_platform, tr(kTooNarrow));
        return;
    }
    TrackSelection(pos);
    SelBand->Remove();
    // Only what lies on the picture is cut: a band released beyond its right or bottom edge
    // ends there.
    const QRect band =
        SelRect.translated(HorzOffset, VertOffset).intersected(QRect(QPoint(0, 0), imgZoom->ZoomedSize()));
    if (band.width() < kMinBand || band.height() < kMinBand) {
        ShowInformation(m_platform, tr(kTooNarrow));
        return;
    }
    // The band's dotted line is left out, and one more row and column at the right and bottom.
    SelRect = QRect(band.x() + 1, band.y() + 1, band.width() - 3, band.height() - 3);
    Selecting = false;
    if (!CutSelection())
        return;
    UpdateReadouts();
    btnZFit->setEnabled(true);
    for (QScrollBar* bar : {VertScrollBar(), HorzScrollBar()})
        bar->setValue(0);
}

bool TZoomForm::CutSelection()
{
    // Made aside, so that a failure leaves the earlier picture and base as they were.
    std::unique_ptr<TBitmap> cut;
    try {
        cut = std::make_unique<TBitmap>(ZoomedPixels(SelRect));
    } catch (...) {
        ShowError(m_platform, tr("Could not copy selected area"));
        return false;
    }
    SubSectionBitmap = std::move(cut);
    HasSubSection = true;
    ShowBase(*SubSectionBitmap);
    UpdateReadouts();
    BaseHeight = CurHeight;
    BaseWidth = CurWidth;
    return true;
}

void TZoomForm::btnResetClick()
{
    // A zoomed sub-section goes back to the cut; the cut at 100 per cent, or the whole
    // picture, goes back to the whole picture. The sub-section is kept for nothing but a
    // later cut to replace.
    if (HasSubSection && ZoomRatio == 100) {
        HasSubSection = false;
        ResumePlaying();
    }
    const TBitmap& base = BaseBitmap();
    if (!base.Empty())
        ShowBase(base);
    ResetZoomState();
    UpdateReadouts();
    BaseHeight = CurHeight;
    BaseWidth = CurWidth;
    btnZFit->setEnabled(true);
}
