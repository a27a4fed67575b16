// SPDX-License-Identifier: GPL-3.0-or-later
// The window in a folder whose name, like its files' names, is not UTF-8: thumbnails drawn,
// opened full screen and described by the names' bytes; list line, hint and details shown with U+FFFD.
#include <sys/stat.h>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTest>
#include "base/FileNames.h"
#include "controls/FileListBox.h"
#include "controls/ImageControl.h"
#include "TestFiles.h"
#include "TestPictures.h"
#include "MainWindowFixture.h"
#include "ui/fullscreen/Full.h"

namespace {
struct Window : MainWindowFixture<> {
    QByteArray folder;
    ~Window()
    {
        form.reset();
        RemoveTree(QFile::encodeName(dir.path())); // Qt's removal cannot reach these names
    }
    void Choose(int n, const QString& entry)
    {
        platform.menuChoices = {entry};
        form->AllImageClick(form->Thumbnail(n));
    }
};

// Shown as it should be: with U+FFFD, no lone surrogate left.
bool ShownWithReplacement(const QString& text)
{
    return text.contains(QChar(0xFFFD)) && DisplayName(text) == text;
}
} // namespace

class TestFileNamesWindow : public QObject {
    Q_OBJECT
private slots:
    void thumbnailOpensAndShows_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("byte ff") << QByteArray("\xff.jpg");
        QTest::newRow("latin-1 e acute") << QByteArray("caf\xe9.jpg");
    }
    void thumbnailOpensAndShows()
    {
        QFETCH(QByteArray, name);
        Window w;
        w.folder = QFile::encodeName(w.dir.path()) + "/pics\xe9";
        QCOMPARE(::mkdir(w.folder.constData(), 0700), 0);
        WriteTestJpeg(w.Path("a.jpg"), 40, 30);
        QCOMPARE(::rename(QFile::encodeName(w.Path("a.jpg")).constData(), (w.folder + '/' + name).constData()), 0);
        w.platform.SetCurrentFolder(DecodeFileName(w.folder));
        TApplication::InitPictureLayer(w.platform);
        w.form = std::make_unique<TViewForm>(w.platform);
        w.form->show();
        QCoreApplication::processEvents();

        QCOMPARE(w.platform.messages.size(), size_t(0));
        TImage* img = w.form->Thumbnail(1);
        QCOMPARE(EncodeFileName(img->Hint()), name);
        QVERIFY(img->Picture().HasGraphic());
        QVERIFY(ShownWithReplacement(img->toolTip()));
        const auto* lines = qobject_cast<QStyledItemDelegate*>(w.form->FileListBox1->itemDelegate());
        QVERIFY(ShownWithReplacement(lines->displayText(w.form->FileListBox1->Item(0), QLocale())));
        QVERIFY(w.During<TFullForm>([&] { w.Choose(1, QStringLiteral("Show Full Size")); },
                                    [&](TFullForm& full) {
                                        QCOMPARE(EncodeFileName(full.ShownFile), name);
                                        QCOMPARE(full.imgFull->PictureRect().size(), QSize(40, 30)); // read again
                                    }));
        w.Choose(1, QStringLiteral("Details"));
        QCOMPARE(w.form->Details().Shown().width, QStringLiteral("40"));
        QVERIFY(ShownWithReplacement(w.form->Details().Shown().name));
    }
};

QTEST_MAIN(TestFileNamesWindow)
#include "test_filenames.moc"
