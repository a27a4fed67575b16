// SPDX-License-Identifier: GPL-3.0-or-later
// Pictures with embedded profiles of every common kind show the colours ImageMagick's
// conversion to sRGB gives, measured as the mean CIEDE2000 difference over flat colour blocks,
// in the full picture, its display copy and a page cell; and sRGB turned into a display profile's colours.
#include <lcms2.h>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include "picture/Bitmap.h"
#include "picture/ColourProfile.h"
#include "picture/JpegImage.h"
#include "picture/PictureThumbnail.h"
#include "picture/RasterBitmap.h"
#include "picture/ScreenFacts.h"
#include "JpegSegments.h"
#include "TestProfiles.h"

namespace {

constexpr int kBlocks = 8, kBlock = 32;

// Blocks spread over the colour cube as a photo's colours are: short of its very edges, where
// clipping to sRGB's gamut, not the profile's reading, decides the result.
QImage Blocks()
{
    QImage image(kBlocks * kBlock, kBlocks * kBlock, QImage::Format_RGB32);
    for (int i = 0; i < kBlocks * kBlocks; ++i) {
        const int r = 24 + (i * 97) % 208, g = 24 + (i * 53 + 40) % 208, b = 24 + (i * 181 + 90) % 208;
        for (int y = 0; y < kBlock; ++y)
            for (int x = 0; x < kBlock; ++x)
                image.setPixel(i % kBlocks * kBlock + x, i / kBlocks * kBlock + y, qRgb(r, g, b));
    }
    return image;
}

double MeanDeltaE(const QImage& got, const QImage& want)
{
    cmsHPROFILE srgb = cmsCreate_sRGBProfile(), lab = cmsCreateLab4Profile(nullptr);
    cmsHTRANSFORM toLab = cmsCreateTransform(srgb, TYPE_RGB_DBL, lab, TYPE_Lab_DBL, INTENT_RELATIVE_COLORIMETRIC, 0);
    double sum = 0;
    for (int i = 0; i < kBlocks * kBlocks; ++i) {
        const auto centre = [i](const QImage& image) {
            const int side = image.width() / kBlocks;
            const QColor c = image.pixelColor(i % kBlocks * side + side / 2, i / kBlocks * side + side / 2);
            return std::array<double, 3> {c.redF(), c.greenF(), c.blueF()};
        };
        cmsCIELab a, b;
        cmsDoTransform(toLab, centre(got).data(), &a, 1);
        cmsDoTransform(toLab, centre(want).data(), &b, 1);
        sum += cmsCIE2000DeltaE(&a, &b, 1, 1, 1);
    }
    cmsDeleteTransform(toLab);
    cmsCloseProfile(lab);
    cmsCloseProfile(srgb);
    return sum / (kBlocks * kBlocks);
}

} // namespace

class TestColourEngine : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

    QString Path(const QString& name) const { return dir_.filePath(name); }
    QImage Convert(const QString& tagged)
    {
        QProcess p;
        // At 16 bits: ImageMagick's 8-bit result truncates, half a level short on average.
        p.start(QStringLiteral("convert"), {tagged, "-profile", Path("srgb.icc"), "-depth", "16", Path("want.png")});
        if (!p.waitForFinished(60000) || p.exitCode() != 0)
            return {};
        return QImage(Path("want.png"));
    }

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable("convert").isEmpty())
            QSKIP("ImageMagick's convert is not installed");
        QVERIFY(dir_.isValid());
        QFile srgb(Path("srgb.icc"));
        QVERIFY(srgb.open(QIODevice::WriteOnly) && srgb.write(testprofiles::Srgb()) > 0);
        QVERIFY(Blocks().save(Path("plain.png")));
    }
    void init() { SetScreenFacts(ScreenFacts {}); }

    void matchesImageMagick_data()
    {
        QTest::addColumn<QByteArray>("profile");
        QTest::addColumn<bool>("jpeg");
        QTest::newRow("JPEG, Adobe RGB v2 matrix") << testprofiles::AdobeV2() << true;
        QTest::newRow("JPEG, wide gamut v4 matrix") << testprofiles::WideV4() << true;
        QTest::newRow("JPEG, table-based") << testprofiles::TableV2() << true;
        QTest::newRow("PNG, table-based") << testprofiles::TableV2() << false;
    }
    void matchesImageMagick()
    {
        QFETCH(QByteArray, profile);
        QFETCH(bool, jpeg);
        QImage full, thumbnail, pageCell;
        QString tagged;
        if (jpeg) {
            TJpegImage plain;
            plain.AssignBitmap(TBitmap(DibFromQImage(Blocks())));
            plain.settings.quality = 95;
            const QByteArray bytes = jpegseg::WithSegments(plain.SaveToBytes(), jpegseg::IccMarkers(profile));
            tagged = Path("tagged.jpg");
            QFile f(tagged);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
            f.close();
            TJpegImage read;
            read.LoadFromBytes(bytes);
            const DecodeResult r = TJpegImage::RunCacheJob(*read.StartCacheJob(QSize(64, 64)));
            QVERIFY2(r.error.isEmpty(), qPrintable(r.error));
            thumbnail = r.cache;
            full = DibToQImage(read.Bitmap().Dib());
            QCOMPARE(thumbnail.width(), 64);
            // A page cell, whose colours are mapped after its reduction.
            TThumbnail cell;
            cell.LoadHeader(tagged, GraphicKind::Jpeg);
            const std::optional<DecodeJob> job = cell.StartJob(QSize(64, 64));
            QVERIFY(job);
            pageCell = RunThumbnailJob(*job).fitted;
            QCOMPARE(pageCell.width(), 64);
        } else {
            QFile icc(Path("profile.icc"));
            QVERIFY(icc.open(QIODevice::WriteOnly) && icc.write(profile) == profile.size());
            icc.close();
            tagged = Path("tagged.png");
            // Given to a picture without one, ImageMagick's -profile attaches it unchanged.
            QCOMPARE(QProcess::execute("convert", {Path("plain.png"), "-profile", icc.fileName(), tagged}), 0);
            QFile f(tagged);
            QVERIFY(f.open(QIODevice::ReadOnly));
            TRasterBitmap read(GraphicKind::Png);
            read.LoadFromBytes(f.readAll());
            full = DibToQImage(read.Dib());
        }
        const QImage want = Convert(tagged);
        QVERIFY(!want.isNull());
        QVERIFY2(MeanDeltaE(full, want) <= 0.2, qPrintable(QString::number(MeanDeltaE(full, want))));
        for (const QImage& small : {thumbnail, pageCell})
            if (!small.isNull())
                QVERIFY2(MeanDeltaE(small, want) <= 0.2, qPrintable(QString::number(MeanDeltaE(small, want))));
        // The profile matters: the stored colours themselves are far from the meant ones.
        QVERIFY(MeanDeltaE(Blocks(), want) > 2);
    }

    // sRGB turned into a display's colours, as ImageMagick turns it.
    void displayColoursMatchImageMagick_data()
    {
        QTest::addColumn<QByteArray>("profile");
        QTest::newRow("Adobe RGB v2 matrix") << testprofiles::AdobeV2();
        QTest::newRow("wide gamut v4 matrix") << testprofiles::WideV4();
    }
    void displayColoursMatchImageMagick()
    {
        QFETCH(QByteArray, profile);
        QFile icc(Path("display.icc"));
        QVERIFY(icc.open(QIODevice::WriteOnly) && icc.write(profile) == profile.size());
        icc.close();
        QCOMPARE(QProcess::execute("convert",
                                   {Path("plain.png"), "-profile", Path("srgb.icc"), "-profile", icc.fileName(),
                                    "-depth", "16", Path("display.png")}),
                 0);
        const QImage want(Path("display.png"));
        QImage shown = Blocks();
        SrgbToProfile(profile)->MapImage(shown);
        QVERIFY2(MeanDeltaE(shown, want) <= 0.2, qPrintable(QString::number(MeanDeltaE(shown, want))));
        QVERIFY(MeanDeltaE(Blocks(), want) > 2);
    }
};

QTEST_GUILESS_MAIN(TestColourEngine)
#include "test_colour_engine.moc"
