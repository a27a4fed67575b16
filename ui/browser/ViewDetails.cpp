// Facts about the clicked image and the details panel.
#include "ImageControl.h"
#include "Platform.h"
#include "Viewmain.h"

namespace {
QString ExtensionOf(const QString& name)
{
    const int slash = name.lastIndexOf(QLatin1Char('/'));
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > slash ? name.mid(dot) : QString();
}
}

void TViewForm::GatherImageDetails()
{
    TImage* img = Thumbnail(PicList.Current);
    if (!img)
        return;
    ImageInfo.FileName = img->Hint();
    ImageInfo.Ext = ExtensionOf(ImageInfo.FileName).toLower();
    m_platform.ProcessMessages();
}

bool TViewForm::ReadFileFacts(const QString&) { return false; }
bool TViewForm::ReadBitmapHeader(const QString&) { return false; }
void TViewForm::mniDetailsClick() {}
void TViewForm::btnDetailOKClick() {}
void TViewForm::BuildDetailPanel() {}
