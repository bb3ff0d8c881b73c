// The differences between two books as a person recognises them: which entry (slot and name),
// which field, the old and the new value; and the groups, SMS groups and speed dials. The order
// of a group's members is not a difference: a read rebuilds the chains in slot order, a file
// in saved order, and both are the same book.
#pragma once

#include <string>
#include <vector>

#include "book/PhoneBook.h"

namespace numora {

enum class DiffItem : uint8_t { Entry, Group, SmsGroup, SpeedDial };
enum class DiffChange : uint8_t { Added, Removed, Changed };

struct BookDifference {
    DiffItem item = DiffItem::Entry;
    DiffChange change = DiffChange::Changed;
    int slot = 0;        // entry 0..299, group 0..6, SMS group 0..4, speed-dial number 2..20
    std::string name;    // the entry's or group's name (the old one when it was removed)
    std::string field;   // what changed, as the form names it; empty for a whole added or
                         // removed item
    std::string before;  // empty when added
    std::string after;   // empty when removed
    bool operator==(const BookDifference&) const = default;
};

// What changes from book a to book b, entries first in slot order, then groups, SMS groups
// and speed dials. Empty when the books are the same.
[[nodiscard]] std::vector<BookDifference> CompareBooks(const PhoneBook& a, const PhoneBook& b);

// One line for a person, naming the slot: `entry 12 "Ada": Mobile "0123" -> "0456"`. Text is
// kept byte for byte, as the book holds it.
std::string DifferenceLine(const BookDifference& d);

// The differences as one JSON array, each text byte shown as the Latin-1 character of its value.
std::string DifferencesJson(const std::vector<BookDifference>& diffs);

}  // namespace numora
