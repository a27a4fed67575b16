// SPDX-License-Identifier: GPL-3.0-or-later
// The slide panel of the main window and the show's set-up before the full-screen window
// opens: the seconds per slide and which list the show runs over.
#include <cstdint>
#include <optional>
#include <QCoreApplication>
#include <QListWidget>
#include "picture/Failure.h"
#include "controls/FileListBox.h"
#include "ui/fullscreen/Full.h"
#include "platform/Platform.h"
#include "ui/browser/Viewmain.h"
#include "ui/slideshow/SlidePanel.h"
#include "base/ScopeExit.h"

namespace {

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
    return results.count() == 0 ||
        results.item(0)->text() == QCoreApplication::translate("TSearchPanel", "No matches found");
}

} // namespace

void TViewForm::btnSlideClick()
{
    // Over the top left of the thumbnail area, above the thumbnails; in search mode a show
    // always runs over the current results.
    pnlSlide->Open(pnlImage->geometry().topLeft() + QPoint(4, 4), !SearchMode);
}

void TViewForm::RunSlideShow()
{
    // The show opens from the page's first thumbnail; it returns when the show has ended.
    PicList.Current = 1;
    mniFullScreenClick(mniFullScreen);
}

bool TViewForm::SlideSetUp(TFullForm& full)
{
    const QString typed = pnlSlide->SecondsText();
    const std::optional<int32_t> seconds = ReadWholeNumber(typed);
    if (!seconds)
        throw Failure(tr("'%1' is not a valid integer value").arg(typed));
    full.SlideSeconds = *seconds;
    full.IncludeSubs = pnlSlide->IncludeSubs();
    if (full.IncludeSubs) {
        {
            // The plate covers OK and Cancel; their keys must not start a second show or
            // close the panel while the search lets messages through.
            pnlSlide->SetSearching(true);
            const ScopeExit ready([this] { pnlSlide->SetSearching(false); });
            pnlSearch->ClearResults();
            // The search area's own search, with its text and type as last left; the area
            // stays hidden.
            pnlSearch->Search();
        }
        if (NoResults(*pnlSearch->Results()))
            return false;
        full.Images = CurrentImageList().WithSource(ImageList::Source::Search);
        full.CurrentIndex = 0;
        full.LastIndex = full.Images.Count() - 1;
        return true;
    }
    if (SearchMode)
        return !NoResults(*pnlSearch->Results());
    return FileListBox1->Count() > 0;
}
