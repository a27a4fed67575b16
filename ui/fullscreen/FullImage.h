#pragma once
// The full-screen window's image control. It draws in device pixels, so a picture shown
// unstretched stands at one picture pixel per device pixel on any screen scale, and
// "full size" means what it says on HiDPI screens too. Painting never decodes: the window
// prepares the picture before it shows it, and a paint that still finds it unprepared
// (the window moved to another screen scale) asks for a preparation after the paint.
#include <cstdint>
#include <functional>
#include <QWidget>
#include "ui/browser/Geometry.h"
#include "picture/Picture.h"

class Platform;
class QPainter;

class TFullImage : public QWidget {
    Q_OBJECT
public:
    explicit TFullImage(Platform& platform, QWidget* parent = nullptr);
    ~TFullImage() override;

    TPicture& Picture() { return m_picture; }
    const TPicture& Picture() const { return m_picture; }

    // The control's bounds as the fitting leaves them, in device pixels; with clientAlign
    // the control's whole area. Unstretched, the picture is centred in these bounds.
    void SetPlacement(const ControlGeometry& placement);
    const ControlGeometry& Placement() const { return m_placement; }

    // The control's size in device pixels.
    QSize DeviceSize() const;
    // Where the picture is drawn, in device pixels of the control.
    QRect PictureRect() const;
    // The same rule for any placement, area (device pixels) and picture size.
    static QRect PictureRectFor(const ControlGeometry& placement, QSize deviceArea, QSize picture);

    // Makes the held picture ready to be drawn where it stands now (decoding it when it
    // must); call outside painting. May throw the picture's failure.
    void Prepare();

    // Passed on from the picture while it decodes (the slide show's pause).
    std::function<void(TFullImage*, const ProgressReport&)> OnProgress;
    // Hands a decoding's progress to OnProgress, also for a picture decoded before it is
    // given to the control.
    void PassProgress(const ProgressReport& report);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void PictureChanged();
    void RequestPrepare();

    Platform& m_platform;
    TPicture m_picture;
    ControlGeometry m_placement;
    const TGraphic* m_graphic = nullptr; // the graphic the bookkeeping below belongs to
    QSize m_triedTarget;                 // last target a deferred preparation was run for
    bool m_prepareQueued = false;
};

// Draws the graphic into `dest` (device pixels) on a painter whose coordinates are logical
// pixels at `ratio` device pixels each; the graphic must be prepared for dest's size.
void DrawAtDevicePixels(QPainter& painter, const TGraphic& graphic, const QRect& dest, qreal ratio);
