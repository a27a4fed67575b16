// SPDX-License-Identifier: GPL-3.0-or-later
// The thumbnail click, the popup menu and its dispatch.
#include <utility>
#include <QAction>
#include <QMenu>
#include "controls/ImageControl.h"
#include "base/FileNames.h"
#include "picture/LosslessTurn.h"
#include "platform/Messages.h"
#include "platform/Platform.h"
#include "ui/common/PopupTags.h"
#include "ui/browser/Viewmain.h"

namespace {
QAction* AddEntry(QMenu* menu, const QString& name, const QString& caption, int tag)
{
    QAction* a = menu->addAction(caption);
    a->setObjectName(name);
    a->setData(tag);
    return a;
}
}

void TViewForm::BuildPopupMenus()
{
    pumPicture = new QMenu(this);
    pumPicture->setObjectName(QStringLiteral("pumPicture"));
    mniFullScreen = AddEntry(pumPicture, QStringLiteral("mniFullScreen"), tr("Show In Screen"), kTagShowInScreen);
    mniShowFullSize = AddEntry(pumPicture, QStringLiteral("mniShowFullSize"), tr("Show Full Size"), kTagShowFullSize);
    mniZoom = AddEntry(pumPicture, QStringLiteral("mniZoom"), tr("Zoom or Sub Section"), kTagZoom);
    mniDetails = AddEntry(pumPicture, QStringLiteral("mniDetails"), tr("Details"), kTagDetails);
    mniPrint = AddEntry(pumPicture, QStringLiteral("mniPrint"), tr("Print As Is"), kTagPrintAsIs);
    mniPrintFullPage =
        AddEntry(pumPicture, QStringLiteral("mniPrintFullPage"), tr("Print Full Page"), kTagPrintFullPage);
    mniCopytoClipboard =
        AddEntry(pumPicture, QStringLiteral("mniCopytoClipboard"), tr("Copy to Clipboard"), kTagClipboard);
    QMenu* thumb = pumPicture->addMenu(tr("Save Thumb Nail as"));
    mniThumbNail = thumb->menuAction();
    mniThumbNail->setObjectName(QStringLiteral("mniThumbNail"));
    mniThumbNail->setData(kTagZoom);
    mniTAsJpeg = AddEntry(thumb, QStringLiteral("mniTAsJpeg"), tr("As Jpeg"), kSaveAsJpeg);
    mniTAsBitmap = AddEntry(thumb, QStringLiteral("mniTAsBitmap"), tr("As Bitmap"), kSaveAsBitmap);
    QMenu* save = pumPicture->addMenu(tr("Save File as"));
    mniSave = save->menuAction();
    mniSave->setObjectName(QStringLiteral("mniSave"));
    mniSave->setData(kTagSaveFile);
    mniAsJpeg = AddEntry(save, QStringLiteral("mniAsJpeg"), tr("As Jpeg"), kSaveAsJpeg);
    mniAsBitmap = AddEntry(save, QStringLiteral("mniAsBitmap"), tr("As Bitmap"), kSaveAsBitmap);
    mniCopyto = AddEntry(pumPicture, QStringLiteral("mniCopyto"), tr("Copy to"), kTagZoom);
    pumPicture->addSeparator()->setObjectName(QStringLiteral("N1"));
    mniExit = AddEntry(pumPicture, QStringLiteral("mniExit"), tr("Cancel"), kTagCancel);
    // Acting on the file comes after the entries above, which keep their places.
    pumPicture->addSeparator()->setObjectName(QStringLiteral("N2"));
    mniTrash = AddEntry(pumPicture, QStringLiteral("mniTrash"), tr("Move to Trash"), kTagZoom);
    mniRename = AddEntry(pumPicture, QStringLiteral("mniRename"), tr("Rename"), kTagZoom);
    mniRotateRight = AddEntry(pumPicture, QStringLiteral("mniRotateRight"), tr("Rotate Right"), kTagZoom);
    mniRotateLeft = AddEntry(pumPicture, QStringLiteral("mniRotateLeft"), tr("Rotate Left"), kTagZoom);
    mniFlip = AddEntry(pumPicture, QStringLiteral("mniFlip"), tr("Flip"), kTagZoom);
    mniOpenWith = AddEntry(pumPicture, QStringLiteral("mniOpenWith"), tr("Open With\u2026"), kTagZoom);
    mniShowInFolder = AddEntry(pumPicture, QStringLiteral("mniShowInFolder"), tr("Show in Folder"), kTagZoom);

    auto route = [this](QAction* a, auto handler) {
        ConnectGuarded(m_platform, a, &QAction::triggered, this, [this, a, handler] { (this->*handler)(a); });
    };
    route(mniFullScreen, &TViewForm::mniFullScreenClick);
    route(mniShowFullSize, &TViewForm::mniFullScreenClick);
    route(mniZoom, &TViewForm::mniFullScreenClick);
    route(mniPrint, &TViewForm::mniPrintClick);
    route(mniPrintFullPage, &TViewForm::mniPrintClick);
    for (QAction* a : {mniTAsJpeg, mniTAsBitmap, mniAsJpeg, mniAsBitmap})
        route(a, &TViewForm::mniSaveAsClick);
    ConnectGuarded(m_platform, mniDetails, &QAction::triggered, this, [this] { mniDetailsClick(); });
    ConnectGuarded(m_platform, mniCopytoClipboard, &QAction::triggered, this, [this] { mniCopytoClipboardClick(); });
    ConnectGuarded(m_platform, mniCopyto, &QAction::triggered, this, [this] { mniCopytoClick(); });
    ConnectGuarded(m_platform, mniTrash, &QAction::triggered, this, [this] { mniTrashClick(); });
    ConnectGuarded(m_platform, mniRename, &QAction::triggered, this, [this] { mniRenameClick(); });
    for (const auto& [action, turn] : {std::pair {mniRotateRight, Turn::Right}, std::pair {mniRotateLeft, Turn::Left},
                                       std::pair {mniFlip, Turn::Flip}})
        ConnectGuarded(m_platform, action, &QAction::triggered, this,
                       [this, turn = turn] { TurnEntry(ImageInfo.FileName, turn); });

    ConnectGuarded(m_platform, mniOpenWith, &QAction::triggered, this, [this] { HandOver(false); });
    ConnectGuarded(m_platform, mniShowInFolder, &QAction::triggered, this, [this] { HandOver(true); });

    pumHelp = new QMenu(this);
    pumHelp->setObjectName(QStringLiteral("pumHelp"));
    mniHelp = AddEntry(pumHelp, QStringLiteral("mniHelp"), tr("&Help"), kTagZoom);
    mniAbout = AddEntry(pumHelp, QStringLiteral("mniAbout"), tr("&About"), kTagZoom);
    ConnectGuarded(m_platform, mniHelp, &QAction::triggered, this, [this] { btnHelpClick(); });
    ConnectGuarded(m_platform, mniAbout, &QAction::triggered, this, [this] { btnInfoClick(); });
}

void TViewForm::HandOver(bool toFolder)
{
    if (ImageInfo.FileName.isEmpty())
        return;
    const QString path = FullPath(ImageInfo.FileName);
    if (!(toFolder ? m_platform.ShowInFolder(path) : m_platform.OpenWith(path)))
        ShowError(m_platform, tr("The desktop could not be asked to open \"%1\".").arg(DisplayName(path)));
}

void TViewForm::AllImageClick(TImage* sender)
{
    ImagePopup(sender, m_platform.CursorPos());
}

void TViewForm::ImagePopup(TImage* sender, QPoint pos)
{
    ChooseThumbnail(sender->Tag());
    if (PicList.Current < 1 || PicList.Current > kThumbnails)
        return;
    pnlDetail->hide();
    GatherImageDetails();
    const bool notIcon = ImageInfo.Ext != QLatin1String(".ico");
    mniZoom->setEnabled(notIcon);
    mniPrintFullPage->setEnabled(notIcon);
    mniPrint->setEnabled(notIcon);
    m_platform.PopupMenu(*pumPicture, pos);
}

void TViewForm::ImageContextPopup(TImage* sender)
{
    AllImageClick(sender);
}

void TViewForm::HelpPopup()
{
    m_platform.PopupMenu(*pumHelp, m_platform.CursorPos());
}
