// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The zoom window: one picture over the whole screen on white, enlarged or reduced in steps of
// a chosen percentage, always from the base bitmap at 100 per cent, or fitted to the screen.
// The control panel stays pinned at the top right while the picture scrolls beneath it. The
// main window opens it modally with the clicked thumbnail's picture and destroys it after.
// A band dragged over the picture cuts a sub-section, which becomes the picture zoomed; Reset
// goes back to the sub-section as cut and then to the whole picture; Save hands the picture as
// shown to the save window; Help shows a panel of help; the control panel can be dragged.
// Keys: + (or =) and - zoom in and out, 0 or * fits, the arrows and Page Up and Page Down
// scroll, Esc closes.
#include <cstdint>
#include <memory>
#include "ui/common/ScreenWindow.h"
#include <QPalette>
#include <QPointer>
#include "picture/Bitmap.h"
#include "picture/Picture.h"
#include "ui/common/PageModel.h"
#include "platform/Guard.h"

class AnimationPlayer;
class Platform;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QAction;
class QPlainTextEdit;
class QPushButton;
class QScrollArea;
class QScrollBar;
class QToolButton;
class QWindow;
class TFocusOutline;
class TUpDownEdit;
class TZoomImage;

class TZoomForm : public TScreenWindow {
    Q_OBJECT
public:
    // `picture` is the clicked thumbnail's picture, shared, not copied.
    TZoomForm(QWidget* owner, Platform& platform, const TPicture& picture);
    ~TZoomForm() override;

    // Set by the opener before showing.
    QString PictureExt; // the picture's lower-case extension with its period
    // ScreenHeight, ScreenWidth (TScreenWindow): the screen's size in pixels.
    int32_t ThumbIndex = 0; // the main window's thumbnail (1..25) whose picture is zoomed
    TImageInfo ImageInfo;   // facts of the picture's file, handed on to the save window

    // Window state.
    bool Selecting = false;     // a selection band is being dragged (sub-section)
    bool PanelDragging = false; // the control panel is being dragged (sub-section)
    QPoint SelAnchor;           // fixed corner of the band, window coordinates
    QRect SelRect;              // the band; after release the area to cut, zoomed pixels
    QRect PanelPos;             // the pinned place and size of pnlControl
    QRect DragOutline;          // outline of the panel's would-be place during a drag
    int32_t VertOffset = 0;     // scroll positions last read by ReadScrollOffsets
    int32_t HorzOffset = 0;
    QPoint DragGrab;                           // where a panel drag began
    std::unique_ptr<TBitmap> WholeBitmap;      // the picture at 100 per cent
    std::unique_ptr<TBitmap> SubSectionBitmap; // the last cut at 100 per cent, may be absent
    int32_t ZoomStep = 10;                     // the step last read from edtZoomRate
    int32_t ZoomRatio = 100;                   // the zoomed picture's size in per cent of the base
    bool HasSubSection = false;                // the base is SubSectionBitmap, else WholeBitmap
    int32_t CurHeight = 0;                     // the zoomed picture's size, set by UpdateReadouts
    int32_t CurWidth = 0;
    int32_t BaseHeight = 0; // the base bitmap's size, used by Zoom Fit
    int32_t BaseWidth = 0;

    // Plays an animated GIF or WebP over white while the whole picture is the base; a band
    // drawn or Save stops it on the first frame (ui/zoom/ZoomPlay.cpp).
    std::unique_ptr<AnimationPlayer> Player;
    // Controls.
    TZoomImage* imgZoom = nullptr;
    QScrollArea* sbxZoom = nullptr; // the scrollable area that holds imgZoom
    QFrame* pnlControl = nullptr;
    QLabel* lblZoom = nullptr;
    QToolButton* btnZFit = nullptr;
    QLabel* lblZRate = nullptr;
    TUpDownEdit* edtZoomRate = nullptr; // with its arrows (updZoom)
    QToolButton* btnZIn = nullptr;
    QToolButton* btnZOut = nullptr;
    QToolButton* btnReset = nullptr;
    QToolButton* btnSave = nullptr;
    QToolButton* btnHelp = nullptr;
    QLineEdit* edtMX = nullptr;
    QLineEdit* edtMY = nullptr;
    QLineEdit* edtRatio = nullptr;
    QLineEdit* edtWidth = nullptr;
    QLineEdit* edtHeight = nullptr;
    QToolButton* btnClose = nullptr;
    QFrame* pnlHelp = nullptr; // the help panel, hidden until Help
    QPlainTextEdit* mmoHelp = nullptr;
    QPushButton* btnOK = nullptr;
    QMenu* pumSave = nullptr; // "As JPeg" (tag 1), "As Bitmap" (tag 2)
    QAction* mniJPeg = nullptr;
    QAction* mniBitMap = nullptr;
    TFocusOutline* SelBand = nullptr;      // the selection band, over the picture
    TFocusOutline* PanelOutline = nullptr; // the panel's would-be place during a drag

    // Handlers.
    void FormActivate();
    void Activate() override { FormActivate(); }
    void EndOpeningBusy();
    void FitHelpToText();
    // The application's palette with every role set, so children show the button face.
    static QPalette FacePalette();
    static constexpr int kHelpTop = 3;  // the help panel's distance from the screen's top
    void btnZoomClick(QObject* sender); // Zoom In exactly when the sender is btnZIn
    void btnZFitClick();
    void FormPaint();
    void WMVScroll();
    void WMHScroll();
    void btnCloseClick();
    void FormKeyDown(int key);
    void FormClose();
    // Mouse positions on the picture are picture coordinates in device pixels.
    void imgZoomMouseDown(Qt::MouseButton button, QPoint pos);
    // The mouse read-outs, then the selection band.
    void imgZoomMouseMove(Qt::MouseButtons buttons = Qt::NoButton, QPoint pos = QPoint());
    void imgZoomMouseUp(QPoint pos);
    void btnResetClick();
    void btnSaveClick();
    void mniSaveClick(QAction* sender);
    void btnHelpClick();
    void btnOKClick();
    // Dragging the control panel by its body or labels; positions in the pressed control.
    void btnMoveMouseDown(QPoint pos);
    void btnMoveMouseMove(Qt::MouseButtons buttons, QPoint pos);
    void btnMoveMouseUp();

    // Operations.
    void ResetZoomState();
    // True when the step was taken (not refused).
    bool StepZoom(bool zoomIn);
    // Shows `source` zoomed to `ratio` per cent in `destination`; false, after its message,
    // when a side would fall under 5 pixels or exceed the picture layer's limit, nothing changed.
    bool ResampleBase(const TBitmap& source, TZoomImage& destination, int64_t ratio);
    // Shows `source` at 100 per cent, whatever its size (on activation; a cut and a reset too).
    void ShowBase(const TBitmap& source);
    // False, after "Too Much Zoom Out", for a side under 5.
    bool CheckZoomSize(int64_t dimension);
    void UpdateReadouts();
    void ShowZoomScrollBars();
    void ReadScrollOffsets();
    void PlaceControlPanel();

    // The base bitmap: SubSectionBitmap when HasSubSection, else WholeBitmap.
    const TBitmap& BaseBitmap() const;
    // The zoomed picture's pixels in `area` (zoomed pixels), made from the base on demand:
    // what a cut takes (32 bits, the base's form), and a save (the whole shown picture: 0, 0,
    // CurWidth, CurHeight, at 24 bits, the form a save writes). Throws "Out of system
    // resources" beyond the size limits.
    TBitmap ZoomedPixels(const QRect& area, int bitCount = 32) const;

    // Redraws the band from the anchor to `pos` (picture coordinates).
    void TrackSelection(QPoint pos);
    // The rectangle spanned by two corners; its width and height are the corners' distances.
    static QRect NormaliseRect(QPoint a, QPoint b);
    // Makes SelRect (zoomed pixels) the new base at 100 per cent. False, after "Could not copy
    // selected area", when it cannot be made; the earlier picture and base then stay.
    bool CutSelection();
    // The picture as shown, whole, for the save window. Throws beyond the size limits.
    TBitmap ShownPicture() const;

    // Scroll ranges as the zoomed size they stand for, 0 while the bar is hidden.
    int32_t VertRange() const;
    int32_t HorzRange() const;
    QScrollBar* VertScrollBar() const;
    QScrollBar* HorzScrollBar() const;
    // DeviceScreen() (TScreenWindow): what 100 per cent and the fitting measure against.

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildWindow();
    void BuildControlPanel();
    void Show(const TBitmap& source, TZoomImage& destination, int32_t ratio, QSize zoomed);
    // Middle-button dragging and wheel scrolling of the picture; true when the event was used.
    bool ScrollByMouse(QEvent* event);
    void BuildHelpPanel();
    void BuildSaveMenu();
    // The band's and the panel's mouse events; true when the event was used.
    bool SelectByMouse(QEvent* event);
    bool MovePanelByMouse(QEvent* event);
    QPoint DevicePoint(QPointF logical) const;

    void BuildPlayer();
    // Plays m_picture when it is an animation; WholeBitmap then follows its frames.
    void PlayPicture();
    // Holds playing, the first frame the whole picture again; ResumePlaying plays again
    // from the first frame unless a sub-section has been cut meanwhile.
    void StopPlaying();
    void ResumePlaying();
    // A new WholeBitmap drawn when it is the base.
    void ShowWholeFrame(std::shared_ptr<const DibImage> frame);
    std::shared_ptr<const DibImage> m_firstFrame; // of an animation
    TPicture m_picture;                           // the clicked thumbnail's picture until activation has taken it
    bool m_busyUntilPainted = false;              // the opening's busy cursor, until the picture is first drawn
    bool m_vertShown = false;
    bool m_horzShown = false;
    QPoint m_dragStart; // middle-button drag: where it began and the scroll positions then
    QPoint m_dragScroll;
    bool m_dragging = false;
};
