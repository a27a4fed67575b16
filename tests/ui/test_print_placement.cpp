// SPDX-License-Identifier: GPL-3.0-or-later
// Where a picture lands on the page, and the text-line metrics, from the printer's facts
// alone: one row per case, the whole placement (orientation, scaling, centring) each time.
#include <QTest>
#include "ui/print/Placement.h"

Q_DECLARE_METATYPE(TPrintRect)

class TestPrintPlacement : public QObject {
    Q_OBJECT
private slots:
    void placement_data()
    {
        QTest::addColumn<int>("width"); // the picture
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("pageWidth"); // printable area in portrait
        QTest::addColumn<int>("pageHeight");
        QTest::addColumn<bool>("toPage");
        QTest::addColumn<int>("dpi");
        QTest::addColumn<TPrintRect>("rect");
        QTest::addColumn<bool>("landscape");
        QTest::addColumn<int>("lineHeight"); // 10 points
        QTest::addColumn<int>("linesPerPage");
        auto row = [](const char* name, int w, int h, int pw, int ph, bool toPage, int dpi, TPrintRect rect,
                      bool landscape, int lineHeight, int lines) {
            QTest::newRow(name) << w << h << pw << ph << toPage << dpi << rect << landscape << lineHeight << lines;
        };
        row("tall picture: width fits", 1200, 1600, 4800, 6600, true, 600, {0, 100, 4800, 6500}, false, 100, 59);
        row("wide picture turns the page", 1600, 1200, 4800, 6600, true, 600, {100, 0, 6500, 4800}, true, 100, 59);
        row("too high after the width fit: second pass", 1000, 4000, 4800, 6600, true, 600, {1575, 0, 3225, 6600},
            false, 100, 59);
        row("exactly the page", 4800, 6600, 4800, 6600, true, 600, {0, 0, 4800, 6600}, false, 100, 59);
        row("exactly the turned page", 6600, 4800, 4800, 6600, true, 600, {0, 0, 6600, 4800}, true, 100, 59);
        row("square picture stays portrait", 1000, 1000, 4800, 6600, true, 600, {0, 900, 4800, 5700}, false, 100, 59);
        // 800 x 1100 ends 4800 wide: offsets 2.5 and 3.5 round to even.
        row("centring offset 5 gives 2", 800, 1100, 4805, 6600, true, 600, {2, 0, 4802, 6600}, false, 100, 59);
        row("centring offset 7 gives 4", 800, 1100, 4807, 6600, true, 600, {4, 0, 4804, 6600}, false, 100, 59);
        row("as is at 300 dpi", 960, 480, 2400, 3300, false, 300, {0, 0, 3000, 1500}, true, 50, 59);
        row("as is, larger than the page: cut at the edge", 1200, 1600, 2400, 3300, false, 300, {0, 0, 3750, 5000},
            false, 50, 59);
        // A thin picture whose first pass runs past 32 bits on a large page.
        row("thin picture on a large page", 1, 65535, 80000, 110000, true, 2400, {39999, 0, 40001, 110000}, false, 400,
            268);
        row("picture without area leaves the page", 0, 0, 4800, 6600, true, 600, {0, 0, 4800, 6600}, false, 100, 59);
    }
    void placement()
    {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, pageWidth);
        QFETCH(int, pageHeight);
        QFETCH(bool, toPage);
        QFETCH(int, dpi);
        const PagePlacement placed = PlacePicture(width, height, pageWidth, pageHeight, toPage, dpi, dpi);
        const TPrintRect& r = placed.rect;
        QFETCH(TPrintRect, rect);
        QVERIFY2(r == rect,
                 qPrintable(QStringLiteral("(%1, %2, %3, %4)").arg(r.left).arg(r.top).arg(r.right).arg(r.bottom)));
        QTEST(placed.landscape, "landscape");
        const int lineHeight = LineHeightFor(10, dpi / 72.0);
        QTEST(lineHeight, "lineHeight");
        QTEST(LinesPerPageFor(pageHeight, dpi, lineHeight), "linesPerPage");
    }
};

QTEST_MAIN(TestPrintPlacement)
#include "test_print_placement.moc"
