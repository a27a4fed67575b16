#pragma once
// The text of the zoom window's help panel.
#include <QString>

QString ZoomHelpText();
