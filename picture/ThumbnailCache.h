// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The thumbnail cache the desktop shares: file managers and viewers keep small PNG copies of
// pictures under $XDG_CACHE_HOME/thumbnails, one folder a size class, each named after the MD5
// of the picture's file URI and stamped with the file's modification time. Reading it spares a
// decode; writing it spares the next program one. Nothing here is required for browsing: a
// cache that cannot be read or written only costs what it would have saved, silently.
#include <cstdint>
#include <optional>
#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include "picture/FileRead.h"

// The picture a thumbnail stands for.
struct ThumbnailSource {
    SourceFile file;
    QSize imageSize;  // the picture's full size in pixels
    QString mimeType; // written when known
    bool Valid() const { return !file.path.isEmpty() && file.size >= 0 && !imageSize.isEmpty(); }
};

// The side of the smallest size class (128, 256, 512, 1024) covering the cell's longer side;
// 0 when the cell is larger than every class.
int ThumbnailClassSide(QSize cell);
// A class's thumbnail size: the picture fitted into side x side, never enlarged.
QSize ThumbnailClassSize(QSize picture, int side);
// The file's URI: "file://" and the path's bytes, those outside a path's plain characters
// (letters, digits, "-_.!~*'()", ":@&=+$," and "/") written as %XX.
QByteArray ThumbnailUri(const QByteArray& absolutePath);
// The cached file's name: the URI's MD5 in lower-case hex, then ".png".
QString ThumbnailFileName(const QByteArray& uri);

class ThumbnailCache {
public:
    // The user's cache: $XDG_CACHE_HOME/thumbnails (an absolute XDG_CACHE_HOME, else
    // $HOME/.cache). None when LUMIVUE_NO_THUMBNAIL_CACHE is a non-zero number or no home is known.
    static std::optional<ThumbnailCache> ForUser();
    explicit ThumbnailCache(const QString& root);

    const QString& Root() const { return m_root; }
    // A valid thumbnail covering the cell (within a pixel), of the cell's class or a larger
    // one; a null image when there is none. Only a thumbnail no larger than its class, of the
    // picture's shape, naming this file and stamped with its current time (and size, when it
    // tells one) is taken; anything damaged or oversized is passed over.
    QImage Find(const ThumbnailSource& source, QSize cell) const;
    // The error an earlier attempt recorded for this file while the file is unchanged.
    std::optional<QString> RecordedFailure(const ThumbnailSource& source) const;
    // Whether a thumbnail for the cell may be written (its folder is made if missing).
    bool Writable(QSize cell) const;
    // Writes the thumbnail of the cell's class, reduced from `decoded` (the picture at any
    // scale at least as large as the thumbnail). False when nothing was written.
    bool Store(const ThumbnailSource& source, QSize cell, const QImage& decoded) const;
    // Records that the file could not be made into a thumbnail, and why.
    bool StoreFailure(const ThumbnailSource& source, const QString& error) const;

    // After a file was renamed from `from` to `to` (absolute paths): its thumbnails and failure
    // record name the new path, so the renamed file is not decoded again. An entry that cannot
    // be rewritten is removed, so none is left naming a file that is gone.
    void Follow(const QString& from, const QString& to) const;

private:
    // Files inside the cache itself are never cached.
    bool Holds(const ThumbnailSource& source) const;
    bool Write(const QString& folder, const QImage& image, const ThumbnailSource& source, const QString& error) const;

    QString m_root;
};
