// SPDX-License-Identifier: GPL-3.0-or-later
// The zoom panel's Save menu, its help panel and the dragging of the panel.
#include <QAction>
#include "base/ScopeExit.h"
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include "platform/Messages.h"
#include "platform/Platform.h"
#include "ui/save/Save.h"
#include "ui/zoom/FocusOutline.h"
#include <QScrollBar>
#include "ui/zoom/Zoom.h"
#include "ui/zoom/ZoomImage.h"

namespace {
constexpr QPoint kMenuOffset(105, 15); // the menu opens left of and above the pointer
constexpr int kHelpMaxWidth = 500;
constexpr int kHelpMargin = 24; // the help panel's right edge lines up with the pinned panel's
constexpr int kDragMargin = 14; // a dragged panel's left edge stays this far inside the right

}

void TZoomForm::btnSaveClick()
{
    StopPlaying(); // the first frame is saved
    const ScopeExit playOn([this] { ResumePlaying(); });
    m_platform.PopupMenu(*pumSave, m_platform.CursorPos() - kMenuOffset);
}

TBitmap TZoomForm::ShownPicture() const
{
    // At 100 per cent the base is what is shown; after a step the whole zoomed picture is
    // made once, here, as the window itself never holds it.
    if (ZoomRatio == 100)
        return BaseBitmap();
    return ZoomedPixels(QRect(0, 0, CurWidth, CurHeight), 24);
}

void TZoomForm::mniSaveClick(QAction* sender)
{
    if (!sender || BaseBitmap().Empty())
        return;
    // The save dialog may change the working folder; the main window's lists resolve against it.
    const ScopeExit keep([this, folder = m_platform.CurrentFolder()] { m_platform.SetCurrentFolder(folder); });
    TBitmap shown;
    try {
        shown = ShownPicture();
    } catch (...) {
        ShowError(m_platform, tr("Could not resize image"));
        return;
    }
    TSaveForm save(this, m_platform);
    save.PictureExt = PictureExt;
    save.SaveKind = sender->data().toInt();
    save.FromZoom = true;
    save.ThumbnailMode = false;
    save.ThumbIndex = ThumbIndex;
    save.ImageInfo = ImageInfo;
    save.SetPicture(&shown);
    m_platform.ShowModal(save);
}

void TZoomForm::btnHelpClick()
{
    pnlHelp->show();
    pnlHelp->raise();
    FitHelpToText();
    pnlHelp->move(m_platform.ScreenSize().width() - pnlHelp->width() - kHelpMargin, kHelpTop);
}

void TZoomForm::FitHelpToText()
{
    // The text wraps at the memo's width in the font in use: the panel grows, a line at a time
    // and then wider, until the memo shows it all without scrolling, within the screen.
    const int room = m_platform.ScreenSize().height() - 2 * kHelpTop;
    const int line = mmoHelp->fontMetrics().lineSpacing();
    for (int tries = 0; tries < 100 && mmoHelp->verticalScrollBar()->maximum() > 0; ++tries) {
        QSize grow(0, line);
        if (pnlHelp->height() + line > room) {
            if (pnlHelp->width() >= kHelpMaxWidth)
                break;
            grow = QSize(25, 0);
        }
        pnlHelp->resize(pnlHelp->size() + grow);
        mmoHelp->resize(mmoHelp->size() + grow);
        btnOK->move((pnlHelp->width() - btnOK->width()) / 2, btnOK->y() + grow.height());
    }
}

void TZoomForm::btnOKClick()
{
    pnlHelp->hide();
}

void TZoomForm::btnMoveMouseDown(QPoint pos)
{
    PanelDragging = true;
    DragGrab = pos;
    DragOutline = pnlControl->geometry();
}

void TZoomForm::btnMoveMouseMove(Qt::MouseButtons buttons, QPoint pos)
{
    if (!PanelDragging || !buttons.testFlag(Qt::LeftButton))
        return;
    const int left = pnlControl->x() + (pos.x() - DragGrab.x());
    if (left < 0 || left > m_platform.ScreenSize().width() - pnlControl->width() - kDragMargin)
        return;
    // Only the outline follows; the panel stays until the release. Up and down are free.
    PanelPos = QRect(left, pnlControl->y() + (pos.y() - DragGrab.y()), pnlControl->width(), pnlControl->height());
    DragOutline = PanelPos;
    PanelOutline->Place(DragOutline);
    PanelOutline->raise();
}

void TZoomForm::btnMoveMouseUp()
{
    if (!PanelDragging)
        return;
    PanelOutline->Remove();
    pnlControl->setGeometry(PanelPos);
    PanelDragging = false;
}
