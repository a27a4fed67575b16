// SPDX-License-Identifier: GPL-3.0-or-later
// The full-screen window's print panel: the printer choice, "&Print" and "&Return".
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include "ui/common/ButtonPictures.h"
#include "ui/fullscreen/Full.h"
#include "controls/ImageControl.h"
#include "ui/print/PicturePrint.h"
#include "platform/Messages.h"
#include "platform/Platform.h"

void TFullForm::BuildPrintPanel()
{
    pnlPrinter = new QFrame(this);
    pnlPrinter->setObjectName(QStringLiteral("pnlPrinter"));
    pnlPrinter->setFrameStyle(QFrame::Box | QFrame::Plain); // a single line, no bevel
    // The desktop's colours, not the window's black: each role set, so none is inherited.
    const QPalette desktop = QApplication::palette();
    QPalette own = desktop;
    for (int role = 0; role < QPalette::NColorRoles; ++role)
        if (role != QPalette::NoRole)
            for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
                own.setColor(group, QPalette::ColorRole(role), desktop.color(group, QPalette::ColorRole(role)));
    pnlPrinter->setPalette(own);
    pnlPrinter->setAutoFillBackground(true);
    pnlPrinter->setGeometry(16, 16, 232, 112);

    lblPrint = new QLabel(pnlPrinter);
    lblPrint->setObjectName(QStringLiteral("lblPrint"));
    lblPrint->setAlignment(Qt::AlignCenter);
    lblPrint->setGeometry(8, 6, 216, 20);

    cbxPrinters = new QComboBox(pnlPrinter); // not editable: a pick-only list
    cbxPrinters->setObjectName(QStringLiteral("cbxPrinters"));
    cbxPrinters->setGeometry(8, 32, 216, 26);
    connect(cbxPrinters, &QComboBox::activated, this, [this] { Guard([this] { cbxPrintersClick(); }); });

    btnPAccept = new QPushButton(MakeButtonPicture(ButtonPicture::GreenLight), tr("&Print"), pnlPrinter);
    btnPAccept->setObjectName(QStringLiteral("btnPAccept"));
    btnPAccept->setGeometry(8, 72, 104, 30);
    btnPCancel = new QPushButton(MakeButtonPicture(ButtonPicture::RedLight), tr("&Return"), pnlPrinter);
    btnPCancel->setObjectName(QStringLiteral("btnPCancel"));
    btnPCancel->setGeometry(120, 72, 104, 30);
    for (QPushButton* button : {btnPAccept, btnPCancel}) {
        button->setAutoDefault(false); // Enter in the list must not print by surprise
        connect(button, &QPushButton::clicked, this,
                [this, button] { Guard([this, button] { btnPAcceptClick(button); }); });
    }
    pnlPrinter->hide();
}

void TFullForm::ShowPrintPanel()
{
    StopPlaying(); // the first frame is printed
    cbxPrinters->clear();
    cbxPrinters->addItems(m_platform.Printers());
    cbxPrinters->setCurrentIndex(m_platform.PrinterIndex());
    lblPrint->setText(PrintToPage ? tr("Print to fit in page") : tr("Print As Is"));
    pnlPrinter->show();
    pnlPrinter->raise();
    cbxPrinters->setFocus();
    m_platform.SetCursorPos(QPoint(125, 125));
}

void TFullForm::cbxPrintersClick()
{
    const int index = cbxPrinters->currentIndex();
    m_platform.SelectPrinter(index);
    if (m_platform.SelectedPrinterNames())
        return;
    // A second try: the device settings may not have been ready yet.
    m_platform.SelectPrinter(index);
    if (!m_platform.SelectedPrinterNames())
        ShowError(m_platform, tr(" Cannot load printer. "));
}

void TFullForm::btnPAcceptClick(QObject* sender)
{
    pnlPrinter->hide();
    if (sender == btnPAccept)
        PrintPicture();
    else
        close();
}

void TFullForm::PrintPicture()
{
    PictureOrder order;
    order.picture = imgFull->Picture().Graphic();
    order.width = PictureWidth;
    order.height = PictureHeight;
    order.toPage = PrintToPage;
    order.documentName = ShownFile;
    const PrintOutcome outcome = RunPictureJob(m_platform, this, order);
    PageHeight = outcome.pageHeight;
    PageWidth = outcome.pageWidth;
    PrintRect = outcome.placement.rect;
}
