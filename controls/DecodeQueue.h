#pragma once
// Decoding a picture is never done inside a paint event: an image control that finds its
// picture not ready for drawing asks this queue, which prepares one picture per turn of
// the event loop. Input events (a page move, a new folder) run between two decodes, and a
// control deleted or given another picture meanwhile is skipped.
#include <cstdint>
#include <deque>
#include <functional>
#include <QObject>
#include <QPointer>
#include <QSize>

class Platform;
class TImage;

class DecodeQueue : public QObject {
    Q_OBJECT
public:
    explicit DecodeQueue(Platform& platform, QObject* parent = nullptr);

    // Asks for image's picture (as it is now) to be prepared for drawing at `target`.
    // A control already waiting with the same picture is kept in its place, with the new target.
    void Schedule(TImage* image, QSize target);
    // Waiting controls that still exist and still hold the picture they asked for.
    int Pending() const;
    bool IsQueued(const TImage* image) const;
    // Drops every waiting control (a new page replaces the old one).
    void Clear();
    // Prepares the next waiting picture now; false when none was waiting.
    bool RunOne();
    // Prepares every waiting picture now (tests, and callers that need all of them).
    void Drain();

    // Called when the queue runs empty after it had work (the main window's loading light).
    std::function<void()> OnIdle;

private:
    struct Job {
        QPointer<TImage> image;
        uint64_t generation = 0;
        QSize target;
    };
    bool Live(const Job& job) const;
    void Post();
    void Step();
    void BecameEmpty();

    Platform& m_platform;
    std::deque<Job> m_jobs;
    bool m_posted = false;   // a Step is waiting in the event queue
    bool m_running = false;  // a Prepare is running (it may open a message box)
    bool m_hadWork = false;
};
