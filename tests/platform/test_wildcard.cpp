// SPDX-License-Identifier: GPL-3.0-or-later
// File-name masks: the file list, the search and the file-type filter all rely on these rules.
#include <QtTest>

#include "platform/Platform.h"

class TestWildcard : public QObject {
    Q_OBJECT
private slots:
    void masks_data();
    void masks();
};

void TestWildcard::masks_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<bool>("matches");

    const QString allGraphics = QStringLiteral("*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf");

    QTest::newRow("plain extension") << "photo.jpg"
                                     << "*.jpg" << true;
    QTest::newRow("upper-case name") << "PHOTO.JPG"
                                     << "*.jpg" << true;
    QTest::newRow("upper-case pattern") << "photo.Jpeg"
                                        << "*.JPEG" << true;
    QTest::newRow("non-ASCII case") << QString::fromUtf8("ÄRGER.JPG") << QString::fromUtf8("ärger.jpg") << true;
    QTest::newRow("other extension") << "photo.jpeg"
                                     << "*.jpg" << false;
    QTest::newRow("extension not at end") << "photo.jpg.bak"
                                          << "*.jpg" << false;
    QTest::newRow("double extension") << "photo.bak.jpg"
                                      << "*.jpg" << true;

    QTest::newRow("? one character") << "a.jpg"
                                     << "?.jpg" << true;
    QTest::newRow("? not two") << "ab.jpg"
                               << "?.jpg" << false;
    QTest::newRow("? not zero") << ".jpg"
                                << "?.jpg" << false;
    QTest::newRow("? takes a whole character") << QString::fromUtf8("\U0001F600.jpg") << "?.jpg" << true;
    QTest::newRow("? at end needs one") << "abc"
                                        << "abc?" << false;
    QTest::newRow("* may be empty") << "abc"
                                    << "abc*" << true;
    QTest::newRow("lone *") << "abc"
                            << "*" << true;
    QTest::newRow("several * backtrack") << "photograph.jpg"
                                         << "p*o*o*.jpg" << true;
    QTest::newRow("several * fail") << "aaaaaaaaaa"
                                    << "*a*a*b" << false;

    QTest::newRow("*.* without dot") << "readme"
                                     << "*.*" << true;
    QTest::newRow("*.* two dots") << "archive.tar.gz"
                                  << "*.*" << true;
    QTest::newRow("*.* dot name") << ".profile"
                                  << "*.*" << true;
    QTest::newRow("name.* without extension") << "readme"
                                              << "readme.*" << true;
    QTest::newRow("name.* with extension") << "readme.txt"
                                           << "readme.*" << true;
    QTest::newRow("name.* longer name") << "readmex"
                                        << "readme.*" << false;
    QTest::newRow("no extension vs *.txt") << "readme"
                                           << "*.txt" << false;
    QTest::newRow("prefix*.* matches") << "sunset.jpg"
                                       << "sun*.*" << true;
    QTest::newRow("prefix*.* bare") << "sun"
                                    << "sun*.*" << true;
    QTest::newRow("prefix*.* not inside") << "moonsun.jpg"
                                          << "sun*.*" << false;

    QTest::newRow("brackets are literal") << "a.jpg"
                                          << "[ab].jpg" << false;
    QTest::newRow("brackets match themselves") << "[ab].jpg"
                                               << "[ab].jpg" << true;
    QTest::newRow("dot is literal") << "photoXjpg"
                                    << "*.jpg" << false;

    QTest::newRow("list first") << "x.jpg"
                                << "*.jpg;*.bmp" << true;
    QTest::newRow("list second") << "x.bmp"
                                 << "*.jpg;*.bmp" << true;
    QTest::newRow("list blanks around entries") << "x.ico"
                                                << "*.jpg; *.bmp ;*.ico" << true;
    QTest::newRow("all graphics metafile") << "chart.WMF" << allGraphics << true;
    QTest::newRow("all graphics rejects gif") << "x.gif" << allGraphics << false;
    QTest::newRow("empty mask") << "anything"
                                << "" << false;
    QTest::newRow("only separators") << "anything"
                                     << ";;" << false;

    // Far beyond any real name: must finish at once, not explode combinatorially.
    QTest::newRow("long name many stars") << QString(5000, u'a') << "*a*a*a*a*a*a*b" << false;
}

void TestWildcard::masks()
{
    QFETCH(QString, name);
    QFETCH(QString, mask);
    QFETCH(bool, matches);
    QCOMPARE(MatchesMask(name, mask), matches);
    if (!mask.contains(u';') && mask.trimmed() == mask && !mask.isEmpty())
        QCOMPARE(MatchesWildcard(name, mask), matches);
}

QTEST_APPLESS_MAIN(TestWildcard)
#include "test_wildcard.moc"
