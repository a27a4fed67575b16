// SPDX-License-Identifier: GPL-3.0-or-later
// The trash as file managers read it: the .trashinfo beside the moved file, Undo byte for byte
// with the last-write time, and the failures that leave the file where it was (a refused folder
// is the window's test). By the names' bytes: Qt's file classes cannot reach a non-UTF-8 name.
#include <QtTest>
#include "base/FileNames.h"
#include "platform/Trash.h"
#include "TestFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
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
    ::close(fd);
    return n < 0 ? QByteArray("-") : bytes.left(n);
}
} // namespace

class TestTrash : public QObject {
    Q_OBJECT
private slots:
    void trashAndUndo_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("inTrash");    // empty: the trash cannot be made
        QTest::addColumn<QByteArray>("pathEnd"); // of the info's Path line; empty: a new file takes the place
        const QString latin1 = QStringLiteral("b ") + QChar(0xDCE9) + QStringLiteral(".jpg");
        QTest::newRow("plain") << "a.jpg"
                               << "a.jpg" << QByteArray("/a.jpg");
        QTest::newRow("second of the name") << "a.jpg"
                                            << "a.2.jpg" << QByteArray("/a.jpg");
        QTest::newRow("blank and not UTF-8") << latin1 << latin1 << QByteArray("/b%20%E9.jpg");
        QTest::newRow("no trash folder") << "c.jpg"
                                         << "" << QByteArray();
        QTest::newRow("undo over a new file") << "c.jpg"
                                              << "c.jpg" << QByteArray();
    }
    void trashAndUndo()
    {
        QFETCH(QString, name);
        QFETCH(QString, inTrash);
        QFETCH(QByteArray, pathEnd);
        const QString path = m_pics.filePath(name), home = m_home.filePath(QStringLiteral("data"));
        Put(m_home.filePath(QStringLiteral("file")), "x"); // even root makes no folder in a file
        qputenv("XDG_DATA_HOME",
                inTrash.isEmpty() ? m_home.filePath(QStringLiteral("file/data")).toUtf8() : home.toUtf8());
        QString why;
        if (inTrash.contains(QLatin1String(".2."))) { // one of the name is in the trash already
            Put(path, "first");
            QVERIFY(Trash::MoveToTrash(path, why));
        }
        Put(path, "picture bytes");
        const std::optional<TrashedFile> trashed = Trash::MoveToTrash(path, why);
        if (inTrash.isEmpty()) {
            QVERIFY(!trashed && why.contains(QStringLiteral("cannot be made")));
            QCOMPARE(Get(path), QByteArray("picture bytes"));
            return;
        }
        QVERIFY2(trashed, qPrintable(why));
        QCOMPARE(trashed->trashed, home + QStringLiteral("/Trash/files/") + inTrash);
        QCOMPARE(trashed->info, home + QStringLiteral("/Trash/info/") + inTrash + QStringLiteral(".trashinfo"));
        if (pathEnd.isEmpty()) {
            Put(path, "new");
            QVERIFY(!Trash::Restore(*trashed, why) && why.contains(QStringLiteral("Another file is now named")));
            QCOMPARE(Get(path) + Get(trashed->trashed), QByteArray("newpicture bytes"));
            return;
        }
        QCOMPARE(Get(path), QByteArray("-"));
        const QList<QByteArray> lines = Get(trashed->info).split('\n');
        QCOMPARE(lines.value(0), QByteArray("[Trash Info]"));
        QVERIFY(lines.value(1).startsWith("Path=/") && lines.value(1).endsWith(pathEnd));
        QVERIFY(QDateTime::fromString(QString::fromLatin1(lines.value(2).mid(13)), Qt::ISODate).isValid());
        QVERIFY2(Trash::Restore(*trashed, why), qPrintable(why));
        struct stat st {};
        QVERIFY(::stat(EncodeFileName(path).constData(), &st) == 0 && st.st_mtim.tv_sec == kWritten.tv_sec &&
                st.st_mtim.tv_nsec == kWritten.tv_nsec);
        QCOMPARE(Get(path) + Get(trashed->info) + Get(trashed->trashed), QByteArray("picture bytes--"));
    }
    void cleanupTestCase() { RemoveTree(EncodeFileName(m_pics.path())); } // a non-UTF-8 name stays otherwise

private:
    QTemporaryDir m_home, m_pics;
};

QTEST_GUILESS_MAIN(TestTrash)
#include "test_trash.moc"
