// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Runs a function on every way out of the scope it was made in, a failure passing through
// included: the busy cursor taken back, the working folder set again, a state restored.
#include <utility>

template <class F>
class ScopeExit {
public:
    explicit ScopeExit(F f) : m_f(std::move(f)) {}
    ~ScopeExit() { m_f(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    F m_f;
};
