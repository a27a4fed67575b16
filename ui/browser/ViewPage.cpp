// SPDX-License-Identifier: GPL-3.0-or-later
// The thumbnail page: reloading the image list, loading a page, laying out its cells,
// and the page moves.
#include <QCoreApplication>
#include <QFileInfo>
#include <QListWidget>
#include <QLineEdit>
#include <QToolButton>
#include "controls/FileListBox.h"
#include "picture/Failure.h"
#include "ui/common/Geometry.h"
#include "controls/ImageControl.h"
#include "controls/DirectoryListBox.h"
#include "picture/Numbers.h"
#include "picture/Picture.h"
#include <cmath>
#include "picture/PictureFormats.h"
#include "picture/PictureThumbnail.h"
#include "platform/Platform.h"
#include "controls/RadioGroup.h"
#include "controls/ScreenColour.h"
#include "ui/browser/Viewmain.h"
#include "controls/DecodeQueue.h"
#include "platform/Messages.h"

namespace {}

ImageList TViewForm::CurrentImageList() const
{
    return ImageList(SearchMode ? ImageList::Source::Search : ImageList::Source::Folder, FileListBox1,
                     pnlSearch->Results(), PicList.Folder);
}

int TViewForm::ImageListCount() const
{
    return CurrentImageList().Count();
}

QString TViewForm::ImageListEntry(int index) const
{
    return CurrentImageList().Entry(index);
}

QString TViewForm::FullPath(const QString& entry) const
{
    return CurrentImageList().FullPath(entry);
}

void TViewForm::LoadDirectory()
{
    try {
        if (DirectoryListBox1->Directory().isEmpty()) {
            ShowInformation(m_platform, tr("No directory"));
            return;
        }
        ResetPaging(PicList);
        PicList.Total = ImageListCount();
        if (PicList.Total == 0)
            ClearPage();
        edtImageCount->setText(QString::number(PicList.Total));
        edtImageCount->repaint();
        LoadPage();
    } catch (...) {
        ShowError(m_platform, tr("Cannot load directory"));
    }
}

void TViewForm::LoadPage()
{
    if (PicList.Total <= 0)
        return;
    const quint64 generation = ++m_pageGeneration;
    try {
        m_decodeQueue->Clear(); // decodes of the page being left are dropped
        ClearPage();
        // A page load started from inside ClearPage's message processing has taken over.
        if (generation != m_pageGeneration)
            return;
        if (!SearchMode)
            PicList.Folder = m_platform.CurrentFolder();
        UpdateScreenColour(m_platform); // a display profile changed meanwhile shows from this page on
        PicList.Shown = 0;
        for (int k = 1; k <= PageSize; ++k) {
            LoadThumbnail(k);
            if (generation != m_pageGeneration)
                return; // a message box let a newer page load run; it owns the page now
        }
        EndPageLoad();
    } catch (...) {
        ShowError(m_platform, tr("Cannot load image : ") + CurrentFailureText());
    }
}

void TViewForm::EndPageLoad()
{
    if (!SearchMode)
        edtCount->setText(QString::number(PicList.NextIndex));
    const NavigatorState nav = NavigatorAfterLoad(PicList, PageSize);
    btnDown->setEnabled(nav.nextEnabled);
    btnLast->setEnabled(nav.nextEnabled);
    btnUp->setEnabled(nav.previousEnabled);
    btnFirst->setEnabled(nav.previousEnabled);
    ShowChoice();
}

void TViewForm::LoadThumbnail(int k)
{
    if (PicList.NextIndex >= PicList.Total)
        return;
    const QString entry = ImageListEntry(PicList.NextIndex);
    const QString ext = ExtensionOf(entry).toLower();
    if (IsImageExtension(ext)) {
        TImage* img = Thumbnail(k);
        if (!img) {
            ShowError(m_platform, tr("Cannot load image : ") + entry);
        } else {
            try {
                if (LoadCell) {
                    LoadCell(img, entry, CellGeometry(k));
                } else {
                    // The file is not touched here: a worker reads its header with the decode
                    // (a slow disk never holds up the window), and the cell is shaped to the
                    // picture when the header's facts come back (ThumbnailSized).
                    const ControlGeometry cell = CellGeometry(k);
                    const qreal ratio = img->devicePixelRatioF();
                    img->Picture().SetThumbnailFile(entry, [cell, ratio](QSize picture) {
                        ControlGeometry fit = cell;
                        FitThumbnail(fit, picture.height(), picture.width());
                        // In device pixels, as the cell draws a stretched picture.
                        return fit.stretch
                            ? QSize(int(std::lround(fit.width * ratio)), int(std::lround(fit.height * ratio)))
                            : picture;
                    });
                    img->SetStretch(true);
                    img->SetHint(entry);
                    m_decodeQueue->Start(img, img->DrawSize());
                }
            } catch (...) {
                const QString text = CurrentFailureText();
                img->Picture().Clear();
                ShowError(m_platform, tr("Cannot load image : ") + entry + QStringLiteral(" - ") + text);
            }
        }
    }
    PicList.Shown += 1;
    if (PicList.NextIndex < PicList.Total)
        PicList.NextIndex += 1;
}

void TViewForm::ClearPage()
{
    for (int i = 1; i <= kThumbnails; ++i) {
        TImage* img = m_images[i - 1];
        img->Picture().Clear();
        img->SetHint(QString());
        img->setVisible(i <= PageSize);
    }
    m_choiceFrame->hide();
    m_platform.ProcessMessages();
    LayoutGrid();
}

ControlGeometry TViewForm::CellGeometry(int k) const
{
    const int s = GridSide;
    const int cellHeight = Round((pnlImage->height() - (s + 1) * 6) / static_cast<long double>(s));
    const int cellWidth = Round((pnlImage->width() - (s + 1) * 6) / static_cast<long double>(s));
    const int r = (k - 1) / s + 1;
    const int c = (k - 1) % s + 1;
    return ControlGeometry {(r - 1) * (cellHeight + 6) + 6, (c - 1) * (cellWidth + 6) + 6, cellHeight, cellWidth,
                            false};
}

void TViewForm::LayoutGrid()
{
    try {
        for (int k = 1; k <= PageSize; ++k) {
            const ControlGeometry cell = CellGeometry(k);
            TImage* img = m_images[k - 1];
            img->setGeometry(cell.left, cell.top, cell.width, cell.height);
            img->show();
        }
    } catch (...) {
        ShowError(m_platform, tr("Cannot resize"));
    }
}

void TViewForm::ThumbnailSized(TImage* img)
{
    const int k = img->Tag();
    const TThumbnail* thumbnail = ThumbnailOf(img->Picture().Graphic());
    if (!thumbnail || k < 1 || k > PageSize)
        return;
    if (!thumbnail->FactsKnown()) {
        // A header that cannot be read leaves the cell as a failed load always has: empty.
        img->Picture().Clear();
        img->SetHint(QString());
        return;
    }
    ControlGeometry fit = CellGeometry(k);
    FitThumbnail(fit, img->Picture().Height(), img->Picture().Width());
    img->setGeometry(fit.left, fit.top, fit.width, fit.height);
    img->SetStretch(fit.stretch);
    if (img == Chosen())
        ShowChoice();
}

void TViewForm::ApplyPageMove(PageMove move)
{
    // Before the first search the results list is empty while Total still counts the
    // folder: the page never reads outside its list, so such a move does nothing.
    if (PicList.Total > ImageListCount())
        return;
    switch (ApplyMove(PicList, move, PageSize)) {
    case MoveOutcome::LoadPage: LoadPage(); break;
    case MoveOutcome::Beep: m_platform.Beep(); break;
    case MoveOutcome::Nothing: break;
    }
}

void TViewForm::MoveClick(QToolButton* sender)
{
    if (sender == btnFirst)
        ApplyPageMove(PageMove::First);
    else if (sender == btnUp)
        ApplyPageMove(PageMove::Previous);
    else if (sender == btnDown)
        ApplyPageMove(PageMove::Next);
    else if (sender == btnLast)
        ApplyPageMove(PageMove::Last);
}

void TViewForm::rdgTypeClick()
{
    const int item = rdgType->ItemIndex();
    // "All Graphics", "Jpeg", "Bitmap", "Icon": the registry's masks; "Other": the kinds beyond.
    static const std::optional<GraphicKind> kinds[] = {std::nullopt, GraphicKind::Jpeg, GraphicKind::Bitmap,
                                                       GraphicKind::Icon};
    FileListBox1->SetMask(item == 4 ? OtherFileMask() : FileMask(kinds[item >= 0 && item < 4 ? item : 0]));
}

void TViewForm::rdgCountClick()
{
    const int item = rdgCount->ItemIndex();
    PageSize = PageSizeForItem(item);
    GridSide = GridSideForItem(item < 0 || item > 4 ? 2 : item);
    LoadDirectory();
}

void TViewForm::FileListBox1Change()
{
    if (Starting)
        return;
    const int index = FileListBox1->ItemIndex();
    if (index < 0) {
        LoadDirectory();
        return;
    }
    if (SearchMode)
        return; // the folder's list is not the image list now
    PicList.NextIndex = index;
    LoadPage();
}

void TViewForm::ListEntryClick(bool fromResults, int index)
{
    // A click on an empty part of a list, or on the list that is not the image list,
    // has no entry of the image list to start from.
    if (index < 0 || fromResults != SearchMode || index >= ImageListCount())
        return;
    // A click that selected a new entry has already started the page there.
    if (PicList.Total > 0 && PicList.NextIndex - PicList.Shown == index)
        return;
    PicList.NextIndex = index;
    LoadPage();
}

void TViewForm::AllImageProgress(TImage* sender, const ProgressReport& report)
{
    (void)sender;
    if (report.stage == TProgressStage::Starting) {
        ShowLoadingLight(true);
    } else if (report.stage == TProgressStage::Ending) {
        // The light stays on while more thumbnails of the page wait for their decode.
        if (m_decodeQueue->Pending() == 0)
            ShowLoadingLight(false);
    }
}

void TViewForm::ShowLoadingLight(bool on)
{
    btnStop->setVisible(on);
    if (on)
        btnStop->repaint();
}
