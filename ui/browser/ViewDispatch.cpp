// The popup's door to the full-screen window.
#include "Viewmain.h"

void TViewForm::mniFullScreenClick(QAction*) {}
void TViewForm::mniPrintClick(QAction* sender) { mniFullScreenClick(sender); }
