// SPDX-License-Identifier: GPL-3.0-or-later
// The details panel: its make-up and what it shows of a picture's facts.
#include "ui/details/DetailsPanel.h"
#include <algorithm>
#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QVBoxLayout>
#include "base/FileNames.h"
#include "platform/Guard.h"
#include "platform/Platform.h"

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

void TDetailsPanel::ShowFacts(const TImageInfo& ImageInfo, const TFreshFacts& FreshFacts)
{
    pnlBitMap->hide();
    pnlJPeg->hide();
    pnlOther->hide();
    show();
    edtDName->setText(DisplayName(ImageInfo.FileName));
    edtDName->setCursorPosition(0);
    const auto number = [](bool fresh, auto value) { return fresh ? QString::number(value) : QString(); };
    edtDHeight->setText(number(FreshFacts.sides, ImageInfo.Height));
    edtDWidth->setText(number(FreshFacts.sides, ImageInfo.Width));
    edtDSize->setText(number(FreshFacts.file, ImageInfo.FileSize));
    const QDate day = DateOfValue(ImageInfo.FileDate);
    edtDDate->setText(FreshFacts.file && day.isValid() ? QLocale().toString(day, m_platform.ShortDateFormat())
                                                       : QString());
    switch (ImageInfo.Misnamed ? DetailSubPanel::Other : SubPanelFor(ImageInfo.Ext)) {
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
    case DetailSubPanel::Other:
        edtDKind->setText(FreshFacts.other ? ImageInfo.KindText : QString());
        edtDColours->setText(FreshFacts.other ? ImageInfo.ColourText : QString());
        edtDFrames->setText(number(FreshFacts.other, ImageInfo.Frames));
        edtDOtherOrient->setText(FreshFacts.other ? OrientationText(ImageInfo.Orientation) : QString());
        // A camera raw file's shot; other kinds have no such line.
        edtDCamera->setText(FreshFacts.other ? ImageInfo.ShotText : QString());
        edtDCamera->setVisible(!edtDCamera->text().isEmpty());
        lblDCamera->setVisible(edtDCamera->isVisibleTo(pnlOther));
        pnlOther->show();
        break;
    case DetailSubPanel::None: break;
    }
    // The panel fits what it now shows and lies over the middle of the image area.
    adjustSize();
    const QWidget* area = parentWidget();
    move(std::max(0, (area->width() - width()) / 2), std::max(0, (area->height() - height()) / 2));
    raise();
}

void TDetailsPanel::btnDetailOKClick()
{
    hide();
}

TDetailsPanel::Reading TDetailsPanel::Shown() const
{
    Reading r;
    r.name = edtDName->text();
    r.height = edtDHeight->text();
    r.width = edtDWidth->text();
    r.size = edtDSize->text();
    r.date = edtDDate->text();
    r.bitmapPart = pnlBitMap->isVisibleTo(this);
    r.pixelFormat = edtDBitCount->text();
    r.monochrome = chkDMono->isChecked();
    r.jpegPart = pnlJPeg->isVisibleTo(this);
    r.progressive = chkDPEncode->isChecked();
    r.orientation = edtDOrient->text();
    r.otherPart = pnlOther->isVisibleTo(this);
    r.kind = edtDKind->text();
    r.colours = edtDColours->text();
    r.frames = edtDFrames->text();
    r.camera = edtDCamera->isVisibleTo(this) ? edtDCamera->text() : QString();
    return r;
}

TDetailsPanel::TDetailsPanel(Platform& platform, QWidget* parent) : QWidget(parent), m_platform(platform)
{
    Build();
    hide();
}

void TDetailsPanel::Build()
{
    setObjectName(QStringLiteral("pnlDetail"));
    // Its own face colour, not the white of the image area it lies over.
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, m_platform.ButtonFaceColor());
    setPalette(pal);
    setFixedWidth(kPanelWidth);

    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
    frame->setLineWidth(2);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(frame);

    auto* grid = new QGridLayout(frame);
    edtDName = ReadOnlyBox(frame, QStringLiteral("edtDName"));
    edtDHeight = ReadOnlyBox(frame, QStringLiteral("edtDHeight"));
    edtDWidth = ReadOnlyBox(frame, QStringLiteral("edtDWidth"));
    edtDSize = ReadOnlyBox(frame, QStringLiteral("edtDSize"));
    edtDDate = ReadOnlyBox(frame, QStringLiteral("edtDDate"));
    grid->addWidget(Caption(frame, tr("Name")), 0, 0);
    grid->addWidget(edtDName, 0, 1, 1, 2);
    grid->addWidget(Caption(frame, tr("Height")), 1, 0);
    grid->addWidget(edtDHeight, 1, 1);
    grid->addWidget(Caption(frame, tr("pixels")), 1, 2);
    grid->addWidget(Caption(frame, tr("Width")), 2, 0);
    grid->addWidget(edtDWidth, 2, 1);
    grid->addWidget(Caption(frame, tr("pixels")), 2, 2);
    grid->addWidget(Caption(frame, tr("Size")), 3, 0);
    grid->addWidget(edtDSize, 3, 1);
    grid->addWidget(Caption(frame, tr("bytes")), 3, 2);
    grid->addWidget(Caption(frame, tr("Date")), 4, 0);
    grid->addWidget(edtDDate, 4, 1);

    pnlBitMap = new QWidget(frame);
    pnlBitMap->setObjectName(QStringLiteral("pnlBitMap"));
    auto* bitGrid = new QGridLayout(pnlBitMap);
    bitGrid->setContentsMargins(0, 0, 0, 0);
    edtDBitCount = ReadOnlyBox(pnlBitMap, QStringLiteral("edtDBitCount"));
    chkDMono = DisplayCheck(pnlBitMap, QStringLiteral("chkDMono"), tr("Monochrome"));
    bitGrid->addWidget(Caption(pnlBitMap, tr("Pixel Format")), 0, 0);
    bitGrid->addWidget(edtDBitCount, 0, 1);
    bitGrid->addWidget(chkDMono, 1, 0, 1, 2);
    grid->addWidget(pnlBitMap, 5, 0, 1, 3);

    pnlJPeg = new QWidget(frame);
    pnlJPeg->setObjectName(QStringLiteral("pnlJPeg"));
    auto* jpegGrid = new QGridLayout(pnlJPeg);
    jpegGrid->setContentsMargins(0, 0, 0, 0);
    chkDPEncode = DisplayCheck(pnlJPeg, QStringLiteral("chkDPEncode"), tr("Progressive Encoding"));
    edtDOrient = ReadOnlyBox(pnlJPeg, QStringLiteral("edtDOrient"));
    jpegGrid->addWidget(chkDPEncode, 0, 0, 1, 2);
    jpegGrid->addWidget(Caption(pnlJPeg, tr("Orientation")), 1, 0);
    jpegGrid->addWidget(edtDOrient, 1, 1);
    grid->addWidget(pnlJPeg, 6, 0, 1, 3);

    pnlOther = new QWidget(frame);
    pnlOther->setObjectName(QStringLiteral("pnlOther"));
    auto* otherGrid = new QGridLayout(pnlOther);
    otherGrid->setContentsMargins(0, 0, 0, 0);
    edtDKind = ReadOnlyBox(pnlOther, QStringLiteral("edtDKind"));
    edtDColours = ReadOnlyBox(pnlOther, QStringLiteral("edtDColours"));
    edtDFrames = ReadOnlyBox(pnlOther, QStringLiteral("edtDFrames"));
    edtDOtherOrient = ReadOnlyBox(pnlOther, QStringLiteral("edtDOtherOrient"));
    edtDCamera = ReadOnlyBox(pnlOther, QStringLiteral("edtDCamera"));
    int row = 0;
    for (const auto& [caption, box] :
         {std::pair {QT_TR_NOOP("Kind"), edtDKind}, std::pair {QT_TR_NOOP("Colours"), edtDColours},
          std::pair {QT_TR_NOOP("Frames"), edtDFrames}, std::pair {QT_TR_NOOP("Orientation"), edtDOtherOrient},
          std::pair {QT_TR_NOOP("Camera"), edtDCamera}}) {
        lblDCamera = Caption(pnlOther, tr(caption));
        otherGrid->addWidget(lblDCamera, row, 0);
        otherGrid->addWidget(box, row++, 1);
    }
    grid->addWidget(pnlOther, 7, 0, 1, 3);

    btnDetailOK = new QPushButton(tr("OK"), frame);
    btnDetailOK->setObjectName(QStringLiteral("btnDetailOK"));
    grid->addWidget(btnDetailOK, 8, 1, Qt::AlignHCenter);
    ConnectGuarded(m_platform, btnDetailOK, &QPushButton::clicked, this, [this] { btnDetailOKClick(); });

    pnlBitMap->hide();
    pnlJPeg->hide();
    pnlOther->hide();
    adjustSize();
}
