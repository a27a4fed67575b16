// SPDX-License-Identifier: GPL-3.0-or-later
// Move to Trash with its Undo, and deleting for good: the chosen thumbnail's file (Delete, the
// popup's "Move to Trash"; Shift+Delete after a question), put back by Ctrl+Z or the note's
// Undo. The page closes the gap and keeps its place.
#include <algorithm>
#include <QAction>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include "base/FileNames.h"
#include "controls/ImageControl.h"
#include "platform/Messages.h"
#include "platform/Platform.h"
#include "ui/browser/Viewmain.h"

namespace {
constexpr int kUndoNoteMs = 10000; // how long the note offers its Undo
constexpr int kNoteMargin = 8;

QString BareName(const QString& entry)
{
    return DisplayName(QFileInfo(entry).fileName());
}
} // namespace

void TViewForm::BuildUndoNote()
{
    pnlUndo = new QFrame(pnlImage);
    pnlUndo->setObjectName(QStringLiteral("pnlUndo"));
    pnlUndo->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    pnlUndo->setAutoFillBackground(true);
    auto* row = new QHBoxLayout(pnlUndo);
    lblUndo = new QLabel(pnlUndo);
    lblUndo->setObjectName(QStringLiteral("lblUndo"));
    btnUndo = new QPushButton(QStringLiteral("Undo"), pnlUndo);
    btnUndo->setObjectName(QStringLiteral("btnUndo"));
    btnUndo->setFocusPolicy(Qt::NoFocus); // the page keeps the keys
    row->addWidget(lblUndo);
    row->addWidget(btnUndo);
    pnlUndo->hide();
    ConnectGuarded(m_platform, btnUndo, &QPushButton::clicked, this, [this] { UndoTrash(); });
    m_undoNote = m_platform.CreateTimer();
    m_undoNote->OnTimeout = [this] {
        m_undoNote->Stop();
        pnlUndo->hide();
    };
}

void TViewForm::ShowUndoNote(const QString& text)
{
    lblUndo->setText(text);
    pnlUndo->adjustSize();
    pnlUndo->move((pnlImage->width() - pnlUndo->width()) / 2, pnlImage->height() - pnlUndo->height() - kNoteMargin);
    pnlUndo->show();
    pnlUndo->raise();
    m_undoNote->Start(kUndoNoteMs);
}

QString TViewForm::ChosenEntry() const
{
    const TImage* chosen = Chosen();
    return chosen ? chosen->Hint() : QString();
}

void TViewForm::mniTrashClick()
{
    if (!ImageInfo.FileName.isEmpty())
        TrashEntry(ImageInfo.FileName);
}

bool TViewForm::TrashEntry(const QString& entry)
{
    if (TurnUnderWay())
        return false;
    QString why;
    const QString path = FullPath(entry);
    const std::optional<TrashedFile> trashed = m_platform.MoveToTrash(path, why);
    if (!trashed) {
        ShowError(m_platform, QStringLiteral("Cannot move \"%1\" to the Trash: %2").arg(BareName(entry), why));
        return false;
    }
    m_trashed.push_back({*trashed, entry, path, std::max(0, ImageListIndexOf(entry)), SearchMode});
    ShowUndoNote(QStringLiteral("\"%1\" moved to the Trash").arg(BareName(entry)));
    CloseGap(entry);
    return true;
}

void TViewForm::DeleteChosen()
{
    const QString entry = ChosenEntry();
    if (entry.isEmpty() || TurnUnderWay())
        return;
    const QString question =
        QStringLiteral("Delete \"%1\" for good? It cannot be put back from the Trash.").arg(BareName(entry));
    if (!m_platform.AskYesNo(QCoreApplication::applicationName(), question))
        return;
    QString why;
    if (!m_platform.DeleteFile(FullPath(entry), why)) {
        ShowError(m_platform, QStringLiteral("Cannot delete \"%1\": %2").arg(BareName(entry), why));
        return;
    }
    CloseGap(entry);
}

QString TViewForm::UndoTrash()
{
    if (m_trashed.empty()) {
        m_platform.Beep();
        return {};
    }
    const TrashRecord last = m_trashed.back();
    QString why;
    if (!m_platform.RestoreFromTrash(last.file, why)) {
        ShowError(m_platform, QStringLiteral("Cannot put \"%1\" back: %2").arg(BareName(last.entry), why));
        return {};
    }
    m_trashed.pop_back();
    m_undoNote->Stop();
    pnlUndo->hide();
    if (SearchMode && last.fromSearch) { // a folder's bare name is no search result
        auto* results = pnlSearch->findChild<QListWidget*>(QStringLiteral("lbxFileSearch"));
        results->insertItem(std::min(last.listIndex, results->count()), last.entry);
    }
    ReloadAround(last.entry);
    return last.entry;
}

void TViewForm::CloseGap(const QString& entry)
{
    if (SearchMode) {
        auto* results = pnlSearch->findChild<QListWidget*>(QStringLiteral("lbxFileSearch"));
        const QList<QListWidgetItem*> items = results->findItems(entry, Qt::MatchExactly);
        if (!items.isEmpty())
            delete items.first();
    }
    ReloadAround(QString());
}

void TViewForm::ReloadAround(const QString& entry, bool listChanged)
{
    const int chosen = PicList.Current;
    if (!SearchMode && listChanged)
        ReadFolderAgain();
    else
        LoadPageFrom(PicList.NextIndex - PicList.Shown);
    if (PicList.Shown <= 0)
        return;
    // The entry is chosen where the page shows it, the page moved to it when it went past
    // the page's ends (a new name sorts elsewhere); else the choice stays where it was.
    const int index = entry.isEmpty() ? -1 : ImageListIndexOf(entry);
    if (index >= 0 && (index < PicList.NextIndex - PicList.Shown || index >= PicList.NextIndex))
        LoadPageFrom(index / PageSize * PageSize);
    const int pageFirst = PicList.NextIndex - PicList.Shown;
    if (index >= pageFirst && index < PicList.NextIndex)
        ChooseThumbnail(index - pageFirst + 1);
    else
        ChooseThumbnail(std::clamp(chosen, 1, int(PicList.Shown)));
}

void TViewForm::LoadPageFrom(int first)
{
    ResetPaging(PicList);
    PicList.Total = ImageListCount();
    PicList.NextIndex = std::clamp(first, 0, std::max(0, PicList.Total - 1));
    if (PicList.Total == 0) {
        ClearPage();
        EndPageLoad();
    } else {
        LoadPage();
    }
}
