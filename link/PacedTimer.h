// A timer whose ticks run as steps of the pacer, like every other event on the link: a tick
// that falls due during a pause waits for it, as a window timer waits for a blocking pause.
// Arming again restarts it, and stopping it also drops a tick that waits for a pause.
#pragma once

#include <functional>

#include "link/Clock.h"
#include "link/Pacer.h"

namespace numora {

class PacedTimer {
public:
    PacedTimer(Clock& clock, LinkPacer& pacer, std::function<void()> onTick)
        : m_clock(clock), m_pacer(pacer), m_onTick(std::move(onTick)) {}
    ~PacedTimer() { Stop(); }
    PacedTimer(const PacedTimer&) = delete;
    PacedTimer& operator=(const PacedTimer&) = delete;

    void Arm(int ms) {
        Stop();
        m_timer = m_clock.StartTimer(ms, [this, armed = m_armed] {
            m_timer = Clock::kNoTimer;
            m_pacer.Do([this, armed] {
                if (armed == m_armed) m_onTick();
            });
        });
    }

    void Stop() {
        ++m_armed;
        if (m_timer != Clock::kNoTimer) m_clock.StopTimer(m_timer);
        m_timer = Clock::kNoTimer;
    }

private:
    Clock& m_clock;
    LinkPacer& m_pacer;
    std::function<void()> m_onTick;
    Clock::TimerId m_timer = Clock::kNoTimer;
    unsigned m_armed = 0;  // counts arming and stopping, so a stale tick knows it is one
};

}  // namespace numora
