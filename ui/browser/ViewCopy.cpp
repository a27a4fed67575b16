// SPDX-License-Identifier: GPL-3.0-or-later
// "Copy to Clipboard" and "Copy to" of the thumbnail popup: the clicked thumbnail's whole
// picture onto the clipboard, and its file copied unchanged to a name the user chooses.
#include <memory>
#include <QFileInfo>
#include "base/ScopeExit.h"
#include "controls/ImageControl.h"
#include "picture/ClipboardForm.h"
#include "picture/Failure.h"
#include "picture/JpegImage.h"
#include "picture/PictureFormats.h"
#include "platform/Messages.h"
#include "platform/Platform.h"
#include "ui/browser/Viewmain.h"

void TViewForm::mniCopytoClipboardClick()
{
    const TImage* image = PicList.Current >= 1 && PicList.Current <= kThumbnails ? Thumbnail(PicList.Current) : nullptr;
    const TGraphic* shown = image ? image->Picture().Graphic() : nullptr;
    if (!shown || shown->Empty()) {
        // A thumbnail whose file failed to load: the clipboard keeps what it has.
        ShowError(m_platform, tr("There is no picture to copy."));
        return;
    }
    // The thumbnail keeps only its reduced copy: the picture is read from its file again, for
    // the clipboard alone.
    const QString path = CurrentImageList().FullPath(image->Hint());
    std::unique_ptr<TGraphic> whole = CreateGraphicForFile(path);
    ClipboardForm form;
    {
        const bool busy = whole->Kind() == GraphicKind::Jpeg;
        if (busy)
            m_platform.SetBusyCursor(true);
        const ScopeExit idle([this, busy] {
            if (busy)
                m_platform.SetBusyCursor(false);
        });
        whole->LoadFromFile(path);
        form = MakeClipboardForm(*whole);
    }
    // An indexed image carries its palette as its colour table.
    if (!m_platform.SetClipboardImage(form.image))
        throw Failure("Cannot open clipboard");
}

void TViewForm::mniCopytoClick()
{
    const ScopeExit restore([this, folder = m_platform.CurrentFolder()] { m_platform.SetCurrentFolder(folder); });
    const QString entry = ImageInfo.FileName;
    if (entry.isEmpty())
        return;
    SaveDialogSetup setup;
    setup.fileName = QFileInfo(entry).fileName();
    setup.defaultExtension = ExtensionOf(entry).mid(1); // as the file has it, without its period
    const QString source = CurrentImageList().FullPath(entry);
    const std::optional<QString> target = m_platform.RunSaveDialog(this, setup);
    if (!target)
        return;
    // Replacing is allowed: the dialog has asked already. The bytes go unchanged whatever
    // extension the new name has.
    if (!m_platform.CopyFile(source, *target, false))
        ShowError(m_platform, source + tr(" not saved."));
}
