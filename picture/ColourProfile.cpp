// SPDX-License-Identifier: GPL-3.0-or-later
#include "picture/ColourProfile.h"
#include <algorithm>
#include <QColorSpace>
#include <QImage>
#include "picture/Failure.h"

std::optional<QColorTransform> ProfileToSrgb(const QByteArray& icc)
{
    if (icc.isEmpty() || icc.size() > kMaxColourProfile)
        return std::nullopt;
    const QColorSpace embedded = QColorSpace::fromIccProfile(icc);
    if (!embedded.isValid())
        return std::nullopt;
    const QColorSpace space = embedded.withTransferFunction(QColorSpace::TransferFunction::SRgb);
    if (!space.isValid() || space == QColorSpace(QColorSpace::SRgb))
        return std::nullopt;
    return space.transformationToColorSpace(QColorSpace::SRgb);
}

void MapDibToSrgb(const QColorTransform& transform, DibImage& dib)
{
    if (dib.bitCount == 8) {
        for (RgbQuad& c : dib.colors) {
            const QRgb v = transform.map(qRgb(c.red, c.green, c.blue));
            c = RgbQuad {uint8_t(qBlue(v)), uint8_t(qGreen(v)), uint8_t(qRed(v)), c.reserved};
        }
        return;
    }
    if (dib.bitCount != 24 || dib.width <= 0)
        return;
    // Qt maps whole blocks of rows far faster than pixel by pixel.
    const int32_t block = std::max<int32_t>(1, (1 << 20) / dib.width);
    for (int32_t first = 0; first < dib.height; first += block) {
        const int32_t count = std::min(block, dib.height - first);
        QImage work(dib.width, count, QImage::Format_RGB32);
        if (work.isNull())
            throw Failure(kOutOfResources);
        for (int32_t i = 0; i < count; ++i) {
            const uint8_t* p = dib.Row(first + i);
            auto* q = reinterpret_cast<QRgb*>(work.scanLine(i));
            for (int32_t x = 0; x < dib.width; ++x, p += 3)
                q[x] = qRgb(p[2], p[1], p[0]);
        }
        work.applyColorTransform(transform);
        for (int32_t i = 0; i < count; ++i) {
            uint8_t* p = dib.Row(first + i);
            const auto* q = reinterpret_cast<const QRgb*>(work.constScanLine(i));
            for (int32_t x = 0; x < dib.width; ++x, p += 3) {
                p[0] = uint8_t(qBlue(q[x]));
                p[1] = uint8_t(qGreen(q[x]));
                p[2] = uint8_t(qRed(q[x]));
            }
        }
    }
}
