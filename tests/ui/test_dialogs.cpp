// SPDX-License-Identifier: GPL-3.0-or-later
// The help popup and the About, Help and Goodbye windows, offscreen through the scripted platform.
#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWindow>
#include <memory>
#include "app/lib/Application.h"
#include "ScriptedPlatform.h"
#include "MainWindowFixture.h"
#include "ui/browser/Viewmain.h"
#include "ui/dialogs/About.h"
#include "ui/dialogs/GoodBye.h"
#include "ui/dialogs/Help.h"

namespace {
// What stood on the screen while the program slept.
struct PlateSnapshot {
    bool shown = false;
    bool exposed = false;
    QRect frame;
    QRegion mask;
    QString text;
    Qt::WindowFlags flags;
    QColor plateColour, letterColour;
};

// Looks at the Goodbye window at every pause.
class WatchingPlatform : public ScriptedPlatform {
public:
    std::vector<PlateSnapshot> plates;
    void Sleep(int ms) override
    {
        PlateSnapshot shot;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* gb = qobject_cast<TGBForm*>(w);
            if (!gb || !gb->isVisible())
                continue;
            shot.shown = true;
            shot.exposed = gb->windowHandle() && gb->windowHandle()->isExposed();
            shot.frame = gb->frameGeometry();
            shot.mask = gb->mask();
            shot.text = gb->lblGB->text();
            shot.flags = gb->windowFlags();
            const QImage picture = gb->grab().toImage();
            shot.plateColour = picture.pixelColor(8, 8);
            shot.letterColour = gb->lblGB->palette().color(QPalette::WindowText);
        }
        plates.push_back(shot);
        ScriptedPlatform::Sleep(ms);
    }
};

struct Window : MainWindowFixture<WatchingPlatform> {
    void Open() { OpenWindow(); }
    // Opens a window from the help popup; `look` sees it while it is shown.
    template <class Look>
    void Choose(const QString& entry, Look look)
    {
        platform.menuChoices.push_back(entry);
        platform.onModal = [look](QDialog& d) {
            look(d);
            return d.result();
        };
        form->btnHelp->click();
    }
};

template <class T>
int Living()
{
    int n = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        n += qobject_cast<T*>(w) ? 1 : 0;
    return n;
}

int OuterHeight(const QWidget& w)
{
    return w.frameGeometry().height();
}
}

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    void helpPopupAtPointer_data()
    {
        QTest::addColumn<QPoint>("pointer");
        QTest::newRow("near the button") << QPoint(250, 120);
        QTest::newRow("far corner") << QPoint(1010, 760);
        QTest::newRow("origin") << QPoint(0, 0);
    }
    void helpPopupAtPointer()
    {
        QFETCH(QPoint, pointer);
        Window w;
        w.Open();
        w.platform.cursor = pointer;
        w.form->btnHelp->click();
        QCOMPARE(w.platform.menus.size(), size_t(1));
        QCOMPARE(w.platform.menus[0].pos, pointer);
        QCOMPARE(w.platform.menus[0].texts, QStringList({QStringLiteral("Help"), QStringLiteral("About")}));
        QVERIFY(w.platform.modals.empty());
    }

    void entriesOpenTheirWindows_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QString>("window");
        QTest::addColumn<QString>("caption");
        QTest::newRow("help") << QStringLiteral("Help") << QStringLiteral("THelpForm")
                              << QStringLiteral(" Lumivue Help");
        QTest::newRow("about") << QStringLiteral("About") << QStringLiteral("TAboutForm") << QStringLiteral("About");
    }
    void entriesOpenTheirWindows()
    {
        QFETCH(QString, entry);
        QFETCH(QString, window);
        QFETCH(QString, caption);
        Window w;
        w.Open();
        QString seenCaption;
        bool seenVisible = false;
        w.Choose(entry, [&](QDialog& d) {
            seenCaption = d.windowTitle();
            seenVisible = d.isVisible();
            QVERIFY(!(d.windowFlags() & Qt::WindowMinimizeButtonHint));
            QVERIFY(!(d.windowFlags() & Qt::WindowMaximizeButtonHint));
        });
        QCOMPARE(w.platform.modals, std::vector<QString>({window}));
        QCOMPARE(seenCaption, caption);
        QVERIFY(seenVisible);
        // Destroyed as soon as the showing returns.
        QCOMPARE(Living<TAboutForm>() + Living<THelpForm>(), 0);
        QVERIFY(w.platform.messages.empty());
    }

    void aboutUnfoldsOnce_data()
    {
        QTest::addColumn<int>("presses");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("agreementShown");
        QTest::newRow("as shown") << 0 << 265 << false;
        QTest::newRow("User Agreement") << 1 << 468 << true;
        QTest::newRow("pressed twice") << 2 << 468 << true;
        QTest::newRow("pressed three times") << 3 << 468 << true;
    }
    void aboutUnfoldsOnce()
    {
        QFETCH(int, presses);
        QFETCH(int, height);
        QFETCH(bool, agreementShown);
        Window w;
        w.Open();
        int shownHeight = 0, finalHeight = 0, width = 0;
        bool inside = false;
        QString name;
        w.Choose(QStringLiteral("About"), [&](QDialog& d) {
            auto& about = static_cast<TAboutForm&>(d);
            shownHeight = OuterHeight(about);
            name = about.lblName->text();
            for (int i = 0; i < presses; ++i)
                QTest::mouseClick(about.btnUser, Qt::LeftButton);
            finalHeight = OuterHeight(about);
            width = about.frameGeometry().width();
            // The agreement text lies wholly inside the client area exactly when unfolded.
            inside = about.rect().contains(about.mmoUser->geometry());
            QTest::mouseClick(about.btnOK, Qt::LeftButton);
        });
        QCOMPARE(shownHeight, 265);
        QCOMPARE(finalHeight, height);
        QCOMPARE(width, 324);
        QCOMPARE(inside, agreementShown);
        QCOMPARE(name, QStringLiteral("Lumivue"));

        // A new window starts folded again.
        int againHeight = 0;
        w.Choose(QStringLiteral("About"), [&](QDialog& d) { againHeight = OuterHeight(d); });
        QCOMPARE(againHeight, 265);
    }

    void aboutCloses_data()
    {
        QTest::addColumn<bool>("byOK");
        QTest::addColumn<int>("result");
        QTest::newRow("OK") << true << int(QDialog::Accepted);
        QTest::newRow("close box") << false << int(QDialog::Rejected);
    }
    void aboutCloses()
    {
        QFETCH(bool, byOK);
        QFETCH(int, result);
        ScriptedPlatform platform;
        TAboutForm about(platform);
        about.show();
        QVERIFY(about.isVisible());
        if (byOK)
            QTest::mouseClick(about.btnOK, Qt::LeftButton);
        else
            about.close();
        QVERIFY(!about.isVisible());
        QCOMPARE(about.result(), result);
    }

    void helpAtTopRight_data()
    {
        QTest::addColumn<QSize>("screen");
        QTest::addColumn<QPoint>("mainAt");
        QTest::newRow("1024x768") << QSize(1024, 768) << QPoint(100, 100);
        QTest::newRow("1920x1080, main window right") << QSize(1920, 1080) << QPoint(1000, 400);
        QTest::newRow("800x600, main window left") << QSize(800, 600) << QPoint(0, 0);
    }
    void helpAtTopRight()
    {
        QFETCH(QSize, screen);
        QFETCH(QPoint, mainAt);
        Window w;
        w.Open();
        w.form->move(mainAt);
        w.platform.screenSize = screen;
        QRect frame;
        w.Choose(QStringLiteral("Help"), [&](QDialog& d) { frame = d.frameGeometry(); });
        QCOMPARE(frame, QRect(screen.width() - 395 - 10, 10, 395, 550));
    }

    void helpMemoHoldsTheText()
    {
        ScriptedPlatform platform;
        THelpForm help(platform);
        help.show();
        QCOMPARE(help.Memo1->toPlainText(), THelpForm::HelpText());
        QCOMPARE(help.Memo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        // The memo fills the whole client area.
        QCOMPARE(help.Memo1->geometry(), help.rect());
    }

    void helpTextLayout()
    {
        const QStringList lines = THelpForm::HelpText().split(QLatin1Char('\n'));
        QVERIFY(lines.size() > 40);
        // Every line but the last two starts with exactly one blank; separators are a lone blank.
        for (int i = 0; i < lines.size() - 2; ++i) {
            const QString& line = lines[i];
            QVERIFY2(line.startsWith(QLatin1Char(' ')), qPrintable(QStringLiteral("line %1").arg(i + 1)));
            QVERIFY2(line == QLatin1String(" ") || !line.at(1).isSpace(),
                     qPrintable(QStringLiteral("line %1").arg(i + 1)));
        }
        for (int i = lines.size() - 2; i < lines.size(); ++i)
            QVERIFY2(!lines[i].isEmpty() && !lines[i].at(0).isSpace(), qPrintable(lines[i]));
        QVERIFY(lines[lines.size() - 2].contains(QLatin1String("red light")));
        QVERIFY(lines.last().contains(QLatin1String("green light")));

        // The option headings and the two closing topics stand on lines of their own, in order,
        // each after a separator.
        const QStringList headings = {"Show In Screen", "Show Full Size",  "Zoom or Sub Section", "Details",
                                      "Print As Is",    "Print Full Page", "Copy To Clipboard",   "Save ThumbNail as",
                                      "Save File as",   "Copy To",         "Slide Show",          "Searching"};
        int from = 0;
        for (const QString& h : headings) {
            const int at = lines.indexOf(QLatin1Char(' ') + h, from);
            QVERIFY2(at > 0, qPrintable(h));
            QCOMPARE(lines[at - 1], QStringLiteral(" "));
            from = at + 1;
        }
        // The opening topics come before the options, in their order.
        const QString text = THelpForm::HelpText();
        const int drive = text.indexOf(QLatin1String("drive box"));
        const int fileType = text.indexOf(QLatin1String("\"File Type\""));
        const int navigator = text.indexOf(QLatin1String("navigator buttons"));
        const int options = text.indexOf(QLatin1String(" Show In Screen\n"));
        QVERIFY(drive >= 0 && drive < fileType && fileType < navigator && navigator < options);
        QVERIFY(text.count(QLatin1String("THE SOURCE FILE STAYS")) == 2);
    }

    void goodbyeOnClose()
    {
        Window w;
        w.Open();
        w.form->move(150, 90);
        const QRect main = w.form->frameGeometry();
        QVERIFY(w.form->close());
        QCOMPARE(w.platform.sleeps, std::vector<int>({750}));
        QCOMPARE(w.platform.plates.size(), size_t(1));
        const PlateSnapshot& plate = w.platform.plates[0];
        QVERIFY(plate.shown);
        QVERIFY(plate.exposed);
        QCOMPARE(plate.text, QStringLiteral("Goodbye"));
        QVERIFY(plate.flags & Qt::FramelessWindowHint);
        QCOMPARE(plate.frame.size(), QSize(240, 72));
        // Over the middle of the main window.
        QCOMPARE(plate.frame.topLeft(), main.topLeft() + QPoint((main.width() - 240) / 2, (main.height() - 72) / 2));
        QCOMPARE(plate.plateColour, QColor(192, 0, 32));
        QCOMPARE(plate.letterColour, QColor(Qt::white));
        QCOMPARE(plate.mask, TGBForm::PlateRegion());
        // Gone again, and the main window with it.
        QCOMPARE(Living<TGBForm>(), 0);
        QVERIFY(!w.form->isVisible());
    }

    void plateShape_data()
    {
        QTest::addColumn<QPoint>("point");
        QTest::addColumn<bool>("inside");
        QTest::newRow("middle") << QPoint(120, 36) << true;
        QTest::newRow("last plate column") << QPoint(233, 36) << true;
        QTest::newRow("rightmost 6 pixels") << QPoint(234, 36) << false;
        QTest::newRow("window's last column") << QPoint(239, 36) << false;
        QTest::newRow("top left corner") << QPoint(0, 0) << false;
        QTest::newRow("bottom right corner") << QPoint(233, 71) << false;
        QTest::newRow("top edge") << QPoint(117, 0) << true;
        QTest::newRow("bottom edge") << QPoint(117, 71) << true;
        QTest::newRow("below") << QPoint(117, 72) << false;
        QTest::newRow("left edge") << QPoint(0, 36) << true;
    }
    void plateShape()
    {
        QFETCH(QPoint, point);
        QFETCH(bool, inside);
        QCOMPARE(TGBForm::PlateRegion().contains(point), inside);
        QCOMPARE(TGBForm::PlateRegion().boundingRect(), QRect(0, 0, 234, 72));
    }

    // Last: the program's own message loop runs and ends here.
    void programEndsAfterGoodbye()
    {
        QTemporaryDir dir;
        WatchingPlatform platform;
        platform.SetCurrentFolder(dir.path());
        bool closed = false;
        QTimer closer;
        closer.setSingleShot(true);
        connect(&closer, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* form = qobject_cast<TViewForm*>(w); form && form->isVisible())
                    closed = form->close();
        });
        QTimer watchdog; // a loop that never ends fails the test instead of hanging it
        watchdog.setSingleShot(true);
        connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
        closer.start(50);
        watchdog.start(20000);
        StartRequest start;
        start.remember = false; // the user's own settings stay as they are
        const int code = RunLumivue(static_cast<TApplication&>(*qApp), platform, start);
        QCOMPARE(code, 0);
        QVERIFY(closed);
        QCOMPARE(platform.sleeps, std::vector<int>({750}));
        QVERIFY(platform.plates.at(0).shown);
        QCOMPARE(Living<TGBForm>() + Living<TViewForm>(), 0);
    }
};

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    TestDialogs test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_dialogs.moc"
