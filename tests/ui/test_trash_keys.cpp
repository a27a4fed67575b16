// SPDX-License-Identifier: GPL-3.0-or-later
// Acting on the chosen picture's file from the page and the full-screen window: the page closes
// the gap and keeps its place, Undo puts the file back, Shift+Delete asks first, a refusal
// changes nothing, and Ctrl+R turns the picture the page then shows.
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include "controls/ImageControl.h"
#include "MainWindowFixture.h"
#include "TestPictures.h"
#include "ui/fullscreen/Full.h"
#include "ui/search/SearchPanel.h"

#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr uid_t kNobody = 65534;

struct Page : MainWindowFixture<> {
    QTemporaryDir data; // the trash's home, never the user's own
    void Open()
    {
        qputenv("XDG_DATA_HOME", data.path().toUtf8());
        for (int i = 0; i < 12; ++i)
            WriteTestJpeg(Path(QStringLiteral("p%1.jpg").arg(i, 2, 10, QLatin1Char('0'))), 48, 32);
        OpenWindow();
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
        form->pnlImage->setFocus();
        form->ChooseThumbnail(3);
    }
    void Press(int key, Qt::KeyboardModifiers modifiers = {})
    {
        QTest::keyClick(form->windowHandle(), Qt::Key(key), modifiers);
        form->FinishTurns();
        form->Decoder().Drain();
    }
    int Trashed() const
    {
        return int(QDir(data.filePath(QStringLiteral("Trash/files"))).entryList(QDir::Files).size());
    }
};
} // namespace

class TestTrashKeys : public QObject {
    Q_OBJECT
private slots:
    void actOnTheChosenPicture_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("third"); // the page's third picture after
        QTest::addColumn<int>("trashed");
        QTest::addColumn<bool>("note");
        QTest::newRow("Delete") << "delete"
                                << "p03.jpg" << 1 << true;
        QTest::newRow("popup entry") << "popup"
                                     << "p03.jpg" << 1 << true;
        QTest::newRow("Ctrl+Z") << "undoKey"
                                << "p02.jpg" << 0 << false;
        QTest::newRow("the note's Undo") << "undoButton"
                                         << "p02.jpg" << 0 << false;
        QTest::newRow("Shift+Delete, No") << "shiftNo"
                                          << "p02.jpg" << 0 << false;
        QTest::newRow("Shift+Delete, Yes") << "shiftYes"
                                           << "p03.jpg" << 0 << false;
        QTest::newRow("read-only folder") << "readOnly"
                                          << "p02.jpg" << 0 << false;
        QTest::newRow("Ctrl+Z while typing") << "typing"
                                             << "p03.jpg" << 1 << true;
        QTest::newRow("Ctrl+R") << "turn"
                                << "p02.jpg" << 0 << false;
        // A picture of partial blocks: trimmed, turned by its tag, or left as it is.
        QTest::newRow("Ctrl+R, trim") << "turn yes"
                                      << "p02.jpg" << 0 << false;
        QTest::newRow("Ctrl+R, by tag") << "turn no yes"
                                        << "p02.jpg" << 0 << false;
        QTest::newRow("Ctrl+R, declined") << "turn no no"
                                          << "p02.jpg" << 0 << false;
        QTest::newRow("Ctrl+R twice at once") << "twice"
                                              << "p02.jpg" << 0 << false;
    }
    void actOnTheChosenPicture()
    {
        QFETCH(QString, action);
        Page p;
        p.Open();
        const QByteArray folder = QFile::encodeName(p.dir.path());
        if (action == QLatin1String("popup")) {
            // The desktop is handed the full path; then the file goes to the trash.
            p.platform.menuChoices = {QStringLiteral("Show in Folder"), QStringLiteral("Open With\u2026"),
                                      QStringLiteral("Move to Trash")};
            p.Press(Qt::Key_Menu);
            p.Press(Qt::Key_Menu);
            const QString chosen = p.Path(QStringLiteral("p02.jpg"));
            QCOMPARE(p.platform.handedOver,
                     QStringList({QStringLiteral("folder ") + chosen, QStringLiteral("with ") + chosen}));
            p.Press(Qt::Key_Menu);
            // The first entries keep their places (Cancel the last of them); the new ones follow.
            const QStringList texts = p.platform.menus.at(0).texts;
            QCOMPARE(texts.mid(texts.indexOf(QStringLiteral("Cancel"))),
                     QStringList({"Cancel", "Move to Trash", "Rename", "Rotate Right", "Rotate Left", "Flip",
                                  QStringLiteral("Open With\u2026"), "Show in Folder"}));
        } else if (action.startsWith(QLatin1String("shift"))) {
            p.platform.answers = {action == QLatin1String("shiftYes")};
            p.Press(Qt::Key_Delete, Qt::ShiftModifier);
            QCOMPARE(p.platform.questions.size(), 1);
        } else if (action == QLatin1String("readOnly")) {
            // Root writes anywhere: the press then runs with an ordinary user's file rights
            // (the thread's file-system user; the trash's home is that user's).
            const bool root = ::geteuid() == 0;
            QVERIFY(!root || ::chown(QFile::encodeName(p.data.path()).constData(), kNobody, kNobody) == 0);
            ::chmod(folder.constData(), 0555);
            if (root)
                ::setfsuid(kNobody);
            p.Press(Qt::Key_Delete);
            if (root)
                ::setfsuid(0);
            ::chmod(folder.constData(), 0700);
            QVERIFY(p.platform.messages.at(0).text.endsWith(QStringLiteral("Permission denied")));
        } else if (action == QLatin1String("typing")) {
            // Ctrl+Z in a line being typed undoes the typing; the file stays in the trash.
            p.Press(Qt::Key_Delete);
            p.form->btnSearchClick();
            auto* line = p.form->SearchPanel().findChild<QLineEdit*>(QStringLiteral("edtSearch"));
            QVERIFY(line);
            line->setFocus();
            QTest::keyClicks(line, QStringLiteral("dog"));
            p.Press(Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(line->text(), QString());
            p.form->SearchPanel().PressClose();
            p.form->pnlImage->setFocus();
            p.form->ChooseThumbnail(3);
        } else if (action == QLatin1String("twice")) {
            // The second comes while the first is under way: a beep, one turn.
            for (int i = 0; i < 2; ++i)
                QTest::keyClick(p.form->windowHandle(), Qt::Key_R, Qt::ControlModifier);
            QCOMPARE(p.platform.beeps, 1);
            p.form->FinishTurns();
            p.form->Decoder().Drain();
            const TPicture& shown = p.form->Thumbnail(3)->Picture();
            QVERIFY(shown.Width() < shown.Height());
        } else if (action.startsWith(QLatin1String("turn"))) {
            const QStringList answers = action.split(QLatin1Char(' ')).mid(1);
            if (!answers.isEmpty())
                WriteTestJpeg(p.Path(QStringLiteral("p02.jpg")), 40, 30);
            for (const QString& answer : answers)
                p.platform.answers.push_back(answer == QLatin1String("yes"));
            p.Press(Qt::Key_R, Qt::ControlModifier);
            QCOMPARE(p.platform.questions.size(), answers.size());
            const TPicture& shown = p.form->Thumbnail(3)->Picture();
            QCOMPARE(shown.Width() < shown.Height(), !action.endsWith(QLatin1String("no no")));
        } else {
            p.Press(Qt::Key_Delete);
            if (action == QLatin1String("undoKey"))
                p.Press(Qt::Key_Z, Qt::ControlModifier);
            else if (action == QLatin1String("undoButton"))
                p.form->btnUndo->click();
            p.form->Decoder().Drain();
        }
        QTEST(p.form->Thumbnail(3)->Hint(), "third");
        QCOMPARE(p.form->Thumbnail(1)->Hint(), QStringLiteral("p00.jpg"));
        QCOMPARE(p.form->PicList.Current, 3);
        QCOMPARE(QFileInfo::exists(p.Path(QStringLiteral("p02.jpg"))), p.form->Thumbnail(3)->Hint() == "p02.jpg");
        QTEST(p.Trashed(), "trashed");
        QTEST(p.form->pnlUndo->isVisible(), "note");
    }

    // Delete in full screen: the next picture shows; on the last, the one before.
    void fullScreenShowsTheNext()
    {
        Page p;
        p.Open();
        p.form->ChooseThumbnail(2);
        p.Press(Qt::Key_End);
        p.Press(Qt::Key_Left);
        QStringList shown;
        QVERIFY(p.During<TFullForm>([&] { p.Press(Qt::Key_Return); },
                                    [&](TFullForm& full) {
                                        for (int i = 0; i < 2; ++i) {
                                            QTest::keyClick(&full, Qt::Key_Delete);
                                            shown << full.ShownFile;
                                        }
                                    }));
        QCOMPARE(shown, QStringList({QStringLiteral("p11.jpg"), QStringLiteral("p09.jpg")}));
        QCOMPARE(p.Trashed(), 2);
    }

    // In full screen, Ctrl+R turns the shown picture's file and shows it turned; Ctrl+Z after
    // a Delete puts the file back and shows it again.
    void fullScreenTurnsAndPutsBack()
    {
        Page p;
        p.Open();
        QSize turned;
        QString back;
        QVERIFY(p.During<TFullForm>([&] { p.Press(Qt::Key_Return); },
                                    [&](TFullForm& full) {
                                        QCOMPARE(full.ShownFile, QStringLiteral("p02.jpg"));
                                        QTest::keyClick(&full, Qt::Key_R, Qt::ControlModifier);
                                        p.form->FinishTurns();
                                        turned = QSize(full.PictureWidth, full.PictureHeight);
                                        QTest::keyClick(&full, Qt::Key_Delete);
                                        QTest::keyClick(&full, Qt::Key_Z, Qt::ControlModifier);
                                        back = full.ShownFile;
                                    }));
        QCOMPARE(turned, QSize(32, 48));
        QCOMPARE(back, QStringLiteral("p02.jpg"));
        QCOMPARE(p.Trashed(), 0);
        QVERIFY(QFileInfo::exists(p.Path(QStringLiteral("p02.jpg"))));
    }

    // A search result's file, in a folder below the page's: turned, shown in its folder,
    // trashed (the results lose it) and put back, all by its full path.
    void searchResultsTakeTheActions()
    {
        Page p;
        QVERIFY(QDir().mkpath(p.Path(QStringLiteral("sub"))));
        for (int i = 0; i < 3; ++i)
            WriteTestJpeg(p.Path(QStringLiteral("sub/q%1.jpg").arg(i)), 48, 32);
        p.Open();
        p.form->btnSearchClick();
        p.form->SearchPanel().SetText(QStringLiteral("q"));
        p.form->SearchPanel().PressSearch();
        p.form->Decoder().Drain();
        // The results stand in the order the folder lists them.
        QCOMPARE(p.form->SearchPanel().Results()->count(), 3);
        const QString q1 = p.form->Thumbnail(2)->Hint(), q2 = p.form->Thumbnail(3)->Hint();
        QVERIFY(q1.startsWith(p.Path(QStringLiteral("sub/q"))));
        p.form->pnlImage->setFocus();
        p.form->ChooseThumbnail(2);
        p.Press(Qt::Key_R, Qt::ControlModifier);
        const TPicture& shown = p.form->Thumbnail(2)->Picture();
        QVERIFY(shown.Width() < shown.Height());
        p.platform.menuChoices = {QStringLiteral("Show in Folder")};
        p.Press(Qt::Key_Menu);
        QCOMPARE(p.platform.handedOver, QStringList {QStringLiteral("folder ") + q1});
        p.Press(Qt::Key_Delete);
        QVERIFY(!QFileInfo::exists(q1));
        QCOMPARE(p.form->Thumbnail(2)->Hint(), q2);
        QCOMPARE(p.Trashed(), 1);
        p.Press(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(QFileInfo::exists(q1));
        QCOMPARE(p.form->Thumbnail(2)->Hint(), q1);
        QCOMPARE(p.Trashed(), 0);
    }
};

QTEST_MAIN(TestTrashKeys)
#include "test_trash_keys.moc"
