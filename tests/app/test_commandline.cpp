// SPDX-License-Identifier: GPL-3.0-or-later
#include <fcntl.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>
#include "app/lib/CommandLine.h"
#include "TestFiles.h"

// Arguments and expected folders are written with "@" for the test's temporary folder.
class TestCommandLine : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_home;

    QString Resolve(QString text) const { return text.replace(QLatin1Char('@'), m_dir.path()); }
    QString ResolvePattern(QString text) const
    {
        return text.replace(QLatin1Char('@'), QRegularExpression::escape(m_dir.path()));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QDir(m_dir.path()).mkdir(QStringLiteral("pics"));
        for (const char* name : {"pics/a.jpg", "pics/-dash.jpg"}) {
            QFile f(m_dir.filePath(QString::fromLatin1(name)));
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        // A name whose bytes are not UTF-8: Latin-1 "café".
        const QByteArray latin1 = QFile::encodeName(m_dir.filePath(QStringLiteral("pics/caf"))) + "\xe9.jpg";
        QVERIFY(::close(::open(latin1.constData(), O_WRONLY | O_CREAT | O_EXCL, 0600)) == 0);
        m_home = QDir::currentPath();
        QDir::setCurrent(m_dir.path()); // relative arguments count from here
    }
    void cleanupTestCase()
    {
        QDir::setCurrent(m_home);
        RemoveTree(QFile::encodeName(m_dir.path())); // Qt's removal cannot reach the Latin-1 name
    }

    void read_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("exit");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<QString>("out"); // a pattern; "" for no output
        QTest::addColumn<QString>("err");
        const QString tryHelp = QStringLiteral("\nTry 'lumivue --help'.\n$");
        QTest::newRow("nothing") << QStringList {} << false << 0 << ""
                                 << ""
                                 << ""
                                 << "";
        QTest::newRow("help") << QStringList {"--help"} << true << 0 << ""
                              << ""
                              << "^Usage: lumivue \\[FOLDER \\| FILE\\]\n"
                              << "";
        QTest::newRow("-h after a folder") << QStringList {"@/pics", "-h"} << true << 0 << ""
                                           << ""
                                           << "^Usage: "
                                           << "";
        QTest::newRow("version") << QStringList {"--version"} << true << 0 << ""
                                 << ""
                                 << "^lumivue \\d+\\.\\d+(\\.\\d+)*\n$"
                                 << "";
        QTest::newRow("unknown option") << QStringList {"--fast"} << true << 2 << ""
                                        << ""
                                        << ""
                                        << "^lumivue: unknown option '--fast'" + tryHelp;
        QTest::newRow("two paths") << QStringList {"@/pics", "@/pics/a.jpg"} << true << 2 << ""
                                   << ""
                                   << ""
                                   << "^lumivue: give one folder or file, not 2" + tryHelp;
        QTest::newRow("--no-remember") << QStringList {"--no-remember", "@/pics"} << false << 0 << "@/pics"
                                       << ""
                                       << ""
                                       << "";
        QTest::newRow("folder") << QStringList {"@/pics"} << false << 0 << "@/pics"
                                << ""
                                << ""
                                << "";
        QTest::newRow("file") << QStringList {"@/pics/a.jpg"} << false << 0 << "@/pics"
                              << "a.jpg"
                              << ""
                              << "";
        QTest::newRow("relative file") << QStringList {"pics/../pics/a.jpg"} << false << 0 << "@/pics"
                                       << "a.jpg"
                                       << ""
                                       << "";
        QTest::newRow("after --, a dash is a name") << QStringList {"--", "pics/-dash.jpg"} << false << 0 << "@/pics"
                                                    << "-dash.jpg"
                                                    << ""
                                                    << "";
        QTest::newRow("missing: working folder") << QStringList {"@/none.jpg"} << false << 0 << ""
                                                 << ""
                                                 << ""
                                                 << "^lumivue: cannot open \"@/none.jpg\": no such file or folder; "
                                                    "starting in the working folder\n$";
        const QString cafe =
            QStringLiteral("caf") + QChar(0xDCE9) + QStringLiteral(".jpg"); // as DecodeFileName gives it
        QTest::newRow("file not UTF-8") << QStringList {"pics/" + cafe} << false << 0 << "@/pics" << cafe << ""
                                        << "";
        // Any other reason stat gives is the system's own words.
        QTest::newRow("through a file: the system's reason") << QStringList {"@/pics/a.jpg/b.jpg"} << false << 0 << ""
                                                             << ""
                                                             << ""
                                                             << "^lumivue: cannot open \"@/pics/a.jpg/b.jpg\": " +
                QRegularExpression::escape(QString::fromLocal8Bit(std::strerror(ENOTDIR))) + ";";
        QTest::newRow("device: working folder") << QStringList {"/dev/null"} << false << 0 << ""
                                                << ""
                                                << ""
                                                << "^lumivue: cannot open \"/dev/null\": not a file or folder;";
    }
    void read()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, folder);
        QFETCH(QString, out);
        QFETCH(QString, err);
        for (QString& a : arguments)
            a = Resolve(a);
        QString written;
        QString complained;
        QTextStream outStream(&written);
        QTextStream errStream(&complained);
        const StartRequest start = ReadCommandLine(arguments, outStream, errStream);
        QTEST(start.exit, "exit");
        QTEST(start.exitCode, "code");
        QCOMPARE(start.folder, folder.isEmpty() ? QString() : Resolve(folder));
        QTEST(start.fileName, "fileName");
        QCOMPARE(start.remember, !arguments.contains(QStringLiteral("--no-remember")));
        for (const auto& [text, pattern] : {std::pair {written, out}, std::pair {complained, err}}) {
            if (pattern.isEmpty())
                QCOMPARE(text, QString());
            else
                QVERIFY2(QRegularExpression(ResolvePattern(pattern)).match(text).hasMatch(), qPrintable(text));
        }
    }

    // Qt's options are left to the application object, the viewer's own kept in their order.
    void qtOptions_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("kept");
        QTest::newRow("value as the next argument")
            << QStringList {"-platform", "offscreen", "--fast"} << QStringList {"--fast"};
        QTest::newRow("two dashes, value after =") << QStringList {"--style=fusion", "pics"} << QStringList {"pics"};
        QTest::newRow("flags and values mixed")
            << QStringList {"-reverse", "pics", "-qwindowtitle", "T", "--no-remember"}
            << QStringList {"pics", "--no-remember"};
        QTest::newRow("after --, names") << QStringList {"--", "-platform", "x"}
                                         << QStringList {"--", "-platform", "x"};
        QTest::newRow("not Qt's") << QStringList {"-platforms", "-h"} << QStringList {"-platforms", "-h"};
    }
    void qtOptions()
    {
        QFETCH(QStringList, arguments);
        QTEST(WithoutQtOptions(arguments), "kept");
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_commandline.moc"
