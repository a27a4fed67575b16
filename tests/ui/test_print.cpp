// SPDX-License-Identifier: GPL-3.0-or-later
// Printing from the full-screen window: the print panel and its jobs through the scripted
// platform, then real jobs through Qt Print Support to the PDF file entry and, when
// scripts/cups-test.sh provides one, to a print queue of a private CUPS scheduler.
#include <cmath>
#include <QComboBox>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineF>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include "MainWindowFixture.h"
#include "picture/Bitmap.h"
#include "picture/DibImage.h"
#include "platform/QtPrinters.h"
#include "ui/fullscreen/Full.h"

namespace {
const QString kAsIs = QStringLiteral("Print As Is");
const QString kFullPage = QStringLiteral("Print Full Page");
const QRgb kInk = qRgb(30, 60, 200);

// The scripted platform with real printers: jobs go through Qt Print Support, the PDF file's
// name comes from the scripted save dialog.
struct RealPrinters : ScriptedPlatform {
    QtPrinters real {*this};
    QStringList Printers() override { return real.Printers(); }
    int PrinterIndex() override { return real.PrinterIndex(); }
    void SelectPrinter(int index) override { real.SelectPrinter(index); }
    std::optional<PrinterNames> SelectedPrinterNames() override { return real.SelectedPrinterNames(); }
    std::unique_ptr<PrintJob> CreatePrintJob(QWidget* parent) override { return real.CreatePrintJob(parent); }
    // The picked queue's facts (its make among them) read, as a user's pause gives them time.
    bool FactsIn()
    {
        return QTest::qWaitFor(
            [this] { return !real.SelectedPrinterNames().value_or(PrinterNames()).driver.isEmpty(); }, 10000);
    }
};

template <class P = ScriptedPlatform>
struct Printing : MainWindowFixture<P> {
    // One picture of a single colour, so the printed page shows exactly where it went.
    void Open(const QString& name, int width, int height)
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(kInk);
        TBitmap(DibFromQImage(image)).SaveToFile(this->Path(name));
        this->OpenWindow();
    }
    bool Show(const QString& entry, const std::function<void(TFullForm&)>& body)
    {
        this->platform.menuChoices = {entry};
        return this->template During<TFullForm>([&] { this->form->AllImageClick(this->form->Thumbnail(1)); }, body);
    }
};

void Pick(TFullForm& full, const QString& printer)
{
    const int index = full.cbxPrinters->findText(printer);
    QVERIFY2(index >= 0, qPrintable(printer + QStringLiteral(" is not in the printer list")));
    full.cbxPrinters->setCurrentIndex(index);
    emit full.cbxPrinters->activated(index);
}

// A tool's output; empty when it failed.
QString Run(const QString& program, const QStringList& args)
{
    QProcess process;
    process.start(program, args);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QString();
    return QString::fromLocal8Bit(process.readAllStandardOutput());
}

// The page of a one-page PDF in points, portrait or as shown (its rotation applied).
QSizeF PageOf(const QString& pdf)
{
    const QString info = Run(QStringLiteral("pdfinfo"), {pdf});
    if (!info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))))
        return QSizeF();
    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts")).match(info);
    const int rotation = QRegularExpression(QStringLiteral("Page rot:\\s+(\\d+)")).match(info).captured(1).toInt();
    const QSizeF page(size.captured(1).toDouble(), size.captured(2).toDouble());
    return rotation % 180 == 90 ? page.transposed() : page;
}

// The box of all that is not white on the page as pdftoppm draws it, in points from the
// page's top-left corner, measured to a quarter point.
QRectF InkedBox(const QString& pdf)
{
    const QTemporaryDir work;
    const QString prefix = work.filePath(QStringLiteral("page"));
    Run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-r"), QStringLiteral("288"), QStringLiteral("-singlefile"), QStringLiteral("-aa"),
         QStringLiteral("no"), pdf, prefix});
    const QImage page = QImage(prefix + QStringLiteral(".ppm")).convertToFormat(QImage::Format_RGB32);
    QRect inked;
    for (int y = 0; y < page.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(page.constScanLine(y));
        for (int x = 0; x < page.width(); ++x)
            if (qRed(line[x]) + qGreen(line[x]) + qBlue(line[x]) < 720) // partly inked counts
                inked |= QRect(x, y, 1, 1);
    }
    const QRectF box(inked);
    return QRectF(box.topLeft() / 4, box.size() / 4);
}

// Where the picture belongs on the sheet by the placement rules, worked out here in points
// from the sheet and what the printer cannot reach: scaled to the printable area with its
// proportions kept and centred, or at 96 picture pixels an inch from its corner. A wide
// picture prints on the page turned a quarter anticlockwise (its top along the sheet's left
// edge), or on a landscape sheet when `ownSheet`.
QRectF Placed(QSizeF paper, QMarginsF margins, QSize picture, bool toPage, bool ownSheet)
{
    const QRectF area(QPointF(margins.left(), margins.top()),
                      QPointF(paper.width() - margins.right(), paper.height() - margins.bottom()));
    const bool landscape = picture.width() > picture.height();
    const QSizeF page = landscape ? area.size().transposed() : area.size();
    const QSizeF size = toPage ? QSizeF(picture).scaled(page, Qt::KeepAspectRatio) : QSizeF(picture) * 0.75;
    const QRectF on(
        toPage ? QPointF((page.width() - size.width()) / 2, (page.height() - size.height()) / 2) : QPointF(), size);
    if (!landscape)
        return on.translated(area.topLeft());
    if (ownSheet)
        return on.translated(paper.height() - area.bottom(), area.left());
    return QRectF(QPointF(area.left() + on.top(), area.bottom() - on.right()),
                  QPointF(area.left() + on.bottom(), area.bottom() - on.left()));
}

QString Describe(const QRectF& r)
{
    return QString::asprintf("(%.2f, %.2f, %.2f, %.2f)", r.left(), r.top(), r.right(), r.bottom());
}

bool Near(const QRectF& a, const QRectF& b)
{
    return std::abs(a.left() - b.left()) <= 0.5 && std::abs(a.top() - b.top()) <= 0.5 &&
        std::abs(a.right() - b.right()) <= 0.5 && std::abs(a.bottom() - b.bottom()) <= 0.5;
}

// The only picture embedded in a PDF, as pdfimages gives it out.
QImage EmbeddedPicture(const QString& pdf)
{
    const QTemporaryDir work;
    Run(QStringLiteral("pdfimages"), {QStringLiteral("-png"), pdf, work.filePath(QStringLiteral("i"))});
    const QStringList found = QDir(work.path()).entryList({QStringLiteral("i-*.png")}, QDir::Files);
    return found.size() == 1 ? QImage(work.filePath(found.front())).convertToFormat(QImage::Format_RGB32) : QImage();
}

// The outcome of the platform's last job: its notice, or the text of its message (a printer
// whose settings could not be read is mentioned first and the job goes on).
QString Outcome(ScriptedPlatform& platform)
{
    const auto told = [&] {
        return !platform.notices.isEmpty() ||
            std::any_of(platform.messages.begin(), platform.messages.end(),
                        [](const auto& m) { return m.text != QStringLiteral("Could not load printer"); });
    };
    (void)QTest::qWaitFor(told, 90000);
    if (!platform.notices.isEmpty())
        return platform.notices.back();
    return platform.messages.empty() ? QStringLiteral("no outcome") : platform.messages.back().text;
}

// The scheduler script's control: start, kill, freeze, thaw, fill (the spool), empty, remove, stop.
bool Control(const QString& what)
{
    return QProcess::execute(qEnvironmentVariable("LUMIVUE_CUPS_CONTROL"), {what}) == 0;
}

// The PDF a cups-pdf queue wrote for the job named `stem`, once pdfinfo can read it.
QString QueueOutput(const QString& stem)
{
    const QDir out(qEnvironmentVariable("LUMIVUE_CUPS_OUT"));
    QString pdf;
    (void)QTest::qWaitFor(
        [&] {
            const QStringList found = out.entryList({stem + QStringLiteral("*.pdf")}, QDir::Files);
            pdf = found.isEmpty() ? QString() : out.filePath(found.front());
            return !pdf.isEmpty() && !PageOf(pdf).isEmpty();
        },
        60000);
    return pdf;
}

// A picture whose every pixel differs from its neighbours, in the ink's colours.
QImage Checkered(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(20 + 7 * x % 60, 40 + 5 * y % 110, 200 + (x + y) % 50));
    image.setPixel(0, 0, qRgb(255, 0, 0));
    return image;
}
} // namespace

class TestPrint : public QObject {
    Q_OBJECT
private slots:
    void panelOnOpening_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<bool>("panel");
        QTest::addColumn<QString>("label");
        QTest::newRow("as is") << kAsIs << true << QStringLiteral("Print As Is");
        QTest::newRow("full page") << kFullPage << true << QStringLiteral("Print to fit in page");
        QTest::newRow("no print mode") << QStringLiteral("Show In Screen") << false << QString();
    }
    void panelOnOpening()
    {
        QFETCH(QString, entry);
        QFETCH(bool, panel);
        Printing<> p;
        p.platform.printerIndex = 1;
        p.Open(QStringLiteral("a.bmp"), 40, 30);
        QVERIFY(p.Show(entry, [&](TFullForm& full) {
            QCOMPARE(full.pnlPrinter->isVisible(), panel);
            if (!panel)
                return;
            QTEST(full.lblPrint->text(), "label");
            QCOMPARE(full.cbxPrinters->count(), 2);
            QCOMPARE(full.cbxPrinters->itemText(1), QStringLiteral("PDF file"));
            QCOMPARE(full.cbxPrinters->currentIndex(), 1);
            QCOMPARE(p.platform.cursorSets.back(), QPoint(125, 125));
            full.btnPCancel->click(); // "&Return" closes without printing
            QVERIFY(!full.isVisible());
        }));
        QVERIFY(p.platform.printJobs.empty());
    }

    // The job on the scripted 600 dpi printer (4800 x 6600 printable in portrait).
    void printsThePictureShown_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QRect>("target");
        QTest::addColumn<bool>("landscape");
        QTest::newRow("full page, tall") << kFullPage << 120 << 160 << QRect(0, 100, 4800, 6400) << false;
        QTest::newRow("as is, wide") << kAsIs << 96 << 48 << QRect(0, 0, 600, 300) << true;
    }
    void printsThePictureShown()
    {
        QFETCH(QString, entry);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QRect, target);
        Printing<> p;
        p.Open(QStringLiteral("a.bmp"), width, height);
        QVERIFY(p.Show(entry, [&](TFullForm& full) {
            full.btnPAccept->click();
            QVERIFY(full.isVisible());
            QVERIFY(!full.pnlPrinter->isVisible());
        }));
        QVERIFY(p.platform.messages.empty());
        QCOMPARE(p.platform.printJobs.size(), size_t(1));
        const auto& job = p.platform.printJobs[0];
        QCOMPARE(job.printer, QStringLiteral("Office laser"));
        QCOMPARE(job.document, QStringLiteral("a.bmp"));
        QTEST(job.landscape, "landscape");
        QVERIFY(job.ended);
        QCOMPARE(job.draws.size(), size_t(1));
        QCOMPARE(job.draws[0].first, target);
        QCOMPARE(job.draws[0].second.size(), QSize(width, height));
        QCOMPARE(job.draws[0].second.pixel(width / 2, height / 2), kInk);
    }

    // Picking a printer whose settings cannot be read: one more try, then the message; the
    // choice stays either way.
    void pickingAPrinter_data()
    {
        QTest::addColumn<int>("failures");
        QTest::addColumn<bool>("message");
        QTest::newRow("loads") << 0 << false;
        QTest::newRow("loads at the second try") << 1 << false;
        QTest::newRow("cannot load") << 2 << true;
    }
    void pickingAPrinter()
    {
        QFETCH(int, failures);
        QFETCH(bool, message);
        Printing<> p;
        p.Open(QStringLiteral("a.bmp"), 40, 30);
        QVERIFY(p.Show(kFullPage, [&](TFullForm& full) {
            p.platform.printerLoadFailures = failures;
            Pick(full, QStringLiteral("PDF file"));
        }));
        QCOMPARE(p.platform.printerIndex, 1);
        QCOMPARE(p.platform.messages.size(), size_t(message ? 1 : 0));
        if (message) {
            QCOMPARE(p.platform.messages[0].kind, MessageKind::Error);
            QCOMPARE(p.platform.messages[0].text, QStringLiteral(" Cannot load printer. "));
        }
    }

    // A printer failure in any step: reported, the job abandoned, and the window goes on
    // working (a second job prints). A printer whose settings cannot be read at the start of
    // a job is only mentioned: that job goes on.
    void printerTrouble_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<int>("loadFailures");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("text");
        const auto error = int(MessageKind::Error);
        const QString paper = QStringLiteral("The printer is out of paper.");
        QTest::newRow("begin fails") << int(ScriptedPlatform::PrintStep::Begin) << 0 << error << paper;
        QTest::newRow("drawing fails") << int(ScriptedPlatform::PrintStep::Draw) << 0 << error << paper;
        QTest::newRow("end fails") << int(ScriptedPlatform::PrintStep::End) << 0 << error << paper;
        QTest::newRow("settings unreadable") << int(ScriptedPlatform::PrintStep::None) << 2 << int(MessageKind::Plain)
                                             << QStringLiteral("Could not load printer");
    }
    void printerTrouble()
    {
        QFETCH(int, step);
        QFETCH(int, loadFailures);
        QFETCH(int, kind);
        Printing<> p;
        p.Open(QStringLiteral("a.bmp"), 40, 30);
        QVERIFY(p.Show(kFullPage, [&](TFullForm& full) {
            p.platform.printFailure = ScriptedPlatform::PrintStep(step);
            p.platform.printerLoadFailures = loadFailures;
            full.btnPAccept->click();
            QVERIFY(full.isVisible());
            p.platform.printFailure = ScriptedPlatform::PrintStep::None;
            full.PrintPicture();
            QTest::keyClick(&full, Qt::Key_Escape);
            QVERIFY(!full.isVisible());
        }));
        QCOMPARE(p.platform.messages.size(), size_t(1));
        QCOMPARE(int(p.platform.messages[0].kind), kind);
        QTEST(p.platform.messages[0].text, "text");
        QCOMPARE(p.platform.printJobs.size(), size_t(2));
        const bool fails = step != int(ScriptedPlatform::PrintStep::None);
        QCOMPARE(p.platform.printJobs[0].abandoned, fails);
        QCOMPARE(p.platform.printJobs[0].ended, !fails);
        QVERIFY(p.platform.printJobs[1].ended);
    }

    // Real jobs to the PDF file entry: one page, the right way round, the picture where the
    // placement rules put it on an A4 sheet with nothing out of reach, its pixels as they
    // are. The choice of the entry lasts into the next window.
    void pdfFile_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QSize>("picture");
        QTest::newRow("full page, tall") << kFullPage << QSize(120, 160);
        QTest::newRow("full page, wide") << kFullPage << QSize(300, 100);
        QTest::newRow("as is, wide") << kAsIs << QSize(300, 150);
        QTest::newRow("full page, 3 x 2") << kFullPage << QSize(3, 2);
    }
    void pdfFile()
    {
        QFETCH(QString, entry);
        QFETCH(QSize, picture);
        Printing<RealPrinters> p;
        const QImage pixels = Checkered(picture.width(), picture.height());
        TBitmap(DibFromQImage(pixels)).SaveToFile(p.Path(QStringLiteral("a.bmp")));
        p.OpenWindow();
        const QString pdf = p.Path(QStringLiteral("out.pdf"));
        QVERIFY(p.Show(entry, [&](TFullForm& full) { Pick(full, QStringLiteral("PDF file")); }));
        QVERIFY(p.Show(entry, [&](TFullForm& full) {
            QCOMPARE(full.cbxPrinters->currentText(), QStringLiteral("PDF file"));
            p.platform.saveAnswers = {pdf};
            full.btnPAccept->click();
        }));
        QCOMPARE(Outcome(p.platform), QStringLiteral("Wrote %1.").arg(pdf));
        QCOMPARE(p.platform.saveSetups.at(0).fileName, QStringLiteral("a.pdf"));
        QCOMPARE(p.platform.saveSetups.at(0).defaultExtension, QStringLiteral("pdf"));
        const bool landscape = picture.width() > picture.height();
        const QSizeF a4(595, 842);
        QCOMPARE(PageOf(pdf), landscape ? a4.transposed() : a4);
        const QRectF expected = Placed(a4, QMarginsF(), picture, entry == kFullPage, true);
        const QRectF got = InkedBox(pdf);
        QVERIFY2(Near(got, expected), qPrintable(Describe(got) + QStringLiteral(" against ") + Describe(expected)));
        QCOMPARE(EmbeddedPicture(pdf), pixels);
        // Only the finished file is left in the folder.
        QCOMPARE(QDir(p.dir.path()).entryList({QStringLiteral("out.pdf*")}, QDir::Files),
                 QStringList {QStringLiteral("out.pdf")});
    }

    // A PDF file that cannot be written: the message, the old file as it was, nothing left
    // beside it, the window still there. A full disk is a small file system of the test's
    // own, so it needs the right to mount one.
    void pdfFileCannotBeWritten_data()
    {
        QTest::addColumn<bool>("fullDisk");
        QTest::newRow("folder missing") << false;
        QTest::newRow("disk full") << true;
    }
    void pdfFileCannotBeWritten()
    {
        QFETCH(bool, fullDisk);
        Printing<RealPrinters> p;
        p.Open(QStringLiteral("a.bmp"), 400, 300);
        const QString disk = p.Path(QStringLiteral("disk"));
        QString pdf = p.Path(QStringLiteral("missing/out.pdf"));
        const QByteArray old(3000, 'x');
        if (fullDisk) {
            QDir().mkpath(disk);
            if (QProcess::execute(QStringLiteral("mount"),
                                  {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                   QStringLiteral("size=64k"), QStringLiteral("lumivue-test"), disk}) != 0)
                QSKIP("no right to mount a small file system here");
            pdf = disk + QStringLiteral("/out.pdf");
            QFile file(pdf);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(old) == old.size());
            file.close();
            QProcess::execute(QStringLiteral("sh"),
                              {QStringLiteral("-c"), QStringLiteral("cat /dev/zero >\"$1/filler\""),
                               QStringLiteral("fill"), disk}); // ends when the disk is full
            QVERIFY(QFileInfo(disk + QStringLiteral("/filler")).size() > 0);
        }
        QVERIFY(p.Show(kFullPage, [&](TFullForm& full) {
            Pick(full, QStringLiteral("PDF file"));
            p.platform.saveAnswers = {pdf};
            full.btnPAccept->click();
            QVERIFY(full.isVisible());
        }));
        const QString outcome = Outcome(p.platform);
        QStringList left;
        QByteArray kept;
        if (fullDisk) {
            if (QFile file(pdf); file.open(QIODevice::ReadOnly))
                kept = file.readAll();
            left = QDir(disk).entryList(QDir::Files);
            QProcess::execute(QStringLiteral("umount"), {disk});
        }
        QVERIFY2(outcome.startsWith(QStringLiteral("Cannot write %1.").arg(pdf)), qPrintable(outcome));
        if (fullDisk) {
            QVERIFY2(outcome.contains(QStringLiteral("No space left on device")), qPrintable(outcome));
            QCOMPARE(kept, old);
            QCOMPARE(left, (QStringList {QStringLiteral("filler"), QStringLiteral("out.pdf")}));
        } else {
            QVERIFY(!QFileInfo::exists(pdf));
        }
    }

    // The rest is run by scripts/cups-test.sh, which starts a scheduler with cups-pdf
    // queues and names the folder their files land in.

    // Each queue's own paper and printable area: the picture where the placement rules put
    // it, measured on the sheet the queue wrote; a bitmap's pixels as they are.
    void queuePages_data()
    {
        QTest::addColumn<QString>("queue");
        QTest::addColumn<QSizeF>("paper");
        QTest::addColumn<QMarginsF>("margins");
        QTest::addColumn<QString>("entry");
        QTest::addColumn<QSize>("picture");
        const QSizeF a4(595, 842), letter(612, 792);
        const QMarginsF none, unequal(18, 36, 18, 36);
        const QString a4Queue = QStringLiteral("LumivueA4"), letterQueue = QStringLiteral("LumivueLetter"),
                      marginQueue = QStringLiteral("LumivueMargins");
        QTest::newRow("A4, tall, full page") << a4Queue << a4 << none << kFullPage << QSize(120, 160);
        QTest::newRow("A4, wide, as is") << a4Queue << a4 << none << kAsIs << QSize(160, 120);
        QTest::newRow("Letter, tall, full page") << letterQueue << letter << none << kFullPage << QSize(120, 160);
        QTest::newRow("Letter, wide, full page") << letterQueue << letter << none << kFullPage << QSize(300, 100);
        QTest::newRow("margins, tall, full page") << marginQueue << a4 << unequal << kFullPage << QSize(100, 300);
        QTest::newRow("margins, wide, full page") << marginQueue << a4 << unequal << kFullPage << QSize(160, 120);
        QTest::newRow("margins, wide, as is") << marginQueue << a4 << unequal << kAsIs << QSize(160, 120);
    }
    void queuePages()
    {
        QFETCH(QString, queue);
        QFETCH(QSizeF, paper);
        QFETCH(QMarginsF, margins);
        QFETCH(QString, entry);
        QFETCH(QSize, picture);
        if (qEnvironmentVariableIsEmpty("LUMIVUE_CUPS_CONTROL"))
            QSKIP("no print scheduler of the tests' own: scripts/cups-test.sh runs this one");
        Printing<RealPrinters> p;
        const QString stem = QStringLiteral("lumivue-%1-%2")
                                 .arg(QCoreApplication::applicationPid())
                                 .arg(QTest::currentDataTag())
                                 .replace(QLatin1Char(' '), QLatin1Char('-'))
                                 .remove(QLatin1Char(','));
        const QImage pixels = Checkered(picture.width(), picture.height());
        TBitmap(DibFromQImage(pixels)).SaveToFile(p.Path(stem + QStringLiteral(".bmp")));
        p.OpenWindow();
        QVERIFY(p.Show(entry, [&](TFullForm& full) {
            Pick(full, queue);
            QVERIFY(p.platform.FactsIn());
            full.btnPAccept->click();
        }));
        QCOMPARE(Outcome(p.platform), QStringLiteral("Printed on %1.").arg(queue));
        const QString pdf = QueueOutput(stem);
        QVERIFY2(!pdf.isEmpty(), "no PDF from the queue");
        QCOMPARE(PageOf(pdf), paper); // the sheet as it is fed: portrait
        const QRectF expected = Placed(paper, margins, picture, entry == kFullPage, false);
        const QRectF got = InkedBox(pdf);
        QVERIFY2(Near(got, expected), qPrintable(Describe(got) + QStringLiteral(" against ") + Describe(expected)));
        // The queue's converter may keep the picture turned, with the page turning it back.
        const QImage embedded = EmbeddedPicture(pdf);
        QVERIFY(embedded == pixels || embedded.transformed(QTransform().rotate(90)) == pixels ||
                embedded.transformed(QTransform().rotate(-90)) == pixels);
        QFile::remove(pdf);
    }

    // A job the scheduler does not take: the message with its reason, and the next job on a
    // working queue prints. A scheduler that is down lists no queue: "PDF file" stands in
    // until it is back. A stopped printer keeps the job, and says so at once.
    void queueTrouble_data()
    {
        QTest::addColumn<QString>("queue");
        QTest::addColumn<QString>("first");  // the control's step before the queue is picked
        QTest::addColumn<QString>("before"); // once the queue's facts are in
        QTest::addColumn<QString>("during"); // once the job is on its way
        QTest::addColumn<QString>("after");
        QTest::addColumn<QString>("told");
        const QString a4 = QStringLiteral("LumivueA4"), none;
        const auto cannot = [](const QString& queue) { return QStringLiteral("Cannot print on %1.\n").arg(queue); };
        QTest::newRow("refuses jobs") << QStringLiteral("LumivueRefuses") << none << none << none << none
                                      << cannot(QStringLiteral("LumivueRefuses"));
        QTest::newRow("scheduler killed during the job")
            << a4 << none << QStringLiteral("freeze") << QStringLiteral("kill") << QStringLiteral("start")
            << cannot(a4);
        QTest::newRow("scheduler frozen")
            << a4 << none << QStringLiteral("freeze") << none << QStringLiteral("thaw") << cannot(a4);
        QTest::newRow("frozen before the queue answered")
            << QStringLiteral("LumivueLetter") << QStringLiteral("freeze") << none << none << QStringLiteral("thaw")
            << cannot(QStringLiteral("LumivueLetter")) + QStringLiteral("The print scheduler is slow to answer");
        QTest::newRow("queue removed") << QStringLiteral("LumivueGone") << none << QStringLiteral("remove") << none
                                       << none << cannot(QStringLiteral("LumivueGone"));
        QTest::newRow("spool full") << a4 << none << QStringLiteral("fill") << none << QStringLiteral("empty")
                                    << cannot(a4);
        QTest::newRow("printer stopped") << QStringLiteral("LumivueStopped") << none << QStringLiteral("stop") << none
                                         << none
                                         << QStringLiteral(
                                                "Sent to LumivueStopped; the job waits in its queue.\nOut of toner");
    }
    void queueTrouble()
    {
        QFETCH(QString, queue);
        QFETCH(QString, first);
        QFETCH(QString, before);
        QFETCH(QString, during);
        QFETCH(QString, after);
        QFETCH(QString, told);
        if (qEnvironmentVariableIsEmpty("LUMIVUE_CUPS_CONTROL"))
            QSKIP("no print scheduler of the tests' own: scripts/cups-test.sh runs this one");
        if (before == QStringLiteral("fill") && qEnvironmentVariableIsEmpty("LUMIVUE_CUPS_SPOOL_OWN"))
            QSKIP("the scheduler's spool is not a file system of its own to fill");
        Printing<RealPrinters> p;
        const QString stem = QStringLiteral("lumivue-trouble-%1").arg(QCoreApplication::applicationPid());
        p.Open(stem + QStringLiteral(".bmp"), 160, 120);
        QVERIFY(p.Show(kFullPage, [&](TFullForm& full) {
            QVERIFY(first.isEmpty() || Control(first));
            Pick(full, queue);
            QVERIFY(!first.isEmpty() || p.platform.FactsIn());

            QVERIFY(before.isEmpty() || Control(before));
            full.btnPAccept->click();
            if (!during.isEmpty()) {
                QTest::qWait(1000); // the hand-over is waiting on the scheduler by now
                QVERIFY(Control(during));
            }
            const QString outcome = Outcome(p.platform);
            qInfo("%s", qPrintable(outcome));
            QVERIFY2(outcome.startsWith(told) && outcome.size() > queue.size() + 20, qPrintable(outcome));
            if (during == QStringLiteral("kill")) {
                QtPrinters fresh {p.platform};
                QCOMPARE(fresh.Printers(), QStringList {kPdfFilePrinter});
                QCOMPARE(fresh.PrinterIndex(), 0);
                QVERIFY(Control(after));
                QTRY_VERIFY_WITH_TIMEOUT(fresh.Printers().size() > 1, 10000);
                QVERIFY(fresh.Printers().value(fresh.PrinterIndex()) != kPdfFilePrinter);
            } else {
                QVERIFY(after.isEmpty() || Control(after));
            }
        }));
        p.platform.messages.clear();
        p.platform.notices.clear();
        QVERIFY(p.Show(kFullPage, [&](TFullForm& full) {
            Pick(full, QStringLiteral("LumivueA4"));
            QVERIFY(p.platform.FactsIn());
            full.btnPAccept->click();
        }));
        QCOMPARE(Outcome(p.platform), QStringLiteral("Printed on LumivueA4."));
        QFile::remove(QueueOutput(stem));
    }
};

QTEST_MAIN(TestPrint)
#include "test_print.moc"
