// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's doors to the help, about and goodbye windows.
#include <QCloseEvent>
#include "ui/dialogs/About.h"
#include "ui/dialogs/GoodBye.h"
#include "ui/dialogs/Help.h"
#include "platform/Platform.h"
#include "ui/browser/Viewmain.h"

void TViewForm::btnHelpClick()
{
    THelpForm help(m_platform, this);
    m_platform.ShowModal(help);
}

void TViewForm::btnInfoClick()
{
    TAboutForm about(m_platform, this);
    m_platform.ShowModal(about);
}

void TViewForm::FormClose()
{
    // Shown without waiting for it; its activation holds the plate for the pause, then it goes.
    TGBForm goodbye(m_platform, this);
    goodbye.show();
    goodbye.FormActivate();
}

void TViewForm::closeEvent(QCloseEvent* event)
{
    if (!m_leaving) {
        m_leaving = true;
        Guard([this] { FormClose(); });
    }
    QWidget::closeEvent(event);
}
