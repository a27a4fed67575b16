// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The tags of the thumbnail popup's entries. One handler serves several entries and tells
// them apart by the tag: mniFullScreenClick by the view mode, mniSaveAsClick by the file kind.
enum PopupTag : int {
    kTagZoom = 0,          // "Zoom or Sub Section" (also the untagged entries)
    kTagShowInScreen = 1,  // "Show In Screen"
    kTagShowFullSize = 2,  // "Show Full Size"
    kTagDetails = 3,       // "Details"
    kTagPrintAsIs = 4,     // "Print As Is"
    kTagPrintFullPage = 5, // "Print Full Page"
    kTagClipboard = 6,     // "Copy to Clipboard"
    kTagSaveFile = 7,      // "Save File as"
    kTagCancel = 9,        // "Cancel"
};

// The sub-entries of "Save Thumb Nail as" and "Save File as" (and of the zoom window's save menu).
enum SaveTag : int { kSaveAsJpeg = 1, kSaveAsBitmap = 2 };
