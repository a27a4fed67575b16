// SPDX-License-Identifier: GPL-3.0-or-later
#include <QTest>
#include "ui/common/PageModel.h"

Q_DECLARE_METATYPE(PageMove)
Q_DECLARE_METATYPE(MoveOutcome)

namespace {
// Takes the page at NextIndex as the page loader does: Shown entries, NextIndex past them.
void LoadPageAt(TPicList& l, int n)
{
    l.Shown = 0;
    for (int k = 0; k < n && l.NextIndex < l.Total; ++k) {
        ++l.Shown;
        ++l.NextIndex;
    }
}
}

class TestPaging : public QObject {
    Q_OBJECT
private slots:
    void walkTenByFour()
    {
        TPicList l;
        l.Total = 10;
        LoadPageAt(l, 4);
        QCOMPARE(l.NextIndex, 4);
        QVERIFY(NavigatorAfterLoad(l, 4).nextEnabled);
        QVERIFY(!NavigatorAfterLoad(l, 4).previousEnabled);
        QCOMPARE(ApplyMove(l, PageMove::Next, 4), MoveOutcome::LoadPage);
        LoadPageAt(l, 4);
        QCOMPARE(l.NextIndex, 8);
        QCOMPARE(ApplyMove(l, PageMove::Next, 4), MoveOutcome::LoadPage);
        LoadPageAt(l, 4);
        QCOMPARE(l.NextIndex, 10);
        QCOMPARE(l.Shown, 2);
        QVERIFY(!NavigatorAfterLoad(l, 4).nextEnabled);
        QVERIFY(NavigatorAfterLoad(l, 4).previousEnabled);
        QCOMPARE(ApplyMove(l, PageMove::Next, 4), MoveOutcome::Beep);
        QCOMPARE(ApplyMove(l, PageMove::Previous, 4), MoveOutcome::LoadPage);
        QCOMPARE(l.NextIndex, 4); // 10 - 4 - 2
    }

    void moves_data()
    {
        QTest::addColumn<int>("total");
        QTest::addColumn<int>("pageSize");
        QTest::addColumn<int>("next");
        QTest::addColumn<int>("shown");
        QTest::addColumn<PageMove>("move");
        QTest::addColumn<MoveOutcome>("outcome");
        QTest::addColumn<int>("newNext");
        QTest::newRow("last of ten by four") << 10 << 4 << 4 << 4 << PageMove::Last << MoveOutcome::LoadPage << 6;
        QTest::newRow("last of three by four") << 3 << 4 << 3 << 3 << PageMove::Last << MoveOutcome::Nothing << 3;
        QTest::newRow("previous clamps to 0") << 10 << 4 << 7 << 4 << PageMove::Previous << MoveOutcome::LoadPage << 0;
        QTest::newRow("previous on first page beeps")
            << 5 << 9 << 5 << 2 << PageMove::Previous << MoveOutcome::Beep << 5;
        QTest::newRow("previous below 2N-2 goes to 0")
            << 20 << 9 << 12 << 9 << PageMove::Previous << MoveOutcome::LoadPage << 0;
        QTest::newRow("next at end beeps") << 10 << 4 << 10 << 2 << PageMove::Next << MoveOutcome::Beep << 10;
        QTest::newRow("empty list: next beeps") << 0 << 9 << 0 << 0 << PageMove::Next << MoveOutcome::Beep << 0;
        QTest::newRow("empty list: previous beeps") << 0 << 9 << 0 << 0 << PageMove::Previous << MoveOutcome::Beep << 0;
        QTest::newRow("empty list: last nothing") << 0 << 9 << 0 << 0 << PageMove::Last << MoveOutcome::Nothing << 0;
        QTest::newRow("first resets") << 10 << 4 << 8 << 4 << PageMove::First << MoveOutcome::LoadPage << 0;
    }
    void moves()
    {
        QFETCH(int, total);
        QFETCH(int, pageSize);
        QFETCH(int, next);
        QFETCH(int, shown);
        QFETCH(PageMove, move);
        TPicList l;
        l.Total = total;
        l.NextIndex = next;
        l.Shown = shown;
        l.Current = 3;
        QTEST(ApplyMove(l, move, pageSize), "outcome");
        QTEST(l.NextIndex, "newNext");
        if (move == PageMove::First) {
            QCOMPARE(l.Shown, 0);
            QCOMPARE(l.Current, 0);
        }
    }

    void pageStartedFromEntry()
    {
        // A page started at index 3 with 4 per page and at least 7 entries.
        TPicList l;
        l.Total = 12;
        l.NextIndex = 3;
        LoadPageAt(l, 4);
        QCOMPARE(l.NextIndex, 7);
        QCOMPARE(ApplyMove(l, PageMove::Previous, 4), MoveOutcome::LoadPage);
        QCOMPARE(l.NextIndex, 0);
        // At index 3 with 9 per page and 5 entries, previous and first are disabled.
        TPicList m;
        m.Total = 5;
        m.NextIndex = 3;
        LoadPageAt(m, 9);
        QCOMPARE(m.NextIndex, 5);
        QVERIFY(!NavigatorAfterLoad(m, 9).previousEnabled);
        QCOMPARE(ApplyMove(m, PageMove::Previous, 9), MoveOutcome::Beep);
    }

    void imageExtensions_data()
    {
        QTest::addColumn<QString>("ext");
        QTest::addColumn<bool>("image");
        QTest::newRow("jpg") << ".jpg" << true;
        QTest::newRow("jpeg") << ".jpeg" << true;
        QTest::newRow("bmp") << ".bmp" << true;
        QTest::newRow("ico") << ".ico" << true;
        QTest::newRow("jpe") << ".jpe" << true;
        QTest::newRow("jfif") << ".jfif" << true;
        QTest::newRow("dib") << ".dib" << true;
        QTest::newRow("tiff") << ".tiff" << true;
        QTest::newRow("upper case not lowered") << ".JPG" << false;
        QTest::newRow("metafile") << ".emf" << false;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("no dot") << "jpg" << false;
    }
    void imageExtensions()
    {
        QFETCH(QString, ext);
        const QString before = ext;
        QTEST(IsImageExtension(ext), "image");
        QCOMPARE(ext, before);
    }
};

QTEST_APPLESS_MAIN(TestPaging)
#include "test_paging.moc"
