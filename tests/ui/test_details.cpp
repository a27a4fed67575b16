// SPDX-License-Identifier: GPL-3.0-or-later
// The facts a thumbnail click gathers and the details panel, driven through the click on real files.
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>
#include "BmpFileBuilder.h"
#include "app/lib/Application.h"
#include "picture/Bitmap.h"
#include "controls/DecodeQueue.h"
#include "controls/ImageControl.h"
#include "picture/PictureThumbnail.h"
#include "ScriptedPlatform.h"
#include "TestFiles.h"
#include "JpegSegments.h"
#include "TestPictures.h"
#include "MainWindowFixture.h"
#include "ui/browser/Viewmain.h"

namespace {
struct Window : MainWindowFixture<> {
    // The page's decodes finished: a bitmap cell knows its pixel format then.
    void Open()
    {
        OpenWindow();
        form->Decoder().Drain();
    }
    // Clicks thumbnail n and chooses "Details" in its popup.
    void Details(int n)
    {
        platform.menuChoices = {QStringLiteral("Details")};
        form->AllImageClick(form->Thumbnail(n));
    }
    bool Shown(QWidget* w) const { return w->isVisibleTo(form.get()); }
    TDetailsPanel::Reading Reading() const { return form->Details().Shown(); }
};

// A bitmap file with a colour table for 8 bits or fewer; rows filled with a pattern.
QByteArray Bmp(uint32_t header, int w, int h, uint16_t bits)
{
    BmpBuild b;
    b.headerSize = header;
    b.width = w;
    b.height = h;
    b.bitCount = bits;
    if (bits <= 8) {
        const int n = 1 << bits;
        for (int i = 0; i < n; ++i)
            b.table.push_back(uint32_t(i * (255 / (n - 1))) * 0x010101u);
        if (header != 12)
            b.colorsUsed = uint32_t(n);
    }
    const int stride = ((std::abs(w) * bits + 31) / 32) * 4;
    b.pixels = QByteArray(stride * std::abs(h), '\x55');
    return BuildBmp(b);
}

// Every field a later click must refresh differs from what the subject files have.
void WritePrimer(const Window& w)
{
    WriteBytes(w.Path(QStringLiteral("a.bmp")), Bmp(40, 9, 11, 24));
}
}

class TestDetails : public QObject {
    Q_OBJECT
private slots:
    void bitmapFacts_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("height");
        QTest::addColumn<QString>("width");
        QTest::addColumn<QString>("bits");
        QTest::addColumn<bool>("mono");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("size");
        const auto row = [](const char* name, const QByteArray& file, const char* height, const char* width,
                            const char* bits, bool mono, TPixelFormat format, const char* size) {
            QTest::newRow(name) << file << height << width << bits << mono << int(format) << size;
        };
        row("640x480 24-bit", Bmp(40, 640, 480, 24), "480", "640", "24-bit", false, TPixelFormat::Bit24, "921654");
        row("top-down", Bmp(40, 5, -3, 24), "-3", "5", "24-bit", false, TPixelFormat::Bit24, "102");
        row("core header", Bmp(12, 6, 4, 8), "4", "6", "0-bit", false, TPixelFormat::Bit8, "826");
        row("core 1x1", Bmp(12, 1, 1, 24), "1", "1", "0-bit", false, TPixelFormat::Bit24, "30");
        row("108-byte header", Bmp(108, 7, 2, 8), "2", "7", "8-bit", false, TPixelFormat::Bit8, "1162");
        row("124-byte header", Bmp(124, 3, 8, 4), "8", "3", "4-bit", false, TPixelFormat::Bit4, "234");
        row("1-bit", Bmp(40, 16, 2, 1), "2", "16", "1-bit", true, TPixelFormat::Bit1, "70");
    }
    void bitmapFacts()
    {
        QFETCH(QByteArray, file);
        Window w;
        WritePrimer(w);
        WriteBytes(w.Path(QStringLiteral("b.bmp")), file);
        w.Open();
        const TThumbnail* subject = ThumbnailOf(w.form->Thumbnail(2)->Picture().Graphic());
        QVERIFY(subject && subject->Facts().decoded);
        w.Details(1);
        QCOMPARE(w.Reading().pixelFormat, QStringLiteral("24-bit"));
        w.Details(2);

        QCOMPARE(w.form->ImageInfo.FileName, QStringLiteral("b.bmp"));
        QTEST(w.Reading().height, "height");
        QTEST(w.Reading().width, "width");
        QTEST(w.Reading().size, "size");
        QTEST(w.Reading().pixelFormat, "bits");
        QTEST(w.Reading().monochrome, "mono");
        QTEST(int(w.form->ImageInfo.PixelFormat), "format");
        QVERIFY(w.Shown(&w.form->Details()));
        QVERIFY(w.Reading().bitmapPart);
        QVERIFY(!w.Reading().jpegPart);
        QVERIFY(w.platform.messages.empty());
        QCOMPARE(w.platform.menus.size(), size_t(2));
    }

    void unknownHeaderSize()
    {
        Window w;
        WritePrimer(w);
        WriteBytes(w.Path(QStringLiteral("b.bmp")), Bmp(64, 16, 16, 1));
        w.Open();
        const TThumbnail* subject = ThumbnailOf(w.form->Thumbnail(2)->Picture().Graphic());
        QVERIFY(subject && subject->Facts().monochrome); // what a refresh would have taken
        w.Details(1);
        w.Details(2);

        QCOMPARE(w.platform.messages.size(), size_t(1));
        QCOMPARE(w.platform.messages[0].kind, MessageKind::Error);
        QCOMPARE(w.platform.messages[0].caption, QCoreApplication::applicationName());
        QCOMPARE(w.platform.messages[0].text, QStringLiteral("Unkown Bitmap"));
        QCOMPARE(w.form->ImageInfo.PixelFormat, TPixelFormat::Bit24);
        QVERIFY(!w.form->ImageInfo.Monochrome);
        QCOMPARE(w.form->ImageInfo.Width, 9);
        QCOMPARE(w.form->ImageInfo.FileSize, uint32_t(QFile(w.Path(QStringLiteral("b.bmp"))).size()));
        QCOMPARE(w.platform.menus.size(), size_t(2));
        QVERIFY(w.platform.menus[1].chosen);
        QVERIFY(w.Shown(&w.form->Details()));
        // Nothing of the header was taken: the panel shows no earlier picture's numbers.
        QCOMPARE(w.Reading().pixelFormat, QString());
        QCOMPARE(w.Reading().width, QString());
        QVERIFY(!w.Reading().monochrome);
    }

    void jpegFacts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("progressive");
        QTest::addColumn<int>("orientation");
        QTest::addColumn<QSize>("shown");
        QTest::addColumn<QString>("stored");
        QTest::newRow("progressive .jpeg") << "b.jpeg" << true << 1 << QSize(120, 80) << "As stored";
        QTest::newRow("baseline .jpg, turned") << "b.jpg" << false << 6 << QSize(80, 120) << "Rotated 90°";
        QTest::newRow("upper-case .JPG, mirrored") << "b.JPG" << true << 2 << QSize(120, 80) << "Mirrored";
    }
    void jpegFacts()
    {
        QFETCH(QString, name);
        QFETCH(bool, progressive);
        QFETCH(int, orientation);
        QFETCH(QSize, shown);
        QFETCH(QString, stored);
        Window w;
        WriteTestJpeg(w.Path(QStringLiteral("a.jpg")), 10, 12, !progressive);
        WriteBytes(w.Path(QStringLiteral("a.jpg")),
                   jpegseg::WithOrientation(ReadBytes(w.Path(QStringLiteral("a.jpg"))), 8));
        WriteTestJpeg(w.Path(name), 120, 80, progressive);
        WriteBytes(w.Path(name), jpegseg::WithOrientation(ReadBytes(w.Path(name)), orientation));
        w.Open();
        w.Details(1);
        QCOMPARE(w.Reading().progressive, !progressive);
        QCOMPARE(w.Reading().orientation, QStringLiteral("Rotated 270°"));
        w.Details(2);
        QCOMPARE(w.Reading().width, QString::number(shown.width()));
        QCOMPARE(w.Reading().height, QString::number(shown.height()));
        QCOMPARE(w.Reading().orientation, stored);
        QCOMPARE(w.Reading().progressive, progressive);
        QCOMPARE(w.Reading().size, QString::number(QFile(w.Path(name)).size()));
        QVERIFY(w.Reading().jpegPart);
        QVERIFY(!w.Reading().bitmapPart);
        QVERIFY(w.platform.messages.empty());
    }

    // The JPEG facts are those of the picture the thumbnail holds, not a second reading of the file.
    void jpegFactsFromThumbnail()
    {
        Window w;
        WriteTestJpeg(w.Path(QStringLiteral("a.jpg")), 64, 48);
        w.Open();
        WriteTestJpeg(w.Path(QStringLiteral("a.jpg")), 200, 100, true);
        w.Details(1);
        QCOMPARE(w.form->ImageInfo.Width, 64);
        QCOMPARE(w.form->ImageInfo.Height, 48);
        QVERIFY(!w.form->ImageInfo.Progressive);
        QCOMPARE(w.form->ImageInfo.FileSize, uint32_t(QFile(w.Path(QStringLiteral("a.jpg"))).size()));
    }

    // Only the name and extension change; the panel leaves the facts it has not got blank.
    void nothingToRead_data()
    {
        QTest::addColumn<QString>("gone"); // a listed file removed before the click
        QTest::addColumn<int>("thumbnail");
        QTest::addColumn<QString>("ext");
        QTest::addColumn<bool>("jpegPanel");
        QTest::addColumn<bool>("bitmapPanel");
        QTest::newRow("vanished jpeg") << "b.jpg" << 2 << ".jpg" << true << false;
        QTest::newRow("vanished bitmap") << "c.bmp" << 3 << ".bmp" << false << true;
        QTest::newRow("empty cell") << "" << 4 << "" << true << false;
    }
    void nothingToRead()
    {
        QFETCH(QString, gone);
        QFETCH(int, thumbnail);
        Window w;
        WritePrimer(w);
        WriteTestJpeg(w.Path(QStringLiteral("b.jpg")), 30, 20, true);
        WriteBytes(w.Path(QStringLiteral("c.bmp")), Bmp(40, 16, 2, 1));
        w.Open();
        w.Details(1);
        const TImageInfo before = w.form->ImageInfo;
        if (!gone.isEmpty())
            QVERIFY(QFile::remove(w.Path(gone)));
        w.Details(thumbnail);

        const TImageInfo& now = w.form->ImageInfo;
        QCOMPARE(now.FileName, gone);
        QTEST(now.Ext, "ext");
        QCOMPARE(now.FileSize, before.FileSize);
        QCOMPARE(now.FileDate, before.FileDate);
        QCOMPARE(now.Width, before.Width);
        QCOMPARE(now.BitCount, before.BitCount);
        QCOMPARE(now.PixelFormat, before.PixelFormat);
        QCOMPARE(now.Monochrome, before.Monochrome);
        QCOMPARE(now.Progressive, before.Progressive);
        QVERIFY(w.platform.messages.empty());
        QCOMPARE(w.platform.menus.size(), size_t(2));
        QCOMPARE(w.Reading().name, gone);
        const TDetailsPanel::Reading shown = w.Reading();
        for (const QString& field : {shown.width, shown.height, shown.size, shown.date, shown.orientation})
            QVERIFY2(field.isEmpty(), qPrintable(field));
        if (w.Reading().bitmapPart)
            QVERIFY(w.Reading().pixelFormat.isEmpty());
        QTEST(w.Reading().jpegPart, "jpegPanel");
        QTEST(w.Reading().bitmapPart, "bitmapPanel");
    }

    void dateShown_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QDateTime>("modified");
        QTest::addColumn<QString>("shown");
        QTest::newRow("day first") << "dd/MM/yyyy" << QDateTime(QDate(2021, 3, 14), QTime(15, 9, 27)) << "14/03/2021";
        QTest::newRow("last second of a day")
            << "yyyy-MM-dd" << QDateTime(QDate(2003, 11, 5), QTime(23, 59, 59)) << "2003-11-05";
        QTest::newRow("before 1980") << "d.M.yy" << QDateTime(QDate(1975, 7, 4), QTime(0, 0, 1)) << "4.7.75";
    }
    void dateShown()
    {
        QFETCH(QString, format);
        QFETCH(QDateTime, modified);
        Window w;
        w.platform.dateFormat = format;
        WriteTestJpeg(w.Path(QStringLiteral("a.jpg")), 16, 16);
        QFile f(w.Path(QStringLiteral("a.jpg")));
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(modified, QFileDevice::FileModificationTime));
        f.close();
        w.Open();
        w.Details(1);
        QTEST(w.Reading().date, "shown");
    }

    void iconAndOkButton()
    {
        Window w;
        WritePrimer(w);
        WriteBytes(w.Path(QStringLiteral("b.ico")), MakeTestIcon({16, 32}));
        w.Open();
        w.Details(1);
        w.Details(2);
        QCOMPARE(w.form->ImageInfo.Ext, QStringLiteral(".ico"));
        QCOMPARE(w.Reading().width, QString()); // an icon's sides are not gathered
        QCOMPARE(w.Reading().height, QString());
        QCOMPARE(w.Reading().size, QString::number(QFile(w.Path(QStringLiteral("b.ico"))).size()));
        QVERIFY(w.Shown(&w.form->Details()));
        QVERIFY(!w.Reading().bitmapPart);
        QVERIFY(!w.Reading().jpegPart);
        w.form->Details().findChild<QPushButton*>()->click(); // its OK
        QVERIFY(!w.Shown(&w.form->Details()));
        QVERIFY(w.platform.messages.empty());
    }

    void panelCaptionsAndReadOnly()
    {
        Window w;
        w.Open();
        QStringList captions;
        const TDetailsPanel& panel = w.form->Details();
        for (const QLabel* l : panel.findChildren<QLabel*>())
            captions << l->text();
        for (const char* c : {"Name", "Height", "Width", "pixels", "Size", "bytes", "Date", "Pixel Format"})
            QVERIFY2(captions.contains(QLatin1String(c)), c);
        QStringList boxes;
        for (const QAbstractButton* b : panel.findChildren<QAbstractButton*>())
            boxes << b->text();
        boxes.sort();
        QCOMPARE(boxes, (QStringList {"Monochrome", "OK", "Progressive Encoding"}));
        for (const QLineEdit* e : panel.findChildren<QLineEdit*>())
            QVERIFY2(e->isReadOnly(), qPrintable(e->objectName()));
        QVERIFY(!w.Shown(&w.form->Details()));
    }
};

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    TestDetails test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_details.moc"
