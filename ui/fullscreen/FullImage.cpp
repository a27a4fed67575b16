#include "ui/fullscreen/FullImage.h"
#include <cmath>
#include <QPainter>
#include "platform/Guard.h"

TFullImage::TFullImage(Platform& platform, QWidget* parent) : QWidget(parent), m_platform(platform)
{
    // Fills the client area and centres its picture unstretched until a fitting says otherwise.
    m_placement.clientAlign = true;
    m_placement.stretch = false;
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_picture.OnChange = [this] { PictureChanged(); };
    m_picture.OnProgress = [this](const ProgressReport& report) { PassProgress(report); };
}

void TFullImage::PassProgress(const ProgressReport& report)
{
    const auto handler = OnProgress; // a copy: the handler may replace itself
    if (handler)
        Guarded(m_platform, [this, &handler, &report] { handler(this, report); });
}

TFullImage::~TFullImage()
{
    m_picture.OnChange = nullptr;
    m_picture.OnProgress = nullptr;
}

void TFullImage::SetPlacement(const ControlGeometry& placement)
{
    m_placement = placement;
    update();
}

QSize TFullImage::DeviceSize() const
{
    const qreal ratio = devicePixelRatioF();
    return QSize(int(std::lround(width() * ratio)), int(std::lround(height() * ratio)));
}

QRect TFullImage::PictureRectFor(const ControlGeometry& p, QSize area, QSize picture)
{
    const QRect frame = p.clientAlign ? QRect(QPoint(0, 0), area) : QRect(p.left, p.top, p.width, p.height);
    if (p.stretch)
        return frame;
    // Division truncates toward zero, so a picture larger than its frame overhangs evenly.
    return QRect(frame.left() + (frame.width() - picture.width()) / 2,
                 frame.top() + (frame.height() - picture.height()) / 2, picture.width(), picture.height());
}

QRect TFullImage::PictureRect() const
{
    return PictureRectFor(m_placement, DeviceSize(), QSize(m_picture.Width(), m_picture.Height()));
}

void TFullImage::Prepare()
{
    TGraphic* graphic = m_picture.Graphic();
    if (!graphic || graphic->Empty())
        return;
    const QSize target = PictureRect().size();
    if (!target.isEmpty() && graphic->NeedsPrepare(target))
        graphic->Prepare(target);
}

void TFullImage::RequestPrepare()
{
    if (m_prepareQueued)
        return;
    m_prepareQueued = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_prepareQueued = false;
            const QSize target = PictureRect().size();
            // One try per picture and size: a preparation that fails is not run again.
            if (target == m_triedTarget)
                return;
            m_triedTarget = target;
            Guarded(m_platform, [this] { Prepare(); });
            update();
        },
        Qt::QueuedConnection);
}

void TFullImage::PictureChanged()
{
    if (m_picture.Graphic() != m_graphic) {
        m_graphic = m_picture.Graphic();
        m_triedTarget = QSize();
    }
    update();
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
    graphic.Draw(painter, dest, scaled);
    painter.restore();
}

void TFullImage::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const TGraphic* graphic = m_picture.Graphic();
    if (!graphic || graphic->Empty())
        return;
    const QRect dest = PictureRect();
    if (dest.isEmpty())
        return;
    if (graphic->NeedsPrepare(dest.size())) {
        RequestPrepare();
        return;
    }
    DrawAtDevicePixels(painter, *graphic, dest, devicePixelRatioF());
}
