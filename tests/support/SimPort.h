// A serial port wired straight to the simulated handset, on the tests' clock: what the program
// writes goes into the handset at once, and the handset's answers come back as one block a
// little later, the way the port gathers a burst; a gap the handset puts into its answer
// splits it into two blocks that far apart. Every write is kept with its time. A handset that
// talks without pause fills every block it can while the port is open. The port names in
// `answering` open; "*" opens every name, as a device named with --port does.
#pragma once

#include <algorithm>
#include <deque>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "link/FrameCodec.h"
#include "link/Port.h"
#include "sim/HandsetSim.h"
#include "support/FakeClock.h"

namespace numora::test {

struct Written {
    int64_t ms;
    std::vector<uint8_t> bytes;
};

class SimPort : public Port {
public:
    // Replies reach the program this long after the request: the handset's answer time and
    // the port's 50 ms of quiet that end a block.
    static constexpr int kReplyDelayMs = 60;

    // A talking port's block every so often, as full as the port delivers them.
    static constexpr int kChatterMs = 10;
    static constexpr std::size_t kChatterBytes = 4096;

    SimPort(FakeClock& clock, HandsetSim& sim, std::set<std::string> answering = {"COM3"})
        : m_clock(clock), m_sim(sim), m_answering(std::move(answering)) {
        m_sim.SetReplySink([this](std::span<const uint8_t> wire) {
            if (m_open) Queue(wire);
        });
        m_sim.SetGapSink([this](int ms) { m_gapMs += ms; });
        m_sim.SetClock([this] { return m_clock.NowMs(); });
        m_sim.SetHangupHook([this] {
            Close();
            if (m_onLost) m_onLost();
        });
    }

    void SetReceiver(std::function<void(std::span<uint8_t>)> fn) { m_receive = std::move(fn); }
    void SetOnLost(std::function<void()> fn) { m_onLost = std::move(fn); }

    bool Open(const std::string& name, int) override {
        opened.push_back(name);
        m_open = m_answering.count(name) != 0 || m_answering.count("*") != 0;
        if (m_open && m_sim.Talks()) Talk();
        return m_open;
    }
    void Close() override {
        m_open = false;
        m_blocks.clear();
        m_gapMs = 0;
        if (m_timer != Clock::kNoTimer) m_clock.StopTimer(m_timer);
        m_timer = Clock::kNoTimer;
        if (m_talker != Clock::kNoTimer) m_clock.StopTimer(m_talker);
        m_talker = Clock::kNoTimer;
    }
    bool IsOpen() const override { return m_open; }
    int Write(std::span<const uint8_t> bytes) override {
        if (!m_open) return 0;
        writes.push_back({m_clock.NowMs(), {bytes.begin(), bytes.end()}});
        m_sim.Feed(bytes);
        return static_cast<int>(bytes.size());
    }

    // The packets of the framed requests written, in order (AT texts left out), each with the
    // time it went out.
    std::vector<Written> Requests() const {
        std::vector<Written> out;
        for (const Written& w : writes) {
            if (w.bytes.size() < 3 || w.bytes.back() != 0x7E) continue;
            if (w.bytes[0] == 'a' || w.bytes[0] == 'A') continue;
            std::vector<uint8_t> copy = w.bytes;
            const std::size_t n = UnescapeBlock(copy);
            copy.resize(n - 3);  // FCS and flag
            out.push_back({w.ms, copy});
        }
        return out;
    }

    // Bytes that reach the program as if the handset had sent them, after the usual delay.
    void Inject(std::span<const uint8_t> wire) { Queue(wire); }

    std::vector<std::string> opened;
    std::vector<Written> writes;
    int chatterBlocks = 0;

private:
    struct Block {
        int64_t due;
        std::vector<uint8_t> bytes;
    };

    void Queue(std::span<const uint8_t> wire) {
        int64_t due = m_clock.NowMs() + kReplyDelayMs;
        if (!m_blocks.empty()) due = std::max(due, m_blocks.back().due);
        due += std::exchange(m_gapMs, 0);
        if (!m_blocks.empty() && m_blocks.back().due == due) {
            m_blocks.back().bytes.insert(m_blocks.back().bytes.end(), wire.begin(), wire.end());
            return;
        }
        m_blocks.push_back({due, {wire.begin(), wire.end()}});
        if (m_timer == Clock::kNoTimer) ArmFor(m_blocks.front());
    }

    void Talk() {
        if (m_talker != Clock::kNoTimer) return;
        m_talker = m_clock.StartTimer(kChatterMs, [this] {
            m_talker = Clock::kNoTimer;
            if (!m_open) return;
            std::vector<uint8_t> block = m_sim.Chatter(kChatterBytes);
            ++chatterBlocks;
            Talk();
            if (m_receive) m_receive(block);
        });
    }

    void ArmFor(const Block& block) {
        const int wait = static_cast<int>(std::max<int64_t>(0, block.due - m_clock.NowMs()));
        m_timer = m_clock.StartTimer(wait, [this] { Deliver(); });
    }

    void Deliver() {
        m_timer = Clock::kNoTimer;
        if (m_blocks.empty()) return;
        std::vector<uint8_t> block = std::move(m_blocks.front().bytes);
        m_blocks.pop_front();
        if (!m_blocks.empty()) ArmFor(m_blocks.front());
        if (m_open && m_receive && !block.empty()) m_receive(block);
    }

    FakeClock& m_clock;
    HandsetSim& m_sim;
    std::set<std::string> m_answering;
    std::function<void(std::span<uint8_t>)> m_receive;
    std::function<void()> m_onLost;
    std::deque<Block> m_blocks;
    int m_gapMs = 0;
    Clock::TimerId m_timer = Clock::kNoTimer;
    Clock::TimerId m_talker = Clock::kNoTimer;
    bool m_open = false;
};

}  // namespace numora::test
