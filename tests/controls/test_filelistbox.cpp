// SPDX-License-Identifier: GPL-3.0-or-later
// The file list: what it lists, in which order, how often it reads the folder, and when
// it reports a change.
#include <QDir>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>
#include "TestFiles.h"
#include "controls/FileListBox.h"
#include "platform/FileServices.h"
#include "ScriptedPlatform.h"

class TestFileListBox : public QObject {
    Q_OBJECT

    // Counts the folder reads while reading the real file system.
    struct CountingPlatform : ScriptedPlatform {
        int lists = 0;
        CountingPlatform()
        {
            listOverride = [this](const QString& folder, const QString& mask, ListFilter filter) {
                ++lists;
                return FileServices::ListDirectory(folder, mask, filter);
            };
        }
    };

    static void Touch(const QString& path) { WriteBytes(path, QByteArray("x")); }

private slots:
    void listsMatchingVisibleFilesInOrder_data()
    {
        QTest::addColumn<QStringList>("files");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("case ignored") << QStringList {"b.jpg", "C.jpg", "a.jpg"} << "*"
                                      << QStringList {"a.jpg", "b.jpg", "C.jpg"};
        QTest::newRow("ties in code order") << QStringList {"a.jpg", "A.JPG", "a.JPG", "A.jpg"} << "*"
                                            << QStringList {"A.JPG", "A.jpg", "a.JPG", "a.jpg"};
        QTest::newRow("digits and punctuation") << QStringList {"_z.bmp", "10.bmp", "9.bmp", "Z.bmp"} << "*"
                                                << QStringList {"10.bmp", "9.bmp", "_z.bmp", "Z.bmp"};
        QTest::newRow("mask, any case") << QStringList {"a.JPG", "b.jpeg", "c.emf", "d.bmp", "e.jpgx"} << "*.jpg;*.jpeg"
                                        << QStringList {"a.JPG", "b.jpeg"};
        QTest::newRow("all graphics") << QStringList {"a.JPG", "b.jpeg", "c.emf", "d.txt"}
                                      << "*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf"
                                      << QStringList {"a.JPG", "b.jpeg", "c.emf"};
        QTest::newRow("hidden left out") << QStringList {".h.jpg", "v.jpg", ".jpg"} << "*.jpg" << QStringList {"v.jpg"};
        QTest::newRow("nothing matches") << QStringList {"a.txt"} << "*.bmp" << QStringList {};
    }
    void listsMatchingVisibleFilesInOrder()
    {
        QFETCH(QStringList, files);
        QFETCH(QString, mask);
        QFETCH(QStringList, expected);
        QTemporaryDir dir;
        for (const QString& f : files)
            Touch(dir.filePath(f));
        QDir().mkdir(dir.filePath("folder.jpg")); // folders are not files
        ScriptedPlatform platform;
        TFileListBox list(platform);
        list.SetMask(mask);
        list.SetDirectory(dir.path());
        QCOMPARE(list.Items(), expected);
        QCOMPARE(list.Count(), expected.size());
    }

    void followsLinksToFilesOnly()
    {
        QTemporaryDir dir, elsewhere;
        Touch(elsewhere.filePath("target.jpg"));
        QVERIFY(QFile::link(elsewhere.filePath("target.jpg"), dir.filePath("link.jpg")));
        QVERIFY(QFile::link(elsewhere.filePath("missing.jpg"), dir.filePath("broken.jpg")));
        QVERIFY(QFile::link(elsewhere.path(), dir.filePath("folderlink.jpg")));
        ScriptedPlatform platform;
        TFileListBox list(platform);
        list.SetDirectory(dir.path());
        QCOMPARE(list.Items(), QStringList {"link.jpg"});
    }

    void readsOncePerChangeAndReportsIt()
    {
        QTemporaryDir dir;
        Touch(dir.filePath("a.jpg"));
        Touch(dir.filePath("b.jpg"));
        CountingPlatform platform;
        TFileListBox list(platform);
        int changes = 0;
        list.OnChange = [&] { ++changes; };
        platform.lists = 0;
        list.SetDirectory(dir.path());
        QCOMPARE(platform.lists, 1);
        QCOMPARE(changes, 1);
        QCOMPARE(list.ItemIndex(), -1);

        list.SetItemIndex(1);
        QCOMPARE(list.ItemIndex(), 1);
        QCOMPARE(changes, 2);
        list.SetItemIndex(1); // no change, no report
        QCOMPARE(changes, 2);

        list.SetMask("*.jpg"); // a re-read drops the selection
        QCOMPARE(platform.lists, 2);
        QCOMPARE(changes, 3);
        QCOMPARE(list.ItemIndex(), -1);

        list.SetItemIndex(0);
        list.SetItemIndex(7); // outside the list: nothing selected
        QCOMPARE(list.ItemIndex(), -1);
        QCOMPARE(changes, 5);
        QCOMPARE(list.Item(7), QString());
        QCOMPARE(list.Item(-1), QString());
        QCOMPARE(platform.lists, 2);
    }

    void unreadableFolderListsNothing()
    {
        ScriptedPlatform platform;
        TFileListBox list(platform);
        int changes = 0;
        list.OnChange = [&] { ++changes; };
        list.SetDirectory("/no/such/folder/here");
        QCOMPARE(list.Count(), 0);
        QCOMPARE(changes, 1);
    }

    void tenThousandFilesListedOnce()
    {
        QTemporaryDir dir;
        for (int i = 0; i < 10000; ++i) {
            QFile f(dir.filePath(QStringLiteral("img%1.jpg").arg(9999 - i, 5, 10, QLatin1Char('0'))));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        CountingPlatform platform;
        TFileListBox list(platform);
        list.resize(200, 300);
        list.show();
        platform.lists = 0;
        // How long this takes is a figure of bench/thumbs (the folder of 10,000 pictures).
        list.SetDirectory(dir.path());
        QCoreApplication::processEvents(); // lays out and paints the visible rows
        QCOMPARE(list.Count(), 10000);
        QCOMPARE(list.Item(0), QStringLiteral("img00000.jpg"));
        QCOMPARE(list.Item(9999), QStringLiteral("img09999.jpg"));
        list.verticalScrollBar()->setValue(list.verticalScrollBar()->maximum());
        QCoreApplication::processEvents();
        QCOMPARE(platform.lists, 1);
    }

    void mouseSelectsAndClicks()
    {
        QTemporaryDir dir;
        for (const char* n : {"a.jpg", "b.jpg", "c.jpg"})
            Touch(dir.filePath(n));
        ScriptedPlatform platform;
        TFileListBox list(platform);
        list.SetDirectory(dir.path());
        list.resize(200, 200);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QStringList events;
        list.OnChange = [&] { events << QStringLiteral("change %1").arg(list.ItemIndex()); };
        list.OnClick = [&] { events << QStringLiteral("click %1").arg(list.ItemIndex()); };
        list.OnDblClick = [&] { events << QStringLiteral("dblclick %1").arg(list.ItemIndex()); };
        const QPoint second = list.visualRect(list.model()->index(1, 0)).center();
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, second);
        QCOMPARE(events, (QStringList {"change 1", "click 1"}));
        events.clear();
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, second);
        QVERIFY(events.contains("dblclick 1"));
        QVERIFY(!events.contains("change 1"));
        // An empty part of the list still reports the click.
        events.clear();
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, QPoint(100, 190));
        QVERIFY(events.contains(QStringLiteral("dblclick %1").arg(list.ItemIndex())));
    }

    void horizontalExtentScrolls()
    {
        QTemporaryDir dir;
        Touch(dir.filePath("a.jpg"));
        ScriptedPlatform platform;
        TFileListBox list(platform);
        list.SetDirectory(dir.path());
        list.resize(150, 100);
        list.show();
        QCoreApplication::processEvents();
        QCOMPARE(list.horizontalScrollBar()->maximum(), 0);
        list.SetHorizontalExtent(500);
        QCoreApplication::processEvents();
        QVERIFY(list.horizontalScrollBar()->maximum() >= 500 - list.viewport()->width() - 10);
        QVERIFY(list.horizontalScrollBar()->maximum() > 0);
    }
};

QTEST_MAIN(TestFileListBox)
#include "test_filelistbox.moc"
