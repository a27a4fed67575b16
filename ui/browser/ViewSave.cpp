// SPDX-License-Identifier: GPL-3.0-or-later
// The popup's door to the save window: "Save Thumb Nail as" and "Save File as".
#include <QAction>
#include "base/ScopeExit.h"
#include "controls/ImageControl.h"
#include "platform/Platform.h"
#include "ui/common/PopupTags.h"
#include "ui/browser/Viewmain.h"
#include "ui/save/Save.h"

void TViewForm::mniSaveAsClick(QAction* sender)
{
    TImage* thumbnail = Thumbnail(PicList.Current);
    if (!sender || !thumbnail)
        return;
    // The save dialog may change the working folder; the lists resolve against it.
    const ScopeExit keep([this, folder = m_platform.CurrentFolder()] { m_platform.SetCurrentFolder(folder); });
    TSaveForm save(this, m_platform);
    save.PictureExt = ImageInfo.Ext;
    save.SaveKind = sender->data().toInt();
    save.IconSource = ImageInfo.Ext == QLatin1String(".ico");
    save.ThumbnailMode = sender == mniTAsJpeg || sender == mniTAsBitmap;
    save.FromZoom = false;
    save.ThumbIndex = PicList.Current;
    save.ImageInfo = ImageInfo;
    save.SourcePath = CurrentImageList().FullPath(ImageInfo.FileName);
    // The thumbnail keeps only its reduced copy: the picture is read from its file again
    // (a file that failed to load leaves the window an empty picture, as before).
    TPicture whole;
    if (thumbnail->Picture().HasGraphic())
        whole.LoadFromFile(save.SourcePath);
    save.SetPicture(whole);
    m_platform.ShowModal(save);
}
