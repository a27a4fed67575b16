// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QColor>

// Application-wide tooltip look and timing: background colour and the delay before showing.
// (How long a tooltip stays is set per control with QWidget::setToolTipDuration.)
void ApplyTooltipSettings(QColor background, int showDelayMs);
