// SPDX-License-Identifier: GPL-3.0-or-later
// The zoom window's steps: zoom in and out, Zoom Fit, the read-outs, the scroll bars and the
// pinning of the control panel.
#include <cmath>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include "controls/UpDownEdit.h"
#include "picture/DibImage.h"
#include "picture/Failure.h"
#include "picture/Limits.h"
#include "platform/Messages.h"
#include "platform/Platform.h"
#include "ui/zoom/FocusOutline.h"
#include "base/ScopeExit.h"
#include "ui/zoom/Zoom.h"
#include "ui/zoom/ZoomImage.h"
#include "ui/zoom/ZoomRules.h"

namespace {
constexpr int kPanelMargin = 24; // room for a vertical scroll bar right of the panel

}

const TBitmap& TZoomForm::BaseBitmap() const
{
    static const TBitmap none;
    const std::unique_ptr<TBitmap>& base = HasSubSection ? SubSectionBitmap : WholeBitmap;
    return base ? *base : none;
}

void TZoomForm::ResetZoomState()
{
    ZoomRatio = 100;
}

void TZoomForm::btnZoomClick(QObject* sender)
{
    StepZoom(sender == btnZIn);
}

bool TZoomForm::StepZoom(bool zoomIn)
{
    // The hourglass while a step runs and its picture is drawn, also when the step fails.
    m_platform.SetBusyCursor(true);
    const ScopeExit idle([this] { m_platform.SetBusyCursor(false); });
    const int64_t step = ZoomRules::ParseZoomStep(edtZoomRate->Text());
    ZoomStep = int32_t(step);
    const int64_t ratio = int64_t(ZoomRatio) + (zoomIn ? step : -step);
    const TBitmap& base = BaseBitmap();
    const bool done = !base.Empty() && ResampleBase(base, *imgZoom, ratio);
    if (done)
        imgZoom->repaint(); // drawn under the busy cursor: the drawing is most of a step's time
    UpdateReadouts();
    btnZFit->setEnabled(true);
    return done;
}

bool TZoomForm::CheckZoomSize(int64_t dimension)
{
    if (ZoomRules::ZoomSizeAllowed(dimension))
        return true;
    ShowInformation(m_platform, tr("Too Much Zoom Out"));
    return false;
}

bool TZoomForm::ResampleBase(const TBitmap& source, TZoomImage& destination, int64_t ratio)
{
    const int64_t h = ZoomRules::ScaleDimension(source.Height(), ratio);
    if (!CheckZoomSize(h))
        return false;
    const int64_t w = ZoomRules::ScaleDimension(source.Width(), ratio);
    if (!CheckZoomSize(w))
        return false;
    // Beyond the picture layer's limit no whole zoomed picture could ever be cut or saved.
    if (h > PictureLimits::kMaxSide || w > PictureLimits::kMaxSide) {
        ShowError(m_platform, tr("Could not resize image"));
        return false;
    }
    Show(source, destination, int32_t(ratio), QSize(int(w), int(h)));
    return true;
}

void TZoomForm::ShowBase(const TBitmap& source)
{
    Show(source, *imgZoom, 100, QSize(source.Width(), source.Height()));
}

void TZoomForm::Show(const TBitmap& source, TZoomImage& destination, int32_t ratio, QSize zoomed)
{
    // The picture is drawn from the base as it is shown, so a new base is all a step needs.
    ZoomSource& pixels = destination.Source();
    if (!pixels.Holds(source))
        pixels.SetBase(source);
    ZoomRatio = ratio;
    destination.SetZoomedSize(zoomed);
}

void TZoomForm::btnZFitClick()
{
    const int32_t kept = ZoomStep;
    const QSize screen = DeviceScreen();
    const int64_t f = ZoomRules::ZoomFitStep(screen.height(), screen.width(), BaseHeight, BaseWidth);
    edtZoomRate->SetText(QString::number(f));
    // The step is taken from 100 per cent, as the box now says; a refused step changes nothing.
    const int32_t before = ZoomRatio;
    ZoomRatio = 100;
    if (!StepZoom(true)) {
        ZoomRatio = before;
        UpdateReadouts();
    }
    ZoomStep = kept;
    edtZoomRate->SetText(QString::number(kept));
    btnZFit->setEnabled(false);
}

void TZoomForm::UpdateReadouts()
{
    const QSize zoomed = imgZoom->ZoomedSize();
    CurHeight = zoomed.height();
    CurWidth = zoomed.width();
    edtRatio->setText(QString::number(ZoomRatio));
    edtHeight->setText(QString::number(CurHeight));
    edtWidth->setText(QString::number(CurWidth));
    ShowZoomScrollBars();
}

void TZoomForm::ShowZoomScrollBars()
{
    const QSize screen = DeviceScreen();
    m_vertShown = CurHeight > screen.height();
    m_horzShown = CurWidth > screen.width();
    if (m_vertShown) {
        // A panel dragged over the bar's place moves back beside it.
        const int limit = m_platform.ScreenSize().width() - pnlControl->width() - kPanelMargin;
        if (pnlControl->x() > limit) {
            pnlControl->move(limit, pnlControl->y());
            PanelPos.moveLeft(limit);
        }
    }
    sbxZoom->setVerticalScrollBarPolicy(m_vertShown ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    sbxZoom->setHorizontalScrollBarPolicy(m_horzShown ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
    imgZoom->Cover(sbxZoom->viewport()->size());
}

int32_t TZoomForm::VertRange() const
{
    return m_vertShown ? CurHeight : 0;
}

int32_t TZoomForm::HorzRange() const
{
    return m_horzShown ? CurWidth : 0;
}

void TZoomForm::ReadScrollOffsets()
{
    // In zoomed (device) pixels, as the picture is measured.
    const qreal ratio = devicePixelRatioF();
    VertOffset = m_vertShown ? int32_t(std::lround(VertScrollBar()->value() * ratio)) : 0;
    HorzOffset = m_horzShown ? int32_t(std::lround(HorzScrollBar()->value() * ratio)) : 0;
}

void TZoomForm::PlaceControlPanel()
{
    const int left = m_platform.ScreenSize().width() - pnlControl->width() - kPanelMargin;
    pnlControl->move(left, 5);
    PanelPos = pnlControl->geometry();
}

void TZoomForm::FormPaint()
{
    // During a drag only the outline moves; the panel follows on release.
    if (!PanelDragging && pnlControl->pos() != PanelPos.topLeft() && PanelPos.isValid())
        pnlControl->setGeometry(PanelPos);
}

void TZoomForm::WMVScroll()
{
    if (pnlControl->y() != PanelPos.y())
        FormPaint();
}

void TZoomForm::WMHScroll()
{
    if (pnlControl->x() != PanelPos.x())
        FormPaint();
}

void TZoomForm::imgZoomMouseMove(Qt::MouseButtons buttons, QPoint pos)
{
    // Window coordinates, which are screen coordinates here (the window covers the screen),
    // in device pixels like the picture; not corrected for scrolling.
    const QPoint logical = mapFromGlobal(m_platform.CursorPos());
    const qreal ratio = devicePixelRatioF();
    const QPoint p(int(std::lround(logical.x() * ratio)), int(std::lround(logical.y() * ratio)));
    const QSize zoomed = imgZoom->ZoomedSize();
    if (p.x() <= zoomed.width() && p.y() <= zoomed.height()) {
        edtMX->setText(QString::number(p.x()));
        edtMY->setText(QString::number(p.y()));
    } else {
        edtMX->clear();
        edtMY->clear();
        return; // off the picture the band stays as it was
    }
    if (!Selecting)
        return;
    if (buttons.testFlag(Qt::LeftButton)) {
        TrackSelection(pos);
    } else {
        // The release was missed (outside the window): the band is given up.
        Selecting = false;
        SelBand->Remove();
    }
}

TBitmap TZoomForm::ZoomedPixels(const QRect& area, int bitCount) const
{
    // Made a band of rows at a time straight into the bitmap: the only whole copy.
    constexpr int kBandRows = 256;
    auto dib = NewDib(area.width(), area.height(), uint16_t(bitCount));
    for (int top = 0; top < area.height(); top += kBandRows) {
        const QRect band(area.left(), area.top() + top, area.width(), std::min(kBandRows, area.height() - top));
        const QImage pixels = imgZoom->Region(band);
        if (pixels.isNull())
            throw Failure(kOutOfResources);
        for (int r = 0; r < band.height(); ++r) {
            const auto* s = reinterpret_cast<const uint32_t*>(pixels.constScanLine(r));
            uint8_t* d = dib->Row(top + r);
            for (int x = 0; x < band.width(); ++x) {
                if (bitCount == 32) {
                    reinterpret_cast<uint32_t*>(d)[x] = s[x] | 0xFF000000u;
                } else {
                    d[3 * x] = uint8_t(s[x]);
                    d[3 * x + 1] = uint8_t(s[x] >> 8);
                    d[3 * x + 2] = uint8_t(s[x] >> 16);
                }
            }
        }
    }
    return TBitmap(std::move(dib));
}
