// SPDX-License-Identifier: GPL-3.0-or-later
// Icon files: directory reading, the choice of image for the screen, decoding of every
// image layout, drawing, hostile files, and turning without loss. Every file is built here.
#include <QBuffer>
#include <QPainter>
#include <QProcess>
#include <QtTest>
#include "ErrorOf.h"
#include "picture/Failure.h"
#include "picture/Icon.h"
#include "picture/IconCodec.h"
#include "picture/Limits.h"
#include "picture/LosslessTurn.h"
#include "picture/ScreenFacts.h"
#include "TestFiles.h"

namespace {

void Put16(QByteArray& b, int v)
{
    b.append(char(v & 0xff)).append(char((v >> 8) & 0xff));
}
void Put32(QByteArray& b, int64_t v)
{
    Put16(b, int(v & 0xffff));
    Put16(b, int((v >> 16) & 0xffff));
}
void Set32(QByteArray& b, int at, int64_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((v >> (8 * i)) & 0xff);
}

struct Entry {
    int width = 32, height = 32, colorCount = 0, bitCount = 32;
    QByteArray data;
};

// The header, the directory and the images one after another. `count` overrides the
// image count of the header (for truncated directories).
QByteArray IconFileBytes(const QList<Entry>& entries, int type = 1, int count = -1)
{
    QByteArray b;
    Put16(b, 0);
    Put16(b, type);
    Put16(b, count < 0 ? int(entries.size()) : count);
    int64_t offset = 6 + 16 * entries.size();
    for (const Entry& e : entries) {
        b.append(char(e.width & 0xff)).append(char(e.height & 0xff)).append(char(e.colorCount)).append('\0');
        Put16(b, 1);
        Put16(b, e.bitCount);
        Put32(b, e.data.size());
        Put32(b, offset);
        offset += e.data.size();
    }
    for (const Entry& e : entries)
        b += e.data;
    return b;
}

// A device-independent bitmap of `image` (alpha 0 = masked) in the given depth; indexed
// depths use `palette`, which must hold every opaque colour of the image.
QByteArray DibBytes(const QImage& image, int bitCount, const QList<QRgb>& palette = {}, bool alphaBytes = true)
{
    const int w = image.width(), h = image.height();
    QByteArray b;
    Put32(b, 40);
    Put32(b, w);
    Put32(b, 2 * h);
    Put16(b, 1);
    Put16(b, bitCount);
    for (int i = 0; i < 6; ++i)
        Put32(b, 0); // compression, image size, resolutions, colours used and important
    if (bitCount <= 8)
        for (int i = 0; i < (1 << bitCount); ++i) {
            const QRgb c = i < palette.size() ? palette[i] : 0;
            b.append(char(qBlue(c))).append(char(qGreen(c))).append(char(qRed(c))).append('\0');
        }
    const int xorStride = (w * bitCount + 31) / 32 * 4;
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(xorStride, '\0');
        for (int x = 0; x < w; ++x) {
            const QRgb c = image.pixel(x, y);
            const int index = std::max<int>(0, int(palette.indexOf(c | 0xff000000u)));
            switch (bitCount) {
            case 1: row[x / 8] = char(row[x / 8] | (index << (7 - x % 8))); break;
            case 4: row[x / 2] = char(row[x / 2] | (index << (x % 2 ? 0 : 4))); break;
            case 8: row[x] = char(index); break;
            case 16: {
                const int v = ((qRed(c) >> 3) << 10) | ((qGreen(c) >> 3) << 5) | (qBlue(c) >> 3);
                row[2 * x] = char(v & 0xff);
                row[2 * x + 1] = char(v >> 8);
                break;
            }
            case 24:
                row[3 * x] = char(qBlue(c));
                row[3 * x + 1] = char(qGreen(c));
                row[3 * x + 2] = char(qRed(c));
                break;
            default:
                row[4 * x] = char(qBlue(c));
                row[4 * x + 1] = char(qGreen(c));
                row[4 * x + 2] = char(qRed(c));
                row[4 * x + 3] = char(alphaBytes ? qAlpha(c) : 0);
            }
        }
        b += row;
    }
    const int andStride = (w + 31) / 32 * 4;
    for (int y = h - 1; y >= 0; --y) {
        QByteArray row(andStride, '\0');
        for (int x = 0; x < w; ++x)
            if (qAlpha(image.pixel(x, y)) == 0)
                row[x / 8] = char(row[x / 8] | (1 << (7 - x % 8)));
        b += row;
    }
    return b;
}

QImage Filled(int w, int h, QRgb c)
{
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(c);
    return img;
}

QByteArray PngBytes(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// "16x16/0, 32x32/16": width x height / colour count.
std::vector<IconDirEntry> ParseEntries(const QString& text)
{
    std::vector<IconDirEntry> entries;
    for (const QString& part : text.split(',', Qt::SkipEmptyParts)) {
        const QStringList f = part.trimmed().split(QRegularExpression("[x/]"));
        IconDirEntry e;
        e.width = f[0].toInt();
        e.height = f[1].toInt();
        e.colorCount = f[2].toInt();
        entries.push_back(e);
    }
    return entries;
}

QString LoadFailure(TIcon& icon, const QByteArray& bytes)
{
    try {
        icon.LoadFromBytes(bytes);
    } catch (const Failure& f) {
        return f.Text();
    }
    return QStringLiteral("(loaded)");
}

const QRgb kRed = qRgb(255, 0, 0), kGreen = qRgb(0, 255, 0), kBlue = qRgb(0, 0, 255), kWhite = qRgb(255, 255, 255),
           kBlack = qRgb(0, 0, 0);

} // namespace

class TestIcon : public QObject {
    Q_OBJECT
private slots:
    void init() { SetScreenFacts(ScreenFacts {}); }
    void cleanupTestCase() { SetScreenFacts(ScreenFacts {}); }

    void choose_data();
    void choose();
    void selectionExampleDrawsUnstretched();
    void decodesEveryLayout_data();
    void decodesEveryLayout();
    void pngWithinOwnLimitsQuietly();
    void readsDirectoryFields();
    void missingMaskRowsStayOpaque();
    void standardApplicationIcon();
    void hostileFiles_data();
    void hostileFiles();
    void looksAtLimitedNumberOfEntries();
    void sizeBeforeLoadingAndClone();
    void turnsEveryPicture_data();
    void turnsEveryPicture();
};

void TestIcon::choose_data()
{
    QTest::addColumn<QString>("entries");
    QTest::addColumn<int>("screenBits");
    QTest::addColumn<int>("iconSize");
    QTest::addColumn<int>("expected");

    QTest::newRow("16 32 48 on a 32 screen") << "16x16/16, 32x32/16, 48x48/16" << 32 << 32 << 1;
    QTest::newRow("48 32 16 on a 32 screen") << "48x48/16, 32x32/16, 16x16/16" << 32 << 32 << 1;
    QTest::newRow("16 32 48 on a 48 screen") << "16x16/16, 32x32/16, 48x48/16" << 32 << 48 << 2;
    QTest::newRow("equal distance above loses") << "16x16/16, 48x48/16" << 32 << 32 << 0;
    QTest::newRow("equal distance below wins") << "48x48/16, 16x16/16" << 32 << 32 << 1;
    QTest::newRow("height judged on its own") << "32x32/16, 32x48/16" << 32 << 32 << 0;
    QTest::newRow("height closer replaces") << "32x48/16, 32x32/16" << 32 << 32 << 1;
    QTest::newRow("0 colours is unlimited") << "16x16/0, 32x32/16" << 32 << 32 << 0;
    QTest::newRow("more colours replace") << "32x32/16, 32x32/0" << 32 << 32 << 1;
    QTest::newRow("8-bit screen refuses unlimited") << "32x32/16, 32x32/0" << 8 << 32 << 0;
    QTest::newRow("8-bit screen takes 255") << "32x32/16, 32x32/255" << 8 << 32 << 1;
    QTest::newRow("4-bit screen refuses 255") << "32x32/16, 32x32/255" << 4 << 32 << 0;
    QTest::newRow("equal entries: the last") << "32x32/16, 32x32/16, 32x32/16" << 32 << 32 << 2;
    QTest::newRow("first kept though too rich") << "32x32/0, 16x16/16" << 4 << 32 << 0;
    QTest::newRow("closer but fewer colours") << "48x48/16, 32x32/2" << 32 << 32 << 0;
}

void TestIcon::choose()
{
    QFETCH(QString, entries);
    QFETCH(int, screenBits);
    QFETCH(int, iconSize);
    QFETCH(int, expected);
    QCOMPARE(IconChoose(ParseEntries(entries), screenBits, iconSize, iconSize), expected);
}

// 16, 32 and 48 pixel images of the same colour count: the 32-pixel one shows, at its own
// size at the rectangle's top-left corner, its masked pixels letting the background through.
void TestIcon::selectionExampleDrawsUnstretched()
{
    QImage big = Filled(32, 32, kBlue);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            big.setPixel(x, y, 0); // masked
    const QList<QRgb> palette {kBlack, kRed, kGreen, kBlue};
    const QByteArray file = IconFileBytes({{16, 16, 16, 4, DibBytes(Filled(16, 16, kRed), 4, palette)},
                                           {32, 32, 16, 4, DibBytes(big, 4, palette)},
                                           {48, 48, 16, 4, DibBytes(Filled(48, 48, kGreen), 4, palette)}});
    TIcon icon;
    icon.LoadFromBytes(file);
    QCOMPARE(icon.ChosenIndex(), 1);
    QCOMPARE(icon.Width(), 32);
    QCOMPARE(icon.Height(), 32);

    const QRgb grey = qRgb(128, 128, 128);
    QImage canvas(100, 100, QImage::Format_RGB32);
    canvas.fill(grey);
    QPainter painter(&canvas);
    icon.Draw(painter, QRect(10, 20, 80, 70), true);
    painter.end();
    QCOMPARE(canvas.pixel(10, 20), grey); // masked corner
    QCOMPARE(canvas.pixel(13, 23), grey);
    QCOMPARE(canvas.pixel(14, 24), kBlue);
    QCOMPARE(canvas.pixel(41, 51), kBlue); // last pixel of the image
    QCOMPARE(canvas.pixel(42, 51), grey);  // not stretched to the rectangle
    QCOMPARE(canvas.pixel(41, 52), grey);
    QCOMPARE(canvas.pixel(9, 30), grey);
}

void TestIcon::decodesEveryLayout_data()
{
    // A 5 x 3 picture (odd width: rows are padded) whose pixel (1, 1) is masked.
    QTest::addColumn<int>("bitCount");
    QTest::addColumn<bool>("png");
    QTest::addColumn<bool>("alpha"); // semi-transparent pixel, not a mask
    QTest::newRow("1-bit") << 1 << false << false;
    QTest::newRow("4-bit") << 4 << false << false;
    QTest::newRow("8-bit") << 8 << false << false;
    QTest::newRow("16-bit") << 16 << false << false;
    QTest::newRow("24-bit") << 24 << false << false;
    QTest::newRow("32-bit with mask") << 32 << false << false;
    QTest::newRow("32-bit with alpha") << 32 << false << true;
    QTest::newRow("PNG") << 32 << true << true;
}

void TestIcon::decodesEveryLayout()
{
    QFETCH(int, bitCount);
    QFETCH(bool, png);
    QFETCH(bool, alpha);
    const QList<QRgb> palette =
        bitCount == 1 ? QList<QRgb> {kBlack, kWhite} : QList<QRgb> {kBlack, kRed, kGreen, kBlue, kWhite};
    QImage source(5, 3, QImage::Format_ARGB32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x)
            source.setPixel(x, y, palette[(x + 2 * y) % palette.size()]);
    source.setPixel(1, 1, 0);
    if (alpha)
        source.setPixel(3, 2, qRgba(0, 0, 255, 128));
    // Without alpha bytes a 32-bit image takes its transparency from the mask.
    const QByteArray data = png ? PngBytes(source) : DibBytes(source, bitCount, palette, alpha);

    TIcon icon;
    icon.LoadFromBytes(IconFileBytes({{5, 3, 0, bitCount, data}}));
    const QImage& image = icon.Image();
    QCOMPARE(image.size(), QSize(5, 3));
    QCOMPARE(image.format(), QImage::Format_ARGB32);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            if (qAlpha(source.pixel(x, y)) == 0)
                QCOMPARE(qAlpha(image.pixel(x, y)), 0);
            else
                QCOMPARE(image.pixel(x, y), source.pixel(x, y));
        }
}

QStringList g_messages;
void KeepMessage(QtMsgType, const QMessageLogContext&, const QString& text)
{
    g_messages << text;
}

// A PNG image larger than Qt's own reader limit (6000 x 6000, 144 MB) loads within ours; one
// whose text chunk is damaged loads and says nothing on the terminal.
void TestIcon::pngWithinOwnLimitsQuietly()
{
    QImage large(6000, 6000, QImage::Format_ARGB32);
    large.fill(kGreen);
    QByteArray damaged = PngBytes(Filled(4, 4, kRed));
    const QByteArray text("\0\0\0\3tEXta\0b\1\2\3\4", 15); // a wrong CRC
    damaged.insert(33, text);                              // after the IHDR chunk
    g_messages.clear();
    const QtMessageHandler before = qInstallMessageHandler(KeepMessage);
    TIcon big, quiet;
    const QString bigError = ErrorOf([&] { big.LoadFromBytes(IconFileBytes({{0, 0, 0, 32, PngBytes(large)}})); });
    const QString quietError = ErrorOf([&] { quiet.LoadFromBytes(IconFileBytes({{4, 4, 0, 32, damaged}})); });
    qInstallMessageHandler(before);
    QCOMPARE(bigError, QString());
    QCOMPARE(big.Image().size(), QSize(6000, 6000));
    QCOMPARE(big.Image().pixel(5999, 5999), kGreen);
    QCOMPARE(quietError, QString());
    QCOMPARE(quiet.Image().pixel(0, 0), kRed);
    QVERIFY2(g_messages.isEmpty(), qPrintable(g_messages.join(u'\n')));
}

void TestIcon::readsDirectoryFields()
{
    const QByteArray dib = DibBytes(Filled(4, 4, kRed), 24);
    const QByteArray file = IconFileBytes({{0, 0, 0, 32, dib}, {16, 0, 7, 24, dib}});
    const IconFile read = IconReadDirectory(file);
    QCOMPARE(read.type, 1);
    QCOMPARE(read.entries.size(), size_t(2));
    QCOMPARE(read.entries[0].width, 256); // 0 stands for 256
    QCOMPARE(read.entries[0].height, 256);
    QCOMPARE(read.entries[1].width, 16);
    QCOMPARE(read.entries[1].height, 256);
    QCOMPARE(read.entries[1].colorCount, 7);
    QCOMPARE(read.entries[1].bitCount, 24);
    QCOMPARE(read.entries[1].planes, 1);
    QCOMPARE(read.entries[1].bytesInRes, uint32_t(dib.size()));
    QCOMPARE(read.entries[1].imageOffset, uint32_t(6 + 32 + dib.size()));
}

void TestIcon::missingMaskRowsStayOpaque()
{
    QImage source = Filled(4, 2, kRed);
    source.setPixel(0, 0, qRgba(255, 0, 0, 0)); // red in the colour image, masked
    source.setPixel(0, 1, qRgba(255, 0, 0, 0));
    QByteArray data = DibBytes(source, 24);
    data.chop(4); // the mask's top row (stored last) is gone: the file ends early
    TIcon icon;
    icon.LoadFromBytes(IconFileBytes({{4, 2, 0, 24, data}}));
    QCOMPARE(qAlpha(icon.Image().pixel(0, 1)), 0); // its mask row is there
    QCOMPARE(icon.Image().pixel(0, 0), kRed);      // its mask row is not
}

void TestIcon::standardApplicationIcon()
{
    ScreenFacts facts;
    facts.iconWidth = facts.iconHeight = 48;
    SetScreenFacts(facts);
    TIcon icon;
    icon.LoadFromBytes(IconFileBytes({}, 0)); // a type-0 file needs no images
    QCOMPARE(icon.Width(), 48);
    QCOMPARE(icon.Height(), 48);
    QCOMPARE(icon.ChosenIndex(), -1);
    QCOMPARE(icon.Image().size(), QSize(48, 48));
    QCOMPARE(qAlpha(icon.Image().pixel(0, 0)), 0);     // transparent around the glyph
    QCOMPARE(qAlpha(icon.Image().pixel(24, 30)), 255); // the window itself
}

void TestIcon::hostileFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("failure");
    const QString invalid = QString::fromLatin1(kIconInvalid);
    const QByteArray good = DibBytes(Filled(8, 8, kRed), 24);
    const QByteArray file = IconFileBytes({{8, 8, 0, 24, good}});

    QTest::newRow("empty file") << QByteArray() << invalid;
    QTest::newRow("short header") << file.left(5) << invalid;
    QTest::newRow("type 2") << IconFileBytes({{8, 8, 0, 24, good}}, 2) << invalid;
    QTest::newRow("no images") << IconFileBytes({}) << invalid;

    QByteArray outside = file;
    Set32(outside, 6 + 12, file.size() + 100);
    QTest::newRow("entry beyond the file") << outside << invalid;
    QByteArray inDirectory = file;
    Set32(inDirectory, 6 + 12, 6);
    QTest::newRow("entry over the directory") << inDirectory << invalid;
    QByteArray farOffset = file;
    Set32(farOffset, 6 + 12, 0xFFFFFFF0u);
    QTest::newRow("offset near 4 GiB") << farOffset << invalid;
    QByteArray noLength = file;
    Set32(noLength, 6 + 8, 0);
    QTest::newRow("zero-length image") << noLength << invalid;
    QTest::newRow("65535 entries, directory cut") << IconFileBytes({{8, 8, 0, 24, good}}, 1, 65535) << invalid;
    QTest::newRow("image cut short") << file.left(file.size() - good.size() / 2) << invalid;

    const auto withHeader = [&](int at, int64_t value) {
        QByteArray dib = good;
        Set32(dib, at, value);
        return IconFileBytes({{8, 8, 0, 24, dib}});
    };
    QTest::newRow("core-size header") << withHeader(0, 12) << invalid;
    QTest::newRow("header longer than image") << withHeader(0, 4000) << invalid;
    QTest::newRow("compressed image") << withHeader(16, 1) << invalid;
    QTest::newRow("bit count 7") << withHeader(12, 1 | (7 << 16)) << invalid;
    QTest::newRow("height 1 (no rows)") << withHeader(8, 1) << invalid;
    QTest::newRow("negative height") << withHeader(8, -16) << invalid;
    QTest::newRow("width beyond XOR data") << withHeader(4, 4000) << invalid;
    QTest::newRow("huge width") << withHeader(4, 100000) << QString::fromLatin1(kOutOfResources);
    QByteArray paletteBomb = DibBytes(Filled(8, 8, kRed), 8, {kRed});
    Set32(paletteBomb, 32, 0x7FFFFFFF); // colours used
    QTest::newRow("colour table beyond the file") << IconFileBytes({{8, 8, 0, 8, paletteBomb}}) << invalid;

    QByteArray bigPng = PngBytes(Filled(4, 4, kRed));
    bigPng[16] = 0;
    bigPng[17] = 1;
    bigPng[18] = 0x11;
    bigPng[19] = 0x70; // width 70000
    QTest::newRow("PNG of 70000 pixels") << IconFileBytes({{0, 0, 0, 32, bigPng}})
                                         << QString::fromLatin1(kOutOfResources);
    QByteArray brokenPng = PngBytes(Filled(4, 4, kRed));
    brokenPng.truncate(40);
    QTest::newRow("PNG cut short") << IconFileBytes({{4, 4, 0, 32, brokenPng}}) << invalid;
}

void TestIcon::hostileFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, failure);
    TIcon icon;
    icon.LoadFromBytes(IconFileBytes({{16, 16, 0, 24, DibBytes(Filled(16, 16, kGreen), 24)}}));
    QCOMPARE(LoadFailure(icon, bytes), failure);
    // A failed load leaves the icon as it was.
    QCOMPARE(icon.Width(), 16);
    QCOMPARE(icon.ChosenIndex(), 0);
    QCOMPARE(icon.Image().pixel(3, 3), kGreen);
}

// 65,535 equal entries: each later one replaces the choice, so the last one looked at
// is chosen; entry 1500 would be the best size but lies beyond the limit.
void TestIcon::looksAtLimitedNumberOfEntries()
{
    constexpr int kCount = 65535;
    const QByteArray small = DibBytes(Filled(16, 16, kRed), 24);
    const QByteArray right = DibBytes(Filled(32, 32, kBlue), 24);
    const int64_t dataStart = 6 + 16 * int64_t(kCount);
    QByteArray file;
    Put16(file, 0);
    Put16(file, 1);
    Put16(file, kCount);
    for (int i = 0; i < kCount; ++i) {
        const bool best = i == 1500;
        file.append(char(best ? 32 : 16)).append(char(best ? 32 : 16)).append(char(16)).append('\0');
        Put16(file, 1);
        Put16(file, 24);
        Put32(file, best ? right.size() : small.size());
        Put32(file, best ? dataStart + small.size() : dataStart);
    }
    file += small;
    file += right;

    QCOMPARE(IconReadDirectory(file).entries.size(), size_t(PictureLimits::kMaxIconEntries));
    TIcon icon;
    icon.LoadFromBytes(file);
    QCOMPARE(icon.ChosenIndex(), PictureLimits::kMaxIconEntries - 1);
    QCOMPARE(icon.Width(), 16);
}

void TestIcon::sizeBeforeLoadingAndClone()
{
    ScreenFacts facts;
    facts.iconWidth = 24;
    facts.iconHeight = 20;
    SetScreenFacts(facts);
    TIcon icon;
    QVERIFY(icon.Empty());
    QCOMPARE(icon.Width(), 24);
    QCOMPARE(icon.Height(), 20);

    int changes = 0;
    icon.OnChange = [&] { ++changes; };
    icon.LoadFromBytes(IconFileBytes({{8, 4, 0, 24, DibBytes(Filled(8, 4, kRed), 24)}}));
    QCOMPARE(changes, 1);
    const auto copy = icon.Clone();
    QCOMPARE(copy->Kind(), GraphicKind::Icon);
    QCOMPARE(copy->Width(), 8);
    QCOMPARE(copy->Height(), 4);
    const auto* copyIcon = static_cast<const TIcon*>(copy.get());
    QCOMPARE(copyIcon->ChosenIndex(), 0);
    QCOMPARE(copyIcon->Image().pixel(7, 3), kRed);
    QCOMPARE(copy->SaveToBytes(), icon.SaveToBytes());
}

// An icon turns picture by picture in the storage each came in (bitmaps of 1 to 32 bits
// with their masks, PNG): ImageMagick reads each back as the original's turned.
void TestIcon::turnsEveryPicture_data()
{
    QTest::addColumn<int>("turn");
    QTest::addColumn<QString>("convert");
    QTest::newRow("right") << int(Turn::Right) << QStringLiteral("-rotate 90");
    QTest::newRow("left") << int(Turn::Left) << QStringLiteral("-rotate -90");
    QTest::newRow("flip") << int(Turn::Flip) << QStringLiteral("-flop");
}
void TestIcon::turnsEveryPicture()
{
    QFETCH(int, turn);
    QFETCH(QString, convert);
    QList<QRgb> palette;
    for (int i = 0; i < 16; ++i)
        palette << qRgb(i * 16, 255 - i * 9, i * 5);
    QImage picture(37, 7, QImage::Format_ARGB32); // not square, mask rows of two words
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 37; ++x)
            picture.setPixel(x, y, (x * 3 + y) % 7 == 0 ? 0u : palette[(x + 5 * y) % 16]);
    QImage twoColours = picture;
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 37; ++x)
            if (qAlpha(picture.pixel(x, y)) != 0)
                twoColours.setPixel(x, y, palette[(x + y) % 2]);
    const QList<Entry> entries {{37, 7, 16, 4, DibBytes(picture, 4, palette)},
                                {37, 7, 2, 1, DibBytes(twoColours, 1, palette)},
                                {37, 7, 0, 24, DibBytes(picture, 24)},
                                {37, 7, 0, 32, DibBytes(picture, 32)},
                                {37, 7, 0, 32, PngBytes(picture)}};
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.ico")), before = dir.filePath(QStringLiteral("b.ico"));
    WriteBytes(path, IconFileBytes(entries));
    QFile::copy(path, before);
    TurnIconFile(path, Turn(turn));
    QVERIFY(QProcess::execute(QStringLiteral("convert"),
                              QStringList {before} + convert.split(QLatin1Char(' ')) +
                                  QStringList {dir.filePath(QStringLiteral("want-%d.png"))}) == 0);
    QVERIFY(QProcess::execute(QStringLiteral("convert"), {path, dir.filePath(QStringLiteral("got-%d.png"))}) == 0);
    // Pixels only, and nothing of a colour under full transparency.
    const auto pixels = [](const QString& file) {
        QImage image = QImage(file).convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(image.pixel(x, y)) == 0)
                    image.setPixel(x, y, 0);
        return image;
    };
    const IconFile turned = IconReadDirectory(ReadBytes(path)); // the sizes it names, turned too
    for (int i = 0; i < int(entries.size()); ++i) {
        const QImage want = pixels(dir.filePath(QStringLiteral("want-%1.png").arg(i)));
        QCOMPARE(QSize(turned.entries.at(size_t(i)).width, turned.entries.at(size_t(i)).height), want.size());
        QVERIFY2(!want.isNull() && want == pixels(dir.filePath(QStringLiteral("got-%1.png").arg(i))),
                 qPrintable(QStringLiteral("picture %1").arg(i)));
    }
}

QTEST_GUILESS_MAIN(TestIcon)
#include "test_icon.moc"
