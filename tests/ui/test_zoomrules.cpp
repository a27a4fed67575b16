// SPDX-License-Identifier: GPL-3.0-or-later
// The zoom window's arithmetic: the rounding of zoomed sides, the Zoom Fit step and the step box.
#include <QTest>
#include "ui/zoom/ZoomRules.h"

using namespace ZoomRules;

class TestZoomRules : public QObject {
    Q_OBJECT
private slots:
    void scaleDimension_data()
    {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<qint64>("ratio");
        QTest::addColumn<qint64>("expected");
        // Exact decimal halves, decided by the extended-precision quotient.
        QTest::newRow("190 at 15") << qint64(190) << qint64(15) << qint64(29);
        QTest::newRow("30 at 105") << qint64(30) << qint64(105) << qint64(31);
        QTest::newRow("800 at 110") << qint64(800) << qint64(110) << qint64(880);
        QTest::newRow("1000 at 110") << qint64(1000) << qint64(110) << qint64(1100);
        QTest::newRow("40 at 10") << qint64(40) << qint64(10) << qint64(4);
        QTest::newRow("zero ratio") << qint64(1000) << qint64(0) << qint64(0);
        QTest::newRow("negative ratio") << qint64(1000) << qint64(-20) << qint64(-200);
        // The largest typed step gives a side far beyond every limit, without overflowing.
        QTest::newRow("giant") << qint64(65535) << qint64(2147483747) << qint64(1407353473596);
    }
    void scaleDimension()
    {
        QFETCH(qint64, size);
        QFETCH(qint64, ratio);
        QTEST(qint64(ScaleDimension(size, ratio)), "expected");
    }

    void sizeAllowed()
    {
        QVERIFY(!ZoomSizeAllowed(4));
        QVERIFY(ZoomSizeAllowed(5));
        QVERIFY(!ZoomSizeAllowed(-100));
    }

    void fitStep_data()
    {
        QTest::addColumn<int>("areaHeight");
        QTest::addColumn<int>("areaWidth");
        QTest::addColumn<int>("baseHeight");
        QTest::addColumn<int>("baseWidth");
        QTest::addColumn<double>("fit");
        QTest::addColumn<qint64>("step");
        // Upright: by height; 700 / 1000 is 0.69999... as a double, so 69 per cent.
        QTest::newRow("upright on 700") << 700 << 1024 << 1000 << 600 << -31.0 << qint64(-31);
        QTest::newRow("upright on 600") << 600 << 1024 << 1000 << 600 << -41.0 << qint64(-41);
        // Wide: by width, 1024 / 2000 = 0.512.
        QTest::newRow("wide 2000 x 600") << 768 << 1024 << 600 << 2000 << -49.0 << qint64(-49);
        // The width rule gives 102 per cent and 918 > 768 pixels high, so the height rule: 85.
        QTest::newRow("wide 1000 x 900") << 768 << 1024 << 900 << 1000 << 2.0 << qint64(-15);
        // 768 / 100 is 7.67999... as a double: 767 per cent, not 768.
        QTest::newRow("square, small") << 768 << 1024 << 100 << 100 << 924.0 << qint64(667);
        QTest::newRow("exactly the screen") << 768 << 1024 << 768 << 1024 << 0.0 << qint64(0);
    }
    void fitStep()
    {
        QFETCH(int, areaHeight);
        QFETCH(int, areaWidth);
        QFETCH(int, baseHeight);
        QFETCH(int, baseWidth);
        QTEST(FitStep(areaHeight, areaWidth, baseHeight, baseWidth), "fit");
        QTEST(qint64(ZoomFitStep(areaHeight, areaWidth, baseHeight, baseWidth)), "step");
    }

    void heightFitStep()
    {
        QCOMPARE(HeightFitStep(768, 900), -15.0);
        QCOMPARE(HeightFitStep(700, 1000), -31.0);
    }

    void parseStep_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("step");
        QTest::newRow("typed") << QStringLiteral("25") << qint64(25);
        QTest::newRow("beyond the arrows") << QStringLiteral("2000") << qint64(2000);
        QTest::newRow("negative") << QStringLiteral("-30") << qint64(-30);
        QTest::newRow("zero") << QStringLiteral("0") << qint64(0);
        QTest::newRow("letters") << QStringLiteral("abc") << qint64(10);
        QTest::newRow("empty") << QString() << qint64(10);
        QTest::newRow("decimal") << QStringLiteral("12.5") << qint64(10);
        QTest::newRow("beyond 32 bits") << QStringLiteral("99999999999") << qint64(10);
    }
    void parseStep()
    {
        QFETCH(QString, text);
        QTEST(qint64(ParseZoomStep(text)), "step");
    }
};

QTEST_GUILESS_MAIN(TestZoomRules)
#include "test_zoomrules.moc"
