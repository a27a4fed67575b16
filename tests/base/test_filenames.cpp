// File names kept as their bytes: decoding, encoding back, showing, and replacing a file by such a name.
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QTemporaryDir>
#include <QtTest>
#include "TestFiles.h"
#include "base/FileNames.h"
#include "base/FileReplacement.h"

namespace {

QString Utf16(std::initializer_list<char16_t> units)
{
    QString s;
    for (char16_t u : units)
        s.append(QChar(u));
    return s;
}

QByteArray ReadAll(const QByteArray& path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return "<missing>";
    QByteArray bytes;
    char buffer[256];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, n);
    ::close(fd);
    return bytes;
}

// The folder's entries as the file system names them (Qt's listing leaves out what it cannot decode).
QList<QByteArray> Entries(const QByteArray& folder)
{
    QList<QByteArray> names;
    DIR* dir = ::opendir(folder.constData());
    while (const dirent* d = dir ? ::readdir(dir) : nullptr) {
        if (std::strcmp(d->d_name, ".") != 0 && std::strcmp(d->d_name, "..") != 0)
            names << QByteArray(d->d_name);
    }
    if (dir)
        ::closedir(dir);
    return names;
}

} // namespace

class TestFileNames : public QObject {
    Q_OBJECT
private slots:
    void roundTrip_data();
    void roundTrip();
    void unencodableSurrogate();
    void replacement_data();
    void replacement();
};

void TestFileNames::roundTrip_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("name");  // as decoded
    QTest::addColumn<QString>("shown"); // as displayed
    const char16_t r = 0xFFFD;
    QTest::newRow("ascii") << QByteArray("a.jpg") << QString("a.jpg") << QString("a.jpg");
    QTest::newRow("valid utf-8") << QByteArray("caf\xc3\xa9") << Utf16({'c', 'a', 'f', 0xE9})
                                 << Utf16({'c', 'a', 'f', 0xE9});
    QTest::newRow("four-byte character") << QByteArray("\xf0\x9f\x98\x80") << Utf16({0xD83D, 0xDE00})
                                         << Utf16({0xD83D, 0xDE00});
    QTest::newRow("byte ff") << QByteArray("\xff.jpg") << Utf16({0xDCFF, '.', 'j', 'p', 'g'})
                             << Utf16({r, '.', 'j', 'p', 'g'});
    QTest::newRow("latin-1 e acute") << QByteArray("caf\xe9") << Utf16({'c', 'a', 'f', 0xDCE9})
                                     << Utf16({'c', 'a', 'f', r});
    QTest::newRow("lone continuation") << QByteArray("a\x80z") << Utf16({'a', 0xDC80, 'z'}) << Utf16({'a', r, 'z'});
    QTest::newRow("truncated sequence") << QByteArray("\xe2\x82") << Utf16({0xDCE2, 0xDC82}) << Utf16({r, r});
    QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80") << Utf16({0xDCED, 0xDCA0, 0xDC80})
                                       << Utf16({r, r, r});
    QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << Utf16({0xDCC0, 0xDCAF}) << Utf16({r, r});
    QTest::newRow("past U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << Utf16({0xDCF4, 0xDC90, 0xDC80, 0xDC80})
                                   << Utf16({r, r, r, r});
    QTest::newRow("bad byte, then valid") << QByteArray("\xe9\xc3\xa9") << Utf16({0xDCE9, 0xE9}) << Utf16({r, 0xE9});
    QTest::newRow("pair, then bad byte") << QByteArray("\xf0\x9f\x98\x80\xff") << Utf16({0xD83D, 0xDE00, 0xDCFF})
                                         << Utf16({0xD83D, 0xDE00, r});
}

void TestFileNames::roundTrip()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, name);
    QFETCH(QString, shown);
    QCOMPARE(DecodeFileName(bytes), name);
    QCOMPARE(EncodeFileName(name), bytes);
    QCOMPARE(DisplayName(name), shown);
}

void TestFileNames::unencodableSurrogate()
{
    // Typed, never listed: no byte maps to it, so it is written as the replacement character.
    QCOMPARE(EncodeFileName(Utf16({'a', 0xD800, 'b', 0xDC10})),
             QByteArray("a\xef\xbf\xbd"
                        "b\xef\xbf\xbd"));
}

void TestFileNames::replacement_data()
{
    QTest::addColumn<bool>("commit");
    QTest::newRow("committed") << true;
    QTest::newRow("abandoned") << false;
}

void TestFileNames::replacement()
{
    QFETCH(bool, commit);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QByteArray folder = QFile::encodeName(dir.path());
    const auto cleanup = qScopeGuard([&folder] { RemoveTree(folder); }); // Qt's removal cannot reach the name
    const QByteArray target = folder + "/caf\xe9\xff.bin";
    {
        const int fd = ::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL, 0640);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, "old", 3), ssize_t(3));
        ::close(fd);
    }
    {
        FileReplacement file(DecodeFileName(target), FileReplacement::Fallback::None);
        QCOMPARE(file.Open(), 0);
        QCOMPARE(file.Write("new contents", 12), 0);
        if (commit)
            QCOMPARE(file.Commit(), 0);
    }
    QCOMPARE(ReadAll(target), commit ? QByteArray("new contents") : QByteArray("old"));
    struct stat st {};
    QCOMPARE(::stat(target.constData(), &st), 0);
    QCOMPARE(st.st_mode & 07777, mode_t(0640));
    // Nothing is left beside it.
    QCOMPARE(Entries(folder), QList<QByteArray> {"caf\xe9\xff.bin"});
}

QTEST_GUILESS_MAIN(TestFileNames)
#include "test_filenames.moc"
