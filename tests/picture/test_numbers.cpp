// SPDX-License-Identifier: GPL-3.0-or-later
#include <QTest>
#include "picture/Numbers.h"

class TestNumbers : public QObject {
    Q_OBJECT
private slots:
    void round_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("2.5 to even") << 2.5 << 2;
        QTest::newRow("3.5 to even") << 3.5 << 4;
        QTest::newRow("250.5 to even") << 250.5 << 250;
        QTest::newRow("-2.5 to even") << -2.5 << -2;
        QTest::newRow("2.4999") << 2.4999 << 2;
    }
    void round()
    {
        QFETCH(double, value);
        QFETCH(int, expected);
        QCOMPARE(Round(static_cast<long double>(value)), expected);
    }
    void truncTowardZero_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("positive") << 177.9 << 177;
        QTest::newRow("negative") << -3.5 << -3;
        QTest::newRow("negative small") << -0.5 << 0;
    }
    void truncTowardZero()
    {
        QFETCH(double, value);
        QFETCH(int, expected);
        QCOMPARE(Trunc(static_cast<long double>(value)), expected);
    }
    void extendedPrecisionDecidesHalves()
    {
        // 501 / 2 is an exact half; formed in long double it stays exact and rounds to even.
        QCOMPARE(Round((519 - 3 * 6) / 2.0L), 250);
    }
};

QTEST_APPLESS_MAIN(TestNumbers)
#include "test_numbers.moc"
