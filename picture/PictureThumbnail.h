// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What a page cell holds of a picture file: the facts its header gives and one copy reduced to
// the cell, never the file's bytes nor a full-size bitmap. The header is read at page load (a
// bounded prefix of the file); the reduced copy is made by RunThumbnailJob, on any thread, from
// the file read again there. Windows that need the whole picture load the file themselves.
#include <optional>
#include <QImage>
#include "picture/Graphic.h"
#include "picture/JpegImage.h"
#include "picture/ThumbnailFacts.h"

// The facts of a picture file of that kind from as much of its start as the header needs.
// Fails as loading the file would: a file that is not regular, larger than the decoded-size
// limit or whose header is not valid.
ThumbnailFacts ReadThumbnailFacts(const QString& path, GraphicKind kind);
// The same from bytes at hand (the start of a file, or all of it); throws when they do not
// hold the whole header.
ThumbnailFacts ThumbnailFactsOf(const QByteArray& head, GraphicKind kind);

// Reads the job's file, decodes it (a JPEG at its DCT scale, turned upright, in sRGB) within
// the job's budget and reduces it once to the target. The thumbnail of a JPEG, PNG, GIF, WebP
// or TIFF file is first looked for in the shared thumbnail cache (without reading the file),
// and one decoded is left there (over white where the picture is transparent).
// Runs on any thread; touches no picture; never throws.
DecodeResult RunThumbnailJob(const DecodeJob& job);

class TThumbnail : public TGraphic {
public:
    GraphicKind Kind() const override { return GraphicKind::Thumbnail; }
    int32_t Width() const override { return m_facts.width; }
    int32_t Height() const override { return m_facts.height; }
    bool Empty() const override { return m_facts.width == 0 || m_facts.height == 0; }
    // The facts from the file's header; the path is kept to read the file when decoding.
    void LoadHeader(const QString& path, GraphicKind kind);
    // The file alone, its header read with the decode on a worker: until then the picture has
    // no size, and `targetFor` gives the drawing size once the size is known.
    void SetFile(const QString& path, GraphicKind kind, std::function<QSize(QSize picture)> targetFor);
    // False while the header of a SetFile thumbnail is not read, and when it could not be.
    bool FactsKnown() const { return m_factsKnown; }
    // The facts from a whole file's bytes (LoadFromFile); the file itself is not kept.
    void LoadFromBytes(const QByteArray& bytes) override;
    // A thumbnail holds nothing to save: the file is loaded again for that.
    QByteArray SaveToBytes() override;
    bool NeedsPrepare(QSize target) const override;
    // Reads and reduces the file on this thread.
    void Prepare(QSize target) override;
    bool HasInterimCopy() const override { return !m_shown.isNull(); }
    void Draw(QPainter& painter, const QRect& rect, bool smooth) const override;
    std::unique_ptr<TGraphic> Clone() const override;

    // The reduced copy made on another thread: StartJob hands out the work and reports the
    // start (none when the copy at hand serves `target`); Adopt keeps the result and reports
    // the end, or raises a failure once, naming the file (it is not retried). A result that
    // brings the header's facts sets the size and is kept for the size it was made for. A decode the
    // memory budget refused is not raised: it shows in the cell, and the caller reports it.
    std::optional<DecodeJob> StartJob(QSize target);
    void Adopt(QSize target, DecodeResult result);

    const ThumbnailFacts& Facts() const { return m_facts; }
    const QString& Path() const { return m_path; }
    const QImage& Shown() const { return m_shown; }
    bool Failed() const { return m_failed; }
    // The decoder's text for a failed decode.
    const QString& Error() const { return m_error; }

private:
    DecodeJob MakeJob(QSize target) const;

    ThumbnailFacts m_facts;
    bool m_factsKnown = false;
    std::function<QSize(QSize picture)> m_targetFor; // while the facts are not known
    QString m_path;
    QImage m_shown; // the picture reduced to m_shownFor (or smaller, never enlarged)
    QSize m_shownFor;
    bool m_failed = false;
    QString m_error;
};

// The graphic as a thumbnail, or null.
TThumbnail* ThumbnailOf(TGraphic* graphic);
const TThumbnail* ThumbnailOf(const TGraphic* graphic);
