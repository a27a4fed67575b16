// The thumbnail click, the popup menu and its dispatch.
#include <QAction>
#include <QMenu>
#include "controls/ImageControl.h"
#include "platform/Platform.h"
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
    mniFullScreen = AddEntry(pumPicture, QStringLiteral("mniFullScreen"), QStringLiteral("Show In Screen"), 1);
    mniShowFullSize = AddEntry(pumPicture, QStringLiteral("mniShowFullSize"), QStringLiteral("Show Full Size"), 2);
    mniZoom = AddEntry(pumPicture, QStringLiteral("mniZoom"), QStringLiteral("Zoom or Sub Section"), 0);
    mniDetails = AddEntry(pumPicture, QStringLiteral("mniDetails"), QStringLiteral("Details"), 3);
    mniPrint = AddEntry(pumPicture, QStringLiteral("mniPrint"), QStringLiteral("Print As Is"), 4);
    mniPrintFullPage = AddEntry(pumPicture, QStringLiteral("mniPrintFullPage"), QStringLiteral("Print Full Page"), 5);
    mniCopytoClipboard =
        AddEntry(pumPicture, QStringLiteral("mniCopytoClipboard"), QStringLiteral("Copy to Clipboard"), 6);
    QMenu* thumb = pumPicture->addMenu(QStringLiteral("Save Thumb Nail as"));
    mniThumbNail = thumb->menuAction();
    mniThumbNail->setObjectName(QStringLiteral("mniThumbNail"));
    mniThumbNail->setData(0);
    mniTAsJpeg = AddEntry(thumb, QStringLiteral("mniTAsJpeg"), QStringLiteral("As Jpeg"), 1);
    mniTAsBitmap = AddEntry(thumb, QStringLiteral("mniTAsBitmap"), QStringLiteral("As Bitmap"), 2);
    QMenu* save = pumPicture->addMenu(QStringLiteral("Save File as"));
    mniSave = save->menuAction();
    mniSave->setObjectName(QStringLiteral("mniSave"));
    mniSave->setData(7);
    mniAsJpeg = AddEntry(save, QStringLiteral("mniAsJpeg"), QStringLiteral("As Jpeg"), 1);
    mniAsBitmap = AddEntry(save, QStringLiteral("mniAsBitmap"), QStringLiteral("As Bitmap"), 2);
    mniCopyto = AddEntry(pumPicture, QStringLiteral("mniCopyto"), QStringLiteral("Copy to"), 0);
    pumPicture->addSeparator()->setObjectName(QStringLiteral("N1"));
    mniExit = AddEntry(pumPicture, QStringLiteral("mniExit"), QStringLiteral("Cancel"), 9);

    auto route = [this](QAction* a, auto handler) {
        connect(a, &QAction::triggered, this,
                [this, a, handler] { Guard([this, a, handler] { (this->*handler)(a); }); });
    };
    route(mniFullScreen, &TViewForm::mniFullScreenClick);
    route(mniShowFullSize, &TViewForm::mniFullScreenClick);
    route(mniZoom, &TViewForm::mniFullScreenClick);
    route(mniPrint, &TViewForm::mniPrintClick);
    route(mniPrintFullPage, &TViewForm::mniPrintClick);
    for (QAction* a : {mniTAsJpeg, mniTAsBitmap, mniAsJpeg, mniAsBitmap})
        route(a, &TViewForm::mniSaveAsClick);
    connect(mniDetails, &QAction::triggered, this, [this] { Guard([this] { mniDetailsClick(); }); });
    connect(mniCopytoClipboard, &QAction::triggered, this, [this] { Guard([this] { mniCopytoClipboardClick(); }); });
    connect(mniCopyto, &QAction::triggered, this, [this] { Guard([this] { mniCopytoClick(); }); });

    pumHelp = new QMenu(this);
    pumHelp->setObjectName(QStringLiteral("pumHelp"));
    mniHelp = AddEntry(pumHelp, QStringLiteral("mniHelp"), QStringLiteral("&Help"), 0);
    mniAbout = AddEntry(pumHelp, QStringLiteral("mniAbout"), QStringLiteral("&About"), 0);
    connect(mniHelp, &QAction::triggered, this, [this] { Guard([this] { btnHelpClick(); }); });
    connect(mniAbout, &QAction::triggered, this, [this] { Guard([this] { btnInfoClick(); }); });
}

void TViewForm::AllImageClick(TImage* sender)
{
    const QPoint pos = m_platform.CursorPos();
    PicList.Current = sender->Tag();
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

// The windows these entries open come with their own features; until then they do nothing.
void TViewForm::mniCopytoClipboardClick() {}
void TViewForm::mniSaveAsClick(QAction*) {}
void TViewForm::mniCopytoClick() {}
