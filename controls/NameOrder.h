// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The order in which the folder and file lists show names: letter case ignored, and names
// that differ only in case in code order, so the order never depends on the listing's order.
#include <vector>
#include <QString>
#include <QStringList>
#include "platform/Platform.h"

bool NameLess(const QString& a, const QString& b);
// The names of the listed entries that are not hidden (hidden: a name starting with "."),
// in NameLess order.
QStringList VisibleSortedNames(const std::vector<DirEntry>& entries);
