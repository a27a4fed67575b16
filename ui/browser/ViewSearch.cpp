// SPDX-License-Identifier: GPL-3.0-or-later
// The search area as the main window uses it: opened from the toolbar, its results the image
// list while it is open, the folder's list again when it closes.
#include <QEvent>
#include "controls/RadioGroup.h"
#include "ui/browser/Viewmain.h"
#include "ui/search/SearchPanel.h"

namespace {

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
    pnlSearch = new TSearchPanel(m_platform, this);
    pnlSearch->OnClose = [this] {
        SearchMode = false;
        LoadDirectory();
    };
    pnlSearch->OnSearched = [this] { LoadDirectory(); };
    pnlSearch->OnResultChosen = [this](int row) { ListEntryClick(true, row); };
    pnlSearch->Closing = [this] { return Terminating; };
    new CloseWatch(this);
}

void TViewForm::btnSearchClick()
{
    pnlSearch->Open(rdgType->ItemIndex());
    SearchMode = true;
}
