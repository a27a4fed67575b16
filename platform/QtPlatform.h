// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The real platform: Qt Widgets for the desktop services, FileServices for the file system.
#include "platform/Platform.h"
#include "platform/QtPrinters.h"

#include <QElapsedTimer>

class QtPlatform : public Platform {
public:
    QtPlatform();

    void ShowMessage(MessageKind kind, const QString& caption, const QString& text) override;
    void Beep() override;
    void ShowNotice(const QString& text) override;

    QPoint CursorPos() override;
    void SetCursorPos(QPoint pos) override;
    void MovePointerBy(int dx, int dy) override;

    QSize ScreenSize() override;
    QRect WorkArea() override;
    int ScreenDepth() override;
    QByteArray DisplayProfile() override;
    QSize SystemIconSize() override;
    QColor ButtonFaceColor() override;
    QString ShortDateFormat() override;

    uint32_t TickCount() override;
    void Sleep(int ms) override;
    void ProcessMessages() override;
    std::unique_ptr<PlatformTimer> CreateTimer() override;
    void SetBusyCursor(bool busy) override;

    QAction* PopupMenu(QMenu& menu, QPoint screenPos) override;
    int ShowModal(QDialog& dialog) override;
    std::optional<QString> RunSaveDialog(QWidget* parent, const SaveDialogSetup& setup) override;

    bool SetClipboardImage(const QImage& image) override;

    QString CurrentFolder() override;
    bool SetCurrentFolder(const QString& folder) override;
    std::optional<FileFacts> ReadFileFacts(const QString& path) override;
    bool CopyFile(const QString& from, const QString& to, bool failIfExists) override;
    std::optional<std::vector<DirEntry>> ListDirectory(const QString& folder, const QString& mask,
                                                       ListFilter filter) override;
    QStringList MountedVolumes() override;
    std::optional<TrashedFile> MoveToTrash(const QString& path, QString& why) override;
    bool RestoreFromTrash(const TrashedFile& file, QString& why) override;
    bool DeleteFile(const QString& path, QString& why) override;
    bool RenameFile(const QString& from, const QString& to, QString& why) override;
    bool AskYesNo(const QString& caption, const QString& text) override;
    bool OpenWith(const QString& path) override;
    bool ShowInFolder(const QString& path) override;

    QStringList Printers() override { return m_printers.Printers(); }
    int PrinterIndex() override { return m_printers.PrinterIndex(); }
    void SelectPrinter(int index) override { m_printers.SelectPrinter(index); }
    std::optional<PrinterNames> SelectedPrinterNames() override { return m_printers.SelectedPrinterNames(); }
    std::unique_ptr<PrintJob> CreatePrintJob(QWidget* parent) override { return m_printers.CreatePrintJob(parent); }

private:
    QtPrinters m_printers {*this};
    QElapsedTimer m_clock;
    int m_busyDepth = 0;
};

// Turns a desktop dialog filter ("Bitmaps (*.bmp)|*.bmp|All (*.jpg;*.bmp)|*.jpg;*.bmp") into
// Qt's form ("Bitmaps (*.bmp);;All (*.jpg *.bmp)"). Qt filters by the patterns in the last
// parentheses of each entry, so they are rewritten (or appended) from the pattern half.
QString QtFileDialogFilter(const QString& desktopFilter);
