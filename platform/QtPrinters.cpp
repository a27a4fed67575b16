// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/QtPrinters.h"

#include <cmath>
#include <stdexcept>
#include <QBuffer>
#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>
#include <QPainter>
#include <QPdfWriter>
#include "base/FileNames.h"
#include "base/FileReplacement.h"
#include "platform/Messages.h"

namespace {

// The longest the window thread waits for the scheduler; a slower answer is used next time.
constexpr auto kWindowWait = std::chrono::milliseconds(500);
constexpr auto kGlanceWait = std::chrono::milliseconds(100); // when an older answer can stand in
constexpr int kFollowSeconds = 120;                          // a job still queued after this is left to the queue
// A scheduler silent this long is given up on (libcups's own time limits do not hold for one
// that is stopped: it accepts the connection and never answers).
constexpr long long kSilenceMs = 15000;
constexpr int kDefaultDpi = 600;

QString Tr(const char* text)
{
    return QCoreApplication::translate("QtPrinters", text);
}

[[noreturn]] void Fail(const QString& text)
{
    throw std::runtime_error(text.toStdString());
}

int Px(double points, int dpi)
{
    return int(std::lround(points * dpi / 72.0));
}

QPageSize LocalPaper()
{
    return QPageSize(QLocale::system().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                                        : QPageSize::A4);
}

// One job: the drawing is kept until End, then handed over whole; nothing reaches the
// printer or the file before, so a job dropped half-way leaves nothing behind.
class QtPrintJob : public PrintJob {
public:
    using HandOver = std::function<void(QtPrinters::Handover)>;
    QtPrintJob(Platform& dialogs, QWidget* parent, const QString& printer, const QPageSize& paper,
               const QMarginsF& margins, int dpi, HandOver handOver, QString refusal)
        : m_dialogs(dialogs), m_parent(parent), m_paper(paper), m_dpi(dpi), m_handOver(std::move(handOver)),
          m_refusal(std::move(refusal))
    {
        m_job.printer = printer;
        // The printable area in the portrait page's pixels, right and bottom exclusive.
        const QSizeF size(paper.sizePoints());
        m_area = {Px(margins.left(), dpi), Px(margins.top(), dpi), Px(size.width() - margins.right(), dpi),
                  Px(size.height() - margins.bottom(), dpi)};
        m_sheet = QSize(Px(size.width(), dpi), Px(size.height(), dpi));
    }

    PageFacts Facts() override
    {
        PageFacts facts;
        facts.dpiX = facts.dpiY = m_dpi;
        const int across = m_area.right - m_area.left, down = m_area.bottom - m_area.top;
        if (!m_landscape) {
            facts.printable = QSize(across, down);
            facts.printableOffset = QPoint(m_area.left, m_area.top);
            facts.paper = m_sheet;
        } else {
            // The page turned a quarter anticlockwise: its top edge along the sheet's left.
            facts.printable = QSize(down, across);
            facts.printableOffset = QPoint(m_sheet.height() - m_area.bottom, m_area.left);
            facts.paper = m_sheet.transposed();
        }
        return facts;
    }

    void SetLandscape(bool landscape) override { m_landscape = landscape; }

    bool Begin(const QString& documentName) override
    {
        if (!m_refusal.isEmpty()) // the queue's page is unknown: nothing is printed on a guess
            Fail(Tr("Cannot print on %1.").arg(m_job.printer) + QLatin1Char('\n') + m_refusal);
        if (m_job.printer == kPdfFilePrinter && !ChooseFile(documentName))
            return false;
        m_job.title = DisplayName(documentName); // shown in the print queue
        m_begun = true;
        return true;
    }

    void DrawImage(const QRect& target, const QImage& image) override
    {
        if (!m_begun)
            Fail(Tr("The print job on %1 has not begun").arg(m_job.printer));
        m_job.drawings.push_back({target, image});
    }

    void End() override
    {
        if (!m_begun)
            Fail(Tr("The print job on %1 has not begun").arg(m_job.printer));
        m_job.dpi = m_dpi;
        const bool ownPage = m_landscape && !m_job.file.isEmpty(); // a PDF file gets a landscape page
        m_job.page = QPageLayout(m_paper, ownPage ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF());
        const PageFacts facts = Facts();
        if (m_landscape && !ownPage) // drawn turned onto the portrait sheet
            m_job.toPaper = QTransform::fromTranslate(m_area.left, m_area.bottom).rotate(-90);
        else
            m_job.toPaper = QTransform::fromTranslate(facts.printableOffset.x(), facts.printableOffset.y());
        m_begun = false;
        m_handOver(std::move(m_job));
    }

private:
    // Asks for the PDF file; false when declined. A folder that cannot take it fails now.
    bool ChooseFile(const QString& documentName)
    {
        SaveDialogSetup setup;
        setup.title = Tr("Print to PDF file");
        setup.filter = Tr("PDF files (*.pdf)|*.pdf");
        // Shown to the user in the dialog, so with replacement characters.
        setup.fileName = DisplayName(QFileInfo(documentName).completeBaseName()) + QStringLiteral(".pdf");
        setup.defaultExtension = QStringLiteral("pdf"); // added before the overwrite question
        const std::optional<QString> chosen = m_dialogs.RunSaveDialog(m_parent, setup);
        if (!chosen || chosen->isEmpty())
            return false;
        m_job.file = *chosen;
        const QFileInfo folder(QFileInfo(m_job.file).absolutePath());
        if (!folder.isDir() || !folder.isWritable())
            Fail(Tr("Cannot write %1").arg(m_job.file));
        return true;
    }

    struct Area {
        int left, top, right, bottom;
    };

    Platform& m_dialogs;
    QWidget* m_parent;
    QPageSize m_paper;
    int m_dpi;
    HandOver m_handOver;
    Area m_area {};
    QSize m_sheet;
    bool m_landscape = false;
    bool m_begun = false;
    QString m_refusal;
    QtPrinters::Handover m_job;
};

// The job's drawing as a PDF document; empty when it could not be made. Pictures go in
// without loss: a bitmap's pixels reach the printer as they are.
QByteArray RenderPdf(const QtPrinters::Handover& job)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(job.dpi);
        writer.setTitle(job.title);
        writer.setCreator(QCoreApplication::applicationName());
        writer.setPageLayout(job.page);
        QPainter painter;
        if (!painter.begin(&writer))
            return QByteArray();
        painter.setRenderHint(QPainter::LosslessImageRendering);
        painter.setTransform(job.toPaper);
        for (const QtPrinters::Drawing& drawing : job.drawings)
            painter.drawImage(drawing.target, drawing.image);
        if (!painter.end())
            return QByteArray();
    }
    const QByteArray pdf = buffer.data();
    return pdf.startsWith("%PDF-") && pdf.trimmed().endsWith("%%EOF") ? pdf : QByteArray();
}

} // namespace

QtPrinters::QtPrinters(Platform& dialogs) : m_dialogs(dialogs)
{
    m_handovers.setMaxThreadCount(4); // a job followed for long does not hold up the next
}

QtPrinters::~QtPrinters()
{
    *m_stopping = true;
    m_handovers.waitForDone();
}

QStringList QtPrinters::Printers()
{
    if (!m_listCall)
        m_listCall = std::make_unique<Pending<QueueList>>([](QString& why) { return ReadQueueList(why); });
    // A list already known is shown at once if the scheduler is slow; a fresh one is taken
    // when it comes quickly, so a queue added since shows up.
    if (m_listCall->Wait(m_list.isEmpty() ? kWindowWait : kGlanceWait)) {
        const std::optional<QueueList> read = m_listCall->Value();
        m_list = read ? read->names : QStringList();
        m_standard = read ? read->standard : QString();
        m_list << kPdfFilePrinter;
        m_listCall.reset();
    } else if (m_list.isEmpty()) {
        m_list << kPdfFilePrinter; // the scheduler is slow: its queues come at the next look
    }
    StartFacts(Selected()); // read while the user looks at the panel
    return m_list;
}

QString QtPrinters::Selected()
{
    if (m_list.isEmpty())
        Printers();
    // Only the user's own choice lasts: a scheduler slow at the first look, or down, must
    // not leave "PDF file" chosen once its queues are listed.
    const QString fallback = m_list.contains(m_standard) ? m_standard : m_list.front();
    // A chosen queue the scheduler no longer lists stays chosen for when it is back.
    return m_chosen && m_list.contains(*m_chosen) ? *m_chosen : fallback;
}

int QtPrinters::PrinterIndex()
{
    return int(m_list.indexOf(Selected()));
}

void QtPrinters::SelectPrinter(int index)
{
    if (m_list.isEmpty())
        Printers();
    if (index >= 0 && index < m_list.size()) {
        m_chosen = m_list[index];
        StartFacts(*m_chosen);
    }
}

void QtPrinters::StartFacts(const QString& name)
{
    if (name == kPdfFilePrinter)
        return;
    Facts(name, std::chrono::milliseconds(0)); // a read that has finished is taken in first
    if (m_factCalls.count(name) == 0)          // made before it is filed: a thread that cannot start files nothing
        m_factCalls[name] =
            std::make_unique<Pending<QueueFacts>>([name](QString& reason) { return ReadQueueFacts(name, reason); });
}

const QtPrinters::FactsRead* QtPrinters::Facts(const QString& name, std::chrono::milliseconds wait)
{
    if (const auto call = m_factCalls.find(name); call != m_factCalls.end() && call->second->Wait(wait)) {
        m_facts[name] = {call->second->Value(), call->second->Why()};
        m_factCalls.erase(call);
    }
    const auto read = m_facts.find(name);
    return read == m_facts.end() ? nullptr : &read->second;
}

std::optional<PrinterNames> QtPrinters::SelectedPrinterNames()
{
    const QString name = Selected();
    if (name == kPdfFilePrinter)
        return PrinterNames {name, QString(), QString()};
    // Never waits: until the queue's answer comes, its name is all there is to show, and
    // an older failure counts only while no new read is under way.
    const FactsRead* read = Facts(name, std::chrono::milliseconds(0));
    if (read && read->facts)
        return PrinterNames {read->facts->name, read->facts->makeAndModel, read->facts->location};
    if (read && m_factCalls.count(name) == 0)
        return std::nullopt;
    return PrinterNames {name, QString(), QString()};
}

std::unique_ptr<PrintJob> QtPrinters::CreatePrintJob(QWidget* parent)
{
    const QString name = Selected();
    QPageSize paper = LocalPaper();
    QMarginsF margins;
    int dpi = kDefaultDpi;
    QString refusal;
    if (name != kPdfFilePrinter) {
        // Read when the panel opened or the queue was picked: a read still under way is
        // given a glance before an older answer stands in; read again, and waited for, only
        // when there is nothing usable.
        const FactsRead* read = Facts(name, kGlanceWait);
        if (!read || !read->facts) {
            StartFacts(name);
            read = Facts(name, kWindowWait);
            if (m_factCalls.count(name) != 0)
                read = nullptr; // still under way: an older failure is no guide
        }
        if (!read)
            refusal = Tr("The print scheduler is slow to answer; try again in a moment.");
        else if (!read->facts)
            refusal = read->why;
        else {
            const QueueFacts& facts = *read->facts;
            // Unusable figures (margins that leave no page) are not the queue's to keep.
            paper = QPageSize(facts.paper, QPageSize::Point, QString(), QPageSize::FuzzyMatch);
            const QSizeF size = paper.size(QPageSize::Point);
            if (facts.margins.left() + facts.margins.right() < size.width() &&
                facts.margins.top() + facts.margins.bottom() < size.height())
                margins = facts.margins;
            if (facts.dpi >= 72 && facts.dpi <= 2400)
                dpi = facts.dpi;
        }
    }
    return std::make_unique<QtPrintJob>(
        m_dialogs, parent, name, paper, margins, dpi, [this](Handover job) { Run(std::move(job)); }, refusal);
}

void QtPrinters::Run(Handover job)
{
    m_handovers.start([this, job = std::move(job)] {
        const QByteArray pdf = RenderPdf(job);
        if (!job.file.isEmpty()) {
            // Written aside and renamed over the old file only when whole.
            FileReplacement file(job.file, FileReplacement::Fallback::None);
            int error = 0;
            if (!pdf.isEmpty() && (error = file.Open(pdf.size())) == 0 &&
                (error = file.Write(pdf.constData(), pdf.size())) == 0 && (error = file.Commit()) == 0)
                Tell(false, Tr("Wrote %1.").arg(job.file));
            else
                Tell(true,
                     Tr("Cannot write %1.").arg(job.file) + QLatin1Char('\n') +
                         (pdf.isEmpty() ? Tr("The document could not be made.") : FileReplacement::Reason(error)));
            return;
        }
        JobFate fate;
        if (pdf.isEmpty())
            fate.reason = Tr("The document could not be made.");
        else if (const std::optional<JobFate> followed = Follow(job, pdf))
            fate = *followed;
        else
            return;
        if (fate.done)
            Tell(false, Tr("Printed on %1.").arg(job.printer));
        else if (fate.waiting)
            Tell(false,
                 Tr("Sent to %1; the job waits in its queue.").arg(job.printer) +
                     (fate.reason.isEmpty() ? QString() : QLatin1Char('\n') + fate.reason));
        else
            Tell(true, Tr("Cannot print on %1.").arg(job.printer) + QLatin1Char('\n') + fate.reason);
    });
}

std::optional<JobFate> QtPrinters::Follow(const Handover& job, const QByteArray& pdf)
{
    // The hand-over runs on a thread of its own, which a silent scheduler may hold for ever;
    // this one only watches it, and tells the user when it has given up.
    auto watch = std::make_shared<JobWatch>();
    watch->heard = SteadyMs();
    Pending<JobFate> call([watch, stopping = m_stopping, printer = job.printer, title = job.title, pdf](QString&) {
        return std::optional<JobFate>(PrintPdf(printer, title, pdf, kFollowSeconds, *stopping, *watch));
    });
    while (!call.Wait(std::chrono::milliseconds(200))) {
        if (*m_stopping)
            return std::nullopt;
        if (SteadyMs() - watch->heard > kSilenceMs) {
            watch->abandoned = true;
            JobFate silent;
            silent.reason = Tr("The print scheduler does not answer.");
            return silent;
        }
    }
    return call.Value();
}

void QtPrinters::Tell(bool failed, const QString& text)
{
    QMetaObject::invokeMethod(
        &m_notices,
        [this, failed, text] {
            if (failed)
                ShowError(m_dialogs, text);
            else
                m_dialogs.ShowNotice(text);
        },
        Qt::QueuedConnection);
}
