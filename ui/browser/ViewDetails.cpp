// SPDX-License-Identifier: GPL-3.0-or-later
// Facts about the clicked image and the details panel.
#include <algorithm>
#include <QCoreApplication>
#include "base/FileNames.h"
#include "picture/Bitmap.h"
#include "picture/FileRead.h"
#include "picture/PictureThumbnail.h"
#include "controls/DecodeQueue.h"
#include "controls/ImageControl.h"
#include "ui/common/ImageFacts.h"
#include "picture/JpegImage.h"
#include "picture/PictureFormats.h"
#include "platform/Platform.h"
#include "ui/browser/Viewmain.h"
#include "ui/details/DetailsPanel.h"
#include "platform/Messages.h"

void TViewForm::GatherImageDetails()
{
    TImage* img = Thumbnail(PicList.Current);
    if (!img)
        return;
    ImageInfo.FileName = img->Hint();
    ImageInfo.Ext = ExtensionOf(ImageInfo.FileName).toLower();
    ImageInfo.Misnamed = false;
    FreshFacts = {};
    if (!IsImageExtension(ImageInfo.Ext) || !ReadFileFacts(ImageInfo.FileName))
        return;
    FreshFacts.file = true;
    // A cell whose header a worker has not read yet: the click waits for it.
    if (const TThumbnail* thumbnail = ThumbnailOf(img->Picture().Graphic()); thumbnail && !thumbnail->FactsKnown())
        m_decodeQueue->Finish(img);
    // A file whose bytes are another kind than its name says is described as what it holds.
    const TThumbnail* read = ThumbnailOf(img->Picture().Graphic());
    ImageInfo.Misnamed = read && read->FactsKnown() && read->Facts().content != GraphicKind::Thumbnail;
    if (!ImageInfo.Misnamed && ImageInfo.Ext == QLatin1String(".bmp") && ReadBitmapHeader(ImageInfo.FileName)) {
        FreshFacts.sides = FreshFacts.bitCount = true;
        // A cell's pixel format is known once its file is decoded: the click waits for that.
        if (const TThumbnail* thumbnail = ThumbnailOf(img->Picture().Graphic());
            thumbnail && !thumbnail->Facts().decoded)
            m_decodeQueue->Finish(img);
        if (const TBitmap* bmp = BitmapOf(img->Picture().Graphic())) {
            ImageInfo.PixelFormat = bmp->PixelFormat();
            ImageInfo.Monochrome = bmp->Monochrome();
            FreshFacts.monochrome = true;
        } else if (const TThumbnail* thumbnail = ThumbnailOf(img->Picture().Graphic());
                   thumbnail && thumbnail->Facts().decoded) {
            ImageInfo.PixelFormat = thumbnail->Facts().pixelFormat;
            ImageInfo.Monochrome = thumbnail->Facts().monochrome;
            FreshFacts.monochrome = true;
        }
    }
    if (ImageInfo.Misnamed || SubPanelFor(ImageInfo.Ext) == DetailSubPanel::Other) {
        if (const TThumbnail* thumbnail = ThumbnailOf(img->Picture().Graphic()); thumbnail && thumbnail->FactsKnown()) {
            const ThumbnailFacts& f = thumbnail->Facts();
            ImageInfo.Width = thumbnail->Width();
            ImageInfo.Height = thumbnail->Height();
            ImageInfo.Orientation = f.orientation;
            const std::optional<GraphicKind> named = KindForExtension(ImageInfo.Ext.mid(1));
            ImageInfo.KindText = KindText(named.value_or(f.source), f.content);
            ImageInfo.ColourText = f.colourType.isEmpty()
                ? QString()
                : QStringLiteral("%1, %2-bit").arg(f.colourType).arg(f.bitsPerChannel);
            ImageInfo.Frames = f.frames;
            ImageInfo.ShotText = f.shot;
            FreshFacts.sides = FreshFacts.other = true;
        }
    }
    if (!ImageInfo.Misnamed && (ImageInfo.Ext == QLatin1String(".jpg") || ImageInfo.Ext == QLatin1String(".jpeg"))) {
        // The picture loaded for the thumbnail already knows these; the file is not read again.
        if (const TJpegImage* jpeg = JpegOf(img->Picture().Graphic())) {
            ImageInfo.Width = jpeg->Width();
            ImageInfo.Height = jpeg->Height();
            ImageInfo.Progressive = jpeg->MultiScan();
            ImageInfo.Orientation = jpeg->Orientation();
            FreshFacts.sides = FreshFacts.progressive = true;
        } else if (const TThumbnail* thumbnail = ThumbnailOf(img->Picture().Graphic())) {
            ImageInfo.Width = thumbnail->Width();
            ImageInfo.Height = thumbnail->Height();
            ImageInfo.Progressive = thumbnail->Facts().multiScan;
            ImageInfo.Orientation = thumbnail->Facts().orientation;
            FreshFacts.sides = FreshFacts.progressive = true;
        }
    }
    m_platform.ProcessMessages();
}

bool TViewForm::ReadFileFacts(const QString& entry)
{
    const std::optional<FileFacts> facts = m_platform.ReadFileFacts(FullPath(entry));
    if (!facts)
        return false;
    ImageInfo.FileSize = static_cast<uint32_t>(facts->size & 0xFFFFFFFFu);
    ImageInfo.FileDate = PackFileDate(facts->lastWrite);
    return true;
}

bool TViewForm::ReadBitmapHeader(const QString& entry)
{
    const QString path = FullPath(entry);
    // Only a regular file is opened: reading a pipe put in a file's place would wait forever.
    // A file gone since its facts were read gathers nothing, as an unreadable one does.
    const std::optional<QByteArray> head = ReadRegularFileHead(path, kBitmapHeadBytes);
    if (!head)
        return false;
    switch (ParseBitmapHeader(*head, ImageInfo)) {
    case BitmapHeaderResult::Read: return true;
    case BitmapHeaderResult::Unknown: ShowError(m_platform, tr("Unkown Bitmap")); return false;
    case BitmapHeaderResult::Incomplete: break;
    }
    return false;
}

void TViewForm::mniDetailsClick()
{
    pnlDetail->ShowFacts(ImageInfo, FreshFacts);
}
