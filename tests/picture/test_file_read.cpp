// SPDX-License-Identifier: GPL-3.0-or-later
// Loading a picture from a file that is not an ordinary picture file: a named pipe, a
// folder, a file larger than any picture may decode to.
#include <future>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QTemporaryDir>
#include <QtTest>
#include "ErrorOf.h"
#include "picture/Limits.h"
#include "picture/Picture.h"

namespace {

enum class Make { Fifo, Folder, Sparse };

void MakeFile(const QString& path, Make kind, int64_t size)
{
    const QByteArray name = QFile::encodeName(path);
    bool ok = false;
    switch (kind) {
    case Make::Fifo: ok = ::mkfifo(name.constData(), 0600) == 0; break;
    case Make::Folder: ok = ::mkdir(name.constData(), 0700) == 0; break;
    case Make::Sparse: {
        // No data blocks: the size costs no disk.
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        ok = fd >= 0 && ::ftruncate(fd, size) == 0;
        if (fd >= 0)
            ::close(fd);
        break;
    }
    }
    if (!ok)
        qFatal("cannot make %s", name.constData());
}

} // namespace

class TestFileRead : public QObject {
    Q_OBJECT
private slots:
    void refused_data();
    void refused();
};

void TestFileRead::refused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("kind");
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("error"); // %1: the file's path
    const QString notRegular = QStringLiteral("Cannot open file \"%1\". Not a regular file");
    QTest::newRow("named pipe") << "pipe.jpg" << int(Make::Fifo) << qint64(0) << notRegular;
    QTest::newRow("folder") << "folder.bmp" << int(Make::Folder) << qint64(0) << notRegular;
    QTest::newRow("one byte over the limit")
        << "over.jpg" << int(Make::Sparse) << qint64(PictureLimits::kMaxDecodedBytes + 1) << "Out of system resources";
    QTest::newRow("3 GB") << "huge.bmp" << int(Make::Sparse) << qint64(3'000'000'000) << "Out of system resources";
}

void TestFileRead::refused()
{
    QFETCH(QString, name);
    QFETCH(int, kind);
    QFETCH(qint64, size);
    QFETCH(QString, error);
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString path = dir.filePath(name);
    MakeFile(path, Make(kind), size);

    auto load = std::async(std::launch::async, [path] {
        TPicture picture;
        return ErrorOf([&] { picture.LoadFromFile(path); });
    });
    // A load that waits on the pipe for a writer is released by one that writes nothing,
    // so a failing test ends instead of hanging.
    if (load.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        const int writer = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (writer >= 0)
            ::close(writer);
    }
    QCOMPARE(load.get(), QString(error).replace(QLatin1String("%1"), path));
}

QTEST_GUILESS_MAIN(TestFileRead)
#include "test_file_read.moc"
