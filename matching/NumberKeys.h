// The keys of numbers under the home region, each worked out once. Placing a number is the
// slow part of matching (the phone-number library parses it), so candidates are found by the
// last digits of the number as dialled, and keys are worked out only for the numbers of
// candidate pairs: two written forms of one number end in the same digits.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

#include "numbers/PhoneNumbers.h"

namespace numora {

class NumberKeys {
public:
    explicit NumberKeys(PhoneNumbers numbers) : m_numbers(std::move(numbers)) {}

    const PhoneNumbers& Numbers() const { return m_numbers; }

    // The key every written form of the number shares; empty for no number.
    [[nodiscard]] const std::string& Key(const std::string& dialable);
    [[nodiscard]] bool Same(const std::string& a, const std::string& b);

    // The last digits before a pause: what finds the candidates that share a number.
    [[nodiscard]] static std::string_view Tail(std::string_view dialable);

private:
    PhoneNumbers m_numbers;
    std::unordered_map<std::string, std::string> m_keys;
};

}  // namespace numora
