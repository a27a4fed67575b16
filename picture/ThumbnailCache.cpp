// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/ThumbnailCache.h"
#include "base/FileNames.h"
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QBuffer>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QImageWriter>

#ifndef LUMIVUE_VERSION
#define LUMIVUE_VERSION "0"
#endif

namespace {

struct SizeClass {
    int side;
    const char* folder;
};
constexpr SizeClass kClasses[] = {{128, "normal"}, {256, "large"}, {512, "x-large"}, {1024, "xx-large"}};

const char* const kFailFolder = "fail/lumivue-" LUMIVUE_VERSION;
const char* const kErrorKey = "Lumivue::Error"; // our own key, in our own failure records
constexpr int kFailMarkerSide = 16;             // a failure record is 1 x 1; anything larger is not ours

// RFC 2396's unreserved characters and those a path segment allows unescaped.
bool PlainInPath(unsigned char c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    return c != 0 && std::strchr("-_.!~*'()/:@&=+$,", c) != nullptr;
}

QString FolderOf(int side)
{
    for (const SizeClass& c : kClasses)
        if (c.side == side)
            return QString::fromLatin1(c.folder);
    return {};
}

// The largest cached PNG file taken for a side: 16 bits a channel with alpha, uncompressed,
// and room for text.
int64_t MaxPngBytes(int side)
{
    return int64_t(side) * side * 8 + (int64_t(1) << 20);
}

// The PNG at path when it reads whole and neither side exceeds maxSide; null otherwise.
QImage ReadPng(const QString& path, int maxSide)
{
    QByteArray bytes;
    try {
        if (!QFileInfo::exists(path))
            return {};
        bytes = ReadRegularFile(path, MaxPngBytes(maxSide));
    } catch (...) {
        return {}; // unreadable, not a regular file, or too large: passed over
    }
    QBuffer buffer(&bytes);
    QImageReader reader(&buffer, "png");
    const QSize size = reader.size();
    if (size.isEmpty() || size.width() > maxSide || size.height() > maxSide)
        return {};
    QImage image;
    if (!reader.read(&image))
        return {};
    return image;
}

bool StampMatches(const QImage& png, const QByteArray& uri, const SourceFile& file)
{
    if (png.text(QStringLiteral("Thumb::URI")) != QString::fromLatin1(uri))
        return false;
    bool ok = false;
    if (png.text(QStringLiteral("Thumb::MTime")).trimmed().toLongLong(&ok) != file.mtime || !ok)
        return false;
    const QString size = png.text(QStringLiteral("Thumb::Size")).trimmed();
    return size.isEmpty() || (size.toLongLong(&ok) == file.size && ok);
}

// A thumbnail of the picture's shape: each side within a pixel of the picture scaled alike.
bool SameShape(QSize thumb, QSize picture)
{
    const int64_t cross = int64_t(thumb.width()) * picture.height() - int64_t(thumb.height()) * picture.width();
    return std::abs(cross) <= int64_t(picture.width()) + picture.height();
}

} // namespace

QSize ThumbnailClassSize(QSize picture, int side)
{
    const int longer = std::max(picture.width(), picture.height());
    if (longer <= side)
        return picture;
    const auto scaled = [&](int v) { return std::max(1, int((int64_t(v) * side + longer / 2) / longer)); };
    return QSize(scaled(picture.width()), scaled(picture.height()));
}

namespace {

// Makes the folder and any missing parents, private to the user.
bool MakeFolders(const QString& path)
{
    QFileInfo info(path);
    if (info.isDir())
        return true;
    const QString parent = info.absolutePath();
    if (parent == path || !MakeFolders(parent))
        return false;
    return ::mkdir(QFile::encodeName(path).constData(), 0700) == 0 || (errno == EEXIST && QFileInfo(path).isDir());
}

// Writes the bytes to a new private file in the folder and renames it to `name`, so a reader
// never sees half a file.
bool WritePrivately(const QString& folder, const QString& name, const QByteArray& bytes)
{
    QByteArray temp = QFile::encodeName(folder + QLatin1Char('/') + name) + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        return false;
    bool ok = ::fchmod(fd, 0600) == 0;
    for (qsizetype done = 0; ok && done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        ok = n > 0;
        done += ok ? n : 0;
    }
    ok = ::close(fd) == 0 && ok;
    const QByteArray target = QFile::encodeName(folder + QLatin1Char('/') + name);
    if (!ok || ::rename(temp.constData(), target.constData()) != 0) {
        ::unlink(temp.constData());
        return false;
    }
    return true;
}

} // namespace

int ThumbnailClassSide(QSize cell)
{
    const int longer = std::max(cell.width(), cell.height());
    for (const SizeClass& c : kClasses)
        if (c.side >= longer)
            return c.side;
    return 0;
}

QByteArray ThumbnailUri(const QByteArray& absolutePath)
{
    QByteArray uri("file://");
    for (const char ch : absolutePath) {
        const auto c = static_cast<unsigned char>(ch);
        if (PlainInPath(c)) {
            uri.append(ch);
        } else {
            uri.append('%');
            uri.append("0123456789ABCDEF"[c >> 4]);
            uri.append("0123456789ABCDEF"[c & 15]);
        }
    }
    return uri;
}

QString ThumbnailFileName(const QByteArray& uri)
{
    return QString::fromLatin1(QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex()) + QStringLiteral(".png");
}

std::optional<ThumbnailCache> ThumbnailCache::ForUser()
{
    if (qEnvironmentVariableIntValue("LUMIVUE_NO_THUMBNAIL_CACHE") != 0)
        return std::nullopt;
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    if (!QDir::isAbsolutePath(base)) {
        const QString home = qEnvironmentVariable("HOME");
        if (!QDir::isAbsolutePath(home))
            return std::nullopt;
        base = home + QStringLiteral("/.cache");
    }
    return ThumbnailCache(base + QStringLiteral("/thumbnails"));
}

ThumbnailCache::ThumbnailCache(const QString& root) : m_root(QDir::cleanPath(root)) {}

bool ThumbnailCache::Holds(const ThumbnailSource& source) const
{
    return source.file.path.startsWith(m_root + QLatin1Char('/'));
}

QImage ThumbnailCache::Find(const ThumbnailSource& source, QSize cell) const
{
    const int need = ThumbnailClassSide(cell);
    if (!source.Valid() || need == 0 || Holds(source))
        return {};
    const QByteArray uri = ThumbnailUri(EncodeFileName(source.file.path));
    const QString name = ThumbnailFileName(uri);
    for (const SizeClass& c : kClasses) {
        if (c.side < need)
            continue;
        QImage png = ReadPng(m_root + QLatin1Char('/') + QLatin1String(c.folder) + QLatin1Char('/') + name, c.side);
        if (png.isNull() || !StampMatches(png, uri, source.file) || !SameShape(png.size(), source.imageSize))
            continue;
        if (png.width() + 1 >= cell.width() && png.height() + 1 >= cell.height())
            return png;
    }
    return {};
}

std::optional<QString> ThumbnailCache::RecordedFailure(const ThumbnailSource& source) const
{
    if (!source.Valid() || Holds(source))
        return std::nullopt;
    const QByteArray uri = ThumbnailUri(EncodeFileName(source.file.path));
    const QImage png =
        ReadPng(m_root + QLatin1Char('/') + QLatin1String(kFailFolder) + QLatin1Char('/') + ThumbnailFileName(uri),
                kFailMarkerSide);
    const QString error = png.text(QLatin1String(kErrorKey));
    if (png.isNull() || error.isEmpty() || !StampMatches(png, uri, source.file))
        return std::nullopt;
    return error;
}

bool ThumbnailCache::Writable(QSize cell) const
{
    const int side = ThumbnailClassSide(cell);
    const QString folder = m_root + QLatin1Char('/') + FolderOf(side);
    return side > 0 && MakeFolders(folder) && ::access(QFile::encodeName(folder).constData(), W_OK) == 0;
}

bool ThumbnailCache::Store(const ThumbnailSource& source, QSize cell, const QImage& decoded) const
{
    const int side = ThumbnailClassSide(cell);
    if (!source.Valid() || side == 0 || Holds(source) || decoded.isNull())
        return false;
    const QSize size = ThumbnailClassSize(source.imageSize, side);
    // Made only by reduction: a decode smaller than the thumbnail, or not of the picture's
    // shape, is not written.
    if (decoded.width() < size.width() || decoded.height() < size.height() ||
        !SameShape(decoded.size(), source.imageSize))
        return false;
    QImage thumb =
        decoded.size() == size ? decoded : decoded.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    thumb = thumb.convertToFormat(thumb.isGrayscale() ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
    return Write(m_root + QLatin1Char('/') + FolderOf(side), thumb, source, {});
}

bool ThumbnailCache::StoreFailure(const ThumbnailSource& source, const QString& error) const
{
    if (!source.Valid() || Holds(source) || error.isEmpty())
        return false;
    QImage marker(1, 1, QImage::Format_ARGB32);
    marker.fill(Qt::transparent);
    return Write(m_root + QLatin1Char('/') + QLatin1String(kFailFolder), marker, source, error);
}

bool ThumbnailCache::Write(const QString& folder, const QImage& image, const ThumbnailSource& source,
                           const QString& error) const
{
    if (!MakeFolders(folder))
        return false;
    const QByteArray uri = ThumbnailUri(EncodeFileName(source.file.path));
    // On the image, not the writer: the writer's text splits its keys at the first ':'.
    QImage stamped = image;
    stamped.setText(QStringLiteral("Thumb::URI"), QString::fromLatin1(uri));
    stamped.setText(QStringLiteral("Thumb::MTime"), QString::number(source.file.mtime));
    stamped.setText(QStringLiteral("Thumb::Size"), QString::number(source.file.size));
    stamped.setText(QStringLiteral("Thumb::Image::Width"), QString::number(source.imageSize.width()));
    stamped.setText(QStringLiteral("Thumb::Image::Height"), QString::number(source.imageSize.height()));
    if (!source.mimeType.isEmpty())
        stamped.setText(QStringLiteral("Thumb::Mimetype"), source.mimeType);
    stamped.setText(QStringLiteral("Software"), QStringLiteral("Lumivue " LUMIVUE_VERSION));
    if (!error.isEmpty())
        stamped.setText(QLatin1String(kErrorKey), error);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "png");
    // Light compression: a 128-pixel thumbnail of a photo took 3.8 ms at Qt's default and takes
    // 0.5 ms so, for a file a fifth larger; it is written on a decode worker, once per picture.
    writer.setQuality(80);
    if (!writer.write(stamped))
        return false;
    return WritePrivately(folder, ThumbnailFileName(uri), bytes);
}

void ThumbnailCache::Follow(const QString& from, const QString& to) const
{
    const QString oldUri = QString::fromLatin1(ThumbnailUri(EncodeFileName(from)));
    const QByteArray newUri = ThumbnailUri(EncodeFileName(to));
    QStringList folders;
    for (const SizeClass& c : kClasses)
        folders << m_root + QLatin1Char('/') + QLatin1String(c.folder);
    folders << m_root + QLatin1Char('/') + QLatin1String(kFailFolder);
    for (const QString& folder : folders) {
        const QString old = folder + QLatin1Char('/') + ThumbnailFileName(oldUri.toLatin1());
        QImage png;
        if (!QFileInfo::exists(old) || !png.load(old, "png") || png.text(QStringLiteral("Thumb::URI")) != oldUri)
            continue;
        png.setText(QStringLiteral("Thumb::URI"), QString::fromLatin1(newUri));
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "png");
        writer.setQuality(80);
        if (writer.write(png))
            WritePrivately(folder, ThumbnailFileName(newUri), bytes);
        QFile::remove(old);
    }
}
