// Letter case of the ASCII names in files and on the command line (extensions, vCard names and
// parameters, CSV headings). Other bytes pass unchanged, whatever the locale, so UTF-8 stays whole.
#pragma once

#include <string>
#include <string_view>

namespace numora {

[[nodiscard]] inline std::string LowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

[[nodiscard]] inline std::string UpperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

}  // namespace numora
