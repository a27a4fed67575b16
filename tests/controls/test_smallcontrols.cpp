// SPDX-License-Identifier: GPL-3.0-or-later
// The radio group and the edit box with arrows.
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>
#include <QtTest>
#include "controls/RadioGroup.h"
#include "controls/UpDownEdit.h"
#include "ScriptedPlatform.h"

class TestSmallControls : public QObject {
    Q_OBJECT
private slots:
    void radioGroup()
    {
        ScriptedPlatform platform;
        TRadioGroup group(platform, "Images");
        group.SetItems({"Single", "4", "9", "16", "25"});
        group.show();
        QVERIFY(QTest::qWaitForWindowExposed(&group));
        QCOMPARE(group.ItemIndex(), -1);
        QList<int> clicks;
        group.OnClick = [&] { clicks << group.ItemIndex(); };
        group.SetItemIndex(2);
        QCOMPARE(group.ItemIndex(), 2);
        QVERIFY(group.Button(2)->isChecked());
        QVERIFY(clicks.isEmpty());

        QTest::mouseClick(group.Button(4), Qt::LeftButton);
        QCOMPARE(group.ItemIndex(), 4);
        QCOMPARE(clicks, QList<int> {4});
        QTest::mouseClick(group.Button(4), Qt::LeftButton); // already chosen
        QCOMPARE(clicks, QList<int> {4});
        QTest::mouseClick(group.Button(0), Qt::LeftButton);
        QCOMPARE(clicks, (QList<int> {4, 0}));
        QVERIFY(!group.Button(4)->isChecked());

        group.SetItemIndex(-1);
        QCOMPARE(group.ItemIndex(), -1);
        for (int i = 0; i < 5; ++i)
            QVERIFY(!group.Button(i)->isChecked());
        group.SetItemIndex(9);
        QCOMPARE(group.ItemIndex(), -1);
        QCOMPARE(group.title(), QStringLiteral("Images"));
        QCOMPARE(clicks.size(), 2);

        group.SetItems({"All Graphics", "Jpeg"});
        QCOMPARE(group.Items(), (QStringList {"All Graphics", "Jpeg"}));
        QCOMPARE(group.Button(1)->text(), QStringLiteral("Jpeg"));
        QCOMPARE(group.Button(2), nullptr);
    }

    // Columns fill top to bottom, then left to right, and the group asks for room for all.
    void radioGroupColumns()
    {
        ScriptedPlatform platform;
        TRadioGroup group(platform, "Images");
        group.SetItems({"Single", "4", "9", "16", "25"});
        group.SetColumns(3);
        group.resize(group.sizeHint());
        group.show();
        QVERIFY(QTest::qWaitForWindowExposed(&group));
        const auto at = [&](int i) { return group.Button(i)->geometry(); };
        QCOMPARE(at(1).x(), at(0).x());
        QVERIFY(at(1).top() > at(0).bottom());
        QCOMPARE(at(2).y(), at(0).y());
        QVERIFY(at(2).left() > at(0).right() && at(4).left() > at(2).right());
        for (int i = 0; i < 5; ++i)
            QVERIFY(group.contentsRect().contains(at(i)) && at(i).width() >= group.Button(i)->sizeHint().width());
    }

    void upDownArrows_data()
    {
        QTest::addColumn<int>("min");
        QTest::addColumn<int>("max");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("up");
        QTest::addColumn<QString>("expected");
        QTest::newRow("up") << 0 << 10 << 5 << "5" << true << "6";
        QTest::newRow("down") << 0 << 10 << 5 << "5" << false << "4";
        QTest::newRow("at max") << 0 << 10 << 10 << "10" << true << "10";
        QTest::newRow("at min") << 1 << 10 << 1 << "1" << false << "1";
        QTest::newRow("typed number counts") << 0 << 100 << 5 << "42" << true << "43";
        QTest::newRow("typed beyond max") << 0 << 10 << 5 << "99" << false << "9";
        QTest::newRow("typed below min") << 0 << 10 << 5 << "-7" << true << "1";
        QTest::newRow("not a number: from position") << 0 << 10 << 3 << "abc" << true << "4";
    }
    void upDownArrows()
    {
        QFETCH(int, min);
        QFETCH(int, max);
        QFETCH(int, position);
        QFETCH(QString, text);
        QFETCH(bool, up);
        QFETCH(QString, expected);
        ScriptedPlatform platform;
        TUpDownEdit edit(platform);
        edit.SetMin(min);
        edit.SetMax(max);
        edit.SetPosition(position);
        edit.Edit()->clear();
        QTest::keyClicks(edit.Edit(), text); // typed freely
        QCOMPARE(edit.Text(), text);
        QTest::mouseClick(up ? edit.UpButton() : edit.DownButton(), Qt::LeftButton);
        QCOMPARE(edit.Text(), expected);
        QCOMPARE(edit.Position(), expected.toInt());
        // The arrow keys step as the buttons do.
        QTest::keyClick(edit.Edit(), up ? Qt::Key_Down : Qt::Key_Up);
        QCOMPARE(edit.Position(), std::clamp(expected.toInt() + (up ? -1 : 1), min, max));
    }
};

QTEST_MAIN(TestSmallControls)
#include "test_smallcontrols.moc"
