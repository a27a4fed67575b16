// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The printers: the scheduler's queues (platform/CupsQueues) and the PDF file entry. A job's
// page is the queue's own paper and printable area; its drawing is made into a PDF document
// and handed over off the window thread, and its fate comes back as a notice or a message.
// The real platform serves its printer calls from here; a test platform may do the same to
// print for real while scripting the rest (the PDF file's name comes through the given
// platform's save dialog, the notices through its messages).
#include <atomic>
#include <map>
#include <memory>
#include <QImage>
#include <QObject>
#include <QPageLayout>
#include <QThreadPool>
#include <QTransform>
#include "platform/CupsQueues.h"
#include "platform/Pending.h"
#include "platform/Platform.h"

class QtPrinters {
public:
    explicit QtPrinters(Platform& dialogs);
    ~QtPrinters(); // stops following jobs and waits for the hand-overs under way

    QStringList Printers();
    int PrinterIndex();
    void SelectPrinter(int index);
    std::optional<PrinterNames> SelectedPrinterNames();
    std::unique_ptr<PrintJob> CreatePrintJob(QWidget* parent);

    // What a finished job hands over: its pages' drawing and where it goes.
    struct Drawing {
        QRect target;
        QImage image;
    };
    struct Handover {
        QString printer, title;
        QString file; // the PDF file's path; empty for a queue
        QPageLayout page;
        int dpi = 0;
        QTransform toPaper; // from the printable area's pixels to the page's
        std::vector<Drawing> drawings;
    };

private:
    // A queue's facts as last read: nullopt facts with the reason when the read failed.
    struct FactsRead {
        std::optional<QueueFacts> facts;
        QString why;
    };
    QString Selected();
    void StartFacts(const QString& name); // a read of the queue's facts, unless one is under way
    // Takes in the read under way if it finishes within `wait`; the last answer, or null.
    const FactsRead* Facts(const QString& name, std::chrono::milliseconds wait);
    void Run(Handover job);
    // The job's fate, or nullopt when the program closes first.
    std::optional<JobFate> Follow(const Handover& job, const QByteArray& pdf);
    void Tell(bool failed, const QString& text);

    Platform& m_dialogs;
    QStringList m_list;              // as last read
    QString m_standard;              // the scheduler's default queue, as last read
    std::optional<QString> m_chosen; // by name, so a queue added later does not shift it
    std::unique_ptr<Pending<QueueList>> m_listCall;
    std::map<QString, std::unique_ptr<Pending<QueueFacts>>> m_factCalls;
    std::map<QString, FactsRead> m_facts; // as last read, for a scheduler slow to answer
    std::shared_ptr<std::atomic<bool>> m_stopping = std::make_shared<std::atomic<bool>>(false);
    QObject m_notices; // on the window thread: the hand-overs' outcomes arrive here
    QThreadPool m_handovers;
};
