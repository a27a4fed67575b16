// SPDX-License-Identifier: GPL-3.0-or-later
// The full-screen window's picture: placing it, its scroll ranges, and stepping through
// the image list.
#include <algorithm>
#include <cmath>
#include <QCoreApplication>
#include <QScrollArea>
#include <QScrollBar>
#include "ui/fullscreen/Full.h"
#include "controls/ImageControl.h"
#include "platform/Platform.h"
#include "ui/common/PageModel.h"
#include "platform/Messages.h"

namespace {
// Logical pixels that hold `devicePixels` at the screen's scale.
int LogicalCover(int32_t devicePixels, qreal ratio)
{
    return int(std::ceil(devicePixels / ratio));
}
}

void TFullForm::PlacePicture()
{
    if (FitMode) {
        const QSize screen = DeviceScreen();
        FitToScreen(screen.height(), screen.width(), PictureHeight, PictureWidth, m_fit);
        imgFull->SetPlacement(m_fit);
    } else {
        ShowScrollBars();
    }
}

void TFullForm::ShowScrollBars()
{
    const QSize screen = DeviceScreen();
    const qreal ratio = devicePixelRatioF();
    // A bar takes room from the other side: a picture that fits the screen on one side but
    // not the room the other bar leaves needs a bar on that side as well.
    const int vertThickness = int(std::lround(sbxFull->verticalScrollBar()->sizeHint().width() * ratio));
    const int horzThickness = int(std::lround(sbxFull->horizontalScrollBar()->sizeHint().height() * ratio));
    bool vert = sbxFull->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOn;
    bool horz = sbxFull->horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOn;
    for (int pass = 0; pass < 2; ++pass) {
        vert = vert || PictureHeight > screen.height() - (horz ? horzThickness : 0);
        horz = horz || PictureWidth > screen.width() - (vert ? vertThickness : 0);
    }
    if (vert && PictureHeight > 0) {
        m_vertRange = std::max(m_vertRange, PictureHeight);
        sbxFull->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    }
    if (horz && PictureWidth > 0) {
        m_horzRange = std::max(m_horzRange, PictureWidth);
        sbxFull->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    }
    // The picture widget covers the larger of the view and the ranges; unstretched, the
    // picture stands centred in it at one picture pixel per device pixel.
    imgFull->setMinimumSize(LogicalCover(m_horzRange, ratio), LogicalCover(m_vertRange, ratio));
    imgFull->SetPlacement(m_fit);
}

void TFullForm::LoadIntoFull(const QString& entry, bool fit)
{
    TPicture fresh;
    fresh.OnProgress = [this](const ProgressReport& report) { imgFull->PassProgress(report); };
    if (fit)
        fresh.LoadViewFromFile(entry, DeviceScreen());
    else
        fresh.LoadFromFile(entry);
    // Decoded before it replaces the shown picture, so a file that fails half-way leaves
    // the previous picture standing. The target is where it will be drawn.
    TGraphic* graphic = fresh.Graphic();
    if (graphic && !graphic->Empty()) {
        ControlGeometry placement = m_fit;
        const QSize screen = DeviceScreen();
        if (fit)
            FitToScreen(screen.height(), screen.width(), fresh.Height(), fresh.Width(), placement);
        const QSize target =
            TImage::PictureRectFor(placement, imgFull->DeviceSize(), QSize(fresh.Width(), fresh.Height())).size();
        if (!target.isEmpty() && graphic->NeedsPrepare(target))
            graphic->Prepare(target);
    }
    StopPlaying();
    imgFull->Picture().Assign(fresh); // shares the decoded data
    PlayPicture();
}

void TFullForm::StepImage(bool forward)
{
    const int32_t index = CurrentIndex + (forward ? 1 : -1);
    // Also an empty list (LastIndex -1).
    if (index < 0 || index > LastIndex) {
        m_platform.Beep();
        return;
    }
    ShowListEntry(index);
}

void TFullForm::StepToEnd(bool last)
{
    // Entries that are no picture are passed over, as stepping passes them.
    int32_t index = last ? LastIndex : 0;
    while (index >= 0 && index <= LastIndex && !IsImageExtension(ExtensionOf(ImageListEntry(index)).toLower()))
        index += last ? -1 : 1;
    // Nothing to go to, or there already: as a step beyond the end.
    if (index < 0 || index > LastIndex || (index == CurrentIndex && ShownFile == ImageListEntry(index))) {
        m_platform.Beep();
        return;
    }
    ShowListEntry(index);
}

void TFullForm::TrashShown()
{
    if (!OnTrash || CurrentIndex < 0 || ShownFile.isEmpty() || ImageListEntry(CurrentIndex) != ShownFile) {
        m_platform.Beep();
        return;
    }
    if (!OnTrash(ShownFile))
        return;
    LastIndex = Images.Count() - 1;
    if (LastIndex < 0) {
        close();
        return;
    }
    ShowListEntry(std::min(CurrentIndex, LastIndex));
}

void TFullForm::UndoTrashShown()
{
    const QString entry = OnUndo ? OnUndo() : QString();
    if (entry.isEmpty()) {
        if (!OnUndo)
            m_platform.Beep();
        return;
    }
    LastIndex = Images.Count() - 1;
    const int index = Images.IndexOf(entry);
    if (index >= 0)
        ShowListEntry(index);
}

void TFullForm::TurnShown(Turn turn)
{
    if (!OnTurn || CurrentIndex < 0 || ShownFile.isEmpty() || ImageListEntry(CurrentIndex) != ShownFile) {
        m_platform.Beep();
        return;
    }
    OnTurn(ShownFile, turn);
}

void TFullForm::ShowAgain(const QString& entry)
{
    if (entry == ShownFile && CurrentIndex >= 0 && ImageListEntry(CurrentIndex) == entry)
        ShowListEntry(CurrentIndex);
}

void TFullForm::ShowListEntry(int32_t index)
{
    CurrentIndex = index;
    const QString entry = ImageListEntry(CurrentIndex);
    // Not a picture (a metafile, say): passed over, but the index has moved, so the next key
    // goes on from here.
    if (!IsImageExtension(ExtensionOf(entry).toLower()))
        return;
    try {
        LoadIntoFull(entry, FitMode);
    } catch (...) {
        // The previous picture, its entry and size stay; the index stays on the failed entry.
        ShowError(m_platform, tr("Cannot load image : ") + entry);
        return;
    }
    ShownFile = entry;
    PictureHeight = imgFull->Picture().Height();
    PictureWidth = imgFull->Picture().Width();
    PlacePicture();
}
