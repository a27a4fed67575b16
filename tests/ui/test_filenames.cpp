// The window on files and a folder whose names are not UTF-8: listed, drawn, opened full
// screen, described and copied by their own bytes; shown with replacement characters.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QLineEdit>
#include <QTest>
#include "app/lib/Application.h"
#include "base/FileNames.h"
#include "controls/ImageControl.h"
#include "TestFiles.h"
#include "TestPictures.h"
#include "MainWindowFixture.h"
#include "ui/fullscreen/Full.h"
#include "ui/fullscreen/FullImage.h"

namespace {

const QChar kReplacement(0xFFFD);

struct Window : MainWindowFixture<> {
    QByteArray folder; // the pictures' folder, named "pics\xe9"
    ~Window()
    {
        form.reset();
        RemoveTree(QFile::encodeName(dir.path()));
    }

    // Writes each test picture under a plain name, then gives it its own bytes.
    void Make(const QList<QByteArray>& names)
    {
        folder = QFile::encodeName(dir.path()) + "/pics\xe9";
        QCOMPARE(::mkdir(folder.constData(), 0700), 0);
        for (const QByteArray& name : names) {
            WriteTestJpeg(Path(QStringLiteral("plain.jpg")), 40, 30);
            QCOMPARE(::rename(QFile::encodeName(Path(QStringLiteral("plain.jpg"))).constData(),
                              (folder + '/' + name).constData()),
                     0);
        }
    }
    void Open()
    {
        platform.SetCurrentFolder(DecodeFileName(folder));
        TApplication::InitPictureLayer(platform);
        form = std::make_unique<TViewForm>(platform);
        form->show();
        QCoreApplication::processEvents();
    }
    QString FirstMessage() const { return platform.messages.empty() ? QString() : platform.messages.front().text; }
    void Choose(int n, const QString& entry)
    {
        platform.menuChoices = {entry};
        form->AllImageClick(form->Thumbnail(n));
    }
};

bool HasLoneSurrogate(const QString& text)
{
    return DisplayName(text) != text;
}

} // namespace

class TestFileNamesWindow : public QObject {
    Q_OBJECT
private slots:
    void thumbnailsOpenAndShow_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("byte ff") << QByteArray("\xff.jpg");
        QTest::newRow("latin-1 e acute") << QByteArray("caf\xe9.jpg");
    }
    void thumbnailsOpenAndShow()
    {
        QFETCH(QByteArray, name);
        Window w;
        w.Make({name, "plain.jpg"});
        w.Open();
        QVERIFY2(w.platform.messages.empty(), qPrintable(w.FirstMessage()));
        QCOMPARE(w.form->edtImageCount->text(), QStringLiteral("2"));
        const int n = EncodeFileName(w.form->Thumbnail(1)->Hint()) == name ? 1 : 2;
        TImage* img = w.form->Thumbnail(n);
        QCOMPARE(EncodeFileName(img->Hint()), name);
        QVERIFY(img->Picture().HasGraphic());
        QVERIFY(img->toolTip().contains(kReplacement));
        QVERIFY(!HasLoneSurrogate(img->toolTip()));

        QVERIFY(w.During<TFullForm>([&] { w.Choose(n, QStringLiteral("Show Full Size")); },
                                    [&](TFullForm& full) {
                                        QCOMPARE(EncodeFileName(full.ShownFile), name);
                                        QCOMPARE(full.imgFull->PictureRect().size(), QSize(40, 30));
                                    }));

        w.Choose(n, QStringLiteral("Details"));
        QCOMPARE(w.form->edtDWidth->text(), QStringLiteral("40"));
        QVERIFY(w.form->edtDName->text().contains(kReplacement));
        QVERIFY(!HasLoneSurrogate(w.form->edtDName->text()));

        const QByteArray copy = w.folder + "/copy-" + name;
        w.platform.saveAnswers = {DecodeFileName(copy)};
        w.Choose(n, QStringLiteral("Copy to"));
        struct stat st {};
        QCOMPARE(::stat(copy.constData(), &st), 0);
        QVERIFY(st.st_size > 0);
        QVERIFY2(w.platform.messages.empty(), qPrintable(w.FirstMessage()));
        // The folder's own name survives the copy's change of working folder.
        QCOMPARE(EncodeFileName(w.platform.CurrentFolder()), w.folder);
    }
};

QTEST_MAIN(TestFileNamesWindow)
#include "test_filenames.moc"
