// The frame codec: packets go out with 0x7E/0x7D escaped, a CRC-16/X.25 check sequence and a
// closing flag; received blocks only have the two escape pairs removed.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace numora {

constexpr uint8_t kFrameFlag = 0x7E;
constexpr uint8_t kFrameEscape = 0x7D;

// CRC-16/X.25 of the bytes (reflected 0x8408, initial 0xFFFF, final complement), table-driven.
uint16_t Crc16X25(std::span<const uint8_t> bytes);
// The lookup table behind it: entry i is i run through eight reflected shifts with 0x8408.
const std::array<uint16_t, 256>& Crc16X25Table();

// The whole frame for a packet: escaped packet, escaped FCS (low byte first), 0x7E.
// An empty packet gives 0x00 0x00 0x7E.
std::vector<uint8_t> EncodeFrame(std::span<const uint8_t> packet);
// The same with a check sequence given by the caller (one computed over other bytes).
std::vector<uint8_t> EncodeFrame(std::span<const uint8_t> packet, uint16_t fcs);

// Removes the escapes of a received block in place: 0x7D 0x5E becomes 0x7E, 0x7D 0x5D becomes
// 0x7D, any other pair after 0x7D disappears, a trailing 0x7D is dropped. The bytes after the
// new length are zeroed. Returns the new length.
std::size_t UnescapeBlock(std::span<uint8_t> block);

// Gathers received bytes across bursts and cuts them into frames at the closing flags. A
// reply split over several bursts comes out whole, several replies in one burst one by one.
// Each frame is handed on as soon as its flag arrives: escapes removed, its check sequence
// tested, the packet without FCS and flag. Nothing is held beyond one reply's length.
class FrameReader {
public:
    // packet: the frame without its FCS and flag; checked: the FCS matched.
    using FrameFn = std::function<void(std::span<const uint8_t> packet, bool checked)>;

    // No reply is longer than this, escaped; bytes beyond it without a flag are noise, handed
    // on unchecked for every so many of them.
    static constexpr std::size_t kMaxFrame = 2 * 344 + 5;

    void Feed(std::span<const uint8_t> bytes, const FrameFn& onFrame);
    // Forgets a half-gathered frame.
    void Reset() {
        m_pending.clear();
        m_overflow = false;
    }
    std::size_t Pending() const { return m_pending.size(); }

private:
    std::vector<uint8_t> m_pending;
    bool m_overflow = false;
};

}  // namespace numora
