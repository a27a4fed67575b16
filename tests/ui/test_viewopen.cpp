// SPDX-License-Identifier: GPL-3.0-or-later
#include <QDir>
#include <QFile>
#include <QTest>
#include <QToolButton>
#include "MainWindowFixture.h"
#include "TestPictures.h"
#include "controls/DirectoryListBox.h"
#include "controls/FileListBox.h"
#include "controls/ImageControl.h"
#include "ui/fullscreen/Full.h"

namespace {
// The fixture's folder holds only the sub-folder "pics": twenty small JPEG files p01.jpg ..
// p20.jpg and a text file. The window starts in the fixture's folder, so opening "pics"
// really changes the folder.
struct Window : MainWindowFixture<> {
    Window()
    {
        QDir(dir.path()).mkdir(QStringLiteral("pics"));
        for (int i = 1; i <= 20; ++i)
            WriteTestJpeg(Path(QStringLiteral("pics/p%1.jpg").arg(i, 2, 10, QLatin1Char('0'))), 8, 6, false, i);
        QFile notes(Path(QStringLiteral("pics/notes.txt")));
        notes.open(QIODevice::WriteOnly);
        OpenWindow();
    }
};
}

class TestViewOpen : public QObject {
    Q_OBJECT
private slots:
    void opensAt_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("found");
        QTest::addColumn<int>("pageStart"); // image-list index of the page's first thumbnail
        QTest::addColumn<int>("current");
        QTest::newRow("folder: first page") << "" << true << 0 << 0;
        QTest::newRow("first file") << "p01.jpg" << true << 0 << 1;
        QTest::newRow("ninth: last cell of the first page") << "p09.jpg" << true << 0 << 9;
        QTest::newRow("12th of 20: second page, cell 3") << "p12.jpg" << true << 9 << 3;
        QTest::newRow("last: third page, cell 2") << "p20.jpg" << true << 18 << 2;
        QTest::newRow("not a picture: first page") << "notes.txt" << false << 0 << 0;
        QTest::newRow("not in the folder: first page") << "p99.jpg" << false << 0 << 0;
        QTest::newRow("case differs: first page") << "P12.JPG" << false << 0 << 0;
    }
    void opensAt()
    {
        QFETCH(QString, name);
        QFETCH(int, pageStart);
        QFETCH(int, current);
        Window w;
        QCOMPARE(w.form->PicList.Total, 0);
        QTEST(w.form->OpenAt(w.Path(QStringLiteral("pics")), name), "found");
        TViewForm& form = *w.form;
        QCOMPARE(form.DirectoryListBox1->Directory(), w.Path(QStringLiteral("pics")));
        QCOMPARE(w.platform.CurrentFolder(), w.Path(QStringLiteral("pics")));
        QCOMPARE(form.PicList.Total, 20);
        QCOMPARE(form.PageSize, 9);
        QCOMPARE(form.PicList.NextIndex - form.PicList.Shown, pageStart);
        QCOMPARE(form.PicList.Current, current);
        QCOMPARE(form.Thumbnail(1)->Hint(), form.ImageListEntry(pageStart));
        if (current > 0) {
            QCOMPARE(form.Thumbnail(current)->Hint(), name);
            QCOMPARE(form.FileListBox1->ItemIndex(), pageStart + current - 1);
            // As a file manager's "Open with" starts it: the file full screen, over the folder's list.
            QStringList shown;
            QVERIFY(w.During<TFullForm>(
                [&] { form.OpenChosen(); },
                [&](TFullForm& full) { shown << full.ShownFile << QString::number(full.LastIndex); }));
            QCOMPARE(shown, QStringList({name, QStringLiteral("19")}));
        } else {
            QCOMPARE(form.FileListBox1->ItemIndex(), -1);
        }
        // The page is the one the navigator works from.
        QCOMPARE(form.btnUp->isEnabled(), pageStart > 0);
        QVERIFY(w.platform.messages.empty());
    }

    void folderThatCannotBeEntered()
    {
        Window w;
        bool thrown = false;
        try {
            w.form->OpenAt(w.Path(QStringLiteral("gone")), QString());
        } catch (...) {
            thrown = true;
        }
        QVERIFY(thrown);
        QCOMPARE(w.form->DirectoryListBox1->Directory(), w.dir.path());
        QCOMPARE(w.platform.CurrentFolder(), w.dir.path());
    }
};

QTEST_MAIN(TestViewOpen)
#include "test_viewopen.moc"
