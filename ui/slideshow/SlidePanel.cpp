// SPDX-License-Identifier: GPL-3.0-or-later
// The slide panel: its make-up, its entries and its buttons.
#include "ui/slideshow/SlidePanel.h"
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include "controls/UpDownEdit.h"
#include "platform/Guard.h"
#include "platform/Platform.h"

namespace {

constexpr int kPanelWidth = 200;
constexpr int kPanelHeight = 116;

QLabel* Caption(QWidget* parent, const QString& text, const QRect& where)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(where);
    return label;
}

} // namespace

TSlidePanel::TSlidePanel(Platform& platform, QWidget* parent) : QFrame(parent), m_platform(platform)
{
    Build();
}

void TSlidePanel::Build()
{
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setObjectName(QStringLiteral("pnlSlide"));
    setAutoFillBackground(true);
    resize(kPanelWidth, kPanelHeight);

    lblSShow = Caption(this, tr("Slide Show"), QRect(8, 6, 184, 18));
    lblSShow->setObjectName(QStringLiteral("lblSShow"));
    QFont titleFont = lblSShow->font();
    titleFont.setBold(true);
    lblSShow->setFont(titleFont);
    QPalette navy = lblSShow->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    lblSShow->setPalette(navy);

    Caption(this, tr("Show"), QRect(8, 32, 40, 18));
    // The arrows (UpDown1) step by one within 3..3600; a typed number stays as typed.
    edtShowTime = new TUpDownEdit(m_platform, this);
    edtShowTime->setObjectName(QStringLiteral("edtShowTime"));
    edtShowTime->SetMin(3);
    edtShowTime->SetMax(3600);
    edtShowTime->SetPosition(kDefaultSeconds);
    edtShowTime->setGeometry(50, 30, 70, 22);
    Caption(this, tr("Seconds"), QRect(126, 32, 66, 18));

    chkSubs = new QCheckBox(tr("Include Sub Directories"), this);
    chkSubs->setObjectName(QStringLiteral("chkSubs"));
    chkSubs->setLayoutDirection(Qt::RightToLeft); // the text stands left of the box
    chkSubs->setGeometry(8, 58, 184, 20);

    btnSOK = new QPushButton(tr("OK"), this);
    btnSOK->setObjectName(QStringLiteral("btnSOK"));
    btnSOK->setDefault(true);
    btnSOK->setGeometry(8, 84, 88, 26);
    btnSCancel = new QPushButton(tr("Cancel"), this);
    btnSCancel->setObjectName(QStringLiteral("btnSCancel"));
    btnSCancel->setGeometry(104, 84, 88, 26);

    // Covers the two buttons while the folder tree is searched.
    pnlWait = new QLabel(tr("Searching for Images"), this);
    pnlWait->setObjectName(QStringLiteral("pnlWait"));
    pnlWait->setAlignment(Qt::AlignCenter);
    pnlWait->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnlWait->setAutoFillBackground(true);
    QPalette wait = pnlWait->palette();
    wait.setColor(QPalette::Window, wait.color(QPalette::ButtonText));
    wait.setColor(QPalette::WindowText, Qt::white);
    pnlWait->setPalette(wait);
    QFont waitFont = pnlWait->font();
    waitFont.setPixelSize(12);
    pnlWait->setFont(waitFont);
    pnlWait->setGeometry(btnSOK->geometry().united(btnSCancel->geometry()));
    pnlWait->hide();

    ConnectGuarded(m_platform, btnSOK, &QPushButton::clicked, this, [this] { PressOK(); });
    ConnectGuarded(m_platform, btnSCancel, &QPushButton::clicked, this, [this] { PressCancel(); });
    // Enter is the default button's and Esc the cancel button's anywhere in the window, as
    // long as the panel is shown (a hidden panel's shortcuts do not fire).
    for (const int key : {int(Qt::Key_Return), int(Qt::Key_Enter)}) {
        auto* enter = new QShortcut(QKeySequence(key), this);
        connect(enter, &QShortcut::activated, btnSOK, &QPushButton::click);
    }
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, btnSCancel, &QPushButton::click);
    hide();
}

void TSlidePanel::Open(QPoint at, bool offerSubs)
{
    edtShowTime->SetText(QString::number(kDefaultSeconds));
    chkSubs->setChecked(false);
    chkSubs->setVisible(offerSubs);
    SetSearching(false);
    move(at);
    show();
    raise();
}

QString TSlidePanel::SecondsText() const
{
    return edtShowTime->Text();
}

void TSlidePanel::SetSecondsText(const QString& text)
{
    edtShowTime->SetText(text);
}

void TSlidePanel::StepSeconds(int steps)
{
    edtShowTime->Step(steps);
}

bool TSlidePanel::IncludeSubs() const
{
    return chkSubs->isChecked();
}

void TSlidePanel::SetIncludeSubs(bool include)
{
    chkSubs->setChecked(include);
}

bool TSlidePanel::SubsOffered() const
{
    return chkSubs->isVisibleTo(this);
}

void TSlidePanel::PressOK()
{
    // The show runs from here and returns when it has ended.
    if (OnOK)
        OnOK();
    hide();
}

void TSlidePanel::PressCancel()
{
    hide();
}

void TSlidePanel::SetSearching(bool searching)
{
    btnSOK->setEnabled(!searching);
    btnSCancel->setEnabled(!searching);
    pnlWait->setVisible(searching);
    if (searching)
        pnlWait->raise();
}

bool TSlidePanel::Searching() const
{
    return pnlWait->isVisibleTo(this) && !btnSOK->isEnabled() && !btnSCancel->isEnabled();
}

bool TSlidePanel::Ready() const
{
    return !pnlWait->isVisibleTo(this) && btnSOK->isEnabled() && btnSCancel->isEnabled();
}
