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

// Every slot in use with every field at its longest and a ringer, in groups 1 to 6, and every
// speed dial set: the largest book the handset holds.
inline CPBData LargestBook() {
    CPBData book;
    for (int g = 1; g <= 5; ++g)
        book.SetGroup(g, "Group " + std::to_string(g));
    for (int i = 0; i < kEntrySlots; ++i) {
        PBEntry e = MakeEntry(i, "Person " + std::to_string(i), static_cast<uint8_t>(1 + i % 6),
                              std::string(32, '5'));
        for (auto& n : e.numbers)
            SetNumber(n, std::string(32, static_cast<char>('0' + i % 10)));
        SetText(e.email, std::string(48, 'e'));
        SetText(e.wireless, std::string(48, 'w'));
        SetText(e.memo, std::string(48, 'm'));
        e.ringer = static_cast<uint16_t>(100 + i % 10);
        e.msgRinger = static_cast<uint16_t>(300 + i % 5);
        book.SetEntry(e);
    }
    for (int n = 2; n <= 20; ++n)
        book.SetSpeedDial(n, static_cast<uint16_t>(n * 7), kMobile);
    return book;
}

// Member slots of a group in chain order.
inline std::vector<int> Members(const CPBData& book, int g) {
    std::vector<int> out;
    book.ForEachMember(g, [&](uint16_t e) { out.push_back(e); });
    return out;
}

}  // namespace numora::test
