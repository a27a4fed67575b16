// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The worker side of the decode queue: page cells' reduced copies and display-cache decodes of
// JPEG pictures run on a thread pool of their own (DecodeThreads). A queue and its workers
// share nothing but a DecodeChannel, the page budget (its counts under its own mutex) and the
// tasks themselves: tasks go in and results come out under the channel's standard mutex (whose
// ordering thread checkers understand), a task's stop flag is atomic, and the compressed bytes
// or file path are shared read-only (QByteArray and QString count their references
// atomically). Pictures and controls are never seen by a worker.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include "picture/JpegImage.h"

class QObject;
class QThreadPool;

struct DecodeTask {
    uint64_t id = 0;
    DecodeJob job;
    std::shared_ptr<std::atomic<bool>> stop; // raised when the task's page was left
};

struct DecodeDone {
    uint64_t id = 0;
    DecodeResult result;
};

struct DecodeChannel {
    std::mutex lock;
    std::condition_variable finished; // signalled with every result (Drain waits on it)
    std::deque<DecodeDone> done;
    // The queue while it lives, sent a wake-up event (DecodeWakeEventType) when results
    // wait; one event at a time.
    QObject* wake = nullptr;
    bool wakePosted = false;
};

// The decode workers: a pool of their own, one thread per processor. Not Qt's global pool,
// which Qt's image conversions and scaling on the window's thread use for their parts: queued
// behind a page of decodes there, one paint of the window waited for several decodes to end.
QThreadPool& DecodeThreads();

// The event type of the wake-up a channel's owner receives on its own thread.
int DecodeWakeEventType();

// Runs the task on a worker thread and puts its result into the channel.
void StartDecodeTask(const std::shared_ptr<DecodeChannel>& channel, DecodeTask task);
