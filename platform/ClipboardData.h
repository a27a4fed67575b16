// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the clipboard offers for a copied picture. Its PNG is encoded on a worker thread as
// soon as the picture is copied, so a paste into another program, which asks the window's
// thread for the bytes, finds them made (or waits only for what is left) instead of waiting
// seconds for an encoding there.
#include <memory>
#include <QImage>
#include <QMimeData>

class ClipboardData : public QMimeData {
    Q_OBJECT
public:
    explicit ClipboardData(const QImage& image);
    ~ClipboardData() override;

    QStringList formats() const override;
    bool hasFormat(const QString& mimeType) const override;
    // True once the PNG is made (tests, and the benchmark).
    bool Ready() const;

    struct Encoding;

protected:
    QVariant retrieveData(const QString& mimeType, QMetaType type) const override;

private:
    QImage m_image;
    std::shared_ptr<Encoding> m_encoding; // shared with the encoding task, which may outlive this
};
