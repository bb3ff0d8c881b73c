// Frames as they cross the line, for the command-line tool's --trace and the protocol log.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace numora {

enum class TraceDir { Out, In };

class ITraceSink {
public:
    virtual ~ITraceSink() = default;
    // Out: the packet before framing (AT texts as written); In: a received block, un-escaped.
    virtual void Trace(TraceDir dir, std::span<const uint8_t> bytes) = 0;
};

// A short name for a packet, from its code and, for items, its item number ("NvRead 0x0413").
std::string_view CommandName(std::span<const uint8_t> packet);

}  // namespace numora
