// SPDX-License-Identifier: GPL-3.0-or-later
#include <QTest>
#include "ui/common/Geometry.h"

Q_DECLARE_METATYPE(ControlGeometry)

class TestGeometry : public QObject {
    Q_OBJECT
private slots:
    void fitThumbnail_data()
    {
        QTest::addColumn<int>("cellHeight");
        QTest::addColumn<int>("cellWidth");
        QTest::addColumn<int>("picHeight");
        QTest::addColumn<int>("picWidth");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("stretch");
        // Cells start at top 10, left 20.
        QTest::newRow("smaller: own size") << 100 << 100 << 50 << 80 << 10 << 20 << 100 << 100 << false;
        QTest::newRow("wide") << 100 << 100 << 400 << 800 << 35 << 20 << 50 << 100 << true;
        QTest::newRow("tall") << 100 << 100 << 800 << 400 << 10 << 45 << 100 << 50 << true;
        QTest::newRow("square") << 100 << 100 << 300 << 300 << 10 << 20 << 100 << 100 << true;
        QTest::newRow("squarer than cell") << 171 << 186 << 1000 << 1050 << 7 << 20 << 177 << 186 << true;
        QTest::newRow("one side equal") << 100 << 100 << 100 << 50 << 10 << 45 << 100 << 50 << true;
    }
    void fitThumbnail()
    {
        QFETCH(int, cellHeight);
        QFETCH(int, cellWidth);
        QFETCH(int, picHeight);
        QFETCH(int, picWidth);
        ControlGeometry c {10, 20, cellHeight, cellWidth, false};
        FitThumbnail(c, picHeight, picWidth);
        QTEST(c.top, "top");
        QTEST(c.left, "left");
        QTEST(c.height, "height");
        QTEST(c.width, "width");
        QTEST(c.stretch, "stretch");
    }

    void screenFitRatio_data()
    {
        QTest::addColumn<int>("picHeight");
        QTest::addColumn<int>("picWidth");
        QTest::addColumn<double>("expected");
        QTest::newRow("both within 10") << 778 << 1034 << 0.0;
        QTest::newRow("height only") << 779 << 500 << 768.0 / 779.0;
        QTest::newRow("smaller of two") << 1536 << 4096 << 0.25;
        QTest::newRow("width only") << 500 << 2048 << 0.5;
    }
    void screenFitRatio()
    {
        QFETCH(int, picHeight);
        QFETCH(int, picWidth);
        QFETCH(double, expected);
        QCOMPARE(ScreenFitRatio(768, picHeight, 1024, picWidth), expected);
    }

    void fitToScreen_data()
    {
        QTest::addColumn<int>("picHeight");
        QTest::addColumn<int>("picWidth");
        QTest::addColumn<bool>("clientAlign");
        QTest::addColumn<bool>("stretch");
        QTest::addColumn<int>("top");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("stretchedBefore"); // as an earlier, shrunk picture left it
        // The control starts client-aligned-off at 5,5 sized 1x1.
        QTest::newRow("smaller") << 600 << 800 << true << false << 5 << 5 << 1 << 1 << false;
        QTest::newRow("double") << 1536 << 2048 << false << true << 0 << 0 << 768 << 1024 << false;
        QTest::newRow("tall") << 1536 << 1024 << false << true << 0 << 256 << 768 << 512 << false;
        QTest::newRow("within tolerance") << 770 << 1000 << false << false << 0 << 12 << 768 << 1024 << false;
        // Shown at its own size: the earlier stretch is not kept.
        QTest::newRow("within tolerance after a shrink")
            << 500 << 1034 << false << false << 134 << 0 << 768 << 1024 << true;
    }
    void fitToScreen()
    {
        QFETCH(int, picHeight);
        QFETCH(int, picWidth);
        QFETCH(bool, stretchedBefore);
        ControlGeometry c {5, 5, 1, 1, stretchedBefore};
        FitToScreen(768, 1024, picHeight, picWidth, c);
        QTEST(c.clientAlign, "clientAlign");
        QTEST(c.stretch, "stretch");
        QTEST(c.top, "top");
        QTEST(c.left, "left");
        QTEST(c.height, "height");
        QTEST(c.width, "width");
    }

    void centreInArea_data()
    {
        QTest::addColumn<int>("gap");
        QTest::addColumn<int>("offset");
        QTest::newRow("gap 5 moves 2") << 5 << 2;
        QTest::newRow("gap 7 moves 4") << 7 << 4;
        QTest::newRow("gap 1 not moved") << 1 << 0;
        QTest::newRow("gap 0 not moved") << 0 << 0;
    }
    void centreInArea()
    {
        QFETCH(int, gap);
        QFETCH(int, offset);
        ControlGeometry c {0, 0, 0, 0};
        CentreInArea(100, 200, 100 - gap, 200 - gap, c);
        QCOMPARE(c.top, offset);
        QCOMPARE(c.left, offset);
    }
};

QTEST_APPLESS_MAIN(TestGeometry)
#include "test_geometry.moc"
