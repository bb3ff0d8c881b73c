// What identifies a person, in one small record for a book entry and a contact alike: the name
// folded (no letter case, accents, punctuation or word order: "Meyer, Anna" is "anna meyer"),
// the numbers as the handset dials them, the e-mails without letter case. Numbers are compared
// through their keys (NumberKeys), which need the home region.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "book/PhoneBook.h"

namespace numora {

struct Person {
    std::string name;                  // folded
    std::vector<std::string> numbers;  // dialable, as the entry holds them
    std::vector<std::string> emails;   // folded
};

// The words of a name in the book's bytes, each folded, sorted and joined by one space.
[[nodiscard]] std::string FoldName(std::string_view latin1);
// The same for a name in UTF-8: a character without a Latin-1 form stays as it is.
[[nodiscard]] std::string FoldNameUtf8(std::string_view utf8);
[[nodiscard]] std::string FoldEmail(std::string_view email);

[[nodiscard]] Person PersonOfEntry(const PBEntry& entry);
// A person from elsewhere (an address book's contact), name and e-mails in UTF-8, numbers as
// the handset dials them.
[[nodiscard]] Person PersonOf(std::string_view nameUtf8, std::span<const std::string> numbers,
                              std::span<const std::string> emails);

}  // namespace numora
