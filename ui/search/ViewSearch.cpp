// The search area over the file panel.
#include <QLabel>
#include <QListWidget>
#include "browser/Viewmain.h"

void TViewForm::BuildSearchPanel()
{
    pnlSearch = new QWidget(this);
    pnlSearch->setObjectName(QStringLiteral("pnlSearch"));
    pnlSearch->setAutoFillBackground(true);
    lblxDir = new QLabel(QStringLiteral("C:\\Lumivue 1.3"), pnlSearch);
    lblxDir->setGeometry(4, 4, 172, 16);
    lbxFileSearch = new QListWidget(pnlSearch);
    lbxFileSearch->setGeometry(4, 150, 202, 200);
    connect(lbxFileSearch, &QListWidget::itemClicked, this,
            [this] { Guard([this] { FileListBox1DblClick(lbxFileSearch); }); });
    pnlSearch->hide();
}

void TViewForm::btnSearchClick() {}
void TViewForm::btnFSearchClick() {}
void TViewForm::btnFCancelClick() {}
void TViewForm::btnSCloseClick() {}
void TViewForm::rdgExtClick() {}
void TViewForm::ShowStartFolder(QLabel*) {}
