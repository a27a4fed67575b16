// SPDX-License-Identifier: GPL-3.0-or-later
// The trash as file managers read it: the .trashinfo beside the moved file, Undo byte for byte
// with the last-write time, and the failures that leave the file where it was (a refused folder
// is the window's test). By the names' bytes: Qt's file classes cannot reach a non-UTF-8 name.
#include <QtTest>
#include <QScopeGuard>
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
    // A file on another file system (a small one of the test's own, so this needs the right
    // to mount it) goes to the user's folder in a shared sticky .Trash at its top, else to
    // .Trash-UID there, with the path from the top: the desktop's trash lister (trash-cli)
    // lists it where it was.
    void trashAtTheTopOfItsFileSystem_data()
    {
        QTest::addColumn<int>("shared"); // the mode of a .Trash at the top; 0: none
        QTest::addColumn<QString>("folder");
        const QString uid = QString::number(::getuid());
        QTest::newRow("own folder") << 0 << QStringLiteral(".Trash-") + uid;
        QTest::newRow("shared, sticky") << 01777 << QStringLiteral(".Trash/") + uid;
        QTest::newRow("shared, not sticky") << 0777 << QStringLiteral(".Trash-") + uid;
    }
    void trashAtTheTopOfItsFileSystem()
    {
        QFETCH(int, shared);
        QFETCH(QString, folder);
        const QString home = m_home.filePath(QStringLiteral("data")), top = m_home.filePath(QStringLiteral("vol"));
        qputenv("XDG_DATA_HOME", home.toUtf8());
        QVERIFY(QDir().mkpath(top));
        if (QProcess::execute(QStringLiteral("mount"),
                              {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("lumivue-test"), top}) !=
            0)
            QSKIP("no right to mount a small file system here");
        const auto unmount = qScopeGuard([&top] { QProcess::execute(QStringLiteral("umount"), {top}); });
        const QByteArray sharedTrash = QFile::encodeName(top + QStringLiteral("/.Trash"));
        QVERIFY(shared == 0 ||
                (::mkdir(sharedTrash.constData(), 0700) == 0 && ::chmod(sharedTrash.constData(), mode_t(shared)) == 0));
        QVERIFY(QDir().mkpath(top + QStringLiteral("/sub")));
        const QString path = top + QStringLiteral("/sub/a b.jpg");
        Put(path, "picture bytes");
        QString why;
        const std::optional<TrashedFile> trashed = Trash::MoveToTrash(path, why);
        QVERIFY2(trashed, qPrintable(why));
        QCOMPARE(trashed->trashed, top + QLatin1Char('/') + folder + QStringLiteral("/files/a b.jpg"));
        QCOMPARE(Get(trashed->info).split('\n').value(1), QByteArray("Path=sub/a%20b.jpg"));
        QProcess lister;
        lister.start(QStringLiteral("trash-list"), {});
        if (!lister.waitForFinished(30000))
            QSKIP("trash-list is missing (scripts/setup.sh --test installs trash-cli)");
        QVERIFY(
            QString::fromUtf8(lister.readAllStandardOutput()).contains(QLatin1Char(' ') + path + QLatin1Char('\n')));
    }

    void cleanupTestCase() { RemoveTree(EncodeFileName(m_pics.path())); } // a non-UTF-8 name stays otherwise

private:
    QTemporaryDir m_home, m_pics;
};

QTEST_GUILESS_MAIN(TestTrash)
#include "test_trash.moc"
