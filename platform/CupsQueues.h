// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The print scheduler's queues through libcups: the list, one queue's page facts, and a PDF
// document handed to a queue and followed until the scheduler has done with it. Every call
// opens its own connection with a time limit, so a scheduler that is gone or frozen gives an
// answer with a reason instead of a wait; none of them may run on the window thread.
#include <atomic>
#include <optional>
#include <QByteArray>
#include <QMarginsF>
#include <QSizeF>
#include <QStringList>

struct QueueList {
    QStringList names;
    QString standard; // the default queue; empty when there is none
};

struct QueueFacts {
    QString name, makeAndModel, location;
    QSizeF paper;      // the default paper in points, portrait
    QMarginsF margins; // its unprintable edges in points, portrait
    int dpi = 0;       // the default resolution; 0 when the queue names none
};

// The outcome of a job: done, or the scheduler's reason it was not.
struct JobFate {
    bool done = false;
    bool waiting = false; // still queued when the following stopped
    QString reason;       // why it failed, or why it waits (its printer is stopped)
};

// What the caller of PrintPdf and the call share: when the scheduler last answered, and
// whether the caller has given up on a scheduler gone silent (a job made after that is
// cancelled, so it never prints after the user was told it failed).
struct JobWatch {
    std::atomic<long long> heard {0}; // steady-clock milliseconds
    std::atomic<bool> abandoned {false};
};
long long SteadyMs();

std::optional<QueueList> ReadQueueList(QString& why);
std::optional<QueueFacts> ReadQueueFacts(const QString& name, QString& why);
// `followSeconds` bounds how long the job is watched after the hand-over; `stop` ends the
// watch early (the program is closing).
JobFate PrintPdf(const QString& queue, const QString& title, const QByteArray& pdf, int followSeconds,
                 const std::atomic<bool>& stop, JobWatch& watch);
