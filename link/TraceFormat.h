// One line of the protocol trace: time, direction, command name, bytes in hex.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "link/Trace.h"

namespace numora {

// "   12.345 > NvRead 0x0413      26 13 04 05 00 ..." with at most maxBytes bytes shown
// (0 shows all); a cut line ends with the total count. A note follows in brackets; a note
// without bytes is a remark on the run ("   12.345 * ...").
std::string FormatTraceLine(int64_t ms, TraceDir dir, std::span<const uint8_t> bytes,
                            std::size_t maxBytes = 0, std::string_view note = {});

}  // namespace numora
