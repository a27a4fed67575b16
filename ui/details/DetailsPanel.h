// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The details panel over the image area: the clicked picture's name, sides, size and date,
// and what only its kind has (a bitmap's pixel format, a JPEG's encoding and orientation).
#include <QString>
#include <QWidget>
#include "ui/common/ImageFacts.h"

class Platform;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// Which facts the last click refreshed: the panel leaves the others blank rather than show
// an earlier picture's numbers.
struct TFreshFacts {
    bool file = false;        // FileSize, FileDate
    bool sides = false;       // Width, Height
    bool bitCount = false;    // BitCount
    bool monochrome = false;  // Monochrome
    bool progressive = false; // Progressive, Orientation
    bool other = false;       // KindText, ColourText, Frames, Orientation
};

class TDetailsPanel : public QWidget {
    Q_OBJECT
public:
    TDetailsPanel(Platform& platform, QWidget* parent);

    // Shows the facts, sized to them, over the middle of the parent.
    void ShowFacts(const TImageInfo& info, const TFreshFacts& fresh);
    // "OK": the panel goes.
    void btnDetailOKClick();

    // What the panel shows, as its reader sees it.
    struct Reading {
        QString name, height, width, size, date;
        bool bitmapPart = false; // the pixel format and monochrome box are shown
        QString pixelFormat;
        bool monochrome = false;
        bool jpegPart = false; // the encoding box and orientation are shown
        bool progressive = false;
        QString orientation;
        bool otherPart = false; // the kind, colours and frames are shown
        QString kind, colours, frames;
        QString camera; // shown for a camera raw file only
    };
    Reading Shown() const;

private:
    void Build();

    Platform& m_platform;
    QLineEdit* edtDName = nullptr;
    QLineEdit* edtDHeight = nullptr;
    QLineEdit* edtDWidth = nullptr;
    QLineEdit* edtDSize = nullptr;
    QLineEdit* edtDDate = nullptr;
    QPushButton* btnDetailOK = nullptr;
    QWidget* pnlBitMap = nullptr;
    QLineEdit* edtDBitCount = nullptr;
    QCheckBox* chkDMono = nullptr;
    QWidget* pnlJPeg = nullptr;
    QCheckBox* chkDPEncode = nullptr;
    QLineEdit* edtDOrient = nullptr;
    QWidget* pnlOther = nullptr;
    QLineEdit* edtDKind = nullptr;
    QLineEdit* edtDColours = nullptr;
    QLineEdit* edtDFrames = nullptr;
    QLineEdit* edtDOtherOrient = nullptr;
    QLineEdit* edtDCamera = nullptr;
    QLabel* lblDCamera = nullptr; // the last caption of the Other part, the camera's
};
