// SPDX-License-Identifier: GPL-3.0-or-later
// giflib reading from memory, shared by the GIF readers.
#include "picture/GifRead.h"
#include <algorithm>
#include <cstring>
#include "picture/Failure.h"
#include "picture/GifCodec.h"
#include "picture/RasterRows.h"

namespace {

int ReadBytes(GifFileType* gif, GifByteType* out, int wanted)
{
    auto* s = static_cast<GifSource*>(gif->UserData);
    const qsizetype take = std::clamp<qsizetype>(wanted, 0, s->data.size() - s->at);
    std::memcpy(out, s->data.constData() + s->at, size_t(take));
    s->at += take;
    return int(take);
}

} // namespace

QString GifReason(int code)
{
    if (code == D_GIF_ERR_NOT_ENOUGH_MEM)
        return QString::fromLatin1(kOutOfResources);
    const char* text = GifErrorString(code);
    return QString::fromLatin1(kGifInvalid) + (text ? QLatin1String(": ") + QString::fromLatin1(text) : QString());
}

// The signature, the logical screen and its colour map; the screen's size checked.
GifHandle OpenGif(GifSource& source)
{
    int error = 0;
    GifHandle gif(DGifOpen(&source, ReadBytes, &error));
    if (!gif)
        throw Failure(GifReason(error));
    CheckRasterSize(gif->SWidth, gif->SHeight, kGifInvalid);
    return gif;
}

namespace {

// A graphic control extension's fields from its first data block (length byte first).
GifControl ReadControl(const GifByteType* block)
{
    GifControl c;
    if (block && block[0] >= 4) {
        c.dispose = (block[1] >> 2) & 7;
        c.delay = block[2] | (block[3] << 8);
        if (block[1] & 1)
            c.transparent = block[4];
    }
    return c;
}

} // namespace

bool ReadGifExtension(GifFileType* gif, GifControl& control, int& loops)
{
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
        return false;
    if (code == GRAPHICS_EXT_FUNC_CODE)
        control = ReadControl(block);
    const bool looping = code == APPLICATION_EXT_FUNC_CODE && block && block[0] == 11 &&
        (std::memcmp(block + 1, "NETSCAPE2.0", 11) == 0 || std::memcmp(block + 1, "ANIMEXTS1.0", 11) == 0);
    while (block) {
        if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
            return false;
        if (looping && block && block[0] >= 3 && block[1] == 1)
            loops = block[2] | (block[3] << 8);
    }
    return true;
}
