// Facts about the clicked image and the details panel.
#include <algorithm>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>
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
#include "platform/Messages.h"

namespace {
constexpr int kPanelWidth = 300;

QLineEdit* ReadOnlyBox(QWidget* parent, const QString& name)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(name);
    e->setReadOnly(true);
    return e;
}

// The boxes only show a value: clicks and keys never reach them.
QCheckBox* DisplayCheck(QWidget* parent, const QString& name, const QString& caption)
{
    auto* c = new QCheckBox(caption, parent);
    c->setObjectName(name);
    c->setAttribute(Qt::WA_TransparentForMouseEvents);
    c->setFocusPolicy(Qt::NoFocus);
    return c;
}

QLabel* Caption(QWidget* parent, const QString& text)
{
    return new QLabel(text, parent);
}
}

void TViewForm::GatherImageDetails()
{
    TImage* img = Thumbnail(PicList.Current);
    if (!img)
        return;
    ImageInfo.FileName = img->Hint();
    ImageInfo.Ext = ExtensionOf(ImageInfo.FileName).toLower();
    FreshFacts = {};
    if (!IsImageExtension(ImageInfo.Ext) || !ReadFileFacts(ImageInfo.FileName))
        return;
    FreshFacts.file = true;
    // A cell whose header a worker has not read yet: the click waits for it.
    if (const TThumbnail* thumbnail = ThumbnailOf(img->Picture().Graphic()); thumbnail && !thumbnail->FactsKnown())
        m_decodeQueue->Finish(img);
    if (ImageInfo.Ext == QLatin1String(".bmp") && ReadBitmapHeader(ImageInfo.FileName)) {
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
    if (ImageInfo.Ext == QLatin1String(".jpg") || ImageInfo.Ext == QLatin1String(".jpeg")) {
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
    case BitmapHeaderResult::Unknown: ShowError(m_platform, QStringLiteral("Unkown Bitmap")); return false;
    case BitmapHeaderResult::Incomplete: break;
    }
    return false;
}

void TViewForm::mniDetailsClick()
{
    pnlBitMap->hide();
    pnlJPeg->hide();
    pnlDetail->show();
    edtDName->setText(DisplayName(ImageInfo.FileName));
    edtDName->setCursorPosition(0);
    const auto number = [](bool fresh, auto value) { return fresh ? QString::number(value) : QString(); };
    edtDHeight->setText(number(FreshFacts.sides, ImageInfo.Height));
    edtDWidth->setText(number(FreshFacts.sides, ImageInfo.Width));
    edtDSize->setText(number(FreshFacts.file, ImageInfo.FileSize));
    const QDate day = DateOfValue(ImageInfo.FileDate);
    edtDDate->setText(FreshFacts.file && day.isValid() ? QLocale().toString(day, m_platform.ShortDateFormat())
                                                       : QString());
    switch (SubPanelFor(ImageInfo.Ext)) {
    case DetailSubPanel::Jpeg:
        chkDPEncode->setChecked(FreshFacts.progressive && ImageInfo.Progressive);
        edtDOrient->setText(FreshFacts.progressive ? OrientationText(ImageInfo.Orientation) : QString());
        pnlJPeg->show();
        break;
    case DetailSubPanel::Bitmap:
        edtDBitCount->setText(FreshFacts.bitCount ? QString::number(ImageInfo.BitCount) + QStringLiteral("-bit")
                                                  : QString());
        chkDMono->setChecked(FreshFacts.monochrome && ImageInfo.Monochrome);
        pnlBitMap->show();
        break;
    case DetailSubPanel::None: break;
    }
    // The panel fits what it now shows and lies over the middle of the image area.
    pnlDetail->adjustSize();
    pnlDetail->move(std::max(0, (pnlImage->width() - pnlDetail->width()) / 2),
                    std::max(0, (pnlImage->height() - pnlDetail->height()) / 2));
    pnlDetail->raise();
}

void TViewForm::btnDetailOKClick()
{
    pnlDetail->hide();
}

void TViewForm::BuildDetailPanel()
{
    pnlDetail->setObjectName(QStringLiteral("pnlDetail"));
    // Its own face colour, not the white of the image area it lies over.
    pnlDetail->setAutoFillBackground(true);
    QPalette pal = pnlDetail->palette();
    pal.setColor(QPalette::Window, m_platform.ButtonFaceColor());
    pnlDetail->setPalette(pal);
    pnlDetail->setFixedWidth(kPanelWidth);

    auto* frame = new QFrame(pnlDetail);
    frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
    frame->setLineWidth(2);
    auto* outer = new QVBoxLayout(pnlDetail);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);

    auto* grid = new QGridLayout(frame);
    edtDName = ReadOnlyBox(frame, QStringLiteral("edtDName"));
    edtDHeight = ReadOnlyBox(frame, QStringLiteral("edtDHeight"));
    edtDWidth = ReadOnlyBox(frame, QStringLiteral("edtDWidth"));
    edtDSize = ReadOnlyBox(frame, QStringLiteral("edtDSize"));
    edtDDate = ReadOnlyBox(frame, QStringLiteral("edtDDate"));
    grid->addWidget(Caption(frame, QStringLiteral("Name")), 0, 0);
    grid->addWidget(edtDName, 0, 1, 1, 2);
    grid->addWidget(Caption(frame, QStringLiteral("Height")), 1, 0);
    grid->addWidget(edtDHeight, 1, 1);
    grid->addWidget(Caption(frame, QStringLiteral("pixels")), 1, 2);
    grid->addWidget(Caption(frame, QStringLiteral("Width")), 2, 0);
    grid->addWidget(edtDWidth, 2, 1);
    grid->addWidget(Caption(frame, QStringLiteral("pixels")), 2, 2);
    grid->addWidget(Caption(frame, QStringLiteral("Size")), 3, 0);
    grid->addWidget(edtDSize, 3, 1);
    grid->addWidget(Caption(frame, QStringLiteral("bytes")), 3, 2);
    grid->addWidget(Caption(frame, QStringLiteral("Date")), 4, 0);
    grid->addWidget(edtDDate, 4, 1);

    pnlBitMap = new QWidget(frame);
    pnlBitMap->setObjectName(QStringLiteral("pnlBitMap"));
    auto* bitGrid = new QGridLayout(pnlBitMap);
    bitGrid->setContentsMargins(0, 0, 0, 0);
    edtDBitCount = ReadOnlyBox(pnlBitMap, QStringLiteral("edtDBitCount"));
    chkDMono = DisplayCheck(pnlBitMap, QStringLiteral("chkDMono"), QStringLiteral("Monochrome"));
    bitGrid->addWidget(Caption(pnlBitMap, QStringLiteral("Pixel Format")), 0, 0);
    bitGrid->addWidget(edtDBitCount, 0, 1);
    bitGrid->addWidget(chkDMono, 1, 0, 1, 2);
    grid->addWidget(pnlBitMap, 5, 0, 1, 3);

    pnlJPeg = new QWidget(frame);
    pnlJPeg->setObjectName(QStringLiteral("pnlJPeg"));
    auto* jpegGrid = new QGridLayout(pnlJPeg);
    jpegGrid->setContentsMargins(0, 0, 0, 0);
    chkDPEncode = DisplayCheck(pnlJPeg, QStringLiteral("chkDPEncode"), QStringLiteral("Progressive Encoding"));
    edtDOrient = ReadOnlyBox(pnlJPeg, QStringLiteral("edtDOrient"));
    jpegGrid->addWidget(chkDPEncode, 0, 0, 1, 2);
    jpegGrid->addWidget(Caption(pnlJPeg, QStringLiteral("Orientation")), 1, 0);
    jpegGrid->addWidget(edtDOrient, 1, 1);
    grid->addWidget(pnlJPeg, 6, 0, 1, 3);

    btnDetailOK = new QPushButton(QStringLiteral("OK"), frame);
    btnDetailOK->setObjectName(QStringLiteral("btnDetailOK"));
    grid->addWidget(btnDetailOK, 7, 1, Qt::AlignHCenter);
    ConnectGuarded(m_platform, btnDetailOK, &QPushButton::clicked, this, [this] { btnDetailOKClick(); });

    pnlBitMap->hide();
    pnlJPeg->hide();
    pnlDetail->adjustSize();
}
