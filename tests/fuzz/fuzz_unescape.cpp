// Received blocks are un-escaped in place: the length never grows and the freed tail is zero.
// Encoding any packet and un-escaping the frame gives the packet, its FCS and the flag back.
// The frame reader takes any bytes and gives back any encoded packet whole and checked.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "link/FrameCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    std::vector<uint8_t> block(data, data + size);
    const std::size_t n = numora::UnescapeBlock(block);
    if (n > size) std::abort();
    for (std::size_t k = n; k < size; ++k) {
        if (block[k] != 0) std::abort();
    }

    const std::span<const uint8_t> packet(data, size);
    std::vector<uint8_t> frame = numora::EncodeFrame(packet);
    if (frame.size() > 2 * size + 5 || frame.back() != 0x7E) std::abort();
    frame.resize(numora::UnescapeBlock(frame));
    const uint16_t fcs = numora::Crc16X25(packet);
    if (frame.size() != size + 3 || !std::equal(packet.begin(), packet.end(), frame.begin()) ||
        frame[size] != (fcs & 0xFF) || frame[size + 1] != (fcs >> 8)) {
        std::abort();
    }

    numora::FrameReader reader;
    reader.Feed(packet, [](std::span<const uint8_t> p, bool) {
        if (p.size() > numora::FrameReader::kMaxFrame) std::abort();
    });
    reader.Reset();
    bool whole = false;
    const std::vector<uint8_t> wire = numora::EncodeFrame(packet);
    reader.Feed(wire, [&](std::span<const uint8_t> p, bool checked) {
        whole = checked && std::equal(p.begin(), p.end(), packet.begin(), packet.end());
    });
    if (size >= 1 && wire.size() - 1 <= numora::FrameReader::kMaxFrame && !whole) std::abort();
    return 0;
}
