// SPDX-License-Identifier: GPL-3.0-or-later
// Starting in a given folder with one of its files shown, as the program's command line asks.
#include <QDir>
#include <QLineEdit>
#include <QScopedValueRollback>
#include "controls/DirectoryListBox.h"
#include "controls/DriveComboBox.h"
#include "controls/FileListBox.h"
#include "platform/Platform.h"
#include "ui/common/ImageFacts.h"
#include "ui/browser/Viewmain.h"

bool TViewForm::OpenAt(const QString& folder, const QString& fileName)
{
    const QString dir = QDir::cleanPath(QDir(m_platform.CurrentFolder()).absoluteFilePath(folder));
    int index = -1;
    {
        // Every list below reports its change and would load a page of its own; one load
        // at the end is enough.
        const QScopedValueRollback quiet(Starting, true);
        if (dir != DirectoryListBox1->Directory())
            DirectoryListBox1->SetDirectory(dir); // throws when the folder cannot be entered
        DriveComboBox1->SetDrive(dir);
        if (!fileName.isEmpty() && IsImageExtension(ExtensionOf(fileName).toLower()))
            index = FileListBox1->Items().indexOf(fileName);
        FileListBox1->SetItemIndex(index);
    }
    if (index < 0) {
        LoadDirectory();
        return fileName.isEmpty();
    }
    // The page that holds the file, as paging from the first page reaches it; the first page
    // is not loaded on the way.
    ResetPaging(PicList);
    PicList.Total = ImageListCount();
    edtImageCount->setText(QString::number(PicList.Total));
    PicList.NextIndex = index / PageSize * PageSize;
    LoadPage();
    ChooseThumbnail(index % PageSize + 1);
    return true;
}
