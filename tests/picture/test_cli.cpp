// SPDX-License-Identifier: GPL-3.0-or-later
// lumivue-picture run as a separate process: its output, its files and its exit status.
// The input files are made here with the project's own encoders.
#include <csignal>
#include <cstring>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include "TestFiles.h"
#include "picture/Bitmap.h"
#include "picture/DibImage.h"
#include "picture/JpegCodec.h"

#ifndef LUMIVUE_PICTURE_TOOL
#error "LUMIVUE_PICTURE_TOOL must name the built lumivue-picture"
#endif

namespace {

struct Outcome {
    int status = -1;
    QString out, err;
};

// A picture of `w` x `h` whose pixels all differ in a known way.
QImage Pattern(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, qRgb((x * 255) / std::max(1, w - 1), (y * 255) / std::max(1, h - 1), 100));
    return img;
}

QByteArray Jpeg(const QImage& image, int quality, bool grey, bool progressive)
{
    QString error;
    const QByteArray bytes = JpegEncode(*DibFromQImage(image), quality, grey, progressive, {}, &error);
    if (!error.isEmpty())
        qFatal("cannot encode a test JPEG: %s", qPrintable(error));
    return bytes;
}

QByteArray Bmp(const QImage& image, std::optional<TPixelFormat> format = std::nullopt)
{
    TBitmap bitmap(DibFromQImage(image));
    if (format)
        bitmap.SetPixelFormat(*format);
    return bitmap.SaveToBytes();
}

void Put16(QByteArray& b, int v)
{
    b.append(char(v & 0xff)).append(char((v >> 8) & 0xff));
}
void Put32(QByteArray& b, int64_t v)
{
    Put16(b, int(v & 0xffff));
    Put16(b, int((v >> 16) & 0xffff));
}

// An icon file of one 16 x 16 24-bit image, green, its top-left pixel masked.
QByteArray GreenIcon()
{
    QByteArray dib;
    for (int64_t v : {40, 16, 32})
        Put32(dib, v);
    Put16(dib, 1);
    Put16(dib, 24);
    for (int i = 0; i < 6; ++i)
        Put32(dib, 0);
    for (int i = 0; i < 16 * 16; ++i)
        dib.append('\0').append('\xff').append('\0');
    for (int y = 0; y < 16; ++y) // bottom-up: the last row is the top one
        dib.append(y == 15 ? '\x80' : '\0').append(QByteArray(3, '\0'));
    QByteArray file;
    for (int v : {0, 1, 1})
        Put16(file, v);
    file.append(char(16)).append(char(16)).append('\0').append('\0');
    Put16(file, 1);
    Put16(file, 24);
    Put32(file, dib.size());
    Put32(file, 22);
    return file + dib;
}

// The quantisation table segments (DQT) of a JPEG file, which depend only on its quality.
QByteArray QuantTables(const QByteArray& jpeg)
{
    QByteArray tables;
    qsizetype at = 2; // after SOI
    while (at + 4 <= jpeg.size() && uchar(jpeg[at]) == 0xFF && uchar(jpeg[at + 1]) != 0xDA) {
        const int length = (uchar(jpeg[at + 2]) << 8) | uchar(jpeg[at + 3]);
        if (uchar(jpeg[at + 1]) == 0xDB)
            tables += jpeg.mid(at, 2 + length);
        at += 2 + length;
    }
    return tables;
}

} // namespace

class TestCli : public QObject {
    Q_OBJECT
public:
    // `inChild` runs in the tool's process before it starts (async-signal-safe calls only).
    Outcome Run(const QStringList& args, const std::function<void()>& inChild = {},
                const QString& program = QStringLiteral(LUMIVUE_PICTURE_TOOL), const QStringList& programArgs = {})
    {
        QProcess p;
        p.setWorkingDirectory(m_dir.path());
        if (inChild)
            p.setChildProcessModifier(inChild);
        p.start(program, programArgs.isEmpty() ? args : programArgs);
        if (!p.waitForFinished(60000))
            qFatal("lumivue-picture did not finish");
        return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
                QString::fromLocal8Bit(p.readAllStandardOutput()), QString::fromLocal8Bit(p.readAllStandardError())};
    }
    // Runs the tool with arguments of any bytes (QProcess would pass them as UTF-8): a shell
    // turns each argument's octal escapes back into its bytes.
    Outcome RunBytes(const QList<QByteArray>& args)
    {
        QString script = QStringLiteral("exec \"$0\"");
        QStringList escaped {QStringLiteral(LUMIVUE_PICTURE_TOOL)};
        for (const QByteArray& arg : args) {
            QString e;
            for (const char c : arg)
                e += QStringLiteral("\\0%1").arg(uint(uchar(c)), 3, 8, QLatin1Char('0'));
            escaped << e;
            script += QStringLiteral(" \"$(printf '%b' \"$%1\")\"").arg(escaped.size() - 1);
        }
        return Run({}, {}, QStringLiteral("/bin/sh"), QStringList {QStringLiteral("-c"), script} + escaped);
    }
    QString Path(const QString& name) const { return m_dir.filePath(name); }

private slots:
    void initTestCase();
    void info_data();
    void info();
    void infoSeveralFiles();
    void namesNotUtf8_data();
    void namesNotUtf8();
    void render_data();
    void render();
    void renderFailures_data();
    void renderFailures();
    void saveBitmap_data();
    void saveBitmap();
    void saveJpeg_data();
    void saveJpeg();
    void thumbnailSizes_data();
    void thumbnailSizes();
    void iconSavedAtSystemSize();
    void refusals_data();
    void refusals();
    void version();
    void writeFaults_data();
    void writeFaults();

private:
    QTemporaryDir m_dir;
    QImage m_pattern = Pattern(40, 20);
};

void TestCli::initTestCase()
{
    QVERIFY(m_dir.isValid());
    WriteBytes(Path("a.bmp"), Bmp(m_pattern));
    WriteBytes(Path("mono.bmp"), Bmp(m_pattern, TPixelFormat::Bit1));
    WriteBytes(Path("p16.bmp"), Bmp(m_pattern, TPixelFormat::Bit16));
    WriteBytes(Path("b.jpg"), Jpeg(m_pattern, 90, false, false));
    WriteBytes(Path("p.JPEG"), Jpeg(m_pattern, 80, false, true));
    WriteBytes(Path("g.jpg"), Jpeg(m_pattern, 90, true, false));
    WriteBytes(Path("empty.jpg"), QByteArray());
    WriteBytes(Path("i.ico"), GreenIcon());
    QImage alpha(40, 20, QImage::Format_ARGB32);
    alpha.fill(QColor(10, 200, 30, 128));
    QVERIFY(alpha.save(Path("a.png")));
    QVERIFY(QFile::copy(Path("a.png"), Path("png-bytes.gif")));
    WriteBytes(Path("bad.ico"), QByteArray("\0\0\2\0\1\0", 6));
    WriteBytes(Path("wide.bmp"), Bmp(Pattern(300, 100)));
    WriteBytes(Path("large.bmp"), Bmp(Pattern(1600, 1200)));
    WriteBytes(Path("small.bmp"), Bmp(Pattern(100, 50)));
    WriteBytes(Path("tall.bmp"), Bmp(Pattern(20, 70)));
}

void TestCli::info_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<int>("status");
    const auto block = [](QStringList lines) { return lines.join('\n') + '\n'; };
    QTest::newRow("24-bit bitmap") << "a.bmp"
                                   << block({"file: a.bmp", "kind: bitmap", "width: 40", "height: 20",
                                             "pixel-format: 24-bit", "monochrome: no"})
                                   << 0;
    QTest::newRow("1-bit bitmap") << "mono.bmp"
                                  << block({"file: mono.bmp", "kind: bitmap", "width: 40", "height: 20",
                                            "pixel-format: 1-bit", "monochrome: yes"})
                                  << 0;
    QTest::newRow("16-bit bitmap") << "p16.bmp"
                                   << block({"file: p16.bmp", "kind: bitmap", "width: 40", "height: 20",
                                             "pixel-format: 16-bit", "monochrome: no"})
                                   << 0;
    QTest::newRow("baseline JPEG") << "b.jpg"
                                   << block({"file: b.jpg", "kind: jpeg", "width: 40", "height: 20", "progressive: no",
                                             "greyscale: no"})
                                   << 0;
    QTest::newRow("progressive JPEG, upper case")
        << "p.JPEG"
        << block({"file: p.JPEG", "kind: jpeg", "width: 40", "height: 20", "progressive: yes", "greyscale: no"}) << 0;
    QTest::newRow("greyscale JPEG") << "g.jpg"
                                    << block({"file: g.jpg", "kind: jpeg", "width: 40", "height: 20", "progressive: no",
                                              "greyscale: yes"})
                                    << 0;
    QTest::newRow("empty JPEG") << "empty.jpg"
                                << block({"file: empty.jpg",
                                          QStringLiteral("error: JPEG error #%1").arg(JpegEmptyInputCode())})
                                << 1;
    QTest::newRow("icon") << "i.ico" << block({"file: i.ico", "kind: icon", "width: 16", "height: 16"}) << 0;
    QTest::newRow("bad icon") << "bad.ico" << block({"file: bad.ico", "error: Icon image is not valid"}) << 1;
    QTest::newRow("PNG with alpha") << "a.png"
                                    << block({"file: a.png", "kind: png", "width: 40", "height: 20",
                                              "colours: RGBA, 8-bit", "frames: 1"})
                                    << 0;
    QTest::newRow("PNG bytes named .gif")
        << "png-bytes.gif"
        << block({"file: png-bytes.gif", "kind: png", "width: 40", "height: 20", "colours: RGBA, 8-bit", "frames: 1"})
        << 0;
    QTest::newRow("unknown extension") << "a.pcx"
                                       << block({"file: a.pcx", "error: Unknown picture file extension (.pcx)"}) << 1;
}

void TestCli::info()
{
    QFETCH(QString, file);
    QFETCH(QString, expected);
    QFETCH(int, status);
    const Outcome o = Run({"info", file});
    QCOMPARE(o.out, expected);
    QCOMPARE(o.status, status);
}

void TestCli::infoSeveralFiles()
{
    const Outcome o = Run({"info", "bad.ico", "i.ico", "missing.bmp"});
    QCOMPARE(o.status, 1);
    const QStringList blocks = o.out.split(QStringLiteral("\n\n"));
    QCOMPARE(blocks.size(), 3);
    QCOMPARE(blocks[0], QStringLiteral("file: bad.ico\nerror: Icon image is not valid"));
    QCOMPARE(blocks[1], QStringLiteral("file: i.ico\nkind: icon\nwidth: 16\nheight: 16"));
    QVERIFY2(blocks[2].startsWith(QStringLiteral("file: missing.bmp\nerror: ")), qPrintable(blocks[2]));
    QVERIFY(blocks[2].endsWith('\n') && !blocks[2].endsWith(QStringLiteral("\n\n")));
}

void TestCli::namesNotUtf8_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QString>("shown");
    QTest::newRow("byte ff") << QByteArray("\xff.jpg") << QStringLiteral("\uFFFD.jpg");
    QTest::newRow("latin-1 e acute") << QByteArray("caf\xe9.jpg") << QStringLiteral("caf\uFFFD.jpg");
}

// Read and written by the bytes of their names, which are shown with replacement characters.
void TestCli::namesNotUtf8()
{
    QFETCH(QByteArray, name);
    QFETCH(QString, shown);
    const QByteArray dir = QFile::encodeName(m_dir.path()) + '/';
    QCOMPARE(::rename((dir + "b.jpg").constData(), (dir + name).constData()), 0);
    const Outcome info = RunBytes({"info", name});
    const Outcome save = RunBytes({"save", name, "out-" + name});
    ::rename((dir + name).constData(), (dir + "b.jpg").constData());
    QCOMPARE(info.out, "file: " + shown + "\nkind: jpeg\nwidth: 40\nheight: 20\nprogressive: no\ngreyscale: no\n");
    QCOMPARE(save.err, QString());
    QCOMPARE(::unlink((dir + "out-" + name).constData()), 0);
}

void TestCli::render_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("fit"); // empty: full size
    QTest::addColumn<QSize>("size");
    QTest::addColumn<int>("tolerance"); // per channel, for lossy or resampled output
    QTest::newRow("bitmap full size") << "a.bmp"
                                      << "" << QSize(40, 20) << 0;
    QTest::newRow("bitmap fitted by width") << "a.bmp"
                                            << "10x10" << QSize(10, 5) << 40;
    QTest::newRow("bitmap fitted by height") << "a.bmp"
                                             << "100x4" << QSize(8, 4) << 40;
    QTest::newRow("bitmap never enlarged") << "a.bmp"
                                           << "400x400" << QSize(40, 20) << 0;
    QTest::newRow("tall bitmap fitted") << "tall.bmp"
                                        << "35x35" << QSize(10, 35) << 40;
    QTest::newRow("JPEG full size") << "b.jpg"
                                    << "" << QSize(40, 20) << 24;
    QTest::newRow("progressive JPEG fitted") << "p.JPEG"
                                             << "20x20" << QSize(20, 10) << 48;
}

void TestCli::render()
{
    QFETCH(QString, file);
    QFETCH(QString, fit);
    QFETCH(QSize, size);
    QFETCH(int, tolerance);
    QStringList args {"render", file, "out.png"};
    if (!fit.isEmpty())
        args << "--fit" << fit;
    QFile::remove(Path("out.png"));
    const Outcome o = Run(args);
    QCOMPARE(o.err, QString());
    QCOMPARE(o.status, 0);
    const QImage out(Path("out.png"));
    QCOMPARE(out.size(), size);
    // The four corners show the source's corners (the pattern runs from black-ish to yellow-ish).
    const QImage source = file == "tall.bmp" ? Pattern(20, 70) : m_pattern;
    const QList<QPoint> corners {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
    for (const QPoint& c : corners) {
        const QPoint o1(c.x() * (out.width() - 1), c.y() * (out.height() - 1));
        const QPoint s1(c.x() * (source.width() - 1), c.y() * (source.height() - 1));
        const QRgb a = out.pixel(o1), b = source.pixel(s1);
        QVERIFY2(
            std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
                qAlpha(a) == 255,
            qPrintable(QStringLiteral("corner %1,%2: %3 vs %4").arg(o1.x()).arg(o1.y()).arg(a, 0, 16).arg(b, 0, 16)));
    }
    if (tolerance == 0)
        QCOMPARE(out.convertToFormat(QImage::Format_RGB32), source);
}

void TestCli::renderFailures_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("err");
    QTest::newRow("empty JPEG") << QStringList {"render", "empty.jpg", "x.png"} << 1
                                << QStringLiteral("JPEG error #%1\n").arg(JpegEmptyInputCode());
    QTest::newRow("bad icon") << QStringList {"render", "bad.ico", "x.png"} << 1 << "Icon image is not valid\n";
    QTest::newRow("unknown extension") << QStringList {"render", "a.pcx", "x.png"} << 1
                                       << "Unknown picture file extension (.pcx)\n";
    QTest::newRow("fit without height") << QStringList {"render", "a.bmp", "x.png", "--fit", "30"} << 2 << "";
    QTest::newRow("unknown option") << QStringList {"render", "a.bmp", "x.png", "--size", "3"} << 2 << "";
}

void TestCli::renderFailures()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, err);
    const Outcome o = Run(args);
    QCOMPARE(o.status, status);
    QVERIFY2(o.err.startsWith(QStringLiteral("lumivue-picture: ") + err), qPrintable(o.err));
    QVERIFY(!QFile::exists(Path("x.png")));
}

void TestCli::saveBitmap_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("bitCount");
    QTest::addColumn<int>("colours");
    QTest::addColumn<bool>("masks");
    QTest::newRow("bitmap as it is") << "a.bmp" << QStringList {} << 24 << 0 << false;
    QTest::newRow("16-bit bitmap keeps its format") << "p16.bmp" << QStringList {} << 16 << 0 << true;
    QTest::newRow("to 8-bit") << "a.bmp" << QStringList {"--pixel-format", "8-bit"} << 8 << 256 << false;
    QTest::newRow("to 16-bit") << "a.bmp" << QStringList {"--pixel-format", "16-bit"} << 16 << 0 << true;
    QTest::newRow("monochrome") << "a.bmp" << QStringList {"--mono"} << 1 << 2 << false;
    QTest::newRow("JPEG source: 24-bit") << "b.jpg" << QStringList {} << 24 << 0 << false;
}

void TestCli::saveBitmap()
{
    QFETCH(QString, source);
    QFETCH(QStringList, options);
    QFETCH(int, bitCount);
    QFETCH(int, colours);
    QFETCH(bool, masks);
    const Outcome o = Run(QStringList {"save", source, "out.bmp"} + options);
    QCOMPARE(o.err, QString());
    QCOMPARE(o.status, 0);
    TBitmap saved;
    saved.LoadFromFile(Path("out.bmp"));
    QCOMPARE(saved.Width(), 40);
    QCOMPARE(saved.Height(), 20);
    QCOMPARE(int(saved.Dib().bitCount), bitCount);
    QCOMPARE(int(saved.Dib().colors.size()), colours);
    QCOMPARE(saved.Dib().hasMasks, masks);
    if (bitCount == 1) // black and white
        QCOMPARE(saved.Dib().colors, (std::vector<RgbQuad> {{0, 0, 0, 0}, {255, 255, 255, 0}}));
}

void TestCli::saveJpeg_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("expected"); // the exact bytes of the written file
    const QByteArray baseline = ReadBytes(Path("b.jpg"));
    const auto decoded = [&](const QString& file) {
        const JpegDecodeResult r = JpegDecode(ReadBytes(Path(file)), JpegDecodeOptions {}, {});
        return DibToQImage(*r.dib);
    };
    QTest::newRow("JPEG copied at quality 100") << "b.jpg" << QStringList {} << baseline;
    QTest::newRow("progressive JPEG copied")
        << "p.JPEG" << QStringList {"--quality", "100"} << ReadBytes(Path("p.JPEG"));
    QTest::newRow("bitmap at 100: 90 baseline") << "a.bmp" << QStringList {} << Jpeg(m_pattern, 90, false, false);
    QTest::newRow("bitmap at 75") << "a.bmp" << QStringList {"--quality", "75"} << Jpeg(m_pattern, 75, false, false);
    QTest::newRow("bitmap at 75 progressive")
        << "a.bmp" << QStringList {"--quality", "75", "--progressive"} << Jpeg(m_pattern, 75, false, true);
    QTest::newRow("JPEG re-encoded at 50")
        << "b.jpg" << QStringList {"--quality", "50"} << Jpeg(decoded("b.jpg"), 50, false, false);
    QTest::newRow("JPEG re-encoded progressive")
        << "b.jpg" << QStringList {"--progressive", "--quality", "99"} << Jpeg(decoded("b.jpg"), 99, false, true);
}

void TestCli::saveJpeg()
{
    QFETCH(QString, source);
    QFETCH(QStringList, options);
    QFETCH(QByteArray, expected);
    const Outcome o = Run(QStringList {"save", source, "out.jpg"} + options);
    QCOMPARE(o.err, QString());
    QCOMPARE(o.status, 0);
    const QByteArray written = ReadBytes(Path("out.jpg"));
    QCOMPARE(written.size(), expected.size());
    QVERIFY(written == expected);
}

void TestCli::thumbnailSizes_data()
{
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("out");
    QTest::addColumn<QString>("max");
    QTest::addColumn<QSize>("size");
    QTest::newRow("1600x1200 to 150") << "large.bmp"
                                      << "t.bmp"
                                      << "150" << QSize(150, 112);
    QTest::newRow("100x50 to 3600") << "small.bmp"
                                    << "t.bmp"
                                    << "3600" << QSize(3600, 1800);
    QTest::newRow("300x100 to 3: height 0 made 1") << "wide.bmp"
                                                   << "t.bmp"
                                                   << "3" << QSize(3, 1);
    QTest::newRow("20x70 to 7: width just under 2") << "tall.bmp"
                                                    << "t.bmp"
                                                    << "7" << QSize(1, 7);
    QTest::newRow("JPEG thumbnail as JPEG") << "b.jpg"
                                            << "t.jpg"
                                            << "16" << QSize(16, 8);
    QTest::newRow("bitmap thumbnail as JPEG") << "a.bmp"
                                              << "t.jpeg"
                                              << "10" << QSize(10, 5);
}

void TestCli::thumbnailSizes()
{
    QFETCH(QString, source);
    QFETCH(QString, out);
    QFETCH(QString, max);
    QFETCH(QSize, size);
    const Outcome o = Run({"save", source, out, "--thumbnail", max});
    QCOMPARE(o.err, QString());
    QCOMPARE(o.status, 0);
    const QByteArray written = ReadBytes(Path(out));
    if (out.endsWith(QLatin1String(".bmp"))) {
        TBitmap saved;
        saved.LoadFromBytes(written);
        QCOMPARE(QSize(saved.Width(), saved.Height()), size);
    } else {
        // A thumbnail is never a byte copy: it is encoded anew at 90 (its quantisation
        // tables are those of quality 90), baseline.
        const JpegHeader h = JpegReadHeader(written);
        QCOMPARE(QSize(h.width, h.height), size);
        QVERIFY(!h.multiScan);
        QCOMPARE(QuantTables(written), QuantTables(Jpeg(m_pattern, 90, false, false)));
        QVERIFY(QuantTables(written) != QuantTables(Jpeg(m_pattern, 89, false, false)));
    }
}

// An icon is saved at the system icon size on the button face, whatever the thumbnail says.
void TestCli::iconSavedAtSystemSize()
{
    const Outcome o = Run({"save", "i.ico", "icon.bmp", "--thumbnail", "8"});
    QCOMPARE(o.status, 0);
    TBitmap saved;
    saved.LoadFromFile(Path("icon.bmp"));
    QCOMPARE(QSize(saved.Width(), saved.Height()), QSize(32, 32)); // the default screen facts
    QCOMPARE(saved.Dib().PixelRgb(0, 0), 0xfff0f0f0u);             // masked pixel: button face
    QCOMPARE(saved.Dib().PixelRgb(31, 31), 0xff00ff00u);           // scaled from 16 to 32
}

void TestCli::refusals_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("err"); // empty: a usage message
    QTest::newRow("custom pixel format") << QStringList {"save", "a.bmp", "keep.bmp", "--pixel-format", "Custom"} << 2
                                         << "Invalid pixel format\n";
    QTest::newRow("mono with 8-bit") << QStringList {"save", "a.bmp", "keep.bmp", "--pixel-format", "8-bit", "--mono"}
                                     << 2 << "Cannot be mono unless 1-bit selected\n";
    QTest::newRow("quality 101") << QStringList {"save", "a.bmp", "keep.jpg", "--quality", "101"} << 2
                                 << "Invalid compression rate\n";
    QTest::newRow("quality abc") << QStringList {"save", "a.bmp", "keep.jpg", "--quality", "abc"} << 2
                                 << "Invalid compression rate\n";
    QTest::newRow("progressive at 100") << QStringList {"save", "b.jpg", "keep.jpg", "--progressive"} << 2
                                        << "Can only encode if quality less than 100\n";
    QTest::newRow("thumbnail 0") << QStringList {"save", "a.bmp", "keep.bmp", "--thumbnail", "0"} << 2
                                 << "Invalid max size\n";
    QTest::newRow("bad source keeps target")
        << QStringList {"save", "bad.ico", "keep.bmp"} << 1 << "Icon image is not valid\n";
    QTest::newRow("empty JPEG to bitmap") << QStringList {"save", "empty.jpg", "keep.bmp"} << 1
                                          << QStringLiteral("JPEG error #%1\n").arg(JpegEmptyInputCode());
    QTest::newRow("unknown pixel format")
        << QStringList {"save", "a.bmp", "keep.bmp", "--pixel-format", "12-bit"} << 2 << "";
    QTest::newRow("quality for a bitmap") << QStringList {"save", "a.bmp", "keep.bmp", "--quality", "50"} << 2 << "";
    QTest::newRow("mono for a JPEG") << QStringList {"save", "a.bmp", "keep.jpg", "--mono"} << 2 << "";
    QTest::newRow("icon output") << QStringList {"save", "a.bmp", "keep.ico"} << 2 << "";
    QTest::newRow("render to a .bmp name") << QStringList {"render", "a.bmp", "keep.bmp"} << 2 << "";
    QTest::newRow("no command") << QStringList {} << 2 << "";
    QTest::newRow("unknown command") << QStringList {"convert", "a.bmp"} << 2 << "";
}

void TestCli::refusals()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, err);
    const QByteArray old("old contents");
    for (const char* name : {"keep.bmp", "keep.jpg", "keep.ico"})
        WriteBytes(Path(name), old);
    const Outcome o = Run(args);
    QCOMPARE(o.status, status);
    // Every message starts with the tool's name; a usage mistake's ends with where to find help.
    QVERIFY2(o.err.startsWith(QStringLiteral("lumivue-picture: ") + err), qPrintable(o.err));
    QCOMPARE(o.err.contains(QStringLiteral("--help")), status == 2);
    QCOMPARE(o.out, QString());
    for (const char* name : {"keep.bmp", "keep.jpg", "keep.ico"})
        QCOMPARE(ReadBytes(Path(name)), old); // nothing written over the old file
}

void TestCli::version()
{
    const Outcome o = Run({"--version"});
    QCOMPARE(o.status, 0);
    QVERIFY2(QRegularExpression(QStringLiteral("^lumivue-picture \\d+\\.\\d+\n$")).match(o.out).hasMatch(),
             qPrintable(o.out));
}

enum class WriteFault {
    NoRoom,               // writes past 64 bytes fail, as on a full disk
    ReadOnlyFolder,       // a writable file in a folder the user may not write to: written in place
    ReadOnlyFolderNoRoom, // the same, and no room for the new content
    ReadOnlyFolderPipe    // the target is a named pipe with no reader
};

void TestCli::writeFaults_data()
{
    QTest::addColumn<QStringList>("command");
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QByteArray>("magic");
    QTest::addColumn<int>("faultNumber");
    const QStringList save {"save", "a.bmp"}, render {"render", "a.bmp"};
    const std::pair<WriteFault, const char*> faults[] = {
        {WriteFault::NoRoom, "no room"},
        {WriteFault::ReadOnlyFolder, "read-only folder"},
        {WriteFault::ReadOnlyFolderNoRoom, "read-only folder, no room"},
        {WriteFault::ReadOnlyFolderPipe, "read-only folder, pipe"},
    };
    for (const auto& [fault, name] : faults) {
        QTest::addRow("save bitmap, %s", name) << save << "bmp" << QByteArray("BM") << int(fault);
        QTest::addRow("save JPEG, %s", name) << save << "jpg" << QByteArray("\xff\xd8") << int(fault);
        QTest::addRow("render PNG, %s", name) << render << "png" << QByteArray("\x89PNG") << int(fault);
    }
}

// A save that finds no room reports the system's reason and keeps the old file; a save over
// a writable file in a folder the user may not write to replaces its content in place, only
// once its room is sure; a pipe is never opened for writing.
void TestCli::writeFaults()
{
    QFETCH(QStringList, command);
    QFETCH(QString, extension);
    QFETCH(QByteArray, magic);
    QFETCH(int, faultNumber);
    const auto fault = WriteFault(faultNumber);
    const bool readOnlyFolder = fault != WriteFault::NoRoom;
    const bool noRoom = fault == WriteFault::NoRoom || fault == WriteFault::ReadOnlyFolderNoRoom;
    const bool pipe = fault == WriteFault::ReadOnlyFolderPipe;
    const QString folder = QStringLiteral("fault%1-").arg(int(fault)) + extension;
    const QString target = folder + QStringLiteral("/out.") + extension;
    QVERIFY(QDir(m_dir.path()).mkpath(folder));
    const QByteArray old("old contents");
    const QByteArray targetPath = QFile::encodeName(Path(target));
    if (pipe) {
        QVERIFY(::mkfifo(targetPath.constData(), 0666) == 0);
    } else {
        WriteBytes(Path(target), old);
        QVERIFY(::chmod(targetPath.constData(), 0666) == 0);
    }

    const QFile::Permissions dirWas = QFile::permissions(m_dir.path());
    const QByteArray folderPath = QFile::encodeName(Path(folder));
    QString tool = QStringLiteral(LUMIVUE_PICTURE_TOOL);
    const bool otherUser = readOnlyFolder && ::geteuid() == 0;
    if (readOnlyFolder) {
        QVERIFY(::chmod(folderPath.constData(), 0555) == 0);
        QVERIFY(QFile::setPermissions(m_dir.path(), dirWas | QFile::ExeOther | QFile::ReadOther));
    }
    if (otherUser) {
        // The super-user writes anywhere, so the tool then runs as an ordinary user, who must
        // reach the program too, wherever the build lies: a copy beside the test's files.
        tool = Path(QStringLiteral("tool-copy"));
        QFile::remove(tool);
        QVERIFY(QFile::copy(QStringLiteral(LUMIVUE_PICTURE_TOOL), tool));
        QVERIFY(::chmod(QFile::encodeName(tool).constData(), 0755) == 0);
    }
    const Outcome o = Run(
        QStringList(command) << target,
        [otherUser, noRoom] {
            ::alarm(30); // a write that waits for a reader ends the run instead of the suite
            if (otherUser && (::setgid(65534) != 0 || ::setuid(65534) != 0))
                ::_exit(99);
            if (noRoom) {
                const struct rlimit limit {
                    64, 64
                };
                ::signal(SIGXFSZ, SIG_IGN);
                ::setrlimit(RLIMIT_FSIZE, &limit);
            }
        },
        tool);
    ::chmod(folderPath.constData(), 0755);
    QFile::setPermissions(m_dir.path(), dirWas);

    const auto failure = [&target](const QString& reason) {
        return QStringLiteral("lumivue-picture: Cannot create file \"%1\". %2\n").arg(target, reason);
    };
    if (pipe) {
        QCOMPARE(o.err, failure(QStringLiteral("Not a regular file")));
        QCOMPARE(o.status, 1);
        struct stat st {};
        QVERIFY(::lstat(targetPath.constData(), &st) == 0 && S_ISFIFO(st.st_mode));
    } else if (noRoom) {
        QCOMPARE(o.err, failure(QString::fromLocal8Bit(std::strerror(EFBIG))));
        QCOMPARE(o.status, 1);
        QCOMPARE(ReadBytes(Path(target)), old);
    } else {
        QCOMPARE(o.err, QString());
        QCOMPARE(o.status, 0);
        QVERIFY(ReadBytes(Path(target)).startsWith(magic));
    }
    QCOMPARE(QDir(Path(folder)).entryList(QDir::Files | QDir::System),
             QStringList {QStringLiteral("out.") + extension});
}

QTEST_GUILESS_MAIN(TestCli)
#include "test_cli.moc"
