// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/Graphic.h"
#include "picture/Failure.h"
#include "picture/FileRead.h"
#include "picture/FileWrite.h"
#include "picture/Limits.h"

void TGraphic::LoadFromFile(const QString& path)
{
    // The bytes are held while the picture lives, so a file beyond the decoded-size limit is
    // refused unread.
    LoadFromBytes(ReadRegularFile(path, PictureLimits::kMaxDecodedBytes));
}

void TGraphic::SaveToFile(const QString& path)
{
    WriteWholeFile(path, SaveToBytes());
}

namespace {
void RefuseResize(const TGraphic& g)
{
    if (g.Kind() == GraphicKind::Jpeg)
        throw Failure("Cannot change the size of a JPEG image");
    if (g.Kind() == GraphicKind::Icon && !g.Empty())
        throw Failure("Cannot change the size of an icon");
}
}

void TGraphic::SetWidth(int32_t)
{
    RefuseResize(*this);
}

void TGraphic::SetHeight(int32_t)
{
    RefuseResize(*this);
}
