#include "sim/Outbox.h"

#include <algorithm>
#include <utility>

namespace numora {

void Outbox::Add(std::span<const uint8_t> bytes) {
    if (m_queue.empty() && m_gapMs == 0) m_nextByteAt = std::max(m_nextByteAt, m_now());
    m_queue.push_back({{bytes.begin(), bytes.end()}, std::exchange(m_gapMs, 0), false});
    m_size += bytes.size();
    while (m_size > kMaxQueued && m_queue.size() > 1) {
        m_size -= m_queue.front().bytes.size();
        m_queue.pop_front();
    }
}

bool Outbox::Flush(const Writer& write) {
    while (!m_queue.empty()) {
        Segment& front = m_queue.front();
        if (!front.started) {
            // A gap counts from the moment the bytes before it have gone.
            front.started = true;
            m_nextByteAt = std::max(m_nextByteAt, m_now()) + front.gapMs * 1000.0;
        }
        if (m_now() < m_nextByteAt && (m_wireSpeed || front.gapMs > 0)) return true;
        std::size_t n = std::min(front.bytes.size(), kChunk);
        if (m_wireSpeed) {
            const double late = m_now() - m_nextByteAt;
            n = std::min(n, static_cast<std::size_t>(late / kByteMicros) + 1);
        }
        const long written = write(std::span(front.bytes).first(n));
        if (written < 0) return false;
        front.bytes.erase(front.bytes.begin(), front.bytes.begin() + written);
        m_size -= static_cast<std::size_t>(written);
        m_nextByteAt =
            m_wireSpeed ? m_nextByteAt + static_cast<double>(written) * kByteMicros : m_now();
        if (front.bytes.empty()) {
            m_queue.pop_front();
        } else {
            front.gapMs = 0;
        }
        if (static_cast<std::size_t>(written) < n) return true;
    }
    return true;
}

int Outbox::WaitMs() const {
    if (m_queue.empty()) return -1;
    const Segment& front = m_queue.front();
    if (!m_wireSpeed && front.gapMs == 0) return kFullRetryMs;
    double due = m_nextByteAt;
    if (!front.started) due = std::max(m_nextByteAt, m_now()) + front.gapMs * 1000.0;
    const double wait = due - m_now();
    return wait <= 0 ? 0 : static_cast<int>(wait / 1000.0) + 1;
}

}  // namespace numora
