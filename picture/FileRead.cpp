#include "picture/FileRead.h"
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QFile>
#include "picture/Failure.h"

namespace {

[[noreturn]] void CannotOpen(const QString& path, const QString& reason)
{
    throw Failure(QStringLiteral("Cannot open file \"%1\". %2").arg(path, reason));
}

QString SystemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

class FdCloser {
public:
    explicit FdCloser(int fd) : m_fd(fd) {}
    ~FdCloser() { ::close(m_fd); }
    FdCloser(const FdCloser&) = delete;
    FdCloser& operator=(const FdCloser&) = delete;

private:
    int m_fd;
};

} // namespace

QByteArray ReadRegularFile(const QString& path, int64_t maxBytes)
{
    return ReadRegularFileHead(path, maxBytes, maxBytes, nullptr);
}

QByteArray ReadRegularFileHead(const QString& path, int64_t maxBytes, int64_t headBytes, int64_t* fileSize)
{
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer. It does not
    // change how a regular file reads.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        CannotOpen(path, SystemReason(errno));
    FdCloser closer(fd);
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        CannotOpen(path, SystemReason(errno));
    if (!S_ISREG(st.st_mode))
        CannotOpen(path, QStringLiteral("Not a regular file"));
    if (st.st_size > maxBytes)
        throw Failure(kOutOfResources);
    if (fileSize)
        *fileSize = st.st_size;

    // What the file held when opened: a file that grows meanwhile is read no further.
    QByteArray bytes(qsizetype(std::min<int64_t>(st.st_size, std::max<int64_t>(0, headBytes))), Qt::Uninitialized);
    qsizetype filled = 0;
    while (filled < bytes.size()) {
        const ssize_t n = ::read(fd, bytes.data() + filled, size_t(bytes.size() - filled));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw Failure(SystemReason(errno));
        if (n == 0)
            break; // shrunk meanwhile
        filled += n;
    }
    bytes.truncate(filled);
    return bytes;
}
