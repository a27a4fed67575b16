// SPDX-License-Identifier: GPL-3.0-or-later
// PNG, GIF, WebP and TIFF files in the main window, offscreen: listed under "All Graphics" and
// "Other", drawn on the page, opened full screen, told in the details; read by their content
// when their name says another kind. The files are made with ImageMagick at test time.
#include <QBuffer>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include "controls/FileListBox.h"
#include "controls/ImageControl.h"
#include "controls/RadioGroup.h"
#include "DngWriter.h"
#include "HeifGrid.h"
#include "MainWindowFixture.h"
#include "TestFiles.h"
#include "ui/fullscreen/Full.h"
#include "ui/zoom/Zoom.h"
#include "ui/zoom/ZoomImage.h"

namespace {

const QColor kLeft(200, 30, 40), kRight(20, 60, 210);

struct Kinds : MainWindowFixture<> {
    // A 64 x 48 picture, red on the left and blue on the right, written as `name` by its extension.
    bool Make(const QString& name)
    {
        QImage image(64, 48, QImage::Format_RGB32);
        image.fill(kLeft);
        for (int y = 0; y < 48; ++y)
            for (int x = 32; x < 64; ++x)
                image.setPixelColor(x, y, kRight);
        const QString png = Path(QStringLiteral("source.png"));
        if (!image.save(png))
            return false;
        if (name.endsWith(QLatin1String(".dng"))) {
            QByteArray preview;
            QBuffer buffer(&preview);
            QFile file(Path(name));
            QFile::remove(png);
            return image.save(&buffer, "JPEG", 95) && file.open(QIODevice::WriteOnly) &&
                file.write(dng::Make(image, preview, dng::Shot {})) > 0;
        }
        // The phone and camera kinds by their own encoders, the rest by ImageMagick.
        const QStringList heic {QStringLiteral("-q"), QStringLiteral("90"), png, QStringLiteral("-o"), Path(name)};
        const QStringList jxl {png, Path(name), QStringLiteral("-d"), QStringLiteral("0")};
        const auto run = [](const QString& program, const QStringList& args) {
            QProcess p;
            p.start(program, args);
            return p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
        };
        const int code = name.endsWith(QLatin1String(".heic")) ? run(QStringLiteral("heif-enc"), heic)
            : name.endsWith(QLatin1String(".jxl"))             ? run(QStringLiteral("cjxl"), jxl)
                                                               : run(QStringLiteral("convert"), {png, Path(name)});
        QFile::remove(png);
        return code == 0;
    }
    void ShowType(int item)
    {
        form->rdgType->SetItemIndex(item);
        form->rdgTypeClick();
        form->Decoder().Drain();
    }
};

bool Near(QColor a, QColor b)
{
    return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) < 40;
}

} // namespace

class TestOtherKinds : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        for (const char* tool : {"convert", "heif-enc", "cjxl"})
            if (QStandardPaths::findExecutable(QLatin1String(tool)).isEmpty())
                QSKIP("ImageMagick, heif-enc or cjxl is missing: scripts/setup.sh --test installs them");
    }

    void listedUnderOtherAndAll()
    {
        Kinds k;
        for (const char* name : {"a.jpg", "b.bmp", "d.png", "e.gif", "f.webp", "g.tif", "h.tiff"})
            QVERIFY2(k.Make(QString::fromLatin1(name)), name);
        QFile notes(k.Path(QStringLiteral("i.txt")));
        QVERIFY(notes.open(QIODevice::WriteOnly));
        k.OpenWindow();
        QCOMPARE(k.form->rdgType->Items().last(), QStringLiteral("Other"));
        k.ShowType(4);
        QCOMPARE(k.form->FileListBox1->Items(), QStringList({"d.png", "e.gif", "f.webp", "g.tif", "h.tiff"}));
        k.ShowType(0);
        QCOMPARE(k.form->FileListBox1->Count(), 7);
    }

    // The other names of JPEG files and bitmaps, which desktops give those types, are listed
    // under their kind and drawn as it.
    void otherNamesOfJpegAndBitmap()
    {
        Kinds k;
        for (const auto& [made, name] : {std::pair {"1.jpg", "a.jpe"}, std::pair {"2.jpg", "b.JFIF"},
                                         std::pair {"3.bmp", "c.dib"}, std::pair {"4.jpg", "d.jpg"}}) {
            QVERIFY(k.Make(QString::fromLatin1(made)));
            QVERIFY(QFile::rename(k.Path(QString::fromLatin1(made)), k.Path(QString::fromLatin1(name))));
        }
        k.OpenWindow();
        k.ShowType(1);
        QCOMPARE(k.form->FileListBox1->Items(), QStringList({"a.jpe", "b.JFIF", "d.jpg"}));
        k.ShowType(2);
        QCOMPARE(k.form->FileListBox1->Items(), QStringList({"c.dib"}));
        k.ShowType(0);
        QCOMPARE(k.form->FileListBox1->Count(), 4);
        for (int i = 1; i <= 4; ++i)
            QCOMPARE(k.form->Thumbnail(i)->PictureRect().size(), QSize(64, 48));
    }

    void shownAndTold_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("source"); // the file made; "" when it is the name
        QTest::addColumn<QString>("kind");
        QTest::newRow("PNG") << "p.png"
                             << ""
                             << "PNG";
        QTest::newRow("GIF") << "p.gif"
                             << ""
                             << "GIF";
        QTest::newRow("WebP") << "p.webp"
                              << ""
                              << "WebP";
        QTest::newRow("TIFF") << "p.tiff"
                              << ""
                              << "TIFF";
        QTest::newRow("HEIC") << "p.heic"
                              << ""
                              << "HEIF";
        QTest::newRow("JPEG XL") << "p.jxl"
                                 << ""
                                 << "JPEG XL";
        QTest::newRow("camera raw") << "p.dng"
                                    << ""
                                    << "Camera raw";
        QTest::newRow("PNG bytes named .gif") << "p.gif"
                                              << "made.png"
                                              << "GIF, read as PNG (its content)";
        QTest::newRow("PNG bytes named .jpg") << "p.jpg"
                                              << "made.png"
                                              << "JPEG, read as PNG (its content)";
        QTest::newRow("JPEG bytes named .png") << "p.png"
                                               << "made.jpg"
                                               << "PNG, read as JPEG (its content)";
        QTest::newRow("bitmap bytes named .tif") << "p.tif"
                                                 << "made.bmp"
                                                 << "TIFF, read as Bitmap (its content)";
        QTest::newRow("GIF bytes named .bmp") << "p.bmp"
                                              << "made.gif"
                                              << "Bitmap, read as GIF (its content)";
    }
    void shownAndTold()
    {
        QFETCH(QString, name);
        QFETCH(QString, source);
        Kinds k;
        QVERIFY(k.Make(source.isEmpty() ? name : source));
        if (!source.isEmpty())
            QVERIFY(QFile::rename(k.Path(source), k.Path(name)));
        k.OpenWindow();
        TImage* cell = k.form->Thumbnail(1);
        QCOMPARE(cell->Hint(), name);
        const QImage drawn = cell->grab().toImage();
        const QRect picture = cell->PictureRect();
        QCOMPARE(picture.size(), QSize(64, 48));
        QVERIFY(Near(drawn.pixelColor(picture.left() + 16, picture.center().y()), kLeft));
        QVERIFY(Near(drawn.pixelColor(picture.left() + 48, picture.center().y()), kRight));
        // The details, from the header the page read.
        k.platform.menuChoices = {QStringLiteral("Details")};
        k.form->AllImageClick(cell);
        const TDetailsPanel::Reading details = k.form->Details().Shown();
        QVERIFY(details.otherPart);
        QTEST(details.kind, "kind");
        QCOMPARE(details.width, QStringLiteral("64"));
        QCOMPARE(details.frames, QStringLiteral("1"));
        QCOMPARE(details.camera.isEmpty(), !name.endsWith(QLatin1String(".dng")));
        // Full screen, at its own size.
        QSize shown;
        QVERIFY(k.During<TFullForm>([&] { k.form->OpenChosen(); },
                                    [&](TFullForm& full) {
                                        shown = full.imgFull->Picture().Graphic()->Width() > 0
                                            ? QSize(full.imgFull->Picture().Width(), full.imgFull->Picture().Height())
                                            : QSize();
                                    }));
        QCOMPARE(shown, QSize(64, 48));
    }

    // Half-transparent red shows over what lies behind it: the page's white, the full-screen
    // black, the zoom window's white.
    void transparentOverItsPlace()
    {
        Kinds k;
        QImage image(8, 8, QImage::Format_ARGB32);
        image.fill(QColor(255, 0, 0, 128));
        QVERIFY(image.save(k.Path(QStringLiteral("glass.png"))));
        k.OpenWindow();
        TImage* cell = k.form->Thumbnail(1);
        const QRect picture = cell->PictureRect();
        QVERIFY(Near(cell->grab().toImage().pixelColor(picture.center()), QColor(255, 127, 127)));
        QColor full;
        QVERIFY(k.During<TFullForm>([&] { k.form->OpenChosen(); },
                                    [&](TFullForm& window) {
                                        full = window.imgFull->grab().toImage().pixelColor(
                                            window.imgFull->PictureRect().center());
                                    }));
        QVERIFY2(Near(full, QColor(128, 0, 0)), qPrintable(full.name()));
        QColor zoomed;
        k.platform.menuChoices = {QStringLiteral("Zoom or Sub Section")};
        QVERIFY(k.During<TZoomForm>(
            [&] { k.form->AllImageClick(cell); },
            [&](TZoomForm& zoom) { zoomed = zoom.imgZoom->Region(QRect(4, 4, 1, 1)).pixel(0, 0); }));
        QVERIFY2(Near(zoomed, QColor(255, 127, 127)), qPrintable(zoomed.name()));
    }

    // A page of hostile and damaged files of each kind opens, reports them and draws the rest.
    void hostilePage()
    {
        Kinds k;
        QVERIFY(k.Make(QStringLiteral("good.png")));
        const QByteArray png = ReadBytes(k.Path(QStringLiteral("good.png")));
        QVERIFY(k.Make(QStringLiteral("good.webp")));
        const QByteArray webp = ReadBytes(k.Path(QStringLiteral("good.webp")));
        QByteArray hugePng = png.left(33); // signature and IHDR, then the sides made huge
        hugePng.replace(16, 8, QByteArray("\x00\x00\xea\x60\x00\x00\xea\x60", 8));
        const QByteArray hugeGif = QByteArray("GIF89a\xff\xff\xff\xff\x00\x00\x00;", 14);
        const QByteArray hugeTiff("II*\x00\x08\x00\x00\x00\x02\x00\x00\x01\x04\x00\x01\x00\x00\x00\x60\xea\x00\x00"
                                  "\x01\x01\x04\x00\x01\x00\x00\x00\x60\xea\x00\x00\x00\x00\x00\x00",
                                  38);
        // The phone and camera kinds: cut streams, and a grid of thousands of tiny tiles.
        QVERIFY(k.Make(QStringLiteral("good.heic")) && k.Make(QStringLiteral("good.jxl")) &&
                k.Make(QStringLiteral("good.dng")));
        const QByteArray heic = ReadBytes(k.Path(QStringLiteral("good.heic")));
        const QByteArray jxl = ReadBytes(k.Path(QStringLiteral("good.jxl")));
        const QByteArray dng = ReadBytes(k.Path(QStringLiteral("good.dng")));
        const QByteArray grid = heifgrid::Grid(heic, 64, 64, 16);
        QVERIFY(!grid.isEmpty());
        for (const auto& [name, bytes] :
             {std::pair {"a-huge.png", hugePng}, std::pair {"b-cut.png", png.left(60)},
              std::pair {"c-huge.gif", hugeGif}, std::pair {"d-cut.webp", webp.left(40)},
              std::pair {"e-huge.tif", hugeTiff}, std::pair {"f-empty.tiff", QByteArray()},
              std::pair {"h-cut.heic", heic.left(heic.size() / 2)}, std::pair {"i-grid.heic", grid},
              std::pair {"j-cut.jxl", jxl.left(jxl.size() / 2)}, std::pair {"k-cut.dng", dng.left(dng.size() / 3)}})
            WriteBytes(k.Path(QString::fromLatin1(name)), bytes);
        k.OpenWindow();
        k.form->rdgCount->SetItemIndex(3); // 16 a page: all of them
        k.form->rdgCountClick();
        k.form->Decoder().Drain();
        QCOMPARE(k.form->edtImageCount->text(), QStringLiteral("15"));
        QCOMPARE(k.form->Thumbnail(10)->Hint(), QStringLiteral("good.png"));
        QVERIFY(k.form->Thumbnail(10)->Picture().Width() == 64);
        QStringList told;
        for (const auto& m : k.platform.messages) {
            QVERIFY2(m.text.startsWith(QStringLiteral("Cannot load image")), qPrintable(m.text));
            told << m.text;
        }
        // A cut raw file shows what its preview and development give; the others are told.
        for (const char* name : {"h-cut.heic", "i-grid.heic", "j-cut.jxl"})
            QVERIFY2(told.join('\n').contains(QLatin1String(name)), name);
    }
};

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    TestOtherKinds test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_other_kinds.moc"
