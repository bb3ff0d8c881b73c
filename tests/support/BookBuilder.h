// Small helpers to put entries into a book in tests.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "book/PBData.h"

namespace numora::test {

inline PBEntry MakeEntry(int slot, std::string_view name, uint8_t group,
                         std::string_view mobile = "0101234567") {
    PBEntry e;
    e.index = static_cast<uint16_t>(slot);
    e.group = group;
    SetText(e.name, name);
    SetNumber(e.numbers[0], mobile);
    return e;
}

inline void AddEntry(CPBData& book, int slot, std::string_view name, uint8_t group,
                     std::string_view mobile = "0101234567") {
    book.SetEntry(MakeEntry(slot, name, group, mobile));
}

// Member slots of a group in chain order.
inline std::vector<int> Members(const CPBData& book, int g) {
    std::vector<int> out;
    book.ForEachMember(g, [&](uint16_t e) { out.push_back(e); });
    return out;
}

}  // namespace numora::test
