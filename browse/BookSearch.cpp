#include "browse/BookSearch.h"

#include <algorithm>

#include "text/Folding.h"

namespace numora {

namespace {

constexpr char kFieldSeparator = '\x01';
constexpr std::string_view kNumberMarks = " +-()./";

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string DigitsOf(std::string_view text) {
    std::string digits;
    for (const char c : text) {
        if (IsDigit(c)) digits += c;
    }
    return digits;
}

// Digits written the way numbers are, with at least one digit.
bool ReadsAsNumber(std::string_view typed) {
    return std::any_of(typed.begin(), typed.end(), IsDigit) &&
           std::all_of(typed.begin(), typed.end(), [](char c) {
               return IsDigit(c) || kNumberMarks.find(c) != std::string_view::npos;
           });
}

std::string_view Trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

bool IsSearch(std::string_view typed) {
    return !Trimmed(typed).empty();
}

BookSearch::BookSearch(const std::string& homeRegion) : m_numbers(homeRegion) {}

void BookSearch::Index(const PhoneBook& book) {
    m_used.reset();
    for (int slot = 0; slot < kEntrySlots; ++slot) {
        Indexed& at = m_entries[static_cast<std::size_t>(slot)];
        at = {};
        PBEntry e;
        if (!book.GetEntry(slot, e)) continue;
        m_used.set(static_cast<std::size_t>(slot));
        for (const std::string_view field :
             {TextOf(e.name), TextOf(e.email), TextOf(e.wireless), TextOf(e.memo)}) {
            at.text += kFieldSeparator;
            at.text += FoldLetters(field);
        }
        for (std::size_t k = 0; k < at.digits.size(); ++k) {
            const std::string_view number = NumberText(e.numbers[k]);
            if (number.empty()) continue;
            at.digits[k] = DigitsOf(number);
            at.keys[k] = m_numbers.Key(number);
        }
    }
}

SlotSet BookSearch::Find(std::string_view typed) const {
    const std::string_view query = Trimmed(typed);
    SlotSet found;
    if (query.empty()) return found;
    const std::string text = FoldLetters(query);
    const bool number = ReadsAsNumber(query);
    const std::string digits = number ? DigitsOf(query) : std::string();
    // The number's form under the home region, where it says more than its digits.
    std::string key = number ? m_numbers.Key(query) : std::string();
    if (key == digits) key.clear();
    for (int slot = 0; slot < kEntrySlots; ++slot) {
        if (!m_used.test(static_cast<std::size_t>(slot))) continue;
        const Indexed& at = m_entries[static_cast<std::size_t>(slot)];
        bool hit = at.text.find(text) != std::string::npos;
        for (std::size_t k = 0; number && !hit && k < at.digits.size(); ++k) {
            hit = (!at.digits[k].empty() && at.digits[k].find(digits) != std::string::npos) ||
                  (!key.empty() && at.keys[k].find(key) != std::string::npos);
        }
        found.set(static_cast<std::size_t>(slot), hit);
    }
    return found;
}

SlotSet ShownRows(const PhoneBook& book, int filterGroup, std::string_view typed,
                  const BookSearch& search) {
    SlotSet shown;
    if (!IsSearch(typed)) return shown.set();
    if (filterGroup == kAllGroup) {
        for (int slot = 0; slot < kEntrySlots; ++slot)
            shown.set(static_cast<std::size_t>(slot), book.IsValidEntry(slot));
    } else {
        book.ForEachMember(filterGroup, [&](uint16_t slot) {
            if (slot < kEntrySlots) shown.set(slot);
        });
    }
    return shown & search.Find(typed);
}

}  // namespace numora
