// Paces the handset without blocking the window. Everything that happens on the link (frames
// written, replies handled, timer ticks) runs as a step through the pacer. A pause holds every
// later step until it has run out, so a request goes out no earlier than a blocking pause
// would have let it, and replies that arrive during a pause are handled after it, in order.
#pragma once

#include <deque>
#include <functional>

#include "link/Clock.h"

namespace numora {

class LinkPacer {
public:
    using Step = std::function<void()>;

    explicit LinkPacer(Clock& clock) : m_clock(clock) {}
    ~LinkPacer();
    LinkPacer(const LinkPacer&) = delete;
    LinkPacer& operator=(const LinkPacer&) = delete;

    // Runs the step now, or after the pauses already taken.
    void Do(Step step);
    // Holds every later step for ms milliseconds; pauses taken one after another add up.
    void Pause(int ms);
    bool Paused() const { return m_timer != Clock::kNoTimer; }
    // Forgets queued steps and any pause under way.
    void Reset();

private:
    struct Item {
        Step step;  // empty for a pause
        int pauseMs = 0;
    };

    bool MustWait() const;
    void StartPause(int ms);
    void Enqueue(Item item);
    void Run(Step& step);
    void Drain();

    Clock& m_clock;
    Clock::TimerId m_timer = Clock::kNoTimer;
    std::deque<Item> m_queue;
    // Items queued by the running step; they go ahead of everything queued before it.
    std::deque<Item>* m_ahead = nullptr;
    bool m_draining = false;
};

}  // namespace numora
