// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/QtPrinters.h"

#include <cstdio>
#include <stdexcept>
#include <sys/stat.h>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryFile>
#include "base/FileNames.h"

namespace {

[[noreturn]] void Fail(const QString& text)
{
    throw std::runtime_error(text.toStdString());
}

class QtPrintJob : public PrintJob {
public:
    QtPrintJob(Platform& dialogs, QWidget* parent, const QString& printer)
        : m_dialogs(dialogs), m_parent(parent), m_name(printer), m_printer(QPrinter::HighResolution)
    {
        if (printer == kPdfFilePrinter)
            m_printer.setOutputFormat(QPrinter::PdfFormat);
        else
            m_printer.setPrinterName(printer);
        m_printer.setFullPage(false); // the origin at the printable area
        m_printer.setPageOrientation(QPageLayout::Portrait);
        m_portrait = m_printer.pageLayout();
    }

    ~QtPrintJob() override
    {
        if (m_ended)
            return;
        if (m_painter && m_painter->isActive()) {
            m_printer.abort();
            m_painter->end();
        }
        if (!m_temporary.isEmpty())
            QFile::remove(m_temporary);
    }

    PageFacts Facts() override
    {
        const QPageLayout layout = m_printer.pageLayout();
        const int resolution = m_printer.resolution();
        const QRect paint = layout.paintRectPixels(resolution);
        PageFacts facts;
        facts.dpiX = m_printer.logicalDpiX();
        facts.dpiY = m_printer.logicalDpiY();
        facts.printable = paint.size();
        facts.printableOffset = paint.topLeft();
        facts.paper = layout.fullRectPixels(resolution).size();
        return facts;
    }

    void SetLandscape(bool landscape) override
    {
        if (!landscape) {
            m_printer.setPageLayout(m_portrait);
            return;
        }
        // The page turns as a whole: its printable area is the portrait one turned, so the
        // extents measured in portrait hold. Qt keeps each margin on its side when only the
        // orientation changes, so the margins are turned too (top becomes left).
        QPageLayout turned = m_portrait;
        turned.setOrientation(QPageLayout::Landscape);
        const QMarginsF m = m_portrait.margins();
        turned.setMinimumMargins(QMarginsF());
        turned.setMargins(QMarginsF(m.top(), m.right(), m.bottom(), m.left()));
        if (!m_printer.setPageLayout(turned))
            m_printer.setPageOrientation(QPageLayout::Landscape);
    }

    bool Begin(const QString& documentName) override
    {
        if (m_name == kPdfFilePrinter && !ChooseFile(documentName))
            return false;
        m_printer.setDocName(DisplayName(documentName)); // shown in the print queue
        m_painter = std::make_unique<QPainter>();
        if (!m_painter->begin(&m_printer)) {
            m_painter.reset();
            Fail(m_target.isEmpty() ? QCoreApplication::translate("QtPrinters", "Cannot print on %1").arg(m_name)
                                    : QCoreApplication::translate("QtPrinters", "Cannot write %1").arg(m_target));
        }
        return true;
    }

    void DrawImage(const QRect& target, const QImage& image) override
    {
        if (!m_painter)
            Fail(QCoreApplication::translate("QtPrinters", "The print job on %1 has not begun").arg(m_name));
        m_painter->drawImage(target, image);
        if (m_printer.printerState() == QPrinter::Error)
            Fail(QCoreApplication::translate("QtPrinters", "Printing on %1 failed").arg(m_name));
    }

    void End() override
    {
        if (!m_painter)
            Fail(QCoreApplication::translate("QtPrinters", "The print job on %1 has not begun").arg(m_name));
        const bool ended = m_painter->end();
        m_painter.reset();
        if (!ended || m_printer.printerState() == QPrinter::Error)
            Fail(QCoreApplication::translate("QtPrinters", "Printing on %1 failed").arg(m_name));
        if (!m_temporary.isEmpty()) {
            // The finished file replaces the target only now, so a failed job leaves an
            // existing file alone.
            const mode_t mask = umask(0);
            umask(mask);
            chmod(QFile::encodeName(m_temporary).constData(), 0666 & ~mask);
            if (std::rename(QFile::encodeName(m_temporary).constData(), QFile::encodeName(m_target).constData()) != 0)
                Fail(QCoreApplication::translate("QtPrinters", "Cannot write %1").arg(m_target));
            m_temporary.clear();
        }
        m_ended = true;
    }

private:
    // Asks for the PDF file and prepares a temporary file beside it; false when declined.
    bool ChooseFile(const QString& documentName)
    {
        // Shown to the user in the dialog, so with replacement characters.
        const QString suggested = DisplayName(QFileInfo(documentName).completeBaseName()) + QStringLiteral(".pdf");
        SaveDialogSetup setup;
        setup.title = QCoreApplication::translate("QtPrinters", "Print to PDF file");
        setup.filter = QCoreApplication::translate("QtPrinters", "PDF files (*.pdf)|*.pdf");
        setup.fileName = suggested;
        const std::optional<QString> chosen = m_dialogs.RunSaveDialog(m_parent, setup);
        if (!chosen || chosen->isEmpty())
            return false;
        m_target = *chosen;
        if (QFileInfo(m_target).suffix().isEmpty())
            m_target += QStringLiteral(".pdf");
        QTemporaryFile temporary(m_target + QStringLiteral(".XXXXXX"));
        temporary.setAutoRemove(false);
        if (!temporary.open())
            Fail(QCoreApplication::translate("QtPrinters", "Cannot write %1").arg(m_target));
        m_temporary = temporary.fileName();
        temporary.close();
        m_printer.setOutputFileName(m_temporary);
        return true;
    }

    Platform& m_dialogs;
    QWidget* m_parent;
    QString m_name;
    QPrinter m_printer;
    QPageLayout m_portrait;
    std::unique_ptr<QPainter> m_painter;
    QString m_target;    // the PDF file chosen
    QString m_temporary; // written first, renamed over the target when complete
    bool m_ended = false;
};

} // namespace

QStringList QtPrinters::Printers()
{
    m_list = QPrinterInfo::availablePrinterNames();
    m_list << kPdfFilePrinter;
    return m_list;
}

QString QtPrinters::Selected()
{
    if (!m_chosen) {
        const QString standard = QPrinterInfo::defaultPrinterName();
        const QStringList list = m_list.isEmpty() ? Printers() : m_list;
        m_chosen = list.contains(standard) ? standard : list.front();
    }
    return *m_chosen;
}

int QtPrinters::PrinterIndex()
{
    return int(m_list.indexOf(Selected()));
}

void QtPrinters::SelectPrinter(int index)
{
    if (m_list.isEmpty())
        Printers();
    if (index >= 0 && index < m_list.size())
        m_chosen = m_list[index];
}

std::optional<PrinterNames> QtPrinters::SelectedPrinterNames()
{
    const QString name = Selected();
    if (name == kPdfFilePrinter)
        return PrinterNames {name, QString(), QString()};
    const QPrinterInfo info = QPrinterInfo::printerInfo(name);
    if (info.isNull())
        return std::nullopt;
    return PrinterNames {info.printerName(), info.makeAndModel(), info.location()};
}

std::unique_ptr<PrintJob> QtPrinters::CreatePrintJob(QWidget* parent)
{
    return std::make_unique<QtPrintJob>(m_dialogs, parent, Selected());
}
