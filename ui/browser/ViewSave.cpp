// The popup's door to the save window: "Save Thumb Nail as" and "Save File as".
#include <QAction>
#include "controls/ImageControl.h"
#include "platform/Platform.h"
#include "ui/common/PopupTags.h"
#include "ui/browser/Viewmain.h"
#include "ui/save/Save.h"

namespace {
// The save dialog may change the working folder; the main window's lists resolve against it.
class KeepWorkingFolder {
public:
    KeepWorkingFolder(Platform& platform, QString& saved) : m_platform(platform), m_saved(saved)
    {
        m_saved = m_platform.CurrentFolder();
    }
    ~KeepWorkingFolder() { m_platform.SetCurrentFolder(m_saved); }
    KeepWorkingFolder(const KeepWorkingFolder&) = delete;
    KeepWorkingFolder& operator=(const KeepWorkingFolder&) = delete;

private:
    Platform& m_platform;
    QString& m_saved;
};
}

void TViewForm::mniSaveAsClick(QAction* sender)
{
    TImage* thumbnail = Thumbnail(PicList.Current);
    if (!sender || !thumbnail)
        return;
    const KeepWorkingFolder keep(m_platform, SavedFolder);
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
