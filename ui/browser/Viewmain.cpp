// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/browser/Viewmain.h"
#include <algorithm>
#include <QApplication>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QScrollBar>
#include <QToolButton>
#include <QToolTip>
#include <QWindow>
#include "base/FileNames.h"
#include "ui/common/ButtonPictures.h"
#include "controls/DecodeQueue.h"
#include "controls/DirectoryListBox.h"
#include "controls/DriveComboBox.h"
#include "controls/FileListBox.h"
#include "controls/FolderWatch.h"
#include "platform/Guard.h"
#include "controls/ImageControl.h"
#include "platform/Platform.h"
#include "controls/RadioGroup.h"
#include "controls/TooltipSettings.h"
#include "picture/PictureThumbnail.h"

namespace {
constexpr int kClientWidth = 782;
constexpr int kClientHeight = 549;
constexpr int kToolbarHeight = 30;
constexpr int kFilePanelWidth = 210;
constexpr int kNavigatorWidth = 448;
constexpr int kTooltipMs = 5000;

QToolButton* MakeButton(QWidget* parent, ButtonPicture picture, const QString& hint)
{
    auto* b = new QToolButton(parent);
    b->setAutoRaise(true);
    b->setIcon(MakeButtonPicture(picture));
    b->setIconSize(QSize(20, 20));
    b->setFixedSize(26, 26);
    b->setToolTip(hint);
    b->setToolTipDuration(kTooltipMs);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}
}

TViewForm::TViewForm(Platform& platform, QWidget* parent) : QWidget(parent), m_platform(platform)
{
    setObjectName(QStringLiteral("ViewForm"));
    setWindowTitle(QStringLiteral(" Lumivue v1.3"));
    BuildToolbar();
    BuildFilePanel();
    BuildImageArea();
    BuildPopupMenus();
    PlaceOnScreen();
    m_settle = m_platform.CreateTimer();
    m_settle->OnTimeout = [this] { Guard([this] { SettleSize(); }); };
    DockPanels();
    Guard([this] { FormCreate(); });
}

TViewForm::~TViewForm() = default;

void TViewForm::BuildToolbar()
{
    pnlControl = new QWidget(this);
    pnlControl->setObjectName(QStringLiteral("pnlControl"));
    pnlControl->setAutoFillBackground(true);
    btnGo = MakeButton(pnlControl, ButtonPicture::GreenLight, QString());
    btnStop = MakeButton(pnlControl, ButtonPicture::RedLight, tr(" Loading "));
    btnStop->hide();
    btnHelp = MakeButton(pnlControl, ButtonPicture::Help, tr("Help"));
    btnSlide = MakeButton(pnlControl, ButtonPicture::Slide, tr("Slide Show"));
    btnSearch = MakeButton(pnlControl, ButtonPicture::Search, tr("Search for files"));
    btnGo->move(4, 2);
    btnStop->move(4, 2);
    btnHelp->move(40, 2);
    btnSlide->move(70, 2);
    btnSearch->move(100, 2);
    ConnectGuarded(m_platform, btnHelp, &QToolButton::clicked, this, [this] { HelpPopup(); });
    ConnectGuarded(m_platform, btnSlide, &QToolButton::clicked, this, [this] { btnSlideClick(); });
    ConnectGuarded(m_platform, btnSearch, &QToolButton::clicked, this, [this] { btnSearchClick(); });

    pnlButtons = new QWidget(pnlControl);
    pnlButtons->setObjectName(QStringLiteral("pnlButtons"));
    pnlButtons->setGeometry(0, 2, kNavigatorWidth, 26);
    btnFirst = MakeButton(pnlButtons, ButtonPicture::First, tr("First Image"));
    btnUp = MakeButton(pnlButtons, ButtonPicture::Previous, tr("Previous Image Screen"));
    btnDown = MakeButton(pnlButtons, ButtonPicture::Next, tr("Next Image Screen"));
    btnLast = MakeButton(pnlButtons, ButtonPicture::Last, tr("Last Image"));
    const std::array<QToolButton*, 4> nav {btnFirst, btnUp, btnDown, btnLast};
    for (int i = 0; i < 4; ++i) {
        nav[i]->setFixedSize(kNavigatorWidth / 4 - 4, 26);
        nav[i]->move(2 + i * (kNavigatorWidth / 4), 0);
        connect(nav[i], &QToolButton::clicked, this, [this, b = nav[i]] { Guard([this, b] { MoveClick(b); }); });
    }
}

void TViewForm::BuildFilePanel()
{
    pnlFile = new QWidget(this);
    pnlFile->setObjectName(QStringLiteral("pnlFile"));
    DriveComboBox1 = new TDriveComboBox(m_platform, pnlFile);
    DirectoryListBox1 = new TDirectoryListBox(m_platform, pnlFile);
    pnlImageControl = new QWidget(pnlFile);
    rdgType = new TRadioGroup(m_platform, tr(" File Type"), pnlImageControl);
    rdgType->SetItems({tr("All Graphics"), tr("Jpeg"), tr("Bitmap"), tr("Icon"), tr("Other")});
    rdgCount = new TRadioGroup(m_platform, tr(" Image Display  "), pnlImageControl);
    rdgCount->SetItems(
        {tr("Single"), QStringLiteral("4"), QStringLiteral("9"), QStringLiteral("16"), QStringLiteral("25")});
    // Side by side the two groups need more than the panel's width at a desktop font (a
    // caption alone can be wider than its group's share), so they are stacked, each across
    // the panel with its items in columns and as tall as its title and buttons need.
    const int groupWidth = kFilePanelWidth - 4;
    // Fewer columns where a larger font would cut the items' texts.
    for (const auto& [group, columns] : {std::pair {rdgType, 2}, std::pair {rdgCount, 3}}) {
        for (int c = columns; c >= 1; --c) {
            group->SetColumns(c);
            if (group->sizeHint().width() <= groupWidth)
                break;
        }
    }
    const int typeHeight = rdgType->sizeHint().height(), countHeight = rdgCount->sizeHint().height();
    rdgType->setGeometry(2, 0, groupWidth, typeHeight);
    rdgCount->setGeometry(2, typeHeight + 2, groupWidth, countHeight);
    const int groupHeight = typeHeight + 2 + countHeight;
    const int rowHeight = std::max(20, QFontMetrics(font()).height() + 4);
    const int firstRow = groupHeight + 4, secondRow = firstRow + rowHeight + 2;
    lblTotImage = new QLabel(tr("Total Image Files"), pnlImageControl);
    lblLast = new QLabel(tr("Last"), pnlImageControl);
    // The labels as wide as their text needs in the font in use, the boxes taking the rest.
    const int labelWidth = std::max({110, lblTotImage->sizeHint().width(), lblLast->sizeHint().width()});
    const int boxLeft = 4 + labelWidth + 4, boxWidth = std::max(40, kFilePanelWidth - boxLeft - 2);
    lblTotImage->setGeometry(4, firstRow, labelWidth, rowHeight);
    edtImageCount = new QLineEdit(pnlImageControl);
    edtImageCount->setReadOnly(true);
    edtImageCount->setGeometry(boxLeft, firstRow, boxWidth, rowHeight);
    lblLast->setGeometry(4, secondRow, labelWidth, rowHeight);
    edtCount = new QLineEdit(pnlImageControl);
    edtCount->setReadOnly(true);
    edtCount->setGeometry(boxLeft, secondRow, boxWidth, rowHeight);
    pnlImageControl->resize(kFilePanelWidth, secondRow + rowHeight + 2);
    FileListBox1 = new TFileListBox(m_platform, pnlFile);

    DriveComboBox1->OnChange = [this](const QString& drive) {
        Guard([this, drive] { DirectoryListBox1->SetDirectory(drive); });
    };
    // The shown folder is followed: what a file manager or a copy changes there shows by itself.
    m_folderWatch = new TFolderWatch(this);
    m_folderWatch->OnChange = [this] {
        // Not under a window this one opened, whose list is this window's.
        if (QApplication::activeModalWidget()) {
            m_folderWatch->Later();
            return;
        }
        Guard([this] { ReadFolderAgain(); });
    };
    DirectoryListBox1->OnChange = [this](const QString& dir) {
        Guard([this, dir] {
            m_folderWatch->SetFolder(dir);
            FileListBox1->SetDirectory(dir);
            if (pnlSearch)
                pnlSearch->SetStartFolder(dir);
        });
    };
    FileListBox1->OnChange = GuardedCallback(m_platform, [this] { FileListBox1Change(); });
    FileListBox1->OnClick = GuardedCallback(m_platform, [this] { ListEntryClick(false, FileListBox1->ItemIndex()); });
    FileListBox1->OnDblClick = FileListBox1->OnClick;
    rdgType->OnClick = GuardedCallback(m_platform, [this] { rdgTypeClick(); });
    rdgCount->OnClick = GuardedCallback(m_platform, [this] { rdgCountClick(); });

    // The search area lies over the file panel.
    BuildSearchPanel();
    pnlSlide = new TSlidePanel(m_platform, this);
    pnlSlide->OnOK = [this] { RunSlideShow(); };
}

void TViewForm::BuildImageArea()
{
    pnlImage = new QWidget(this);
    pnlImage->setObjectName(QStringLiteral("pnlImage"));
    pnlImage->setAutoFillBackground(true);
    QPalette pal = pnlImage->palette();
    pal.setColor(QPalette::Window, Qt::white);
    pnlImage->setPalette(pal);
    m_decodeQueue = new DecodeQueue(m_platform, this);
    m_decodeQueue->OnIdle = [this] { ShowLoadingLight(false); };
    for (int i = 0; i < kThumbnails; ++i) {
        auto* img = new TImage(m_platform, m_decodeQueue, pnlImage);
        img->setObjectName(QStringLiteral("Image%1").arg(i + 1));
        img->SetTag(i + 1);
        img->setToolTipDuration(kTooltipMs);
        img->hide();
        // The first thumbnail of each of the first three rows of a 3x3 page redraws while decoding.
        img->SetIncrementalDisplay(i == 0 || i == 9 || i == 18);
        img->OnClick = [this](TImage* s) { AllImageClick(s); };
        img->OnContextPopup = [this](TImage* s) { ImageContextPopup(s); };
        img->OnProgress = [this](TImage* s, const ProgressReport& r) { AllImageProgress(s, r); };
        img->OnPictureSized = [this](TImage* s) { ThumbnailSized(s); };
        m_images[i] = img;
    }
    pnlDetail = new TDetailsPanel(m_platform, pnlImage);
    BuildChoiceFrame();
    BuildUndoNote();
}

void TViewForm::FormCreate()
{
    Starting = true;
    SearchMode = false;
    FileListBox1->SetHorizontalExtent(500);
    ApplyTooltipSettings(QColor(0, 255, 255), 400);
    DriveComboBox1->SetDrive(QStringLiteral("/"));
    DirectoryListBox1->SetDirectory(m_platform.CurrentFolder());
    rdgType->SetItemIndex(0);
    rdgCount->SetItemIndex(2);
    rdgTypeClick();
    rdgCountClick();
}

TImage* TViewForm::Thumbnail(int n) const
{
    return n >= 1 && n <= kThumbnails ? m_images[size_t(n - 1)] : nullptr;
}

void TViewForm::ArrangePanels()
{
    const int imageWidth = pnlImage->width();
    pnlButtons->move((frameGeometry().width() - imageWidth) + (imageWidth - pnlButtons->width()) / 2 - pnlControl->x(),
                     pnlButtons->y());
    const int fileHeight = pnlFile->height();
    // Half the panel for the folder list, less what keeps a few lines of the file list
    // in sight when a large font makes the controls between them tall.
    const int lines = FileListBox1->fontMetrics().lineSpacing();
    const int room = fileHeight - DirectoryListBox1->y() - pnlImageControl->height() - 5;
    const int folderHeight = std::max(3 * lines, std::min(fileHeight / 2, room - 5 * lines));
    DirectoryListBox1->setGeometry(0, DirectoryListBox1->y(), kFilePanelWidth, folderHeight);
    pnlImageControl->move(0, DirectoryListBox1->y() + DirectoryListBox1->height() + 1);
    const int fileListTop = pnlImageControl->y() + pnlImageControl->height();
    FileListBox1->setGeometry(
        0, fileListTop, kFilePanelWidth,
        std::max(0,
                 fileHeight - (DirectoryListBox1->y() + DirectoryListBox1->height() + pnlImageControl->height()) - 5));
    pnlSearch->resize(pnlSearch->width(), fileHeight);
}

void TViewForm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    DockPanels();
    Guard([this] { FormResize(); });
}

void TViewForm::DockPanels()
{
    // The panels follow the window as docked panels would; the window's own rules then run.
    pnlControl->setGeometry(0, 0, width(), kToolbarHeight);
    pnlFile->setGeometry(0, kToolbarHeight, kFilePanelWidth, height() - kToolbarHeight);
    pnlSearch->setGeometry(pnlFile->geometry());
    pnlImage->setGeometry(kFilePanelWidth, kToolbarHeight, width() - kFilePanelWidth, height() - kToolbarHeight);
    DriveComboBox1->setGeometry(0, 2, kFilePanelWidth, 22);
    DirectoryListBox1->move(0, 26);
}

void TViewForm::PlaceOnScreen()
{
    // The start size is the least the panels need; a work area smaller than that (a small
    // screen, or a large scale factor) gets a window that fits it, title bar included.
    constexpr int kFrameRoom = 40;
    const QRect area = m_platform.WorkArea();
    const QSize least(std::min(kClientWidth, std::max(320, area.width() - 8)),
                      std::min(kClientHeight, std::max(240, area.height() - kFrameRoom)));
    setMinimumSize(least);
    resize(least);
    // Centred in the work area, never beyond its top left.
    move(area.left() + std::max(0, (area.width() - least.width()) / 2),
         area.top() + std::max(0, (area.height() - least.height() - kFrameRoom) / 2));
}

void TViewForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Keys reach the window's native handle before any control: watching it lets the window
    // see Page Up and Page Down whichever control has the focus, exactly once per key.
    if (QWindow* handle = windowHandle(); handle && !m_keyWatch) {
        handle->installEventFilter(this);
        m_keyWatch = handle;
    }
}

void TViewForm::FormResize()
{
    ArrangePanels();
    if (!Starting)
        RelayoutPage();
    Starting = false;
}

void TViewForm::RelayoutPage()
{
    // One new size (a maximise) decodes for it at once. Sizes that follow it quickly (a border
    // drag resizes many times a second) hold their decodes until the last one has settled.
    const bool settling = m_settle->Active();
    LayoutGrid();
    for (int k = 1; k <= PageSize; ++k) {
        TImage* img = m_images[size_t(k - 1)];
        img->HoldDecodes(settling);
        // A cell whose header is still being read is shaped when it comes back.
        if (const TThumbnail* thumbnail = ThumbnailOf(img->Picture().Graphic()); thumbnail && thumbnail->FactsKnown())
            ThumbnailSized(img);
    }
    ShowChoice();
    if (!settling)
        StartCellDecodes();
    constexpr int kSettleMs = 80;
    m_settle->Start(kSettleMs);
}

void TViewForm::SettleSize()
{
    m_settle->Stop();
    StartCellDecodes();
}

void TViewForm::StartCellDecodes()
{
    for (TImage* img : m_images) {
        img->HoldDecodes(false);
        const TGraphic* graphic = img->Picture().Graphic();
        if (img->isVisible() && graphic && graphic->NeedsPrepare(img->DrawSize()))
            m_decodeQueue->Start(img, img->DrawSize());
    }
}

bool TViewForm::eventFilter(QObject* watched, QEvent* event)
{
    // The window sees its keys before whichever of its controls has the focus.
    if (watched == m_keyWatch && event->type() == QEvent::KeyPress) {
        const auto* press = static_cast<QKeyEvent*>(event);
        const int key = press->key();
        const Qt::KeyboardModifiers modifiers = press->modifiers();
        bool taken = false;
        Guard([&] {
            FormKeyDown(key, modifiers);
            taken = WindowKey(key, modifiers);
        });
        // Page Up and Page Down are the window's page moves. Passed on, they would also move
        // the focused list or drive box, whose change would reload the page a second time.
        return taken || key == Qt::Key_PageUp || key == Qt::Key_PageDown;
    }
    if (watched == pnlImage) {
        if (event->type() == QEvent::KeyPress) {
            const auto* press = static_cast<QKeyEvent*>(event);
            bool taken = false;
            Guard([&] { taken = PageKey(press->key(), press->modifiers()); });
            return taken;
        }
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
            ShowChoice();
    }
    return QWidget::eventFilter(watched, event);
}

void TViewForm::FormKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    (void)modifiers;
    m_platform.ProcessMessages();
    if (key == Qt::Key_PageUp)
        ApplyPageMove(PageMove::Previous);
    else if (key == Qt::Key_PageDown)
        ApplyPageMove(PageMove::Next);
}
