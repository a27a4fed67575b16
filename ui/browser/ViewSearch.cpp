// The search area over the file panel: opening and closing it, the search and its outcome.
// The walk itself and its rules are in FolderWalk, free of widgets.
#include "base/ScopeExit.h"
#include <algorithm>
#include <QCoreApplication>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include "ui/search/FolderWalk.h"
#include "ui/search/PathEllipsis.h"
#include "platform/Platform.h"
#include "controls/NameDelegate.h"
#include "controls/RadioGroup.h"
#include "ui/browser/Viewmain.h"
#include "platform/Messages.h"

namespace {

constexpr int kEnter = 13;
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

// Closing the main window ends the application; a walk that is processing messages when
// that happens must stop. The window's close can't be refused, so the close event itself
// marks the state; showing the window again clears it.
class CloseWatch : public QObject {
public:
    explicit CloseWatch(TViewForm* form) : QObject(form), m_form(form) { form->installEventFilter(this); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == m_form) {
            if (event->type() == QEvent::Close)
                m_form->Terminating = true;
            else if (event->type() == QEvent::Show)
                m_form->Terminating = false;
        }
        return false;
    }

private:
    TViewForm* m_form;
};

} // namespace

void TViewForm::BuildSearchPanel()
{
    auto* panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    pnlSearch = panel;
    pnlSearch->setObjectName(QStringLiteral("pnlSearch"));
    pnlSearch->setAutoFillBackground(true);

    lblxDir = new QLabel(DisplayName(m_platform.CurrentFolder()), pnlSearch);
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

    btnSClose = new QPushButton(QStringLiteral("X"), pnlSearch);
    btnSClose->setObjectName(QStringLiteral("btnSClose"));
    QFont bold = btnSClose->font();
    bold.setBold(true);
    btnSClose->setFont(bold);
    btnSClose->setGeometry(182, 4, 22, 20);

    edtSearch = new QLineEdit(pnlSearch);
    edtSearch->setObjectName(QStringLiteral("edtSearch"));
    edtSearch->setGeometry(6, 28, 198, 22);
    btnFSearch = new QPushButton(QStringLiteral("Search"), pnlSearch);
    btnFSearch->setObjectName(QStringLiteral("btnFSearch"));
    btnFSearch->setGeometry(6, 56, 94, 26);
    btnFCancel = new QPushButton(QStringLiteral("Cancel"), pnlSearch);
    btnFCancel->setObjectName(QStringLiteral("btnFCancel"));
    btnFCancel->setGeometry(110, 56, 94, 26);
    btnFCancel->setEnabled(false);

    rdgExt = new TRadioGroup(m_platform, QStringLiteral(" File Type"), pnlSearch);
    rdgExt->setObjectName(QStringLiteral("rdgExt"));
    rdgExt->SetItems(
        {QStringLiteral("All Graphics"), QStringLiteral("Jpeg"), QStringLiteral("Bitmap"), QStringLiteral("Icon")});
    rdgExt->SetItemIndex(0);
    // As tall as its buttons need in the font in use; what lies below moves down with it.
    const int extHeight = std::max(112, rdgExt->sizeHint().height());
    const int below = extHeight - 112;
    rdgExt->setGeometry(6, 88, 198, extHeight);

    lblFound = new QLabel(QStringLiteral("Found : "), pnlSearch);
    lblFound->setObjectName(QStringLiteral("lblFound"));
    lblFound->setGeometry(6, 204 + below, 198, 18);
    lblFound->hide();

    lbxFileSearch = new QListWidget(pnlSearch);
    lbxFileSearch->setObjectName(QStringLiteral("lbxFileSearch"));
    lbxFileSearch->setSortingEnabled(false);
    lbxFileSearch->setUniformItemSizes(true);
    lbxFileSearch->setItemDelegate(new ResultLineDelegate(lbxFileSearch));
    lbxFileSearch->setGeometry(6, 226 + below, 198, 200);

    ConnectGuarded(m_platform, btnSClose, &QPushButton::clicked, this, [this] { btnSCloseClick(); });
    ConnectGuarded(m_platform, btnFSearch, &QPushButton::clicked, this, [this] { btnFSearchClick(); });
    ConnectGuarded(m_platform, btnFCancel, &QPushButton::clicked, this, [this] { btnFCancelClick(); });
    ConnectGuarded(m_platform, edtSearch, &QLineEdit::returnPressed, this, [this] { edtSearchKeyPress(kEnter); });
    rdgExt->OnClick = GuardedCallback(m_platform, [this] { rdgExtClick(); });
    // A click or double click on a result starts the page there, as in the folder's file list.
    ConnectGuarded(m_platform, lbxFileSearch, &QListWidget::itemClicked, this,
                   [this] { FileListBox1DblClick(lbxFileSearch); });
    ConnectGuarded(m_platform, lbxFileSearch, &QListWidget::itemDoubleClicked, this,
                   [this] { FileListBox1DblClick(lbxFileSearch); });
    new CloseWatch(this);
    pnlSearch->hide();
}

void TViewForm::btnSearchClick()
{
    lbxFileSearch->clear();
    lblFound->hide();
    lblFound->clear();
    edtSearch->clear();
    rdgExt->SetItemIndex(rdgType->ItemIndex());
    ShowStartFolder(lblxDir);
    pnlSearch->show();
    pnlSearch->raise();
    SearchMode = true;
    edtSearch->setFocus();
}

void TViewForm::rdgExtClick()
{
    SearchInfo.ExtFilter = SearchRules::ExtFilterForItem(rdgExt->ItemIndex());
}

void TViewForm::edtSearchKeyPress(int key)
{
    if (key == kEnter && btnFSearch->isEnabled())
        btnFSearchClick();
}

void TViewForm::btnFSearchClick()
{
    // One walk at a time. A walk lets messages through, and once Cancel has enabled Search
    // again a click or Enter there would start a second search inside the first.
    if (m_folderWalk)
        return;
    lblFound->hide();
    lblFound->clear();
    SearchInfo.Cancelled = false;
    SearchInfo.Pattern = SearchRules::TrimText(edtSearch->text());
    if (SearchRules::HasExtension(SearchInfo.Pattern)) {
        ShowInformation(m_platform, QStringLiteral("No file extensions please."));
        return;
    }
    SearchInfo.Pattern += QLatin1Char('*');
    rdgExtClick();
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
    SearchInfo.StartFolder = SearchRules::WithTrailingSeparator(m_platform.CurrentFolder());
    m_platform.ProcessMessages();
    {
        lbxFileSearch->setUpdatesEnabled(false);
        const ScopeExit resume([this] { lbxFileSearch->setUpdatesEnabled(true); });
        RunSearch(SearchInfo.StartFolder, SearchInfo.Pattern, lbxFileSearch);
    }
    if (lbxFileSearch->count() == 0) {
        lbxFileSearch->addItem(QStringLiteral("No matches found"));
    } else if (SearchInfo.Cancelled) {
        lbxFileSearch->clear();
        lbxFileSearch->addItem(QStringLiteral("Search cancelled"));
    } else {
        lblFound->setText(QStringLiteral("Found : ") + QString::number(lbxFileSearch->count()));
        lblFound->show();
    }
    // A closed window has no page to show; loading one would only delay the end.
    if (!Terminating)
        LoadDirectory();
}

void TViewForm::RunSearch(const QString& startFolder, const QString& pattern, QListWidget* target)
{
    btnFSearch->setEnabled(false);
    m_platform.SetBusyCursor(true);
    FolderWalk walk(m_platform, pattern, SearchInfo.ExtFilter);
    walk.keepGoing = [this] { return !SearchInfo.Cancelled && !Terminating; };
    {
        FolderWalk* const outer = std::exchange(m_folderWalk, &walk);
        const ScopeExit restore([this, outer] {
            m_folderWalk = outer;
            m_platform.SetBusyCursor(false);
        });
        QString path = startFolder;
        WalkFolder(path);
    }
    // One insertion for all results: the list model changes once, not once per line.
    if (target)
        target->addItems(walk.TakeFound());
    btnFSearch->setEnabled(true);
}

bool TViewForm::WalkFolder(QString& path)
{
    return m_folderWalk ? m_folderWalk->Walk(path) : false;
}

void TViewForm::btnFCancelClick()
{
    SearchInfo.Cancelled = true;
    btnFSearch->setEnabled(true);
    btnFCancel->setEnabled(false);
}

void TViewForm::btnSCloseClick()
{
    SearchMode = false;
    SearchInfo.Cancelled = false;
    btnFSearch->setEnabled(true);
    btnFCancel->setEnabled(false);
    pnlSearch->hide();
    LoadDirectory();
}

void TViewForm::ShowStartFolder(QLabel* label)
{
    if (!label)
        return;
    label->setTextFormat(Qt::PlainText);
    // Measured, not counted: a short path of wide letters is cut mid-letter as surely as a long one.
    label->setText(ElidePathMiddle(label->text(), label->fontMetrics(), label->contentsRect().width()));
}
