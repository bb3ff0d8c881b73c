// One line of the simulator's --trace: milliseconds since start, what happened, the request's
// number, the packet's name and its bytes in hexadecimal.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace numora {

std::string TraceLine(double ms, std::string_view what, int request, std::string_view name,
                      std::span<const uint8_t> bytes);

}  // namespace numora
