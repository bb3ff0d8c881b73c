#include "link/FrameCodec.h"

#include <algorithm>
#include <array>
#include <utility>

namespace numora {

namespace {

constexpr uint8_t kEscapedFlag = 0x5E;
constexpr uint8_t kEscapedEscape = 0x5D;
constexpr uint8_t kEscapeXor = 0x20;

constexpr std::array<uint16_t, 256> MakeCrcTable() {
    std::array<uint16_t, 256> table{};
    for (unsigned i = 0; i < table.size(); ++i) {
        unsigned crc = i;
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1u) ? (crc >> 1) ^ 0x8408u : crc >> 1;
        table[i] = static_cast<uint16_t>(crc);
    }
    return table;
}

constexpr std::array<uint16_t, 256> kCrcTable = MakeCrcTable();
static_assert(kCrcTable[1] == 0x1189 && kCrcTable[255] == 0x0F78);

void PutEscaped(std::vector<uint8_t>& out, uint8_t b) {
    if (b == kFrameFlag || b == kFrameEscape) {
        out.push_back(kFrameEscape);
        out.push_back(static_cast<uint8_t>(b ^ kEscapeXor));
    } else {
        out.push_back(b);
    }
}

}  // namespace

const std::array<uint16_t, 256>& Crc16X25Table() {
    return kCrcTable;
}

uint16_t Crc16X25(std::span<const uint8_t> bytes) {
    uint16_t crc = 0xFFFF;
    for (const uint8_t b : bytes) {
        crc = static_cast<uint16_t>((crc >> 8) ^ kCrcTable[(crc ^ b) & 0xFF]);
    }
    return static_cast<uint16_t>(crc ^ 0xFFFF);
}

std::vector<uint8_t> EncodeFrame(std::span<const uint8_t> packet) {
    return EncodeFrame(packet, Crc16X25(packet));
}

std::vector<uint8_t> EncodeFrame(std::span<const uint8_t> packet, uint16_t fcs) {
    std::vector<uint8_t> frame;
    for (const uint8_t b : packet)
        PutEscaped(frame, b);
    PutEscaped(frame, static_cast<uint8_t>(fcs & 0xFF));
    PutEscaped(frame, static_cast<uint8_t>(fcs >> 8));
    frame.push_back(kFrameFlag);
    return frame;
}

std::size_t UnescapeBlock(std::span<uint8_t> block) {
    // The write index never passes the read index, so the block is rewritten in place.
    std::size_t out = 0;
    for (std::size_t i = 0; i < block.size(); ++i) {
        const uint8_t b = block[i];
        if (b != kFrameEscape) {
            block[out++] = b;
            continue;
        }
        if (++i == block.size()) break;
        if (block[i] == kEscapedFlag) {
            block[out++] = kFrameFlag;
        } else if (block[i] == kEscapedEscape) {
            block[out++] = kFrameEscape;
        }
    }
    std::fill(block.begin() + static_cast<std::ptrdiff_t>(out), block.end(), uint8_t{0});
    return out;
}

void FrameReader::Feed(std::span<const uint8_t> bytes, const FrameFn& onFrame) {
    for (const uint8_t b : bytes) {
        if (b != kFrameFlag) {
            if (m_pending.size() < kMaxFrame) {
                m_pending.push_back(b);
            } else {
                // Longer than any reply: each such stretch is reported as a damaged frame at
                // once, so that a line of noise without flags is noticed without holding it.
                onFrame(m_pending, false);
                m_pending.clear();
                m_overflow = true;
            }
            continue;
        }
        std::vector<uint8_t> frame;
        frame.swap(m_pending);
        // The tail of an overlong frame was reported with it; two flags in a row carry nothing:
        // an opening flag, or line noise.
        if (std::exchange(m_overflow, false) || frame.empty()) continue;
        frame.resize(UnescapeBlock(frame));
        const bool sound = frame.size() >= 3;
        const std::size_t body = sound ? frame.size() - 2 : frame.size();
        const std::span<const uint8_t> packet(frame.data(), body);
        const bool checked =
            sound && Crc16X25(packet) == static_cast<uint16_t>(frame[body] | frame[body + 1] << 8);
        onFrame(packet, checked);
    }
}

}  // namespace numora
