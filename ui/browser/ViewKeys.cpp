// SPDX-License-Identifier: GPL-3.0-or-later
// The page and the window by keyboard: the chosen thumbnail and its frame, the keys that move
// the choice and act on it, the window's own keys, and reading the folder again.
#include <algorithm>
#include <QApplication>
#include <QEvent>
#include <QFocusEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScopedValueRollback>
#include "controls/DirectoryListBox.h"
#include "controls/FileListBox.h"
#include "controls/ImageControl.h"
#include "picture/LosslessTurn.h"
#include "platform/Platform.h"
#include "ui/browser/Viewmain.h"

namespace {
constexpr int kFrameGap = 3; // the frame stands in the gap between cells
}

void TViewForm::BuildChoiceFrame()
{
    // The page is one stop of the Tab chain; its keys move the choice.
    pnlImage->setFocusPolicy(Qt::StrongFocus);
    pnlImage->installEventFilter(this);
    m_choiceFrame = new QFrame(pnlImage);
    m_choiceFrame->setObjectName(QStringLiteral("frmChoice"));
    m_choiceFrame->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_choiceFrame->setLineWidth(2);
    m_choiceFrame->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_choiceFrame->hide();
}

TImage* TViewForm::Chosen() const
{
    return PicList.Current >= 1 && PicList.Current <= PicList.Shown ? Thumbnail(PicList.Current) : nullptr;
}

void TViewForm::ChooseThumbnail(int k)
{
    PicList.Current = k;
    ShowChoice();
}

void TViewForm::ShowChoice()
{
    TImage* chosen = Chosen();
    if (!chosen || !chosen->isVisible()) {
        m_choiceFrame->hide();
        return;
    }
    // The window's highlight while the page has the keys, a quiet grey otherwise.
    QPalette palette = m_choiceFrame->palette();
    palette.setColor(QPalette::WindowText, pnlImage->hasFocus() ? palette.color(QPalette::Highlight) : Qt::gray);
    m_choiceFrame->setPalette(palette);
    m_choiceFrame->setGeometry(chosen->geometry().adjusted(-kFrameGap, -kFrameGap, kFrameGap, kFrameGap));
    m_choiceFrame->show();
    m_choiceFrame->raise();
}

bool TViewForm::PageKey(int key, Qt::KeyboardModifiers modifiers)
{
    if (PicList.Shown <= 0)
        return false;
    if (!Chosen())
        ChooseThumbnail(1);
    switch (key) {
    case Qt::Key_Right: StepChoice(1); break;
    case Qt::Key_Left: StepChoice(-1); break;
    case Qt::Key_Down: StepChoice(GridSide); break;
    case Qt::Key_Up: StepChoice(-GridSide); break;
    case Qt::Key_Home:
        ApplyPageMove(PageMove::First);
        ChooseThumbnail(1);
        break;
    case Qt::Key_End:
        if (PicList.NextIndex < PicList.Total)
            ApplyPageMove(PageMove::Last);
        ChooseThumbnail(PicList.Shown);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space: OpenChosen(); break;
    case Qt::Key_Menu: PopupAtChosen(); break;
    case Qt::Key_F2: RenameEntry(ChosenEntry()); break;
    case Qt::Key_R:
    case Qt::Key_L:
        if (modifiers != Qt::ControlModifier)
            return false;
        TurnEntry(ChosenEntry(), key == Qt::Key_R ? Turn::Right : Turn::Left);
        break;
    case Qt::Key_Delete:
        if (modifiers & Qt::ShiftModifier)
            DeleteChosen();
        else if (!ChosenEntry().isEmpty())
            TrashEntry(ChosenEntry());
        break;
    case Qt::Key_F10:
        if (!(modifiers & Qt::ShiftModifier))
            return false;
        PopupAtChosen();
        break;
    default: return false;
    }
    return true;
}

void TViewForm::StepChoice(int delta)
{
    const int target = PicList.Current + delta;
    if (target >= 1 && target <= PicList.Shown) {
        ChooseThumbnail(target);
        return;
    }
    // Past the page's edge the neighbouring page loads, the choice on its near end.
    const int first = PicList.NextIndex - PicList.Shown;
    if (target > PicList.Shown && PicList.NextIndex < PicList.Total) {
        ApplyPageMove(PageMove::Next);
        ChooseThumbnail(1);
    } else if (target < 1 && first > 0) {
        ApplyPageMove(PageMove::Previous);
        ChooseThumbnail(PicList.Shown);
    } else {
        m_platform.Beep();
    }
}

void TViewForm::OpenChosen()
{
    if (!Chosen() && PicList.Shown > 0)
        ChooseThumbnail(1);
    TImage* chosen = Chosen();
    if (!chosen || chosen->Hint().isEmpty())
        return;
    GatherImageDetails();
    mniFullScreenClick(mniFullScreen);
}

void TViewForm::PopupAtChosen()
{
    if (TImage* chosen = Chosen())
        ImagePopup(chosen, chosen->mapToGlobal(chosen->rect().center()));
}

QStringList TViewForm::PageEntries(int first) const
{
    QStringList entries;
    for (int i = first; i < std::min(first + PageSize, ImageListCount()); ++i)
        entries << ImageListEntry(i);
    return entries;
}

void TViewForm::ReadFolderAgain()
{
    if (DirectoryListBox1->Directory().isEmpty())
        return;
    const int first = PicList.NextIndex - PicList.Shown;
    const QStringList shown = SearchMode ? QStringList() : PageEntries(first);
    {
        // The list's own change would send the page to its start.
        const QScopedValueRollback quiet(Starting, true);
        FileListBox1->Update();
    }
    if (SearchMode)
        return;
    const int total = ImageListCount();
    edtImageCount->setText(QString::number(total));
    // The page from its first picture where that is still listed, else from the same place.
    const int at = shown.isEmpty() ? -1 : CurrentImageList().IndexOf(shown.first());
    const int start = std::clamp(at >= 0 ? at : first, 0, std::max(0, total - 1));
    if (total > 0 && start == first && PageEntries(start) == shown) {
        // The page's pictures are the same: only the counts change, and nothing flickers
        // while a copy fills the folder beyond the page.
        PicList.Total = total;
        EndPageLoad();
        return;
    }
    ResetPaging(PicList);
    PicList.Total = total;
    if (total == 0) {
        ClearPage();
        EndPageLoad();
        return;
    }
    PicList.NextIndex = start;
    LoadPage();
}

bool TViewForm::WindowKey(int key, Qt::KeyboardModifiers modifiers)
{
    switch (key) {
    case Qt::Key_F1: btnHelpClick(); return true;
    case Qt::Key_F5: ReadFolderAgain(); return true;
    case Qt::Key_F11: OpenChosen(); return true;
    case Qt::Key_Z: {
        // A line being typed in keeps its own undo; the trash's comes after it.
        const auto* line = qobject_cast<const QLineEdit*>(QApplication::focusWidget());
        if (modifiers != Qt::ControlModifier || !CanUndoTrash() || (line && line->isUndoAvailable()))
            return false;
        UndoTrash();
        return true;
    }
    case Qt::Key_Q:
        if (modifiers != Qt::ControlModifier)
            return false;
        close();
        return true;
    default: return false;
    }
}
