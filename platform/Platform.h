// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Every service the windows use by its desktop role goes through this one interface.
// QtPlatform is the real one; ScriptedPlatform records and answers for tests.
// Windows receive the platform from their opener; nothing reaches for a global.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>
#include <QColor>
#include <QDateTime>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include "platform/Trash.h"

class QAction;
class QDialog;
class QMenu;
class QWidget;

enum class MessageKind { Information, Error, Plain };

struct FileFacts {
    uint64_t size = 0;
    QDateTime lastWrite; // local time
};

struct DirEntry {
    QString name;
    bool isDirectory = false;
    bool isHidden = false; // name starts with "."
    bool isLink = false;   // reached through a symbolic link (lets a folder walk avoid loops)
};

enum class ListFilter { Files, Directories, All };

// The save-file dialog's set-up. The default extension (without its period) is added to a name
// typed without one, before the overwrite question is asked about the resulting name.
struct SaveDialogSetup {
    QString title, filter, folder, fileName;
    QString defaultExtension; // the dialog always asks before an existing file is chosen
};

// A millisecond timer; the scripted platform lets a test fire it.
class PlatformTimer {
public:
    virtual ~PlatformTimer() = default;
    virtual void Start(int intervalMs) = 0;
    virtual void Stop() = 0;
    virtual bool Active() const = 0;
    virtual int Interval() const = 0;
    std::function<void()> OnTimeout;
};

// What a print job's placement needs from the printer, in printer pixels, for the job's
// current orientation.
struct PageFacts {
    int dpiX = 0; // resolution, dots per inch
    int dpiY = 0;
    QSize printable;        // the printable area
    QPoint printableOffset; // its top-left corner, from the paper's top-left corner
    QSize paper;            // the whole sheet
};

// The selected printer's device, driver and port names.
struct PrinterNames {
    QString device, driver, port;
};

// One job on one printer, portrait until told otherwise. Drawing is in printer pixels with
// the origin at the printable area's top-left corner. Failures throw std::runtime_error
// carrying the text for the user; a job destroyed before End is abandoned. End hands the
// page over; what becomes of it afterwards is told to the user by the platform.
class PrintJob {
public:
    virtual ~PrintJob() = default;
    virtual PageFacts Facts() = 0;
    virtual void SetLandscape(bool landscape) = 0; // before Begin
    // False when the user declined (the PDF file entry asks for its file here).
    virtual bool Begin(const QString& documentName) = 0;
    virtual void DrawImage(const QRect& target, const QImage& image) = 0;
    virtual void End() = 0; // one page
};

// The printer list's entry that writes a PDF file.
inline const QString kPdfFilePrinter = QStringLiteral("PDF file");

class Platform {
public:
    virtual ~Platform() = default;

    // Message boxes with a single OK button.
    virtual void ShowMessage(MessageKind kind, const QString& caption, const QString& text) = 0;
    virtual void Beep() = 0;
    // A passing note that needs no answer (a print job done).
    virtual void ShowNotice(const QString& text) = 0;

    // Mouse pointer.
    virtual QPoint CursorPos() = 0;
    virtual void SetCursorPos(QPoint pos) = 0;
    virtual void MovePointerBy(int dx, int dy) = 0;

    // Screen and desktop facts.
    virtual QSize ScreenSize() = 0;
    // The part of the screen windows may take (without panels and docks), in the same units.
    virtual QRect WorkArea() = 0;
    virtual int ScreenDepth() = 0;
    // The display's colour profile (ICC) as the desktop's colour service names it; empty when
    // none is named, the screen then taken as sRGB.
    virtual QByteArray DisplayProfile() = 0;
    virtual QSize SystemIconSize() = 0;
    virtual QColor ButtonFaceColor() = 0;
    virtual QString ShortDateFormat() = 0;

    // Time and the message loop.
    virtual uint32_t TickCount() = 0;
    virtual void Sleep(int ms) = 0;
    virtual void ProcessMessages() = 0;
    virtual std::unique_ptr<PlatformTimer> CreateTimer() = 0;
    virtual void SetBusyCursor(bool busy) = 0;

    // Windows and menus. PopupMenu shows the menu at a screen position, triggers the
    // chosen action and returns it (nullptr when the menu was dismissed).
    virtual QAction* PopupMenu(QMenu& menu, QPoint screenPos) = 0;
    // Shows a window modally and returns its result code.
    virtual int ShowModal(QDialog& dialog) = 0;
    // The save-file dialog; nullopt when cancelled. It asks before an existing file is
    // replaced; the set-up's `defaultExtension` ("bmp") is added to a typed name that has none.
    virtual std::optional<QString> RunSaveDialog(QWidget* parent, const SaveDialogSetup& setup) = 0;

    // Clipboard: false when the clipboard cannot be taken.
    virtual bool SetClipboardImage(const QImage& image) = 0;

    // File system.
    virtual QString CurrentFolder() = 0;
    virtual bool SetCurrentFolder(const QString& folder) = 0;
    virtual std::optional<FileFacts> ReadFileFacts(const QString& path) = 0;
    // Copies a regular file byte for byte; a copy onto the source itself fails.
    virtual bool CopyFile(const QString& from, const QString& to, bool failIfExists) = 0;
    // Entries of `folder` whose names match the ";"-separated wildcard mask ("*" and "?",
    // case-insensitive); "." and ".." are never listed. nullopt when the folder cannot be listed.
    virtual std::optional<std::vector<DirEntry>> ListDirectory(const QString& folder, const QString& mask,
                                                               ListFilter filter) = 0;
    virtual QStringList MountedVolumes() = 0;
    // The desktop's trash (platform/Trash.h); a failure leaves the file and gives the reason.
    virtual std::optional<TrashedFile> MoveToTrash(const QString& path, QString& why) = 0;
    virtual bool RestoreFromTrash(const TrashedFile& file, QString& why) = 0;
    virtual bool DeleteFile(const QString& path, QString& why) = 0;
    // A new name for a file, never over an existing one; false with the reason.
    virtual bool RenameFile(const QString& from, const QString& to, QString& why) = 0;
    // The file handed to the desktop, without waiting for it: the application chooser (the
    // portal's OpenURI with "ask", else xdg-open), or the file manager showing it in its
    // folder (FileManager1.ShowItems, else xdg-open on the folder). False when nothing started.
    virtual bool OpenWith(const QString& path) = 0;
    virtual bool ShowInFolder(const QString& path) = 0;
    // A question answered Yes (true) or No.
    virtual bool AskYesNo(const QString& caption, const QString& text) = 0;

    // Printers: the installed print queues, then kPdfFilePrinter. The selected printer belongs
    // to the process: the default printer until another is selected, then that one until the
    // program ends. While the selected printer is missing from the list (a scheduler that
    // is down lists none), the default printer, else the first entry, stands in for it.
    virtual QStringList Printers() = 0;
    virtual int PrinterIndex() = 0; // in the list Printers() last gave; -1 when it is gone
    virtual void SelectPrinter(int index) = 0;
    // nullopt when the selected printer's device settings cannot be read.
    virtual std::optional<PrinterNames> SelectedPrinterNames() = 0;
    // A job on the selected printer; `parent` owns any dialog the job shows.
    virtual std::unique_ptr<PrintJob> CreatePrintJob(QWidget* parent) = 0;
};

// Wildcard match of one name against a ";"-separated mask ("*" and "?", case-insensitive).
bool MatchesMask(const QString& name, const QString& mask);
bool MatchesWildcard(const QString& name, const QString& pattern);
