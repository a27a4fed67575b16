// SPDX-License-Identifier: GPL-3.0-or-later
// The search area: its make-up, the search and its outcome. The walk itself and its rules
// are in FolderWalk, free of widgets.
#include "ui/search/SearchPanel.h"
#include <algorithm>
#include <utility>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include "base/ScopeExit.h"
#include "controls/NameDelegate.h"
#include "controls/RadioGroup.h"
#include "platform/Guard.h"
#include "platform/Messages.h"
#include "platform/Platform.h"
#include "ui/search/FolderWalk.h"
#include "ui/search/PathEllipsis.h"

namespace {

constexpr int kResultExtent = 700; // pixels the result list scrolls over, whatever its lines

// Every line of the result list is as wide as the list's fixed extent. With uniform sizes
// the list then measures one line instead of each of many thousand results.
class ResultLineDelegate : public TNameDelegate {
public:
    using TNameDelegate::TNameDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QSize(kResultExtent, QStyledItemDelegate::sizeHint(option, index).height());
    }
};

QPushButton* Button(const QString& text, const char* name, QWidget* parent, const QRect& where)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setGeometry(where);
    return b;
}

} // namespace

TSearchPanel::TSearchPanel(Platform& platform, QWidget* parent) : QFrame(parent), m_platform(platform)
{
    Build();
}

TSearchPanel::~TSearchPanel() = default;

void TSearchPanel::Build()
{
    setFrameStyle(QFrame::Panel | QFrame::Raised);
    setObjectName(QStringLiteral("pnlSearch"));
    setAutoFillBackground(true);

    lblxDir = new QLabel(DisplayName(m_platform.CurrentFolder()), this);
    lblxDir->setObjectName(QStringLiteral("lblxDir"));
    // A folder name is never markup, and an "&" in it is an ordinary character.
    lblxDir->setTextFormat(Qt::PlainText);
    QFont small = lblxDir->font();
    small.setPointSize(7);
    lblxDir->setFont(small);
    QPalette navy = lblxDir->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    lblxDir->setPalette(navy);
    lblxDir->setGeometry(6, 6, 172, 16);
    lblxDir->setFixedWidth(172);

    btnSClose = Button(QStringLiteral("X"), "btnSClose", this, QRect(182, 4, 22, 20));
    QFont bold = btnSClose->font();
    bold.setBold(true);
    btnSClose->setFont(bold);

    edtSearch = new QLineEdit(this);
    edtSearch->setObjectName(QStringLiteral("edtSearch"));
    edtSearch->setGeometry(6, 28, 198, 22);
    btnFSearch = Button(tr("Search"), "btnFSearch", this, QRect(6, 56, 94, 26));
    btnFCancel = Button(tr("Cancel"), "btnFCancel", this, QRect(110, 56, 94, 26));
    btnFCancel->setEnabled(false);

    rdgExt = new TRadioGroup(m_platform, tr(" File Type"), this);
    rdgExt->setObjectName(QStringLiteral("rdgExt"));
    rdgExt->SetItems({tr("All Graphics"), tr("Jpeg"), tr("Bitmap"), tr("Icon"), tr("Other")});
    rdgExt->SetItemIndex(0);
    // As tall as its buttons need in the font in use; what lies below moves down with it.
    const int extHeight = std::max(112, rdgExt->sizeHint().height());
    const int below = extHeight - 112;
    rdgExt->setGeometry(6, 88, 198, extHeight);

    lblFound = new QLabel(tr("Found : "), this);
    lblFound->setObjectName(QStringLiteral("lblFound"));
    lblFound->setGeometry(6, 204 + below, 198, 18);
    lblFound->hide();

    lbxFileSearch = new QListWidget(this);
    lbxFileSearch->setObjectName(QStringLiteral("lbxFileSearch"));
    lbxFileSearch->setSortingEnabled(false);
    lbxFileSearch->setUniformItemSizes(true);
    lbxFileSearch->setItemDelegate(new ResultLineDelegate(lbxFileSearch));
    lbxFileSearch->setGeometry(6, 226 + below, 198, 200);
    lbxFileSearch->horizontalScrollBar()->setRange(0, kResultExtent);

    ConnectGuarded(m_platform, btnSClose, &QPushButton::clicked, this, [this] {
        // Closing clears a cancel request: a walk still running goes on to its end.
        m_info.Cancelled = false;
        btnFSearch->setEnabled(true);
        btnFCancel->setEnabled(false);
        hide();
        if (OnClose)
            OnClose();
    });
    ConnectGuarded(m_platform, btnFSearch, &QPushButton::clicked, this, [this] { Search(); });
    ConnectGuarded(m_platform, btnFCancel, &QPushButton::clicked, this, [this] {
        m_info.Cancelled = true;
        btnFSearch->setEnabled(true);
        btnFCancel->setEnabled(false);
    });
    ConnectGuarded(m_platform, edtSearch, &QLineEdit::returnPressed, this, [this] {
        if (btnFSearch->isEnabled())
            Search();
    });
    rdgExt->OnClick = GuardedCallback(m_platform, [this] { TypeChosen(); });
    // A click or double click on a result is the owner's to act on.
    const auto chosen = [this] {
        if (OnResultChosen)
            OnResultChosen(lbxFileSearch->currentRow());
    };
    ConnectGuarded(m_platform, lbxFileSearch, &QListWidget::itemClicked, this, chosen);
    ConnectGuarded(m_platform, lbxFileSearch, &QListWidget::itemDoubleClicked, this, chosen);
    hide();
}

void TSearchPanel::resizeEvent(QResizeEvent* event)
{
    QFrame::resizeEvent(event);
    // The result list takes the panel's height below its top.
    lbxFileSearch->resize(lbxFileSearch->width(), std::max(0, height() - (lbxFileSearch->y() + 10)));
}

void TSearchPanel::Open(int typeIndex)
{
    ClearResults();
    lblFound->hide();
    lblFound->clear();
    edtSearch->clear();
    rdgExt->SetItemIndex(typeIndex);
    // Measured, not counted: a short path of wide letters is cut mid-letter as surely as a long one.
    lblxDir->setText(ElidePathMiddle(lblxDir->text(), lblxDir->fontMetrics(), lblxDir->contentsRect().width()));
    show();
    raise();
    edtSearch->setFocus();
}

void TSearchPanel::SetStartFolder(const QString& folder)
{
    lblxDir->setText(DisplayName(folder));
}

QString TSearchPanel::Text() const
{
    return edtSearch->text();
}

void TSearchPanel::SetText(const QString& text)
{
    edtSearch->setText(text);
}

int TSearchPanel::TypeIndex() const
{
    return rdgExt->ItemIndex();
}

void TSearchPanel::SetTypeIndex(int index)
{
    rdgExt->SetItemIndex(index);
}

void TSearchPanel::PressSearch()
{
    btnFSearch->click();
}

void TSearchPanel::PressCancel()
{
    btnFCancel->click();
}

void TSearchPanel::PressClose()
{
    btnSClose->click();
}

void TSearchPanel::ClearResults()
{
    lbxFileSearch->clear();
}

QString TSearchPanel::FoundText() const
{
    return lblFound->text();
}

bool TSearchPanel::FoundShown() const
{
    return !lblFound->isHidden();
}

void TSearchPanel::TypeChosen()
{
    m_info.ExtFilter = SearchRules::ExtFilterForItem(rdgExt->ItemIndex());
}

void TSearchPanel::Search()
{
    // One walk at a time. A walk lets messages through, and once Cancel has enabled Search
    // again a click or Enter there would start a second search inside the first.
    if (m_walk)
        return;
    lblFound->hide();
    lblFound->clear();
    m_info.Cancelled = false;
    m_info.Pattern = SearchRules::TrimText(edtSearch->text());
    if (SearchRules::HasExtension(m_info.Pattern)) {
        ShowInformation(m_platform, tr("No file extensions please."));
        return;
    }
    m_info.Pattern += QLatin1Char('*');
    TypeChosen();
    lbxFileSearch->clear();
    // Drawn empty now: the window system paints only a little later, by which time the
    // list's repainting is suspended for the walk and the old results would stay on screen.
    lbxFileSearch->repaint();
    btnFSearch->setEnabled(false);
    btnFCancel->setEnabled(true);
    // Back to idle however the search ends.
    const ScopeExit idle([this] {
        btnFSearch->setEnabled(true);
        btnFCancel->setEnabled(false);
    });
    m_info.StartFolder = SearchRules::WithTrailingSeparator(m_platform.CurrentFolder());
    m_platform.ProcessMessages();
    {
        lbxFileSearch->setUpdatesEnabled(false);
        const ScopeExit resume([this] { lbxFileSearch->setUpdatesEnabled(true); });
        WalkTree();
    }
    if (lbxFileSearch->count() == 0) {
        lbxFileSearch->addItem(tr("No matches found"));
    } else if (m_info.Cancelled) {
        lbxFileSearch->clear();
        lbxFileSearch->addItem(tr("Search cancelled"));
    } else {
        lblFound->setText(tr("Found : ") + QString::number(lbxFileSearch->count()));
        lblFound->show();
    }
    // A closing window has no page to show; loading one would only delay the end.
    if (OnSearched && !IsClosing())
        OnSearched();
}

void TSearchPanel::WalkTree()
{
    m_platform.SetBusyCursor(true);
    FolderWalk walk(m_platform, m_info.Pattern, m_info.ExtFilter);
    walk.keepGoing = [this] { return !m_info.Cancelled && !IsClosing(); };
    {
        m_walk = &walk;
        const ScopeExit restore([this] {
            m_walk = nullptr;
            m_platform.SetBusyCursor(false);
        });
        QString path = m_info.StartFolder;
        walk.Walk(path);
    }
    // One insertion for all results: the list model changes once, not once per line.
    lbxFileSearch->addItems(walk.TakeFound());
}
