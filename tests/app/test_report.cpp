// SPDX-License-Identifier: GPL-3.0-or-later
#include <QTest>
#include <QTimer>
#include "app/lib/Application.h"
#include "picture/Failure.h"
#include "platform/Guard.h"
#include "ScriptedPlatform.h"

class TestReport : public QObject {
    Q_OBJECT
private slots:
    void reportText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter gets a period") << "Clipboard does not support Icons"
                                              << "Clipboard does not support Icons.";
        QTest::newRow("period kept single") << "Out of memory."
                                            << "Out of memory.";
        QTest::newRow("digit gets a period") << "JPEG error #42"
                                             << "JPEG error #42.";
        QTest::newRow("exclamation before period in code order") << "Stop!"
                                                                 << "Stop!";
        QTest::newRow("closing bracket") << "Unknown picture file extension (.txt)"
                                         << "Unknown picture file extension (.txt)";
        QTest::newRow("empty") << ""
                               << "";
    }
    void reportText()
    {
        QFETCH(QString, text);
        QTEST(ReportText(text), "shown");
    }

    void guardedHandlerReportsOnce()
    {
        ScriptedPlatform platform;
        bool after = false;
        Guarded(platform, [] { throw Failure("Clipboard does not support Icons"); });
        Guarded(platform, [&after] { after = true; });
        QCOMPARE(platform.messages.size(), size_t(1));
        QCOMPARE(platform.messages[0].kind, MessageKind::Error);
        QCOMPARE(platform.messages[0].caption, QStringLiteral("Lumivue"));
        QCOMPARE(platform.messages[0].text, QStringLiteral("Clipboard does not support Icons."));
        QVERIFY(after); // the program goes on
    }

    void backstopCatchesEventHandlerFailure()
    {
        ScriptedPlatform platform;
        auto* app = static_cast<TApplication*>(qApp);
        app->SetPlatform(&platform);
        QObject target;
        bool later = false;
        QTimer::singleShot(0, &target, [] { throw Failure("Cannot open clipboard"); });
        QTimer::singleShot(0, &target, [&later] { later = true; });
        QTRY_VERIFY(later);
        app->SetPlatform(nullptr);
        QCOMPARE(platform.messages.size(), size_t(1));
        QCOMPARE(platform.messages[0].text, QStringLiteral("Cannot open clipboard."));
        QCOMPARE(platform.messages[0].caption, QStringLiteral("Lumivue"));
    }
};

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    TestReport test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_report.moc"
