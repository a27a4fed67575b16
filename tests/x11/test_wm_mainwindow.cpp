// SPDX-License-Identifier: GPL-3.0-or-later
// The main window under a real window manager (openbox on a virtual display,
// scripts/wm-run.sh): maximised or resized it keeps its page and lays it out anew, it lies
// inside the screen at any scale factor, it carries the program's icon, it draws in the
// display's colours when the root window names a display profile, and typed keys move a
// file to the trash and back.
#include <QDir>
#include <QTemporaryDir>
#include <QProcess>
#include <QScopeGuard>
#include <QScreen>
#include <QStandardPaths>
#include <QTest>
#include "WindowManagerProbe.h"
#include <QToolButton>
#include "controls/ImageControl.h"
#include "MainWindowFixture.h"
#include "picture/ColourProfile.h"
#include "picture/PictureThumbnail.h"
#include "platform/DisplayProfile.h"
#include "TestFiles.h"
#include "TestPictures.h"
#include "TestProfiles.h"
#include "ToolPictures.h"
#include <xcb/xcb.h>

namespace {

struct Window : MainWindowFixture<> {
    // Fourteen pictures; the window shows their second page of nine.
    void OpenOnSecondPage()
    {
        for (int i = 0; i < 14; ++i)
            WriteTestJpeg(Path(QStringLiteral("p%1.jpg").arg(i, 2, 10, QLatin1Char('0'))), 640, 480);
        OpenWindow();
        form->btnDown->click();
        form->Decoder().Drain();
    }
    // The window framed by the window manager, as Qt learns it.
    bool Framed() const
    {
        return QTest::qWaitFor([&] { return form->frameGeometry().height() > form->height(); }, 5000);
    }
};

// The images of the window's _NET_WM_ICON, by size.
std::map<int, QImage> WindowIcons(WId window)
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"),
                {QStringLiteral("-id"), QString::number(window), QStringLiteral("-notype"), QStringLiteral("-f"),
                 QStringLiteral("_NET_WM_ICON"), QStringLiteral("32c"), QStringLiteral("=$0+"),
                 QStringLiteral("_NET_WM_ICON")});
    xprop.waitForFinished(10000);
    const QString text = QString::fromLatin1(xprop.readAllStandardOutput());
    std::vector<quint32> values;
    for (const QString& part : text.mid(text.indexOf(QLatin1Char('=')) + 1).split(QLatin1Char(',')))
        values.push_back(part.trimmed().toUInt());
    std::map<int, QImage> icons;
    for (size_t at = 0; at + 2 <= values.size();) {
        const int w = int(values[at]), h = int(values[at + 1]);
        at += 2;
        if (w <= 0 || h <= 0 || at + size_t(w) * size_t(h) > values.size())
            break;
        QImage image(w, h, QImage::Format_ARGB32);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                image.setPixel(x, y, values[at++]);
        icons[w] = image;
    }
    return icons;
}

// Puts the profile on the first screen's root window, or takes it away when empty.
void SetRootProfile(const QByteArray& icc)
{
    xcb_connection_t* c = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    const QByteArray name("_ICC_PROFILE");
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, name.size(), name.data()), nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    if (icc.isEmpty())
        xcb_delete_property(c, root, atom->atom);
    else
        xcb_change_property(c, XCB_PROP_MODE_REPLACE, root, atom->atom, XCB_ATOM_CARDINAL, 8, uint32_t(icc.size()),
                            icc.constData());
    std::free(atom);
    xcb_flush(c);
}

} // namespace

class TestWmMainWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            QSKIP("needs an X display with a window manager: run through ctest");
        QVERIFY2(WindowManagerFrames(), "the window manager framed no window");
    }

    void newSizeKeepsThePage_data()
    {
        QTest::addColumn<bool>("maximise");
        QTest::newRow("maximised") << true;
        QTest::newRow("resized to 1600 x 1000") << false;
    }
    void newSizeKeepsThePage()
    {
        QFETCH(bool, maximise);
        Window w;
        w.OpenOnSecondPage();
        TViewForm& f = *w.form;
        QVERIFY(QTest::qWaitForWindowExposed(&f));
        QVERIFY(w.Framed());
        const QSize before = f.Thumbnail(2)->size();
        if (maximise) {
            f.showMaximized();
            const QRect area = f.screen()->availableGeometry();
            QTRY_VERIFY_WITH_TIMEOUT(f.frameGeometry().width() >= area.width() - 2, 5000);
            QVERIFY(f.frameGeometry().height() >= area.height() - 2);
        } else {
            f.resize(1600, 1000);
            QTRY_COMPARE_WITH_TIMEOUT(f.size(), QSize(1600, 1000), 5000);
        }
        QCOMPARE(f.Thumbnail(1)->Hint(), QStringLiteral("p09.jpg"));
        TImage* cell = f.Thumbnail(2);
        QVERIFY(cell->width() > before.width() && cell->height() > before.height());
        // Once the size has settled, copies made for the bigger cells.
        QTRY_VERIFY_WITH_TIMEOUT(w.platform.FireAll() > 0 || !cell->DecodesHeld(), 5000);
        f.Decoder().Drain();
        QCOMPARE(ThumbnailOf(cell->Picture().Graphic())->Shown().size(), cell->size());
    }

    // Placed in the screen's work area whatever the scale factor (the test runs again at 2).
    void frameInsideTheScreen()
    {
        Window w;
        w.platform.workArea = QGuiApplication::primaryScreen()->availableGeometry(); // as the desktop says
        w.OpenWindow();
        QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
        QVERIFY(w.Framed());
        const QRect screen = w.form->screen()->geometry();
        QVERIFY2(screen.contains(w.form->frameGeometry()),
                 qPrintable(QStringLiteral("frame %1,%2 %3x%4 on a screen of %5x%6")
                                .arg(w.form->frameGeometry().x())
                                .arg(w.form->frameGeometry().y())
                                .arg(w.form->frameGeometry().width())
                                .arg(w.form->frameGeometry().height())
                                .arg(screen.width())
                                .arg(screen.height())));
    }

    // A thumbnail's pixels are the picture reduced to its cell's device size: at a scale
    // factor of 2 prepared at twice the cell's size, not blown up from the cell's own.
    void thumbnailAtDevicePixels()
    {
        Window w;
        WriteTestJpeg(w.Path(QStringLiteral("detail.jpg")), 640, 480);
        w.OpenWindow();
        QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
        w.form->Decoder().Drain();
        TImage* cell = w.form->Thumbnail(1);
        const QImage shown = cell->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const qreal ratio = cell->devicePixelRatioF();
        QCOMPARE(shown.size(), QSize(qRound(cell->width() * ratio), qRound(cell->height() * ratio)));
        const QImage expected =
            MakeTestImage(640, 480, 0).scaled(shown.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        qint64 difference = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x) {
                const QRgb a = shown.pixel(x, y), b = expected.pixel(x, y);
                difference +=
                    std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
            }
        const double mean = double(difference) / (3.0 * shown.width() * shown.height());
        QVERIFY2(mean < 6, qPrintable(QStringLiteral("mean difference %1 at scale %2").arg(mean).arg(ratio)));
    }

    // A display profile put on the root window, as colour services put it, colours the next
    // page's thumbnails; taken away, the page after is in sRGB again.
    void displayProfileFromTheRoot()
    {
        Window w;
        for (int i = 0; i < 18; ++i)
            WriteTestJpeg(w.Path(QStringLiteral("p%1.jpg").arg(i, 2, 10, QLatin1Char('0'))), 640, 480);
        w.platform.displayProfile = ReadDisplayProfile;
        w.OpenWindow();
        QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
        const auto shown = [&] {
            w.form->Decoder().Drain();
            TImage* cell = w.form->Thumbnail(1);
            return cell->grab(cell->PictureRect()).toImage().convertToFormat(QImage::Format_RGB32);
        };
        const QImage plain = shown();
        const QByteArray wide = testprofiles::WideV4();
        SetRootProfile(wide);
        QCOMPARE(ReadDisplayProfile(), wide);
        QCOMPARE(shown(), plain); // the page shown keeps its colours
        w.form->btnDown->click();
        QImage expected = plain;
        SrgbToProfile(wide)->MapImage(expected);
        QCOMPARE_LE(MaxDifference(shown(), expected), 1);
        QVERIFY(MaxDifference(plain, expected) > 8); // a profile far enough from sRGB to tell
        SetRootProfile({});
        QCOMPARE(ReadDisplayProfile(), QByteArray());
        w.form->btnUp->click();
        QCOMPARE(shown(), plain);
    }

    // Keys typed on the display (XTEST, to the window the window manager focused): Delete
    // moves the chosen picture's file into the trash, where the desktop's trash lister finds
    // it, and Ctrl+Z puts it back, bytes and modification time its own.
    void trashFromTheKeyboard()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("xdotool")).isEmpty())
            QSKIP("xdotool is missing (scripts/setup.sh --test installs it)");
        const QTemporaryDir data;
        qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
        const auto restore = qScopeGuard([] { qunsetenv("XDG_DATA_HOME"); });
        Window w;
        w.OpenOnSecondPage();
        TViewForm& f = *w.form;
        const QString path = w.Path(QStringLiteral("p09.jpg"));
        const QDateTime written(QDate(2001, 2, 3), QTime(4, 5, 6, 789), Qt::UTC);
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite) && file.setFileTime(written, QFileDevice::FileModificationTime));
        }
        const QByteArray bytes = ReadBytes(path);
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        f.pnlImage->setFocus();
        f.ChooseThumbnail(1);
        const auto type = [](const QString& keys) {
            return QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), keys}) == 0;
        };
        const QString trashed = data.filePath(QStringLiteral("Trash/files/p09.jpg"));
        QVERIFY(type(QStringLiteral("Delete")));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(trashed), 5000);
        QVERIFY(!QFileInfo::exists(path));
        QVERIFY(ReadBytes(data.filePath(QStringLiteral("Trash/info/p09.jpg.trashinfo")))
                    .startsWith("[Trash Info]\nPath=" + QFile::encodeName(path).toPercentEncoding("/") + '\n'));
        if (!QStandardPaths::findExecutable(QStringLiteral("trash-list")).isEmpty()) {
            QProcess lister;
            lister.start(QStringLiteral("trash-list"), {});
            QVERIFY(lister.waitForFinished(30000));
            QVERIFY(QString::fromUtf8(lister.readAllStandardOutput()).contains(QLatin1Char(' ') + path));
        }
        QVERIFY(type(QStringLiteral("ctrl+z")));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(path), 5000);
        QCOMPARE(ReadBytes(path), bytes);
        QCOMPARE(QFileInfo(path).lastModified().toUTC(), written);
        QVERIFY(!QFileInfo::exists(trashed));
    }

    // The window's icon is the program's drawing, as another renderer draws it.
    void windowCarriesTheIcon()
    {
        const QString rsvg = QStandardPaths::findExecutable(QStringLiteral("rsvg-convert"));
        if (rsvg.isEmpty())
            QSKIP("rsvg-convert is missing: scripts/setup.sh --test installs it");
        Window w;
        w.OpenWindow();
        QVERIFY(QTest::qWaitForWindowExposed(w.form.get()));
        const std::map<int, QImage> icons = WindowIcons(w.form->winId());
        QVERIFY(icons.count(32) == 1);
        const QString png = w.Path(QStringLiteral("icon.png"));
        QCOMPARE(QProcess::execute(rsvg,
                                   {QStringLiteral("-w"), QStringLiteral("32"), QStringLiteral("-h"),
                                    QStringLiteral("32"), QStringLiteral("-o"), png, QStringLiteral(LUMIVUE_ICON_SVG)}),
                 0);
        const QImage expected = QImage(png).convertToFormat(QImage::Format_ARGB32);
        const QImage& shown = icons.at(32);
        int far = 0;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                const QColor a = shown.pixelColor(x, y), b = expected.pixelColor(x, y);
                far += std::abs(a.alpha() - b.alpha()) > 40 ||
                    (b.alpha() > 200 &&
                     std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) + std::abs(a.blue() - b.blue()) >
                         90);
            }
        QVERIFY2(far < 32, qPrintable(QStringLiteral("%1 of 1024 pixels differ").arg(far)));
    }
};

int main(int argc, char** argv)
{
    TApplication app(argc, argv);
    TestWmMainWindow test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_wm_mainwindow.moc"
