// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/print/PrintPlace.h"
#include <QCoreApplication>
#include "picture/Numbers.h"
#include "platform/Platform.h"
#include "ui/print/Placement.h"

void TPrintPlace::InitPrintFont(int32_t size)
{
    if (size > 0)
        Font.Size = size;
    Font.Name = QStringLiteral("Arial");
    Font.Bold = Font.Italic = false;
    Font.Colour = Qt::black;
    m_job.SetLandscape(false);
}

void TPrintPlace::SetupPage(double left, double top, double right, double bottom)
{
    LoadPrinter();
    ReadMetrics();
    SetMargins(left, top, right, bottom);
    CurrentY = TopMargin;
    CalcLineHeight();
    CalcLinesPerPage();
}

void TPrintPlace::LoadPrinter()
{
    std::optional<PrinterNames> names = m_platform.SelectedPrinterNames();
    if (!names) {
        m_platform.SelectPrinter(m_platform.PrinterIndex());
        names = m_platform.SelectedPrinterNames();
    }
    if (!names) {
        // The job goes on; a printer that really is gone fails when the job begins.
        m_platform.ShowMessage(MessageKind::Plain, QCoreApplication::applicationName(),
                               QCoreApplication::translate("TPrintPlace", "Could not load printer"));
        return;
    }
    Device = names->device.left(kPrinterNameLength);
    Driver = names->driver.left(kPrinterNameLength);
    Port = names->port.left(kPrinterNameLength);
}

void TPrintPlace::ReadMetrics()
{
    const PageFacts facts = m_job.Facts();
    PixelsX = facts.dpiX;
    PixelsY = facts.dpiY;
    PointScale = PixelsY / 72.0;
    PrintWidth = DeviceWidth = facts.printable.width();
    PrintHeight = DeviceHeight = facts.printable.height();
    ResetMargins();
    TopMargin = facts.printableOffset.y();
    LeftMargin = facts.printableOffset.x();
    PhysicalWidth = facts.paper.width();
    PhysicalHeight = facts.paper.height();
}

void TPrintPlace::ResetMargins()
{
    LeftMargin = 0;
    TopMargin = 0;
    RightMargin = PrintWidth;
    BottomMargin = PrintHeight;
}

void TPrintPlace::SetMargins(double left, double top, double right, double bottom)
{
    ResetMargins();
    if (left + right > 0) {
        LeftMargin = Round(static_cast<long double>(PixelsX) * left);
        RightMargin = Round(static_cast<long double>(PixelsX) * right);
        PrintWidth -= LeftMargin + RightMargin;
    }
    if (top + bottom > 0) {
        TopMargin = Round(static_cast<long double>(PixelsY) * top);
        BottomMargin = Round(static_cast<long double>(PixelsY) * bottom);
        PrintHeight -= TopMargin + BottomMargin;
    }
}

void TPrintPlace::CalcLineHeight()
{
    LineHeight = LineHeightFor(Font.Size, PointScale);
}

void TPrintPlace::CalcLinesPerPage()
{
    LinesPerPage = LinesPerPageFor(PrintHeight, PixelsY, LineHeight);
}
