// SPDX-License-Identifier: GPL-3.0-or-later
// Conformance over the public BMP suite in the corpus folder (skipped when it is absent):
// good files load and look like their references, questionable ones load or fail with one
// of the reader's own texts, bad ones never crash.
#include <QColorSpace>
#include <QFile>
#include <QtEndian>
#include <QImage>
#include <QTest>
#include "picture/Bitmap.h"
#include "picture/BmpCodec.h"
#include "picture/Failure.h"
#include "picture/ScreenFacts.h"
#include "TestFiles.h"

namespace {
QString SuiteDir()
{
    return CorpusDir().isEmpty() ? QString() : CorpusDir() + "/bmpsuite";
}

bool KnownFailureText(const QString& text)
{
    return text == QLatin1String(kBitmapInvalid) || text == QLatin1String(kOutOfResources);
}

// Every pixel's RGB within 3 of the reference's; with `opaqueOnly`, only where the
// reference is fully opaque. Returns an empty string or the first difference.
QString Compare(const DibImage& dib, const QImage& ref, bool opaqueOnly)
{
    if (dib.width != ref.width() || dib.height != ref.height())
        return QStringLiteral("size %1x%2, reference %3x%4")
            .arg(dib.width)
            .arg(dib.height)
            .arg(ref.width())
            .arg(ref.height());
    const QImage r = ref.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < r.height(); ++y)
        for (int x = 0; x < r.width(); ++x) {
            const QRgb want = r.pixel(x, y);
            if (opaqueOnly && qAlpha(want) != 255)
                continue;
            const uint32_t got = dib.PixelRgb(x, y);
            const int dr = std::abs(int((got >> 16) & 0xff) - qRed(want));
            const int dg = std::abs(int((got >> 8) & 0xff) - qGreen(want));
            const int db = std::abs(int(got & 0xff) - qBlue(want));
            if (dr > 3 || dg > 3 || db > 3)
                return QStringLiteral("pixel (%1,%2) is %3, reference %4")
                    .arg(x)
                    .arg(y)
                    .arg(got & 0xffffff, 6, 16, QChar('0'))
                    .arg(want & 0xffffff, 6, 16, QChar('0'));
        }
    return {};
}

// A file with an embedded profile is compared with its stored pixels as Qt's own reader gives
// them, turned by Qt's own reading of the profile: the suite's references are only close in
// the dark tones.
QImage ManagedReference(const QByteArray& file, const QImage& ref)
{
    const auto u32 = [&file](qsizetype at) {
        return at + 4 <= file.size() ? qFromLittleEndian<quint32>(file.constData() + at) : 0u;
    };
    if (u32(14) < 124 || u32(14 + 56) != 0x4D424544) // 'MBED'
        return ref;
    const QColorSpace space = QColorSpace::fromIccProfile(file.mid(14 + u32(14 + 112), u32(14 + 116)));
    QImage stored = QImage::fromData(file, "BMP");
    if (!space.isValid() || stored.isNull())
        return ref;
    stored.convertTo(QImage::Format_ARGB32);
    stored.applyColorTransform(space.transformationToColorSpace(QColorSpace::SRgb));
    return stored;
}

void AddSuiteRows()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("reference");
    QTest::addColumn<QString>("compare");
    const QString dir = SuiteDir();
    if (dir.isEmpty() || !QFile::exists(dir + "/expected.tsv"))
        QSKIP("BMP suite not present");
    const QList<QByteArray> lines = ReadBytes(dir + "/expected.tsv").split('\n');
    int rows = 0;
    for (const QByteArray& line : lines) {
        if (line.trimmed().isEmpty() || line.startsWith('#'))
            continue;
        const QList<QByteArray> f = line.trimmed().split('\t');
        if (f.size() < 4)
            continue;
        QTest::newRow(f[0].constData()) << QString::fromUtf8(f[0]) << QString::fromUtf8(f[1]) << QString::fromUtf8(f[2])
                                        << QString::fromUtf8(f[3]);
        ++rows;
    }
    if (rows == 0)
        QSKIP("BMP suite list is empty");
}
}

class TestBmpSuite : public QObject {
    Q_OBJECT
private slots:
    void init() { SetScreenFacts(ScreenFacts {}); }

    void conformance_data() { AddSuiteRows(); }
    void conformance()
    {
        QFETCH(QString, file);
        QFETCH(QString, kind);
        QFETCH(QString, reference);
        QFETCH(QString, compare);
        const QString dir = SuiteDir();
        const QByteArray bytes = ReadBytes(dir + "/" + file);
        QVERIFY2(!bytes.isEmpty(), qPrintable(file));

        TBitmap bitmap;
        QString error;
        try {
            bitmap.LoadFromBytes(bytes);
        } catch (const Failure& f) {
            error = f.Text();
        }
        if (kind == QLatin1String("good"))
            QVERIFY2(error.isEmpty(), qPrintable(file + ": " + error));
        if (!error.isEmpty()) {
            QVERIFY2(KnownFailureText(error), qPrintable(file + ": " + error));
            QVERIFY(!bitmap.HasImage());
            return;
        }
        QVERIFY(bitmap.HasImage());
        if (compare == QLatin1String("none") || reference == QLatin1String("-"))
            return;
        QImage ref(dir + "/" + reference);
        QVERIFY2(!ref.isNull(), qPrintable(reference));
        const QString diff = Compare(bitmap.Dib(), ManagedReference(bytes, ref), compare == QLatin1String("opaque"));
        QVERIFY2(diff.isEmpty(), qPrintable(file + ": " + diff));
        // What is drawn shows the same pixels.
        QCOMPARE(bitmap.Image().size(), ref.size());
    }

    // Whatever loads is written and read back with the same form and the same pixels.
    void writtenBack_data() { AddSuiteRows(); }
    void writtenBack()
    {
        QFETCH(QString, file);
        TBitmap bitmap;
        try {
            bitmap.LoadFromBytes(ReadBytes(SuiteDir() + "/" + file));
        } catch (const Failure&) {
            QSKIP("not loadable");
        }
        TBitmap again;
        again.LoadFromBytes(bitmap.SaveToBytes());
        const DibImage& a = bitmap.Dib();
        const DibImage& b = again.Dib();
        QCOMPARE(b.width, a.width);
        QCOMPARE(b.height, a.height);
        QCOMPARE(int(again.PixelFormat()), int(bitmap.PixelFormat()));
        QCOMPARE(b.coreHeader, a.coreHeader);
        for (int y = 0; y < a.height; ++y)
            for (int x = 0; x < a.width; ++x)
                if (a.PixelRgb(x, y) != b.PixelRgb(x, y))
                    QFAIL(qPrintable(QStringLiteral("%1: pixel (%2,%3) changed").arg(file).arg(x).arg(y)));
    }

    // Every suite file with bytes of its headers changed loads or fails with the reader's
    // own texts; whatever loads can be drawn and written.
    void mutated_data() { AddSuiteRows(); }
    void mutated()
    {
        QFETCH(QString, file);
        const QByteArray original = ReadBytes(SuiteDir() + "/" + file);
        uint32_t seed = uint32_t(qHash(file));
        auto next = [&seed] {
            seed = seed * 1103515245u + 12345u;
            return seed >> 8;
        };
        for (int round = 0; round < 150; ++round) {
            QByteArray m = original;
            const int span = std::min<int>(int(m.size()), 140);
            for (int i = 0, n = 1 + int(next() % 3); i < n && span > 0; ++i)
                m[int(next() % uint32_t(span))] = char(next() % 2 ? next() & 0xFF : 0xFF);
            TBitmap bitmap;
            try {
                bitmap.LoadFromBytes(m);
            } catch (const Failure& f) {
                QVERIFY2(KnownFailureText(f.Text()), qPrintable(f.Text()));
                continue;
            }
            if (int64_t(bitmap.Width()) * bitmap.Height() > 1024 * 1024)
                continue; // large but valid: drawing it here would only be slow
            bitmap.Image();
            TBitmap again;
            again.LoadFromBytes(bitmap.SaveToBytes());
            QCOMPARE(again.Width(), bitmap.Width());
        }
    }

    void reportedFormat_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("format");
        QTest::newRow("1-bit") << "g/pal1.bmp"
                               << "1-bit";
        QTest::newRow("4-bit") << "g/pal4.bmp"
                               << "4-bit";
        QTest::newRow("RLE 4-bit") << "g/pal4rle.bmp"
                                   << "Device";
        QTest::newRow("8-bit") << "g/pal8.bmp"
                               << "8-bit";
        QTest::newRow("RLE 8-bit") << "g/pal8rle.bmp"
                                   << "Device";
        QTest::newRow("core header") << "g/pal8os2.bmp"
                                     << "8-bit";
        QTest::newRow("16-bit without masks") << "g/rgb16.bmp"
                                              << "15-bit";
        QTest::newRow("16-bit 5-6-5 masks") << "g/rgb16-565.bmp"
                                            << "16-bit";
        QTest::newRow("16-bit 5-5-5 masks") << "g/rgb16bfdef.bmp"
                                            << "Custom";
        QTest::newRow("24-bit") << "g/rgb24.bmp"
                                << "24-bit";
        QTest::newRow("32-bit") << "g/rgb32.bmp"
                                << "32-bit";
        QTest::newRow("32-bit with masks") << "g/rgb32bfdef.bmp"
                                           << "Custom";
    }
    void reportedFormat()
    {
        QFETCH(QString, file);
        QFETCH(QString, format);
        if (SuiteDir().isEmpty())
            QSKIP("BMP suite not present");
        TBitmap bitmap;
        bitmap.LoadFromBytes(ReadBytes(SuiteDir() + "/" + file));
        QCOMPARE(PixelFormatName(bitmap.PixelFormat()), format);
    }
};

QTEST_MAIN(TestBmpSuite)
#include "test_bmpsuite.moc"
