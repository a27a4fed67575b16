// SPDX-License-Identifier: GPL-3.0-or-later
// The real clipboard on an X display: after "Copy to Clipboard" another program (xclip) asks
// for the picture as PNG. The program must keep answering while it reads, so the event loop
// runs until xclip ends. Run by ctest under xvfb-run with the xcb platform.
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include "platform/QtPlatform.h"
#include "TestPictures.h"
#include "MainWindowFixture.h"

class TestClipboardX11 : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X display: run through ctest, which starts it with xvfb-run");
        if (QStandardPaths::findExecutable(QStringLiteral("xclip")).isEmpty())
            QSKIP("xclip is missing: scripts/setup.sh --test installs it");
    }

    void otherProgramPastesPicture()
    {
        MainWindowFixture<QtPlatform> f;
        const QString path = f.Path(QStringLiteral("photo.jpg"));
        const QSize size(1600, 1200);
        WriteTestJpeg(path, size.width(), size.height(), false, 6);
        f.OpenWindow();
        f.form->PicList.Current = 1;
        f.form->GatherImageDetails();
        // Called directly: a failure reported through the real platform would wait for a click.
        try {
            f.form->mniCopytoClipboardClick();
        } catch (const std::exception& e) {
            QFAIL(e.what());
        }

        QProcess xclip;
        QByteArray png;
        connect(&xclip, &QProcess::readyReadStandardOutput, this, [&] { png += xclip.readAllStandardOutput(); });
        xclip.start(QStringLiteral("xclip"), {"-selection", "clipboard", "-t", "image/png", "-o"});
        QVERIFY(xclip.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(xclip.state() == QProcess::NotRunning, 60000);
        png += xclip.readAllStandardOutput();
        QVERIFY2(xclip.exitStatus() == QProcess::NormalExit && xclip.exitCode() == 0,
                 xclip.readAllStandardError().constData());

        QImage pasted;
        QVERIFY(pasted.loadFromData(png, "PNG"));
        QCOMPARE(pasted.size(), size);
        QCOMPARE(pasted.convertToFormat(QImage::Format_RGB32), DecodedPixels(path));
    }
};

QTEST_MAIN(TestClipboardX11)
#include "test_clipboard_x11.moc"
