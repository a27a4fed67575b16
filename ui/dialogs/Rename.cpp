// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/dialogs/Rename.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include "base/FileNames.h"
#include "platform/Guard.h"
#include "platform/Messages.h"

TRenameForm::TRenameForm(QWidget* owner, Platform& platform, const QString& name,
                         std::function<QString(const QString& newName)> apply)
    : QDialog(owner), m_platform(platform), m_name(name), m_apply(std::move(apply))
{
    setObjectName(QStringLiteral("RenameForm"));
    setWindowTitle(QStringLiteral("Rename"));
    auto* column = new QVBoxLayout(this);
    column->addWidget(new QLabel(QStringLiteral("New name:"), this));
    edtName = new QLineEdit(DisplayName(name), this);
    edtName->setObjectName(QStringLiteral("edtName"));
    edtName->setMinimumWidth(320);
    // The name before its extension, so typing replaces it and the kind of file stays.
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    edtName->setSelection(0, int(dot > 0 ? dot : name.size()));
    column->addWidget(edtName);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    btnOK = buttons->button(QDialogButtonBox::Ok);
    btnCancel = buttons->button(QDialogButtonBox::Cancel);
    column->addWidget(buttons);
    ConnectGuarded(m_platform, btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

QString TRenameForm::Refusal(const QString& name)
{
    if (name.isEmpty())
        return QStringLiteral("Please type a name.");
    if (name.contains(QLatin1Char('/')))
        return QStringLiteral("A name cannot hold a \"/\".");
    if (name.count(QLatin1Char('.')) == name.size())
        return QStringLiteral("A name of only dots is not allowed.");
    return {};
}

void TRenameForm::btnOKClick()
{
    // A name shown unchanged keeps its bytes, even those the line could not show.
    const QString typed = edtName->text();
    const QString name = typed == DisplayName(m_name) ? m_name : typed;
    QString refusal = Refusal(name);
    if (refusal.isEmpty() && name != m_name)
        refusal = m_apply(name);
    if (!refusal.isEmpty()) {
        ShowInformation(m_platform, refusal);
        edtName->setFocus();
        return;
    }
    accept();
}
