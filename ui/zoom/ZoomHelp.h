// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The text of the zoom window's help panel.
#include <QString>

QString ZoomHelpText();
