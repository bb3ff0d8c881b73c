// Time on Qt's event loop: single-shot timers that never fire early, so a pause holds the line
// at least as long as it says.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <functional>
#include <map>

#include "link/Clock.h"

class QTimer;

namespace numora {

class QtClock : public QObject, public Clock {
    Q_OBJECT
public:
    explicit QtClock(QObject* parent = nullptr);
    ~QtClock() override;

    int64_t NowMs() const override { return m_elapsed.elapsed(); }
    TimerId StartTimer(int ms, std::function<void()> fn) override;
    void StopTimer(TimerId id) override;

private:
    struct Pending {
        QTimer* timer;
        int64_t due;
        std::function<void()> fn;
    };
    void Fire(TimerId id);

    QElapsedTimer m_elapsed;
    std::map<TimerId, Pending> m_pending;
    TimerId m_nextId = 0;
};

}  // namespace numora
