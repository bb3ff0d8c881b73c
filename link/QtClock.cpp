#include "link/QtClock.h"

#include <QTimer>

namespace numora {

QtClock::QtClock(QObject* parent) : QObject(parent) {
    m_elapsed.start();
}

QtClock::~QtClock() {
    for (auto& [id, p] : m_pending)
        delete p.timer;
}

Clock::TimerId QtClock::StartTimer(int ms, std::function<void()> fn) {
    const TimerId id = ++m_nextId;
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    connect(timer, &QTimer::timeout, this, [this, id] { Fire(id); });
    m_pending[id] = Pending{timer, NowMs() + ms, std::move(fn)};
    timer->start(ms);
    return id;
}

void QtClock::StopTimer(TimerId id) {
    const auto it = m_pending.find(id);
    if (it == m_pending.end()) return;
    it->second.timer->stop();
    it->second.timer->deleteLater();
    m_pending.erase(it);
}

void QtClock::Fire(TimerId id) {
    const auto it = m_pending.find(id);
    if (it == m_pending.end()) return;
    const int64_t early = it->second.due - NowMs();
    if (early > 0) {
        // Never early: wait out the rest.
        it->second.timer->start(static_cast<int>(early));
        return;
    }
    auto fn = std::move(it->second.fn);
    it->second.timer->deleteLater();
    m_pending.erase(it);
    fn();
}

}  // namespace numora
