#include "DecodeQueue.h"
#include <QMetaObject>
#include "ImageControl.h"
#include "picture/Graphic.h"
#include "platform/Guard.h"

DecodeQueue::DecodeQueue(Platform& platform, QObject* parent) : QObject(parent), m_platform(platform) {}

bool DecodeQueue::Live(const Job& job) const
{
    return job.image && job.image->Generation() == job.generation && job.image->Picture().HasGraphic();
}

void DecodeQueue::Schedule(TImage* image, QSize target)
{
    if (!image)
        return;
    for (Job& job : m_jobs) {
        if (job.image == image && job.generation == image->Generation()) {
            job.target = target;
            return;
        }
    }
    m_jobs.push_back(Job{image, image->Generation(), target});
    m_hadWork = true;
    Post();
}

int DecodeQueue::Pending() const
{
    int n = 0;
    for (const Job& job : m_jobs)
        n += Live(job) ? 1 : 0;
    return n;
}

bool DecodeQueue::IsQueued(const TImage* image) const
{
    for (const Job& job : m_jobs)
        if (job.image == image && Live(job))
            return true;
    return false;
}

void DecodeQueue::Clear()
{
    m_jobs.clear();
    if (!m_running)
        BecameEmpty();
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
        m_running = true;
        image->BeginPrepare(job.target);
        // The picture reports its own failure once; later attempts draw nothing and are not retried.
        Guarded(m_platform, [graphic, &job] { graphic->Prepare(job.target); });
        m_running = false;
        if (job.image) {
            job.image->EndPrepare();
            job.image->update();
        }
        return true;
    }
    return false;
}

void DecodeQueue::Drain()
{
    while (RunOne()) {
    }
    if (m_jobs.empty() && !m_running)
        BecameEmpty();
}

void DecodeQueue::Post()
{
    if (m_posted || m_running)
        return;
    m_posted = true;
    // Queued, so each Prepare runs in its own turn of the event loop after pending input.
    QMetaObject::invokeMethod(this, &DecodeQueue::Step, Qt::QueuedConnection);
}

void DecodeQueue::Step()
{
    m_posted = false;
    RunOne();
    if (m_running)
        return;
    while (!m_jobs.empty() && !Live(m_jobs.front()))
        m_jobs.pop_front();
    if (!m_jobs.empty())
        Post();
    else
        BecameEmpty();
}

void DecodeQueue::BecameEmpty()
{
    if (!m_hadWork)
        return;
    m_hadWork = false;
    if (OnIdle)
        Guarded(m_platform, [this] { OnIdle(); });
}
