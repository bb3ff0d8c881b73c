// The handset's side of the line, without any I/O: bytes from the program go in through Feed,
// the handset's answers come out through the reply callback as they would appear on the wire.
//
// The handset starts in AT mode. An AT line ("at$..." ended by CR, in any letter case) is
// answered in either mode, since every run probes the port again; "AT$PCDMG" switches to framed
// mode, and End (0x44) or mode control 2 switch back. A complete frame with a good check
// sequence is answered in either mode; a frame that is too short or damaged gets no answer.
// Request numbers count the good frames from 1; they pick the faults to inject.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <span>
#include <string_view>
#include <vector>

#include "link/PhoneLink.h"
#include "sim/HandsetTables.h"

namespace numora {

// A port that is no handset and talks without pause: console text, or frame flags.
enum class SimTalk { None, Text, Flags };

struct SimFaults {
    int busyPolls = 0;            // the first polls answer "not ready"
    int busyForMs = 0;            // polls answer "not ready" this long after the first
    bool refusePassword = false;  // every password is refused
    bool refuseMode = false;      // every request but mode control is refused, for ever
    std::set<int> refuseModeAt;   // these requests are refused (0x18 and the request)
    std::set<int> dropAt;         // these requests are carried out, their replies lost
    std::set<int> garbleAt;       // these replies are damaged on the way, their FCS kept
    std::set<int> badFcsAt;       // these replies come with a damaged check sequence
    std::set<int> twiceAt;        // these replies are sent twice, one after the other
    std::set<int> splitAt;        // these replies come in two halves, splitPauseMs apart
    int splitPauseMs = 1000;
    int recordDelayMs = 0;         // item and record requests are answered this much later
    std::set<int> hangupAt;        // at this request the handset hangs up without answering
    SimTalk talk = SimTalk::None;  // answers nothing, and sends Chatter without pause
};

class HandsetSim {
public:
    using WireFn = std::function<void(std::span<const uint8_t>)>;
    // The bytes sent after this call go on the line ms later than they would.
    using GapFn = std::function<void(int ms)>;
    // What happens to each request: "in", "out", "drop", "hangup"; request 0 for AT lines.
    using TraceFn = std::function<void(std::string_view what, int request, std::string_view name,
                                       std::span<const uint8_t> bytes)>;

    explicit HandsetSim(HandsetTables tables = {}, SimFaults faults = {});

    void SetReplySink(WireFn fn) { m_reply = std::move(fn); }
    void SetGapSink(GapFn fn) { m_gap = std::move(fn); }
    // The handset's sense of time, for faults that last a while; none by default.
    void SetClock(std::function<int64_t()> nowMs) { m_now = std::move(nowMs); }
    void SetHangupHook(std::function<void()> fn) { m_hangup = std::move(fn); }
    void SetTrace(TraceFn fn) { m_trace = std::move(fn); }
    void SetPassword(const Password& password) { m_password = password; }

    // Takes bytes as they arrive, in pieces of any size. After a hang-up nothing is taken.
    void Feed(std::span<const uint8_t> bytes);

    // The next bytes a talking port sends, about this many; empty when it does not talk.
    std::vector<uint8_t> Chatter(std::size_t bytes);
    bool Talks() const { return m_faults.talk != SimTalk::None; }

    bool Framed() const { return m_framed; }
    bool HungUp() const { return m_hungUp; }
    int Requests() const { return m_requests; }
    const HandsetTables& Tables() const { return m_tables; }

private:
    void TakeByte(uint8_t b);
    bool TakeAtLine();
    void TakeFrame();
    void Answer(int request, std::span<const uint8_t> packet);
    std::vector<uint8_t> Reply(std::span<const uint8_t> packet);
    void Send(std::vector<uint8_t> wire);
    void Trace(std::string_view what, int request, std::string_view name,
               std::span<const uint8_t> bytes);

    HandsetTables m_tables;
    SimFaults m_faults;
    Password m_password;
    WireFn m_reply;
    GapFn m_gap;
    std::function<int64_t()> m_now;
    std::function<void()> m_hangup;
    TraceFn m_trace;

    std::vector<uint8_t> m_pending;  // bytes since the last flag or AT line
    bool m_overflow = false;         // more than any frame holds: dropped up to the next flag
    bool m_afterAtLine = false;      // the mode switch text ends in a zero byte
    bool m_framed = false;
    bool m_hungUp = false;
    int m_requests = 0;
    int m_polls = 0;
    int64_t m_firstPollMs = -1;
    std::size_t m_chatterLine = 0;
};

// The frame the handset sends for a reply: escaped packet, escaped FCS, 0x7E. A garbled reply
// has 0x5A mixed into byte 0 and every 7th byte after it, under the FCS of the sound reply.
std::vector<uint8_t> ReplyFrame(std::span<const uint8_t> packet, bool garble = false);
// The same frame with its check sequence damaged (complemented).
std::vector<uint8_t> BadFcsFrame(std::span<const uint8_t> packet);

}  // namespace numora
