// SPDX-License-Identifier: GPL-3.0-or-later
// The main window driven offscreen through the scripted platform, on real files.
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <memory>
#include "app/lib/Application.h"
#include "controls/FileListBox.h"
#include "controls/ImageControl.h"
#include "picture/PictureThumbnail.h"
#include "controls/RadioGroup.h"
#include "ScriptedPlatform.h"
#include "TestFiles.h"
#include "TestPictures.h"
#include "AppFont.h"
#include "MainWindowFixture.h"
#include "controls/DecodeQueue.h"
#include "ui/browser/Viewmain.h"

namespace {
struct Window : MainWindowFixture<> {
    void Open() { OpenWindow(); }
    int Loaded(int n) const
    {
        int count = 0;
        for (int k = 1; k <= n; ++k)
            count += form->Thumbnail(k)->Picture().HasGraphic() ? 1 : 0;
        return count;
    }
    void Key(int key) { QTest::keyClick(form->windowHandle(), Qt::Key(key)); }
};
}

class TestViewForm : public QObject {
    Q_OBJECT
private slots:
    void startsCentredWithCaption()
    {
        Window w;
        w.Open();
        QCOMPARE(w.form->windowTitle(), QStringLiteral(" Lumivue v1.3"));
        QCOMPARE(w.form->size(), QSize(782, 549));
        QCOMPARE(w.form->pnlImage->size(), QSize(572, 519));
        QCOMPARE(w.form->PageSize, 9);
        QCOMPARE(w.form->edtImageCount->text(), QStringLiteral("0"));
        // The toolbar's pictures drawn for a screen of twice the density, not blown up.
        QVERIFY(w.form->btnHelp->icon().availableSizes().contains(QSize(40, 40)));
        QVERIFY(w.platform.messages.empty());
    }

    void layoutAtStartSize_data()
    {
        QTest::addColumn<int>("item");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("lastTop");
        QTest::addColumn<int>("lastLeft");
        QTest::newRow("single") << 0 << 507 << 560 << 6 << 6;
        QTest::newRow("4") << 1 << 250 << 277 << 262 << 289;
        QTest::newRow("9") << 2 << 165 << 183 << 348 << 384;
        QTest::newRow("16") << 3 << 122 << 136 << 390 << 432;
        QTest::newRow("25") << 4 << 97 << 107 << 418 << 458;
    }
    void layoutAtStartSize()
    {
        QFETCH(int, item);
        Window w;
        w.Open();
        w.form->rdgCount->SetItemIndex(item);
        w.form->rdgCountClick();
        const int n = w.form->PageSize;
        TImage* last = w.form->Thumbnail(n);
        QTEST(last->height(), "height");
        QTEST(last->width(), "width");
        QTEST(last->y(), "lastTop");
        QTEST(last->x(), "lastLeft");
        QVERIFY(last->isVisible());
        if (n < 25)
            QVERIFY(!w.form->Thumbnail(n + 1)->isVisible());
    }

    // In a desktop's larger fonts the left panel's texts are whole and the file list keeps
    // lines in sight.
    void leftPanelFollowsTheFont_data()
    {
        QTest::addColumn<int>("points");
        QTest::newRow("9 pt") << 9;
        QTest::newRow("11 pt, a common desktop default") << 11;
        QTest::newRow("13 pt") << 13;
    }
    void leftPanelFollowsTheFont()
    {
        QFETCH(int, points);
        const auto font = ApplicationFontAt(points);
        Window w;
        w.Open();
        for (TRadioGroup* group : {w.form->rdgType, w.form->rdgCount})
            for (int i = 0; i < 5 && group->Button(i); ++i) {
                const QWidget* b = group->Button(i);
                QVERIFY2(b->width() >= b->sizeHint().width(), qPrintable(group->Button(i)->text()));
                QVERIFY(group->geometry().right() <= w.form->pnlFile->width());
            }
        for (const QWidget* label : {w.form->lblTotImage, w.form->lblLast})
            QVERIFY(label->width() >= label->sizeHint().width());
        QVERIFY(w.form->edtImageCount->geometry().right() <= w.form->pnlFile->width());
        const QWidget* files = w.form->FileListBox1;
        QVERIFY(files->height() >= 4 * files->fontMetrics().lineSpacing());
        QVERIFY(files->geometry().bottom() <= w.form->pnlFile->height());
    }

    void pagesThroughTenByFour()
    {
        Window w;
        for (int i = 0; i < 10; ++i)
            WriteTestJpeg(w.Path(QStringLiteral("p%1.jpg").arg(i)), 40, 30, false, i);
        w.Open();
        w.form->rdgCount->SetItemIndex(1);
        w.form->rdgCountClick();
        QCOMPARE(w.form->edtImageCount->text(), QStringLiteral("10"));
        QCOMPARE(w.form->edtCount->text(), QStringLiteral("4"));
        QCOMPARE(w.Loaded(4), 4);
        w.Key(Qt::Key_PageDown);
        QCOMPARE(w.form->edtCount->text(), QStringLiteral("8"));
        w.Key(Qt::Key_PageDown);
        QCOMPARE(w.form->edtCount->text(), QStringLiteral("10"));
        QCOMPARE(w.Loaded(4), 2);
        QVERIFY(!w.form->btnDown->isEnabled());
        QVERIFY(!w.form->btnLast->isEnabled());
        QVERIFY(w.form->btnUp->isEnabled());
        QCOMPARE(w.platform.beeps, 0);
        w.Key(Qt::Key_PageDown);
        QCOMPARE(w.platform.beeps, 1);
        w.Key(Qt::Key_PageUp);
        QCOMPARE(w.form->PicList.NextIndex, 8); // page starting at 4
        QCOMPARE(w.form->Thumbnail(1)->Hint(), QStringLiteral("p4.jpg"));
        w.form->btnLast->click();
        QCOMPARE(w.form->Thumbnail(1)->Hint(), QStringLiteral("p6.jpg"));
        w.form->btnFirst->click();
        QCOMPARE(w.form->Thumbnail(1)->Hint(), QStringLiteral("p0.jpg"));
        w.Key(Qt::Key_PageUp);
        QCOMPARE(w.platform.beeps, 2);
        QVERIFY(w.platform.messages.empty());
    }

    void mixedCaseAndMetafile()
    {
        Window w;
        WriteTestJpeg(w.Path(QStringLiteral("a.JPG")), 20, 20);
        WriteTestJpeg(w.Path(QStringLiteral("b.jpeg")), 20, 20);
        WriteBytes(w.Path(QStringLiteral("c.emf")), QByteArray("not drawn"));
        WriteBytes(w.Path(QStringLiteral("d.txt")), QByteArray("not listed"));
        w.Open();
        QCOMPARE(w.form->edtImageCount->text(), QStringLiteral("3"));
        QCOMPARE(w.form->edtCount->text(), QStringLiteral("3"));
        QVERIFY(w.form->Thumbnail(1)->Picture().HasGraphic());
        QVERIFY(w.form->Thumbnail(2)->Picture().HasGraphic());
        QVERIFY(!w.form->Thumbnail(3)->Picture().HasGraphic());
        QVERIFY(w.platform.messages.empty());
    }

    void badFileInMiddleOfPage()
    {
        Window w;
        WriteTestJpeg(w.Path(QStringLiteral("a.jpg")), 20, 20);
        WriteBytes(w.Path(QStringLiteral("b.jpg")), QByteArray("this is not a JPEG picture at all"));
        WriteTestBitmap(w.Path(QStringLiteral("c.bmp")), 20, 20);
        w.Open();
        w.form->Decoder().Drain(); // headers are read on the workers
        QCOMPARE(w.platform.messages.size(), size_t(1));
        QCOMPARE(w.platform.messages[0].kind, MessageKind::Error);
        QVERIFY2(w.platform.messages[0].text.startsWith(QStringLiteral("Cannot load image : b.jpg - JPEG error #")),
                 qPrintable(w.platform.messages[0].text));
        QVERIFY(w.form->Thumbnail(1)->Picture().HasGraphic());
        QVERIFY(!w.form->Thumbnail(2)->Picture().HasGraphic());
        QVERIFY(w.form->Thumbnail(3)->Picture().HasGraphic());
        QCOMPARE(w.form->edtCount->text(), QStringLiteral("3"));
    }

    void thumbnailsFitTheirCells()
    {
        Window w;
        WriteTestJpeg(w.Path(QStringLiteral("wide.jpg")), 400, 200);
        WriteTestJpeg(w.Path(QStringLiteral("xsmall.jpg")), 20, 10);
        w.Open();
        TImage* wide = w.form->Thumbnail(1);
        QVERIFY(wide->Stretch());
        QCOMPARE(wide->width(), 183);
        QCOMPARE(wide->height(), 91); // Trunc(183 * 200 / 400)
        QCOMPARE(wide->y(), 6 + (165 - 91) / 2);
        TImage* small = w.form->Thumbnail(2);
        QVERIFY(!small->Stretch());
        QCOMPARE(small->size(), QSize(183, 165));
    }

    void resizeKeepsThePage_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("larger") << QSize(1024, 740);
        QTest::newRow("much larger") << QSize(1600, 1000);
        QTest::newRow("wider only") << QSize(1200, 549);
    }
    void resizeKeepsThePage()
    {
        QFETCH(QSize, size);
        Window w;
        for (int i = 0; i < 14; ++i)
            WriteTestJpeg(w.Path(QStringLiteral("p%1.jpg").arg(i, 2, 10, QLatin1Char('0'))), 640, 480);
        w.Open();
        w.form->btnDown->click();
        w.form->Decoder().Drain();
        TImage* cell = w.form->Thumbnail(2);
        const QSize before = cell->size();
        // A first new size decodes at once; the next, as a border drag goes on, waits.
        w.form->resize(size + QSize(40, 40));
        QVERIFY(!cell->DecodesHeld());
        QCOMPARE(w.form->Decoder().Pending() > 0, cell->size() != before);
        w.form->resize(size);
        QCOMPARE(w.form->size(), size);
        // At once: the same first picture, cells laid out for the new size, the old copy
        // drawn scaled while no decode is asked for.
        QCOMPARE(w.form->Thumbnail(1)->Hint(), QStringLiteral("p09.jpg"));
        QCOMPARE(w.form->pnlImage->size(), size - QSize(210, 30));
        QCOMPARE(cell->width() > before.width(), size.width() > 782);
        const TThumbnail* thumbnail = ThumbnailOf(cell->Picture().Graphic());
        QVERIFY(thumbnail->Shown().size() != cell->size());
        QVERIFY(cell->DecodesHeld());
        const QImage drawn = cell->grab().toImage();
        QVERIFY(drawn.pixelColor(drawn.width() / 2, drawn.height() / 2) != QColor(Qt::white));
        // Settled: copies made for the new cells.
        QVERIFY(w.platform.FireAll() > 0);
        w.form->Decoder().Drain();
        QVERIFY(!cell->DecodesHeld());
        QCOMPARE(thumbnail->Shown().size(), cell->size());
        QCOMPARE(w.form->edtCount->text(), QStringLiteral("14"));
    }

    // The shown folder followed: a picture beyond the page only counts, one before it moves
    // the page's pictures along but keeps its first, the page's first gone keeps its place.
    void folderFollowed()
    {
        Window w;
        for (int i = 0; i < 12; ++i)
            WriteTestJpeg(w.Path(QStringLiteral("p%1.jpg").arg(i, 2, 10, QLatin1Char('0'))), 40, 30);
        w.Open();
        const TGraphic* kept = w.form->Thumbnail(1)->Picture().Graphic();
        WriteTestJpeg(w.Path(QStringLiteral("z.jpg")), 40, 30);
        QTRY_COMPARE_WITH_TIMEOUT(w.form->edtImageCount->text(), QStringLiteral("13"), 5000);
        QCOMPARE(w.form->Thumbnail(1)->Picture().Graphic(), kept); // the page not loaded again
        w.form->btnDown->click();
        QCOMPARE(w.form->Thumbnail(4)->Hint(), QStringLiteral("z.jpg"));
        WriteTestJpeg(w.Path(QStringLiteral("a.jpg")), 40, 30);
        QTRY_COMPARE_WITH_TIMEOUT(w.form->edtImageCount->text(), QStringLiteral("14"), 5000);
        QCOMPARE(w.form->Thumbnail(1)->Hint(), QStringLiteral("p09.jpg"));
        QVERIFY(QFile::rename(w.Path(QStringLiteral("p09.jpg")), w.Path(QStringLiteral("q.jpg"))));
        QTRY_COMPARE_WITH_TIMEOUT(w.form->Thumbnail(1)->Hint(), QStringLiteral("p10.jpg"), 5000);
        QCOMPARE(w.form->edtImageCount->text(), QStringLiteral("14"));
    }

    void pageStartsAtSelectedEntry()
    {
        Window w;
        for (int i = 0; i < 20; ++i)
            WriteTestBitmap(w.Path(QStringLiteral("f%1.bmp").arg(i, 2, 10, QLatin1Char('0'))), 8, 8);
        w.Open();
        w.form->FileListBox1->SetItemIndex(2);
        QCOMPARE(w.form->edtCount->text(), QStringLiteral("11"));
        QCOMPARE(w.form->Thumbnail(1)->Hint(), QStringLiteral("f02.bmp"));
        w.Key(Qt::Key_PageDown);
        QCOMPARE(w.form->edtCount->text(), QStringLiteral("20"));
        QCOMPARE(w.form->Thumbnail(1)->Hint(), QStringLiteral("f11.bmp"));
    }

    void popupEnablesEntriesByType()
    {
        Window w;
        WriteBytes(w.Path(QStringLiteral("a.ico")), MakeTestIcon({16, 32}));
        WriteTestJpeg(w.Path(QStringLiteral("b.jpg")), 20, 20);
        w.Open();
        w.platform.cursor = QPoint(300, 200);
        w.platform.menuChoices = {QString(), QString()};
        w.form->AllImageClick(w.form->Thumbnail(1));
        w.form->AllImageClick(w.form->Thumbnail(2));
        QCOMPARE(w.platform.menus.size(), size_t(2));
        const auto enabled = [](const ScriptedPlatform::MenuRecord& m, const QString& text) {
            return m.enabled[size_t(m.texts.indexOf(text))];
        };
        for (const QString& t : {QStringLiteral("Zoom or Sub Section"), QStringLiteral("Print As Is"),
                                 QStringLiteral("Print Full Page")}) {
            QVERIFY2(!enabled(w.platform.menus[0], t), qPrintable(t));
            QVERIFY2(enabled(w.platform.menus[1], t), qPrintable(t));
        }
        QVERIFY(enabled(w.platform.menus[0], QStringLiteral("Details")));
        QCOMPARE(w.platform.menus[0].pos, QPoint(300, 200));
        QCOMPARE(w.form->PicList.Current, 2);
        QCOMPARE(w.form->ImageInfo.FileName, QStringLiteral("b.jpg"));
        QCOMPARE(w.form->ImageInfo.Ext, QStringLiteral(".jpg"));
    }
};

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    TestViewForm test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_viewform.moc"
