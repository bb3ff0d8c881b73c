#include "text/HandsetText.h"

#include "text/HandsetTextForms.h"

namespace numora {

std::optional<std::string> NearestLatin1(char32_t cp) {
    using namespace latin1;
    if (cp <= 0xFF) return std::string(1, static_cast<char>(cp));
    if (cp < 0x100 + kExtendedA.size() && kExtendedA[cp - 0x100] != '~') {
        return std::string(1, kExtendedA[cp - 0x100]);
    }
    if (cp >= kFullwidthFirst && cp <= kFullwidthLast) {
        return std::string(1, static_cast<char>(cp - kFullwidthOffset));
    }
    for (const Form& f : kForms) {
        if (cp >= f.first && cp <= f.last) return std::string(f.text);
    }
    return std::nullopt;
}

}  // namespace numora
