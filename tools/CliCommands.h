// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The commands of lumivue-picture; each returns the process's exit status.
#include <QStringList>

int RunInfo(const QStringList& args);
int RunRender(const QStringList& args);
int RunSave(const QStringList& args);
