// Time as the core sees it: a clock and one-shot timers, all on the user-interface thread.
// The window and the command-line tool hand in Qt's timers; the tests a clock they advance.
#pragma once

#include <cstdint>
#include <functional>

namespace numora {

class Clock {
public:
    using TimerId = int;
    static constexpr TimerId kNoTimer = 0;

    virtual ~Clock() = default;
    virtual int64_t NowMs() const = 0;
    // Calls fn once, ms milliseconds from now. Never calls it from inside StartTimer.
    virtual TimerId StartTimer(int ms, std::function<void()> fn) = 0;
    // Forgets a timer; no effect on one that has fired or was stopped.
    virtual void StopTimer(TimerId id) = 0;
};

}  // namespace numora
