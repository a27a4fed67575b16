// SPDX-License-Identifier: GPL-3.0-or-later
// The main window by keyboard alone, offscreen: the chosen thumbnail and its frame, the page's
// keys and the window's own.
#include <QFrame>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>
#include "controls/ImageControl.h"
#include "MainWindowFixture.h"
#include "TestPictures.h"
#include "ui/dialogs/Help.h"
#include "ui/fullscreen/Full.h"

namespace {

struct Keys : MainWindowFixture<> {
    // Fourteen pictures on pages of nine; the window active, so keys reach its focus.
    void Open()
    {
        for (int i = 0; i < 14; ++i)
            WriteTestJpeg(Path(Name(i)), 40, 30);
        OpenWindow();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
    }
    static QString Name(int i) { return QStringLiteral("p%1.jpg").arg(i, 2, 10, QLatin1Char('0')); }
    void Press(int key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(form->windowHandle(), Qt::Key(key), modifiers);
    }
    // Tab until the page has the keys; false when it never does.
    bool TabToPage()
    {
        for (int i = 0; i < 30 && !form->pnlImage->hasFocus(); ++i)
            Press(Qt::Key_Tab);
        return form->pnlImage->hasFocus();
    }
    QString Chosen() const { return form->Thumbnail(form->PicList.Current)->Hint(); }
    const QFrame* Frame() const { return form->pnlImage->findChild<QFrame*>(QStringLiteral("frmChoice")); }
};

} // namespace

class TestKeys : public QObject {
    Q_OBJECT
private slots:
    void pageKeysMoveTheChoice_data()
    {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QString>("pageFirst");
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<int>("beeps");
        using K = QList<int>;
        QTest::newRow("right x3") << K {Qt::Key_Right, Qt::Key_Right, Qt::Key_Right} << "p00.jpg"
                                  << "p03.jpg" << 0;
        QTest::newRow("down a row") << K {Qt::Key_Down} << "p00.jpg"
                                    << "p03.jpg" << 0;
        QTest::newRow("left at the list's start") << K {Qt::Key_Left} << "p00.jpg"
                                                  << "p00.jpg" << 1;
        QTest::newRow("past the page's end")
            << K {Qt::Key_End, Qt::Key_Home, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down} << "p09.jpg"
            << "p09.jpg" << 0;
        QTest::newRow("back past the page's start")
            << K {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Up} << "p00.jpg"
            << "p08.jpg" << 0;
        QTest::newRow("end: the last picture") << K {Qt::Key_End} << "p05.jpg"
                                               << "p13.jpg" << 0;
        QTest::newRow("right at the list's end") << K {Qt::Key_End, Qt::Key_Right} << "p05.jpg"
                                                 << "p13.jpg" << 1;
        QTest::newRow("home from the end") << K {Qt::Key_End, Qt::Key_Home} << "p00.jpg"
                                           << "p00.jpg" << 0;
    }
    void pageKeysMoveTheChoice()
    {
        QFETCH(QList<int>, keys);
        Keys k;
        k.Open();
        QVERIFY(k.TabToPage());
        for (int key : keys)
            k.Press(key);
        QTEST(k.form->Thumbnail(1)->Hint(), "pageFirst");
        QTEST(k.Chosen(), "chosen");
        QTEST(k.platform.beeps, "beeps");
        // The frame stands around the chosen cell.
        const TImage* cell = k.form->Thumbnail(k.form->PicList.Current);
        QVERIFY(k.Frame()->isVisible());
        QCOMPARE(k.Frame()->geometry(), cell->geometry().adjusted(-3, -3, 3, 3));
    }

    // Keyboard only: Tab to the page, the fourth picture by Right x3, shown by Enter; back
    // with Esc, its popup at the cell by Shift+F10 or the Menu key.
    void openAndPopupByKeys()
    {
        Keys k;
        k.Open();
        QVERIFY(k.TabToPage());
        for (int i = 0; i < 3; ++i)
            k.Press(Qt::Key_Right);
        QString shown;
        QVERIFY(
            k.During<TFullForm>([&] { k.Press(Qt::Key_Return); }, [&](TFullForm& full) { shown = full.ShownFile; }));
        QCOMPARE(shown, QStringLiteral("p03.jpg"));
        for (const auto& [key, modifiers] :
             {std::pair {int(Qt::Key_F10), Qt::ShiftModifier}, std::pair {int(Qt::Key_Menu), Qt::NoModifier}}) {
            k.platform.menus.clear();
            k.platform.menuChoices = {QString()};
            k.Press(key, modifiers);
            QCOMPARE(k.platform.menus.size(), size_t(1));
            const TImage* cell = k.form->Thumbnail(4);
            QCOMPARE(k.platform.menus[0].pos, cell->mapToGlobal(cell->rect().center()));
            QCOMPARE(k.platform.menus[0].texts.first(), QStringLiteral("Show In Screen"));
        }
    }

    void windowKeys_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("F1: help") << int(Qt::Key_F1) << 0;
        QTest::newRow("F11: the chosen picture full screen") << int(Qt::Key_F11) << 0;
        QTest::newRow("F5: the folder read again") << int(Qt::Key_F5) << 0;
        QTest::newRow("Ctrl+Q: quit") << int(Qt::Key_Q) << int(Qt::ControlModifier);
    }
    void windowKeys()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        Keys k;
        k.Open();
        k.form->btnDown->click(); // the second page, p09 first
        k.form->ChooseThumbnail(2);
        const auto press = [&] { k.Press(key, Qt::KeyboardModifiers(modifiers)); };
        switch (key) {
        case Qt::Key_F1: QVERIFY(k.During<THelpForm>(press, [](THelpForm&) {})); break;
        case Qt::Key_F11: {
            QString shown;
            QVERIFY(k.During<TFullForm>(press, [&](TFullForm& full) { shown = full.ShownFile; }));
            QCOMPARE(shown, QStringLiteral("p10.jpg"));
            break;
        }
        case Qt::Key_F5:
            // Two pictures listed before the page's first one, one gone: the page keeps its first.
            WriteTestJpeg(k.Path(QStringLiteral("a.jpg")), 40, 30);
            WriteTestJpeg(k.Path(QStringLiteral("b.jpg")), 40, 30);
            QVERIFY(QFile::remove(k.Path(Keys::Name(5))));
            press();
            QCOMPARE(k.form->edtImageCount->text(), QStringLiteral("15"));
            QCOMPARE(k.form->Thumbnail(1)->Hint(), QStringLiteral("p09.jpg"));
            break;
        default: press(); QVERIFY(!k.form->isVisible());
        }
    }
};

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    TestKeys test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_keys.moc"
