// The main window's doors to the help, about and goodbye windows.
#include "browser/Viewmain.h"

void TViewForm::btnHelpClick() {}
void TViewForm::btnInfoClick() {}
void TViewForm::FormClose() {}
