#include "book/BookDiff.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "book/MediaLists.h"
#include "book/Records.h"
#include "book/Snapshot.h"
#include "formats/BookJson.h"
#include "support/BookBuilder.h"

namespace numora {
namespace {

using test::AddEntry;

PhoneBook TwoFriends() {
    PhoneBook book;
    book.SetGroup(2, "Friends");
    AddEntry(book, 7, "Bo", 2, "0202");
    AddEntry(book, 3, "Ada", 2, "0101");
    book.SetSpeedDial(5, 3, NumberKind::Mobile);
    book.SetSmsGroupName(1, "Team");
    return book;
}

std::vector<std::string> Lines(const PhoneBook& a, const PhoneBook& b) {
    std::vector<std::string> lines;
    for (const BookDifference& d : CompareBooks(a, b))
        lines.push_back(DifferenceLine(d));
    return lines;
}

TEST(BookDiffTest, TheOrderOfAGroupsMembersIsNoDifference) {
    PhoneBook other;
    other.SetGroup(2, "Friends");
    AddEntry(other, 3, "Ada", 2, "0101");
    AddEntry(other, 7, "Bo", 2, "0202");
    other.SetSpeedDial(5, 3, NumberKind::Mobile);
    other.SetSmsGroupName(1, "Team");
    ASSERT_NE(test::Members(other, 2), test::Members(TwoFriends(), 2));
    EXPECT_TRUE(CompareBooks(TwoFriends(), other).empty());
}

TEST(BookDiffTest, EachChangeIsOneLineNamingSlotFieldAndValues) {
    struct Case {
        const char* what;
        std::function<void(PhoneBook&)> change;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {"number",
         [](PhoneBook& b) { AddEntry(b, 3, "Ada", 2, "0999"); },
         {"entry 3 \"Ada\": Mobile \"0101\" -> \"0999\""}},
        {"group",
         [](PhoneBook& b) { AddEntry(b, 3, "Ada", kEtcGroup, "0101"); },
         {"entry 3 \"Ada\": Group \"Friends\" -> \"Etc.\""}},
        {"removed",
         [](PhoneBook& b) { b.DeleteEntry(7); },
         {"entry 7 \"Bo\": removed (Mobile 0202)"}},
        {"added",
         [](PhoneBook& b) {
             PBEntry e = test::MakeEntry(0, "Cy", kEtcGroup, "0303");
             SetNumber(e.numbers[4], "0404");
             SetText(e.email, "cy@x");
             SetText(e.wireless, "wap.x");
             b.SetEntry(e);
         },
         {"entry 0 \"Cy\": added (Mobile 0303, Fax 0404, E-mail cy@x, Wireless Address wap.x)"}},
        {"secret and ringer",
         [](PhoneBook& b) {
             PBEntry e = b.Entry(3);
             e.secret = 1;
             e.ringer = 4321;
             b.SetEntry(e);
         },
         {"entry 3 \"Ada\": Secret \"NO\" -> \"YES\"",
          "entry 3 \"Ada\": Ringer \"default\" -> \"4321\""}},
        {"message ringer and picture",
         [](PhoneBook& b) {
             PBEntry e = b.Entry(3);
             e.msgRinger = 302;
             e.picture = 77;
             b.SetEntry(e);
         },
         {"entry 3 \"Ada\": Msg. Ringer \"default\" -> \"" +
              TitleForCode(MediaList::MsgRinger, 302) + "\"",
          "entry 3 \"Ada\": Graphic \"default\" -> \"77\""}},
        {"speed dial moved",
         [](PhoneBook& b) { b.SetSpeedDial(5, 7, NumberKind::Mobile); },
         {"speed dial 5: entry 3 \"Ada\" Mobile -> entry 7 \"Bo\" Mobile"}},
        {"speed dial added",
         [](PhoneBook& b) { b.SetSpeedDial(9, 7, NumberKind::Mobile); },
         {"speed dial 9: added entry 7 \"Bo\" Mobile"}},
        {"speed dial cleared",
         [](PhoneBook& b) { b.ClearSpeedDial(5); },
         {"speed dial 5: removed entry 3 \"Ada\" Mobile"}},
        {"group renamed",
         [](PhoneBook& b) { b.SetGroup(2, "Pals"); },
         {"group 2 \"Pals\": Name \"Friends\" -> \"Pals\""}},
        {"SMS group",
         [](PhoneBook& b) { b.SetSmsGroupName(4, "Club"); },
         {"SMS group 4 \"Club\": added"}},
    };
    for (const Case& c : cases) {
        PhoneBook after = TwoFriends();
        c.change(after);
        EXPECT_EQ(Lines(TwoFriends(), after), c.lines) << c.what;
    }
}

TEST(BookDiffTest, JsonShowsEachByteAsItsLatin1Character) {
    PhoneBook a = TwoFriends();
    PhoneBook b = TwoFriends();
    AddEntry(b, 3, "Ad\xB0\"", 2, "0101");
    b.SetSmsGroupName(4, "\x01");
    EXPECT_EQ(DifferencesJson(CompareBooks(a, b)),
              "[{\"item\":\"entry\",\"change\":\"changed\",\"slot\":3,\"name\":\"Ad\xC2\xB0\\\"\","
              "\"field\":\"Name\",\"before\":\"Ada\",\"after\":\"Ad\xC2\xB0\\\"\"},"
              "{\"item\":\"SMS group\",\"change\":\"added\",\"slot\":4,\"name\":\"\\u0001\","
              "\"field\":\"\",\"before\":\"\",\"after\":\"\"}]");
    EXPECT_EQ(DifferencesJson({}), "[]");
}

TEST(SnapshotTest, BringsBackTheSameBookCodesAndAllAndLeavesTheBookAlone) {
    std::ifstream in(NUMORA_SAMPLE_BOOK, std::ios::binary);
    const std::string json{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    PhoneBook book;
    ASSERT_TRUE(BookFromJson(json, book).ok);
    ASSERT_GT(book.CountUsedEntries(), 20);
    // A sound downloaded to the handset: a phone-book file would drop it, a snapshot keeps it.
    PBEntry e = book.Entry(book.GroupFirstEntry(kEtcGroup));
    e.ringer = 4321;
    e.picture = 77;
    book.SetEntry(e);
    const PhoneBook before = book;

    const std::vector<uint8_t> bytes = SnapshotBytes(book);
    EXPECT_TRUE(CompareBooks(before, book).empty());
    PhoneBook back;
    struct : IMessageSink {
        void MessageBox(std::string_view) override {}
    } sink;
    back.SetMessageSink(&sink);  // the window's book keeps telling the window
    ASSERT_EQ(BookFromSnapshot(bytes, back), SnapshotRead::Whole);
    EXPECT_EQ(back.MessageSink(), &sink);
    EXPECT_EQ(Lines(book, back), std::vector<std::string>{});
    EXPECT_EQ(SnapshotBytes(back), bytes);

    PhoneBook untouched = TwoFriends();
    EXPECT_EQ(BookFromSnapshot(std::span(bytes).first(100), untouched), SnapshotRead::Truncated);
    const std::vector<uint8_t> noRecords(400, 0x55);
    EXPECT_EQ(BookFromSnapshot(noRecords, untouched), SnapshotRead::Damaged);
    EXPECT_TRUE(CompareBooks(TwoFriends(), untouched).empty());
    // An empty book: the SMS groups, the group "Etc." and the speed dials, nothing more.
    EXPECT_EQ(SnapshotBytes(PhoneBook()).size(), pbfile::kSmsGroupSize * kSmsGroupSlots +
                                                     pbfile::kGroupSize +
                                                     pbfile::kSpeedDialSize * kSpeedDialSlots);
    EXPECT_EQ(BookFromSnapshot(SnapshotBytes(PhoneBook()), untouched), SnapshotRead::Whole);
    EXPECT_EQ(untouched.CountUsedEntries(), 0);
}

}  // namespace
}  // namespace numora
