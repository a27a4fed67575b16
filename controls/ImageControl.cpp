// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/ImageControl.h"
#include <cmath>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include "base/FileNames.h"
#include "controls/DecodeQueue.h"
#include "controls/ScreenColour.h"
#include "platform/Guard.h"

TImage::TImage(Platform& platform, QWidget* parent) : TImage(platform, nullptr, parent) {}

TImage::TImage(Platform& platform, DecodeQueue* queue, QWidget* parent)
    : QWidget(parent), m_platform(platform), m_queue(queue)
{
    m_picture.OnChange = [this] { PictureChanged(); };
    m_picture.OnProgress = [this](const ProgressReport& r) { PictureProgress(r); };
}

TImage::~TImage()
{
    // The holder outlives nothing that could call back into a half-destroyed control.
    m_picture.OnChange = nullptr;
    m_picture.OnProgress = nullptr;
}

void TImage::SetStretch(bool stretch)
{
    if (m_stretch == stretch)
        return;
    m_stretch = stretch;
    update();
}

void TImage::SetHint(const QString& hint)
{
    m_hint = hint;
    setToolTip(DisplayName(hint)); // the hint itself keeps the exact name
}

void TImage::SetDecodeQueue(DecodeQueue* queue)
{
    if (m_ownQueue && m_queue && m_queue != queue)
        delete m_queue.data();
    m_ownQueue = false;
    m_queue = queue;
}

DecodeQueue* TImage::Queue()
{
    if (!m_queue) {
        m_queue = new DecodeQueue(m_platform, this);
        // A control alone shows one picture, often a large one drawn as it decodes
        // (incremental display): that stays on this thread. Pages of thumbnails share a
        // queue whose decodes run on worker threads.
        m_queue->SetWorkerDecodes(0);
        m_ownQueue = true;
    }
    return m_queue;
}

QRect TImage::PictureRect() const
{
    if (m_devicePixels)
        return PictureRectFor(m_placement, DeviceSize(), QSize(m_picture.Width(), m_picture.Height()));
    if (m_stretch)
        return rect();
    const int w = m_picture.Width();
    const int h = m_picture.Height();
    // Division truncates toward zero, so a picture larger than the control overhangs evenly.
    return QRect((width() - w) / 2, (height() - h) / 2, w, h);
}

QSize TImage::DrawSize() const
{
    if (m_devicePixels)
        return PictureRect().size();
    // Stretched, the picture fills the control's device pixels: on a high-density screen it
    // is prepared at that size and drawn one to one, not prepared small and blown up.
    return m_stretch ? DeviceSize() : QSize(m_picture.Width(), m_picture.Height());
}

void TImage::SetPlacement(const ControlGeometry& placement)
{
    m_placement = placement;
    m_devicePixels = true;
    update();
}

QSize TImage::DeviceSize() const
{
    const qreal ratio = devicePixelRatioF();
    return QSize(int(std::lround(width() * ratio)), int(std::lround(height() * ratio)));
}

QRect TImage::PictureRectFor(const ControlGeometry& p, QSize area, QSize picture)
{
    const QRect frame = p.clientAlign ? QRect(QPoint(0, 0), area) : QRect(p.left, p.top, p.width, p.height);
    if (p.stretch)
        return frame;
    // Division truncates toward zero, so a picture larger than its frame overhangs evenly.
    return QRect(frame.left() + (frame.width() - picture.width()) / 2,
                 frame.top() + (frame.height() - picture.height()) / 2, picture.width(), picture.height());
}

void TImage::SetBackground(QColor color)
{
    m_background = color;
    setAttribute(Qt::WA_OpaquePaintEvent, color.isValid() && color.alpha() == 255);
    update();
}

void TImage::Prepare()
{
    TGraphic* graphic = m_picture.Graphic();
    if (!graphic)
        return;
    // Asked also of a graphic with nothing to draw or no size: it may have a fault to raise.
    const QSize target = DrawSize();
    if (graphic->NeedsPrepare(target))
        graphic->Prepare(target);
}

void TImage::BeginPrepare(QSize target)
{
    m_preparing = true;
    m_triedGeneration = m_generation;
    m_triedTarget = target;
}

void TImage::EndPrepare()
{
    m_preparing = false;
}

void TImage::paintEvent(QPaintEvent*)
{
    if (m_background.isValid()) {
        QPainter background(this);
        background.fillRect(rect(), m_background);
    }
    TGraphic* graphic = m_picture.Graphic();
    if (!graphic)
        return;
    const QSize target = DrawSize();
    // While this picture is being prepared (an incremental redraw), draw what it has so far.
    // Asked before the size: a picture with nothing to draw may still have a fault to report.
    const bool midPrepare = m_preparing && m_triedGeneration == m_generation;
    if (!midPrepare && graphic->NeedsPrepare(target)) {
        const bool tried = m_triedGeneration == m_generation && m_triedTarget == target;
        if (!tried && !m_holdDecodes)
            Queue()->Schedule(this, target);
        // A copy made for another size stands in, scaled, until the new one comes.
        if (!graphic->HasInterimCopy())
            return;
    }
    if (graphic->Empty() || target.isEmpty())
        return;
    const QRect dest = PictureRect();
    if (m_devicePixels) {
        QPainter painter(this);
        DrawAtDevicePixels(painter, *graphic, dest, devicePixelRatioF());
        return;
    }
    const bool smooth = dest.width() < m_picture.Width() || dest.height() < m_picture.Height();
    QPainter painter(this);
    if (smooth)
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
    DrawForScreen(painter, dest, devicePixelRatioF(), [&](QPainter& p) { graphic->Draw(p, dest, smooth); });
}

void TImage::HoldDecodes(bool hold)
{
    if (hold == m_holdDecodes)
        return;
    m_holdDecodes = hold;
    if (!hold)
        update();
}

void TImage::PictureChanged()
{
    // A new graphic is a new picture; a change inside the same graphic keeps waiting decodes.
    if (m_picture.Graphic() != m_graphic) {
        m_graphic = m_picture.Graphic();
        ++m_generation;
    }
    // A changed picture may be prepared again, unless the change came from its own Prepare.
    if (!m_preparing)
        m_triedGeneration = 0;
    update();
}

void TImage::PictureProgress(const ProgressReport& report)
{
    if (m_incremental && report.redrawNow) {
        // The report's rectangle is in picture pixels; map it into the drawn rectangle.
        const QRect dest = PictureRect();
        const int pw = m_picture.Width(), ph = m_picture.Height();
        QRect area = dest;
        if (pw > 0 && ph > 0 && report.rect.isValid()) {
            const int64_t l = dest.left() + int64_t(report.rect.left()) * dest.width() / pw;
            const int64_t t = dest.top() + int64_t(report.rect.top()) * dest.height() / ph;
            const int64_t r = dest.left() + (int64_t(report.rect.right()) + 1) * dest.width() / pw + 1;
            const int64_t b = dest.top() + (int64_t(report.rect.bottom()) + 1) * dest.height() / ph + 1;
            area = QRect(QPoint(int(l), int(t)), QPoint(int(r), int(b))).intersected(rect());
        }
        if (!area.isEmpty())
            repaint(area);
    }
    PassProgress(report);
}

void TImage::PassProgress(const ProgressReport& report)
{
    const auto handler = OnProgress; // a copy: the handler may replace itself
    if (handler)
        Guarded(m_platform, [this, &handler, &report] { handler(this, report); });
}

void TImage::Fire(const std::function<void(TImage*)>& callback)
{
    // A copy: the handler may replace the callback while it runs.
    const auto handler = callback;
    if (handler)
        Guarded(m_platform, [this, &handler] { handler(this); });
}

void TImage::mousePressEvent(QMouseEvent* event)
{
    m_leftPressed = event->button() == Qt::LeftButton;
    event->accept();
}

void TImage::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click =
        m_leftPressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_leftPressed = false;
    event->accept();
    if (click)
        Fire(OnClick);
}

void TImage::mouseDoubleClickEvent(QMouseEvent* event)
{
    // The release that ends a double-click is not a further click.
    m_leftPressed = false;
    event->accept();
    if (event->button() == Qt::LeftButton)
        Fire(OnClick);
}

void TImage::contextMenuEvent(QContextMenuEvent* event)
{
    if (!OnContextPopup) {
        event->ignore();
        return;
    }
    event->accept();
    Fire(OnContextPopup);
}

void DrawAtDevicePixels(QPainter& painter, const TGraphic& graphic, const QRect& dest, qreal ratio)
{
    if (dest.isEmpty() || ratio <= 0)
        return;
    painter.save();
    // Working in device pixels keeps an unstretched picture at exactly one pixel per pixel,
    // also at fractional screen scales where logical coordinates would round.
    painter.scale(1.0 / ratio, 1.0 / ratio);
    const bool scaled = dest.width() != graphic.Width() || dest.height() != graphic.Height();
    DrawForScreen(painter, dest, 1, [&](QPainter& p) { graphic.Draw(p, dest, scaled); });
    painter.restore();
}
