// SPDX-License-Identifier: GPL-3.0-or-later
// The parts of the real platform that run without a user: filters, the busy cursor, timers.
#include <QtTest>

#include <sys/stat.h>
#include "base/FileNames.h"
#include "platform/ClipboardData.h"
#include "platform/QtPlatform.h"
#include "TestFiles.h"

#include <QApplication>
#include <chrono>
#include <thread>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QProcess>
#include <QScopeGuard>
#include <QStandardPaths>

#ifdef LUMIVUE_TEST_DBUS
#include <QDBusConnection>
#include <QDBusObjectPath>

// Stand-ins, on a bus of the test's own, for the desktop portal's OpenURI and the file
// manager's ShowItems: each records what it was asked.
class PortalStandIn : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.OpenURI")
public:
    QStringList asked;
public slots:
    QDBusObjectPath OpenURI(const QString&, const QString& uri, const QVariantMap& options)
    {
        asked << uri + (options.value(QStringLiteral("ask")).toBool() ? QStringLiteral(" ask") : QString());
        return QDBusObjectPath(QStringLiteral("/org/freedesktop/portal/desktop/request/1"));
    }
};

class FileManagerStandIn : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")
public:
    QStringList asked;
public slots:
    void ShowItems(const QStringList& uris, const QString&) { asked << uris; }
};
#endif

namespace {
// A folder put first on PATH whose xdg-open (and, unless `withGdbus`, a gdbus that always
// fails) records its argument in xdg-open.out; PATH as it was when it goes.
struct DesktopTools {
    QTemporaryDir bin;
    QByteArray path = qgetenv("PATH");
    explicit DesktopTools(bool withGdbus)
    {
        if (!withGdbus)
            WriteBytes(bin.filePath(QStringLiteral("gdbus")), "#!/bin/sh\nexit 1\n");
        WriteBytes(bin.filePath(QStringLiteral("xdg-open")), "#!/bin/sh\nprintf '%s ' \"$1\" >> \"$0.out\"\n");
        for (const char* tool : {"gdbus", "xdg-open"})
            ::chmod(QFile::encodeName(bin.filePath(QLatin1String(tool))).constData(), 0755);
        qputenv("PATH", QFile::encodeName(bin.path()) + ':' + path);
    }
    ~DesktopTools() { qputenv("PATH", path); }
    QByteArray Opened() const { return ReadBytes(bin.filePath(QStringLiteral("xdg-open.out"))); }
};
} // namespace

class TestQtPlatform : public QObject {
    Q_OBJECT
private slots:
    // With the portal and the file manager on the session bus, they are asked: the portal
    // to let the user choose the application; xdg-open is not run.
    void desktopCallsReachThePortal()
    {
#ifndef LUMIVUE_TEST_DBUS
        QSKIP("built without Qt D-Bus");
#else
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty() ||
            QStandardPaths::findExecutable(QStringLiteral("gdbus")).isEmpty())
            QSKIP("dbus-daemon or gdbus is missing (scripts/setup.sh --test installs them)");
        QProcess bus;
        bus.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        QVERIFY(bus.waitForReadyRead(10000));
        const QString address = QString::fromLatin1(bus.readLine().trimmed());
        const auto stop = qScopeGuard([&bus] {
            bus.kill();
            bus.waitForFinished();
        });
        QDBusConnection connection = QDBusConnection::connectToBus(address, QStringLiteral("lumivue-test"));
        PortalStandIn portal;
        FileManagerStandIn files;
        QVERIFY(connection.registerObject(QStringLiteral("/org/freedesktop/portal/desktop"), &portal,
                                          QDBusConnection::ExportAllSlots) &&
                connection.registerService(QStringLiteral("org.freedesktop.portal.Desktop")));
        QVERIFY(connection.registerObject(QStringLiteral("/org/freedesktop/FileManager1"), &files,
                                          QDBusConnection::ExportAllSlots) &&
                connection.registerService(QStringLiteral("org.freedesktop.FileManager1")));
        const DesktopTools tools(true);
        const bool hadBus = qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS");
        const QByteArray oldBus = qgetenv("DBUS_SESSION_BUS_ADDRESS");
        qputenv("DBUS_SESSION_BUS_ADDRESS", address.toLatin1());
        const QString file = tools.bin.filePath(QStringLiteral("a b.jpg"));
        QtPlatform platform;
        QVERIFY(platform.OpenWith(file));
        QVERIFY(platform.ShowInFolder(file));
        if (hadBus)
            qputenv("DBUS_SESSION_BUS_ADDRESS", oldBus);
        else
            qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        const QString uri = QString::fromLatin1(QUrl::fromLocalFile(file).toEncoded());
        QTRY_COMPARE(portal.asked, QStringList {uri + QStringLiteral(" ask")});
        QTRY_COMPARE(files.asked, QStringList {uri});
        QTest::qWait(200); // a fallback run by mistake would have written by now
        QCOMPARE(tools.Opened(), QByteArray());
        QDBusConnection::disconnectFromBus(QStringLiteral("lumivue-test"));
#endif
    }
    // Without a portal or a file manager on the bus, the file (or its folder) goes to xdg-open.
    void desktopCallsFallBackToXdgOpen()
    {
        const DesktopTools tools(false);
        const QString file = tools.bin.filePath(QStringLiteral("a b.jpg"));
        QtPlatform platform;
        QVERIFY(platform.OpenWith(file));
        QTRY_VERIFY(!tools.Opened().isEmpty()); // one at a time: the order is checked
        QVERIFY(platform.ShowInFolder(file));
        QTRY_COMPARE(tools.Opened(),
                     QUrl::fromLocalFile(file).toEncoded() + ' ' + QUrl::fromLocalFile(tools.bin.path()).toEncoded() +
                         ' ');
    }
    void dialogFilter_data();
    void dialogFilter();
    void busyCursorNests();
    void timerTicksAndStops();
    void timerDestroyedInsideItsHandler();
    void saveDialogAddsExtension_data();
    void saveDialogAddsExtension();
    void saveDialogRefusesFolderItCannotOpen();
    void clipboardPngMadeOffThisThread_data();
    void clipboardPngMadeOffThisThread();
};

void TestQtPlatform::dialogFilter_data()
{
    QTest::addColumn<QString>("desktop");
    QTest::addColumn<QString>("qt");

    QTest::newRow("one entry") << "Bitmaps (*.bmp)|*.bmp"
                               << "Bitmaps (*.bmp)";
    QTest::newRow("several entries, list patterns")
        << "All (*.jpg;*.jpeg)|*.jpg;*.jpeg|JPEG Image File (*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg"
        << "All (*.jpg *.jpeg);;JPEG Image File (*.jpg);;JPEG Image File (*.jpeg)";
    QTest::newRow("description without patterns") << "Bitmap|*.bmp"
                                                  << "Bitmap (*.bmp)";
    QTest::newRow("description disagrees with patterns") << "Pictures (*.jpg)|*.jpg;*.bmp"
                                                         << "Pictures (*.jpg) (*.jpg *.bmp)";
    QTest::newRow("missing pattern half") << "Anything"
                                          << "Anything (*)";
    QTest::newRow("missing description") << "|*.bmp"
                                         << "*.bmp";
    QTest::newRow("empty") << ""
                           << "";
}

void TestQtPlatform::dialogFilter()
{
    QFETCH(QString, desktop);
    QFETCH(QString, qt);
    QCOMPARE(QtFileDialogFilter(desktop), qt);
}

void TestQtPlatform::busyCursorNests()
{
    QtPlatform platform;
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    platform.SetBusyCursor(true);
    platform.SetBusyCursor(true);
    QVERIFY(QApplication::overrideCursor());
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    platform.SetBusyCursor(false);
    QVERIFY(QApplication::overrideCursor()); // the outer span is still busy
    platform.SetBusyCursor(false);
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    platform.SetBusyCursor(false); // unmatched: ignored, and the next span still works
    platform.SetBusyCursor(true);
    QVERIFY(QApplication::overrideCursor());
    platform.SetBusyCursor(false);
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void TestQtPlatform::timerTicksAndStops()
{
    QtPlatform platform;
    auto timer = platform.CreateTimer();
    int ticks = 0;
    timer->OnTimeout = [&] {
        if (++ticks == 3)
            timer->Stop();
    };
    timer->Start(1);
    QVERIFY(timer->Active());
    QCOMPARE(timer->Interval(), 1);
    QTRY_COMPARE(ticks, 3);
    QVERIFY(!timer->Active());
}

void TestQtPlatform::timerDestroyedInsideItsHandler()
{
    QtPlatform platform;
    std::unique_ptr<PlatformTimer> timer = platform.CreateTimer();
    int ticks = 0;
    timer->OnTimeout = [&] {
        ++ticks;
        timer.reset();
    };
    timer->Start(1);
    QTRY_VERIFY(!timer);
    QCOMPARE(ticks, 1);
}

// The save dialog opens in the folder with the proposed name chosen, refuses a blank name
// and stays open, and adds the default extension to a typed name that has none.
void TestQtPlatform::saveDialogAddsExtension_data()
{
    QTest::addColumn<QString>("blank"); // typed first, refused
    QTest::newRow("only blanks") << "   ";
    QTest::newRow("only an extension") << ".bmp";
}

void TestQtPlatform::saveDialogAddsExtension()
{
    QFETCH(QString, blank);
    const QTemporaryDir dir;
    QtPlatform platform;
    QString proposed, refusal;
    bool openAfterRefusal = false;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        proposed = dialog->selectedFiles().value(0);
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                refusal = box->text();
                box->accept();
            }
        });
        dialog->selectFile(blank);
        QMetaObject::invokeMethod(dialog, "accept");
        openAfterRefusal = dialog->isVisible();
        dialog->selectFile(QStringLiteral("typed"));
        QMetaObject::invokeMethod(dialog, "accept"); // as the Save button does
    });
    const std::optional<QString> chosen =
        platform.RunSaveDialog(nullptr,
                               {QStringLiteral("Copy to"), QStringLiteral("Bitmaps (*.bmp)|*.bmp"), dir.path(),
                                QStringLiteral("a.bmp"), QStringLiteral("bmp")});
    QCOMPARE(proposed, dir.filePath(QStringLiteral("a.bmp")));
    QCOMPARE(refusal, QStringLiteral("Invalid file name"));
    QVERIFY(openAfterRefusal);
    QCOMPARE(chosen, std::optional<QString>(dir.filePath(QStringLiteral("typed.bmp"))));
}

// In a folder whose name is not UTF-8 (Latin-1 "café"), which Qt's dialog cannot find, the
// dialog is not opened in the folder above: the save is refused with a message.
void TestQtPlatform::saveDialogRefusesFolderItCannotOpen()
{
    const QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path()) + "/caf\xe9";
    QVERIFY(::mkdir(folder.constData(), 0700) == 0);
    const QString before = QDir::currentPath();
    QtPlatform platform;
    QVERIFY(platform.SetCurrentFolder(DecodeFileName(folder)));
    QString said, shown;
    QTimer::singleShot(0, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        shown = modal ? QString::fromLatin1(modal->metaObject()->className()) : QString();
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            said = box->text();
            box->accept();
        } else if (auto* dialog = qobject_cast<QDialog*>(modal)) {
            dialog->reject();
        }
    });
    const std::optional<QString> chosen =
        platform.RunSaveDialog(nullptr,
                               {QStringLiteral("Copy to"), QStringLiteral("Bitmaps (*.bmp)|*.bmp"), QString(),
                                QStringLiteral("a.bmp"), QStringLiteral("bmp")});
    QDir::setCurrent(before);
    QCOMPARE(shown, QStringLiteral("QMessageBox"));
    QVERIFY2(said.contains(QStringLiteral("caf\uFFFD\": its name is not valid UTF-8")), qPrintable(said));
    QCOMPARE(chosen, std::nullopt);
    ::rmdir(folder.constData());
}

// A copied picture's PNG is made while this thread does nothing else (it only sleeps here), and
// other programs are offered that PNG alone, which holds the picture (an indexed one's table
// too); this program's own pastes get the picture itself.
void TestQtPlatform::clipboardPngMadeOffThisThread_data()
{
    QTest::addColumn<QImage>("image");
    QImage indexed(5, 3, QImage::Format_Indexed8);
    indexed.setColorTable({qRgb(1, 1, 1), qRgb(200, 10, 10), qRgb(10, 200, 30)});
    for (int i = 0; i < 15; ++i)
        indexed.setPixel(i % 5, i / 5, uint(i % 3));
    QImage photo(300, 200, QImage::Format_RGB32);
    photo.fill(qRgb(20, 120, 160));
    photo.setPixel(7, 5, qRgb(250, 3, 99));
    QTest::newRow("photo") << photo;
    QTest::newRow("indexed") << indexed;
}

void TestQtPlatform::clipboardPngMadeOffThisThread()
{
    QFETCH(QImage, image);
    ClipboardData data(image);
    for (int i = 0; i < 3000 && !data.Ready(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    QVERIFY(data.Ready());
    QCOMPARE(data.formats(), QStringList {QStringLiteral("image/png")});
    QVERIFY(data.hasImage());
    QCOMPARE(qvariant_cast<QImage>(data.imageData()), image);
    QImage pasted;
    QVERIFY(pasted.loadFromData(data.data(QStringLiteral("image/png")), "PNG"));
    QCOMPARE(pasted.colorTable(), image.colorTable());
    QCOMPARE(pasted.convertToFormat(QImage::Format_RGB32), image.convertToFormat(QImage::Format_RGB32));
}

QTEST_MAIN(TestQtPlatform)
#include "test_qtplatform.moc"
