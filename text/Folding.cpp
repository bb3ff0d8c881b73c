#include "text/Folding.h"

namespace numora {

char FoldLetter(unsigned char c) {
    // 0xC0 to 0xFF; '*' marks the two signs among the letters, kept as they are.
    static constexpr std::string_view kFold =
        "aaaaaaaceeeeiiiidnooooo*ouuuuyts"
        "aaaaaaaceeeeiiiidnooooo*ouuuuyty";
    if (c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
    if (c >= 0xC0 && kFold[c - 0xC0] != '*') return kFold[c - 0xC0];
    return static_cast<char>(c);
}

std::string FoldLetters(std::string_view latin1) {
    std::string out;
    for (char c : latin1) {
        const auto u = static_cast<unsigned char>(c);
        out += FoldLetter(u);
        if (u == 0xDF) out += 's';
    }
    return out;
}

}  // namespace numora
