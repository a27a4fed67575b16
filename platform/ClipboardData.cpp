// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/ClipboardData.h"
#include <condition_variable>
#include <mutex>
#include <QBuffer>
#include <QImageWriter>
#include <QThreadPool>

namespace {
const QString kPng = QStringLiteral("image/png");
const QString kQtImage = QStringLiteral("application/x-qt-image");
} // namespace

struct ClipboardData::Encoding {
    mutable std::mutex mutex;
    mutable std::condition_variable done;
    bool ready = false;
    QByteArray png;
};

ClipboardData::ClipboardData(const QImage& image) : m_image(image), m_encoding(std::make_shared<Encoding>())
{
    // The task keeps its own reference to the picture and the result: a clipboard replaced
    // meanwhile does not wait for it. Qt's own pool, which the application waits for when it
    // ends, so no encoding outlives the libraries it uses.
    QThreadPool::globalInstance()->start([image, encoding = m_encoding] {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "png");
        // Light compression, as for shared thumbnails: much faster than Qt's default for a
        // somewhat larger file.
        writer.setQuality(80);
        if (!writer.write(image))
            png.clear();
        const std::lock_guard lock(encoding->mutex);
        encoding->png = std::move(png);
        encoding->ready = true;
        encoding->done.notify_all();
    });
}

ClipboardData::~ClipboardData() = default;

QStringList ClipboardData::formats() const
{
    // Other programs are offered the PNG only: listing the picture itself would offer every
    // kind Qt can write, each made on the window's thread when asked for. This program's own
    // pastes still find the picture (hasFormat).
    return {kPng};
}

bool ClipboardData::hasFormat(const QString& mimeType) const
{
    return mimeType == kPng || mimeType == kQtImage;
}

bool ClipboardData::Ready() const
{
    const std::lock_guard lock(m_encoding->mutex);
    return m_encoding->ready;
}

QVariant ClipboardData::retrieveData(const QString& mimeType, QMetaType type) const
{
    if (mimeType == kQtImage || (mimeType == kPng && type.id() == QMetaType::QImage))
        return m_image;
    if (mimeType != kPng)
        return QVariant();
    std::unique_lock lock(m_encoding->mutex);
    m_encoding->done.wait(lock, [this] { return m_encoding->ready; });
    return m_encoding->png;
}
