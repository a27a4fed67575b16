// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The Rename window: one line holding the file's name, its part before the extension
// selected. OK refuses an empty name, a "/" and a name of only dots with a message, and hands
// any other new name to its opener, which renames the file or tells why it cannot; the window
// stays open until a name is taken or the user cancels.
#include <functional>
#include <QDialog>

class Platform;
class QLineEdit;
class QPushButton;

class TRenameForm : public QDialog {
    Q_OBJECT
public:
    // `apply` renames the file to a new name and gives the refusal to tell, empty when done.
    TRenameForm(QWidget* owner, Platform& platform, const QString& name,
                std::function<QString(const QString& newName)> apply);

    // Why a typed name cannot be a file's name in a folder; empty when it may be tried.
    static QString Refusal(const QString& name);

    QLineEdit* edtName = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

    // OK: the name tried; the window closes once the file has it (or it is unchanged).
    void btnOKClick();

private:
    Platform& m_platform;
    QString m_name;
    std::function<QString(const QString&)> m_apply;
};
