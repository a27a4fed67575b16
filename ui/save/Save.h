// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The save window: writes the picture of a thumbnail, or the zoom window's picture, to a new
// file, as a bitmap in a chosen pixel format (bitmap page) or as a JPEG file with a chosen
// quality (JPEG page), at its own size or as a thumbnail of at most a chosen size. The opener
// hands it the picture, the source file's facts and the mode, shows it modally and destroys
// it after. It opens with the focus on the page's first control, Tab goes round the page and
// Enter saves as " &Save" does.
#include <cstdint>
#include <functional>
#include <optional>
#include <QDialog>
#include "picture/Bitmap.h"
#include "picture/Picture.h"
#include "ui/common/PageModel.h"
#include "ui/common/PopupTags.h"

class Platform;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QWidget;
class TImage;
class TUpDownEdit;

class TSaveForm : public QDialog {
    Q_OBJECT
public:
    TSaveForm(QWidget* owner, Platform& platform);
    ~TSaveForm() override;

    // The picture to save; the window keeps a copy sharing its data. A zoom window hands
    // its bitmap the same way. An empty holder (a file that failed to load) cannot be saved.
    void SetPicture(const TPicture& picture);
    void SetPicture(const TGraphic* graphic);

    // Window state; the opener sets it before showing the window.
    QString PictureExt;           // lower-case extension of the source file, with its period
    int SaveKind = kSaveAsBitmap; // kSaveAsJpeg: JPEG page; kSaveAsBitmap: bitmap page
    bool ThumbnailMode = false;   // save a thumbnail of at most the "Max Size" pixels
    bool IconSource = false;      // the source file is an icon
    bool FromZoom = false;        // the picture comes from the zoom window
    int32_t ThumbIndex = 0;       // the main window's thumbnail (1..25) the picture came from
    TImageInfo ImageInfo;         // facts of the source file (its name as the image list holds it)
    QString SourcePath;           // the source file's full path (icons are drawn from the file)

    // Handlers.
    void FormCreate();
    void FormActivate();
    void FormClose();
    void SetupBitmapTab();
    void SetupJpegTab();
    void cbxBitChange();
    void chkMonoClick();
    void chkPEncodeClick();
    // Save and Return of each page share one handler, told apart by the sender.
    void btnBSAcceptClick(QPushButton* sender);
    void btnJSAcceptClick(QPushButton* sender);

    // The pixel-format item the combo box shows (0..8), -1 when its text matches none.
    int SelectedPixelFormat() const;
    // The name the save dialog proposes: the file-name part less its last four characters.
    static QString ProposedName(const QString& fileName);

    QTabWidget* pgcImage = nullptr;
    QWidget* BitTab = nullptr;
    TImage* imgBit = nullptr;
    QFrame* bvlBit = nullptr;
    QLabel* lblBSPF = nullptr;
    QComboBox* cbxBit = nullptr;
    QCheckBox* chkMono = nullptr;
    QPushButton* btnBSAccept = nullptr;
    QPushButton* btnBSCancel = nullptr;
    QWidget* JpegTab = nullptr;
    TImage* imgJPeg = nullptr;
    QFrame* bvlJpeg = nullptr;
    QLabel* lblComp = nullptr;
    QLineEdit* edtCompress = nullptr;
    QCheckBox* chkPEncode = nullptr;
    QPushButton* btnJSAccept = nullptr;
    QPushButton* btnJSCancel = nullptr;
    QFrame* pnlThumb = nullptr;
    TUpDownEdit* edtMax = nullptr; // with its arrows (UpDown1)

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildWindow();
    QWidget* BuildBitmapPage();
    QWidget* BuildJpegPage();
    void BuildThumbPanel(QWidget* page);
    // The preview takes a copy of the picture, shaped to it within its 300 by 300 place.
    void ShowPreview(TImage* preview);
    // Checks shared by both pages before the dialog opens. False (after its message) when
    // the save cannot go on; `closeAfter` tells whether the window then closes.
    bool CheckSource(bool& closeAfter);
    // The thumbnail's maximum when one is made: nullopt when none is; false when refused.
    bool ReadThumbnailMax(std::optional<int32_t>& max);
    // The save dialog for one kind; nullopt when cancelled.
    std::optional<QString> AskFileName(GraphicKind kind, const QString& defaultExtension);
    // The bitmap written for an icon source: its file's icon at the system icon size.
    TBitmap RenderIconSource();
    // Runs one save step; a failure becomes "Cannot save - " and its text. Closes the window.
    void RunSave(const std::function<void()>& save);
    // The steps both pages take before writing: the source, the thumbnail maximum, the file
    // name. nullopt when the save stops there (the window closed where it cannot go on).
    std::optional<QString> PrepareSave(GraphicKind kind, const QString& defaultExtension, std::optional<int32_t>& max);

    Platform& m_platform;
    TPicture m_source;
    bool m_activated = false;
};
