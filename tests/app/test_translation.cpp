// SPDX-License-Identifier: GPL-3.0-or-later
// The dialogs in the user's language: ctest runs this test under LANG=de_DE.UTF-8 (a locale
// scripts/setup.sh --test generates), and the save dialog's buttons are then Qt's German ones
// from the distribution's translations of Qt.
#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include "app/lib/Application.h"
#include "platform/QtPlatform.h"

class TestTranslation : public QObject {
    Q_OBJECT
private slots:
    void saveDialogSpeaksTheUsersLanguage()
    {
        const QString qm = QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_de.qm");
        if (!QFileInfo::exists(qm))
            QSKIP("Qt's German translation is missing: scripts/setup.sh --test installs qt6-translations-l10n");
        QCOMPARE(QLocale().language(), QLocale::German);
        const QTemporaryDir dir;
        QtPlatform platform;
        QStringList buttons;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            if (auto* box = dialog->findChild<QDialogButtonBox*>()) {
                for (QAbstractButton* button : box->buttons())
                    buttons << button->text().remove(QLatin1Char('&'));
            }
            dialog->reject();
        });
        platform.RunSaveDialog(nullptr,
                               {QStringLiteral("Copy to"), QStringLiteral("Bitmaps (*.bmp)|*.bmp"), dir.path(),
                                QStringLiteral("a.bmp"), QStringLiteral("bmp")});
        buttons.sort();
        QCOMPARE(buttons, QStringList({QStringLiteral("Abbrechen"), QStringLiteral("Speichern")}));
    }
};

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    TestTranslation test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_translation.moc"
