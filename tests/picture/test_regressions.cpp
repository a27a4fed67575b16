// SPDX-License-Identifier: GPL-3.0-or-later
// Hostile files through the whole picture path (load, prepare for a thumbnail and for full
// size, draw): the files kept in regressions/ with their expected outcome, and generated
// files for the limits and for the classes of fault other decoders met that the codec tests
// do not already cover.
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QtTest>

#include <jerror.h>

#include "BmpFileBuilder.h"
#include "picture/Bitmap.h"
#include "picture/Failure.h"
#include "picture/JpegCodec.h"
#include "picture/JpegImage.h"
#include "picture/Limits.h"
#include "picture/PictureFormats.h"
#include "picture/ScreenFacts.h"
#include "test_jpeg_files.h"

using bmptest::Put16;
using bmptest::Put32;
using bmptest::Set32;

namespace {

const QString kLoads = QStringLiteral("loads");
const QString kResources = QString::fromLatin1(kOutOfResources);
const QString kBadIcon = QString::fromLatin1(kIconInvalid);

QString RegressionsDir()
{
    return QStringLiteral(LUMIVUE_TESTS_DIR "/picture/regressions");
}

struct Outcome {
    QString text = kLoads; // the first failure's text, or "loads"
    QSize size;            // the graphic's size after loading
    QImage canvas;         // 64x48 over white: the thumbnail, then the full size from (0,0)
};

// What a page and the viewer do with a file: load it, prepare and draw it at a thumbnail
// size, then at its full size.
Outcome LoadPrepareDraw(GraphicKind kind, const QByteArray& bytes)
{
    Outcome o;
    const auto g = CreateGraphic(kind);
    try {
        g->LoadFromBytes(bytes);
    } catch (const Failure& f) {
        o.text = f.Text();
        return o;
    }
    o.size = QSize(g->Width(), g->Height());
    o.canvas = QImage(64, 48, QImage::Format_ARGB32_Premultiplied);
    o.canvas.fill(Qt::white);
    QPainter painter(&o.canvas);
    const QSize thumbnail =
        o.size.isEmpty() ? QSize(64, 48) : o.size.scaled(64, 48, Qt::KeepAspectRatio).expandedTo({1, 1});
    for (const QSize target : {thumbnail, o.size}) {
        try {
            if (g->NeedsPrepare(target))
                g->Prepare(target);
        } catch (const Failure& f) {
            if (o.text == kLoads)
                o.text = f.Text();
        }
        g->Draw(painter, QRect(QPoint(0, 0), target), target == thumbnail);
    }
    return o;
}

GraphicKind KindOf(const QString& fileName)
{
    const auto kind = KindForExtension(QFileInfo(fileName).suffix());
    return kind ? *kind : GraphicKind::Metafile;
}

// ---- generated files ----

QByteArray Bmp(int bits, int width, int height, const QByteArray& pixels, std::vector<uint32_t> table = {},
               uint32_t headerSize = 40)
{
    BmpBuild b;
    b.headerSize = headerSize;
    b.bitCount = uint16_t(bits);
    b.width = width;
    b.height = height;
    b.pixels = pixels;
    b.table = std::move(table);
    b.colorsUsed = uint32_t(b.table.size());
    return BuildBmp(b);
}

QByteArray MaskedBmp(int bits, uint32_t r, uint32_t g, uint32_t b, uint32_t pixel)
{
    BmpBuild s;
    s.bitCount = uint16_t(bits);
    s.width = s.height = 1;
    s.compression = 3;
    s.masks = {r, g, b};
    QByteArray px;
    Put32(px, pixel);
    s.pixels = px;
    return BuildBmp(s);
}

QByteArray Rle(int bits, int width, int height, const QByteArray& data, const std::vector<uint32_t>& table)
{
    BmpBuild b;
    b.bitCount = uint16_t(bits);
    b.compression = bits == 8 ? 1 : 2;
    b.width = width;
    b.height = height;
    b.pixels = data;
    b.table = table;
    b.colorsUsed = uint32_t(table.size());
    return BuildBmp(b);
}

// The image of an icon entry: info header, colour table, XOR rows, AND rows (all zero).
QByteArray IconDib(int width, int height, int bits, const std::vector<uint32_t>& table, const QByteArray& xorRows)
{
    QByteArray b;
    Put32(b, 40);
    Put32(b, uint32_t(width));
    Put32(b, uint32_t(2 * height));
    Put16(b, 1);
    Put16(b, uint32_t(bits));
    for (int i = 0; i < 4; ++i)
        Put32(b, 0);
    Put32(b, uint32_t(table.size())); // colours used
    Put32(b, 0);
    for (uint32_t c : table)
        Put32(b, c);
    b += xorRows;
    b += QByteArray(int64_t((width + 31) / 32 * 4) * std::min(height, 64), '\0');
    return b;
}

// A PNG start whose header chunk claims a size; nothing after it.
QByteArray PngHeader(uint32_t width, uint32_t height)
{
    QByteArray b("\x89PNG\r\n\x1a\n", 8);
    const auto big32 = [&b](uint32_t v) {
        for (int s = 24; s >= 0; s -= 8)
            b.append(char((v >> s) & 0xff));
    };
    big32(13);
    b += "IHDR";
    big32(width);
    big32(height);
    b += QByteArray("\x08\x06\x00\x00\x00", 5);
    big32(0); // checksum: the size is refused before it is looked at
    return b;
}

struct IconImage {
    qsizetype offsetDelta = 0; // added to where the image really starts
    QByteArray data;
};

QByteArray IconFile(const QList<IconImage>& images)
{
    QByteArray b;
    Put16(b, 0);
    Put16(b, 1);
    Put16(b, uint32_t(images.size()));
    int64_t offset = 6 + 16 * images.size();
    for (const IconImage& i : images) {
        b += QByteArray("\x10\x10\x00\x00", 4);
        Put16(b, 1);
        Put16(b, 32);
        Put32(b, uint32_t(i.data.size()));
        Put32(b, uint32_t(offset + i.offsetDelta));
        offset += i.data.size();
    }
    for (const IconImage& i : images)
        b += i.data;
    return b;
}

QByteArray SmallJpeg(bool progressive, jpegtest::Space space = jpegtest::Space::Rgb)
{
    jpegtest::Recipe r;
    r.width = 16;
    r.height = 16;
    r.lumaH = r.lumaV = 1;
    r.space = space;
    r.progressive = progressive;
    return jpegtest::Encode(r);
}

int CountScans(const QByteArray& jpeg)
{
    return int(jpeg.count(QByteArray("\xFF\xDA", 2))); // stuffed data never holds FF DA
}

// A progressive file whose last scan is repeated until it holds `scans` scans; a repeated
// refinement scan is only a warning to libjpeg, so the file stays decodable.
QByteArray WithScans(int scans)
{
    const QByteArray jpeg = SmallJpeg(true, jpegtest::Space::Grey);
    const qsizetype sos = jpeg.lastIndexOf(QByteArray("\xFF\xDA", 2));
    const qsizetype eoi = jpeg.size() - 2;
    return jpeg.left(eoi) + jpeg.mid(sos, eoi - sos).repeated(scans - CountScans(jpeg)) + jpeg.mid(eoi);
}

const uint kR = 0xFF0000, kG = 0x00FF00;

} // namespace

class TestRegressions : public QObject {
    Q_OBJECT

private slots:
    void init() { SetScreenFacts(ScreenFacts {}); }

    void keptFiles_data();
    void keptFiles();
    void everyKeptFileHasAnOutcome();
    void sizeLimits_data();
    void sizeLimits();
    void readSizeLimit_data();
    void readSizeLimit();
    void hugeJpegHeaderWithLittleData();
    void scanLimit_data();
    void scanLimit();
    void oddMasks_data();
    void oddMasks();
    void indicesBeyondTheTable_data();
    void indicesBeyondTheTable();
    void rle4PastBounds_data();
    void rle4PastBounds();
    void rleWrittenBackReadsTheSame();
    void iconDirectories_data();
    void iconDirectories();
    void iconCutAtEveryLength();
    void jpegCutAtEveryMarker_data();
    void jpegCutAtEveryMarker();
};

// ---- files kept from the fuzz campaigns ----

// regressions/expected.tsv: file, tab, "loads" or the exact failure text, tab, a note.
void TestRegressions::keptFiles_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");
    QFile table(RegressionsDir() + QStringLiteral("/expected.tsv"));
    QVERIFY2(table.open(QIODevice::ReadOnly | QIODevice::Text), qPrintable(table.fileName()));
    int rows = 0;
    while (!table.atEnd()) {
        const QString line = QString::fromUtf8(table.readLine()).trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QStringList f = line.split('\t');
        QVERIFY2(f.size() >= 2, qPrintable(line));
        QTest::newRow(qPrintable(f[0])) << RegressionsDir() + "/" + f[0] << f[1];
        ++rows;
    }
    QVERIFY(rows > 0);
}

void TestRegressions::keptFiles()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);
    QFile f(path);
    QVERIFY2(f.open(QIODevice::ReadOnly), qPrintable(path));
    QCOMPARE(LoadPrepareDraw(KindOf(path), f.readAll()).text, expected);
}

void TestRegressions::everyKeptFileHasAnOutcome()
{
    QFile table(RegressionsDir() + QStringLiteral("/expected.tsv"));
    QVERIFY(table.open(QIODevice::ReadOnly | QIODevice::Text));
    const QString text = QString::fromUtf8(table.readAll());
    const QStringList files = QDir(RegressionsDir()).entryList(QDir::Files);
    for (const QString& name : files) {
        if (name == QLatin1String("expected.tsv"))
            continue;
        QVERIFY2(text.contains(QStringLiteral("\n") + name + QStringLiteral("\t")) || text.startsWith(name + "\t"),
                 qPrintable(name + " has no row in expected.tsv"));
        QVERIFY2(KindOf(name) != GraphicKind::Metafile, qPrintable(name));
    }
}

// ---- limits ----

void TestRegressions::sizeLimits_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QSize>("size");
    const int bmp = int(GraphicKind::Bitmap), ico = int(GraphicKind::Icon), jpg = int(GraphicKind::Jpeg);
    const QByteArray row = QByteArray(4, char(0xFF));
    QTest::newRow("bitmap 65,535 wide") << bmp << Bmp(1, 65535, 1, row, {0, 0xFFFFFF}) << kLoads << QSize(65535, 1);
    QTest::newRow("bitmap 65,536 wide") << bmp << Bmp(1, 65536, 1, row, {0, 0xFFFFFF}) << kResources << QSize();
    QTest::newRow("bitmap 65,535 high") << bmp << Bmp(1, 1, 65535, row, {0, 0xFFFFFF}) << kLoads << QSize(1, 65535);
    QTest::newRow("bitmap 65,536 high, top-down") << bmp << Bmp(1, 1, -65536, row) << kResources << QSize();
    QTest::newRow("core header 65,535 x 65,535 x 24 (over 2^32 bits)")
        << bmp << Bmp(24, 65535, 65535, row, {}, 12) << kResources << QSize();
    // 16,384 x 16,384 x 32 bits is exactly the decoded-size limit; one row more is over it.
    QTest::newRow("32-bit, one row over 1 GiB") << bmp << Bmp(32, 16384, 16385, row) << kResources << QSize();
    QTest::newRow("icon 65,535 x 65,535 x 32")
        << ico << IconFile({{0, IconDib(65535, 65535, 32, {}, row)}}) << kResources << QSize();
    QTest::newRow("icon 40,000 x 40,000 x 32 (wraps 32 bits)")
        << ico << IconFile({{0, IconDib(40000, 40000, 32, {}, row)}}) << kResources << QSize();
    QTest::newRow("icon PNG 40,000 x 40,000")
        << ico << IconFile({{0, PngHeader(40000, 40000)}}) << kResources << QSize();
    // Within 1 GiB alone, beyond it with the copy drawing makes (4 bits are drawn as 8).
    QTest::newRow("4-bit 65,535 x 16,000 and its drawing copy")
        << bmp << Bmp(4, 65535, 16000, row) << kResources << QSize();
    QTest::newRow("greyscale JPEG 23,200 x 23,200 and its drawing copy")
        << jpg << jpegtest::WithFrameSize(SmallJpeg(false, jpegtest::Space::Grey), 23200, 23200) << kResources
        << QSize(23200, 23200);
    // libjpeg's own limit on a side, below the picture layer's.
    QTest::newRow("JPEG 65,501 wide") << jpg << jpegtest::WithFrameSize(SmallJpeg(false), 65501, 16)
                                      << QStringLiteral("JPEG error #%1").arg(int(JERR_IMAGE_TOO_BIG)) << QSize();
    QTest::newRow("JPEG 65,500 wide") << jpg << jpegtest::WithFrameSize(SmallJpeg(false), 65500, 16) << kLoads
                                      << QSize(65500, 16);
}

void TestRegressions::sizeLimits()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QFETCH(QSize, size);
    const Outcome o = LoadPrepareDraw(GraphicKind(kind), bytes);
    QCOMPARE(o.text, expected);
    QCOMPARE(o.size, size);
}

// The bitmap of a file and its drawing copy share the decoded-size limit.
void TestRegressions::readSizeLimit_data()
{
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("bits");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("24-bit, 3 + 4 bytes a pixel, last row in") << 16384 << 9362 << 24 << true;
    QTest::newRow("24-bit, one row more") << 16384 << 9363 << 24 << false;
    QTest::newRow("8-bit, 1 + 1 bytes a pixel, exactly 1 GiB") << 32768 << 16384 << 8 << true;
    QTest::newRow("8-bit, one row more") << 32768 << 16385 << 8 << false;
    QTest::newRow("1-bit 65,535 x 65,535 fits with its copy") << 65535 << 65535 << 1 << true;
    QTest::newRow("4-bit drawn as 8, last row in") << 32768 << 21845 << 4 << true;
    QTest::newRow("4-bit drawn as 8, one row more") << 32768 << 21846 << 4 << false;
}

void TestRegressions::readSizeLimit()
{
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, bits);
    QFETCH(bool, allowed);
    QString error;
    try {
        CheckReadSize(width, height, bits);
    } catch (const Failure& f) {
        error = f.Text();
    }
    QCOMPARE(error, allowed ? QString() : kResources);
}

void TestRegressions::hugeJpegHeaderWithLittleData()
{
    // 65,500 x 65,500 claimed by a file of a few hundred bytes: its thumbnail decodes at an
    // eighth (8,188 x 8,188, the missing data as mid-grey); the full size is refused.
    const QByteArray jpeg = jpegtest::WithFrameSize(SmallJpeg(false), 65500, 65500);
    QVERIFY(jpeg.size() < 1000);
    TJpegImage picture;
    picture.LoadFromBytes(jpeg);
    QCOMPARE(picture.Width(), 65500);
    picture.Prepare(QSize(64, 64));
    QVERIFY(!picture.NeedsPrepare(QSize(64, 64)));
    QVERIFY(!picture.DecodeFailed());
    QImage canvas(64, 64, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    {
        QPainter painter(&canvas);
        picture.Draw(painter, QRect(0, 0, 64, 64), true);
    }
    QCOMPARE(canvas.pixel(63, 63) & 0xFFFFFF, 0x808080u);
    QVERIFY(picture.NeedsPrepare(QSize(65500, 65500)));
    try {
        picture.Prepare(QSize(65500, 65500));
        QFAIL("the full size was decoded");
    } catch (const Failure& f) {
        QCOMPARE(f.Text(), kResources);
    }
    QVERIFY(picture.DecodeFailed());
}

void TestRegressions::scanLimit_data()
{
    QTest::addColumn<int>("scans");
    QTest::addColumn<bool>("progressiveDisplay");
    QTest::addColumn<QString>("expected");
    const QString tooMany = QStringLiteral("JPEG error #%1").arg(JpegTooManyScansCode());
    QTest::newRow("1,000 scans") << PictureLimits::kMaxJpegScans << false << kLoads;
    QTest::newRow("1,001 scans") << PictureLimits::kMaxJpegScans + 1 << false << tooMany;
    QTest::newRow("1,000 scans, progressive display") << PictureLimits::kMaxJpegScans << true << kLoads;
    QTest::newRow("1,001 scans, progressive display") << PictureLimits::kMaxJpegScans + 1 << true << tooMany;
}

void TestRegressions::scanLimit()
{
    QFETCH(int, scans);
    QFETCH(bool, progressiveDisplay);
    QFETCH(QString, expected);
    const QByteArray jpeg = WithScans(scans);
    QCOMPARE(CountScans(jpeg), scans);
    QCOMPARE(JpegTooManyScansCode(), 200);
    const bool saved = JpegDefaults().progressiveDisplay;
    JpegDefaults().progressiveDisplay = progressiveDisplay;
    const Outcome o = LoadPrepareDraw(GraphicKind::Jpeg, jpeg);
    JpegDefaults().progressiveDisplay = saved;
    QCOMPARE(o.text, expected);
    QCOMPARE(o.size, QSize(16, 16));
}

// ---- pixels of odd files ----

// Masks that are zero, overlap, have gaps or cover all 32 bits still give defined colours.
void TestRegressions::oddMasks_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<uint>("rgb");
    QTest::newRow("red mask zero") << MaskedBmp(32, 0, 0xFF00, 0xFF, 0x00112233) << 0x002233u;
    QTest::newRow("all masks 0xFFFFFFFF")
        << MaskedBmp(32, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xAB123456u) << 0xABABABu;
    QTest::newRow("red and green the same byte") << MaskedBmp(32, 0xFF0000, 0xFF0000, 0xFF, 0x00445566) << 0x444466u;
    QTest::newRow("one bit each") << MaskedBmp(16, 0x8000, 0x0400, 0x0001, 0x8001) << 0xFF00FFu;
    QTest::newRow("mask with a gap") << MaskedBmp(16, 0x0F0F, 0xF000, 0x00F0, 0xFF0F) << 0xF0FF00u;
}

void TestRegressions::oddMasks()
{
    QFETCH(QByteArray, bytes);
    QFETCH(uint, rgb);
    const Outcome o = LoadPrepareDraw(GraphicKind::Bitmap, bytes);
    QCOMPARE(o.text, kLoads);
    QCOMPARE(o.canvas.pixel(0, 0) & 0xFFFFFF, rgb);
}

void TestRegressions::indicesBeyondTheTable_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<uint>("topLeft");
    QTest::newRow("1-bit, one colour") << int(GraphicKind::Bitmap) << Bmp(1, 2, 1, Bytes({0x80, 0, 0, 0}), {kR})
                                       << 0x000000u;
    QTest::newRow("RLE8, index 200 of 2")
        << int(GraphicKind::Bitmap) << Rle(8, 2, 1, Bytes({2, 200, 0, 1}), {kR, kG}) << 0x000000u;
    QTest::newRow("RLE4, index 15 of 2") << int(GraphicKind::Bitmap) << Rle(4, 2, 1, Bytes({2, 0xF1, 0, 1}), {kR, kG})
                                         << 0x000000u;
    QTest::newRow("icon 4-bit, index 9 of 2")
        << int(GraphicKind::Icon) << IconFile({{0, IconDib(2, 1, 4, {kR, kG}, Bytes({0x91, 0, 0, 0}))}}) << 0x000000u;
    QTest::newRow("icon 8-bit, index 1 of 2 still read")
        << int(GraphicKind::Icon) << IconFile({{0, IconDib(1, 1, 8, {kR, kG}, Bytes({1, 0, 0, 0}))}}) << kG;
}

void TestRegressions::indicesBeyondTheTable()
{
    QFETCH(int, kind);
    QFETCH(QByteArray, bytes);
    QFETCH(uint, topLeft);
    const Outcome o = LoadPrepareDraw(GraphicKind(kind), bytes);
    QCOMPARE(o.text, kLoads);
    QCOMPARE(o.canvas.pixel(0, 0) & 0xFFFFFF, topLeft);
}

// Four-bit runs: two nibbles alternate, literals hold two pixels a byte; whatever leaves
// the row, the image or the data is dropped.
void TestRegressions::rle4PastBounds_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QList<uint>>("expected"); // 3x2, top row first
    QTest::newRow("odd run longer than the row") << Bytes({7, 0x12, 0, 0, 0, 1}) << QList<uint> {0, 0, 0, kR, kG, kR};
    QTest::newRow("odd literal past the row")
        << Bytes({0, 5, 0x21, 0x21, 0x20, 0, 0, 0, 0, 1}) << QList<uint> {0, 0, 0, kG, kR, kG};
    QTest::newRow("odd literal past the data") << Bytes({0, 9, 0x12}) << QList<uint> {0, 0, 0, kR, kG, 0};
    QTest::newRow("move past the image") << Bytes({0, 2, 1, 5, 2, 0x11, 0, 1}) << QList<uint> {0, 0, 0, 0, 0, 0};
    QTest::newRow("move past the top, then a run")
        << Bytes({1, 0x10, 0, 2, 0, 255, 3, 0x22, 0, 1}) << QList<uint> {0, 0, 0, kR, 0, 0};
    QTest::newRow("end of line past the top")
        << Bytes({0, 0, 0, 0, 0, 0, 0, 0, 2, 0x11}) << QList<uint> {0, 0, 0, 0, 0, 0};
}

void TestRegressions::rle4PastBounds()
{
    QFETCH(QByteArray, data);
    QFETCH(QList<uint>, expected);
    const Outcome o = LoadPrepareDraw(GraphicKind::Bitmap, Rle(4, 3, 2, data, {0x808080, kR, kG}));
    QCOMPARE(o.text, kLoads);
    QList<uint> got;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            got << (o.canvas.pixel(x, y) & 0xFFFFFF);
    QCOMPARE(got, expected);
}

// A run-length file whose header claims millions of colours while its pixel offset leaves
// room for three: the pixels of index 3 draw black, and the unchanged file written back (its
// data as read) must draw them black again, not in colours made of the data bytes.
void TestRegressions::rleWrittenBackReadsTheSame()
{
    BmpBuild b;
    b.bitCount = 4;
    b.compression = 2;
    b.width = 4;
    b.height = 1;
    b.table = {kR, kG, 0x0000FF};
    b.colorsUsed = 0x7FFFFFFF;
    b.pixels = Bytes({4, 0x31, 0, 1});
    TBitmap first;
    first.LoadFromBytes(BuildBmp(b));
    TBitmap again;
    again.LoadFromBytes(first.SaveToBytes());
    QList<uint> before, after;
    for (int x = 0; x < 4; ++x) {
        before << (first.Dib().PixelRgb(x, 0) & 0xFFFFFF);
        after << (again.Dib().PixelRgb(x, 0) & 0xFFFFFF);
    }
    QCOMPARE(before, (QList<uint> {0, kG, 0, kG}));
    QCOMPARE(after, before);
}

// ---- icon directories ----

void TestRegressions::iconDirectories_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("expected");
    const QByteArray grey = IconDib(16, 16, 24, {}, QByteArray(48 * 16, char(0x40)));
    QTest::newRow("entry inside the file header") << IconFile({{-22 + 2, grey}}) << kBadIcon;
    QTest::newRow("second entry over the first entry's fields")
        << IconFile({{0, grey}, {-grey.size() - 16, grey}}) << kBadIcon;
    QTest::newRow("two entries sharing one image") << IconFile({{0, grey}, {-grey.size(), grey}}) << kLoads;
    QByteArray longer = IconFile({{0, grey}});
    Set32(longer, 6 + 8, uint32_t(grey.size()) * 100);
    QTest::newRow("size running past the end") << longer << kLoads;
}

void TestRegressions::iconDirectories()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, expected);
    QCOMPARE(LoadPrepareDraw(GraphicKind::Icon, bytes).text, expected);
}

// A file of two images, cut at every length: a cut inside the header, the directory or the
// chosen image's colour rows is refused; a cut in its mask loads (the mask rows missing).
void TestRegressions::iconCutAtEveryLength()
{
    QByteArray png;
    {
        QImage image(4, 4, QImage::Format_ARGB32);
        image.fill(qRgba(0, 0, 255, 128));
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
    }
    const QByteArray dib = IconDib(16, 16, 8, {kR, kG}, QByteArray(16 * 16, char(1)));
    const QByteArray file = IconFile({{0, png}, {0, dib}});
    const qsizetype dibStart = 6 + 32 + png.size();
    const qsizetype maskStart = dibStart + 40 + 8 + 16 * 16;
    QCOMPARE(LoadPrepareDraw(GraphicKind::Icon, file).text, kLoads);
    for (qsizetype n = 0; n < file.size(); ++n) {
        const Outcome o = LoadPrepareDraw(GraphicKind::Icon, file.left(n));
        const QString want = n >= maskStart ? kLoads : kBadIcon;
        QVERIFY2(o.text == want, qPrintable(QStringLiteral("cut at %1: %2").arg(n).arg(o.text)));
        if (o.text == kLoads)
            QCOMPARE(o.canvas.pixel(0, 0) & 0xFFFFFF, kG);
    }
}

// ---- JPEG files cut inside their headers ----

void TestRegressions::jpegCutAtEveryMarker_data()
{
    QTest::addColumn<QByteArray>("jpeg");
    QTest::addColumn<uint>("filled");
    jpegtest::Recipe r;
    r.width = 80;
    r.height = 24;
    // No coefficients: every sample is the mid-level 128, grey in YCbCr.
    QTest::newRow("baseline 4:2:0") << jpegtest::Encode(r) << 0x808080u;
    r.progressive = true;
    QTest::newRow("progressive") << jpegtest::Encode(r) << 0x808080u;
    r.progressive = false;
    r.space = jpegtest::Space::Ycck;
    // YCCK mid-levels are inks of 127 and black 128, stored inverted: 127 * 128 / 255.
    QTest::newRow("ycck") << jpegtest::Encode(r) << 0x404040u;
}

// Cut at a marker or a few bytes into it, before the first scan's data: the header read
// fails with libjpeg's code. Cut where the data start: the picture loads at its size, every
// pixel filled though none was in the file. libjpeg decodes the first 16x16 unit from the
// zero bits it pads with and leaves every later unit without coefficients: mid-level, apart
// from what block smoothing of a progressive file carries over from the first unit to its
// next two neighbours.
void TestRegressions::jpegCutAtEveryMarker()
{
    QFETCH(QByteArray, jpeg);
    QFETCH(uint, filled);
    const qsizetype sos = jpeg.indexOf(QByteArray("\xFF\xDA", 2));
    QVERIFY(sos > 0);
    const qsizetype dataStart = sos + 2 + (uchar(jpeg[sos + 2]) << 8 | uchar(jpeg[sos + 3]));
    QList<qsizetype> cuts;
    for (qsizetype i = 0; i < sos + 2; ++i)
        if (uchar(jpeg[i]) == 0xFF && uchar(jpeg[i + 1]) != 0xFF && uchar(jpeg[i + 1]) != 0)
            cuts << i << i + 1 << i + 2 << i + 3 << i + 5;
    for (qsizetype n : cuts) {
        if (n >= dataStart)
            continue;
        const Outcome o = LoadPrepareDraw(GraphicKind::Jpeg, jpeg.left(n));
        QVERIFY2(o.text.startsWith(QLatin1String("JPEG error #")),
                 qPrintable(QStringLiteral("cut at %1: %2").arg(n).arg(o.text)));
    }
    const Outcome o = LoadPrepareDraw(GraphicKind::Jpeg, jpeg.left(dataStart));
    QCOMPARE(o.text, kLoads);
    QCOMPARE(o.size, QSize(80, 24));
    for (int y = 0; y < 24; ++y)
        for (int x = 48; x < 64; ++x) // the canvas is 64 wide
            if ((o.canvas.pixel(x, y) & 0xFFFFFF) != filled)
                QFAIL(qPrintable(QStringLiteral("pixel (%1,%2) is %3").arg(x).arg(y).arg(o.canvas.pixel(x, y), 0, 16)));
}

QTEST_MAIN(TestRegressions)
#include "test_regressions.moc"
