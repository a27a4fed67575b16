// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The image control: a picture holder drawn centred at its own size, or stretched to the
// control's size, with a hint (tooltip), a tag, progress notification and incremental display.
// Painting never decodes: a picture that is not ready is handed to a DecodeQueue.
//
// Given a placement, the control works in device pixels: a picture shown unstretched stands
// at one picture pixel per device pixel on any screen scale, so "full size" means what it says
// on HiDPI screens too (the full-screen and zoom windows).
#include <cstdint>
#include <functional>
#include <QPointer>
#include <QWidget>
#include "controls/ControlGeometry.h"
#include "picture/Picture.h"

class Platform;
class DecodeQueue;
class QPainter;

class TImage : public QWidget {
    Q_OBJECT
public:
    // Without a queue the control makes its own the first time it needs one, which prepares
    // on this thread.
    explicit TImage(Platform& platform, QWidget* parent = nullptr);
    TImage(Platform& platform, DecodeQueue* queue, QWidget* parent = nullptr);
    ~TImage() override;

    TPicture& Picture() { return m_picture; }
    const TPicture& Picture() const { return m_picture; }

    bool Stretch() const { return m_stretch; }
    void SetStretch(bool stretch);
    QString Hint() const { return m_hint; }
    void SetHint(const QString& hint);
    int Tag() const { return m_tag; }
    void SetTag(int tag) { m_tag = tag; }
    bool IncrementalDisplay() const { return m_incremental; }
    void SetIncrementalDisplay(bool on) { m_incremental = on; }

    // While held, a picture not ready for the control's size asks for no decode and is drawn
    // from the copy at hand, scaled: a window being resized asks once the size settles.
    void HoldDecodes(bool hold);
    bool DecodesHeld() const { return m_holdDecodes; }

    void SetDecodeQueue(DecodeQueue* queue);
    DecodeQueue* Queue();

    // Bumped whenever the picture gets another graphic; a decode asked for an older one is dropped.
    uint64_t Generation() const { return m_generation; }
    // Where the picture is drawn in the control: the whole control when stretching,
    // else a rectangle of the picture's own size centred in the control.
    QRect PictureRect() const;
    // The size the picture must be prepared for before drawing: stretched, the control's size
    // in device pixels; else the picture's own.
    QSize DrawSize() const;

    // Device-pixel mode: the picture's bounds in device pixels as the fitting leaves them
    // (with clientAlign the control's whole area); unstretched, it is centred in them.
    // PictureRect and DrawSize are then in device pixels.
    void SetPlacement(const ControlGeometry& placement);
    const ControlGeometry& Placement() const { return m_placement; }
    bool DevicePixels() const { return m_devicePixels; }
    // The control's size in device pixels.
    QSize DeviceSize() const;
    // The placement rule for any placement, area (device pixels) and picture size.
    static QRect PictureRectFor(const ControlGeometry& placement, QSize deviceArea, QSize picture);
    // The colour painted behind the picture; none (transparent) unless set.
    void SetBackground(QColor color);
    // Makes the held picture ready to be drawn where it stands now, on this thread (decoding
    // it when it must); call outside painting. May throw the picture's failure.
    void Prepare();
    // Hands a decoding's progress to OnProgress, also for a picture decoded before it is
    // given to the control.
    void PassProgress(const ProgressReport& report);

    std::function<void(TImage*)> OnClick;        // left click and double-click
    std::function<void(TImage*)> OnContextPopup; // context-menu request (then handled)
    std::function<void(TImage*, const ProgressReport&)> OnProgress;
    // A page cell's picture learnt its size from a decode worker (or that its header could
    // not be read): the owner shapes the cell to it.
    std::function<void(TImage*)> OnPictureSized;

    // Called by the decode queue around a Prepare of this control's picture.
    void BeginPrepare(QSize target);
    void EndPrepare();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void PictureChanged();
    void PictureProgress(const ProgressReport& report);
    void Fire(const std::function<void(TImage*)>& callback);

    Platform& m_platform;
    TPicture m_picture;
    ControlGeometry m_placement;
    bool m_devicePixels = false;
    QColor m_background;
    QPointer<DecodeQueue> m_queue;
    bool m_ownQueue = false;
    bool m_stretch = false;
    bool m_incremental = false;
    bool m_holdDecodes = false;
    QString m_hint;
    int m_tag = 0;
    const TGraphic* m_graphic = nullptr; // the graphic m_generation belongs to
    uint64_t m_generation = 1;
    // The last Prepare run for this picture: not asked for again if the picture still
    // needs one afterwards (a failed decode is not retried).
    uint64_t m_triedGeneration = 0;
    QSize m_triedTarget;
    bool m_preparing = false;
    bool m_leftPressed = false;
};

// Draws the graphic into `dest` (device pixels) on a painter whose coordinates are logical
// pixels at `ratio` device pixels each; the graphic must be prepared for dest's size.
void DrawAtDevicePixels(QPainter& painter, const TGraphic& graphic, const QRect& dest, qreal ratio);
