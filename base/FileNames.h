// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// File names are the file system's bytes, which need not be valid UTF-8. A name keeps its
// bytes in a QString this way: valid UTF-8 decodes as usual and each byte that is not part of
// a valid sequence becomes a lone surrogate U+DC80..U+DCFF, which encodes back to that byte.
// Every name handed to or taken from the file system goes through these two functions; a name
// shown to the user goes through DisplayName.
#include <QByteArray>
#include <QByteArrayView>
#include <QString>

QString DecodeFileName(QByteArrayView bytes);
// The bytes the name was decoded from. A lone surrogate no byte maps to (typed, not listed)
// has no bytes; it becomes U+FFFD's.
QByteArray EncodeFileName(const QString& name);
// The name with each lone surrogate replaced by U+FFFD, for labels, lists and messages.
QString DisplayName(const QString& name);
// The name made absolute against the working folder and cleaned, its bytes kept.
QString AbsoluteFileName(const QString& name);
