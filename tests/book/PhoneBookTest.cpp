#include "book/PhoneBook.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "book/Records.h"
#include "formats/BookJson.h"
#include "support/BookBuilder.h"

namespace numora {
namespace {

using test::AddEntry;
using test::MakeEntry;
using test::Members;

std::array<uint8_t, entryrec::kSize> EntryRecord(int slot, uint8_t group, std::string_view name,
                                                 std::string_view mobile) {
    std::array<uint8_t, entryrec::kSize> r{};
    r[0] = 0x83;
    PutLe16(r, entryrec::kSlot, static_cast<uint16_t>(slot));
    r[entryrec::kGroup] = group;
    r[entryrec::kNumbers] = static_cast<uint8_t>(mobile.size());
    std::copy(mobile.begin(), mobile.end(), r.begin() + entryrec::kNumbers + 1);
    std::copy(name.begin(), name.end(), r.begin() + entryrec::kName);
    PutLe16(r, entryrec::kRinger, 0xFFFF);
    PutLe16(r, entryrec::kMsgRinger, 0xFFFF);
    PutLe16(r, entryrec::kPicture, 0xFFFF);
    return r;
}

TEST(BookTest, FreshBookHoldsOnlyTheCatchAllGroup) {
    EXPECT_EQ(BookToJson(PhoneBook()),
              "{\"entries\":[],\"groups\":[{\"slot\":6,\"name\":\"Etc.\",\"members\":[]}],"
              "\"smsGroups\":[],\"speedDials\":[]}");
}

TEST(BookTest, FieldMaskCountsNumbersMailAndWirelessButNotNameOrMemo) {
    PhoneBook book;
    PBEntry e = MakeEntry(4, "Only name", kEtcGroup, "");
    SetText(e.memo, "and a memo");
    book.SetEntry(e);
    EXPECT_EQ(book.FieldMaskTable()[4], 0);
    EXPECT_EQ(book.CountUsedEntries(), 0);

    SetNumber(e.numbers[3], "555");  // pager
    SetText(e.wireless, "w@x");
    book.SetEntry(e);
    EXPECT_EQ(book.FieldMaskTable()[4], (1u << 3) | kMaskWireless);
    EXPECT_EQ(book.CountUsedEntries(), 1);

    // Taken from a record, an entry with only a name is dropped again.
    book.SetReceivedMaskAt(9, kMaskAll);
    EXPECT_FALSE(book.TakeEntryRecord(EntryRecord(9, 2, "Nameonly", "")));
    PBEntry out;
    EXPECT_FALSE(book.GetEntry(9, out));
}

TEST(BookTest, EditingTextKeepsTheChainPlaceAndChangingGroupMovesToTheFront) {
    PhoneBook book;
    book.SetGroup(3, "Work");
    AddEntry(book, 7, "Cy", 3);
    AddEntry(book, 2, "Bo", 3);
    AddEntry(book, 5, "Al", 3);  // each new member goes first
    EXPECT_EQ(Members(book, 3), (std::vector<int>{5, 2, 7}));

    PBEntry e;
    ASSERT_TRUE(book.GetEntry(2, e));
    SetText(e.name, "Bob");
    book.SetEntry(e);
    EXPECT_EQ(Members(book, 3), (std::vector<int>{5, 2, 7}));

    AddEntry(book, 1, "Di", kEtcGroup);
    e.group = kEtcGroup;
    book.SetEntry(e);
    EXPECT_EQ(Members(book, 3), (std::vector<int>{5, 7}));
    EXPECT_EQ(Members(book, kEtcGroup), (std::vector<int>{2, 1}));
    EXPECT_EQ(book.Entry(7).prevInGroup, 5);
    EXPECT_EQ(book.Entry(5).nextInGroup, 7);
}

TEST(BookTest, EntryWithoutAGroupStaysFiledSomewhere) {
    PhoneBook book;
    book.SetGroup(2, "Friends");
    AddEntry(book, 3, "New", kNone8);
    EXPECT_EQ(Members(book, kEtcGroup), (std::vector<int>{3}));

    AddEntry(book, 4, "Old", 2);
    AddEntry(book, 4, "Old edited", kNone8);
    EXPECT_EQ(book.Entry(4).group, 2);
    EXPECT_EQ(Members(book, 2), (std::vector<int>{4}));
}

TEST(BookTest, DeletingEntriesRelinksTheirNeighbours) {
    PhoneBook book;
    book.SetGroup(1, "Family");
    for (int slot : {3, 2, 1})
        AddEntry(book, slot, "x", 1);
    ASSERT_EQ(Members(book, 1), (std::vector<int>{1, 2, 3}));
    book.SetSpeedDial(7, 2, NumberKind::Mobile);

    book.DeleteEntry(2);  // middle
    EXPECT_EQ(Members(book, 1), (std::vector<int>{1, 3}));
    EXPECT_EQ(book.Entry(3).prevInGroup, 1);
    book.DeleteEntry(1);  // head
    EXPECT_EQ(Members(book, 1), (std::vector<int>{3}));
    EXPECT_EQ(book.Entry(3).prevInGroup, kNone16);
    // A speed dial keeps naming the emptied slot.
    EXPECT_EQ(book.SpeedDial(7 - 2).entry, 2);

    // An empty slot has no chain to leave: deleting it touches nothing else.
    book.DeleteEntry(150);
    book.DeleteEntry(-1);
    book.DeleteEntry(300);
    EXPECT_EQ(Members(book, 1), (std::vector<int>{3}));
}

TEST(BookTest, DeletedGroupHandsItsChainToEtc) {
    PhoneBook book;
    book.SetGroup(3, "Club");
    AddEntry(book, 10, "C", kEtcGroup);
    AddEntry(book, 12, "B", 3);
    AddEntry(book, 11, "A", 3);
    ASSERT_EQ(Members(book, 3), (std::vector<int>{11, 12}));

    book.DeleteGroup(3);
    EXPECT_EQ(Members(book, kEtcGroup), (std::vector<int>{10, 11, 12}));
    for (int e : {10, 11, 12})
        EXPECT_EQ(book.Entry(e).group, kEtcGroup);
    PBGroup g;
    EXPECT_FALSE(book.GetGroup(3, g));
    EXPECT_EQ(book.GroupFirstEntry(3), kNone16);

    // Into an empty "Etc." the chain simply becomes its chain.
    PhoneBook other;
    other.SetGroup(4, "Solo");
    AddEntry(other, 0, "Z", 4);
    other.DeleteGroup(4);
    EXPECT_EQ(Members(other, kEtcGroup), (std::vector<int>{0}));

    // "Etc." itself and empty slots are never deleted.
    other.DeleteGroup(kEtcGroup);
    other.DeleteGroup(5);
    EXPECT_TRUE(other.GetGroup(kEtcGroup, g));
}

TEST(BookTest, ResettingTheEntriesEmptiesEveryChain) {
    // A read starts from reset groups and entries; "Etc." stays in use, and its chain must not
    // keep naming slots that are now empty (a save would stop there, a write would stall).
    PhoneBook book;
    AddEntry(book, 12, "Old", kEtcGroup);
    book.ResetAllGroups();
    book.ResetAllEntries();
    EXPECT_EQ(book.GroupFirstEntry(kEtcGroup), kNone16);
    EXPECT_TRUE(Members(book, kEtcGroup).empty());
}

TEST(BookTest, SpeedDialLookupGivesTheLowestNumber) {
    PhoneBook book;
    book.SetSpeedDial(9, 4, NumberKind::Home);
    book.SetSpeedDial(5, 4, NumberKind::Home);
    book.SetSpeedDial(3, 4, NumberKind::Office);
    EXPECT_EQ(book.FindSpeedDial(4, NumberKind::Home), 5 - 2);
    EXPECT_EQ(book.FindSpeedDial(4, NumberKind::Fax), std::nullopt);
    book.ClearSpeedDial(5);
    EXPECT_EQ(book.FindSpeedDial(4, NumberKind::Home), 9 - 2);
    book.SetSpeedDial(1, 4, NumberKind::Fax);  // number 1 is never assignable
    book.SetSpeedDial(21, 4, NumberKind::Fax);
    EXPECT_EQ(book.FindSpeedDial(4, NumberKind::Fax), std::nullopt);
}

// Members are counted by name. Entries of groups of equal names count for the higher slot;
// empty slots count for the highest group slot among 1 to 5 not in use, or nowhere when all are.
TEST(BookTest, GroupMembersAreCountedByName) {
    struct Case {
        const char* what;
        std::vector<std::pair<int, const char*>> groups;  // slot, name
        std::vector<int> entryGroups;                     // one entry each
        GroupCounts counts;
    };
    const std::vector<Case> cases = {
        {"distinct names", {{2, "Friends"}}, {2, 2, kEtcGroup}, {0, 2, 0, 0, 297, 1}},
        {"equal names", {{3, "Family"}, {4, "Family"}}, {3, 4, 4}, {0, 0, 0, 3, 297, 0}},
        {"a prefix is another name", {{3, "Family"}, {4, "Fam"}}, {3, 4}, {0, 0, 1, 1, 298, 0}},
        {"every slot in use",
         {{1, "A"}, {2, "B"}, {3, "C"}, {4, "D"}, {5, "E"}},
         {1, 5, kEtcGroup},
         {1, 0, 0, 0, 1, 1}},
    };
    for (const Case& c : cases) {
        PhoneBook book;
        for (const auto& [slot, name] : c.groups)
            book.SetGroup(slot, name);
        int slot = 0;
        for (const int g : c.entryGroups)
            AddEntry(book, slot++, "Someone", static_cast<uint8_t>(g));
        EXPECT_EQ(GroupMemberCounts(book), c.counts) << c.what;
    }
}

TEST(BookTest, SmsGroupResetKeepsTheFixedGroupsNames) {
    PhoneBook book;
    book.SetSmsGroupName(1, "Team");
    book.SetSmsGroupName(3, "Club");
    book.ResetSmsGroup(1);
    book.ResetSmsGroup(3);
    PBSmsGroup s;
    ASSERT_TRUE(book.GetSmsGroup(1, s));
    EXPECT_EQ(TextOf(s.name), "Team");
    EXPECT_FALSE(book.GetSmsGroup(3, s));

    // Deleting a fixed group clears its name: it no longer reads as in use, though its id
    // stays set.
    book.DeleteSmsGroup(1);
    EXPECT_FALSE(book.GetSmsGroup(1, s));
    book.SetSmsGroupName(2, "");
    EXPECT_FALSE(book.GetSmsGroup(2, s));
}

TEST(BookTest, RecordsNamingSlotsOutsideTheTablesNeverTouchTheBook) {
    PhoneBook book;
    const PhoneBook before = book;
    book.SetReceivedMaskAt(299, kMaskAll);
    EXPECT_FALSE(book.TakeEntryRecord(EntryRecord(300, 2, "Far", "1")));
    EXPECT_FALSE(book.TakeEntryRecord(EntryRecord(0xFFFF, 2, "None", "1")));
    EXPECT_FALSE(book.TakeEntryRecord(EntryRecord(299, 7, "Bad group", "1")));
    EXPECT_FALSE(book.TakeEntryRecord(EntryRecord(299, 0xFF, "No group", "1")));

    std::array<uint8_t, grouprec::kWireSize> group{};
    group[grouprec::kSlotAgain] = 7;
    group[grouprec::kName] = 'G';
    EXPECT_FALSE(book.TakeGroupRecord(group));

    std::array<uint8_t, item::kSize> it{};
    it[item::kElement] = 5;  // SMS groups stop at 4
    EXPECT_FALSE(book.TakeSmsGroupItem(it));
    it[item::kElement] = 20;  // speed-dial elements stop at 19 on the wire, 18 in files
    EXPECT_FALSE(book.TakeSpeedDialItem(it));
    it[item::kElement] = 19;
    EXPECT_FALSE(book.TakeSpeedDialRecord(it));
    it[item::kElement] = 0;  // element 0 is read but carries nothing
    EXPECT_FALSE(book.TakeSpeedDialItem(it));

    PBEntry e;
    EXPECT_FALSE(book.GetEntry(299, e));
    for (int k = 0; k < kGroupSlots; ++k)
        EXPECT_EQ(book.Group(k), before.Group(k));
    for (int n = 0; n < kSpeedDialSlots; ++n)
        EXPECT_EQ(book.SpeedDial(n), before.SpeedDial(n));
}

TEST(BookTest, TakingAnEntryCopiesOnlyTheAnnouncedFields) {
    PhoneBook book;
    auto r = EntryRecord(5, 3, "Partial", "0123");
    const std::string home = "0987";
    r[entryrec::kNumbers + entryrec::kNumberStride] = 4;
    std::copy(home.begin(), home.end(), r.begin() + entryrec::kNumbers + 34);
    r[entryrec::kEmail] = 'e';
    const std::string memo = "memo";
    std::copy(memo.begin(), memo.end(), r.begin() + entryrec::kMemo);
    PutLe16(r, entryrec::kRinger, 150);

    book.SetReceivedMaskAt(5, 0x01);  // only Mobile announced
    ASSERT_TRUE(book.TakeEntryRecord(r));
    PBEntry e;
    ASSERT_TRUE(book.GetEntry(5, e));
    EXPECT_EQ(NumberText(e.numbers[0]), "0123");
    EXPECT_EQ(NumberText(e.numbers[1]), "");
    EXPECT_EQ(TextOf(e.email), "");
    EXPECT_EQ(TextOf(e.name), "Partial");
    EXPECT_EQ(TextOf(e.memo), "memo");
    EXPECT_EQ(e.ringer, 150);
}

TEST(BookTest, TakenEntriesFormChainsInArrivalOrderAndNeverTwice) {
    PhoneBook book;
    book.SetGroup(3, "Three");
    for (int slot : {2, 4, 7}) {
        book.SetReceivedMaskAt(slot, kMaskAll);
        auto r = EntryRecord(slot, 3, "m", "1");
        PutLe16(r, entryrec::kPrev, 0x0102);  // whatever links the handset reports are ignored
        PutLe16(r, entryrec::kNext, 0x0009);
        book.TakeEntryRecord(r);
    }
    EXPECT_EQ(Members(book, 3), (std::vector<int>{2, 4, 7}));

    // The same slot sent again replaces the entry instead of linking it a second time.
    book.TakeEntryRecord(EntryRecord(4, 3, "again", "2"));
    EXPECT_EQ(Members(book, 3), (std::vector<int>{2, 7, 4}));

    // A number length above 32 keeps the 32 characters there are.
    auto longer = EntryRecord(8, 3, "long", "");
    longer[entryrec::kNumbers] = 40;
    std::fill_n(longer.begin() + entryrec::kNumbers + 1, 32, '9');
    book.SetReceivedMaskAt(8, kMaskAll);
    book.TakeEntryRecord(longer);
    EXPECT_EQ(NumberText(book.Entry(8).numbers[0]), std::string(32, '9'));
}

TEST(BookTest, AssemblingAnEntryClampsItsCodesInTheBookToo) {
    PhoneBook book;
    PBEntry e = MakeEntry(6, "Codes", kEtcGroup, "12345");
    e.ringer = 150;
    e.msgRinger = 302;
    e.picture = 4000;
    book.SetEntry(e);
    const auto r = book.MakeEntryRecord(6);
    ASSERT_EQ(r.size(), entryrec::kSize);
    EXPECT_EQ(Le16(r, entryrec::kRinger), 0xFFFF);
    EXPECT_EQ(Le16(r, entryrec::kMsgRinger), 302);
    EXPECT_EQ(Le16(r, entryrec::kPicture), 0xFFFF);
    EXPECT_EQ(book.Entry(6).ringer, 0xFFFF);
    EXPECT_EQ(book.Entry(6).picture, 0xFFFF);
    // A five-digit number: its length, five characters, then 27 zeros.
    EXPECT_EQ(r[entryrec::kNumbers], 5);
    for (std::size_t k = 6; k <= 32; ++k)
        EXPECT_EQ(r[entryrec::kNumbers + k], 0) << k;

    e.ringer = 204;
    book.SetEntry(e);
    EXPECT_EQ(Le16(book.MakeEntryRecord(6), entryrec::kRinger), 204);
    EXPECT_TRUE(book.MakeEntryRecord(7).empty());
}

TEST(BookTest, ClearingGroupRecordsNameOnlyEtc) {
    PhoneBook book;
    for (int slot = 0; slot <= 7; ++slot) {
        const auto r = book.MakeClearGroupRecord(slot);
        EXPECT_EQ(r[0], 0x80);
        EXPECT_EQ(r[grouprec::kSlot], slot);
        EXPECT_EQ(Le16(r, grouprec::kFirstEntry), 0xFFFF);
        const std::string name(reinterpret_cast<const char*>(&r[grouprec::kName]));
        EXPECT_EQ(name, slot == kEtcGroup ? "Etc." : "") << slot;
    }
}

TEST(BookTest, NextReceivedSlotWalksTheAnnouncedSlots) {
    PhoneBook book;
    std::array<uint8_t, kEntrySlots> mask{};
    mask[0] = 1;
    mask[5] = 0x21;
    mask[299] = 0x40;
    book.SetReceivedMask(mask);
    EXPECT_EQ(book.NextReceivedSlot(300), 0);
    EXPECT_EQ(book.NextReceivedSlot(0), 5);
    EXPECT_EQ(book.NextReceivedSlot(5), 299);
    EXPECT_EQ(book.NextReceivedSlot(299), 300);
}

}  // namespace
}  // namespace numora
