// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/CupsQueues.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>
#include <cups/cups.h>
#include <QCoreApplication>

namespace {

constexpr int kConnectMs = 5000;
constexpr double kRequestSeconds = 10; // one request; a frozen scheduler fails after this

QString Tr(const char* text)
{
    return QCoreApplication::translate("CupsQueues", text);
}

bool Succeeded(ipp_status_t status)
{
    return status <= IPP_STATUS_OK_CONFLICTING;
}

// The scheduler's reason for the last failed request, in the user's words where libcups
// gives only a status line or a system error.
QString LastError()
{
    const ipp_status_t status = cupsLastError();
    if (status == IPP_STATUS_ERROR_NOT_FOUND)
        return Tr("The printer does not exist (any more).");
    // What the scheduler answers when it cannot store a document (its spool is full).
    if (status == IPP_STATUS_ERROR_REQUEST_ENTITY || status == IPP_STATUS_ERROR_REQUEST_VALUE)
        return Tr("The print scheduler has no room for the job (%1).").arg(QString::fromUtf8(cupsLastErrorString()));
    return QString::fromUtf8(cupsLastErrorString());
}

// One connection to the scheduler whose requests give up after kRequestSeconds.
class Connection {
public:
    explicit Connection(QString& why)
    {
        m_http = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1, kConnectMs, nullptr);
        if (!m_http)
            why = Tr("The print scheduler does not answer.");
        else
            httpSetTimeout(
                m_http, kRequestSeconds, [](http_t*, void*) { return 0; }, nullptr);
    }
    ~Connection()
    {
        if (m_http)
            httpClose(m_http);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    http_t* get() const { return m_http; }

private:
    http_t* m_http = nullptr;
};

// "name/instance" as the list shows it, and the queue name the scheduler knows.
QByteArray QueuePart(const QString& name)
{
    return name.section(QLatin1Char('/'), 0, 0).toUtf8();
}

double Points(int hundredthsOfMm)
{
    return hundredthsOfMm * 72.0 / 2540.0;
}

struct JobState {
    int state = 0;
    QString message;
};

std::optional<JobState> ReadJob(http_t* http, int id)
{
    ipp_t* request = ippNewRequest(IPP_OP_GET_JOB_ATTRIBUTES);
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0, "/jobs/%d", id);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "job-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    static const char* const wanted[] = {"job-state", "job-printer-state-message"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2, nullptr, wanted);
    ipp_t* response = cupsDoRequest(http, request, "/");
    if (!response || !Succeeded(cupsLastError())) {
        ippDelete(response);
        return std::nullopt;
    }
    JobState job;
    job.state = ippGetInteger(ippFindAttribute(response, "job-state", IPP_TAG_ENUM), 0);
    if (ipp_attribute_t* message = ippFindAttribute(response, "job-printer-state-message", IPP_TAG_TEXT))
        job.message = QString::fromUtf8(ippGetString(message, 0, nullptr));
    ippDelete(response);
    return job;
}

QString FailureReason(const JobState& job)
{
    if (!job.message.isEmpty())
        return job.message;
    return job.state == IPP_JSTATE_CANCELED ? Tr("The job was cancelled") : Tr("The job was aborted");
}

// Why a job that is not printing waits: its printer is stopped (disabled, or stopped by a
// device error), with the printer's own message. Nullopt when the printer is not stopped.
std::optional<QString> PrinterStopped(http_t* http, const QByteArray& queue)
{
    ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0, "/printers/%s",
                     queue.constData());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    static const char* const wanted[] = {"printer-state", "printer-state-message"};
    ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2, nullptr, wanted);
    ipp_t* response = cupsDoRequest(http, request, "/");
    std::optional<QString> why;
    if (response && Succeeded(cupsLastError()) &&
        ippGetInteger(ippFindAttribute(response, "printer-state", IPP_TAG_ENUM), 0) == IPP_PSTATE_STOPPED) {
        why = QString::fromUtf8(
            ippGetString(ippFindAttribute(response, "printer-state-message", IPP_TAG_TEXT), 0, nullptr));
        if (why->isEmpty())
            why = Tr("The printer is stopped.");
    }
    ippDelete(response);
    return why;
}

int Member(ipp_t* collection, const char* name)
{
    return ippGetInteger(ippFindAttribute(collection, name, IPP_TAG_INTEGER), 0);
}

// The queue's default paper and margins from its "media-col" default, which carries the
// printable area its driver gives (the plain media default of libcups does not).
void ReadDefaultMedia(http_t* http, cups_dest_t* dest, cups_dinfo_t* info, QueueFacts& facts)
{
    int width = 0, length = 0, left = 0, top = 0, right = 0, bottom = 0;
    if (ipp_attribute_t* media = cupsFindDestDefault(http, dest, info, "media-col")) {
        ipp_t* col = ippGetCollection(media, 0);
        if (ipp_t* size = ippGetCollection(ippFindAttribute(col, "media-size", IPP_TAG_BEGIN_COLLECTION), 0)) {
            width = Member(size, "x-dimension");
            length = Member(size, "y-dimension");
        }
        left = Member(col, "media-left-margin");
        top = Member(col, "media-top-margin");
        right = Member(col, "media-right-margin");
        bottom = Member(col, "media-bottom-margin");
    }
    cups_size_t size {};
    if ((width <= 0 || length <= 0) && cupsGetDestMediaDefault(http, dest, info, 0, &size)) {
        width = size.width, length = size.length;
        left = size.left, top = size.top, right = size.right, bottom = size.bottom;
    }
    if (width <= 0 || length <= 0)
        return;
    facts.paper = QSizeF(Points(width), Points(length));
    facts.margins = QMarginsF(Points(std::max(left, 0)), Points(std::max(top, 0)), Points(std::max(right, 0)),
                              Points(std::max(bottom, 0)));
}

} // namespace

long long SteadyMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

std::optional<QueueList> ReadQueueList(QString& why)
{
    const Connection connection(why);
    if (!connection.get())
        return std::nullopt;
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(connection.get(), &dests);
    if (count == 0 && cupsLastError() >= IPP_STATUS_ERROR_INTERNAL) {
        why = LastError();
        return std::nullopt;
    }
    QueueList list;
    for (int i = 0; i < count; ++i) {
        QString name = QString::fromUtf8(dests[i].name);
        if (dests[i].instance)
            name += QLatin1Char('/') + QString::fromUtf8(dests[i].instance);
        list.names << name;
        if (dests[i].is_default)
            list.standard = name;
    }
    cupsFreeDests(count, dests);
    return list;
}

std::optional<QueueFacts> ReadQueueFacts(const QString& name, QString& why)
{
    const Connection connection(why);
    if (!connection.get())
        return std::nullopt;
    http_t* http = connection.get();
    const QByteArray instance = name.section(QLatin1Char('/'), 1).toUtf8();
    cups_dest_t* dest =
        cupsGetNamedDest(http, QueuePart(name).constData(), instance.isEmpty() ? nullptr : instance.constData());
    if (!dest) {
        why = LastError();
        return std::nullopt;
    }
    QueueFacts facts;
    facts.name = name;
    facts.makeAndModel = QString::fromUtf8(cupsGetOption("printer-make-and-model", dest->num_options, dest->options));
    facts.location = QString::fromUtf8(cupsGetOption("printer-location", dest->num_options, dest->options));
    cups_dinfo_t* info = cupsCopyDestInfo(http, dest);
    if (info)
        ReadDefaultMedia(http, dest, info, facts);
    if (info)
        if (ipp_attribute_t* resolution = cupsFindDestDefault(http, dest, info, "printer-resolution")) {
            int down = 0;
            ipp_res_t units = IPP_RES_PER_INCH;
            const int across = ippGetResolution(resolution, 0, &down, &units);
            facts.dpi = units == IPP_RES_PER_CM ? int(std::lround(across * 2.54)) : across;
        }
    cupsFreeDestInfo(info);
    cupsFreeDests(1, dest);
    if (facts.paper.isEmpty()) {
        why = Tr("The printer names no paper size");
        return std::nullopt;
    }
    return facts;
}

JobFate PrintPdf(const QString& queue, const QString& title, const QByteArray& pdf, int followSeconds,
                 const std::atomic<bool>& stop, JobWatch& watch)
{
    JobFate fate;
    const Connection connection(fate.reason);
    if (!connection.get())
        return fate;
    const auto heard = [&watch] { watch.heard = SteadyMs(); };
    http_t* http = connection.get();
    const QByteArray name = QueuePart(queue), titleText = title.toUtf8();
    cups_option_t* options = nullptr;
    // The page is made to the queue's paper and printable area: nothing may scale it again.
    const int count = cupsAddOption("print-scaling", "none", 0, &options);
    const int id = cupsCreateJob(http, name.constData(), titleText.constData(), count, options);
    cupsFreeOptions(count, options);
    heard();
    if (id == 0) {
        fate.reason = LastError();
        // A queue removed meanwhile gives only a system error; say what it means.
        if (cups_dest_t* dest = cupsGetNamedDest(http, name.constData(), nullptr))
            cupsFreeDests(1, dest);
        else if (cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND)
            fate.reason = Tr("The printer does not exist (any more).");
        return fate;
    }
    bool sent = cupsStartDocument(http, name.constData(), id, titleText.constData(), CUPS_FORMAT_PDF, 1) ==
        HTTP_STATUS_CONTINUE;
    for (qsizetype at = 0; sent && at < pdf.size(); at += 65536)
        sent = cupsWriteRequestData(http, pdf.constData() + at, size_t(std::min<qsizetype>(65536, pdf.size() - at))) ==
            HTTP_STATUS_CONTINUE;
    if (!Succeeded(cupsFinishDocument(http, name.constData())) || !sent) {
        fate.reason = LastError();
        cupsCancelJob2(http, name.constData(), id, 0); // nothing half-sent stays queued
        return fate;
    }
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(followSeconds);
    while (std::chrono::steady_clock::now() < until && !stop) {
        const std::optional<JobState> job = ReadJob(http, id);
        heard();
        if (watch.abandoned) {
            cupsCancelJob2(http, name.constData(), id, 0);
            return fate;
        }
        if (!job) {
            fate.reason =
                Tr("The print scheduler stopped answering (%1).").arg(QString::fromUtf8(cupsLastErrorString()));
            return fate;
        }
        if (job->state == IPP_JSTATE_COMPLETED) {
            fate.done = true;
            return fate;
        }
        if (job->state >= IPP_JSTATE_CANCELED) {
            fate.reason = FailureReason(*job);
            return fate;
        }
        // A job held by a stopped printer is not lost: it prints once the printer is started
        // again, so the user is told it waits, and why, instead of after the whole watch.
        if (job->state != IPP_JSTATE_PROCESSING) {
            const std::optional<QString> stopped = PrinterStopped(http, name);
            heard();
            if (stopped) {
                fate.waiting = true;
                fate.reason = *stopped;
                return fate;
            }
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    fate.waiting = true;
    return fate;
}
