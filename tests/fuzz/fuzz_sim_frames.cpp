// Whatever the simulator is fed, each thing it sends is an AT answer or one whole frame whose
// check sequence fits its packet. The first byte picks a few faults (never a garbled reply).
#include <cstdlib>
#include <string_view>
#include <vector>

#include "book/Records.h"
#include "link/FrameCodec.h"
#include "sim/HandsetSim.h"

namespace {

bool IsAtAnswer(std::span<const uint8_t> wire) {
    const std::string_view text(reinterpret_cast<const char*>(wire.data()), wire.size());
    return text == "\r\nOK\r\n" || text == "\r\nERROR\r\n";
}

void CheckReply(std::span<const uint8_t> wire) {
    if (IsAtAnswer(wire)) return;
    if (wire.empty() || wire.back() != 0x7E) std::abort();
    for (std::size_t k = 0; k + 1 < wire.size(); ++k) {
        if (wire[k] == 0x7E) std::abort();
    }
    std::vector<uint8_t> frame(wire.begin(), wire.end() - 1);
    frame.resize(numora::UnescapeBlock(frame));
    if (frame.size() < 3) std::abort();
    const auto packet = std::span<const uint8_t>(frame).first(frame.size() - 2);
    if (numora::Crc16X25(packet) != numora::Le16(frame, packet.size())) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    numora::SimFaults faults;
    faults.busyPolls = data[0] & 0x03;
    faults.refusePassword = (data[0] & 0x04) != 0;
    if (data[0] & 0x08) faults.refuseModeAt = {2};
    if (data[0] & 0x10) faults.dropAt = {1, 3};
    if (data[0] & 0x20) faults.hangupAt = {4};
    numora::HandsetSim sim({}, faults);
    sim.SetReplySink(CheckReply);
    const std::span<const uint8_t> rest(data + 1, size - 1);
    // In two pieces, so that frames and lines also arrive split.
    const std::size_t half = rest.size() / 2;
    sim.Feed(rest.first(half));
    sim.Feed(rest.subspan(half));
    return 0;
}
