#include "sim/HandsetSim.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "book/Records.h"
#include "link/FrameCodec.h"
#include "link/HandsetCommands.h"

namespace numora {

namespace {

constexpr uint8_t kCr = 0x0D;
constexpr uint8_t kLf = 0x0A;
constexpr std::size_t kMaxPending = 2 * entryrec::kSize + 5;  // the longest request, escaped
constexpr std::size_t kMinFrame = 3;                          // a code and the FCS
constexpr uint8_t kNotReady = 0x05;
constexpr uint8_t kGarble = 0x5A;
constexpr std::size_t kGarbleStride = 7;

constexpr std::string_view kAtPrefix = "AT$";
constexpr std::string_view kProbe = "AT$CHKP";
constexpr std::string_view kModeSwitch = "AT$PCDMG";
constexpr std::string_view kOk = "\r\nOK\r\n";
constexpr std::string_view kError = "\r\nERROR\r\n";

std::vector<uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

template <std::size_t N>
std::vector<uint8_t> Echo(std::span<const uint8_t> request) {
    std::vector<uint8_t> r(N, 0);
    std::copy_n(request.begin(), std::min(request.size(), N), r.begin());
    return r;
}

template <std::size_t N>
std::vector<uint8_t> Bytes(const std::array<uint8_t, N>& a) {
    return {a.begin(), a.end()};
}

}  // namespace

std::vector<uint8_t> ReplyFrame(std::span<const uint8_t> packet, bool garble) {
    if (!garble) return EncodeFrame(packet);
    std::vector<uint8_t> damaged(packet.begin(), packet.end());
    for (std::size_t k = 0; k < damaged.size(); k += kGarbleStride)
        damaged[k] ^= kGarble;
    return EncodeFrame(damaged, Crc16X25(packet));
}

std::vector<uint8_t> BadFcsFrame(std::span<const uint8_t> packet) {
    return EncodeFrame(packet, static_cast<uint16_t>(~Crc16X25(packet)));
}

HandsetSim::HandsetSim(HandsetTables tables, SimFaults faults)
    : m_tables(tables), m_faults(std::move(faults)), m_password(DefaultPassword()) {}

void HandsetSim::Feed(std::span<const uint8_t> bytes) {
    if (Talks()) return;  // it hears nothing, it only talks
    for (const uint8_t b : bytes) {
        if (m_hungUp) return;
        TakeByte(b);
    }
}

void HandsetSim::TakeByte(uint8_t b) {
    if (m_afterAtLine && b == 0) return;
    m_afterAtLine = false;
    if (b == kFrameFlag) {
        if (!m_overflow) TakeFrame();
        m_pending.clear();
        m_overflow = false;
        return;
    }
    if (m_overflow) return;
    if (b == kCr && TakeAtLine()) {
        m_pending.clear();
        m_afterAtLine = true;
        return;
    }
    if (m_pending.size() == kMaxPending) {
        m_overflow = true;
        m_pending.clear();
        return;
    }
    m_pending.push_back(b);
}

bool HandsetSim::TakeAtLine() {
    // Line ends and zero bytes left over from earlier text may stand before the line.
    const auto start = std::find_if(m_pending.begin(), m_pending.end(),
                                    [](uint8_t c) { return c != kCr && c != kLf && c != 0; });
    std::string line;
    for (auto it = start; it != m_pending.end(); ++it) {
        if (!std::isprint(*it)) return false;
        line.push_back(static_cast<char>(std::toupper(*it)));
    }
    if (!line.starts_with(kAtPrefix)) return false;
    const std::vector<uint8_t> text(start, m_pending.end());
    Trace("in", 0, "AT text", text);
    std::string_view answer = kError;
    if (line == kProbe) {
        answer = kOk;
    } else if (line == kModeSwitch) {
        answer = kOk;
        m_framed = true;
    }
    const std::vector<uint8_t> reply = Bytes(answer);
    Trace("out", 0, "AT text", reply);
    Send(reply);
    return true;
}

void HandsetSim::TakeFrame() {
    std::vector<uint8_t> frame = m_pending;
    frame.resize(UnescapeBlock(frame));
    if (frame.size() < kMinFrame) return;
    const auto packet = std::span<const uint8_t>(frame).first(frame.size() - 2);
    if (Crc16X25(packet) != Le16(frame, packet.size())) return;
    Answer(++m_requests, packet);
}

void HandsetSim::Answer(int request, std::span<const uint8_t> packet) {
    Trace("in", request, CommandName(packet), packet);
    if (m_faults.hangupAt.contains(request)) {
        Trace("hangup", request, CommandName(packet), {});
        m_hungUp = true;
        m_pending.clear();
        if (m_hangup) m_hangup();
        return;
    }
    std::vector<uint8_t> reply;
    const bool refuse = m_faults.refuseModeAt.contains(request) ||
                        (m_faults.refuseMode && packet[0] != cmd::kModeControl);
    if (refuse) {
        reply.push_back(cmd::kRefused18);
        reply.insert(reply.end(), packet.begin(), packet.end());
    } else {
        reply = Reply(packet);
    }
    if (m_faults.dropAt.contains(request)) {
        Trace("drop", request, CommandName(reply), reply);
        return;
    }
    Trace("out", request, CommandName(reply), reply);
    // A slow handset needs time for each item and record before it answers.
    const bool record = packet[0] == cmd::kNvRead || packet[0] == cmd::kNvWrite ||
                        (packet[0] >= cmd::kGroupWrite && packet[0] <= cmd::kMaskRead);
    if (record && m_faults.recordDelayMs > 0 && m_gap) m_gap(m_faults.recordDelayMs);
    const std::vector<uint8_t> frame = m_faults.badFcsAt.contains(request)
                                           ? BadFcsFrame(reply)
                                           : ReplyFrame(reply, m_faults.garbleAt.contains(request));
    if (m_faults.splitAt.contains(request) && frame.size() > 1) {
        const auto half = static_cast<std::ptrdiff_t>(frame.size() / 2);
        Send({frame.begin(), frame.begin() + half});
        if (m_gap) m_gap(m_faults.splitPauseMs);
        Send({frame.begin() + half, frame.end()});
    } else {
        Send(frame);
    }
    if (m_faults.twiceAt.contains(request)) Send(frame);
}

std::vector<uint8_t> HandsetSim::Reply(std::span<const uint8_t> packet) {
    const uint8_t code = packet[0];
    switch (code) {
        case cmd::kModeControl: {
            const uint8_t mode = ByteAt(packet, 1);
            if (mode == 2) m_framed = false;
            return {cmd::kModeControl, mode, 0};
        }
        case cmd::kStatus: {
            const int64_t now = m_now ? m_now() : 0;
            if (m_firstPollMs < 0) m_firstPollMs = now;
            const bool busy =
                m_polls++ < m_faults.busyPolls || now - m_firstPollMs < m_faults.busyForMs;
            return {cmd::kStatus, busy ? kNotReady : uint8_t{0}};
        }
        case cmd::kPassword: {
            bool match = !m_faults.refusePassword;
            for (std::size_t k = 0; k < m_password.size(); ++k) {
                match = match && ByteAt(packet, 1 + k) == m_password[k];
            }
            return {cmd::kPassword, static_cast<uint8_t>(match ? 1 : 0)};
        }
        case cmd::kEnd:
            m_framed = false;
            return {cmd::kEnd};
        case cmd::kNvRead:
            return Bytes(
                ItemReply(m_tables, Le16(packet, item::kItem), ByteAt(packet, item::kElement)));
        case cmd::kNvWrite:
            StoreItem(m_tables, packet);
            return Echo<item::kSize>(packet);
        case cmd::kMaskRead: {
            std::vector<uint8_t> r{cmd::kMaskRead};
            r.insert(r.end(), m_tables.mask.begin(), m_tables.mask.end());
            return r;
        }
        case cmd::kMaskWrite:
            StoreMask(m_tables, packet);
            return Echo<maskrec::kSize>(packet);
        case cmd::kGroupRead:
            return Bytes(GroupReply(m_tables, ByteAt(packet, grouprec::kSlot)));
        case cmd::kGroupWrite:
            StoreGroup(m_tables, packet);
            return Echo<grouprec::kWireSize>(packet);
        case cmd::kEntryRead:
            return Bytes(EntryReply(m_tables, Le16(packet, entryrec::kSlot)));
        case cmd::kEntryWrite:
            StoreEntry(m_tables, packet);
            return Echo<entryrec::kSize>(packet);
        default: {
            std::vector<uint8_t> r{cmd::kBadCommand};
            r.insert(r.end(), packet.begin(), packet.end());
            return r;
        }
    }
}

std::vector<uint8_t> HandsetSim::Chatter(std::size_t bytes) {
    std::vector<uint8_t> out;
    if (m_faults.talk == SimTalk::Flags) {
        out.assign(bytes, kFrameFlag);
        return out;
    }
    if (m_faults.talk != SimTalk::Text) return out;
    // Numbered lines of a console log: text that never says "OK" and holds no flag.
    while (out.size() < bytes) {
        const std::string line =
            "[" + std::to_string(++m_chatterLine) + "] kernel: console message, nothing to see\r\n";
        out.insert(out.end(), line.begin(), line.end());
    }
    return out;
}

void HandsetSim::Send(std::vector<uint8_t> wire) {
    if (m_reply) m_reply(wire);
}

void HandsetSim::Trace(std::string_view what, int request, std::string_view name,
                       std::span<const uint8_t> bytes) {
    if (m_trace) m_trace(what, request, name, bytes);
}

}  // namespace numora
