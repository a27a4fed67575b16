// The slide panel of the main window and the show's set-up before the full-screen window
// opens: the seconds per slide and which list the show runs over.
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <vector>
#include <QCheckBox>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShortcut>
#include "picture/Failure.h"
#include "controls/FileListBox.h"
#include "ui/fullscreen/Full.h"
#include "platform/Platform.h"
#include "controls/UpDownEdit.h"
#include "ui/browser/Viewmain.h"

namespace {

constexpr int kPanelWidth = 200;
constexpr int kPanelHeight = 116;
constexpr int kDefaultSeconds = 5;

// A whole number as typed: blanks around it, an optional sign and decimal digits that fit
// in 32 bits. Anything else is no number.
std::optional<int32_t> ReadWholeNumber(const QString& text)
{
    const QString t = text.trimmed();
    qsizetype i = 0;
    const bool negative = i < t.size() && t[i] == QLatin1Char('-');
    if (i < t.size() && (t[i] == QLatin1Char('-') || t[i] == QLatin1Char('+')))
        ++i;
    if (i == t.size())
        return std::nullopt;
    int64_t value = 0;
    for (; i < t.size(); ++i) {
        const char16_t c = t[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
        if (value > int64_t(INT32_MAX) + 1) // stops long before 64 bits overflow
            return std::nullopt;
    }
    value = negative ? -value : value;
    if (value > INT32_MAX)
        return std::nullopt;
    return int32_t(value);
}

// The result list holds no picture: empty, or the one line a search leaves when nothing matched.
bool NoResults(const QListWidget& results)
{
    return results.count() == 0 || results.item(0)->text() == QLatin1String("No matches found");
}

// Shows the wait plate and holds the buttons under it disabled for its lifetime, also when
// a failure passes through.
class WaitPlate {
public:
    WaitPlate(QLabel& plate, std::initializer_list<QPushButton*> buttons) : m_plate(plate), m_buttons(buttons)
    {
        for (QPushButton* b : m_buttons)
            b->setEnabled(false);
        m_plate.show();
        m_plate.raise();
    }
    ~WaitPlate()
    {
        m_plate.hide();
        for (QPushButton* b : m_buttons)
            b->setEnabled(true);
    }
    WaitPlate(const WaitPlate&) = delete;
    WaitPlate& operator=(const WaitPlate&) = delete;

private:
    QLabel& m_plate;
    std::vector<QPushButton*> m_buttons;
};

QLabel* Caption(QWidget* parent, const QString& text, const QRect& where)
{
    auto* label = new QLabel(text, parent);
    label->setGeometry(where);
    return label;
}

} // namespace

void TViewForm::BuildSlidePanel()
{
    auto* panel = new QFrame(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    pnlSlide = panel;
    pnlSlide->setObjectName(QStringLiteral("pnlSlide"));
    pnlSlide->setAutoFillBackground(true);
    pnlSlide->resize(kPanelWidth, kPanelHeight);

    lblSShow = Caption(pnlSlide, QStringLiteral("Slide Show"), QRect(8, 6, 184, 18));
    lblSShow->setObjectName(QStringLiteral("lblSShow"));
    QFont titleFont = lblSShow->font();
    titleFont.setBold(true);
    lblSShow->setFont(titleFont);
    QPalette navy = lblSShow->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    lblSShow->setPalette(navy);

    Caption(pnlSlide, QStringLiteral("Show"), QRect(8, 32, 40, 18));
    // The arrows (UpDown1) step by one within 3..3600; a typed number stays as typed.
    edtShowTime = new TUpDownEdit(m_platform, pnlSlide);
    edtShowTime->setObjectName(QStringLiteral("edtShowTime"));
    edtShowTime->SetMin(3);
    edtShowTime->SetMax(3600);
    edtShowTime->SetPosition(kDefaultSeconds);
    edtShowTime->setGeometry(50, 30, 70, 22);
    Caption(pnlSlide, QStringLiteral("Seconds"), QRect(126, 32, 66, 18));

    chkSubs = new QCheckBox(QStringLiteral("Include Sub Directories"), pnlSlide);
    chkSubs->setObjectName(QStringLiteral("chkSubs"));
    chkSubs->setLayoutDirection(Qt::RightToLeft); // the text stands left of the box
    chkSubs->setGeometry(8, 58, 184, 20);

    btnSOK = new QPushButton(QStringLiteral("OK"), pnlSlide);
    btnSOK->setObjectName(QStringLiteral("btnSOK"));
    btnSOK->setDefault(true);
    btnSOK->setGeometry(8, 84, 88, 26);
    btnSCancel = new QPushButton(QStringLiteral("Cancel"), pnlSlide);
    btnSCancel->setObjectName(QStringLiteral("btnSCancel"));
    btnSCancel->setGeometry(104, 84, 88, 26);

    // Covers the two buttons while the folder tree is searched.
    pnlWait = new QLabel(QStringLiteral("Searching for Images"), pnlSlide);
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

    ConnectGuarded(m_platform, btnSOK, &QPushButton::clicked, this, [this] { btnSOKClick(btnSOK); });
    ConnectGuarded(m_platform, btnSCancel, &QPushButton::clicked, this, [this] { btnSOKClick(btnSCancel); });
    // Enter is the default button's and Esc the cancel button's anywhere in the window, as
    // long as the panel is shown (a hidden panel's shortcuts do not fire).
    for (const int key : {int(Qt::Key_Return), int(Qt::Key_Enter)}) {
        auto* enter = new QShortcut(QKeySequence(key), pnlSlide);
        connect(enter, &QShortcut::activated, btnSOK, &QPushButton::click);
    }
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), pnlSlide);
    connect(escape, &QShortcut::activated, btnSCancel, &QPushButton::click);
    pnlSlide->hide();
}

void TViewForm::btnSlideClick()
{
    edtShowTime->SetText(QString::number(kDefaultSeconds));
    chkSubs->setChecked(false);
    // In search mode a show always runs over the current results.
    chkSubs->setVisible(!SearchMode);
    pnlWait->hide();
    // Over the top left of the thumbnail area, above the thumbnails.
    pnlSlide->move(pnlImage->geometry().topLeft() + QPoint(4, 4));
    pnlSlide->show();
    pnlSlide->raise();
}

void TViewForm::btnSOKClick(QPushButton* sender)
{
    if (sender == btnSOK) {
        // The show opens from the page's first thumbnail; it returns when the show has ended.
        PicList.Current = 1;
        mniFullScreenClick(mniFullScreen);
    }
    pnlSlide->hide();
}

bool TViewForm::SlideSetUp(TFullForm& full)
{
    const QString typed = edtShowTime->Text();
    const std::optional<int32_t> seconds = ReadWholeNumber(typed);
    if (!seconds)
        throw Failure(QStringLiteral("'%1' is not a valid integer value").arg(typed));
    full.SlideSeconds = *seconds;
    full.IncludeSubs = chkSubs->isChecked();
    if (full.IncludeSubs) {
        {
            // The plate covers OK and Cancel; their keys must not start a second show or
            // close the panel while the search lets messages through.
            WaitPlate wait(*pnlWait, {btnSOK, btnSCancel});
            lbxFileSearch->clear();
            // The search area's own search, with its text and type as last left; the area
            // stays hidden.
            btnFSearchClick();
        }
        if (NoResults(*lbxFileSearch))
            return false;
        full.Images = CurrentImageList().WithSource(ImageList::Source::Search);
        full.CurrentIndex = 0;
        full.LastIndex = full.Images.Count() - 1;
        return true;
    }
    if (SearchMode)
        return !NoResults(*lbxFileSearch);
    return FileListBox1->Count() > 0;
}
