// SPDX-License-Identifier: GPL-3.0-or-later
// The full-screen window: its make-up, opening, keys and closing.
#include "ui/fullscreen/Full.h"
#include <cmath>
#include <QApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <QWindow>
#include "controls/ImageControl.h"
#include "platform/Platform.h"
#include "ui/common/AnimationPlayer.h"
#include "picture/LosslessTurn.h"

TFullForm::TFullForm(QWidget* owner, Platform& platform, ImageList images)
    : TScreenWindow(owner, platform), Images(std::move(images))
{
    BuildWindow();
}

TFullForm::~TFullForm() = default;

void TFullForm::BuildWindow()
{
    setObjectName(QStringLiteral("FullForm"));
    setModal(true);
    QPalette black = palette();
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base})
        black.setColor(role, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);

    sbxFull = new QScrollArea(this);
    sbxFull->setObjectName(QStringLiteral("sbxFull"));
    sbxFull->setFrameShape(QFrame::NoFrame);
    sbxFull->setFocusPolicy(Qt::NoFocus);
    // The picture widget grows to the scroll ranges and otherwise fills the view.
    sbxFull->setWidgetResizable(true);
    // Hidden until a picture needs them, then never hidden again while the window is open.
    sbxFull->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sbxFull->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The bars keep the desktop's colours, not the window's black.
    for (QScrollBar* bar : {sbxFull->verticalScrollBar(), sbxFull->horizontalScrollBar()})
        bar->setPalette(QApplication::palette());

    imgFull = new TImage(m_platform);
    imgFull->setObjectName(QStringLiteral("imgFull"));
    // Fills the client area on black and centres its picture unstretched until a fitting
    // says otherwise.
    ControlGeometry fill;
    fill.clientAlign = true;
    imgFull->SetPlacement(fill);
    imgFull->SetBackground(Qt::black);
    sbxFull->setWidget(imgFull);
    // The wheel steps through the list rather than scrolling.
    sbxFull->viewport()->installEventFilter(this);
    m_fit = imgFull->Placement(); // fills the area, unstretched, until a fitting changes it

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(sbxFull);
    BuildPrintPanel(); // over the picture, outside the layout
    BuildShowTimer();
    BuildPlayer();
}

QScrollBar* TFullForm::VertScrollBar() const
{
    return sbxFull->verticalScrollBar();
}

QScrollBar* TFullForm::HorzScrollBar() const
{
    return sbxFull->horizontalScrollBar();
}

void TFullForm::FormActivate()
{
    // A picture that is not in the list steps from its first entry.
    if (CurrentIndex == -1)
        CurrentIndex = 0;
    if (SlideSeconds < 1)
        ShowClickedPicture();
    else
        StartShow();
    m_platform.SetCursorPos(QPoint(width(), height()));
    if (PrintMode)
        ShowPrintPanel();
}

void TFullForm::ShowClickedPicture()
{
    // A thumbnail keeps only its reduced copy: the picture is read from its file again, and a
    // file changed or gone meanwhile fails here as loading it does.
    if (ClickedThumbnail && ClickedThumbnail->Picture().HasGraphic()) {
        if (FitMode && !PrintMode)
            imgFull->Picture().LoadViewFromFile(ClickedThumbnail->Hint(), DeviceScreen());
        else
            imgFull->Picture().LoadFromFile(ClickedThumbnail->Hint());
    }
    PictureHeight = imgFull->Picture().Height();
    PictureWidth = imgFull->Picture().Width();
    PlacePicture();
    imgFull->Prepare();
    PlayPicture();
}

namespace {
constexpr int kWheelNotch = 120; // a wheel's notch in eighths of a degree

// The keys that step besides the page keys. The print panel's list and buttons use them
// while it shows.
bool IsStepKey(int key)
{
    switch (key) {
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_Space:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Backspace:
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Delete: return true;
    default: return false;
    }
}
}

bool TFullForm::IsWindowKey(int key) const
{
    if (key == Qt::Key_Escape || key == Qt::Key_F11 || key == Qt::Key_PageUp || key == Qt::Key_PageDown)
        return true;
    return IsStepKey(key) && pnlPrinter->isHidden();
}

bool TFullForm::FileKey(int key, Qt::KeyboardModifiers modifiers)
{
    if (modifiers != Qt::ControlModifier || !pnlPrinter->isHidden() ||
        (key != Qt::Key_R && key != Qt::Key_L && key != Qt::Key_Z))
        return false;
    Guard([this, key] {
        if (!Settled())
            return;
        if (key == Qt::Key_Z)
            UndoTrashShown();
        else
            TurnShown(key == Qt::Key_R ? Turn::Right : Turn::Left);
    });
    return true;
}

bool TFullForm::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == KeyWatch() && event->type() == QEvent::KeyPress) {
        const auto* press = static_cast<QKeyEvent*>(event);
        const int key = press->key();
        if (FileKey(key, press->modifiers()))
            return true;
        if (IsWindowKey(key)) {
            Guard([this, key] { FormKeyDown(key); });
            return true; // the focused control (a scroll bar, the print list) does not act on it too
        }
    }
    if (event->type() == QEvent::Wheel && watched == sbxFull->viewport() && pnlPrinter->isHidden()) {
        // A sideways turn still scrolls the picture.
        const int delta = static_cast<QWheelEvent*>(event)->angleDelta().y();
        if (delta != 0) {
            Guard([this, delta] { FormMouseWheel(delta); });
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TFullForm::keyPressEvent(QKeyEvent* event)
{
    // Keys sent to the window itself, or passed up by a control that did not take them.
    if (FileKey(event->key(), event->modifiers())) {
        event->accept();
        return;
    }
    if (IsWindowKey(event->key())) {
        event->accept();
        const int key = event->key();
        Guard([this, key] { FormKeyDown(key); });
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TFullForm::Settled()
{
    QPointer<TFullForm> self(this);
    m_platform.ProcessMessages();
    return self && isVisible();
}

void TFullForm::FormKeyDown(int key)
{
    // A paint or a timer tick already queued is handled before the key acts.
    if (!Settled())
        return;
    switch (key) {
    case Qt::Key_Escape:
    case Qt::Key_F11: close(); break;
    case Qt::Key_PageUp:
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Backspace: StepImage(false); break;
    case Qt::Key_PageDown:
    case Qt::Key_Right:
    case Qt::Key_Down:
    case Qt::Key_Space: StepImage(true); break;
    case Qt::Key_Home: StepToEnd(false); break;
    case Qt::Key_End: StepToEnd(true); break;
    case Qt::Key_Delete: TrashShown(); break;
    default: break;
    }
}

void TFullForm::FormMouseWheel(int delta)
{
    if (!Settled())
        return;
    // Fine-grained wheels send parts of a notch: they add up to whole steps, and a turn the
    // other way starts afresh.
    if ((m_wheelRest > 0 && delta < 0) || (m_wheelRest < 0 && delta > 0))
        m_wheelRest = 0;
    m_wheelRest += delta;
    for (; m_wheelRest >= kWheelNotch; m_wheelRest -= kWheelNotch)
        StepImage(false);
    for (; m_wheelRest <= -kWheelNotch; m_wheelRest += kWheelNotch)
        StepImage(true);
}

void TFullForm::closeEvent(QCloseEvent* event)
{
    Guard([this] { FormClose(); });
    QDialog::closeEvent(event);
}

void TFullForm::FormClose()
{
    ShowTimer->Stop();
    Player->Stop();
    imgFull->Picture().Clear();
}
