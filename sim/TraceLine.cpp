#include "sim/TraceLine.h"

#include <cstdio>

namespace numora {

std::string TraceLine(double ms, std::string_view what, int request, std::string_view name,
                      std::span<const uint8_t> bytes) {
    char head[64];
    if (request > 0) {
        std::snprintf(head, sizeof head, "%12.3f %-6.6s #%-5d ", ms, std::string(what).c_str(),
                      request);
    } else {
        std::snprintf(head, sizeof head, "%12.3f %-6.6s %-6s ", ms, std::string(what).c_str(), "-");
    }
    std::string line = head;
    line += name;
    line += ':';
    constexpr char kHex[] = "0123456789abcdef";
    for (const uint8_t b : bytes) {
        line += ' ';
        line += kHex[b >> 4];
        line += kHex[b & 0xF];
    }
    return line;
}

}  // namespace numora
