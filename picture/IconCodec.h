// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Icon file layout: header, directory and the images it points to.
#include <cstdint>
#include <vector>
#include <QByteArray>
#include <QImage>

struct IconDirEntry {
    int width = 0, height = 0; // 0 in the file means 256
    int colorCount = 0;        // 0 counts as unlimited
    int planes = 0, bitCount = 0;
    uint32_t bytesInRes = 0, imageOffset = 0;
};

struct IconFile {
    int type = 0; // 1 icon, 0 standard application icon
    std::vector<IconDirEntry> entries;
};

// Throws Failure("Icon image is not valid") for a header or directory that is impossible.
IconFile IconReadDirectory(const QByteArray& data);
// The selection rule for a screen of `screenBits` bits per pixel and a system icon size.
int IconChoose(const std::vector<IconDirEntry>& entries, int screenBits, int iconWidth, int iconHeight);
// A PNG entry's picture in the format it was stored in, its size checked before it is
// decoded. Throws Failure.
QImage IconReadPng(const QByteArray& res);
// The image of one entry (a device-independent bitmap with its AND mask, or PNG data) as ARGB32.
QImage IconDecodeImage(const QByteArray& data, const IconDirEntry& entry);
// The platform's standard application icon (type 0 files).
QImage StandardApplicationIcon(int width, int height);
