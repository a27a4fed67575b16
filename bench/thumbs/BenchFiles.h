// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The benchmark's pictures, made with the program's own JPEG encoder: camera-sized photos
// (gradients and noise, which compress about as a photo does) and a folder of thousands of
// small files. Made once under a data folder and reused while their recipe is unchanged.
#include <QString>

struct BenchFolders {
    QString photos25;   // 25 photos, 4000 x 3000, quality 90
    QString photos100;  // 100 photos of the same kind (four pages of 25); the first 25 are photos25's
    QString small10000; // 10,000 small pictures
    QString small25;    // the first 25 of them, alone
    QString empty;      // no files: where each run starts
    QString phone25;    // 25 phone-sized photos, 4032 x 3024, tagged as stored upright
    QString phone25r;   // the same pixels tagged as taken turned (orientation 6: shown turned)
    QString phone25p;   // turned, and with a Display P3 colour profile as phones write
    QString phone25a;   // turned, with a v2 matrix profile (Adobe RGB's) as cameras write
    QString phone25l;   // turned, with a table-based profile (Adobe RGB sampled onto a grid)
    QString camera25;   // photos25 with a 160 x 120 EXIF thumbnail, as cameras write them
    // The photos of photos25 in the other kinds (made with Qt, cwebp and ImageMagick when
    // present; empty when a tool is missing): PNG, lossy WebP, LZW TIFF, and 1 MP GIFs.
    QString png25, webp25, tiff25, gif25;
    // Four pages of each: 100 links, each of the 25 files named four times.
    QString png100, webp100, tiff100, gif100;
    // The photos as a phone's HEIC (with its 320 x 240 thumbnail) and as a camera's DNG (the
    // mosaic and the photo's JPEG as its preview), 25 and four pages of links.
    QString heic25, raw25, heic100, raw100;
};

// The photo's pixels for a seed: deterministic, the same on every machine.
QByteArray MakePhotoJpeg(int width, int height, int seed, int quality);
// The file with an Exif segment holding only an orientation tag (1 to 8) after its start marker.
QByteArray WithOrientation(const QByteArray& jpeg, int orientation);
// The file with an ICC profile in one APP2 segment after its start marker.
QByteArray WithColourProfile(const QByteArray& jpeg, const QByteArray& icc);
// Makes whatever is missing under `root`; progress lines go to stderr.
BenchFolders PrepareBenchFolders(const QString& root);
// The PNG, WebP, TIFF and GIF folders beside them.
void PrepareOtherKinds(BenchFolders& folders, const QString& root);
// Total size in bytes of the regular files in a folder.
qint64 FolderBytes(const QString& folder);
