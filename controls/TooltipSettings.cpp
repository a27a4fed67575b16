// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/TooltipSettings.h"
#include <QApplication>
#include <QPalette>
#include <QProxyStyle>
#include <QToolTip>

namespace {
int g_delay = 700;

// Only the tooltip delay differs from the desktop's style.
class TooltipTimingStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* ret) const override
    {
        if (hint == SH_ToolTip_WakeUpDelay)
            return g_delay;
        return QProxyStyle::styleHint(hint, option, widget, ret);
    }
};
}

void ApplyTooltipSettings(QColor background, int showDelayMs)
{
    g_delay = showDelayMs;
    QPalette p = QToolTip::palette();
    p.setColor(QPalette::ToolTipBase, background);
    p.setColor(QPalette::ToolTipText, Qt::black);
    QToolTip::setPalette(p);
    if (!dynamic_cast<TooltipTimingStyle*>(QApplication::style()))
        QApplication::setStyle(new TooltipTimingStyle);
}
