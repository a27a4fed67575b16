// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The picture holder: empty or exactly one graphic, which it owns.
#include <functional>
#include <memory>
#include "picture/Graphic.h"

class TBitmap;

class TPicture {
public:
    TPicture() = default;
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    // Picks the kind by extension; only a successful load replaces the held graphic.
    void LoadFromFile(const QString& path);
    // The same for a view that draws it fitted into `view` (device pixels): a camera raw
    // file is then read from its embedded preview when that covers the view.
    void LoadViewFromFile(const QString& path, QSize view);
    // A page cell's picture: the file's header facts now, its reduced copy later (TThumbnail).
    void LoadThumbnail(const QString& path);
    // The same without touching the file: its header is read on a decode worker with the
    // decode, and `targetFor` gives the cell's drawing size once the picture's size is known.
    // Throws for a name of no picture kind a page shows.
    void SetThumbnailFile(const QString& path, std::function<QSize(QSize picture)> targetFor);
    // A new graphic of the source's kind sharing its data; nullptr empties the holder.
    void Assign(const TPicture& source);
    void Assign(const TGraphic* graphic);
    void Clear() { Assign(static_cast<const TGraphic*>(nullptr)); }

    TGraphic* Graphic() const { return m_graphic.get(); }
    bool HasGraphic() const { return m_graphic != nullptr; }
    int32_t Width() const { return m_graphic ? m_graphic->Width() : 0; }
    int32_t Height() const { return m_graphic ? m_graphic->Height() : 0; }

    // Passed on from the graphic to the owner (the image control).
    std::function<void()> OnChange;
    std::function<void(const ProgressReport&)> OnProgress;

private:
    void Take(std::unique_ptr<TGraphic> graphic);
    std::unique_ptr<TGraphic> m_graphic;
};
