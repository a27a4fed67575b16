// The popup's door to the full-screen window: the entry's tag chooses the mode.
#include <memory>
#include <QAction>
#include <QCoreApplication>
#include "platform/Platform.h"
#include "ui/browser/Viewmain.h"
#include "ui/fullscreen/Full.h"

namespace {
// Tags of the popup entries that reach mniFullScreenClick.
enum FullScreenTag { kZoom = 0, kShowInScreen = 1, kShowFullSize = 2, kPrintAsIs = 4, kPrintFullPage = 5 };
}

int TViewForm::ImageListIndexOf(const QString& entry) const
{
    const int count = ImageListCount();
    for (int i = 0; i < count; ++i)
        if (ImageListEntry(i).compare(entry, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void TViewForm::mniFullScreenClick(QAction* sender)
{
    if (PicList.Current == 0 || !sender)
        return;
    const int tag = sender->data().toInt();
    if (tag == kZoom)
        return; // the zoom window comes with its own feature
    auto full = std::make_unique<TFullForm>(*this, m_platform);
    bool show = true;
    const QSize screen = m_platform.ScreenSize();
    full->ScreenHeight = screen.height();
    full->ScreenWidth = screen.width();
    full->ShownFile = ImageInfo.FileName;
    // The list by the search mode alone: the slide set-up may widen it to a folder-tree search.
    full->CurrentIndex = ImageListIndexOf(full->ShownFile);
    full->LastIndex = ImageListCount() - 1;
    full->FitMode = tag != kShowFullSize;
    full->PrintMode = tag == kPrintAsIs || tag == kPrintFullPage;
    full->PrintToPage = tag != kPrintAsIs;
    full->ImageNumber = PicList.Current;
    // While the slide panel is open every full-screen entry opens a show with its settings.
    if (!pnlSlide->isHidden()) {
        show = SlideSetUp(*full);
    } else {
        full->SlideSeconds = 0;
        full->IncludeSubs = false;
    }
    // The main window closed while the folder-tree search let messages through: no show.
    if (show && !Terminating)
        m_platform.ShowModal(*full);
    full.reset();
    if (!show)
        m_platform.ShowMessage(MessageKind::Information, QCoreApplication::applicationName(),
                               QStringLiteral("No Images found for SlideShow."));
    // Screen coordinates from the window's size alone, not its position.
    m_platform.SetCursorPos(QPoint(width() / 2, height() / 2));
}

void TViewForm::mniPrintClick(QAction* sender)
{
    mniFullScreenClick(sender);
}
