#include "link/TraceFormat.h"

#include <algorithm>
#include <iomanip>
#include <sstream>

namespace numora {

namespace {
// Names are padded to one width so that the bytes line up.
constexpr std::size_t kNameWidth = 16;
}  // namespace

std::string FormatTraceLine(int64_t ms, TraceDir dir, std::span<const uint8_t> bytes,
                            std::size_t maxBytes, std::string_view note) {
    const char arrow = bytes.empty() && !note.empty() ? '*' : dir == TraceDir::Out ? '>' : '<';
    std::ostringstream head;
    head << std::setw(9) << ms / 1000 << '.' << std::setfill('0') << std::setw(3) << ms % 1000
         << ' ' << arrow << ' ';
    std::string line = head.str();
    if (bytes.empty() && !note.empty()) return line.append(note);
    const std::string_view name = CommandName(bytes);
    line += name;
    line.append(std::max(name.size(), kNameWidth) - name.size(), ' ');
    const std::size_t shown = maxBytes == 0 ? bytes.size() : std::min(bytes.size(), maxBytes);
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (std::size_t i = 0; i < shown; ++i) {
        line += ' ';
        line += kHex[bytes[i] >> 4];
        line += kHex[bytes[i] & 0xF];
    }
    if (shown < bytes.size()) line += " ... (" + std::to_string(bytes.size()) + " bytes)";
    if (!note.empty()) line.append("  [").append(note).append("]");
    return line;
}

}  // namespace numora
