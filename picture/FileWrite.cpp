// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/FileWrite.h"
#include "base/FileNames.h"
#include "base/FileReplacement.h"
#include "picture/Failure.h"

void WriteWholeFile(const QString& path, const QByteArray& bytes)
{
    // In place is safe enough here: the content is complete before the file is touched.
    FileReplacement file(path, FileReplacement::Fallback::InPlace);
    const auto check = [&path](int error) {
        if (error != 0)
            throw Failure(
                QStringLiteral("Cannot create file \"%1\". %2").arg(DisplayName(path), FileReplacement::Reason(error)));
    };
    check(file.Open(bytes.size()));
    check(file.Write(bytes.constData(), bytes.size()));
    check(file.Commit());
}
