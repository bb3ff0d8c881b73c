#include "sim/TraceLine.h"

#include <iomanip>
#include <sstream>

namespace numora {

std::string TraceLine(double ms, std::string_view what, int request, std::string_view name,
                      std::span<const uint8_t> bytes) {
    // AT text is no request of its own: it shows a dash where the number would be.
    const std::string number = request > 0 ? "#" + std::to_string(request) : "-";
    std::ostringstream line;
    line << std::fixed << std::setprecision(3) << std::setw(12) << ms << ' ' << std::left
         << std::setw(6) << what << ' ' << std::setw(6) << number << ' ' << name << ':'
         << std::right << std::hex << std::setfill('0');
    for (const uint8_t b : bytes)
        line << ' ' << std::setw(2) << int{b};
    return line.str();
}

}  // namespace numora
