// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/DecodeQueue.h"
#include <algorithm>
#include <QEvent>
#include <QMetaObject>
#include <QThread>
#include "controls/DecodeWorkers.h"
#include "controls/ImageControl.h"
#include "picture/Graphic.h"
#include "picture/JpegImage.h"
#include "picture/PictureBudget.h"
#include "picture/PictureFormats.h"
#include "picture/PictureThumbnail.h"
#include "picture/Failure.h"
#include "platform/Guard.h"
#include "platform/Messages.h"

DecodeQueue::DecodeQueue(Platform& platform, QObject* parent)
    : QObject(parent), m_platform(platform), m_channel(std::make_shared<DecodeChannel>()),
      m_budget(std::make_shared<DecodeBudget>()),
      m_workers(kDecodesPerThread * std::max(1, QThread::idealThreadCount()))
{
    m_channel->wake = this;
}

DecodeQueue::~DecodeQueue()
{
    {
        std::lock_guard<std::mutex> hold(m_channel->lock);
        m_channel->wake = nullptr; // no worker posts to this object from now on
    }
    for (Flight& f : m_flights)
        f.stop->store(true, std::memory_order_relaxed);
}

bool DecodeQueue::Live(const Job& job) const
{
    return job.image && job.image->Generation() == job.generation && job.image->Picture().HasGraphic();
}

bool DecodeQueue::LiveFlight(const Flight& flight) const
{
    return !flight.dropped && Live(flight.job);
}

bool DecodeQueue::Same(const Job& job, const TImage* image, QSize target) const
{
    return job.image == image && job.generation == image->Generation() && job.target == target;
}

void DecodeQueue::SetWorkerDecodes(int count)
{
    m_workers = std::max(0, count);
}

void DecodeQueue::SetBudget(std::shared_ptr<DecodeBudget> budget)
{
    if (budget)
        m_budget = std::move(budget);
}

void DecodeQueue::Start(TImage* image, QSize target)
{
    Schedule(image, target);
    // Inside a Prepare or an adoption nothing starts; the posted step starts it.
    if (!m_running && Dispatch())
        Post();
}

void DecodeQueue::Schedule(TImage* image, QSize target)
{
    if (!image)
        return;
    for (const Flight& f : m_flights)
        if (!f.dropped && Same(f.job, image, target))
            return; // being decoded already
    for (Job& job : m_jobs) {
        if (job.image == image && job.generation == image->Generation()) {
            job.target = target;
            return;
        }
    }
    m_jobs.push_back(Job {image, image->Generation(), target});
    m_hadWork = true;
    Post();
}

int DecodeQueue::Pending() const
{
    int n = 0;
    for (const Job& job : m_jobs)
        n += Live(job) ? 1 : 0;
    for (const Flight& f : m_flights)
        n += LiveFlight(f) ? 1 : 0;
    return n;
}

bool DecodeQueue::IsQueued(const TImage* image) const
{
    for (const Job& job : m_jobs)
        if (job.image == image && Live(job))
            return true;
    for (const Flight& f : m_flights)
        if (f.job.image == image && LiveFlight(f))
            return true;
    return false;
}

int DecodeQueue::InFlight() const
{
    return int(std::count_if(m_flights.begin(), m_flights.end(), [this](const Flight& f) { return LiveFlight(f); }));
}

void DecodeQueue::Clear()
{
    m_jobs.clear();
    m_refused.clear(); // the page they were on is gone
    // Running decodes stop at their next row; what they hand back is thrown away.
    for (Flight& f : m_flights) {
        f.dropped = true;
        f.stop->store(true, std::memory_order_relaxed);
    }
    if (!m_running)
        BecameEmpty();
}

bool DecodeQueue::Dispatch()
{
    while (!m_jobs.empty()) {
        const Job& front = m_jobs.front();
        if (!Live(front)) {
            m_jobs.pop_front();
            continue;
        }
        TGraphic* graphic = front.image->Picture().Graphic();
        if (!graphic->NeedsPrepare(front.target)) {
            front.image->update();
            m_jobs.pop_front();
            continue;
        }
        TJpegImage* jpeg = JpegOf(graphic);
        TThumbnail* thumbnail = ThumbnailOf(graphic);
        if (m_workers <= 0 || (!jpeg && !thumbnail))
            return true;
        const auto running =
            std::count_if(m_flights.begin(), m_flights.end(), [](const Flight& f) { return !f.dropped; });
        if (running >= m_workers)
            return false; // the next finished decode makes room
        // The start is reported (the loading light), which runs a handler that may repaint:
        // the job is a flight already, so a paint meanwhile does not ask for it again.
        const Job job = front;
        m_jobs.pop_front();
        const uint64_t id = m_nextId++;
        auto stop = std::make_shared<std::atomic<bool>>(false);
        m_flights.push_back(Flight {job, id, false, stop});
        std::optional<DecodeJob> work;
        m_running = true;
        Guarded(m_platform, [&] { work = jpeg ? jpeg->StartCacheJob(job.target) : thumbnail->StartJob(job.target); });
        m_running = false;
        if (work) {
            if (thumbnail)
                work->budget = m_budget;
            StartDecodeTask(m_channel, DecodeTask {id, std::move(*work), std::move(stop)});
            continue;
        }
        m_flights.erase(std::find_if(m_flights.begin(), m_flights.end(), [id](const Flight& f) { return f.id == id; }));
        // A full-size decoding: prepared on this thread, in its turn.
        if (Live(job)) {
            m_jobs.push_front(job);
            return true;
        }
    }
    return false;
}

void DecodeQueue::customEvent(QEvent* event)
{
    if (event->type() != QEvent::Type(DecodeWakeEventType()))
        return QObject::customEvent(event);
    {
        std::lock_guard<std::mutex> hold(m_channel->lock);
        m_channel->wakePosted = false;
    }
    Collect(true);
}

void DecodeQueue::Collect(bool andContinue)
{
    // An adoption that opened a message box runs the event loop; nothing is taken inside it.
    if (m_running) {
        m_collectLater = true;
        return;
    }
    for (;;) {
        DecodeDone done;
        {
            std::lock_guard<std::mutex> hold(m_channel->lock);
            if (m_channel->done.empty())
                break;
            done = std::move(m_channel->done.front());
            m_channel->done.pop_front();
        }
        const auto it =
            std::find_if(m_flights.begin(), m_flights.end(), [&](const Flight& f) { return f.id == done.id; });
        if (it == m_flights.end())
            continue;
        const Flight flight = *it;
        m_flights.erase(it);
        if (!LiveFlight(flight))
            continue;
        // The next decode starts before this one is shown, so the workers never wait on painting.
        if (andContinue && Dispatch())
            Post();
        ++m_workerResults;
        Adopt(flight.job, done.result);
    }
    if (andContinue)
        Continue();
}

void DecodeQueue::Adopt(const Job& job, DecodeResult& result)
{
    TImage* image = job.image;
    TJpegImage* jpeg = JpegOf(image->Picture().Graphic());
    TThumbnail* thumbnail = ThumbnailOf(image->Picture().Graphic());
    m_running = true;
    image->BeginPrepare(job.target);
    // The picture reports its own failure once; it is not asked for again.
    Guarded(m_platform, [this, jpeg, thumbnail, &job, &result] {
        if (jpeg) {
            jpeg->AdoptCache(std::move(result));
            return;
        }
        if (!thumbnail)
            return;
        const QString name = job.image->Hint();
        const bool refused = result.error == QLatin1String(kOutOfResources);
        const bool sized = !thumbnail->FactsKnown();
        QString failure;
        try {
            thumbnail->Adopt(job.target, std::move(result));
        } catch (const Failure& f) {
            failure = f.Text();
        }
        if (refused)
            m_refused.emplace_back(job.image->Tag(), name);
        // Before any message box, which lets anything happen to the cell.
        if (sized && job.image->OnPictureSized)
            job.image->OnPictureSized(job.image);
        if (!failure.isEmpty())
            ShowError(m_platform, failure); // the same text as a failure at page load
    });
    m_running = false;
    if (job.image) {
        job.image->EndPrepare();
        job.image->update();
    }
}

bool DecodeQueue::RunOne()
{
    // A Prepare that opened a message box runs the event loop; nothing starts inside it.
    if (m_running)
        return false;
    while (!m_jobs.empty()) {
        const Job job = m_jobs.front();
        m_jobs.pop_front();
        if (!Live(job))
            continue;
        TImage* image = job.image;
        TGraphic* graphic = image->Picture().Graphic();
        if (!graphic->NeedsPrepare(job.target)) {
            image->update();
            continue;
        }
        PrepareHere(job);
        return true;
    }
    return false;
}

void DecodeQueue::PrepareHere(const Job& job)
{
    TGraphic* graphic = job.image->Picture().Graphic();
    m_running = true;
    job.image->BeginPrepare(job.target);
    // The picture reports its own failure once; later attempts draw nothing and are not retried.
    Guarded(m_platform, [graphic, &job] { graphic->Prepare(job.target); });
    m_running = false;
    if (job.image) {
        job.image->EndPrepare();
        job.image->update();
    }
}

void DecodeQueue::Finish(TImage* image)
{
    if (m_running || !image)
        return;
    const auto waiting =
        std::find_if(m_jobs.begin(), m_jobs.end(), [&](const Job& job) { return job.image == image && Live(job); });
    if (waiting != m_jobs.end()) {
        const Job job = *waiting;
        m_jobs.erase(waiting);
        if (job.image->Picture().Graphic()->NeedsPrepare(job.target))
            PrepareHere(job);
    }
    const auto flying = [&] {
        return std::any_of(m_flights.begin(), m_flights.end(),
                           [&](const Flight& f) { return f.job.image == image && LiveFlight(f); });
    };
    while (!m_running && flying()) {
        {
            std::unique_lock<std::mutex> hold(m_channel->lock);
            m_channel->finished.wait(hold, [this] { return !m_channel->done.empty(); });
        }
        Collect(false);
    }
    if (Busy())
        Post(); // the rest goes on in the event loop
    else if (!m_running)
        BecameEmpty();
}

void DecodeQueue::Drain()
{
    while (!m_running) {
        Collect(false);
        if (Dispatch()) {
            RunOne();
            continue;
        }
        if (m_flights.empty())
            break;
        std::unique_lock<std::mutex> hold(m_channel->lock);
        m_channel->finished.wait(hold, [this] { return !m_channel->done.empty(); });
    }
    if (!Busy() && !m_running)
        BecameEmpty();
}

void DecodeQueue::Post()
{
    if (m_posted || m_running)
        return;
    m_posted = true;
    // Queued, so each turn runs after pending input.
    QMetaObject::invokeMethod(this, &DecodeQueue::Step, Qt::QueuedConnection);
}

void DecodeQueue::Step()
{
    m_posted = false;
    if (m_running)
        return;
    if (Dispatch())
        RunOne();
    Continue();
}

void DecodeQueue::Continue()
{
    if (m_running)
        return;
    if (m_collectLater) {
        m_collectLater = false;
        Collect(true); // continues itself
        return;
    }
    if (Dispatch())
        Post();
    else if (!Busy())
        BecameEmpty();
}

void DecodeQueue::BecameEmpty()
{
    if (!m_hadWork)
        return;
    m_hadWork = false;
    if (OnIdle)
        Guarded(m_platform, [this] { OnIdle(); });
    ReportRefused();
}

void DecodeQueue::ReportRefused()
{
    if (m_refused.empty())
        return;
    // One message for the page, however many of its files did not fit, in the page's order.
    constexpr size_t kNamed = 10;
    std::sort(m_refused.begin(), m_refused.end());
    QStringList names;
    for (size_t i = 0; i < std::min(kNamed, m_refused.size()); ++i)
        names << m_refused[i].second;
    if (m_refused.size() > kNamed)
        names << tr("%1 more").arg(m_refused.size() - kNamed);
    m_refused.clear();
    ShowError(m_platform,
              tr("Cannot load image : %1 - %2").arg(names.join(QStringLiteral(", ")), QLatin1String(kOutOfResources)));
}
