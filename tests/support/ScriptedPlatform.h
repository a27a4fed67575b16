// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A platform for offscreen tests. It never blocks: it records every message box, beep and
// pointer movement, answers menus and save dialogs from a script, hands modal windows to a
// function the test supplies, and lets the test fire timers. Printers are scripted and
// print jobs recorded. The file system is real unless a test scripts a directory listing
// or the volumes.
#include "platform/Platform.h"

#include <deque>

class ScriptedPlatform;

class ScriptedTimer : public PlatformTimer {
public:
    ~ScriptedTimer() override;
    void Start(int intervalMs) override;
    void Stop() override;
    bool Active() const override { return m_active; }
    int Interval() const override { return m_interval; }

private:
    friend class ScriptedPlatform;
    struct Registry;
    explicit ScriptedTimer(std::shared_ptr<Registry> registry) : m_registry(std::move(registry)) {}
    std::shared_ptr<Registry> m_registry;
    bool m_active = false;
    int m_interval = 0;
};

class ScriptedPlatform : public Platform {
public:
    ScriptedPlatform();
    ~ScriptedPlatform() override;

    // --- Records, for tests to read ---
    struct Message {
        MessageKind kind;
        QString caption, text;
    };
    std::vector<Message> messages;
    QStringList notices;
    int beeps = 0;
    std::vector<QPoint> cursorSets;   // every SetCursorPos
    std::vector<QPoint> pointerMoves; // every MovePointerBy, as (dx, dy)
    std::vector<int> sleeps;
    std::vector<QImage> clipboard; // every image put on the clipboard
    int busyDepth = 0;
    int processCalls = 0;

    struct MenuRecord {
        QPoint pos;
        QStringList texts;         // visible entries without separators, '&' removed
        std::vector<bool> enabled; // one per text
        QString choice;            // the scripted choice ("" when dismissed)
        bool chosen = false;       // whether an enabled entry of that text was found
    };
    std::vector<MenuRecord> menus;

    std::vector<SaveDialogSetup> saveSetups; // every save dialog
    std::vector<QString> modals;             // class name of every window shown modally
    QStringList questions;                   // the text of every Yes/No question
    QStringList handedOver;                  // "with PATH" or "folder PATH", in order

    struct PrintJobRecord {
        QString printer;
        bool landscape = false;
        QString document;                            // set when begun
        std::vector<std::pair<QRect, QImage>> draws; // target and image of each drawing
        bool begun = false, ended = false, abandoned = false;
    };
    std::vector<PrintJobRecord> printJobs;

    // --- Settable state ---
    QPoint cursor {0, 0};
    QSize screenSize {1024, 768};
    QRect workArea; // the whole screen when not set
    int screenDepth = 32;
    std::function<QByteArray()> displayProfile; // none: an sRGB screen
    QSize iconSize {32, 32};
    QColor buttonFace {240, 240, 240};
    QString dateFormat = QStringLiteral("dd/MM/yyyy");
    uint32_t tick = 0; // advanced by the test and by Sleep

    // --- Script ---
    // Popup menus take their choices in order: the text of an entry (mnemonic '&' ignored),
    // searched in the menu and its submenus; "" or an empty queue dismisses the menu.
    std::deque<QString> menuChoices;
    // Save dialogs take their answers in order; nullopt or an empty queue cancels. RunSaveDialog
    // adds the default extension to an answer without one, as the real dialog does.
    std::deque<std::optional<QString>> saveAnswers;
    // False: the clipboard cannot be taken, and SetClipboardImage fails.
    bool clipboardAvailable = true;
    // Yes/No questions take their answers in order; an empty queue answers No.
    std::deque<bool> answers;
    // Receives each modally shown window (already shown) and returns the result code.
    // Without one, ShowModal returns QDialog::Rejected at once and shows nothing.
    std::function<int(QDialog&)> onModal;
    // Scripted directory listings and volumes in place of the real ones.
    std::function<std::optional<std::vector<DirEntry>>(const QString& folder, const QString& mask, ListFilter)>
        listOverride;
    std::optional<QStringList> volumes;
    // Printers, the selected one's index, and its page in portrait (landscape turns it).
    QStringList printers {QStringLiteral("Office laser"), kPdfFilePrinter};
    int printerIndex = 0;
    PageFacts pageFacts {600, 600, QSize(4800, 6600), QPoint(100, 100), QSize(5100, 6800)};
    // The next this-many reads of the selected printer's names find no device settings.
    int printerLoadFailures = 0;
    // A step of every job that fails with failureText; a job whose Begin is declined.
    enum class PrintStep { None, Begin, Draw, End };
    PrintStep printFailure = PrintStep::None;
    QString printFailureText = QStringLiteral("The printer is out of paper");
    bool declinePrint = false;

    // --- Timers ---
    // Timers are numbered in the order they were created; a destroyed timer keeps its number.
    int TimerCount() const;
    ScriptedTimer* Timer(int index) const; // nullptr once destroyed
    bool FireTimer(int index);             // fires it when it exists and is active
    int FireAll();                         // fires every active timer once; returns how many fired

    // --- Platform ---
    void ShowMessage(MessageKind kind, const QString& caption, const QString& text) override;
    void Beep() override;
    void ShowNotice(const QString& text) override { notices << text; }

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

    QStringList Printers() override;
    int PrinterIndex() override;
    void SelectPrinter(int index) override;
    std::optional<PrinterNames> SelectedPrinterNames() override;
    std::unique_ptr<PrintJob> CreatePrintJob(QWidget* parent) override;

private:
    std::optional<QString> NextSaveAnswer();
    std::shared_ptr<ScriptedTimer::Registry> m_timers;
};

// The name a save dialog gives back for a typed name: the default extension (without its period)
// added when the name's last part has no period.
QString WithDefaultExtension(const QString& name, const QString& extension);

// A menu entry's text as the user reads it: mnemonic '&' removed ("&&" gives "&"),
// shortcut text after a tab dropped.
QString MenuEntryText(const QString& actionText);
