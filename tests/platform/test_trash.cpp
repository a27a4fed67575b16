// The trash as file managers read it: the .trashinfo beside the moved file, its Undo byte for
// byte with the last-write time, and the failures that leave the file where it was (a refused
// folder is the window's test, tests/ui/test_trash_keys.cpp).
#include <QtTest>

#include "base/FileNames.h"
#include "platform/Trash.h"
#include "TestFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// By the names' bytes: Qt's file classes cannot reach a name that is not UTF-8.
const timespec kWritten {981173106, 123456789};

void Put(const QString& path, const QByteArray& bytes)
{
    const int fd = ::open(EncodeFileName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const timespec times[2] = {kWritten, kWritten};
    QVERIFY(fd >= 0 && ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size() &&
            ::futimens(fd, times) == 0);
    ::close(fd);
}

QByteArray Get(const QString& path)
{
    QByteArray bytes(4096, 0);
    const int fd = ::open(EncodeFileName(path).constData(), O_RDONLY);
    const ssize_t n = fd < 0 ? -1 : ::read(fd, bytes.data(), size_t(bytes.size()));
    if (fd >= 0)
        ::close(fd);
    return n < 0 ? QByteArray("<missing>") : bytes.left(n);
}
} // namespace

class TestTrash : public QObject {
    Q_OBJECT
private slots:
    void init() { qputenv("XDG_DATA_HOME", m_home.filePath(QStringLiteral("data")).toUtf8()); }

    void trashAndUndo_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("inTrash");
        QTest::addColumn<QByteArray>("pathEnd"); // of the info's Path line
        const QString latin1 = QStringLiteral("b ") + QChar(0xDCE9) + QStringLiteral(".jpg");
        QTest::newRow("plain") << "a.jpg"
                               << "a.jpg" << QByteArray("/a.jpg");
        QTest::newRow("second of the name") << "a.jpg"
                                            << "a.2.jpg" << QByteArray("/a.jpg");
        QTest::newRow("blank and not UTF-8") << latin1 << latin1 << QByteArray("/b%20%E9.jpg");
    }
    void trashAndUndo()
    {
        QFETCH(QString, name);
        QFETCH(QString, inTrash);
        QFETCH(QByteArray, pathEnd);
        const QString path = m_pics.filePath(name);
        QString why;
        if (inTrash != name) { // one of the name is in the trash already
            Put(path, "first");
            QVERIFY(Trash::MoveToTrash(path, why));
        }
        Put(path, "picture bytes");
        const std::optional<TrashedFile> trashed = Trash::MoveToTrash(path, why);
        QVERIFY2(trashed, qPrintable(why));
        const QString trash = m_home.filePath(QStringLiteral("data/Trash/"));
        QCOMPARE(trashed->trashed, trash + QStringLiteral("files/") + inTrash);
        QCOMPARE(trashed->info, trash + QStringLiteral("info/") + inTrash + QStringLiteral(".trashinfo"));
        QCOMPARE(Get(path), QByteArray("<missing>"));
        const QList<QByteArray> lines = Get(trashed->info).split('\n');
        QCOMPARE(lines.value(0), QByteArray("[Trash Info]"));
        QVERIFY(lines.value(1).startsWith("Path=/") && lines.value(1).endsWith(pathEnd));
        QVERIFY(QDateTime::fromString(QString::fromLatin1(lines.value(2).mid(13)), Qt::ISODate).isValid());

        QVERIFY2(Trash::Restore(*trashed, why), qPrintable(why));
        QCOMPARE(Get(path), QByteArray("picture bytes"));
        struct stat st {};
        QCOMPARE(::stat(EncodeFileName(path).constData(), &st), 0);
        QVERIFY(st.st_mtim.tv_sec == kWritten.tv_sec && st.st_mtim.tv_nsec == kWritten.tv_nsec);
        QCOMPARE(Get(trashed->info) + Get(trashed->trashed), QByteArray("<missing><missing>"));
    }

    void failuresLeaveTheFile_data()
    {
        QTest::addColumn<bool>("trashMade"); // false: no folder can be made where it should be
        QTest::addColumn<QString>("why");
        QTest::newRow("no trash folder") << false << "cannot be made";
        QTest::newRow("undo over a new file") << true << "Another file is now named";
    }
    void failuresLeaveTheFile()
    {
        QFETCH(bool, trashMade);
        QFETCH(QString, why);
        const QString path = m_pics.filePath(QStringLiteral("c.jpg"));
        Put(path, "old");
        QString reason;
        if (!trashMade) {
            Put(m_home.filePath(QStringLiteral("file")), "x"); // even root makes no folder in a file
            qputenv("XDG_DATA_HOME", m_home.filePath(QStringLiteral("file/data")).toUtf8());
            QVERIFY(!Trash::MoveToTrash(path, reason));
            QCOMPARE(Get(path), QByteArray("old"));
        } else {
            const std::optional<TrashedFile> trashed = Trash::MoveToTrash(path, reason);
            QVERIFY(trashed);
            Put(path, "new");
            QVERIFY(!Trash::Restore(*trashed, reason));
            QCOMPARE(Get(path) + Get(trashed->trashed), QByteArray("newold"));
        }
        QVERIFY2(reason.contains(why), qPrintable(reason));
    }

    // QTemporaryDir cannot remove a name that is not UTF-8.
    void cleanupTestCase() { RemoveTree(EncodeFileName(m_pics.path())); }

private:
    QTemporaryDir m_home, m_pics;
};

QTEST_GUILESS_MAIN(TestTrash)
#include "test_trash.moc"
