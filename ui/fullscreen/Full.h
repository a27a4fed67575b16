// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The full-screen window: one picture over the whole screen on black, fitted to the screen
// or at its own size with scroll bars. Page Up and Page Down, the arrows, Space, Backspace and
// the wheel step through the image list the picture came from, Home and End go to its ends,
// Esc and F11 close. The main window opens it modally and destroys it after.
// Two later features share this window: a timed slide show and a print panel; their places
// are marked below.
#include <cstdint>
#include <functional>
#include <memory>
#include "ui/common/ScreenWindow.h"
#include <QPointer>
#include "controls/ImageControl.h"
#include "ui/common/Geometry.h"
#include "ui/common/ImageList.h"
#include "platform/Guard.h"
#include "ui/print/Placement.h"

enum class Turn; // picture/LosslessTurn.h

class AnimationPlayer;
class Platform;
class PlatformTimer;
struct ProgressReport;
class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class QScrollArea;
class QScrollBar;
class QWindow;

class TFullForm : public TScreenWindow {
    Q_OBJECT
public:
    // `images` is the list the window steps through (a folder-tree slide show replaces it with
    // the search results).
    TFullForm(QWidget* owner, Platform& platform, ImageList images);
    ~TFullForm() override;

    // Window state. The opener sets it before showing the window, except the picture
    // size, which the window sets itself.
    // ScreenHeight, ScreenWidth (TScreenWindow): the area a picture is fitted into.
    QString ShownFile;                 // the shown picture's entry, as the image list holds it
    int32_t CurrentIndex = -1;         // its position in the image list; -1 when not in it
    int32_t LastIndex = -1;            // the image list's count minus 1
    int32_t ImageNumber = 1;           // the main window's thumbnail (1..25) shown on opening
    QPointer<TImage> ClickedThumbnail; // that thumbnail, whose picture the window shows first
    ImageList Images;
    int32_t PictureHeight = 0;
    int32_t PictureWidth = 0;
    bool FitMode = true;     // fit to the screen; clear: full size with scroll bars
    bool PrintMode = false;  // show the print panel
    bool PrintToPage = true; // print scaled to the page; clear: as is

    // --- slide show (ui/fullscreen/FullSlide.cpp) ---
    int32_t SlideSeconds = 0; // a timed show when >= 1
    bool IncludeSubs = false; // the show runs over a folder-tree search's results
    // The slide timer: SlideSeconds apart, stopped while a picture starts decoding.
    std::unique_ptr<PlatformTimer> ShowTimer;
    // One tick: the next entry of the list (after the last, the first), fitted.
    void ShowTimerTimer();
    // imgFull's decoding progress while a show runs: the start stage stops the timer, any
    // later stage starts it again for a whole interval.
    void imgFullProgress(TImage* sender, const ProgressReport& report);

private:
    void BuildShowTimer();
    // On activation of a timed show: the timer, the progress handler, and the first slide.
    void StartShow();

public:
    // --- end slide show ---

    // --- printing (ui/fullscreen/FullPrint.cpp; the job and its placement in ui/print) ---
    int32_t PageHeight = 0; // printable area of the last job, measured in portrait
    int32_t PageWidth = 0;
    TPrintRect PrintRect; // where the last job drew the picture, in printer pixels
    QFrame* pnlPrinter = nullptr;
    QLabel* lblPrint = nullptr;
    QComboBox* cbxPrinters = nullptr;
    QPushButton* btnPAccept = nullptr; // "&Print"
    QPushButton* btnPCancel = nullptr; // "&Return"
    // A printer was picked in the list: it becomes the selected printer.
    void cbxPrintersClick();
    // Both buttons: the panel goes; "&Print" prints and the window stays, "&Return" closes it.
    void btnPAcceptClick(QObject* sender);
    // One job: the picture shown on the selected printer, named after ShownFile.
    void PrintPicture();

private:
    void BuildPrintPanel();
    // On activation in print mode: the printer list, the mode's label, the panel.
    void ShowPrintPanel();

public:
    // --- end printing ---

    // Plays an animated GIF or WebP over the window's black, unless the print panel is asked
    // for (ui/fullscreen/FullPlay.cpp).
    std::unique_ptr<AnimationPlayer> Player;

    TImage* imgFull = nullptr;      // in device-pixel mode
    QScrollArea* sbxFull = nullptr; // the scrollable area that holds imgFull

    // Handlers.
    void FormActivate();
    void Activate() override { FormActivate(); }
    void FormKeyDown(int key);
    // A turn of the wheel on the picture, in eighths of a degree (positive: away from the user).
    void FormMouseWheel(int delta);
    void FormClose();
    // One step back (forward false) or forward through the image list.
    void StepImage(bool forward);
    // The image list's first picture (last false) or its last.
    void StepToEnd(bool last);
    // Delete: the shown picture's file to the trash through OnTrash, and the next picture
    // shown (after the last, the one before; the window closes when none is left).
    void TrashShown();
    // Set by the opener: trashes an entry of the image list, which no longer holds it after;
    // false when the file stayed (the reason told). Unset, Delete only beeps.
    std::function<bool(const QString& entry)> OnTrash;
    // Ctrl+Z: the last trashed file put back through OnUndo (its entry, or empty when none
    // came back), and shown. Ctrl+R, Ctrl+L: the shown picture's file turned through OnTurn,
    // which calls ShowAgain once the file is turned. Unset, the keys beep.
    void UndoTrashShown();
    void TurnShown(Turn turn);
    void ShowAgain(const QString& entry); // the entry's picture read again, if it is shown
    std::function<QString()> OnUndo;
    std::function<void(const QString& entry, Turn turn)> OnTurn;
    // Scroll ranges for a full-size picture; they only ever grow.
    void ShowScrollBars();

    // Scroll ranges in picture (device) pixels: the scrollable extent, 0 while not needed.
    int32_t VertRange() const { return m_vertRange; }
    int32_t HorzRange() const { return m_horzRange; }
    QScrollBar* VertScrollBar() const;
    QScrollBar* HorzScrollBar() const;

    // The image list's entry at index; entries are opened as they stand.
    QString ImageListEntry(int index) const { return Images.Entry(index); }

    // DeviceScreen() (TScreenWindow): what "full size" and the fitting measure against.

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildWindow();
    void ShowClickedPicture();
    // Fits the picture or sets the scroll ranges, as the mode asks.
    void PlacePicture();
    // Loads and prepares an entry away from imgFull, for a fitted (fit) or full-size
    // placement; throws the load's failure.
    void LoadIntoFull(const QString& entry, bool fit);
    // Moves to the list's entry at index and shows it when it is a picture.
    void ShowListEntry(int32_t index);
    bool IsWindowKey(int key) const;
    bool FileKey(int key, Qt::KeyboardModifiers modifiers); // Ctrl+R, Ctrl+L, Ctrl+Z; true when taken
    void BuildPlayer();
    // Plays the shown picture when it is an animation (not in print mode).
    void PlayPicture();
    // Ends playing, the first frame shown again.
    void StopPlaying();
    // Handles what is already queued first; false when the window has gone meanwhile.
    bool Settled();

    ControlGeometry m_fit; // imgFull's bounds as FitToScreen leaves them (device pixels)
    int32_t m_vertRange = 0;
    int32_t m_horzRange = 0;
    int m_wheelRest = 0; // a turn of the wheel short of a whole notch, kept for the next
};
