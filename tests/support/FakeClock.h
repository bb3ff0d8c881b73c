// A clock for the tests: time moves only when the test advances it, and timers fire in order.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <utility>

#include "link/Clock.h"

namespace numora::test {

class FakeClock : public Clock {
public:
    int64_t NowMs() const override { return m_now; }

    TimerId StartTimer(int ms, std::function<void()> fn) override {
        const TimerId id = ++m_nextId;
        m_timers.emplace(std::make_pair(m_now + ms, id), std::move(fn));
        return id;
    }

    void StopTimer(TimerId id) override {
        for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
            if (it->first.second == id) {
                m_timers.erase(it);
                return;
            }
        }
    }

    // Moves time forward by ms, firing every timer that falls due on the way, in order.
    void Advance(int64_t ms) {
        const int64_t until = m_now + ms;
        while (!m_timers.empty() && m_timers.begin()->first.first <= until) {
            auto it = m_timers.begin();
            m_now = it->first.first;
            auto fn = std::move(it->second);
            m_timers.erase(it);
            fn();
        }
        if (until > m_now) m_now = until;  // a timer may have advanced the clock itself
    }

    // Fires timers until none is left, or until the limit of simulated time has passed.
    void RunUntilIdle(int64_t limitMs = 600000) {
        const int64_t until = m_now + limitMs;
        while (!m_timers.empty() && m_timers.begin()->first.first <= until) {
            Advance(m_timers.begin()->first.first - m_now);
        }
    }

    bool HasTimers() const { return !m_timers.empty(); }

private:
    int64_t m_now = 0;
    TimerId m_nextId = 0;
    std::map<std::pair<int64_t, TimerId>, std::function<void()>> m_timers;
};

}  // namespace numora::test
