// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The kinds read through a library of their own (PNG, GIF, WebP, TIFF) as the rest of the
// picture layer sees them: which kind a file's bytes are, its facts, and its first frame or
// page made ready to show (upright, in sRGB, over the background where it is transparent).
#include <optional>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include "picture/Graphic.h"
#include "picture/RasterCodec.h"

bool IsRasterKind(GraphicKind kind);
// The kind the bytes' signature says (any kind the registry reads); none for unknown bytes.
std::optional<GraphicKind> KindForContent(const QByteArray& head);
// The kind a file is read as: what its bytes say, else what its name says (`named`), whose
// reader then reports the fault.
GraphicKind ReadAsKind(const QByteArray& head, GraphicKind named);
// The header's facts; throws Failure for bytes that are not a valid picture of that kind.
RasterFacts ReadRasterFacts(GraphicKind kind, const QByteArray& head);

// A decoded frame or page (Format_ARGB32, straight alpha, as stored) made ready to show: in
// sRGB by the facts' profile, upright, over `background` where it is transparent.
// `alpha`, when given, receives the upright picture's opacity, a byte a pixel row after row,
// or nothing when the picture is opaque.
QImage ReadyFrame(QImage stored, const RasterFacts& facts, QColor background, QByteArray* alpha = nullptr);

struct ReadyPicture {
    QImage image;  // Format_RGB32, upright; null when nothing could be decoded
    QString error; // empty when the whole picture was read
    RasterFacts facts;
    QByteArray alpha; // with `keepAlpha`: the opacity, as ReadyFrame gives it
};
// The first frame or page, reduced while decoding toward `atLeast` (upright; none: full size).
// Throws Failure when the header is not valid or the picture is too large.
ReadyPicture DecodeRasterPicture(GraphicKind kind, const QByteArray& data, QSize atLeast, QColor background,
                                 const StopAsked& stop = {}, bool keepAlpha = false);
// Kinds whose reader takes the file in pieces (PNG, TIFF, camera raw): a page cell need not
// hold the file whole.
bool ReadsAsStream(GraphicKind kind);
// Those whose reader seeks about the file (TIFF, camera raw): their directories, the facts
// among them, may lie anywhere in it.
bool SeeksInFile(GraphicKind kind);
// True when `head`, the start of such a file, holds all a streamed decode needs beforehand.
bool StreamHeaderWithin(GraphicKind kind, const QByteArray& head);
// The facts of such a file from that start, or from the file where the start cannot hold them.
RasterFacts ReadStreamFacts(GraphicKind kind, const QString& path, const QByteArray& head);
// The same from the file itself, read in pieces; `facts` are its header's. Throws as opening
// the file does, and for a kind that is not read as a stream.
ReadyPicture DecodeRasterFile(GraphicKind kind, const QString& path, const RasterFacts& facts, QSize atLeast,
                              QColor background, const StopAsked& stop = {});
