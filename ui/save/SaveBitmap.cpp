// SPDX-License-Identifier: GPL-3.0-or-later
// The save window's bitmap page: the pixel format, the monochrome rule and the bitmap save.
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include "controls/ImageControl.h"
#include "picture/SaveRules.h"
#include "platform/Messages.h"
#include "platform/Platform.h"
#include "ui/save/Save.h"

namespace {
constexpr int kBit1Item = int(TPixelFormat::Bit1);
}

void TSaveForm::SetupBitmapTab()
{
    pgcImage->setCurrentWidget(BitTab);
    setWindowTitle(tr(" Save image as Bitmap"));
    ShowPreview(imgBit);
    // The controls take the source's format without their handlers running.
    const QSignalBlocker comboQuiet(cbxBit);
    if (PictureExt != QLatin1String(".bmp")) {
        cbxBit->setCurrentIndex(int(TPixelFormat::Bit24));
        chkMono->setChecked(false);
    } else {
        cbxBit->setCurrentIndex(int(ImageInfo.PixelFormat));
        chkMono->setChecked(ImageInfo.Monochrome);
    }
    // Enter saves through the button, whichever control has the focus but a button.
    btnBSAccept->setDefault(true);
    cbxBit->setFocus();
}

bool TSaveForm::eventFilter(QObject* watched, QEvent* event)
{
    // The editable box keeps Enter to itself while its text is selected, as it is when the
    // box gets the focus; it saves from there as from the other controls.
    if (watched == cbxBit && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            btnBSAccept->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

int TSaveForm::SelectedPixelFormat() const
{
    // A typed text counts only when it is one of the items as written.
    return cbxBit->findText(cbxBit->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
}

void TSaveForm::cbxBitChange()
{
    chkMono->setChecked(SelectedPixelFormat() == kBit1Item);
}

void TSaveForm::chkMonoClick()
{
    if (SelectedPixelFormat() == kBit1Item)
        return;
    ShowInformation(m_platform, tr("Cannot be mono unless 1-bit selected"));
    chkMono->setChecked(false);
}

void TSaveForm::btnBSAcceptClick(QPushButton* sender)
{
    if (sender == btnBSCancel) {
        close();
        return;
    }
    const int item = SelectedPixelFormat();
    if (item < 0 || item == int(TPixelFormat::Device) || item == int(TPixelFormat::Bit15) ||
        item == int(TPixelFormat::Custom)) {
        ShowInformation(m_platform, tr("Cannot use that Pixel format."));
        return;
    }
    if (item == kBit1Item)
        chkMono->setChecked(true);
    std::optional<int32_t> max;
    const std::optional<QString> path = PrepareSave(GraphicKind::Bitmap, QStringLiteral(".bmp"), max);
    if (!path)
        return;
    RunSave([&] {
        // The monochrome box is set exactly when "1-bit" is chosen, which the writer applies.
        TBitmap work = IconSource ? RenderIconSource()
                                  : SaveBitmapOf(*imgBit->Picture().Graphic(), max, m_platform.ButtonFaceColor().rgb());
        WriteBitmapFile(std::move(work), TPixelFormat(item), *path);
    });
}
