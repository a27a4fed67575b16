// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/lib/Remember.h"
#include <QDir>
#include <QSettings>
#include "controls/DirectoryListBox.h"
#include "controls/RadioGroup.h"
#include "ui/browser/Viewmain.h"

namespace {
const QString kGeometry = QStringLiteral("window/geometry");
const QString kPage = QStringLiteral("page/display");
const QString kType = QStringLiteral("page/fileType");
const QString kFolder = QStringLiteral("page/folder");
} // namespace

std::unique_ptr<QSettings> OpenRemembered(bool wanted)
{
    if (!wanted || !qEnvironmentVariableIsEmpty("LUMIVUE_NO_REMEMBER"))
        return nullptr;
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("lumivue"),
                                       QStringLiteral("lumivue"));
}

RememberedView ReadRemembered(QSettings& store)
{
    RememberedView view;
    view.geometry = store.value(kGeometry).toByteArray();
    view.pageItem = store.value(kPage, -1).toInt();
    view.typeItem = store.value(kType, -1).toInt();
    view.folder = store.value(kFolder).toString();
    return view;
}

void WriteRemembered(QSettings& store, const RememberedView& view)
{
    store.setValue(kGeometry, view.geometry);
    store.setValue(kPage, view.pageItem);
    store.setValue(kType, view.typeItem);
    store.setValue(kFolder, view.folder);
    store.sync();
}

RememberedView RememberedOf(const TViewForm& form)
{
    return {form.saveGeometry(), form.rdgCount->ItemIndex(), form.rdgType->ItemIndex(),
            form.DirectoryListBox1->Directory()};
}

void ApplyRemembered(TViewForm& form, const RememberedView& view)
{
    // Out-of-range values (an edited or older file) are not choices.
    if (view.typeItem >= 0 && view.typeItem < 5 && view.typeItem != form.rdgType->ItemIndex()) {
        form.rdgType->SetItemIndex(view.typeItem);
        form.rdgTypeClick();
    }
    if (view.pageItem >= 0 && view.pageItem < 5 && view.pageItem != form.rdgCount->ItemIndex()) {
        form.rdgCount->SetItemIndex(view.pageItem);
        form.rdgCountClick();
    }
    if (!view.geometry.isEmpty())
        form.restoreGeometry(view.geometry);
}

QString DefaultStartFolder(const QString& working, const QString& home, const QString& last, const QString& pictures,
                           const std::function<bool(const QString&)>& isFolder)
{
    if (QDir::cleanPath(working) != QDir::cleanPath(home))
        return working;
    for (const QString& folder : {last, pictures}) {
        if (!folder.isEmpty() && isFolder(folder))
            return folder;
    }
    return working;
}
