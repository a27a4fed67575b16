// SPDX-License-Identifier: GPL-3.0-or-later
// Turning the clicked or chosen picture's file without loss (the popup's "Rotate Right",
// "Rotate Left" and "Flip"; Ctrl+R, Ctrl+L): a JPEG by its coded blocks, a bitmap by its pixels
// in its own format (picture/LosslessTurn.h).
// The page shows it again from its file.
#include <QAction>
#include "picture/Failure.h"
#include "picture/LosslessTurn.h"
#include "picture/PictureFormats.h"
#include "platform/Messages.h"
#include "platform/Platform.h"
#include "ui/browser/Viewmain.h"

void TViewForm::TurnEntry(const QString& entry, Turn turn)
{
    if (entry.isEmpty())
        return;
    const QString ext = ExtensionOf(entry).toLower();
    const bool bitmap = ext == QLatin1String(".bmp") || ext == QLatin1String(".dib");
    if (ext != QLatin1String(".jpg") && ext != QLatin1String(".jpeg") && ext != QLatin1String(".jpe") && !bitmap) {
        ShowInformation(m_platform, tr("Only JPEG and bitmap pictures can be turned here."));
        return;
    }
    try {
        m_platform.SetBusyCursor(true);
        try {
            if (bitmap)
                TurnBitmapFile(FullPath(entry), turn);
            else
                TurnJpegFile(FullPath(entry), turn);
        } catch (const PartialBlocks&) {
            m_platform.SetBusyCursor(false);
            // The user's choice: cut the partial blocks off, or turn by the tag alone.
            TurnEdges edges = TurnEdges::TagOnly;
            if (m_platform.AskYesNo(tr("Turn"),
                                    tr("This picture's width or height is not a whole number of its "
                                       "coded blocks. Turned without loss, it loses up to 15 pixels at "
                                       "its edges. Turn it so?")))
                edges = TurnEdges::Trim;
            else if (!m_platform.AskYesNo(tr("Turn"),
                                          tr("Turn it by its orientation tag alone instead? Its "
                                             "pixels stay as they are; viewers that read the tag show "
                                             "it turned.")))
                return;
            m_platform.SetBusyCursor(true);
            TurnJpegFile(FullPath(entry), turn, edges);
        }
        m_platform.SetBusyCursor(false);
    } catch (const std::exception& failure) {
        m_platform.SetBusyCursor(false);
        ShowError(m_platform, QString::fromStdString(failure.what()));
        return;
    }
    ReloadAround(entry, false);
}
