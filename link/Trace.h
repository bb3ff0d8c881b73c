// Frames as they cross the line, for the command-line tool's --trace and the protocol log.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace numora {

enum class TraceDir { Out, In };

class TraceSink {
public:
    virtual ~TraceSink() = default;
    // Out: the packet before framing (AT texts as written); In: a received block, un-escaped.
    virtual void Trace(TraceDir dir, std::span<const uint8_t> bytes) = 0;
    // A frame with a word on what became of it ("ignored"), or a remark on the run without
    // bytes. Sinks that show no remarks trace the bytes alone.
    virtual void TraceNote(TraceDir dir, std::span<const uint8_t> bytes, std::string_view note) {
        if (!bytes.empty()) Trace(dir, bytes);
        (void)note;
    }
};

// A short name for a packet, from its code and, for items, its item number ("NvRead 0x0413").
std::string_view CommandName(std::span<const uint8_t> packet);

}  // namespace numora
