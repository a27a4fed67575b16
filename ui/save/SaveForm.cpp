// SPDX-License-Identifier: GPL-3.0-or-later
// The save window's make-up, opening and closing, and the steps both pages share.
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include "controls/ImageControl.h"
#include "controls/UpDownEdit.h"
#include "picture/PictureFormats.h"
#include "picture/SaveRules.h"
#include "platform/Guard.h"
#include "platform/Messages.h"
#include "platform/Platform.h"
#include "ui/common/Geometry.h"
#include "ui/save/Save.h"

namespace {
constexpr int kPreviewSide = 300;
constexpr int kMinThumbnail = 3;
constexpr int kMaxThumbnail = 3600;

QLabel* Heading(QWidget* parent, const QString& text, QPoint at)
{
    auto* label = new QLabel(text, parent);
    QFont font = parent->font();
    font.setFamily(QStringLiteral("Arial"));
    font.setBold(true);
    label->setFont(font);
    QPalette navy = label->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    label->setPalette(navy);
    label->move(at);
    label->adjustSize();
    return label;
}

// A caption before a control at a fixed place: a wider desktop font is made a little smaller
// rather than letting the control cover the caption's end.
QLabel* Caption(QWidget* parent, const QString& name, const QString& text, QPoint at, int before)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->move(at);
    label->adjustSize();
    for (QFont f = label->font(); label->width() > before - at.x() - 2 && f.pixelSize() > 9;) {
        f.setPixelSize(f.pixelSize() - 1);
        label->setFont(f);
        label->adjustSize();
    }
    return label;
}

QFrame* Bevel(QWidget* parent, const QString& name, QRect where)
{
    auto* bevel = new QFrame(parent);
    bevel->setObjectName(name);
    bevel->setFrameStyle(QFrame::Box | QFrame::Sunken);
    bevel->setGeometry(where);
    return bevel;
}

QPushButton* Button(QWidget* parent, const QString& name, const QString& caption, QStyle::StandardPixmap picture,
                    QRect where)
{
    auto* button = new QPushButton(parent->style()->standardIcon(picture), caption, parent);
    button->setObjectName(name);
    button->setGeometry(where);
    return button;
}

QCheckBox* CheckLeft(QWidget* parent, const QString& name, const QString& caption, QPoint at)
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    box->setLayoutDirection(Qt::RightToLeft); // the text stands left of the box
    box->move(at);
    box->adjustSize();
    return box;
}

TImage* Preview(Platform& platform, QWidget* parent, const QString& name)
{
    auto* image = new TImage(platform, parent);
    image->setObjectName(name);
    image->setGeometry(4, 4, kPreviewSide, kPreviewSide);
    image->SetStretch(true);
    return image;
}
}

TSaveForm::TSaveForm(QWidget* owner, Platform& platform) : QDialog(owner), m_platform(platform)
{
    BuildWindow();
    FormCreate();
}

TSaveForm::~TSaveForm() = default;

void TSaveForm::BuildWindow()
{
    setObjectName(QStringLiteral("SaveForm"));
    setModal(true);
    setWindowTitle(tr("Save"));
    setFixedSize(590, 320);
    // The fixed places were laid out for the small desktop font (8 points at 96 dots an inch).
    QFont small = font();
    small.setPixelSize(11);
    setFont(small);

    pgcImage = new QTabWidget(this);
    pgcImage->setObjectName(QStringLiteral("pgcImage"));
    pgcImage->setGeometry(rect());
    pgcImage->setDocumentMode(true);
    BitTab = BuildBitmapPage();
    JpegTab = BuildJpegPage();
    pgcImage->addTab(BitTab, tr("Save as Bitmap"));
    pgcImage->addTab(JpegTab, tr(" Save as Jpeg"));
    // The page is chosen by the entry that opened the window; the user cannot switch it. Nor
    // can Tab stop at the hidden tabs, where it would stay instead of going round the page.
    pgcImage->tabBar()->hide();
    pgcImage->tabBar()->setFocusPolicy(Qt::NoFocus);
    // Made last, so that Tab reaches it after the page's buttons.
    BuildThumbPanel(BitTab);
}

QWidget* TSaveForm::BuildBitmapPage()
{
    auto* page = new QWidget(pgcImage); // inherits the window's font before its labels take their sizes
    page->setObjectName(QStringLiteral("BitTab"));
    imgBit = Preview(m_platform, page, QStringLiteral("imgBit"));
    bvlBit = Bevel(page, QStringLiteral("bvlBit"), QRect(318, 9, 159, 93));
    Heading(page, tr("Change Properties"), QPoint(329, 16));
    lblBSPF = Caption(page, QStringLiteral("lblBSPF"), tr("Pixel Format"), QPoint(326, 52), 398);
    cbxBit = new QComboBox(page);
    cbxBit->setObjectName(QStringLiteral("cbxBit"));
    cbxBit->setEditable(true);
    cbxBit->setInsertPolicy(QComboBox::NoInsert);
    cbxBit->addItems({QStringLiteral("Device"), QStringLiteral("1-bit"), QStringLiteral("4-bit"),
                      QStringLiteral("8-bit"), QStringLiteral("15-bit"), QStringLiteral("16-bit"),
                      QStringLiteral("24-bit"), QStringLiteral("32-bit"), QStringLiteral("Custom")});
    cbxBit->setGeometry(398, 49, 73, 21);
    cbxBit->installEventFilter(this); // Enter saves from it too
    chkMono = CheckLeft(page, QStringLiteral("chkMono"), tr("Monochrome"), QPoint(327, 79));
    btnBSAccept =
        Button(page, QStringLiteral("btnBSAccept"), tr(" &Save"), QStyle::SP_DialogSaveButton, QRect(488, 8, 86, 30));
    btnBSCancel =
        Button(page, QStringLiteral("btnBSCancel"), tr(" &Return"), QStyle::SP_ArrowBack, QRect(488, 40, 86, 30));

    ConnectGuarded(m_platform, cbxBit, &QComboBox::currentTextChanged, this, [this] { cbxBitChange(); });
    ConnectGuarded(m_platform, chkMono, &QCheckBox::clicked, this, [this] { chkMonoClick(); });
    ConnectGuarded(m_platform, btnBSAccept, &QPushButton::clicked, this, [this] { btnBSAcceptClick(btnBSAccept); });
    ConnectGuarded(m_platform, btnBSCancel, &QPushButton::clicked, this, [this] { btnBSAcceptClick(btnBSCancel); });
    return page;
}

QWidget* TSaveForm::BuildJpegPage()
{
    auto* page = new QWidget(pgcImage);
    page->setObjectName(QStringLiteral("JpegTab"));
    imgJPeg = Preview(m_platform, page, QStringLiteral("imgJPeg"));
    bvlJpeg = Bevel(page, QStringLiteral("bvlJpeg"), QRect(320, 9, 159, 104));
    Heading(page, tr("Change Properties"), QPoint(333, 16));
    lblComp = Caption(page, QStringLiteral("lblComp"), tr("Compression Quality"), QPoint(331, 52), 438);
    edtCompress = new QLineEdit(QStringLiteral("100"), page);
    edtCompress->setObjectName(QStringLiteral("edtCompress"));
    edtCompress->setGeometry(438, 50, 31, 21);
    chkPEncode = CheckLeft(page, QStringLiteral("chkPEncode"), tr("Progressive Encoding"), QPoint(329, 82));
    chkPEncode->setFocusPolicy(Qt::ClickFocus); // the Tab key passes it by
    btnJSAccept =
        Button(page, QStringLiteral("btnJSAccept"), tr(" &Save"), QStyle::SP_DialogSaveButton, QRect(489, 8, 86, 30));
    btnJSCancel =
        Button(page, QStringLiteral("btnJSCancel"), tr(" &Return"), QStyle::SP_ArrowBack, QRect(489, 40, 86, 30));

    ConnectGuarded(m_platform, chkPEncode, &QCheckBox::clicked, this, [this] { chkPEncodeClick(); });
    ConnectGuarded(m_platform, btnJSAccept, &QPushButton::clicked, this, [this] { btnJSAcceptClick(btnJSAccept); });
    ConnectGuarded(m_platform, btnJSCancel, &QPushButton::clicked, this, [this] { btnJSAcceptClick(btnJSCancel); });
    return page;
}

void TSaveForm::BuildThumbPanel(QWidget* page)
{
    pnlThumb = new QFrame(page);
    pnlThumb->setObjectName(QStringLiteral("pnlThumb"));
    pnlThumb->setFrameStyle(QFrame::Panel | QFrame::Raised);
    pnlThumb->setAutoFillBackground(true);
    pnlThumb->setGeometry(320, 127, 160, 88);
    Heading(pnlThumb, tr("Thumb Nail"), QPoint(8, 6));
    auto* caption = new QLabel(tr("Max Size"), pnlThumb);
    caption->move(8, 36);
    caption->adjustSize();
    // The arrows step within 3..3600 without wrapping; any typed text stays as typed.
    edtMax = new TUpDownEdit(m_platform, pnlThumb);
    edtMax->setObjectName(QStringLiteral("edtMax"));
    edtMax->SetMin(kMinThumbnail);
    edtMax->SetMax(kMaxThumbnail);
    edtMax->SetPosition(100);
    edtMax->setGeometry(62, 32, 56, 22);
    auto* pixels = new QLabel(tr("Pixels"), pnlThumb);
    pixels->setObjectName(QStringLiteral("Label2"));
    pixels->move(122, 36);
    pixels->adjustSize();
    pnlThumb->hide();
}

void TSaveForm::SetPicture(const TPicture& picture)
{
    m_source.Assign(picture);
}

void TSaveForm::SetPicture(const TGraphic* graphic)
{
    m_source.Assign(graphic);
}

void TSaveForm::FormCreate()
{
    ThumbnailMode = false;
    IconSource = false;
    FromZoom = false;
}

void TSaveForm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Set up once, when the window first shows.
    if (!m_activated) {
        m_activated = true;
        Guarded(m_platform, [this] { FormActivate(); });
    }
}

void TSaveForm::FormActivate()
{
    QWidget* page = BitTab;
    if (SaveKind == kSaveAsJpeg) {
        SetupJpegTab();
        page = JpegTab;
    } else {
        SetupBitmapTab();
    }
    if (ThumbnailMode) {
        const QPoint at = pnlThumb->pos();
        pnlThumb->setParent(page);
        pnlThumb->move(at);
        pnlThumb->show();
        pnlThumb->raise();
    }
}

void TSaveForm::closeEvent(QCloseEvent* event)
{
    Guarded(m_platform, [this] { FormClose(); });
    QDialog::closeEvent(event);
}

void TSaveForm::FormClose()
{
    imgBit->Picture().Clear();
    imgJPeg->Picture().Clear();
}

void TSaveForm::ShowPreview(TImage* preview)
{
    preview->Picture().Assign(m_source);
    ControlGeometry fit {4, 4, kPreviewSide, kPreviewSide, true};
    FitThumbnail(fit, preview->Picture().Height(), preview->Picture().Width());
    preview->setGeometry(fit.left, fit.top, fit.width, fit.height);
    preview->SetStretch(fit.stretch);
}

QString TSaveForm::ProposedName(const QString& fileName)
{
    // The whole extension goes, whatever its length, so the dialog's default one takes its place.
    const QString name = QFileInfo(fileName).fileName();
    return name.left(name.size() - ExtensionOf(name).size());
}

bool TSaveForm::CheckSource(bool& closeAfter)
{
    closeAfter = false;
    // A thumbnail whose file failed to load holds nothing to save.
    if (!m_source.HasGraphic() || m_source.Graphic()->Empty()) {
        ShowError(m_platform, tr("Cannot save - the picture of this file could not be loaded"));
        closeAfter = true;
        return false;
    }
    return true;
}

bool TSaveForm::ReadThumbnailMax(std::optional<int32_t>& max)
{
    max.reset();
    // Icons are always saved at the system icon size.
    if (!ThumbnailMode || IconSource)
        return true;
    bool ok = false;
    const int value = edtMax->Text().trimmed().toInt(&ok);
    // A maximum the arrows could not reach, or one that leaves a side of no pixels, would
    // write something the user did not ask for.
    const QSize size = ThumbnailSize(m_source.Width(), m_source.Height(), value);
    if (!ok || value < kMinThumbnail || value > kMaxThumbnail || size.width() < 1 || size.height() < 1) {
        ShowInformation(m_platform, tr("Invalid max size"));
        return false;
    }
    max = value;
    return true;
}

std::optional<QString> TSaveForm::AskFileName(GraphicKind kind, const QString& defaultExtension)
{
    SaveDialogSetup setup;
    setup.filter = DialogFilter(kind);
    setup.fileName = ProposedName(ImageInfo.FileName);
    setup.defaultExtension = defaultExtension.startsWith(u'.') ? defaultExtension.mid(1) : defaultExtension;
    return m_platform.RunSaveDialog(this, setup);
}

TBitmap TSaveForm::RenderIconSource()
{
    // Blanks and control characters around the path are not part of it.
    QString path = SourcePath;
    while (!path.isEmpty() && path.back() <= QChar(u' '))
        path.chop(1);
    while (!path.isEmpty() && path.front() <= QChar(u' '))
        path.remove(0, 1);
    TPicture icon;
    icon.LoadFromFile(path);
    return FullSizeBitmap(*icon.Graphic(), m_platform.ButtonFaceColor().rgb());
}

void TSaveForm::RunSave(const std::function<void()>& save)
{
    try {
        save();
    } catch (...) {
        ShowError(m_platform, tr("Cannot save - ") + CurrentFailureText());
    }
    close();
}

std::optional<QString> TSaveForm::PrepareSave(GraphicKind kind, const QString& defaultExtension,
                                              std::optional<int32_t>& max)
{
    bool closeAfter = false;
    if (!CheckSource(closeAfter)) {
        if (closeAfter)
            close();
        return std::nullopt;
    }
    if (!ReadThumbnailMax(max))
        return std::nullopt;
    std::optional<QString> path = AskFileName(kind, defaultExtension);
    if (!path)
        close();
    return path;
}
