// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as a desktop shows it: on a real X display (a virtual one in the test run),
// with the desktop's default font, its radio groups must show their captions and buttons
// whole, and the size hints the window manager reads must fix the window's size.
#include <QProcess>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QToolButton>
#include "controls/RadioGroup.h"
#include "MainWindowFixture.h"
#include "ui/browser/Viewmain.h"

namespace {
// The window manager's view of the window: its WM_NORMAL_HINTS as xprop prints them.
QString NormalHints(const QWidget& window)
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"),
                {QStringLiteral("-id"), QString::number(window.winId()), QStringLiteral("WM_NORMAL_HINTS")});
    if (!xprop.waitForFinished(10000))
        return QString();
    return QString::fromLocal8Bit(xprop.readAllStandardOutput());
}

QSize HintSize(const QString& hints, const QString& which)
{
    const QRegularExpression re(which + QStringLiteral(" size: (\\d+) by (\\d+)"));
    const QRegularExpressionMatch m = re.match(hints);
    return m.hasMatch() ? QSize(m.captured(1).toInt(), m.captured(2).toInt()) : QSize();
}
}

class TestMainWindowShown : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X display");
    }

    void radioGroupsFit_data()
    {
        QTest::addColumn<QString>("group");
        QTest::newRow("file type") << "rdgType";
        QTest::newRow("image display") << "rdgCount";
        QTest::newRow("search file type") << "rdgExt";
    }
    void radioGroupsFit()
    {
        QFETCH(QString, group);
        MainWindowFixture<> w;
        w.OpenWindow();
        QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
        w.form->btnSearch->click(); // the search area's group shows too
        TRadioGroup* g = group == "rdgType" ? w.form->rdgType
            : group == "rdgCount"           ? w.form->rdgCount
                                            : w.form->SearchPanel().findChild<TRadioGroup*>("rdgExt");
        QVERIFY(g->isVisible());
        // The group inside the panel that holds it, its title within the group's width.
        QVERIFY(g->parentWidget()->rect().contains(g->geometry()));
        QStringList clipped;
        if (g->fontMetrics().horizontalAdvance(g->title()) >= g->width())
            clipped << g->title();
        for (int i = 0; i < g->Items().size(); ++i) {
            const QRadioButton* b = g->Button(i);
            const QSize need = b->sizeHint();
            // Caption and circle whole: the button has the room it asks for, inside the group.
            if (b->width() < need.width() || b->height() < need.height() || !g->contentsRect().contains(b->geometry()))
                clipped << QStringLiteral("%1: %2x%3 for %4x%5")
                               .arg(b->text())
                               .arg(b->width())
                               .arg(b->height())
                               .arg(need.width())
                               .arg(need.height());
        }
        QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(QStringLiteral("; "))));
    }

    // The window manager is told the start size is the least, and no most.
    void resizableFromItsStartSize()
    {
        MainWindowFixture<> w;
        w.OpenWindow();
        TViewForm& f = *w.form;
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        const QString hints = NormalHints(f);
        QCOMPARE(HintSize(hints, "minimum"), QSize(782, 549));
        QVERIFY2(HintSize(hints, "maximum").isEmpty(), qPrintable(hints));
        QCOMPARE(f.size(), QSize(782, 549));
    }
};

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    TestMainWindowShown test;
    return QTest::qExec(&test, argc, argv);
}
#include "xvfb_mainwindow.moc"
