// Finding entries as the user types. What is typed finds an entry whose name, e-mail, wireless
// address or memo holds it, compared without case or accents; when it reads as a number
// (digits and the characters numbers are written with), it also finds an entry one of whose
// numbers holds it, by its digits ("170 123" in 01701234567) or in the number's form under the
// home region ("+49170123" in the same number at home in Germany).
#pragma once

#include <array>
#include <bitset>
#include <string>
#include <string_view>

#include "book/PhoneBook.h"
#include "numbers/PhoneNumbers.h"

namespace numora {

using SlotSet = std::bitset<kEntrySlots>;

// Text with nothing but blanks is no search.
[[nodiscard]] bool IsSearch(std::string_view typed);

class BookSearch {
public:
    explicit BookSearch(const std::string& homeRegion = {});

    // Takes the entries as they are now; the searches after it read only what was taken.
    void Index(const PhoneBook& book);
    // The used slots whose entries the typed text finds.
    [[nodiscard]] SlotSet Find(std::string_view typed) const;

private:
    struct IndexedNumber {
        std::string digits;
        std::string key;  // the number's form under the home region
    };
    struct Indexed {
        std::string text;  // the folded texts, each after a separator no search holds
        std::array<IndexedNumber, kNumberKinds> numbers;
    };

    PhoneNumbers m_numbers;
    SlotSet m_used;
    std::array<Indexed, kEntrySlots> m_entries;
};

// The rows the list shows: with no search every row (the group filter blanks the rows it does
// not show); with one, the entries it finds among those the group filter shows.
[[nodiscard]] SlotSet ShownRows(const PhoneBook& book, int filterGroup, std::string_view typed,
                                const BookSearch& search);

}  // namespace numora
