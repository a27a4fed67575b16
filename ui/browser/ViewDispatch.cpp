// SPDX-License-Identifier: GPL-3.0-or-later
// The popup's door to the full-screen window: the entry's tag chooses the mode.
#include <memory>
#include <QAction>
#include <QCoreApplication>
#include "platform/Platform.h"
#include "ui/common/PopupTags.h"
#include "ui/browser/Viewmain.h"
#include "ui/fullscreen/Full.h"
#include "ui/zoom/Zoom.h"
#include "platform/Messages.h"

int TViewForm::ImageListIndexOf(const QString& entry) const
{
    return CurrentImageList().IndexOf(entry);
}

void TViewForm::mniFullScreenClick(QAction* sender)
{
    if (PicList.Current == 0 || !sender)
        return;
    const int tag = sender->data().toInt();
    if (tag == kTagZoom) {
        OpenZoom();
        return;
    }
    const ImageList images = CurrentImageList();
    auto full = std::make_unique<TFullForm>(this, m_platform, images);
    bool show = true;
    const QSize screen = m_platform.ScreenSize();
    full->ScreenHeight = screen.height();
    full->ScreenWidth = screen.width();
    full->ShownFile = ImageInfo.FileName;
    // The list by the search mode alone: the slide set-up may widen it to a folder-tree search.
    full->CurrentIndex = images.IndexOf(full->ShownFile);
    full->LastIndex = images.Count() - 1;
    full->FitMode = tag != kTagShowFullSize;
    full->PrintMode = tag == kTagPrintAsIs || tag == kTagPrintFullPage;
    full->PrintToPage = tag != kTagPrintAsIs;
    full->ImageNumber = PicList.Current;
    full->ClickedThumbnail = Thumbnail(PicList.Current);
    // While the slide panel is open every full-screen entry opens a show with its settings.
    if (!pnlSlide->isHidden()) {
        show = SlideSetUp(*full);
    } else {
        full->SlideSeconds = 0;
        full->IncludeSubs = false;
    }
    // Delete, Ctrl+Z and the turns in the window act here, where the page follows; not in a
    // show over another list than the page's.
    if (full->Images.From() == images.From()) {
        full->OnTrash = [this](const QString& entry) { return TrashEntry(entry); };
        full->OnUndo = [this] {
            // Only a file trashed from the list the window steps through comes back there.
            if (m_trashed.empty() || m_trashed.back().path != FullPath(m_trashed.back().entry)) {
                m_platform.Beep();
                return QString();
            }
            return UndoTrash();
        };
        full->OnTurn = [this, shown = QPointer<TFullForm>(full.get())](const QString& entry, Turn turn) {
            TurnEntry(entry, turn, [shown, entry] {
                if (shown)
                    shown->ShowAgain(entry);
            });
        };
    }
    // The main window closed while the folder-tree search let messages through: no show.
    if (show && !Terminating)
        m_platform.ShowModal(*full);
    full.reset();
    if (!show)
        ShowInformation(m_platform, tr("No Images found for SlideShow."));
    // Screen coordinates from the window's size alone, not its position.
    m_platform.SetCursorPos(QPoint(width() / 2, height() / 2));
}

void TViewForm::OpenZoom()
{
    TImage* clicked = Thumbnail(PicList.Current);
    if (!clicked)
        return;
    // The thumbnail keeps only its reduced copy: the picture is read from its file again.
    TPicture whole;
    if (clicked->Picture().HasGraphic())
        whole.LoadFromFile(CurrentImageList().FullPath(clicked->Hint()));
    auto zoom = std::make_unique<TZoomForm>(this, m_platform, whole);
    zoom->PictureExt = ImageInfo.Ext;
    zoom->ThumbIndex = PicList.Current;
    zoom->ImageInfo = ImageInfo;
    const QSize screen = m_platform.ScreenSize();
    zoom->ScreenHeight = screen.height();
    zoom->ScreenWidth = screen.width();
    m_platform.ShowModal(*zoom);
}

void TViewForm::mniPrintClick(QAction* sender)
{
    mniFullScreenClick(sender);
}
