// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One call run on a thread of its own that the window thread waits on only briefly: a call
// that outlasts the wait goes on, and its answer is there for a later look. The thread owns
// a share of the state, so the waiter may go away first.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <QString>

template <class T>
class Pending {
public:
    // `work` gives its answer, or nullopt with the reason.
    explicit Pending(std::function<std::optional<T>(QString&)> work) : m_state(std::make_shared<State>())
    {
        std::thread([state = m_state, work = std::move(work)] {
            QString why;
            std::optional<T> value = work(why);
            const std::lock_guard lock(state->mutex);
            state->value = std::move(value);
            state->why = std::move(why);
            state->finished = true;
            state->done.notify_all();
        }).detach();
    }

    // True when the call has finished, waiting at most `limit` for it.
    bool Wait(std::chrono::milliseconds limit)
    {
        std::unique_lock lock(m_state->mutex);
        return m_state->done.wait_for(lock, limit, [this] { return m_state->finished; });
    }
    // Only after Wait gave true.
    const std::optional<T>& Value() const { return m_state->value; }
    const QString& Why() const { return m_state->why; }

private:
    struct State {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        std::optional<T> value;
        QString why;
    };
    std::shared_ptr<State> m_state;
};
