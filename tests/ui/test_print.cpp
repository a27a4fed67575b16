// SPDX-License-Identifier: GPL-3.0-or-later
// Printing from the full-screen window: the print panel and its jobs through the scripted
// platform, then real jobs through Qt Print Support to the PDF file entry and, when
// scripts/cups-test.sh provides one, to a print queue of a private CUPS scheduler.
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

// Checks a printed PDF: one page of the job's orientation, the picture's colour covering
// `expected` (points from the page's top-left corner) within a few points.
void CheckPdf(const QString& pdf, bool landscape, const QRectF& expected)
{
    QVERIFY2(!QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty(),
             "pdfinfo is missing (scripts/setup.sh --test)");
    const QString info = Run(QStringLiteral("pdfinfo"), {pdf});
    QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))), qPrintable(info));
    const QRegularExpressionMatch size =
        QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+) pts")).match(info);
    QVERIFY2(size.hasMatch(), qPrintable(info));
    const int rotation = QRegularExpression(QStringLiteral("Page rot:\\s+(\\d+)")).match(info).captured(1).toInt();
    const bool wide = (size.captured(1).toDouble() > size.captured(2).toDouble()) != (rotation % 180 == 90);
    QCOMPARE(wide, landscape);

    const QTemporaryDir work;
    const QString prefix = work.filePath(QStringLiteral("page"));
    Run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-r"), QStringLiteral("72"), QStringLiteral("-singlefile"), pdf, prefix});
    const QImage page(prefix + QStringLiteral(".ppm"));
    QVERIFY2(!page.isNull(), "pdftoppm gave no page");
    QRect inked;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x)
            if (const QColor c = page.pixelColor(x, y); c.blue() > 150 && c.red() < 80)
                inked |= QRect(x, y, 1, 1);
    const QRectF got(inked); // edges as points: right = left + width
    const double slack = 3;
    QVERIFY2(QLineF(got.topLeft(), expected.topLeft()).length() <= slack &&
                 QLineF(got.bottomRight(), expected.bottomRight()).length() <= slack,
             qPrintable(QString::asprintf("picture at (%g, %g, %g, %g), expected (%g, %g, %g, %g) points", got.left(),
                                          got.top(), got.right(), got.bottom(), expected.left(), expected.top(),
                                          expected.right(), expected.bottom())));
}

// Where the window's last job put the picture, in points on the paper of that orientation.
struct Printed {
    QRectF picture;
    QSizeF paper;
};
Printed PrintedPoints(Platform& platform, const TFullForm& full, bool landscape)
{
    const std::unique_ptr<PrintJob> probe = platform.CreatePrintJob(nullptr);
    probe->SetLandscape(landscape);
    const PageFacts facts = probe->Facts();
    const TPrintRect& r = full.PrintRect;
    const QPoint at = facts.printableOffset;
    const double sx = 72.0 / facts.dpiX, sy = 72.0 / facts.dpiY;
    return {QRectF(QPointF((r.left + at.x()) * sx, (r.top + at.y()) * sy),
                   QPointF((r.right + at.x()) * sx, (r.bottom + at.y()) * sy)),
            QSizeF(facts.paper.width() * sx, facts.paper.height() * sy)};
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
    // placement put it. The choice of the entry lasts into the next window.
    void pdfFile_data()
    {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<bool>("landscape");
        QTest::newRow("full page, tall") << kFullPage << 120 << 160 << false;
        QTest::newRow("full page, wide") << kFullPage << 300 << 100 << true;
        QTest::newRow("as is, wide") << kAsIs << 300 << 150 << true;
    }
    void pdfFile()
    {
        QFETCH(QString, entry);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(bool, landscape);
        Printing<RealPrinters> p;
        p.Open(QStringLiteral("a.bmp"), width, height);
        const QString pdf = p.Path(QStringLiteral("out.pdf"));
        QRectF expected;
        QVERIFY(p.Show(entry, [&](TFullForm& full) { Pick(full, QStringLiteral("PDF file")); }));
        QVERIFY(p.Show(entry, [&](TFullForm& full) {
            QCOMPARE(full.cbxPrinters->currentText(), QStringLiteral("PDF file"));
            p.platform.saveAnswers = {pdf};
            full.btnPAccept->click();
            expected = PrintedPoints(p.platform, full, landscape).picture;
        }));
        QVERIFY2(p.platform.messages.empty(),
                 qPrintable(p.platform.messages.empty() ? QString() : p.platform.messages[0].text));
        QCOMPARE(p.platform.saveSetups.at(0).fileName, QStringLiteral("a.pdf"));
        CheckPdf(pdf, landscape, expected);
        // Only the finished file is left in the folder.
        QCOMPARE(QDir(p.dir.path()).entryList({QStringLiteral("out.pdf*")}, QDir::Files),
                 QStringList {QStringLiteral("out.pdf")});
    }

    // A PDF file that cannot be written: the message, no file, the window still there.
    void pdfFileCannotBeWritten()
    {
        Printing<RealPrinters> p;
        p.Open(QStringLiteral("a.bmp"), 40, 30);
        const QString pdf = p.Path(QStringLiteral("missing/out.pdf"));
        QVERIFY(p.Show(kFullPage, [&](TFullForm& full) {
            Pick(full, QStringLiteral("PDF file"));
            p.platform.saveAnswers = {pdf};
            full.btnPAccept->click();
            QVERIFY(full.isVisible());
        }));
        QCOMPARE(p.platform.messages.size(), size_t(1));
        QCOMPARE(p.platform.messages[0].text, QStringLiteral("Cannot write %1.").arg(pdf));
        QVERIFY(!QFileInfo::exists(pdf));
    }

    // Run by scripts/cups-test.sh, which starts a scheduler with a PDF queue and names the
    // queue and the folder its files land in.
    void cupsQueue()
    {
        const QString queue = qEnvironmentVariable("LUMIVUE_CUPS_QUEUE");
        const QString out = qEnvironmentVariable("LUMIVUE_CUPS_OUT");
        if (queue.isEmpty() || out.isEmpty())
            QSKIP("no print scheduler of the tests' own: scripts/cups-test.sh runs this one");
        Printing<RealPrinters> p;
        const QString stem = QStringLiteral("lumivue-queue-%1").arg(QCoreApplication::applicationPid());
        p.Open(stem + QStringLiteral(".bmp"), 160, 120);
        Printed printed;
        QVERIFY(p.Show(kAsIs, [&](TFullForm& full) {
            Pick(full, queue);
            full.btnPAccept->click();
            printed = PrintedPoints(p.platform, full, true);
        }));
        QVERIFY2(p.platform.messages.empty(),
                 qPrintable(p.platform.messages.empty() ? QString() : p.platform.messages[0].text));
        // The queue's backend writes the file in place: it counts once pdfinfo can read it.
        QString pdf;
        const bool arrived = QTest::qWaitFor(
            [&] {
                const QStringList found = QDir(out).entryList({stem + QStringLiteral("*.pdf")}, QDir::Files);
                pdf = found.isEmpty() ? QString() : QDir(out).filePath(found.front());
                return !pdf.isEmpty() && !Run(QStringLiteral("pdfinfo"), {pdf}).isEmpty();
            },
            60000);
        QVERIFY2(arrived, qPrintable(QStringLiteral("no PDF from the queue in %1").arg(out)));
        // A queue prints on the sheet as it is fed: portrait, with a landscape page turned a
        // quarter anticlockwise onto it (its top edge along the sheet's left edge).
        const QRectF& r = printed.picture;
        const double across = printed.paper.width();
        const QRectF turned(QPointF(r.top(), across - r.right()), QPointF(r.bottom(), across - r.left()));
        CheckPdf(pdf, false, turned);
        QFile::remove(pdf);
    }
};

QTEST_MAIN(TestPrint)
#include "test_print.moc"
