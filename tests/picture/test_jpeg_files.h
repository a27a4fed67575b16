// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// JPEG files for the JPEG tests, made with libjpeg directly (so the decoder is not tested
// against its own encoder alone), and libjpeg-turbo's djpeg as an independent reference.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>

#include "picture/DibImage.h"

namespace jpegtest {

enum class Space { Rgb, Grey, Cmyk, Ycck };

struct Recipe {
    int width = 64, height = 48;
    int quality = 90;
    Space space = Space::Rgb;
    bool progressive = false;
    bool arithmetic = false;
    int lumaH = 2, lumaV = 2;          // first component's sampling: 2x2 is 4:2:0, 2x1 4:2:2
    std::vector<jpeg_scan_info> scans; // a scan script of our own when not empty
};

inline int Components(Space s)
{
    return s == Space::Grey ? 1 : s == Space::Rgb ? 3 : 4;
}

// Smooth ramps with some texture; red, green and blue all differ, so a swapped channel shows.
inline std::vector<uint8_t> Pattern(int width, int height, int components)
{
    std::vector<uint8_t> px(size_t(width) * size_t(height) * size_t(components));
    size_t i = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < components; ++c) {
                const int ramp = c % 2 ? y * 255 / std::max(1, height - 1) : x * 255 / std::max(1, width - 1);
                const int texture = ((x / (3 + c)) ^ (y / (2 + c))) & 1 ? 40 : 0;
                px[i++] = uint8_t(std::min(255, (c == 2 ? 255 - ramp : ramp) / 2 + texture + 30 * c));
            }
    return px;
}

// Encodes samples (interleaved, Components(recipe.space) per pixel) with libjpeg.
inline QByteArray Encode(const Recipe& recipe, const std::vector<uint8_t>& samples)
{
    jpeg_compress_struct c {};
    jpeg_error_mgr err {};
    c.err = jpeg_std_error(&err); // a test-data mistake ends the test run loudly
    jpeg_create_compress(&c);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &buffer, &size);
    c.image_width = JDIMENSION(recipe.width);
    c.image_height = JDIMENSION(recipe.height);
    c.input_components = Components(recipe.space);
    c.in_color_space = recipe.space == Space::Grey ? JCS_GRAYSCALE : recipe.space == Space::Rgb ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(&c);
    if (recipe.space == Space::Ycck)
        jpeg_set_colorspace(&c, JCS_YCCK);
    jpeg_set_quality(&c, recipe.quality, TRUE);
    if (recipe.space == Space::Rgb) {
        c.comp_info[0].h_samp_factor = recipe.lumaH;
        c.comp_info[0].v_samp_factor = recipe.lumaV;
    }
    if (recipe.progressive)
        jpeg_simple_progression(&c);
    if (!recipe.scans.empty()) {
        c.scan_info = recipe.scans.data();
        c.num_scans = int(recipe.scans.size());
    }
    c.arith_code = recipe.arithmetic ? TRUE : FALSE;
    jpeg_start_compress(&c, TRUE);
    const size_t stride = size_t(recipe.width) * size_t(c.input_components);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(samples.data() + c.next_scanline * stride);
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    QByteArray out(reinterpret_cast<const char*>(buffer), qsizetype(size));
    jpeg_destroy_compress(&c);
    std::free(buffer);
    return out;
}

inline QByteArray Encode(const Recipe& recipe)
{
    return Encode(recipe, Pattern(recipe.width, recipe.height, Components(recipe.space)));
}

inline QByteArray Jpeg(int width, int height, Space space = Space::Rgb, bool progressive = false)
{
    Recipe r;
    r.width = width;
    r.height = height;
    r.space = space;
    r.progressive = progressive;
    return Encode(r);
}

// Sets the size fields of the first frame header (SOF0..SOF2); empty when there is none.
inline QByteArray WithFrameSize(QByteArray jpeg, int width, int height)
{
    for (qsizetype i = 2; i + 9 < jpeg.size(); ++i) {
        const auto m = uchar(jpeg[i + 1]);
        if (uchar(jpeg[i]) == 0xFF && m >= 0xC0 && m <= 0xC2) {
            jpeg[i + 5] = char(height >> 8);
            jpeg[i + 6] = char(height & 0xFF);
            jpeg[i + 7] = char(width >> 8);
            jpeg[i + 8] = char(width & 0xFF);
            return jpeg;
        }
    }
    return {};
}

// A legal progressive script for one component: DC, then every AC coefficient on its own,
// first at point transform `al` and refined a bit at a time: 1 + 63 * (al + 1) scans.
inline void AddSingleCoefficientScans(std::vector<jpeg_scan_info>& scans, int component, int al)
{
    for (int k = 1; k < 64; ++k) {
        scans.push_back({1, {component, 0, 0, 0}, k, k, 0, al});
        for (int a = al; a > 0; --a)
            scans.push_back({1, {component, 0, 0, 0}, k, k, a, a - 1});
    }
}

// A decoded portable anymap (what djpeg -pnm writes).
struct Pnm {
    int width = 0, height = 0, channels = 0;
    QByteArray pixels;
    bool Valid() const { return channels > 0 && pixels.size() == qsizetype(width) * height * channels; }
};

inline Pnm ParsePnm(const QByteArray& file)
{
    Pnm pnm;
    if (file.size() < 2 || file[0] != 'P' || (file[1] != '5' && file[1] != '6'))
        return pnm;
    pnm.channels = file[1] == '6' ? 3 : 1;
    int fields[3] = {0, 0, 0};
    qsizetype i = 2;
    for (int f = 0; f < 3; ++f) {
        while (i < file.size() && isspace(uchar(file[i])))
            ++i;
        while (i < file.size() && isdigit(uchar(file[i])))
            fields[f] = fields[f] * 10 + (file[i++] - '0');
    }
    pnm.width = fields[0];
    pnm.height = fields[1];
    pnm.pixels = file.mid(i + 1); // one whitespace byte ends the header
    return pnm;
}

inline const char* kDjpeg = "/usr/bin/djpeg";

// Runs djpeg on a file with extra arguments; an invalid Pnm when it fails.
inline Pnm Djpeg(const QString& jpegPath, const QStringList& args, const QString& outPath)
{
    QProcess p;
    p.start(QString::fromLatin1(kDjpeg),
            QStringList(args) << "-pnm"
                              << "-outfile" << outPath << jpegPath);
    if (!p.waitForFinished(60000) || p.exitCode() != 0)
        return {};
    QFile f(outPath);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return ParsePnm(f.readAll());
}

// Empty when every pixel of the bitmap (24-bit, or 8-bit through its colour table) equals
// the reference; else where the first difference is.
inline QString FirstDifference(const DibImage& dib, const Pnm& ref)
{
    if (dib.width != ref.width || dib.height != ref.height)
        return QStringLiteral("size %1x%2, expected %3x%4")
            .arg(dib.width)
            .arg(dib.height)
            .arg(ref.width)
            .arg(ref.height);
    const auto* p = reinterpret_cast<const uint8_t*>(ref.pixels.constData());
    for (int y = 0; y < dib.height; ++y)
        for (int x = 0; x < dib.width; ++x, p += ref.channels) {
            const uint32_t got = dib.PixelRgb(x, y) & 0xFFFFFF;
            const uint32_t want =
                ref.channels == 3 ? uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2] : uint32_t(p[0]) * 0x010101u;
            if (got != want)
                return QStringLiteral("pixel (%1,%2) is %3, expected %4")
                    .arg(x)
                    .arg(y)
                    .arg(got, 6, 16, QChar('0'))
                    .arg(want, 6, 16, QChar('0'));
        }
    return {};
}

} // namespace jpegtest
