// SPDX-License-Identifier: GPL-3.0-or-later
// What the viewer keeps between runs: the start folder's rules, and the window's state
// written and read back into another window.
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include "app/lib/Remember.h"
#include "controls/RadioGroup.h"
#include "MainWindowFixture.h"

class TestRemember : public QObject {
    Q_OBJECT
private slots:
    void startFolder_data()
    {
        QTest::addColumn<QString>("working");
        QTest::addColumn<QString>("last");
        QTest::addColumn<QString>("pictures");
        QTest::addColumn<QString>("start");
        // Folders that exist: /home/u, /home/u/Pictures, /data/trip.
        QTest::newRow("working folder elsewhere") << "/data"
                                                  << "/data/trip"
                                                  << "/home/u/Pictures"
                                                  << "/data";
        QTest::newRow("home: the last folder") << "/home/u"
                                               << "/data/trip"
                                               << "/home/u/Pictures"
                                               << "/data/trip";
        QTest::newRow("home/: the last folder") << "/home/u/"
                                                << "/data/trip"
                                                << ""
                                                << "/data/trip";
        QTest::newRow("home, last gone: pictures") << "/home/u"
                                                   << "/data/gone"
                                                   << "/home/u/Pictures"
                                                   << "/home/u/Pictures";
        QTest::newRow("home, nothing kept: pictures") << "/home/u"
                                                      << ""
                                                      << "/home/u/Pictures"
                                                      << "/home/u/Pictures";
        QTest::newRow("home, no pictures folder") << "/home/u"
                                                  << ""
                                                  << "/home/u/Pics"
                                                  << "/home/u";
    }
    void startFolder()
    {
        QFETCH(QString, working);
        QFETCH(QString, last);
        QFETCH(QString, pictures);
        const QStringList folders {"/home/u", "/home/u/Pictures", "/data/trip"};
        QTEST(DefaultStartFolder(working, "/home/u", last, pictures,
                                 [&](const QString& f) { return folders.contains(f); }),
              "start");
    }

    void keptAndRestored()
    {
        QTemporaryDir store;
        QSettings settings(store.filePath(QStringLiteral("lumivue.conf")), QSettings::IniFormat);
        MainWindowFixture<> first;
        first.OpenWindow();
        first.form->rdgType->SetItemIndex(1);
        first.form->rdgTypeClick();
        first.form->rdgCount->SetItemIndex(3);
        first.form->rdgCountClick();
        first.form->resize(1000, 700);
        WriteRemembered(settings, RememberedOf(*first.form));

        MainWindowFixture<> second;
        second.OpenWindow();
        const RememberedView kept = ReadRemembered(settings);
        QCOMPARE(kept.folder, first.dir.path());
        ApplyRemembered(*second.form, kept);
        QCOMPARE(second.form->rdgType->ItemIndex(), 1);
        QCOMPARE(second.form->PageSize, 16);
        QCOMPARE(second.form->size(), QSize(1000, 700));
        // Values no window offers are passed over.
        ApplyRemembered(*second.form, RememberedView {{}, 9, -4, {}});
        QCOMPARE(second.form->PageSize, 16);
        QCOMPARE(second.form->rdgType->ItemIndex(), 1);
    }

    void offByOptionOrEnvironment()
    {
        QVERIFY(!OpenRemembered(false));
        qputenv("LUMIVUE_NO_REMEMBER", "1");
        QVERIFY(!OpenRemembered(true));
        qunsetenv("LUMIVUE_NO_REMEMBER");
    }
};

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    TestRemember test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_remember.moc"
