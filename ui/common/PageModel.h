// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The page state of the main window and the rules that move a page through the image list.
#include <cstdint>
#include <QString>
#include "picture/PictureFormats.h"
#include "picture/PixelFormat.h"

struct TPicList {
    int32_t Total = 0;     // entries in the image list
    int32_t Shown = 0;     // entries taken for the current page
    int32_t NextIndex = 0; // index of the entry after the page ("Last" shows it)
    int32_t Current = 0;   // thumbnail last clicked, 1..25, 0 after a reset
    QString Folder;        // working folder at the last page load in folder mode
};

struct TImageInfo {
    QString FileName;
    QString Ext;
    uint32_t FileSize = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    double FileDate = 0;
    TPixelFormat PixelFormat = TPixelFormat::Device;
    uint16_t BitCount = 0;
    uint32_t Compression = 0;
    uint16_t Planes = 0;
    uint32_t ImageSize = 0;
    int32_t XPelsPerMeter = 0;
    int32_t YPelsPerMeter = 0;
    bool Monochrome = false;
    bool Progressive = false;
    int Orientation = 1; // a JPEG file's EXIF orientation (1: shown as stored)
    // A PNG, GIF, WebP or TIFF file: its kind (and the kind its bytes are, where they differ),
    // its colours as stored, and its frames or pages.
    QString KindText;
    bool Misnamed = false; // its bytes are another kind than its extension says: shown as Other
    QString ColourText;
    int Frames = 0;
    QString ShotText; // a camera raw file: camera, exposure time, aperture, ISO, focal length
};

struct TSearchInfo {
    QString Pattern;
    QString ExtFilter;
    QString StartFolder;
    bool Cancelled = false;
};

void ResetPaging(TPicList& list);

// What a page move asks of the window.
enum class MoveOutcome { LoadPage, Beep, Nothing };
enum class PageMove { First, Previous, Next, Last };
// Applies a move to the list with N images per page; each move tests the state itself.
MoveOutcome ApplyMove(TPicList& list, PageMove move, int32_t pageSize);

// Navigator state after a page load.
struct NavigatorState {
    bool nextEnabled = false;     // btnDown, btnLast
    bool previousEnabled = false; // btnUp, btnFirst
};
NavigatorState NavigatorAfterLoad(const TPicList& list, int32_t pageSize);

// Images per page and cells per side for an rdgCount item (0 "Single" .. 4 "25").
int32_t PageSizeForItem(int item);
inline int32_t GridSideForItem(int item)
{
    return item + 1;
}
