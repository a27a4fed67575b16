// SPDX-License-Identifier: GPL-3.0-or-later
#include "controls/DecodeWorkers.h"
#include <utility>
#include <QCoreApplication>
#include <QEvent>
#include <QThreadPool>
#include "picture/PictureThumbnail.h"

namespace {

// Tasks wait here, not inside the thread pool's own runnables: a runnable carries no data
// and takes the oldest task, so every hand-over goes through a mutex a thread checker sees.
struct Inbox {
    std::mutex lock;
    std::deque<std::pair<std::shared_ptr<DecodeChannel>, DecodeTask>> tasks;
};

Inbox& TheInbox()
{
    // Never destroyed: pool threads may still take from it while the program ends.
    static Inbox* inbox = new Inbox;
    return *inbox;
}

void Deliver(DecodeChannel& channel, DecodeDone done)
{
    std::lock_guard<std::mutex> hold(channel.lock);
    channel.done.push_back(std::move(done));
    channel.finished.notify_all();
    // Posting under the lock: the queue clears `wake` under the same lock before it dies.
    if (channel.wake && !channel.wakePosted) {
        channel.wakePosted = true;
        QCoreApplication::postEvent(channel.wake, new QEvent(QEvent::Type(DecodeWakeEventType())));
    }
}

void WorkOne()
{
    std::shared_ptr<DecodeChannel> channel;
    DecodeTask task;
    {
        Inbox& inbox = TheInbox();
        std::lock_guard<std::mutex> hold(inbox.lock);
        if (inbox.tasks.empty())
            return;
        channel = std::move(inbox.tasks.front().first);
        task = std::move(inbox.tasks.front().second);
        inbox.tasks.pop_front();
    }
    DecodeDone done;
    done.id = task.id;
    // A task whose page was left before it started is not decoded at all.
    if (!task.stop->load(std::memory_order_relaxed)) {
        task.job.options.cancel = task.stop.get();
        // A page cell's job names its file, which the worker reads itself.
        done.result = RunDecodeJob(task.job);
    }
    task.job.data = QByteArray(); // this thread's share of the bytes goes now
    task.job.budget.reset();
    Deliver(*channel, std::move(done));
}

} // namespace

QThreadPool& DecodeThreads()
{
    // Destroyed after main returns, waiting for a decode still running, as Qt's own pool is.
    static QThreadPool pool;
    return pool;
}

int DecodeWakeEventType()
{
    static const int type = QEvent::registerEventType();
    return type;
}

void StartDecodeTask(const std::shared_ptr<DecodeChannel>& channel, DecodeTask task)
{
    DecodeWakeEventType(); // registered on the caller's thread before any worker needs it
    {
        Inbox& inbox = TheInbox();
        std::lock_guard<std::mutex> hold(inbox.lock);
        inbox.tasks.emplace_back(channel, std::move(task));
    }
    DecodeThreads().start([] { WorkOne(); });
}
