// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Decoding a picture is never done inside a paint event: an image control that finds its
// picture not ready for drawing asks this queue, and a page load asks it for each cell as soon
// as the cell is laid out. A page cell's reduced copy (TThumbnail: the worker reads the file
// itself) and a JPEG picture's reduced-scale display cache are made on worker threads, several
// at once, within one memory budget, and each finished one is handed back to this (the
// user-interface) thread, which alone touches pictures and controls. Any other
// preparation (a full-size decoding, other kinds of picture) runs here, one per turn of the
// event loop. Input events (a page move, a new folder) run between two turns, and a control
// deleted or given another picture meanwhile is skipped.
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <vector>
#include <QObject>
#include <QPointer>
#include <QSize>
#include <QString>

class DecodeBudget;
class Platform;
class TImage;
struct DecodeChannel;
struct DecodeResult;

class DecodeQueue : public QObject {
    Q_OBJECT
public:
    explicit DecodeQueue(Platform& platform, QObject* parent = nullptr);
    ~DecodeQueue() override;

    // Asks for image's picture (as it is now) to be prepared for drawing at `target`.
    // A control already waiting or decoding with the same picture and target is kept in its place.
    void Schedule(TImage* image, QSize target);
    // The same, handing the decode to a worker at once when there is room (a page load).
    void Start(TImage* image, QSize target);
    // Controls, still existing and holding the picture they asked for, that wait or are
    // being decoded on a worker.
    int Pending() const;
    bool IsQueued(const TImage* image) const;
    // Live decodes handed to workers and not yet taken back.
    int InFlight() const;
    // Drops every waiting control and stops the decodes running for them (a new page
    // replaces the old one); what they finish is thrown away.
    void Clear();
    // Prepares the next waiting picture now, on this thread; false when none was waiting.
    bool RunOne();
    // Prepares every waiting picture now and waits for the workers (tests, and callers
    // that need all of them).
    void Drain();
    // The same for one control: its decode is run here or waited for (a click that needs
    // what only the decoded file tells).
    void Finish(TImage* image);

    // How many display-cache decodes may be handed to worker threads at a time; 0 prepares
    // everything on this thread. The workers (one per processor) run at most that many at
    // once. Starts at kDecodesPerThread per processor, so a worker that finishes finds its
    // next decode waiting instead of waiting for this thread to hand it one.
    static constexpr int kDecodesPerThread = 4;
    void SetWorkerDecodes(int count);
    int WorkerDecodes() const { return m_workers; }
    // Decodes handed back by workers and kept (not dropped) since the queue was made.
    int WorkerResults() const { return m_workerResults; }

    // What the decodes on workers may hold at once (DecodeBudget::kPageBytes unless replaced).
    const DecodeBudget& Budget() const { return *m_budget; }
    void SetBudget(std::shared_ptr<DecodeBudget> budget);

    // Called when the queue runs empty after it had work (the main window's loading light).
    std::function<void()> OnIdle;

protected:
    void customEvent(QEvent* event) override;

private:
    struct Job {
        QPointer<TImage> image;
        uint64_t generation = 0;
        QSize target;
    };
    // A display-cache decode handed to a worker and not yet collected.
    struct Flight {
        Job job;
        uint64_t id = 0;
        bool dropped = false;                    // its page was left: the result is thrown away
        std::shared_ptr<std::atomic<bool>> stop; // shared with the worker
    };
    bool Live(const Job& job) const;
    bool LiveFlight(const Flight& flight) const;
    bool Same(const Job& job, const TImage* image, QSize target) const;
    // Hands waiting JPEG cache decodes at the front of the queue to workers while there is room;
    // true when the front job must be prepared on this thread.
    bool Dispatch();
    // Takes back every finished decode; then, with andContinue, starts what comes next.
    void Collect(bool andContinue);
    void Adopt(const Job& job, DecodeResult& result);
    void PrepareHere(const Job& job);
    void Post();
    void Step();
    void Continue();
    void BecameEmpty();
    void ReportRefused();
    bool Busy() const { return !m_jobs.empty() || !m_flights.empty(); }

    Platform& m_platform;
    std::deque<Job> m_jobs;
    std::vector<Flight> m_flights;
    std::shared_ptr<DecodeChannel> m_channel;
    std::shared_ptr<DecodeBudget> m_budget;
    uint64_t m_nextId = 1;
    int m_workers = 1;
    int m_workerResults = 0;
    bool m_posted = false;       // a Step is waiting in the event queue
    bool m_running = false;      // a Prepare or an adoption is running (it may open a message box)
    bool m_collectLater = false; // results arrived while m_running
    bool m_hadWork = false;
    // The cells (tag, name) of the page whose pictures the memory budget could never hold.
    std::vector<std::pair<int, QString>> m_refused;
};
