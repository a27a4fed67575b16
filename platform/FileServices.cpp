// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/FileServices.h"

#include <QStorageInfo>
#include "base/FileNames.h"
#include "base/FileReplacement.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Owns a file descriptor; closes it on every path out.
class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int Get() const { return m_fd; }
    bool Valid() const { return m_fd >= 0; }
    int Release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }

private:
    int m_fd;
};

// Opens a regular file for reading. O_NONBLOCK keeps a pipe that slipped in from waiting
// for a writer; it has no effect on regular files.
int OpenRegularForReading(const QString& path, struct stat& st)
{
    const int fd = ::open(EncodeFileName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return -1;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Reads the whole source in fixed-size chunks and hands each to `write`.
template <typename Write>
bool CopyBytes(int from, Write write)
{
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t n = ::read(from, buffer, sizeof buffer);
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (!write(buffer, n))
            return false;
    }
}

bool WriteAll(int fd, const char* data, ssize_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

// A file copy keeps the source's last-write time, as the desktop copy did.
void CopyTimes(const QString& to, const struct stat& st)
{
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::utimensat(AT_FDCWD, EncodeFileName(to).constData(), times, 0);
}

bool CopyToNewFile(int from, const QString& to, const struct stat& st)
{
    const QByteArray target = EncodeFileName(to);
    Fd out(::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (!out.Valid())
        return false;
    bool ok = CopyBytes(from, [&](const char* data, ssize_t n) { return WriteAll(out.Get(), data, n); });
    ok = ok && ::fchmod(out.Get(), st.st_mode & 07777) == 0;
    ok = ::close(out.Release()) == 0 && ok;
    if (!ok) {
        // The file is ours (O_EXCL), so a half-written one can go.
        ::unlink(target.constData());
        return false;
    }
    CopyTimes(to, st);
    return true;
}

bool ReplaceFile(int from, const QString& to, const struct stat& st)
{
    // Written beside the target and renamed over it only when complete; in place, as a save
    // is, where the folder takes no new file, with the whole size reserved first.
    FileReplacement out(to, FileReplacement::Fallback::InPlace);
    if (out.Open(st.st_size) != 0)
        return false;
    const bool ok = CopyBytes(from, [&](const char* data, ssize_t n) { return out.Write(data, n) == 0; });
    if (!ok || out.Commit() != 0)
        return false; // an uncommitted replacement leaves the target as it was
    ::chmod(EncodeFileName(to).constData(), st.st_mode & 07777);
    CopyTimes(to, st);
    return true;
}

} // namespace

namespace FileServices {

QString CurrentFolder()
{
    // The bytes as they are: a folder whose name is not UTF-8 must still be found again.
    char* path = ::getcwd(nullptr, 0);
    if (!path)
        return QString();
    QString folder = DecodeFileName(path);
    std::free(path);
    return folder;
}

bool SetCurrentFolder(const QString& folder)
{
    return !folder.isEmpty() && ::chdir(EncodeFileName(folder).constData()) == 0;
}

std::optional<FileFacts> ReadFileFacts(const QString& path)
{
    if (path.isEmpty())
        return std::nullopt;
    struct stat st {};
    Fd fd(OpenRegularForReading(path, st));
    if (!fd.Valid())
        return std::nullopt;
    FileFacts facts;
    facts.size = static_cast<uint64_t>(st.st_size);
    const qint64 ms = static_cast<qint64>(st.st_mtim.tv_sec) * 1000 + st.st_mtim.tv_nsec / 1000000;
    facts.lastWrite = QDateTime::fromMSecsSinceEpoch(ms); // local time
    return facts;
}

bool CopyFile(const QString& from, const QString& to, bool failIfExists)
{
    if (from.isEmpty() || to.isEmpty())
        return false;
    struct stat st {};
    Fd in(OpenRegularForReading(from, st));
    if (!in.Valid())
        return false;
    // A file is never copied onto itself (by its own name, a link or another hard link):
    // there is nothing to copy, and the only copy must stay untouched.
    struct stat target {};
    if (::stat(EncodeFileName(to).constData(), &target) == 0 && target.st_dev == st.st_dev &&
        target.st_ino == st.st_ino)
        return false;
    return failIfExists ? CopyToNewFile(in.Get(), to, st) : ReplaceFile(in.Get(), to, st);
}

std::optional<std::vector<DirEntry>> ListDirectory(const QString& folder, const QString& mask, ListFilter filter)
{
    const QByteArray path = EncodeFileName(folder.isEmpty() ? QStringLiteral(".") : folder);
    DIR* dir = ::opendir(path.constData());
    if (!dir)
        return std::nullopt;
    const int dirFd = ::dirfd(dir);
    std::vector<DirEntry> entries;
    while (const dirent* d = ::readdir(dir)) {
        const char* raw = d->d_name;
        if (raw[0] == '.' && (raw[1] == 0 || (raw[1] == '.' && raw[2] == 0)))
            continue;
        const QString name = DecodeFileName(raw);
        if (!MatchesMask(name, mask))
            continue;

        DirEntry entry;
        entry.name = name;
        entry.isHidden = raw[0] == '.';
        if (d->d_type == DT_REG || d->d_type == DT_DIR) {
            entry.isDirectory = d->d_type == DT_DIR;
        } else {
            // A link, or a file system that does not fill d_type: ask for the target's kind.
            struct stat st {};
            if (::fstatat(dirFd, raw, &st, 0) != 0)
                continue; // broken link or vanished entry
            if (!S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode))
                continue;
            entry.isDirectory = S_ISDIR(st.st_mode);
            entry.isLink = d->d_type == DT_LNK;
            if (d->d_type == DT_UNKNOWN) {
                struct stat lst {};
                entry.isLink = ::fstatat(dirFd, raw, &lst, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(lst.st_mode);
            }
        }
        if ((filter == ListFilter::Files && entry.isDirectory) ||
            (filter == ListFilter::Directories && !entry.isDirectory))
            continue;
        entries.push_back(std::move(entry));
    }
    ::closedir(dir);
    return entries;
}

bool IsBlankFileName(const QString& path)
{
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    const QString base = dot < 0 ? name : name.left(dot);
    return std::all_of(base.begin(), base.end(), [](QChar c) { return c.isSpace() || c == u'.'; });
}

bool MoveNoReplace(const QByteArray& from, const QByteArray& to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    // A file system without the flag: a hard link fails on an existing name just the same.
    if (::link(from.constData(), to.constData()) != 0)
        return false;
    if (::unlink(from.constData()) == 0)
        return true;
    // The old name stays: the new one goes again, so the move did not happen.
    const int error = errno;
    ::unlink(to.constData());
    errno = error;
    return false;
}

bool RenameFile(const QString& from, const QString& to, QString& why)
{
    if (MoveNoReplace(EncodeFileName(from), EncodeFileName(to)))
        return true;
    why = errno == EEXIST ? QStringLiteral("A file named \"%1\" is there already").arg(to.mid(to.lastIndexOf(u'/') + 1))
                          : QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

QStringList MountedVolumes()
{
    QStringList roots {QStringLiteral("/")};
    QStringList others;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady())
            continue;
        const QString root = volume.rootPath();
        if (root != roots.front() && !others.contains(root))
            others << root;
    }
    others.sort();
    return roots + others;
}

} // namespace FileServices
