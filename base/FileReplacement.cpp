// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/FileReplacement.h"
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QRandomGenerator>
#include "base/FileNames.h"

namespace {

QByteArray FollowLink(const QByteArray& path)
{
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0 || !S_ISLNK(st.st_mode))
        return path;
    if (char* real = ::realpath(path.constData(), nullptr)) {
        QByteArray resolved(real);
        std::free(real);
        return resolved;
    }
    // A link to a file that does not exist yet: that file is made.
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink(path.constData(), buffer, sizeof buffer);
    if (n <= 0 || n == ssize_t(sizeof buffer))
        return path;
    const QByteArray target(buffer, n);
    const qsizetype slash = path.lastIndexOf('/');
    return target.startsWith('/') || slash < 0 ? target : path.left(slash + 1) + target;
}

// Makes sure the file can grow to `size` bytes without touching its first `oldSize` bytes.
int Reserve(int fd, qint64 oldSize, qint64 size)
{
    if (size <= oldSize)
        return 0;
    if (::fallocate(fd, 0, oldSize, size - oldSize) == 0)
        return 0;
    if (errno != EOPNOTSUPP && errno != ENOSYS)
        return errno;
    // A file system without fallocate (many FUSE ones): zeros written beyond the old end.
    static const char zeros[64 * 1024] = {};
    for (qint64 at = oldSize; at < size;) {
        const ssize_t n = ::pwrite(fd, zeros, size_t(std::min<qint64>(sizeof zeros, size - at)), at);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        at += n;
    }
    return 0;
}

} // namespace

QString FileReplacement::Reason(int error)
{
    return error == NotRegularFile ? QStringLiteral("Not a regular file")
                                   : QString::fromLocal8Bit(std::strerror(error));
}

FileReplacement::FileReplacement(const QString& target, Fallback fallback)
    : m_target(FollowLink(EncodeFileName(target))), m_fallback(fallback)
{}

FileReplacement::~FileReplacement()
{
    if (m_fd >= 0)
        ::close(m_fd);
    if (!m_temporary.isEmpty())
        ::unlink(m_temporary.constData());
}

int FileReplacement::Open(qint64 size)
{
    if (m_target.isEmpty())
        return ENOENT;
    struct stat st {};
    const bool exists = ::stat(m_target.constData(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode))
        return NotRegularFile;
    // A file the user may not write is not replaced either.
    if (exists && ::access(m_target.constData(), W_OK) != 0)
        return errno;
    int error = 0;
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        const QByteArray name = m_target + '.' +
            QByteArray::number(QRandomGenerator::global()->bounded(0x1000000), 16).rightJustified(6, '0');
        // 0666: the process's mask decides, as for any new file.
        m_fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (m_fd >= 0)
            m_temporary = name;
        else if ((error = errno) != EEXIST)
            break;
    }
    if (m_fd < 0) {
        if (m_fallback != Fallback::InPlace || (error != EACCES && error != EPERM && error != EROFS))
            return error;
        return OpenInPlace(size);
    }
    if (exists)
        ::fchmod(m_fd, st.st_mode & 07777);
    return 0;
}

int FileReplacement::OpenInPlace(qint64 size)
{
    // Not truncated yet: the old content stays until the new one is sure to fit. O_NONBLOCK
    // keeps a pipe put in the file's place from waiting for a reader.
    const int fd = ::open(m_target.constData(), O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    struct stat st {};
    int error = ::fstat(fd, &st) != 0 ? errno : !S_ISREG(st.st_mode) ? NotRegularFile : 0;
    if (error == 0 && (error = Reserve(fd, st.st_size, size)) != 0) {
        const int undone = ::ftruncate(fd, st.st_size); // what was reserved goes again
        static_cast<void>(undone);
    }
    if (error != 0) {
        ::close(fd);
        return error;
    }
    m_fd = fd;
    m_inPlace = true;
    return 0;
}

int FileReplacement::Write(const char* data, qint64 size)
{
    if (m_fd < 0)
        return EBADF;
    while (size > 0) {
        const ssize_t n = ::write(m_fd, data, size_t(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        data += n;
        size -= n;
        m_written += n;
    }
    return 0;
}

int FileReplacement::Commit()
{
    if (m_fd < 0)
        return EBADF;
    // In place, the old content's tail and what was reserved beyond the new end go.
    int error = m_inPlace && ::ftruncate(m_fd, m_written) != 0 ? errno : 0;
    // On the disk before it takes the name, so a crash leaves the old file or the whole new one.
    if (error == 0 && ::fsync(m_fd) != 0 && errno != EINVAL)
        error = errno;
    if (::close(m_fd) != 0 && error == 0)
        error = errno;
    m_fd = -1;
    if (error == 0 && !m_temporary.isEmpty()) {
        if (::rename(m_temporary.constData(), m_target.constData()) != 0)
            error = errno;
        else
            m_temporary.clear();
    }
    return error;
}
