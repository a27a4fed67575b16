#pragma once
// Camera-style segments written into a JPEG file: an EXIF APP1 with an Orientation tag and
// a colour profile split over APP2 markers. Header-only, so the fuzz seed maker uses it too.
#include <cstdint>
#include <QByteArray>

namespace jpegseg {

inline void Put16(QByteArray& out, int v, bool bigEndian)
{
    const char hi = char((v >> 8) & 0xFF), lo = char(v & 0xFF);
    out.append(bigEndian ? hi : lo).append(bigEndian ? lo : hi);
}
inline void Put32(QByteArray& out, uint32_t v, bool bigEndian)
{
    Put16(out, int(bigEndian ? v >> 16 : v & 0xFFFF), bigEndian);
    Put16(out, int(bigEndian ? v & 0xFFFF : v >> 16), bigEndian);
}

// "Exif\0\0" and a TIFF header whose IFD0 holds one SHORT entry, the Orientation tag.
inline QByteArray ExifData(int orientation, bool bigEndian = false)
{
    QByteArray out("Exif\0\0", 6);
    out.append(bigEndian ? "MM" : "II");
    Put16(out, 42, bigEndian);
    Put32(out, 8, bigEndian); // IFD0 right after the header
    Put16(out, 1, bigEndian);
    Put16(out, 0x0112, bigEndian);
    Put16(out, 3, bigEndian); // SHORT
    Put32(out, 1, bigEndian);
    Put16(out, orientation, bigEndian);
    Put16(out, 0, bigEndian);
    Put32(out, 0, bigEndian); // no next IFD
    return out;
}

inline QByteArray Marker(int code, const QByteArray& data)
{
    QByteArray out;
    out.append(char(0xFF)).append(char(code));
    Put16(out, int(data.size()) + 2, true);
    return out + data;
}

// The profile in APP2 markers of at most `chunk` bytes each, numbered from 1.
inline QByteArray IccMarkers(const QByteArray& profile, int chunk = 65519)
{
    QByteArray out;
    const int count = int((profile.size() + chunk - 1) / chunk);
    for (int i = 0; i < count; ++i) {
        QByteArray data("ICC_PROFILE\0", 12);
        data.append(char(i + 1)).append(char(count)).append(profile.mid(qsizetype(i) * chunk, chunk));
        out += Marker(0xE2, data);
    }
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
