// SPDX-License-Identifier: GPL-3.0-or-later
// The folder list and the drive list: their entries, and opening a folder.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include "TestFiles.h"
#include "controls/DirectoryListBox.h"
#include "controls/DriveComboBox.h"
#include "picture/Failure.h"
#include "platform/FileServices.h"
#include "ScriptedPlatform.h"

class TestDirectoryListBox : public QObject {
    Q_OBJECT
    QString m_startFolder;
    QTemporaryDir m_tmp;
    QString m_root; // canonical: the working folder is reported without links

    static QStringList Names(const TDirectoryListBox& list)
    {
        QStringList n;
        for (int i = 0; i < list.Count(); ++i)
            n << list.EntryName(i);
        return n;
    }

private slots:
    void initTestCase()
    {
        m_startFolder = QDir::currentPath();
        m_root = QDir(m_tmp.path()).canonicalPath() + "/top";
        for (const char* d : {"top/b", "top/A", "top/.hidden", "top/c/deeper", "other/target"})
            QVERIFY(QDir().mkpath(m_tmp.filePath(d)));
        WriteBytes(m_tmp.filePath("top/file.txt"), "x");
        QVERIFY(QFile::link(m_tmp.filePath("other/target"), m_tmp.filePath("top/Link")));
    }
    void cleanup() { QDir::setCurrent(m_startFolder); }

    void showsAncestorsFolderAndSubfolders()
    {
        ScriptedPlatform platform;
        TDirectoryListBox list(platform);
        list.SetDirectory(m_root);
        const QStringList parts = m_root.split('/', Qt::SkipEmptyParts);
        QStringList expected {"/"};
        expected << parts << QStringList {"A", "b", "c", "Link"};
        QCOMPARE(Names(list), expected);
        const int at = list.DirectoryIndex();
        QCOMPARE(list.EntryPath(at), m_root);
        QCOMPARE(list.EntryLevel(0), 0);
        QCOMPARE(list.EntryLevel(at), int(parts.size()));
        QCOMPARE(list.EntryLevel(at + 1), int(parts.size()) + 1);
        QCOMPARE(list.EntryPath(at + 4), m_root + "/Link");
        QCOMPARE(list.currentRow(), at);
        QCOMPARE(list.EntryPath(list.Count()), QString());
    }

    void rootFolder()
    {
        ScriptedPlatform platform;
        TDirectoryListBox list(platform);
        list.SetDirectory("/");
        QCOMPARE(list.EntryName(0), QStringLiteral("/"));
        QCOMPARE(list.DirectoryIndex(), 0);
        QVERIFY(list.Count() > 1);
        QCOMPARE(list.EntryLevel(1), 1);
        QVERIFY(list.EntryPath(1).startsWith('/') && !list.EntryPath(1).startsWith("//"));
    }

    void openingChangesWorkingFolder_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("entry");
        QTest::newRow("set") << "set"
                             << "c";
        QTest::newRow("double-click") << "dblclick"
                                      << "A";
        QTest::newRow("enter") << "enter"
                               << "b";
        QTest::newRow("enter on a link") << "enter"
                                         << "Link";
        QTest::newRow("double-click on the parent") << "dblclick"
                                                    << "..";
    }
    void openingChangesWorkingFolder()
    {
        QFETCH(QString, how);
        QFETCH(QString, entry);
        ScriptedPlatform platform;
        TDirectoryListBox list(platform);
        list.SetDirectory(m_root);
        list.resize(300, 600);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QStringList changes;
        list.OnChange = [&](const QString& dir) { changes << dir; };
        const QString target = entry == ".." ? QFileInfo(m_root).path() : m_root + "/" + entry;
        const int row = entry == ".." ? list.DirectoryIndex() - 1
                                      : list.DirectoryIndex() + 1 + QStringList {"A", "b", "c", "Link"}.indexOf(entry);
        QCOMPARE(list.EntryPath(row), target);
        if (how == "set") {
            list.SetDirectory(target);
        } else if (how == "dblclick") {
            QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(list.item(row)).center());
        } else {
            list.setCurrentRow(row);
            QTest::keyClick(&list, Qt::Key_Return);
        }
        QCOMPARE(changes, QStringList {target});
        QCOMPARE(list.Directory(), target);
        QCOMPARE(QDir(platform.CurrentFolder()).canonicalPath(), QDir(target).canonicalPath());
        QCOMPARE(list.EntryPath(list.DirectoryIndex()), target);
        QVERIFY(platform.messages.empty());
    }

    // A folder that is gone, or may be entered but not read (execute without read permission,
    // scripted: the super-user reads anything), is refused and changes nothing.
    void missingFolderChangesNothing()
    {
        ScriptedPlatform platform;
        TDirectoryListBox list(platform);
        list.SetDirectory(m_root);
        QVERIFY(QDir().mkpath(m_root + "/unreadable"));
        platform.listOverride = [](const QString& folder, const QString& mask, ListFilter filter) {
            return folder.endsWith(QLatin1String("/unreadable")) ? std::nullopt
                                                                 : FileServices::ListDirectory(folder, mask, filter);
        };
        int changes = 0;
        list.OnChange = [&](const QString&) { ++changes; };
        for (const char* name : {"/gone", "/unreadable"}) {
            QVERIFY_THROWS_EXCEPTION(Failure, list.SetDirectory(m_root + name));
            QCOMPARE(list.Directory(), m_root);
            QCOMPARE(QDir(platform.CurrentFolder()).canonicalPath(), QDir(m_root).canonicalPath());
        }
        platform.listOverride = nullptr;
        QDir(m_root + "/unreadable").removeRecursively();
        QCOMPARE(changes, 0);
        // Through the user, the failure is reported instead.
        QDir(m_root + "/b").removeRecursively();
        const int row = list.DirectoryIndex() + 2;
        QCOMPARE(list.EntryName(row), QStringLiteral("b"));
        list.setCurrentRow(row);
        QTest::keyClick(&list, Qt::Key_Enter);
        QCOMPARE(platform.messages.size(), size_t(1));
        QVERIFY(platform.messages[0].text.contains(m_root + "/b"));
        QCOMPARE(list.Directory(), m_root);
        QDir().mkpath(m_root + "/b");
    }

    void driveList_data()
    {
        QTest::addColumn<QStringList>("volumes");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("drive");
        QTest::newRow("sorted, root first")
            << QStringList {"/media/usb", "/", "/home"} << QStringList {"/", "/home", "/media/usb"} << "/home/u/pics"
            << "/home";
        QTest::newRow("root added") << QStringList {"/data"} << QStringList {"/", "/data"} << "/database/x"
                                    << "/";
        QTest::newRow("deepest holder") << QStringList {"/", "/mnt", "/mnt/disk"}
                                        << QStringList {"/", "/mnt", "/mnt/disk"} << "/mnt/disk/a"
                                        << "/mnt/disk";
        QTest::newRow("the volume itself") << QStringList {"/mnt/"} << QStringList {"/", "/mnt"} << "/mnt"
                                           << "/mnt";
    }
    void driveList()
    {
        QFETCH(QStringList, volumes);
        QFETCH(QStringList, expected);
        QFETCH(QString, path);
        QFETCH(QString, drive);
        ScriptedPlatform platform;
        platform.volumes = volumes;
        TDriveComboBox combo(platform);
        QStringList chosen;
        combo.OnChange = [&](const QString& d) { chosen << d; };
        QCOMPARE(combo.Drives(), expected);
        QCOMPARE(combo.Drive(), QStringLiteral("/"));
        combo.SetDrive(path);
        QCOMPARE(combo.Drive(), drive);
        QVERIFY(chosen.isEmpty());
        // The user's choice is reported.
        const bool atFirst = combo.currentIndex() == 0;
        QTest::keyClick(&combo, atFirst ? Qt::Key_End : Qt::Key_Home);
        QCOMPARE(chosen, QStringList {atFirst ? expected.last() : expected.first()});
        QCOMPARE(combo.Drive(), chosen.first());
    }
};

QTEST_MAIN(TestDirectoryListBox)
#include "test_directorylistbox.moc"
