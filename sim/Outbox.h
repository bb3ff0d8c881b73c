// Replies on their way to the terminal: at the line's pace when asked for (115200 baud, 8N1),
// with the gaps a fault puts between their pieces. Time and the terminal come from outside, so
// the pacing is the same on a real terminal and on the tests' clock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <span>
#include <vector>

namespace numora {

class Outbox {
public:
    // Microseconds on a steady clock.
    using Now = std::function<double()>;
    // Writes what the terminal takes: the count written, 0 when it is full, -1 when it failed.
    using Writer = std::function<long(std::span<const uint8_t>)>;

    // Ten bit times a byte.
    static constexpr double kByteMicros = 10.0 * 1e6 / 115200.0;
    // Replies nobody reads pile up no further than this; older ones are dropped.
    static constexpr std::size_t kMaxQueued = std::size_t{1} << 20;
    // The most written in one go.
    static constexpr std::size_t kChunk = 4096;
    // How long to sleep before looking again at a terminal that was full.
    static constexpr int kFullRetryMs = 10;

    Outbox(bool wireSpeed, Now now) : m_wireSpeed(wireSpeed), m_now(std::move(now)) {}

    void Add(std::span<const uint8_t> bytes);
    // The next bytes added go out this much later than the line would let them.
    void Gap(int ms) { m_gapMs += ms; }
    bool Empty() const { return m_queue.empty(); }
    std::size_t Queued() const { return m_size; }
    // Writes what may go out now; false when the terminal failed.
    bool Flush(const Writer& write);
    // How long to sleep before the next byte is due; -1 when nothing waits.
    int WaitMs() const;

private:
    struct Segment {
        std::vector<uint8_t> bytes;
        int gapMs = 0;
        bool started = false;
    };

    bool m_wireSpeed;
    Now m_now;
    std::deque<Segment> m_queue;
    std::size_t m_size = 0;
    int m_gapMs = 0;
    double m_nextByteAt = 0;
};

}  // namespace numora
