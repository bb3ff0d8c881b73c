// Small helpers to put entries into a book in tests.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "book/PhoneBook.h"

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

inline void AddEntry(PhoneBook& book, int slot, std::string_view name, uint8_t group,
                     std::string_view mobile = "0101234567") {
    book.SetEntry(MakeEntry(slot, name, group, mobile));
}

// Every slot in use with every field at its longest and a ringer, in every group (0 "All" too),
// some secret, two SMS groups named and every speed dial set: the largest book the handset holds.
inline PhoneBook LargestBook() {
    PhoneBook book;
    book.SetGroup(0, "All");
    for (int g = 1; g <= 5; ++g)
        book.SetGroup(g, "Group " + std::to_string(g));
    book.SetSmsGroupName(0, "Family");
    book.SetSmsGroupName(4, "Club");
    for (int i = kEntrySlots - 1; i >= 0; --i) {  // each chain in slot order, as a read makes it
        PBEntry e = MakeEntry(i, "Person " + std::to_string(i), static_cast<uint8_t>(i % 7),
                              std::string(32, '5'));
        for (auto& n : e.numbers)
            SetNumber(n, std::string(32, static_cast<char>('0' + i % 10)));
        SetText(e.email, std::string(48, 'e'));
        SetText(e.wireless, std::string(48, 'w'));
        SetText(e.memo, std::string(48, 'm'));
        e.secret = i % 3 == 0;
        e.ringer = i % 2 ? static_cast<uint16_t>(100 + i % 10) : 0xFFFF;
        e.msgRinger = static_cast<uint16_t>(300 + i % 5);
        book.SetEntry(e);
    }
    for (int n = 2; n <= 20; ++n)
        book.SetSpeedDial(n, static_cast<uint16_t>(n * 7),
                          n % 2 ? NumberKind::Fax : NumberKind::Mobile);
    return book;
}

// A book with something in every table, some of it at the edges of what fits.
inline PhoneBook RichBook() {
    PhoneBook book;
    book.SetSmsGroupName(0, "Family SMS");
    book.SetSmsGroupName(2, "Sixteen chars!!!");
    book.SetSmsGroupName(4, "Last");
    book.SetGroup(1, "Family");
    book.SetGroup(3, "Work");
    book.SetGroup(5, "\xC9quipe");
    for (int slot : {40, 3, 299})
        AddEntry(book, slot, "Fam", 1);
    AddEntry(book, 0, "Boss", 3, std::string(32, '7'));
    AddEntry(book, 150, "Team", 5, "*22810");
    AddEntry(book, 77, "Misc", kEtcGroup, "");
    PBEntry e = book.Entry(77);
    SetText(e.email, std::string(48, 'm'));
    SetText(e.wireless, "wap.example");
    SetText(e.memo, "memo text");
    e.secret = 1;
    e.ringer = 104;
    e.msgRinger = 302;
    book.SetEntry(e);
    book.SetSpeedDial(2, 40, NumberKind::Mobile);
    book.SetSpeedDial(20, 0, NumberKind::Mobile);
    book.SetSpeedDial(9, 77, NumberKind::Fax);  // a number the entry does not have: kept as it is
    return book;
}

// Member slots of a group in chain order.
inline std::vector<int> Members(const PhoneBook& book, int g) {
    std::vector<int> out;
    book.ForEachMember(g, [&](uint16_t e) { out.push_back(e); });
    return out;
}

}  // namespace numora::test
