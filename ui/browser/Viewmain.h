// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The main window: drive, folder and file lists on the left, a page of thumbnails on the
// right, and the popup menu that leads to every other window.
#include <array>
#include <functional>
#include <memory>
#include <vector>
#include <QPointer>
#include <QWindow>
#include <QWidget>
#include "controls/ControlGeometry.h"
#include "platform/Guard.h"
#include "platform/Trash.h"
#include "ui/common/ImageList.h"
#include "ui/common/PageModel.h"
#include "ui/details/DetailsPanel.h"
#include "ui/search/SearchPanel.h"
#include "ui/slideshow/SlidePanel.h"

class Platform;
class QAction;
class QCheckBox;
class QFrame;
class QPushButton;
class QLabel;
class QLineEdit;
class QMenu;
class QToolButton;
class QWindow;
class DecodeQueue;
class TDirectoryListBox;
class TDriveComboBox;
class TFileListBox;
class TImage;
class TRadioGroup;
struct ProgressReport;
enum class Turn;
enum class TurnEdges;

class TViewForm : public QWidget {
    Q_OBJECT
public:
    static constexpr int kThumbnails = 25;

    explicit TViewForm(Platform& platform, QWidget* parent = nullptr);
    ~TViewForm() override;

    // Page state, read by the other windows.
    TPicList PicList;
    TImageInfo ImageInfo;
    TSearchInfo SearchInfo;
    int32_t PageSize = 9;
    int32_t GridSide = 3;
    bool SearchMode = false;
    bool Starting = true;
    // How a page cell is given its picture file, when set; unset, the window's own: nothing is
    // read here, a worker reads the header with the decode, started as the cell is laid out.
    // The thumbnail benchmark sets the older page load here to time both in one run.
    std::function<void(TImage* cell, const QString& entry, const ControlGeometry& bounds)> LoadCell;

    // Thumbnail n (1..25), found by its name "Image" followed by n.
    TImage* Thumbnail(int n) const;
    Platform& platform() const { return m_platform; }
    DecodeQueue& Decoder() const { return *m_decodeQueue; }

    // Reload the image list and show its first page / load the page at PicList.NextIndex.
    void LoadDirectory();
    void LoadPage();
    void ClearPage();
    void LayoutGrid();
    void ArrangePanels();
    // The image list: the search results in search mode, else the folder's file list; the
    // windows this one opens take it from here.
    ImageList CurrentImageList() const;
    int ImageListCount() const;
    QString ImageListEntry(int index) const;
    // The full path of an entry: the entry itself in search mode, else folder + "/" + entry.
    QString FullPath(const QString& entry) const;
    // Start-up in folder mode (ui/browser/ViewOpen.cpp): shows `folder`'s image list at the page
    // that holds `fileName` with its thumbnail chosen, or the first page when the name is empty.
    // False when the name is not one of the list's pictures (the first page is shown then);
    // throws when the folder cannot be entered.
    bool OpenAt(const QString& folder, const QString& fileName);

    // Handlers (named after control and event).
    void MoveClick(QToolButton* sender);
    void rdgTypeClick();
    void rdgCountClick();
    void FileListBox1Change();
    // A click on an entry of the folder's list (fromResults false) or the search results.
    void ListEntryClick(bool fromResults, int index);
    void AllImageClick(TImage* sender);
    void ImageContextPopup(TImage* sender);
    void AllImageProgress(TImage* sender, const ProgressReport& report);
    void FormResize();
    void HelpPopup();
    void mniCopytoClipboardClick();
    void mniSaveAsClick(QAction* sender);
    void mniCopytoClick();

    // --- popup dispatch to the full-screen window (ui/browser/ViewDispatch.cpp) ---
    // Opens the window for the clicked thumbnail, in the mode of the entry's tag.
    void mniFullScreenClick(QAction* sender);
    void mniPrintClick(QAction* sender);
    // The zoom entry: the zoom window on the clicked thumbnail's picture.
    void OpenZoom();
    // Position of the first image-list entry equal to `entry` ignoring case, -1 when none.
    int ImageListIndexOf(const QString& entry) const;
    // --- end popup dispatch ---

    // --- image facts and details panel (ui/browser/ViewDetails.cpp) ---
    // Filled at every thumbnail click before the popup opens.
    void GatherImageDetails();
    bool ReadFileFacts(const QString& entry);
    bool ReadBitmapHeader(const QString& entry);
    void mniDetailsClick();
    // Which facts the last click refreshed (the details panel shows only those).
    TFreshFacts FreshFacts;
    // The details panel (ui/details/), driven through its own interface.
    TDetailsPanel& Details() const { return *pnlDetail; }
    // --- end details ---

    // --- search area (ui/search/, hooked up in ui/browser/ViewSearch.cpp) ---
    // Opens the search area over the file panel; the page shows its results from then on.
    void btnSearchClick();
    // Set while the window is closing (the application ends): a running walk stops.
    bool Terminating = false;
    // The search area, driven through its own interface.
    TSearchPanel& SearchPanel() const { return *pnlSearch; }
    // --- end search ---

    // --- slide show (ui/browser/ViewSlide.cpp) ---
    // Opens the slide panel (ui/slideshow/) over the top left of the thumbnails.
    void btnSlideClick();
    // The panel's OK: the show from the page's first thumbnail.
    void RunSlideShow();
    // The slide set-up, run by mniFullScreenClick while the panel is open: the window's
    // seconds and list. False when there are no images; throws when the seconds are not a
    // whole number.
    bool SlideSetUp(class TFullForm& full);
    // The slide panel, driven through its own interface.
    TSlidePanel& Slides() const { return *pnlSlide; }
    // --- end slide show ---

    // --- keyboard and the chosen thumbnail (ui/browser/ViewKeys.cpp) ---
    // The chosen thumbnail is PicList.Current, marked by a frame while it is on the page.
    void ChooseThumbnail(int k);
    // The chosen thumbnail's picture in the full-screen window (Enter, Space, F11); the
    // first thumbnail when none is chosen.
    void OpenChosen();
    // The popup at the chosen thumbnail (Menu key, Shift+F10).
    void PopupAtChosen();
    // Reads the folder again (F5), the page kept at its first picture where that is still listed.
    void ReadFolderAgain();
    // --- end keyboard ---

    // --- trash (ui/browser/ViewTrash.cpp) and rename ---
    // The popup's "Move to Trash": the clicked thumbnail's file.
    void mniTrashClick();
    // An image-list entry's file to the trash, with an Undo; false, with the reason told,
    // when it stays. The page closes the gap.
    bool TrashEntry(const QString& entry);
    // The chosen thumbnail's file deleted for good, after a question (Shift+Delete).
    void DeleteChosen();
    // The last trashed file put back (Ctrl+Z, the note's Undo); its entry, or empty with a
    // beep when there is none or with the reason told when it stays in the trash.
    QString UndoTrash();
    bool CanUndoTrash() const { return !m_trashed.empty(); }
    // Rename (ui/browser/ViewRename.cpp): the popup's "Rename", and F2 on the chosen thumbnail.
    void mniRenameClick();
    void RenameEntry(const QString& entry);
    QAction* mniRename = nullptr;
    // Turning without loss (ui/browser/ViewTurn.cpp): popup entries and Ctrl+R, Ctrl+L. The
    // file is turned on a worker, one turn at a time (another meanwhile beeps); the page shows
    // it again when it is done.
    // `done` runs once the file is turned (the full-screen window shows it again).
    void TurnEntry(const QString& entry, Turn turn, std::function<void()> done = {});
    // Waits for a turn under way and handles its end.
    void FinishTurns();
    QAction* mniRotateRight = nullptr;
    QAction* mniRotateLeft = nullptr;
    QAction* mniFlip = nullptr;
    // "Open With…" (false) and "Show in Folder" (true): the clicked file handed to the desktop.
    void HandOver(bool toFolder);
    QAction* mniOpenWith = nullptr;
    QAction* mniShowInFolder = nullptr;
    QFrame* pnlUndo = nullptr; // the note with its Undo, over the page's foot
    QLabel* lblUndo = nullptr;
    QPushButton* btnUndo = nullptr;
    QAction* mniTrash = nullptr;

private:
    struct TrashRecord {
        TrashedFile file;
        QString entry;
        QString path;      // the entry's full path when it went
        int listIndex = 0; // where a search result stood, to stand there again
        bool fromSearch = false;
    };
    void BuildUndoNote();
    void ShowUndoNote(const QString& text);
    QString ChosenEntry() const;
    // The entry's file is gone: the search results lose it and the page loads again where it
    // stood, its choice at the same place.
    void CloseGap(const QString& entry);
    // The page again from its first picture, the choice on `entry` where the page shows it,
    // else at the same place. `listChanged` false: the same entries, their files changed.
    void ReloadAround(const QString& entry, bool listChanged = true);
    void LoadPageFrom(int first);       // the list read as it stands, the page from `first`
    std::vector<TrashRecord> m_trashed; // newest last
    enum class TurnOutcome { Done, PartialBlocks, Failed };
    void StartTurn(const QString& entry, Turn turn, TurnEdges edges, std::function<void()> done);
    void TurnFinished(const QString& entry, Turn turn, TurnOutcome outcome, const QString& failure,
                      const std::function<void()>& done);
    bool m_turnBusy = false;
    bool TurnUnderWay();                        // true, with a beep, while a turn is under way
    std::shared_ptr<class QThreadPool> m_turns; // made at the first turn; waited for on closing
    std::unique_ptr<class PlatformTimer> m_undoNote;

public:
    // --- end trash and rename ---

    // --- help, about and goodbye (ui/dialogs/ViewDialogs.cpp) ---
    void btnHelpClick();
    void btnInfoClick();
    // Shows the Goodbye plate while the window closes.
    void FormClose();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    bool m_leaving = false; // a second close request while the plate stands brings no second plate
public:
    // --- end help ---

    // Controls, named as the window's users know them.
    QWidget* pnlControl = nullptr;
    QToolButton* btnGo = nullptr;
    QToolButton* btnStop = nullptr;
    QToolButton* btnHelp = nullptr;
    QToolButton* btnSlide = nullptr;
    QToolButton* btnSearch = nullptr;
    QWidget* pnlButtons = nullptr;
    QToolButton* btnFirst = nullptr;
    QToolButton* btnUp = nullptr;
    QToolButton* btnDown = nullptr;
    QToolButton* btnLast = nullptr;
    QWidget* pnlFile = nullptr;
    TDriveComboBox* DriveComboBox1 = nullptr;
    TDirectoryListBox* DirectoryListBox1 = nullptr;
    QWidget* pnlImageControl = nullptr;
    TRadioGroup* rdgType = nullptr;
    TRadioGroup* rdgCount = nullptr;
    QLabel* lblTotImage = nullptr;
    QLineEdit* edtImageCount = nullptr;
    QLabel* lblLast = nullptr;
    QLineEdit* edtCount = nullptr;
    TFileListBox* FileListBox1 = nullptr;
    QWidget* pnlImage = nullptr;
    QMenu* pumPicture = nullptr;
    QMenu* pumHelp = nullptr;
    QAction* mniFullScreen = nullptr;
    QAction* mniShowFullSize = nullptr;
    QAction* mniZoom = nullptr;
    QAction* mniDetails = nullptr;
    QAction* mniPrint = nullptr;
    QAction* mniPrintFullPage = nullptr;
    QAction* mniCopytoClipboard = nullptr;
    QAction* mniThumbNail = nullptr;
    QAction* mniTAsJpeg = nullptr;
    QAction* mniTAsBitmap = nullptr;
    QAction* mniSave = nullptr;
    QAction* mniAsJpeg = nullptr;
    QAction* mniAsBitmap = nullptr;
    QAction* mniCopyto = nullptr;
    QAction* mniExit = nullptr;
    QAction* mniHelp = nullptr;
    QAction* mniAbout = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormCreate();
    void DockPanels();
    void BuildToolbar();
    void BuildFilePanel();
    void BuildImageArea();
    void BuildPopupMenus();
    void BuildSearchPanel();
    void LoadThumbnail(int k);
    // The start size and place: inside the screen's work area, shrunk to fit a small one.
    void PlaceOnScreen();
    // A new size keeps the page: its cells laid out again at once, the copies at hand drawn
    // scaled, and new copies decoded once the size has settled.
    void RelayoutPage();
    void SettleSize();
    void StartCellDecodes(); // for every shown cell whose copy is not of its size
    // The bounds of page cell k in the grid, before it is shaped to its picture.
    ControlGeometry CellGeometry(int k) const;
    // Shapes a cell to its picture once a worker has read the picture's header.
    void ThumbnailSized(TImage* img);
    void FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    // The window's own keys and the page's keys; false when the key is not theirs.
    bool WindowKey(int key, Qt::KeyboardModifiers modifiers);
    bool PageKey(int key, Qt::KeyboardModifiers modifiers);
    void BuildChoiceFrame();
    TImage* Chosen() const; // the chosen thumbnail when it is on the page, else null
    void StepChoice(int delta);
    QStringList PageEntries(int first) const; // the image list's entries a page from `first` shows
    void ShowChoice();
    void ImagePopup(TImage* sender, QPoint at);
    void ApplyPageMove(PageMove move);
    void EndPageLoad();
    void ShowLoadingLight(bool on);
    // Runs a handler inside the guard so a failure reaches the top-level report.
    template <class F>
    void Guard(F&& f)
    {
        Guarded(m_platform, std::forward<F>(f));
    }

    Platform& m_platform;
    TDetailsPanel* pnlDetail = nullptr;
    TSlidePanel* pnlSlide = nullptr;
    TSearchPanel* pnlSearch = nullptr;
    class QFrame* m_choiceFrame = nullptr;
    class TFolderWatch* m_folderWatch = nullptr;
    std::unique_ptr<class PlatformTimer> m_settle; // runs while a new size settles
    DecodeQueue* m_decodeQueue = nullptr;          // decodes thumbnails (JPEG ones on worker threads)
    std::array<TImage*, kThumbnails> m_images {};
    quint64 m_pageGeneration = 0; // bumped by every page load; a nested load ends an older one
    QPointer<QWindow> m_keyWatch; // the native window whose keys the window sees first
};
