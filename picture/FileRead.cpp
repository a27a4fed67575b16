// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/FileRead.h"
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <limits>
#include <utility>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include "base/FileNames.h"
#include "picture/Failure.h"

namespace {

[[noreturn]] void CannotOpen(const QString& path, const QString& reason)
{
    throw Failure(QStringLiteral("Cannot open file \"%1\". %2").arg(DisplayName(path), reason));
}

QString SystemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

class FdCloser {
public:
    explicit FdCloser(int fd) : m_fd(fd) {}
    ~FdCloser()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    // The descriptor, no longer closed here.
    int Release() { return std::exchange(m_fd, -1); }
    FdCloser(const FdCloser&) = delete;
    FdCloser& operator=(const FdCloser&) = delete;

private:
    int m_fd;
};

// Reads up to bytes.size() bytes; the array is cut to what was read. 0 or the system's error.
int ReadInto(int fd, QByteArray& bytes)
{
    qsizetype filled = 0;
    while (filled < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + filled, size_t(bytes.size() - filled));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno;
        if (n == 0)
            break; // shrunk meanwhile
        filled += n;
    }
    bytes.truncate(filled);
    return 0;
}

std::atomic<FileReadWatch> g_watch {nullptr};

// O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer. It does not
// change how a regular file reads.
int OpenForReading(const QString& path)
{
    if (const FileReadWatch watch = g_watch.load(std::memory_order_acquire))
        watch(path);
    return ::open(EncodeFileName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
}

// Opens a regular file of at most `maxBytes` with the failures every reader gives; `st` gets its
// status. The caller closes the descriptor.
int OpenRegular(const QString& path, int64_t maxBytes, struct stat& st)
{
    const int fd = OpenForReading(path);
    if (fd < 0)
        CannotOpen(path, SystemReason(errno));
    FdCloser closer(fd);
    if (::fstat(fd, &st) != 0)
        CannotOpen(path, SystemReason(errno));
    if (!S_ISREG(st.st_mode))
        CannotOpen(path, QStringLiteral("Not a regular file"));
    if (st.st_size > maxBytes)
        throw Failure(kOutOfResources);
    return closer.Release();
}

} // namespace

void SetFileReadWatch(FileReadWatch watch)
{
    g_watch.store(watch, std::memory_order_release);
}

QByteArray ReadRegularFile(const QString& path, int64_t maxBytes, SourceFile* source)
{
    return ReadRegularFileStart(path, maxBytes, maxBytes, nullptr, source);
}

QByteArray ReadRegularFileStart(const QString& path, int64_t maxBytes, int64_t headBytes, int64_t* fileSize,
                                SourceFile* source)
{
    struct stat st {};
    const int fd = OpenRegular(path, maxBytes, st);
    const FdCloser closer(fd);
    if (fileSize)
        *fileSize = st.st_size;

    // What the file held when opened: a file that grows meanwhile is read no further.
    const int64_t want = std::min<int64_t>(st.st_size, std::max<int64_t>(0, headBytes));
    QByteArray bytes(qsizetype(want), Qt::Uninitialized);
    if (const int error = ReadInto(fd, bytes))
        throw Failure(SystemReason(error));
    if (source) {
        source->path = AbsoluteFileName(path);
        source->size = bytes.size() == qsizetype(want) ? int64_t(st.st_size) : -1;
        source->mtime = int64_t(st.st_mtime);
    }
    return bytes;
}

std::optional<QByteArray> ReadRegularFileHead(const QString& path, qsizetype count)
{
    try {
        return ReadRegularFileStart(path, std::numeric_limits<int64_t>::max(), count, nullptr);
    } catch (const Failure&) {
        return std::nullopt;
    }
}

FileStream::FileStream(const QString& path, int64_t maxBytes)
{
    struct stat st {};
    m_fd = OpenRegular(path, maxBytes, st);
    m_size = st.st_size;
}

FileStream::~FileStream()
{
    ::close(m_fd);
}

bool FileStream::ReadExactly(void* into, size_t size)
{
    auto* at = static_cast<char*>(into);
    while (size > 0) {
        const ssize_t n = ::read(m_fd, at, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            m_error = n < 0 ? errno : 0;
            return false;
        }
        at += n;
        size -= size_t(n);
    }
    return true;
}

int64_t FileStream::ReadAt(int64_t offset, void* into, size_t size)
{
    auto* at = static_cast<char*>(into);
    int64_t done = 0;
    while (size > 0) {
        const ssize_t n = ::pread(m_fd, at, size, off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            m_error = errno;
            return -1;
        }
        if (n == 0)
            break;
        at += n;
        done += n;
        size -= size_t(n);
    }
    return done;
}

QByteArray FileStream::ReadAll()
{
    QByteArray bytes(qsizetype(m_size), Qt::Uninitialized);
    const int64_t n = ReadAt(0, bytes.data(), size_t(bytes.size()));
    if (n < 0)
        throw Failure(SystemReason(m_error));
    bytes.truncate(qsizetype(n));
    return bytes;
}
