// SPDX-License-Identifier: GPL-3.0-or-later
// File names kept as their bytes: decoding, encoding back and showing.
#include <QtTest>
#include "base/FileNames.h"

class TestFileNames : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("name");  // as decoded
        QTest::addColumn<QString>("shown"); // as displayed
        const auto s = [](const char16_t* text) { return QString::fromUtf16(text); };
        QTest::newRow("valid utf-8") << QByteArray("caf\xc3\xa9") << s(u"caf\xE9") << s(u"caf\xE9");
        QTest::newRow("byte ff") << QByteArray("\xff.j") << s(u"\xDCFF.j") << s(u"\xFFFD.j");
        QTest::newRow("latin-1 e acute") << QByteArray("caf\xe9") << s(u"caf\xDCE9") << s(u"caf\xFFFD");
        QTest::newRow("lone continuation") << QByteArray("a\x80") << s(u"a\xDC80") << s(u"a\xFFFD");
        QTest::newRow("truncated sequence") << QByteArray("\xe2\x82") << s(u"\xDCE2\xDC82") << s(u"\xFFFD\xFFFD");
        QTest::newRow("encoded surrogate")
            << QByteArray("\xed\xa0\x80") << s(u"\xDCED\xDCA0\xDC80") << s(u"\xFFFD\xFFFD\xFFFD");
        QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << s(u"\xDCC0\xDCAF") << s(u"\xFFFD\xFFFD");
        QTest::newRow("bad byte, then valid") << QByteArray("\xe9\xc3\xa9") << s(u"\xDCE9\xE9") << s(u"\xFFFD\xE9");
        QTest::newRow("pair, then bad byte")
            << QByteArray("\xf0\x9f\x98\x80\xff") << s(u"\xD83D\xDE00\xDCFF") << s(u"\xD83D\xDE00\xFFFD");
    }
    void roundTrip()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, name);
        QTEST(DecodeFileName(bytes), "name");
        QCOMPARE(EncodeFileName(name), bytes);
        QTEST(DisplayName(name), "shown");
    }
};

QTEST_GUILESS_MAIN(TestFileNames)
#include "test_filenames.moc"
