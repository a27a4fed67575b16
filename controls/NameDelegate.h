// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Draws a list line that holds a file name as the name is shown (base/FileNames.h). The
// line's text stays the exact name, which the list hands back to open the file.
#include <QStyledItemDelegate>
#include "base/FileNames.h"

class TNameDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QString displayText(const QVariant& value, const QLocale& locale) const override
    {
        return DisplayName(QStyledItemDelegate::displayText(value, locale));
    }
};
