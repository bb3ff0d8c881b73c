#include "matching/NumberKeys.h"

namespace numora {

namespace {

// Long enough to tell most numbers apart, short enough that every written form of a number
// (a national or an international prefix, a carrier code) keeps them.
constexpr std::size_t kTailDigits = 4;

}  // namespace

const std::string& NumberKeys::Key(const std::string& dialable) {
    const auto found = m_keys.find(dialable);
    if (found != m_keys.end()) return found->second;
    return m_keys.emplace(dialable, m_numbers.Key(dialable)).first->second;
}

bool NumberKeys::Same(const std::string& a, const std::string& b) {
    if (a == b) return !a.empty();
    const std::string& key = Key(a);
    return !key.empty() && key == Key(b);
}

std::string_view NumberKeys::Tail(std::string_view dialable) {
    const std::string_view main = dialable.substr(0, dialable.find_first_of("PT"));
    return main.size() <= kTailDigits ? main : main.substr(main.size() - kTailDigits);
}

}  // namespace numora
