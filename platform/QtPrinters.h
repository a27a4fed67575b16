// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The printers through Qt Print Support: the installed queues (CUPS on Linux) and the PDF
// file entry. The real platform serves its printer calls from here; a test platform may do
// the same to print for real while scripting the rest (the PDF file's name comes through the
// given platform's save dialog).
#include "platform/Platform.h"

class QtPrinters {
public:
    explicit QtPrinters(Platform& dialogs) : m_dialogs(dialogs) {}

    QStringList Printers();
    int PrinterIndex();
    void SelectPrinter(int index);
    std::optional<PrinterNames> SelectedPrinterNames();
    std::unique_ptr<PrintJob> CreatePrintJob(QWidget* parent);

private:
    QString Selected();

    Platform& m_dialogs;
    QStringList m_list;              // as last read
    std::optional<QString> m_chosen; // by name, so a queue added later does not shift it
};
