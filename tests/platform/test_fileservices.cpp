// SPDX-License-Identifier: GPL-3.0-or-later
// The file services both platforms share: listing, file facts, copying, volumes.
#include <QtTest>

#include "base/FileNames.h"
#include "platform/FileServices.h"
#include "TestFiles.h"

#include <csignal>
#include <functional>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray Pattern(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 131 + i / 251) & 0xFF);
    return bytes;
}

void Write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
    QCOMPARE(f.write(bytes), bytes.size());
}

QByteArray Read(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

// One line per entry: name, "/" for a folder, " h" hidden, " l" link; sorted.
QStringList Describe(const std::vector<DirEntry>& entries)
{
    QStringList lines;
    for (const DirEntry& e : entries)
        lines << e.name + (e.isDirectory ? "/" : "") + (e.isHidden ? " h" : "") + (e.isLink ? " l" : "");
    lines.sort();
    return lines;
}

const QDateTime kStamp(QDate(2021, 3, 4), QTime(5, 6, 8));

} // namespace

class TestFileServices : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase() { RemoveTree(QFile::encodeName(m_dir.path())); } // names Qt cannot remove
    void listing_data();
    void listing();
    void listingFailures_data();
    void listingFailures();
    void emptyFolderMeansWorkingFolder();
    void facts_data();
    void facts();
    void copy_data();
    void copy();
    void copyFailures_data();
    void copyFailures();
    void volumesStartAtRoot();
    void namesNotUtf8_data();
    void namesNotUtf8();

private:
    QTemporaryDir m_dir;
    QString P(const QString& name) const { return m_dir.filePath(name); }
};

void TestFileServices::initTestCase()
{
    QVERIFY(m_dir.isValid());
    // A folder with every kind of entry the listing must tell apart.
    QDir root(m_dir.path());
    QVERIFY(root.mkpath("tree/sub"));
    QVERIFY(root.mkpath("tree/pics.jpg"));
    Write(P("tree/a.jpg"), "a");
    Write(P("tree/B.JPG"), "b");
    Write(P("tree/.hidden.jpg"), "h");
    Write(P("tree/notes.txt"), "n");
    Write(P("tree/sub/deep.jpg"), "d");
    QVERIFY(QFile::link("a.jpg", P("tree/link.jpg")));
    QVERIFY(QFile::link("sub", P("tree/linkdir")));
    QVERIFY(QFile::link("nowhere.jpg", P("tree/broken.jpg")));
    QCOMPARE(::mkfifo(QFile::encodeName(P("tree/pipe.jpg")).constData(), 0600), 0);
    QCOMPARE(::mkfifo(QFile::encodeName(P("fifo.bin")).constData(), 0600), 0);
}

void TestFileServices::listing_data()
{
    QTest::addColumn<QString>("mask");
    QTest::addColumn<ListFilter>("filter");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("jpg files, links followed")
        << "*.jpg" << ListFilter::Files << QStringList {".hidden.jpg h", "B.JPG", "a.jpg", "link.jpg l"};
    QTest::newRow("jpg, folders too") << "*.jpg" << ListFilter::All
                                      << QStringList {".hidden.jpg h", "B.JPG", "a.jpg", "link.jpg l", "pics.jpg/"};
    QTest::newRow("folders only") << "*.*" << ListFilter::Directories
                                  << QStringList {"linkdir/ l", "pics.jpg/", "sub/"};
    QTest::newRow("mask list") << "*.txt;*.JPG" << ListFilter::Files
                               << QStringList {".hidden.jpg h", "B.JPG", "a.jpg", "link.jpg l", "notes.txt"};
    QTest::newRow("everything listable") << "*" << ListFilter::All
                                         << QStringList {".hidden.jpg h", "B.JPG",     "a.jpg",     "link.jpg l",
                                                         "linkdir/ l",    "notes.txt", "pics.jpg/", "sub/"};
    QTest::newRow("nothing matches") << "zzz*" << ListFilter::All << QStringList {};
}

void TestFileServices::listing()
{
    QFETCH(QString, mask);
    QFETCH(ListFilter, filter);
    QFETCH(QStringList, expected);
    const auto entries = FileServices::ListDirectory(P("tree"), mask, filter);
    QVERIFY(entries.has_value());
    QCOMPARE(Describe(*entries), expected);
}

void TestFileServices::listingFailures_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("needsPermissions");
    QTest::newRow("missing") << "tree/missing" << false;
    QTest::newRow("a file") << "tree/notes.txt" << false;
    QTest::newRow("a pipe") << "fifo.bin" << false;
    QTest::newRow("no read permission") << "locked" << true;
}

void TestFileServices::listingFailures()
{
    QFETCH(QString, folder);
    QFETCH(bool, needsPermissions);
    if (needsPermissions) {
        if (::geteuid() == 0)
            QSKIP("root reads every folder");
        QVERIFY(QDir(m_dir.path()).mkpath(folder));
        QVERIFY(QFile::setPermissions(P(folder), QFileDevice::WriteOwner));
    }
    QVERIFY(!FileServices::ListDirectory(P(folder), "*", ListFilter::All).has_value());
    if (needsPermissions)
        QFile::setPermissions(P(folder), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void TestFileServices::emptyFolderMeansWorkingFolder()
{
    const QString before = QDir::currentPath();
    QVERIFY(FileServices::SetCurrentFolder(P("tree/sub")));
    const auto entries = FileServices::ListDirectory(QString(), "*.jpg", ListFilter::Files);
    QVERIFY(FileServices::SetCurrentFolder(before));
    QVERIFY(entries.has_value());
    QCOMPARE(Describe(*entries), QStringList {"deep.jpg"});
    QVERIFY(!FileServices::SetCurrentFolder(P("tree/missing")));
    QCOMPARE(FileServices::CurrentFolder(), before);
}

void TestFileServices::facts_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("size"); // -1: no facts expected
    QTest::newRow("empty file") << "empty.bin" << 0;
    QTest::newRow("one byte") << "one.bin" << 1;
    QTest::newRow("larger than a read chunk") << "big.bin" << 200000;
    QTest::newRow("through a link") << "tree/link.jpg" << 1;
    QTest::newRow("missing") << "missing.bin" << -1;
    QTest::newRow("a folder") << "tree/sub" << -1;
    QTest::newRow("a pipe, without waiting") << "fifo.bin" << -1;
    QTest::newRow("empty path") << "" << -1;
}

void TestFileServices::facts()
{
    QFETCH(QString, name);
    QFETCH(int, size);
    const QString path = name.isEmpty() ? QString() : P(name);
    if (size >= 0 && !QFileInfo::exists(path)) {
        Write(path, Pattern(size));
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(kStamp, QFileDevice::FileModificationTime));
    }
    const auto facts = FileServices::ReadFileFacts(path);
    QCOMPARE(facts.has_value(), size >= 0);
    if (!facts)
        return;
    QCOMPARE(facts->size, uint64_t(size));
    if (!name.startsWith("tree/")) {
        QCOMPARE(facts->lastWrite.timeSpec(), Qt::LocalTime);
        QCOMPARE(facts->lastWrite, kStamp);
        QCOMPARE(facts->lastWrite.date(), QDate(2021, 3, 4));
    }
}

// Runs `job` in a child process as an ordinary user (the super-user writes anywhere), with
// writes past `fileLimit` bytes failing as on a full disk when it is not 0; true when the
// job returned true.
bool InChildProcess(const std::function<bool()>& job, rlim_t fileLimit)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(99);
        if (fileLimit != 0) {
            const struct rlimit limit {
                fileLimit, fileLimit
            };
            ::signal(SIGXFSZ, SIG_IGN);
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        ::_exit(job() ? 0 : 1);
    }
    int status = 0;
    return pid > 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

enum class CopyTarget {
    New,
    Existing,
    InReadOnlyFolder,      // a writable file in a folder that takes no new file: written in place
    InReadOnlyFolderNoRoom // the same on a full disk: the old content stays whole
};

void TestFileServices::copy_data()
{
    QTest::addColumn<CopyTarget>("target");
    QTest::addColumn<bool>("failIfExists");
    QTest::addColumn<bool>("ok");
    QTest::newRow("new target, refusing to replace") << CopyTarget::New << true << true;
    QTest::newRow("new target, replacing allowed") << CopyTarget::New << false << true;
    QTest::newRow("existing target kept") << CopyTarget::Existing << true << false;
    QTest::newRow("existing target replaced") << CopyTarget::Existing << false << true;
    QTest::newRow("read-only folder, in place") << CopyTarget::InReadOnlyFolder << false << true;
    QTest::newRow("read-only folder, no room") << CopyTarget::InReadOnlyFolderNoRoom << false << false;
}

void TestFileServices::copy()
{
    QFETCH(CopyTarget, target);
    QFETCH(bool, failIfExists);
    QFETCH(bool, ok);
    const bool readOnlyFolder = target >= CopyTarget::InReadOnlyFolder;
    const QString folder = P(readOnlyFolder ? QStringLiteral("copy-ro") : QString());
    QVERIFY(QDir().mkpath(folder));
    const QString from = P("copy-source.bin");
    const QString to = folder + QStringLiteral("/copy-target-%1.bin").arg(QTest::currentDataTag());
    const QByteArray source = Pattern(150000);
    const QByteArray old("old contents");
    Write(from, source);
    {
        QFile f(from);
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(kStamp, QFileDevice::FileModificationTime));
    }
    const QByteArray toBytes = QFile::encodeName(to);
    if (target != CopyTarget::New)
        Write(to, old);

    if (readOnlyFolder) {
        // Another user must reach the files: the folders opened to all, the folder itself
        // closed to new files.
        const QByteArray top = QFile::encodeName(m_dir.path());
        QVERIFY(::chmod(top.constData(), 0755) == 0 && ::chmod(QFile::encodeName(from).constData(), 0644) == 0);
        QVERIFY(::chmod(toBytes.constData(), 0666) == 0);
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0555) == 0);
        const rlim_t limit = target == CopyTarget::InReadOnlyFolderNoRoom ? 64 : 0;
        QCOMPARE(InChildProcess([&] { return FileServices::CopyFile(from, to, failIfExists); }, limit), ok);
        ::chmod(QFile::encodeName(folder).constData(), 0755);
        ::chmod(top.constData(), 0700);
    } else {
        QCOMPARE(FileServices::CopyFile(from, to, failIfExists), ok);
    }
    QCOMPARE(Read(to), ok ? source : old);
    if (ok && !readOnlyFolder) // another user may not set the times of a file it does not own
        QCOMPARE(QFileInfo(to).lastModified(), kStamp);
    // No temporary files are left beside the target.
    const QStringList leftovers = QDir(folder).entryList({"copy-target*"}, QDir::Files | QDir::Hidden);
    QCOMPARE(leftovers, QStringList {QFileInfo(to).fileName()});
    QFile::remove(to);
}

void TestFileServices::copyFailures_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::newRow("missing source") << "nothing.bin"
                                    << "out1.bin";
    QTest::newRow("folder as source") << "tree/sub"
                                      << "out2.bin";
    QTest::newRow("pipe as source") << "fifo.bin"
                                    << "out3.bin";
    QTest::newRow("target folder missing") << "tree/a.jpg"
                                           << "nofolder/out4.bin";
}

void TestFileServices::copyFailures()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    for (bool failIfExists : {true, false}) {
        QVERIFY(!FileServices::CopyFile(P(from), P(to), failIfExists));
        QVERIFY(!QFileInfo::exists(P(to)));
    }
}

void TestFileServices::volumesStartAtRoot()
{
    const QStringList volumes = FileServices::MountedVolumes();
    QVERIFY(!volumes.isEmpty());
    QCOMPARE(volumes.front(), QStringLiteral("/"));
    QCOMPARE(QSet<QString>(volumes.begin(), volumes.end()).size(), volumes.size());
}

void TestFileServices::namesNotUtf8_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("byte ff") << QByteArray("\xff.jpg");
    QTest::newRow("latin-1 e acute") << QByteArray("caf\xe9.jpg");
    QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80.jpg");
}

// Entered, listed, read and copied by the names' own bytes, in a folder named so too.
void TestFileServices::namesNotUtf8()
{
    QFETCH(QByteArray, name);
    const QByteArray folder = QFile::encodeName(P("raw")) + QTest::currentDataTag() + "\xe9";
    QCOMPARE(::mkdir(folder.constData(), 0700), 0);
    const QByteArray source = Pattern(70000);
    const int fd = ::open((folder + '/' + name).constData(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    QCOMPARE(::write(fd, source.constData(), size_t(source.size())), ssize_t(source.size()));
    ::close(fd);

    const QString before = FileServices::CurrentFolder();
    QVERIFY(FileServices::SetCurrentFolder(DecodeFileName(folder)));
    const QString inside = FileServices::CurrentFolder();
    const auto entries = FileServices::ListDirectory(QString(), "*.jpg", ListFilter::Files);
    QVERIFY(FileServices::SetCurrentFolder(before));
    QCOMPARE(EncodeFileName(inside), folder);
    QVERIFY(entries && entries->size() == 1);
    QCOMPARE(EncodeFileName(entries->front().name), name);

    const QString path = inside + '/' + entries->front().name;
    QCOMPARE(FileServices::ReadFileFacts(path).value_or(FileFacts {}).size, uint64_t(source.size()));
    for (const QByteArray& copy : {folder + "/new-" + name, folder + "/replaced-" + name}) {
        QVERIFY(FileServices::CopyFile(path, DecodeFileName(copy), copy.contains("/new-")));
        struct stat st {};
        QCOMPARE(::stat(copy.constData(), &st), 0);
        QCOMPARE(qint64(st.st_size), qint64(source.size()));
    }
}

QTEST_GUILESS_MAIN(TestFileServices)
#include "test_fileservices.moc"
