// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/Trash.h"

#include <QDateTime>
#include "base/FileNames.h"
#include "platform/FileServices.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString Reason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QByteArray ParentOf(const QByteArray& path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray("/") : path.left(slash);
}

// A folder of our own, made with its parents when missing (mode 0700, as the trash asks).
bool MakeFolders(const QByteArray& path)
{
    struct stat st {};
    if (::lstat(path.constData(), &st) == 0)
        return S_ISDIR(st.st_mode);
    if (errno != ENOENT || path.isEmpty() || path == "/")
        return false;
    if (!MakeFolders(ParentOf(path)))
        return false;
    return ::mkdir(path.constData(), 0700) == 0 || errno == EEXIST;
}

// The folder a file system is mounted on, found by climbing from `folder` while the device
// stays the same.
QByteArray TopOf(const QByteArray& folder, dev_t device)
{
    QByteArray top = folder;
    while (top != "/") {
        const QByteArray up = ParentOf(top);
        struct stat st {};
        if (::stat(up.constData(), &st) != 0 || st.st_dev != device)
            break;
        top = up;
    }
    return top;
}

struct TrashPlace {
    QByteArray root;      // the trash folder, holding files/ and info/
    QByteArray pathsFrom; // the info's Path is relative to this folder; empty: absolute
};

QByteArray HomeTrash()
{
    QByteArray data = qgetenv("XDG_DATA_HOME");
    if (data.isEmpty() || !data.startsWith('/'))
        data = qgetenv("HOME") + "/.local/share";
    return data + "/Trash";
}

bool Usable(const TrashPlace& place)
{
    return MakeFolders(place.root + "/files") && MakeFolders(place.root + "/info");
}

// The device of a path, or of its nearest ancestor while it does not exist yet.
dev_t DeviceOf(QByteArray path)
{
    struct stat st {};
    while (::stat(path.constData(), &st) != 0 && path != "/")
        path = ParentOf(path);
    return st.st_dev;
}

// The trash for a file on `device` in `folder` (real path); nullopt with the reason. A file on
// the home's file system goes to the home trash or nowhere.
std::optional<TrashPlace> TrashFor(const QByteArray& folder, dev_t device, QString& why)
{
    const TrashPlace home {HomeTrash(), {}};
    if (DeviceOf(home.root) == device) {
        if (Usable(home))
            return home;
        why = QStringLiteral("The trash folder \"%1\" cannot be made").arg(DecodeFileName(home.root));
        return std::nullopt;
    }
    const QByteArray top = TopOf(folder, device);
    const QByteArray uid = QByteArray::number(::getuid());
    const QByteArray base = top == "/" ? QByteArray() : top;
    struct stat st {};
    // A shared .Trash counts only when it is a real folder with the sticky bit.
    if (::lstat((base + "/.Trash").constData(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX)) {
        const TrashPlace shared {base + "/.Trash/" + uid, top};
        if (Usable(shared))
            return shared;
    }
    const TrashPlace own {base + "/.Trash-" + uid, top};
    if (Usable(own) && ::lstat(own.root.constData(), &st) == 0 && st.st_uid == ::getuid())
        return own;
    why = QStringLiteral("There is no trash on the file system of \"%1\"").arg(DecodeFileName(folder));
    return std::nullopt;
}

// Writes the .trashinfo under the first free name from `name` ("a.jpg", "a.2.jpg", ...); its
// name in the trash, or empty on failure.
QByteArray WriteInfo(const TrashPlace& place, const QByteArray& name, const QByteArray& original, QString& why)
{
    QByteArray path = original;
    if (!place.pathsFrom.isEmpty())
        path = original.mid(place.pathsFrom == "/" ? 1 : place.pathsFrom.size() + 1);
    const QByteArray body = "[Trash Info]\nPath=" + path.toPercentEncoding("/") +
        "\nDeletionDate=" + QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")).toLatin1() +
        "\n";
    const qsizetype dot = name.lastIndexOf('.');
    const QByteArray stem = dot > 0 ? name.left(dot) : name;
    const QByteArray ext = dot > 0 ? name.mid(dot) : QByteArray();
    for (int n = 1; n < 10000; ++n) {
        QByteArray candidate = n == 1 ? name : stem + '.' + QByteArray::number(n) + ext;
        const QByteArray info = place.root + "/info/" + candidate + ".trashinfo";
        const int fd = ::open(info.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            why = Reason(errno);
            return {};
        }
        const bool written = ::write(fd, body.constData(), size_t(body.size())) == body.size();
        const int error = errno;
        ::close(fd);
        struct stat st {};
        const QByteArray inFiles = place.root + "/files/" + candidate;
        if (written && ::lstat(inFiles.constData(), &st) != 0)
            return candidate;
        ::unlink(info.constData());
        if (!written) {
            why = Reason(error);
            return {};
        }
    }
    why = QStringLiteral("The trash holds too many files of this name");
    return {};
}

} // namespace

namespace Trash {

std::optional<TrashedFile> MoveToTrash(const QString& path, QString& why)
{
    const QByteArray given = EncodeFileName(path);
    const QByteArray name = given.mid(given.lastIndexOf('/') + 1);
    char* real = ::realpath(ParentOf(given.contains('/') ? given : "./" + given).constData(), nullptr);
    if (!real) {
        why = Reason(errno);
        return std::nullopt;
    }
    const QByteArray folder(real);
    std::free(real);
    const QByteArray original = (folder == "/" ? QByteArray() : folder) + "/" + name;
    struct stat st {};
    if (::lstat(original.constData(), &st) != 0) {
        why = Reason(errno);
        return std::nullopt;
    }
    const std::optional<TrashPlace> place = TrashFor(folder, st.st_dev, why);
    if (!place)
        return std::nullopt;
    const QByteArray inTrash = WriteInfo(*place, name, original, why);
    if (inTrash.isEmpty())
        return std::nullopt;
    const QByteArray info = place->root + "/info/" + inTrash + ".trashinfo";
    const QByteArray trashed = place->root + "/files/" + inTrash;
    if (!FileServices::MoveNoReplace(original, trashed)) {
        why = Reason(errno);
        ::unlink(info.constData());
        return std::nullopt;
    }
    return TrashedFile {DecodeFileName(original), DecodeFileName(trashed), DecodeFileName(info)};
}

bool Restore(const TrashedFile& file, QString& why)
{
    if (!FileServices::MoveNoReplace(EncodeFileName(file.trashed), EncodeFileName(file.original))) {
        why = errno == EEXIST ? QStringLiteral("Another file is now named \"%1\"").arg(file.original) : Reason(errno);
        return false;
    }
    ::unlink(EncodeFileName(file.info).constData());
    return true;
}

bool Delete(const QString& path, QString& why)
{
    if (::unlink(EncodeFileName(path).constData()) == 0)
        return true;
    why = Reason(errno);
    return false;
}

} // namespace Trash
