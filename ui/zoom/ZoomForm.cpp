// SPDX-License-Identifier: GPL-3.0-or-later
// The zoom window: its make-up, opening, keys, mouse scrolling and closing.
#include <algorithm>
#include <cmath>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QMouseEvent>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>
#include <QWheelEvent>
#include <QWindow>
#include "controls/UpDownEdit.h"
#include "picture/JpegImage.h"
#include "picture/PictureFormats.h"
#include "picture/SaveRules.h"
#include "platform/Platform.h"
#include "ui/common/AnimationPlayer.h"
#include "ui/common/ButtonPictures.h"
#include "ui/common/PopupTags.h"
#include "ui/zoom/FocusOutline.h"
#include "ui/zoom/Zoom.h"
#include "ui/zoom/ZoomHelp.h"
#include "ui/zoom/ZoomImage.h"
#include "ui/zoom/ZoomPictures.h"

namespace {
constexpr int kPanelWidth = 66;
constexpr int kPanelHeight = 544;
constexpr int kButtonWidth = 53;
constexpr int kButtonHeight = 42;
constexpr int kButtonLeft = (kPanelWidth - kButtonWidth) / 2;

// Captions and read-outs: a small face, 9 pixels high.
QFont SmallFont(QFont font)
{
    font.setPixelSize(9);
    return font;
}

// The keys the window acts on besides Esc: the zoom buttons' and the scrolling ones.
bool IsZoomKey(int key)
{
    switch (key) {
    case Qt::Key_Plus:
    case Qt::Key_Equal:
    case Qt::Key_Minus:
    case Qt::Key_0:
    case Qt::Key_Asterisk:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: return true;
    default: return false;
    }
}

// A box the user types in (the zoom step) or reads through (the help text) keeps the keys it
// uses; what it leaves comes up to the window.
bool KeepsKeys(const QObject* target)
{
    if (const auto* box = qobject_cast<const QLineEdit*>(target))
        return !box->isReadOnly();
    return qobject_cast<const QPlainTextEdit*>(target) != nullptr;
}
}

TZoomForm::TZoomForm(QWidget* owner, Platform& platform, const TPicture& picture) : TScreenWindow(owner, platform)
{
    m_picture.Assign(picture);
    BuildWindow();
    BuildPlayer();
}

TZoomForm::~TZoomForm()
{
    EndOpeningBusy();
}

void TZoomForm::EndOpeningBusy()
{
    if (!m_busyUntilPainted)
        return;
    m_busyUntilPainted = false;
    m_platform.SetBusyCursor(false);
}

QPalette TZoomForm::FacePalette()
{
    // Every role set explicitly: a palette's roles left unset are taken from the parent, and
    // the window's are white, so the panels' raised edges and the bars' troughs would vanish.
    QPalette face = QApplication::palette();
    for (int role = 0; role < QPalette::NColorRoles; ++role) {
        const auto r = QPalette::ColorRole(role);
        if (r == QPalette::NoRole)
            continue;
        for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            face.setBrush(group, r, face.brush(group, r));
    }
    return face;
}

void TZoomForm::BuildWindow()
{
    setObjectName(QStringLiteral("ZoomForm"));
    setModal(true);
    QPalette white = palette();
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base})
        white.setColor(role, Qt::white);
    setPalette(white);
    setAutoFillBackground(true);

    sbxZoom = new QScrollArea(this);
    sbxZoom->setObjectName(QStringLiteral("sbxZoom"));
    sbxZoom->setFrameShape(QFrame::NoFrame);
    sbxZoom->setFocusPolicy(Qt::NoFocus);
    // The picture control is sized by the zoom, not by the view.
    sbxZoom->setWidgetResizable(false);
    sbxZoom->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sbxZoom->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (QScrollBar* bar : {sbxZoom->verticalScrollBar(), sbxZoom->horizontalScrollBar()})
        bar->setPalette(FacePalette());
    imgZoom = new TZoomImage;
    imgZoom->setObjectName(QStringLiteral("imgZoom"));
    sbxZoom->setWidget(imgZoom);
    imgZoom->installEventFilter(this);
    ConnectGuarded(m_platform, sbxZoom->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { WMVScroll(); });
    ConnectGuarded(m_platform, sbxZoom->horizontalScrollBar(), &QScrollBar::valueChanged, this,
                   [this] { WMHScroll(); });

    BuildControlPanel();
    BuildHelpPanel();
    BuildSaveMenu();
    // The band lies over the picture but under the panels; the drag outline over everything.
    SelBand = new TFocusOutline(this);
    SelBand->setObjectName(QStringLiteral("SelBand"));
    SelBand->stackUnder(pnlControl);
    PanelOutline = new TFocusOutline(this);
    PanelOutline->setObjectName(QStringLiteral("PanelOutline"));
    // Every control's keys pass the window first (key preview), so Esc closes from anywhere.
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

void TZoomForm::BuildControlPanel()
{
    pnlControl = new QFrame(this);
    pnlControl->setObjectName(QStringLiteral("pnlControl"));
    pnlControl->setFrameStyle(QFrame::Panel | QFrame::Raised);
    pnlControl->setLineWidth(1);
    pnlControl->setAutoFillBackground(true);
    pnlControl->setPalette(FacePalette());
    pnlControl->resize(kPanelWidth, kPanelHeight);

    lblZoom = new QLabel(tr("Zoom"), pnlControl);
    lblZoom->setObjectName(QStringLiteral("lblZoom"));
    lblZoom->setGeometry(1, 1, kPanelWidth - 2, 17);
    lblZoom->setAlignment(Qt::AlignCenter);
    lblZoom->setAutoFillBackground(true);
    QPalette title = lblZoom->palette();
    title.setColor(QPalette::Window, QColor(0, 0, 128));
    title.setColor(QPalette::WindowText, Qt::white);
    lblZoom->setPalette(title);
    QFont bold = lblZoom->font();
    bold.setBold(true);
    lblZoom->setFont(bold);

    int y = 22;
    auto button = [&](const char* name, const QString& caption, const QIcon& icon) {
        auto* b = new QToolButton(pnlControl);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(caption);
        b->setIcon(icon);
        b->setIconSize(QSize(20, 20));
        b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        b->setFont(SmallFont(b->font()));
        b->setFocusPolicy(Qt::StrongFocus);
        b->setGeometry(kButtonLeft, y, kButtonWidth, kButtonHeight);
        y += kButtonHeight + 3;
        return b;
    };
    auto readout = [&](const char* name, const QString& caption) {
        auto* label = new QLabel(caption, pnlControl);
        label->setFont(SmallFont(label->font()));
        label->setGeometry(4, y, kPanelWidth - 8, 11);
        auto* box = new QLineEdit(pnlControl);
        box->setObjectName(QString::fromLatin1(name));
        box->setReadOnly(true);
        box->setFocusPolicy(Qt::NoFocus);
        box->setFont(SmallFont(box->font()));
        QPalette tip = box->palette();
        tip.setColor(QPalette::Base, QApplication::palette().color(QPalette::ToolTipBase));
        tip.setColor(QPalette::Text, QApplication::palette().color(QPalette::ToolTipText));
        box->setPalette(tip);
        box->setGeometry(4, y + 11, kPanelWidth - 8, 16);
        y += 30;
        return box;
    };

    btnZFit = button("btnZFit", tr("Zoom Fit"), MakeZoomPicture(ZoomPicture::Fit));
    lblZRate = new QLabel(tr("Zoom Amount %"), pnlControl);
    lblZRate->setObjectName(QStringLiteral("lblZRate"));
    lblZRate->setWordWrap(true);
    lblZRate->setAlignment(Qt::AlignCenter);
    lblZRate->setFont(SmallFont(lblZRate->font()));
    lblZRate->setGeometry(4, y, kPanelWidth - 8, 24);
    y += 25;
    edtZoomRate = new TUpDownEdit(m_platform, pnlControl);
    edtZoomRate->setObjectName(QStringLiteral("edtZoomRate"));
    edtZoomRate->SetMin(5);
    edtZoomRate->SetMax(1000);
    edtZoomRate->SetIncrement(5);
    edtZoomRate->SetPosition(10);
    edtZoomRate->Edit()->setFont(bold);
    edtZoomRate->setGeometry(4, y, kPanelWidth - 8, 22);
    y += 26;
    btnZIn = button("btnZIn", tr("Zoom In"), MakeZoomPicture(ZoomPicture::In));
    btnZOut = button("btnZOut", tr("Zoom Out"), MakeZoomPicture(ZoomPicture::Out));
    btnReset = button("btnReset", tr("Reset"), MakeZoomPicture(ZoomPicture::Reset));
    btnSave = button("btnSave", tr("Save"), MakeZoomPicture(ZoomPicture::Save));
    btnHelp = button("btnHelp", tr("Help"), MakeButtonPicture(ButtonPicture::Help));
    edtMX = readout("edtMX", tr("Mouse X"));
    edtMY = readout("edtMY", tr("Mouse Y"));
    edtRatio = readout("edtRatio", tr("Ratio"));
    edtWidth = readout("edtWidth", tr("Width"));
    edtHeight = readout("edtHeight", tr("Height"));
    y += 2;
    btnClose = button("btnClose", tr("Return"), MakeZoomPicture(ZoomPicture::Return));

    QWidget* order[] = {btnZFit, edtZoomRate->Edit(), btnZIn, btnZOut, btnReset, btnSave, btnHelp, btnClose};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);

    ConnectGuarded(m_platform, btnZFit, &QToolButton::clicked, this, [this] { btnZFitClick(); });
    ConnectGuarded(m_platform, btnZIn, &QToolButton::clicked, this, [this] { btnZoomClick(btnZIn); });
    ConnectGuarded(m_platform, btnZOut, &QToolButton::clicked, this, [this] { btnZoomClick(btnZOut); });
    ConnectGuarded(m_platform, btnReset, &QToolButton::clicked, this, [this] { btnResetClick(); });
    ConnectGuarded(m_platform, btnSave, &QToolButton::clicked, this, [this] { btnSaveClick(); });
    ConnectGuarded(m_platform, btnHelp, &QToolButton::clicked, this, [this] { btnHelpClick(); });
    ConnectGuarded(m_platform, btnClose, &QToolButton::clicked, this, [this] { btnCloseClick(); });
    pnlControl->raise();
}

void TZoomForm::BuildHelpPanel()
{
    pnlHelp = new QFrame(this);
    pnlHelp->setObjectName(QStringLiteral("pnlHelp"));
    pnlHelp->setFrameStyle(QFrame::Panel | QFrame::Raised);
    pnlHelp->setAutoFillBackground(true);
    pnlHelp->setPalette(FacePalette());
    mmoHelp = new QPlainTextEdit(pnlHelp);
    mmoHelp->setObjectName(QStringLiteral("mmoHelp"));
    mmoHelp->setReadOnly(true);
    mmoHelp->setPlainText(ZoomHelpText());
    mmoHelp->setGeometry(7, 8, 250, 452);
    pnlHelp->resize(265, 511);
    btnOK = new QPushButton(tr("OK"), pnlHelp);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setGeometry((265 - 75) / 2, 472, 75, 27);
    // Enter presses it while the panel shows; a hidden default button takes no Enter.
    btnOK->setDefault(true);
    ConnectGuarded(m_platform, btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    pnlHelp->hide();
}

void TZoomForm::BuildSaveMenu()
{
    pumSave = new QMenu(this);
    pumSave->setObjectName(QStringLiteral("pumSave"));
    mniJPeg = pumSave->addAction(tr("As JPeg"));
    mniJPeg->setObjectName(QStringLiteral("mniJPeg"));
    mniJPeg->setData(int(kSaveAsJpeg));
    mniBitMap = pumSave->addAction(tr("As Bitmap"));
    mniBitMap->setObjectName(QStringLiteral("mniBitMap"));
    mniBitMap->setData(int(kSaveAsBitmap));
    for (QAction* item : {mniJPeg, mniBitMap})
        ConnectGuarded(m_platform, item, &QAction::triggered, this, [this, item] { mniSaveClick(item); });
}

QScrollBar* TZoomForm::VertScrollBar() const
{
    return sbxZoom->verticalScrollBar();
}

QScrollBar* TZoomForm::HorzScrollBar() const
{
    return sbxZoom->horizontalScrollBar();
}

void TZoomForm::FormActivate()
{
    // Busy from the decode until the picture is first drawn, which comes after this.
    m_platform.SetBusyCursor(true);
    m_busyUntilPainted = true;
    imgZoom->OnPainted = [this] { EndOpeningBusy(); };
    // A JPEG picture is decoded at full size here; a bitmap is taken as it is. A picture that
    // fails is reported and the window still opens, empty, so that Return and Esc work.
    try {
        // An empty picture (a JPEG file of no bytes) is tried too: its decoder says why it
        // cannot be shown.
        if (TGraphic* graphic = m_picture.Graphic()) {
            TJpegImage* jpeg = JpegOf(graphic);
            TBitmap whole = jpeg ? jpeg->BitmapForWindow() : FullSizeBitmap(*graphic);
            WholeBitmap =
                std::make_unique<TBitmap>(IsOpaqueBitmap32(whole.Dib()) ? std::move(whole) : OpaqueBitmap32(whole));
        }
    } catch (...) {
        ReportFailure(m_platform, CurrentFailureText());
    }
    if (WholeBitmap)
        PlayPicture();
    // The thumbnail keeps its own picture; this copy has given what it had.
    m_picture.Clear();
    ZoomStep = 10;
    edtZoomRate->SetText(QStringLiteral("10"));
    ResetZoomState();
    PlaceControlPanel();
    if (WholeBitmap)
        ShowBase(*WholeBitmap);
    else
        EndOpeningBusy(); // nothing to draw
    UpdateReadouts();
    HasSubSection = false;
    BaseHeight = CurHeight;
    BaseWidth = CurWidth;
    btnZFit->setFocus();
}

void TZoomForm::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    sbxZoom->setGeometry(rect());
    imgZoom->Cover(sbxZoom->viewport()->size());
}

void TZoomForm::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    Guard([this] { FormPaint(); });
}

bool TZoomForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const bool own =
            watched == KeyWatch() || (watched->isWidgetType() && isAncestorOf(static_cast<QWidget*>(watched)));
        // At the native window the key is still on its way to the focused control.
        const QObject* target = watched == KeyWatch() ? focusWidget() : watched;
        if (own && (key == Qt::Key_Escape || (IsZoomKey(key) && !KeepsKeys(target)))) {
            Guard([this, key] { FormKeyDown(key); });
            return true;
        }
    }
    if (watched == imgZoom) {
        if (ScrollByMouse(event) || SelectByMouse(event))
            return true;
    }
    if ((watched == pnlControl || watched == lblZoom || watched == lblZRate) && MovePanelByMouse(event))
        return true;
    return QDialog::eventFilter(watched, event);
}

bool TZoomForm::ScrollByMouse(QEvent* event)
{
    QScrollBar* vert = VertScrollBar();
    QScrollBar* horz = HorzScrollBar();
    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::MiddleButton)
            return false;
        m_dragging = true;
        m_dragStart = mouse->globalPosition().toPoint();
        m_dragScroll = QPoint(horz->value(), vert->value());
        imgZoom->setCursor(Qt::ClosedHandCursor);
        return true;
    }
    case QEvent::MouseMove: {
        if (!m_dragging)
            return false;
        auto* mouse = static_cast<QMouseEvent*>(event);
        // The picture follows the hand: moving the mouse right shows more of the left.
        const QPoint moved = mouse->globalPosition().toPoint() - m_dragStart;
        horz->setValue(m_dragScroll.x() - moved.x());
        vert->setValue(m_dragScroll.y() - moved.y());
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::MiddleButton || !m_dragging)
            return false;
        m_dragging = false;
        imgZoom->unsetCursor();
        return true;
    }
    case QEvent::Wheel: {
        auto* wheel = static_cast<QWheelEvent*>(event);
        const QPoint delta = wheel->angleDelta();
        // With Shift, or from a sideways wheel, the picture moves sideways.
        const bool sideways = wheel->modifiers().testFlag(Qt::ShiftModifier) || (delta.y() == 0 && delta.x() != 0);
        const int notches = delta.y() != 0 ? delta.y() : delta.x();
        QScrollBar* bar = sideways ? horz : vert;
        bar->setValue(bar->value() - notches * 3 * bar->singleStep() / 120);
        return true;
    }
    default: return false;
    }
}

QPoint TZoomForm::DevicePoint(QPointF logical) const
{
    const qreal ratio = devicePixelRatioF();
    return QPoint(int(std::lround(logical.x() * ratio)), int(std::lround(logical.y() * ratio)));
}

bool TZoomForm::SelectByMouse(QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease)
        return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    const QPoint pos = DevicePoint(mouse->position());
    if (type == QEvent::MouseButtonPress)
        Guard([&] { imgZoomMouseDown(mouse->button(), pos); });
    else if (type == QEvent::MouseMove)
        Guard([&] { imgZoomMouseMove(mouse->buttons(), pos); });
    else
        Guard([&] { imgZoomMouseUp(pos); });
    return type != QEvent::MouseMove;
}

bool TZoomForm::MovePanelByMouse(QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove && type != QEvent::MouseButtonRelease)
        return false;
    auto* mouse = static_cast<QMouseEvent*>(event);
    // Only differences of these positions count, so the pressed control's own are used.
    switch (type) {
    case QEvent::MouseButtonPress: Guard([&] { btnMoveMouseDown(mouse->position().toPoint()); }); break;
    case QEvent::MouseMove: Guard([&] { btnMoveMouseMove(mouse->buttons(), mouse->position().toPoint()); }); break;
    case QEvent::MouseButtonRelease: Guard([&] { btnMoveMouseUp(); }); break;
    default: return false;
    }
    event->accept();
    return true;
}

void TZoomForm::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if (key == Qt::Key_Escape || IsZoomKey(key)) {
        event->accept();
        Guard([this, key] { FormKeyDown(key); });
        return;
    }
    QDialog::keyPressEvent(event);
}

void TZoomForm::FormKeyDown(int key)
{
    QScrollBar* vert = VertScrollBar();
    QScrollBar* horz = HorzScrollBar();
    switch (key) {
    case Qt::Key_Escape: close(); break;
    // As a click on the button: Zoom Fit, disabled after a fit, does nothing then.
    case Qt::Key_Plus:
    case Qt::Key_Equal: btnZIn->click(); break;
    case Qt::Key_Minus: btnZOut->click(); break;
    case Qt::Key_0:
    case Qt::Key_Asterisk: btnZFit->click(); break;
    case Qt::Key_Left: horz->triggerAction(QAbstractSlider::SliderSingleStepSub); break;
    case Qt::Key_Right: horz->triggerAction(QAbstractSlider::SliderSingleStepAdd); break;
    case Qt::Key_Up: vert->triggerAction(QAbstractSlider::SliderSingleStepSub); break;
    case Qt::Key_Down: vert->triggerAction(QAbstractSlider::SliderSingleStepAdd); break;
    case Qt::Key_PageUp: vert->triggerAction(QAbstractSlider::SliderPageStepSub); break;
    case Qt::Key_PageDown: vert->triggerAction(QAbstractSlider::SliderPageStepAdd); break;
    default: break;
    }
}

void TZoomForm::btnCloseClick()
{
    // A paint or click already queued is handled before the window goes.
    QPointer<TZoomForm> self(this);
    m_platform.ProcessMessages();
    if (self && isVisible())
        close();
}

void TZoomForm::closeEvent(QCloseEvent* event)
{
    Guard([this] { FormClose(); });
    QDialog::closeEvent(event);
}

void TZoomForm::FormClose()
{
    Player->Stop();
    imgZoom->Source().Clear();
    SubSectionBitmap.reset();
    WholeBitmap.reset();
}
