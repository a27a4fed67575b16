// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The common face of the three kinds of graphic a picture holder can hold.
#include <cstdint>
#include <functional>
#include <memory>
#include <QByteArray>
#include <QRect>
#include <QString>
#include "picture/PixelFormat.h"

class QPainter;

// Thumbnail: a page cell's reduced copy of a file of one of the other kinds (picture/PictureThumbnail.h).
// Png, Gif, Webp, Tiff: files read through a library of their own (picture/RasterRead.h), held
// at full size as a bitmap.
enum class GraphicKind { Metafile, Icon, Bitmap, Jpeg, Thumbnail, Png, Gif, Webp, Tiff, Heif, Avif, Jxl, Raw };

struct ProgressReport {
    TProgressStage stage = TProgressStage::Starting;
    int percent = 0;
    bool redrawNow = false;
    QRect rect;
    QString message; // always empty
};

class TGraphic {
public:
    virtual ~TGraphic() = default;
    virtual GraphicKind Kind() const = 0;
    virtual int32_t Width() const = 0;
    virtual int32_t Height() const = 0;
    virtual bool Empty() const = 0;

    // Reads the whole file (a regular file, no larger than the decoded-size limit) and hands it
    // to LoadFromBytes. A failed load leaves the graphic as it was.
    void LoadFromFile(const QString& path);
    virtual void LoadFromBytes(const QByteArray& bytes) = 0;
    virtual QByteArray SaveToBytes() = 0;
    // Writes beside the target and renames over it only when complete (WriteWholeFile).
    void SaveToFile(const QString& path);

    // Drawing never decodes. Before drawing into a rectangle of `target` size, a caller
    // asks NeedsPrepare and, outside any paint event, calls Prepare (which may decode and throw).
    virtual bool NeedsPrepare(QSize target) const
    {
        (void)target;
        return false;
    }
    virtual void Prepare(QSize target) { (void)target; }
    // A copy prepared for another size that may be drawn, scaled, until the new one is ready.
    virtual bool HasInterimCopy() const { return false; }
    // Draws into rect; `smooth` asks for smooth scaling (thumbnails, previews).
    virtual void Draw(QPainter& painter, const QRect& rect, bool smooth) const = 0;

    // A new graphic of the same kind sharing this one's image data.
    virtual std::unique_ptr<TGraphic> Clone() const = 0;

    // Only a bitmap changes its size; a JPEG picture, or an icon that has its image, refuses.
    virtual void SetWidth(int32_t width);
    virtual void SetHeight(int32_t height);

    std::function<void()> OnChange;
    std::function<void(const ProgressReport&)> OnProgress;

protected:
    void Changed()
    {
        if (OnChange)
            OnChange();
    }
    void Progress(const ProgressReport& r)
    {
        if (OnProgress)
            OnProgress(r);
    }
};
