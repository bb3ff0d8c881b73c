#include "formats/BookJson.h"

#include <gtest/gtest.h>

#include "support/BookBuilder.h"

namespace numora {
namespace {

using test::AddEntry;
using test::Members;

TEST(BookJsonTest, DumpHasTheDocumentedShape) {
    PhoneBook book;
    AddEntry(book, 0, "", kEtcGroup, "");
    PBEntry e;
    ASSERT_TRUE(book.GetEntry(0, e));
    SetText(e.email, "a@b");
    book.SetEntry(e);
    book.SetSmsGroupName(0, "Caf\xE9");
    book.SetSpeedDial(2, 0, NumberKind::Mobile);
    EXPECT_EQ(BookToJson(book),
              "{\"entries\":[{\"slot\":0,\"name\":\"\",\"group\":6,\"secret\":false,"
              "\"numbers\":{\"mobile\":\"\",\"home\":\"\",\"office\":\"\",\"pager\":\"\","
              "\"fax\":\"\"},\"email\":\"a@b\",\"wireless\":\"\",\"memo\":\"\","
              "\"ringer\":65535,\"msgRinger\":65535,\"picture\":65535}],"
              "\"groups\":[{\"slot\":6,\"name\":\"Etc.\",\"members\":[0]}],"
              "\"smsGroups\":[{\"slot\":0,\"name\":\"Caf\xC3\xA9\"}],"
              "\"speedDials\":[{\"number\":2,\"entry\":0,\"kind\":\"mobile\"}]}");
    PhoneBook back;
    EXPECT_TRUE(BookFromJson(BookToJson(book), back).ok);  // slot 0 is a member like any
}

TEST(BookJsonTest, JsonRoundTripKeepsChainsBytesAndCodes) {
    PhoneBook book;
    book.SetGroup(2, "Caf\xE9 \"q\"");
    for (int slot : {9, 4, 7})
        AddEntry(book, slot, "Name\x01\xFF", 2, "*0#P");
    PBEntry e;
    ASSERT_TRUE(book.GetEntry(4, e));
    e.ringer = 150;  // a downloaded sound survives JSON (only a save clamps it)
    e.secret = 1;
    book.SetEntry(e);
    book.SetSpeedDial(20, 4, NumberKind::Fax);
    const std::string json = BookToJson(book);

    PhoneBook back;
    const JsonImport r = BookFromJson(json, back);
    ASSERT_TRUE(r.ok) << r.error;
    EXPECT_EQ(BookToJson(back), json);
    EXPECT_EQ(Members(back, 2), (std::vector<int>{7, 4, 9}));
    EXPECT_EQ(back.Entry(4).ringer, 150);
}

TEST(BookJsonTest, HandWrittenBooksAreCheckedAndRefusedWithAReason) {
    struct Case {
        const char* json;
        const char* error;
    };
    const Case cases[] = {
        {"[1]", "the book must be a JSON object"},
        {"{\"entries\":[{\"slot\":300}]}", "\"slot\" must be a whole number from 0 to 299"},
        {"{\"entries\":[{\"slot\":18446744073709551615}]}", "must be a whole number from 0 to 299"},
        {"{\"entries\":[{\"slot\":1,\"name\":\"seventeen chars!!\"}]}", "longer than 16"},
        {"{\"entries\":[{\"slot\":1},{\"slot\":1}]}", "entry 1 appears twice"},
        {"{\"groups\":[{\"slot\":2,\"name\":\"A\",\"members\":[5]}]}",
         "group 2 lists entry 5, which is not among the entries"},
        {"{\"speedDials\":[{\"number\":1,\"entry\":0,\"kind\":\"mobile\"}]}",
         "\"number\" must be a whole number from 2 to 20"},
        {"{\"speedDials\":[{\"number\":2,\"entry\":0,\"kind\":\"car\"}]}", "\"kind\" must be"},
        {"{\"speedDials\":[{\"number\":2,\"entry\":0,\"kind\":256}]}", "\"kind\" must be"},
        {"{\"smsGroups\":[{\"slot\":0,\"name\":\"\\u0100\"}]}", "is not Latin-1"},
        {"{\"entries\":[{\"slot\":1.5}]}", "numbers must be whole"},
        {"{\"entries\":[", "unexpected end"},
        {"{\"a\":1} x", "line 1, column 9: syntax error"},
        {"{\"a\":1\nx\n}", "line 2, column 1: syntax error"},
        {"{\"entries\":[],\n \"entries\":[{\"slot\":1}]}",
         "line 2, column 2: the key \"entries\" appears twice"},
        {"{\"smsGroups\":[{\"slot\":0,\"name\":\"a\\u0000b\"}]}", "may not hold \\u0000"},
        {"{\"smsGroups\":[{\"slot\":0,\"name\":\"\\u1055\"}]}", "U+1055 is not Latin-1"},
        {"{\"smsGroups\":[{\"slot\":0,\"name\":\"\xE0\xA0\x80\"}]}", "U+0800 is not Latin-1"},
        {"{\"smsGroups\":[{\"slot\":0,\"name\":\"\xF0\x9F\x98\x80!\"}]}", "U+1F600 is not Latin-1"},
        {"{\"entries\":[{\"slot\":1e0}]}", "numbers must be whole"},
        {"{\"entries\":[{\"slot\":\"1\"}]}", "\"slot\" must be a whole number"},
        {"{\"entries\":[{\"slot\":12a}]}", "line 1, column 23: syntax error"},
    };
    for (const Case& c : cases) {
        PhoneBook book;
        AddEntry(book, 3, "Keep", kEtcGroup);
        const JsonImport r = BookFromJson(c.json, book);
        EXPECT_FALSE(r.ok) << c.json;
        EXPECT_NE(r.error.find(c.error), std::string::npos) << c.json << " -> " << r.error;
        EXPECT_EQ(book.CountUsedEntries(), 1) << c.json;
    }
    // Deep nesting is refused, not followed.
    std::string deep(10000, '[');
    PhoneBook book;
    EXPECT_FALSE(BookFromJson(deep, book).ok);
}

TEST(BookJsonTest, ErrorsNameTheLineAndColumnOfTheValue) {
    PhoneBook book;
    const JsonImport r =
        BookFromJson("{\"entries\": [\n  {\"slot\": 1},\n  {\"slot\": 400}]}", book);
    EXPECT_EQ(r.error, "JSON, line 3, column 12: \"slot\" must be a whole number from 0 to 299");
}

TEST(BookJsonTest, EntriesThatCannotLiveInABookAreReportedNotSilentlyDropped) {
    PhoneBook book;
    const JsonImport r = BookFromJson(
        "{\"entries\":[{\"slot\":1,\"name\":\"Only a name\",\"group\":6},"
        "{\"slot\":2,\"group\":6,\"numbers\":{\"home\":\"123\"}}]}",
        book);
    ASSERT_TRUE(r.ok) << r.error;
    ASSERT_EQ(r.warnings.size(), 1u);
    EXPECT_NE(r.warnings[0].find("entry 1"), std::string::npos);
    EXPECT_EQ(book.CountUsedEntries(), 1);

    // An entry of a group the book does not list keeps it; an unknown key is reported.
    const JsonImport g = BookFromJson(
        "{\"entries\":[{\"slot\":1,\"group\":3,\"numbers\":{\"home\":\"1\"}}],\"entrys\":[]}",
        book);
    ASSERT_TRUE(g.ok) << g.error;
    ASSERT_EQ(g.warnings.size(), 2u);
    EXPECT_NE(g.warnings[0].find("\"entrys\" is not part of a book"), std::string::npos);
    EXPECT_NE(g.warnings[1].find("\"Group 3\""), std::string::npos);
    EXPECT_EQ(test::Members(book, 3), (std::vector<int>{1}));
}

}  // namespace
}  // namespace numora
