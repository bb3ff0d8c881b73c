// A small book spread over several groups, and a comparison that ignores chain order (a read
// rebuilds each chain in slot order).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "book/PBData.h"

namespace numora::test {

inline PBEntry SampleEntry(int slot, uint8_t group, const std::string& name) {
    PBEntry e;
    e.index = static_cast<uint16_t>(slot);
    e.group = group;
    SetText(e.name, name);
    SetNumber(e.numbers[0], "0100" + std::to_string(slot));
    SetText(e.memo, "memo of " + name);
    e.ringer = 103;
    e.msgRinger = 302;
    return e;
}

inline CPBData SampleBook() {
    CPBData book;
    book.SetGroup(1, "Family");
    book.SetGroup(2, "Work");
    book.SetEntry(SampleEntry(0, 1, "Ann"));
    PBEntry bob = SampleEntry(5, 2, "Bob");
    SetNumber(bob.numbers[2], "777~}");  // the two bytes the frames escape
    SetText(bob.email, "bob@example.org");
    bob.secret = 1;
    book.SetEntry(bob);
    book.SetEntry(SampleEntry(9, kEtcGroup, "Cy"));
    PBEntry dee = SampleEntry(42, 1, "Dee");
    SetText(dee.wireless, "dee.wap");
    book.SetEntry(dee);
    PBEntry eve = SampleEntry(299, 2, "Eve");
    for (auto& n : eve.numbers)
        SetNumber(n, "12345678901234567890123456789012");
    book.SetEntry(eve);
    book.SetSpeedDial(2, 5, kMobile);
    book.SetSpeedDial(20, 299, kFax);
    book.SetSmsGroupName(0, "Friends");
    book.SetSmsGroupName(3, "Team");
    return book;
}

inline PBEntry WithoutLinks(PBEntry e) {
    e.prevInGroup = kNone16;
    e.nextInGroup = kNone16;
    return e;
}

// The same entries, groups, speed dials and SMS-group names.
inline void ExpectSameBook(const CPBData& got, const CPBData& want) {
    for (int i = 0; i < kEntrySlots; ++i) {
        ASSERT_EQ(got.IsValidEntry(i), want.IsValidEntry(i)) << "slot " << i;
        if (want.IsValidEntry(i)) {
            EXPECT_EQ(WithoutLinks(got.Entry(i)), WithoutLinks(want.Entry(i))) << "slot " << i;
        }
    }
    for (int g = 0; g < kGroupSlots; ++g) {
        EXPECT_EQ(got.Group(g).id, want.Group(g).id) << "group " << g;
        EXPECT_EQ(TextOf(got.Group(g).name), TextOf(want.Group(g).name)) << "group " << g;
    }
    for (int k = 0; k < kSpeedDialSlots; ++k) {
        EXPECT_EQ(got.SpeedDial(k), want.SpeedDial(k)) << "speed dial " << k + kFirstSpeedDial;
    }
    for (int k = 0; k < kSmsGroupSlots; ++k) {
        PBSmsGroup a, b;
        EXPECT_EQ(got.GetSmsGroup(k, a), want.GetSmsGroup(k, b)) << "SMS group " << k;
        EXPECT_EQ(TextOf(a.name), TextOf(b.name)) << "SMS group " << k;
    }
}

}  // namespace numora::test
