// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Camera-style segments written into a JPEG file: an EXIF APP1 with an Orientation tag and
// a colour profile split over APP2 markers. Header-only, so the fuzz seed maker uses it too.
#include <QByteArray>

namespace jpegseg {

// "Exif\0\0" and a TIFF header whose IFD0 holds one SHORT entry, the Orientation tag.
inline QByteArray ExifData(int orientation, bool bigEndian = false)
{
    const char* le = "Exif\0\0II*\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0";
    const char* be = "Exif\0\0MM\0*\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01";
    QByteArray out(bigEndian ? be : le, 24);
    const char v = char(orientation);
    out.append(bigEndian ? QByteArray(1, '\0') + v : QByteArray(1, v) + '\0');
    return out + QByteArray(6, '\0'); // padding and no next IFD
}

// Little-endian EXIF data with the Orientation in IFD0 and `thumbnail` (a JPEG) in IFD1, last.
inline QByteArray ExifWithThumbnail(int orientation, const QByteArray& thumbnail)
{
    const auto le = [](uint32_t v, int bytes) {
        QByteArray out;
        for (int i = 0; i < bytes; ++i)
            out += char(v >> (8 * i));
        return out;
    };
    return QByteArray("Exif\0\0II*\0", 10) + le(8, 4) + le(1, 2) + le(0x0112, 2) + le(3, 2) + le(1, 4) +
        le(uint32_t(orientation), 4) + le(26, 4) + le(2, 2) + le(0x0201, 2) + le(4, 2) + le(1, 4) + le(56, 4) +
        le(0x0202, 2) + le(4, 2) + le(1, 4) + le(uint32_t(thumbnail.size()), 4) + le(0, 4) + thumbnail;
}

inline QByteArray Marker(int code, const QByteArray& data)
{
    const int n = int(data.size()) + 2;
    return QByteArray(1, char(0xFF)) + char(code) + char(n >> 8) + char(n & 0xFF) + data;
}

// The profile in APP2 markers of at most `chunk` bytes each, numbered from 1.
inline QByteArray IccMarkers(const QByteArray& profile, int chunk = 65519)
{
    QByteArray out;
    const int count = int((profile.size() + chunk - 1) / chunk);
    for (int i = 0; i < count; ++i)
        out += Marker(0xE2,
                      QByteArray("ICC_PROFILE\0", 12) + char(i + 1) + char(count) +
                          profile.mid(qsizetype(i) * chunk, chunk));
    return out;
}

// The JPEG file with `segments` right after its start-of-image marker.
inline QByteArray WithSegments(const QByteArray& jpeg, const QByteArray& segments)
{
    return jpeg.left(2) + segments + jpeg.mid(2);
}

inline QByteArray WithOrientation(const QByteArray& jpeg, int orientation, bool bigEndian = false)
{
    return WithSegments(jpeg, Marker(0xE1, ExifData(orientation, bigEndian)));
}

} // namespace jpegseg
