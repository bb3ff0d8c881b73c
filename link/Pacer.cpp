#include "link/Pacer.h"

#include <utility>

namespace numora {

LinkPacer::~LinkPacer() {
    Reset();
}

bool LinkPacer::MustWait() const {
    // Inside a step only its own pause can hold what follows; outside, anything still queued.
    return Paused() || (m_ahead == nullptr && !m_queue.empty());
}

void LinkPacer::Do(Step step) {
    if (MustWait()) {
        Enqueue(Item{std::move(step), 0});
    } else {
        Run(step);
    }
}

void LinkPacer::Pause(int ms) {
    if (ms <= 0) return;
    if (MustWait()) {
        Enqueue(Item{{}, ms});
    } else {
        StartPause(ms);
    }
}

void LinkPacer::Reset() {
    if (m_timer != Clock::kNoTimer) m_clock.StopTimer(m_timer);
    m_timer = Clock::kNoTimer;
    m_queue.clear();
    if (m_ahead != nullptr) m_ahead->clear();
}

void LinkPacer::StartPause(int ms) {
    m_timer = m_clock.StartTimer(ms, [this] {
        m_timer = Clock::kNoTimer;
        // A pause can run out inside a step (a message box runs its own event loop); what
        // waited then goes on once that step is over.
        if (m_ahead == nullptr) Drain();
    });
}

void LinkPacer::Enqueue(Item item) {
    if (m_ahead != nullptr) {
        m_ahead->push_back(std::move(item));
    } else {
        m_queue.push_back(std::move(item));
    }
}

void LinkPacer::Run(Step& step) {
    if (m_ahead != nullptr) {
        step();  // a step taken inside another runs in its place, as a call would
        return;
    }
    std::deque<Item> ahead;
    m_ahead = &ahead;
    step();
    m_ahead = nullptr;
    m_queue.insert(m_queue.begin(), std::make_move_iterator(ahead.begin()),
                   std::make_move_iterator(ahead.end()));
    if (!m_draining) Drain();
}

void LinkPacer::Drain() {
    if (m_draining) return;
    m_draining = true;
    while (!Paused() && !m_queue.empty()) {
        Item item = std::move(m_queue.front());
        m_queue.pop_front();
        if (item.step) {
            Run(item.step);
        } else {
            StartPause(item.pauseMs);
        }
    }
    m_draining = false;
}

}  // namespace numora
