// SPDX-License-Identifier: GPL-3.0-or-later
// Rename from the page: the names refused with a message while the window stays open, and a
// new name that the list, the page and the shared thumbnail cache follow.
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include "base/FileNames.h"
#include "controls/ImageControl.h"
#include "MainWindowFixture.h"
#include "picture/ThumbnailCache.h"
#include "TestPictures.h"
#include "ui/dialogs/Rename.h"

#include <sys/stat.h>

namespace {
ThumbnailSource SourceOf(const QString& path)
{
    struct stat st {};
    ::stat(EncodeFileName(path).constData(), &st);
    return {{path, int64_t(st.st_size), int64_t(st.st_mtime)}, QSize(40, 30), {}};
}
} // namespace

class TestRename : public QObject {
    Q_OBJECT
private slots:
    void typedNames_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message"); // empty: taken
        QTest::addColumn<QString>("third");   // the page's third picture after
        // Refused, the page stays a, b, c, d; taken, the new name sorts into the list.
        const auto row = [](const char* name, const char* typed, const char* message, const char* third) {
            QTest::newRow(name) << QString::fromUtf8(typed) << QString::fromUtf8(message) << QString::fromUtf8(third);
        };
        row("empty", "", "Please type a name.", "c.jpg");
        row("slash", "x/b.jpg", "A name cannot hold a \"/\".", "c.jpg");
        row("dots", "..", "A name of only dots is not allowed.", "c.jpg");
        row("taken", "c.jpg", "A file named \"c.jpg\" is there already.", "c.jpg");
        row("new", "zz.jpg", "", "d.jpg");
        row("first in the list", "0.jpg", "", "c.jpg");
    }
    void typedNames()
    {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        MainWindowFixture<> w;
        QTemporaryDir cacheHome;
        qputenv("XDG_CACHE_HOME", cacheHome.path().toUtf8());
        qputenv("LUMIVUE_NO_THUMBNAIL_CACHE", "0");
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
            WriteTestJpeg(w.Path(QLatin1String(name)), 40, 30);
        const ThumbnailCache cache(cacheHome.filePath(QStringLiteral("thumbnails")));
        QImage red(40, 30, QImage::Format_RGB32); // unlike any picture the page could make
        red.fill(Qt::red);
        QVERIFY(cache.Store(SourceOf(w.Path(QStringLiteral("b.jpg"))), QSize(40, 30), red));
        w.OpenWindow();
        w.form->ChooseThumbnail(2);
        bool selected = false, closed = false;
        QVERIFY(w.During<TRenameForm>([&] { w.form->RenameEntry(w.form->Thumbnail(2)->Hint()); },
                                      [&](TRenameForm& form) {
                                          selected = form.edtName->selectedText() == QLatin1String("b");
                                          form.edtName->setText(typed);
                                          form.btnOK->click();
                                          closed = form.result() == QDialog::Accepted;
                                      }));
        w.form->Decoder().Drain();
        qunsetenv("LUMIVUE_NO_THUMBNAIL_CACHE");
        QVERIFY(selected);
        QCOMPARE(closed, message.isEmpty());
        QCOMPARE(w.platform.messages.empty() ? QString() : w.platform.messages[0].text, message);
        QCOMPARE(QFileInfo::exists(w.Path(QStringLiteral("b.jpg"))), !closed);
        QTEST(w.form->Thumbnail(3)->Hint(), "third");
        if (closed) { // the cache entry moved with the file
            QCOMPARE(w.form->Thumbnail(w.form->PicList.Current)->Hint(), typed);
            QCOMPARE(cache.Find(SourceOf(w.Path(typed)), QSize(40, 30)).pixelColor(0, 0), QColor(Qt::red));
            const QByteArray old = ThumbnailUri(EncodeFileName(w.Path(QStringLiteral("b.jpg"))));
            QVERIFY(!QFileInfo::exists(cache.Root() + QStringLiteral("/normal/") + ThumbnailFileName(old)));
        }
    }
};

QTEST_MAIN(TestRename)
#include "test_rename.moc"
