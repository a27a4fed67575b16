// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The page geometry of one print job: the printer's resolution, printable area, margins and
// text-line metrics, read from the job's printer. Made for a job and dropped after it.
#include <array>
#include <cstdint>
#include <QColor>
#include <QString>

class Platform;
class PrintJob;

// One column of a printed table. Picture printing leaves the table empty.
struct TGridColRecord {
    int32_t Position = 0;
    QString Caption;
    int32_t Width = 0;
    QString Format;
    int32_t Alignment = 0;
};
using TGridCol = std::array<TGridColRecord, 24>;

// The printing font.
struct TPrintFont {
    QString Name;
    int32_t Size = 0; // points
    bool Bold = false, Italic = false;
    QColor Colour;
};

// Device, driver and port names are kept as the printer interface's 80-character buffers.
inline constexpr int kPrinterNameLength = 79;

class TPrintPlace {
public:
    TPrintPlace(Platform& platform, PrintJob& job) : m_platform(platform), m_job(job) {}

    int32_t PixelsX = 0; // dots per inch
    int32_t PixelsY = 0;
    double PointScale = 0;                     // printer pixels per point
    int32_t DeviceWidth = 0, DeviceHeight = 0; // printable area as the device reports it
    int32_t PrintWidth = 0, PrintHeight = 0;   // less the margins
    int32_t PhysicalWidth = 0, PhysicalHeight = 0;
    int32_t LeftMargin = 0, TopMargin = 0, RightMargin = 0, BottomMargin = 0;
    int32_t LineHeight = 0;
    int32_t CurrentY = 0;
    int32_t LinesPerPage = 0;
    TGridCol Columns;
    QString Device, Driver, Port;
    // Text printing's title and lines; a picture leaves them empty.
    QString Title;
    std::array<QString, 9> Texts;
    TPrintFont Font;

    // The font for text (size in points when above 0), and the page back to portrait.
    void InitPrintFont(int32_t size);
    // Margins in inches: loads the printer, reads its metrics, sets the margins and the
    // line metrics.
    void SetupPage(double left, double top, double right, double bottom);

    void LoadPrinter();
    void ReadMetrics();
    void SetMargins(double left, double top, double right, double bottom);
    void ResetMargins();
    void CalcLineHeight();
    void CalcLinesPerPage();

private:
    Platform& m_platform;
    PrintJob& m_job;
};
