// SPDX-License-Identifier: GPL-3.0-or-later
// The save window's JPEG page: the quality, the progressive rule and the JPEG save.
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include "controls/ImageControl.h"
#include "picture/SaveRules.h"
#include "platform/Messages.h"
#include "platform/Platform.h"
#include "ui/save/Save.h"

namespace {
// The quality as typed: a whole number, 0 when the text is not one.
int QualityOf(const QLineEdit* edit)
{
    bool ok = false;
    const int value = edit->text().trimmed().toInt(&ok);
    return ok ? value : 0;
}
}

void TSaveForm::SetupJpegTab()
{
    setWindowTitle(tr(" Save image as JPeg"));
    pgcImage->setCurrentWidget(JpegTab);
    ShowPreview(imgJPeg);
    edtCompress->setText(QStringLiteral("100"));
    chkPEncode->setChecked(false);
    // Enter saves through the button, whichever control has the focus but a button.
    btnJSAccept->setDefault(true);
    edtCompress->setFocus();
}

void TSaveForm::chkPEncodeClick()
{
    // At 100 the file keeps its bytes or takes the default encoding: nothing to encode progressively.
    if (QualityOf(edtCompress) != 100)
        return;
    chkPEncode->setChecked(false);
    ShowInformation(m_platform, tr("Can only encode if quality less than 100"));
}

void TSaveForm::btnJSAcceptClick(QPushButton* sender)
{
    if (sender == btnJSCancel) {
        close();
        return;
    }
    const int quality = QualityOf(edtCompress);
    if (quality < 1 || quality > 100) {
        ShowInformation(m_platform, tr("Invalid compression rate"));
        return;
    }
    std::optional<int32_t> max;
    const std::optional<QString> path = PrepareSave(GraphicKind::Jpeg, QStringLiteral(".jpg"), max);
    if (!path)
        return;
    const bool progressive = chkPEncode->isChecked();
    RunSave([&] {
        TGraphic& source = *imgJPeg->Picture().Graphic();
        // An icon and a thumbnail are new bitmaps; the picture at its own size is written as
        // it is, so that a JPEG file at quality 100 keeps its own bytes.
        if (IconSource) {
            TBitmap icon = RenderIconSource();
            WriteJpegFile(icon, quality, progressive, *path);
        } else if (max) {
            TBitmap thumbnail = SaveBitmapOf(source, max);
            WriteJpegFile(thumbnail, quality, progressive, *path);
        } else {
            WriteJpegFile(source, quality, progressive, *path);
        }
    });
}
