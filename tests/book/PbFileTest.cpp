#include "book/PbFile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "book/Records.h"
#include "formats/BookJson.h"
#include "support/BookBuilder.h"

namespace numora {
namespace {

using test::AddEntry;
using test::Members;
using test::RichBook;

std::vector<uint8_t> Save(PhoneBook& book) {
    std::vector<uint8_t> out;
    EXPECT_TRUE(WritePbRecords(book, out, nullptr));
    return out;
}

PhoneBook Load(const std::vector<uint8_t>& bytes) {
    PhoneBook book;
    ReadPbRecords(book, bytes, nullptr);
    return book;
}

TEST(PbFileTest, EmptyBookSavesAsSmsGroupsEtcAndSpeedDials) {
    PhoneBook book;
    const auto bytes = Save(book);
    ASSERT_EQ(bytes.size(), 3391u);
    for (int k = 0; k < 5; ++k) {
        const std::size_t at = 168u * static_cast<std::size_t>(k);
        EXPECT_EQ(bytes[at], 0x26);
        EXPECT_EQ(bytes[at + 3], k);
        EXPECT_EQ(bytes[at + 21], 0xFF);
        EXPECT_EQ(bytes[at + 50], 0xFF);
        EXPECT_EQ(bytes[at + 51], 0x00);
    }
    const std::size_t group = 5 * 168;
    EXPECT_EQ(bytes[group], 0x81);
    EXPECT_EQ(bytes[group + 1], 6);
    EXPECT_EQ(bytes[group + 2], 6);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&bytes[group + 5])), "Etc.");
    EXPECT_EQ(Le16(bytes, group + 22), 0);
    for (int j = 0; j < 19; ++j) {
        const std::size_t at = group + 24 + 133u * static_cast<std::size_t>(j);
        EXPECT_EQ(bytes[at], 0x27);
        EXPECT_EQ(Le16(bytes, at + 1), 0x0413);
        EXPECT_EQ(bytes[at + 3], j);
        EXPECT_EQ(Le16(bytes, at + 4), 0xFFFF);
        EXPECT_EQ(bytes[at + 6], 0xFF);
    }

    const PhoneBook loaded = Load(bytes);
    EXPECT_EQ(loaded.CountUsedEntries(), 0);
    PBSmsGroup s;
    for (int k = 0; k < 5; ++k)
        EXPECT_FALSE(loaded.GetSmsGroup(k, s));
}

TEST(PbFileTest, LoadThenSaveReproducesTheFileByteForByte) {
    PhoneBook book = RichBook();
    const auto first = Save(book);  // clamps the codes once
    PhoneBook loaded = Load(first);
    EXPECT_EQ(Members(loaded, 1), (std::vector<int>{299, 3, 40}));
    EXPECT_EQ(BookToJson(loaded), BookToJson(book));
    EXPECT_EQ(Save(loaded), first);
    EXPECT_EQ(first.size(), 5u * 168 + 24u * 4 + 344u * 6 + 19u * 133);
}

TEST(PbFileTest, EntriesWithoutGroupRecordsKeepTheirGroupAndReachTheNextSave) {
    PhoneBook source = RichBook();
    const auto bytes = Save(source);
    // Keep only the entry records.
    std::vector<uint8_t> entriesOnly;
    for (std::size_t at = 0; at < bytes.size();) {
        const uint8_t tag = bytes[at];
        const std::size_t size = tag == 0x26 ? 168 : tag == 0x81 ? 24 : tag == 0x83 ? 344 : 133;
        if (tag == 0x83) entriesOnly.insert(entriesOnly.end(), &bytes[at], &bytes[at] + size);
        at += size;
    }
    PhoneBook loaded;
    const PbLoadReport report = ReadPbRecords(loaded, entriesOnly, nullptr);
    EXPECT_EQ(report.namedGroups, (std::vector<int>{1, 3, 5}));
    EXPECT_EQ(report.missingSpeedDials, kSpeedDialSlots);  // loaded, but not whole
    EXPECT_NE(LoadReportText(report).find("\"Group 1\", \"Group 3\", \"Group 5\""),
              std::string::npos);
    EXPECT_EQ(loaded.CountUsedEntries(), 6);
    EXPECT_EQ(Members(loaded, 1), (std::vector<int>{299, 3, 40}));  // chain order kept
    EXPECT_EQ(TextOf(loaded.Group(3).name), "Group 3");

    // Every entry reaches the next file.
    PhoneBook again = Load(Save(loaded));
    EXPECT_EQ(again.CountUsedEntries(), 6);
    EXPECT_EQ(Members(again, 1), (std::vector<int>{299, 3, 40}));
}

TEST(PbFileTest, NoSaveLeavesOutAnEntryOfAnUnusedGroupOrOffItsChain) {
    PhoneBook book;
    AddEntry(book, 4, "Lost", 2);  // group 2 is not in use
    AddEntry(book, 5, "Off chain", kEtcGroup);
    AddEntry(book, 6, "Head", kEtcGroup);
    book.ResetEntry(6);  // "Etc." now starts at an empty slot: entry 5 is on no chain
    const PhoneBook loaded = Load(Save(book));
    EXPECT_TRUE(loaded.IsValidEntry(4));
    EXPECT_TRUE(loaded.IsValidEntry(5));
    EXPECT_EQ(loaded.CountUsedEntries(), 2);
    EXPECT_EQ(TextOf(loaded.Group(2).name), "Group 2");
}

TEST(PbFileTest, StrayBytesEmptyEntriesAndDamagedRecordsAreSkipped) {
    PhoneBook book = RichBook();
    auto bytes = Save(book);
    // A stray byte before the first group record; after it a name-only entry, a group record
    // without a name and an entry for the slot after the last.
    std::vector<uint8_t> odd(bytes.begin(), bytes.begin() + 5 * 168);
    odd.push_back(0x55);
    std::array<uint8_t, 344> nameOnly{};
    nameOnly[0] = 0x83;
    nameOnly[1] = 12;
    nameOnly[4] = 6;
    nameOnly[entryrec::kName] = 'N';
    odd.insert(odd.end(), nameOnly.begin(), nameOnly.end());
    const std::array<uint8_t, 24> unnamedGroup{0x81, 4, 4};
    odd.insert(odd.end(), unnamedGroup.begin(), unnamedGroup.end());
    std::array<uint8_t, 344> offTable = nameOnly;
    PutLe16(offTable, entryrec::kSlot, kEntrySlots);
    offTable[entryrec::kEmail] = 'x';  // one the book would take in a slot of its own
    odd.insert(odd.end(), offTable.begin(), offTable.end());
    odd.insert(odd.end(), bytes.begin() + 5 * 168, bytes.end());
    PhoneBook loaded;
    const PbLoadReport report = ReadPbRecords(loaded, odd, nullptr);
    EXPECT_EQ(report.skippedBytes, 1);
    EXPECT_EQ(report.ignored, 3);
    EXPECT_FALSE(report.truncated);
    EXPECT_EQ(BookToJson(loaded), BookToJson(book));

    EXPECT_TRUE(report.Damaged());
    EXPECT_NE(LoadReportText(report).find("1 byte(s) that start no record"), std::string::npos);

    // A record cut short by the end of the file is left out, the rest stays.
    std::vector<uint8_t> cut(bytes.begin(), bytes.end() - 19 * 133 - 100);
    PhoneBook partial;
    const PbLoadReport cutReport = ReadPbRecords(partial, cut, nullptr);
    EXPECT_TRUE(cutReport.truncated);
    EXPECT_TRUE(cutReport.Damaged());
    EXPECT_FALSE(cutReport.NotAPhoneBook());
    EXPECT_EQ(partial.CountUsedEntries(), 5);
}

// Files whose every record reads well but that do not hold one whole book: empty, cut exactly
// between records (every saved book ends with its 19 speed dials), or two books one after the
// other, whose later records silently replace the earlier ones.
TEST(PbFileTest, AFileThatIsNotOneWholeBookIsDamaged) {
    PhoneBook book = RichBook();
    const auto whole = Save(book);
    const std::vector<uint8_t> afterTwoEntries(whole.begin(),
                                               whole.begin() + 5 * 168 + 24 + 2 * 344);
    std::vector<uint8_t> twice = whole;
    twice.insert(twice.end(), whole.begin(), whole.end());
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        bool damaged;
        const char* said;
    };
    const std::vector<Case> cases = {
        {"whole", whole, false, ""},
        {"empty", {}, true, "The file is empty"},
        {"cut between records", afterTwoEntries, true, "19 of the 19 speed dials"},
        {"two books", twice, true, "record(s) for a slot that an earlier record already filled"},
    };
    for (const Case& c : cases) {
        PhoneBook loaded;
        const PbLoadReport report = ReadPbRecords(loaded, c.bytes, nullptr);
        EXPECT_EQ(report.Damaged(), c.damaged) << c.name;
        EXPECT_FALSE(report.truncated) << c.name;
        EXPECT_NE(LoadReportText(report).find(c.said), std::string::npos)
            << c.name << ": " << LoadReportText(report);
    }
    PhoneBook loaded;
    EXPECT_EQ(ReadPbRecords(loaded, twice, nullptr).repeated,
              kSmsGroupSlots + 4 + 6 + kSpeedDialSlots);
}

TEST(PbFileTest, TheLoadReportSaysOnlyWhatHappened) {
    PbLoadReport r;
    EXPECT_EQ(LoadReportText(r), "");
    r.empty = true;
    EXPECT_EQ(LoadReportText(r), "The file is empty: it holds no phone book.");
    r.empty = false;
    const std::string damaged = "The file is damaged. What could not be read was left out:";
    const std::string cut = "\n- the last record, cut short by the end of the file";
    r.truncated = true;
    r.ignored = 1;  // the cut record counts among the ignored ones
    EXPECT_EQ(LoadReportText(r), damaged + cut);
    r.ignored = 3;
    r.skippedBytes = 7;
    r.namedGroups = {2, 4};
    EXPECT_EQ(LoadReportText(r),
              damaged +
                  "\n- 2 record(s) the book cannot take (a slot outside the tables, an empty "
                  "group name, or an entry without number, e-mail or wireless address)" +
                  cut +
                  "\n- 7 byte(s) that start no record\n\nEntries name group(s) not in use; "
                  "they keep them, now in use as \"Group 2\", \"Group 4\".");
}

TEST(PbFileTest, OnlyFilesMostlyOfRecordsArePhoneBooks) {
    PhoneBook book = RichBook();
    const auto good = Save(book);
    std::vector<uint8_t> random(200000);
    uint32_t seed = 12345;
    for (uint8_t& b : random) {
        seed = seed * 1103515245u + 12345u;
        b = static_cast<uint8_t>(seed >> 16);
    }
    std::vector<uint8_t> text(5000, 'a');
    std::vector<uint8_t> junkTail = good;
    junkTail.insert(junkTail.end(), 100, 0x00);
    struct Case {
        const std::vector<uint8_t>* bytes;
        bool phoneBook;
    };
    const std::vector<uint8_t> empty;
    for (const Case& c : {Case{&good, true}, Case{&junkTail, true}, Case{&empty, true},
                          Case{&random, false}, Case{&text, false}}) {
        PhoneBook loaded;
        EXPECT_EQ(!ReadPbRecords(loaded, *c.bytes, nullptr).NotAPhoneBook(), c.phoneBook)
            << c.bytes->size();
    }
}

TEST(PbFileTest, SavingClampsDownloadedCodesInTheBook) {
    PhoneBook book;
    AddEntry(book, 1, "Sound", kEtcGroup);
    PBEntry e;
    ASSERT_TRUE(book.GetEntry(1, e));
    e.ringer = 150;
    book.SetEntry(e);
    const auto bytes = Save(book);
    EXPECT_EQ(book.Entry(1).ringer, 0xFFFF);
    EXPECT_EQ(Le16(bytes, 5 * 168 + 24 + entryrec::kRinger), 0xFFFF);
}

}  // namespace
}  // namespace numora
