// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Writing a new version of a file: the bytes go to a new file beside the target, which takes
// the target's name only once it is complete, so a failed write leaves the old file as it was.
// Works on the name's bytes (base/FileNames.h), so any name the file system holds can be written.
#include <QByteArray>
#include <QString>

class FileReplacement {
public:
    enum class Fallback {
        None,
        InPlace // where no file can be made beside it, a target that may be written is written in place
    };
    // Open's answer for a target that is not a regular file (a pipe, a device, a folder):
    // writing there would wait for a reader or never end.
    static constexpr int NotRegularFile = -1;
    // The user's text for an error number or NotRegularFile.
    static QString Reason(int error);

    // A symbolic link is followed: the file it names is replaced, not the link.
    FileReplacement(const QString& target, Fallback fallback);
    ~FileReplacement(); // an uncommitted new file is removed; an in-place write stays as far as it went
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Each returns 0 or the system's error number. A replaced file keeps its permissions; a
    // new one gets the usual ones (0666 less the process's mask). `size` is what will be
    // written: in place, its room is reserved before the old content is touched, and when it
    // cannot be, Open fails and the old file stays whole.
    int Open(qint64 size);
    int Write(const char* data, qint64 size);
    int Commit();

private:
    int OpenInPlace(qint64 size);

    QByteArray m_target;
    QByteArray m_temporary; // empty while nothing was made, and when written in place
    Fallback m_fallback;
    int m_fd = -1;
    bool m_inPlace = false;
    qint64 m_written = 0;
};
