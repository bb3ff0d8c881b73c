#include <gtest/gtest.h>

#include <string>

#include "formats/BookFormats.h"
#include "formats/BookJson.h"
#include "formats/Contacts.h"
#include "formats/ContactsCsv.h"
#include "formats/ContactsText.h"
#include "formats/VCard.h"
#include "numbers/PhoneNumbers.h"
#include "support/BookBuilder.h"
#include "support/SampleBook.h"

namespace numora {
namespace {

using test::SampleBook;

bool Mentions(const std::vector<std::string>& problems, const std::string& what) {
    for (const auto& p : problems) {
        if (p.find(what) != std::string::npos) return true;
    }
    return false;
}

TEST(ContactsTest, VCardAndCsvExportsOfTheSampleImportBackToTheSameBook) {
    const PhoneBook sample = SampleBook();
    ASSERT_GT(sample.CountUsedEntries(), 30);
    for (const BookFormat format : {BookFormat::VCard, BookFormat::Csv}) {
        const std::string text = BookToText(format, sample);
        // Into the book it came from: groups and SMS groups are there already.
        PhoneBook back = sample;
        const TextImport r = BookFromText(format, text, back);
        ASSERT_TRUE(r.ok);
        EXPECT_TRUE(r.problems.empty()) << r.problems.front();
        EXPECT_EQ(BookToJson(back), BookToJson(sample));
        // Into an empty book: every entry, group membership and speed dial comes back.
        PhoneBook fresh;
        ASSERT_TRUE(BookFromText(format, text, fresh).ok);
        EXPECT_EQ(BookToText(format, fresh), text);
    }
}

// Only stored contacts take one of the 300 places: one without a number among 351 leaves 50
// for the report, not 51.
TEST(ContactsTest, OnlyThreeHundredFitAndTheRestAreReported) {
    std::vector<Contact> many(351);
    for (std::size_t k = 0; k < many.size(); ++k) {
        many[k].name = "Person " + std::to_string(k);
        if (k != 7) many[k].numbers[0] = std::to_string(100000 + k);
        many[k].source = static_cast<int>(k) + 1;
    }
    PhoneBook book;
    const TextImport r = BookFromText(BookFormat::VCard, ContactsToVCard(many), book);
    EXPECT_EQ(book.CountUsedEntries(), 300);
    ASSERT_EQ(r.problems.size(), 51u);
    EXPECT_EQ(r.problems[0],
              "contact 8 \"Person 7\": left out: no number, e-mail or wireless address");
    EXPECT_EQ(r.problems[1], "contact 302 \"Person 301\": left out: the handset holds 300 entries");
}

// Line breaks in memos go out and come back as the book holds them (CR LF, a lone CR, a lone
// LF); a name is one line, its break written as a space. Shapes that cannot hold the book say
// what they leave out.
TEST(ContactsTest, LineBreaksSurviveAndLossesAreNamed) {
    PhoneBook book;
    const char* memos[] = {"one\r\ntwo", "one\rtwo", "one\ntwo", "a\r\nb\rc\nd"};
    for (int k = 0; k < 4; ++k) {
        PBEntry e = test::MakeEntry(k, k == 0 ? "Two\rLines" : "Memo " + std::to_string(k),
                                    kEtcGroup, "0123");
        SetText(e.memo, memos[k]);
        e.secret = k == 1;
        if (k == 2) e.ringer = 104;
        book.SetEntry(e);
    }
    book.SetSpeedDial(2, 0, NumberKind::Mobile);
    for (const BookFormat format : {BookFormat::VCard, BookFormat::Csv}) {
        const std::string text = BookToText(format, book);
        PhoneBook back;
        const TextImport r = BookFromText(format, text, back);
        ASSERT_TRUE(r.ok);
        EXPECT_TRUE(r.problems.empty()) << r.problems.front();
        for (int k = 0; k < 4; ++k)
            EXPECT_EQ(TextOf(back.Entry(k).memo), memos[k]) << text;
        EXPECT_EQ(TextOf(back.Entry(0).name), "Two Lines");
        EXPECT_TRUE(WhatFormatLeavesOut(format, book).empty());
    }
    EXPECT_EQ(WhatFormatLeavesOut(BookFormat::GoogleCsv, book),
              (std::vector<std::string>{
                  "the Google Contacts CSV has no place for speed dials (1), entry slots (4), "
                  "ringers (1) and secret flags (1): they are left out (the book's own CSV or "
                  "vCard keeps them)"}));
    EXPECT_EQ(WhatFormatLeavesOut(BookFormat::OutlookCsv, book).size(), 1u);
}

// Cards as programs write them when something went wrong: a card without END keeps what it
// read, and so does the last card of a file cut short.
TEST(ContactsTest, CardsWithoutEndKeepWhatTheyRead) {
    const std::string file =
        "BEGIN:VCARD\r\nFN:Ann\r\nTEL:1\r\n"
        "BEGIN:VCARD\r\nFN:Bob\r\nTEL:2\r\nEND:VCARD\r\n"
        "BEGIN:VCARD\r\nFN:Cid\r\nTEL:3";
    std::vector<std::string> problems;
    const auto contacts = ContactsFromVCard(file, problems);
    ASSERT_EQ(contacts.size(), 3u);
    EXPECT_EQ(contacts[0].numbers[0], "1");
    EXPECT_EQ(contacts[2].numbers[0], "3");
    EXPECT_EQ(problems,
              (std::vector<std::string>{"card 1 has no END: read up to the next card",
                                        "card 3 has no END: read to the end of the file"}));
}

// Only BEGIN:VCARD and END:VCARD open and close a card; an agent's card, with its own agent,
// belongs to neither parent.
TEST(ContactsTest, AgentsCardsInsideCardsAreLeftOutWhole) {
    const std::string file =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nPROFILE:VCARD\r\nFN:Ann\r\nAGENT:\r\n"
        "BEGIN:VCARD\r\nFN:Bob\r\nAGENT:\r\n"
        "BEGIN:VCARD\r\nFN:Cid\r\nTEL:3\r\nEND:VCARD\r\n"
        "TEL:2\r\nEND:VCARD\r\n"
        "TEL:1\r\nEND:VCARD\r\n";
    std::vector<std::string> problems;
    const auto contacts = ContactsFromVCard(file, problems);
    EXPECT_TRUE(problems.empty());
    ASSERT_EQ(contacts.size(), 1u);
    EXPECT_EQ(contacts[0].name, "Ann");
    EXPECT_EQ(contacts[0].numbers[0], "1");
    EXPECT_EQ(contacts[0].leftOut, (std::vector<std::string>{"agent (a card inside the card)"}));
}

TEST(ContactsTest, WhatDoesNotFitIsReportedForItsContact) {
    Contact c;
    c.source = 1;
    c.name = "Maximilian Oberbergmann";  // 23 characters
    c.numbers[0] = "+49 (30) 1234-567";
    c.numbers[1] = std::string(40, '5');
    c.numbers[2] = "+49 PRIVAT";
    c.email = "one@example.org";
    // Neither the euro sign nor the phone is Latin-1; U+0085 is a control.
    c.memo = "Caf\xC3\xA9 \xE2\x82\xAC \xE2\x98\x8E\xC2\x85" + std::string(40, 'z');
    c.speedDials[0] = 21;
    c.leftOut.push_back("second e-mail \"two@example.org\"");
    std::vector<Contact> list{c};
    for (int g = 1; g <= 6; ++g) {
        Contact member;
        member.source = g + 1;
        member.name = "Member " + std::to_string(g);
        member.group = "Group " + std::to_string(g);
        member.numbers[4] = "9/9";      // a separator, dropped without a word
        member.speedDials[4] = 7;       // all want speed dial 7
        if (g == 1) member.slot = 300;  // no such slot: it takes the first free one
        list.push_back(member);
    }
    Contact empty;
    empty.source = 8;
    empty.name = "Only a name";
    list.push_back(empty);

    PhoneBook book;
    const ContactsImport r = ReplaceEntriesWithContacts(list, book, PhoneNumbers("DE"));
    EXPECT_EQ(r.taken, 7);
    const auto& p = r.problems;
    EXPECT_TRUE(Mentions(p, "contact 1 \"Maximilian Oberbergmann\": name cut to 16"));
    EXPECT_TRUE(Mentions(p, "home number cut to 32 digits"));
    EXPECT_TRUE(
        Mentions(p, "memo: 2 character(s) the handset cannot show, written as \"Caf\xC3\xA9 EUR ?" +
                        std::string(30, 'z') + "...\""));
    EXPECT_TRUE(Mentions(p, "memo: 1 control character(s) left out"));
    EXPECT_TRUE(Mentions(p, "speed dial 21 left out"));
    EXPECT_TRUE(Mentions(p, "second e-mail \"two@example.org\" left out"));
    EXPECT_TRUE(Mentions(p, "group \"Group 6\" does not fit (five named groups)"));
    EXPECT_TRUE(Mentions(p, "contact 8 \"Only a name\": left out: no number"));
    EXPECT_TRUE(Mentions(p, "speed dial 7 of entry 6 left out: entry 1 has it"));
    EXPECT_FALSE(Mentions(p, "9/9"));
    EXPECT_TRUE(
        Mentions(p, "office number \"+49 PRIVAT\" left out: no number after the country code"));
    EXPECT_FALSE(Mentions(p, "+49 (30)"));  // dialled from home without a word

    PBEntry e;
    ASSERT_TRUE(book.GetEntry(0, e));
    EXPECT_EQ(TextOf(e.name), "Maximilian Oberb");
    EXPECT_EQ(NumberText(e.numbers[0]), "0301234567");
    EXPECT_EQ(TextOf(e.memo), "Caf\xE9 EUR ?" + std::string(38, 'z'));
    ASSERT_TRUE(book.GetEntry(6, e));
    EXPECT_EQ(e.group, kEtcGroup);
    EXPECT_EQ(NumberText(e.numbers[4]), "99");
    EXPECT_EQ(book.SpeedDial(7 - 2).entry, 1);
}

// A name too long for the handset never ends in a blank: the import and the address-book sync
// hold it alike, and the handset shows no stray space.
TEST(ContactsTest, LongNamesAreCutWithoutATrailingBlank) {
    const struct {
        const char* name;
        const char* held;
    } cases[] = {
        {"Christina Maria Schulz", "Christina Maria"},     // the 16th character is a blank
        {"Maximilian Huber-Schwarz", "Maximilian Huber"},  // cut where the hyphen joins
        {"Johann Sebastian- Bach", "Johann Sebastian"},
        {"Johannes Oberbergmann", "Johannes Oberber"},
        {"Anna Meyer", "Anna Meyer"},
    };
    for (const auto& c : cases) {
        Contact contact;
        contact.name = c.name;
        contact.numbers[0] = "0170123";
        const ContactFit fit = FitContact(contact, PhoneNumbers("DE"));
        EXPECT_EQ(TextOf(fit.entry.name), c.held) << c.name;
    }
}

TEST(ContactsTest, ReadsVersion21CardsWithTheirEncodings) {
    const std::string card =
        "BEGIN:VCARD\r\n"
        "VERSION:2.1\r\n"
        "N:Dupont;Ren\xE9\r\n"
        "TEL;CELL:0611 22 33\r\n"
        "TEL;WORK;VOICE:0140\r\n"
        "TEL:0555\r\n"
        "TEL;FAX:0199\r\n"
        "EMAIL;ENCODING=BASE64:cmVuZUB4LmZy\r\n"  // no padding: it ends on a group of four
        "NOTE;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:Pr=E9f=E8re le soir,=\r\n"
        " appeler avant=\r\n"
        "\r\n"
        "ADR;HOME:;;1 rue X;Paris;;75001;France\r\n"
        "END:VCARD\r\n";
    std::vector<std::string> problems;
    const auto contacts = ContactsFromVCard(card, problems);
    ASSERT_EQ(contacts.size(), 1u);
    const Contact& c = contacts[0];
    EXPECT_EQ(c.name, "Ren\xC3\xA9 Dupont");  // not UTF-8: read as Windows-1252
    EXPECT_EQ(c.numbers[0], "0611 22 33");
    EXPECT_EQ(c.numbers[1], "0555");  // the untyped number takes the first free kind
    EXPECT_EQ(c.numbers[2], "0140");
    EXPECT_EQ(c.numbers[4], "0199");
    EXPECT_EQ(c.email, "rene@x.fr");
    EXPECT_EQ(ReadVCard(card, BuiltinCharsets()).encoding,
              "UTF-8, Windows-1252 where not UTF-8, ISO-8859-1 as declared");
    EXPECT_EQ(c.memo,
              "Pr\xC3\xA9"
              "f\xC3\xA8re le soir, appeler avant");
    ASSERT_EQ(c.leftOut.size(), 1u);
    EXPECT_EQ(c.leftOut[0].rfind("address", 0), 0u);
}

TEST(ContactsTest, LongLinesFoldAndUnfold) {
    Contact c;
    c.source = 1;
    c.name = "\xC3\x89milie";
    c.numbers[0] = "1";
    c.memo = std::string(30, 'x') + "\xC3\xA9\xC3\xA9\xC3\xA9" + std::string(60, 'y');
    c.group = "A, B; C";
    const std::string text = ContactsToVCard({c});
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        EXPECT_LE(end - start, 75u);
    }
    std::vector<std::string> problems;
    const auto back = ContactsFromVCard(text, problems);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].memo, c.memo);
    EXPECT_EQ(back[0].group, c.group);
    EXPECT_EQ(back[0].name, c.name);
}

TEST(ContactsTest, CsvQuotingHeadersAndStrangeColumns) {
    const std::string csv =
        "\xEF\xBB\xBF"
        "name,MOBILE,Memo,Birthday,mobile speed dial,Ringer\r\n"
        "\"Doe, Jane\",0123,\"Line one\nline \"\"two\"\"\",1990-01-01,4,65535\r\n"
        "Bob,0456,,,X,65536,extra,more\n";
    std::vector<std::string> problems;
    const auto contacts = ContactsFromCsv(csv, problems);
    EXPECT_TRUE(problems.empty());
    ASSERT_EQ(contacts.size(), 2u);
    EXPECT_EQ(contacts[0].leftOut, (std::vector<std::string>{"\"Birthday\" value \"1990-01-01\""}));
    EXPECT_EQ(contacts[0].name, "Doe, Jane");
    EXPECT_EQ(contacts[0].memo, "Line one\nline \"two\"");
    EXPECT_EQ(contacts[0].speedDials[0], 4);
    EXPECT_EQ(contacts[0].ringer, 0xFFFF);
    EXPECT_EQ(contacts[1].speedDials[0], 0);
    EXPECT_EQ(contacts[1].leftOut,
              (std::vector<std::string>{"Ringer \"65536\"", "2 field(s) beyond the header"}));

    const std::string out = ContactsToCsv(contacts);
    std::vector<std::string> none;
    const auto again = ContactsFromCsv(out, none);
    EXPECT_TRUE(none.empty());
    ASSERT_EQ(again.size(), 2u);
    EXPECT_EQ(again[0].memo, contacts[0].memo);
    EXPECT_EQ(again[0].name, contacts[0].name);

    // European exports separate by semicolons; the header line decides, not the rows' commas.
    const auto semi = ContactsFromCsv("Name;Mobile\r\nDoe, Jane, Jr., Dr.;0123\r\n", none);
    EXPECT_TRUE(none.empty());
    ASSERT_EQ(semi.size(), 1u);
    EXPECT_EQ(semi[0].name, "Doe, Jane, Jr., Dr.");
    EXPECT_EQ(semi[0].numbers[0], "0123");
    EXPECT_EQ(ContactsFromCsv("Name;\"Mobile, cell, etc.\"\r\nJo;0123\r\n", none).at(0).name, "Jo");

    // Headings in snake case are headings; without a header a date is no number.
    const auto snake =
        ContactsFromCsv("first_name,last_name,mobile_phone\r\nBo,Hewson,0123\r\n", none);
    ASSERT_EQ(snake.size(), 1u);
    EXPECT_EQ(snake[0].name, "Bo Hewson");
    EXPECT_EQ(snake[0].numbers[0], "0123");
    std::vector<std::string> guessed;
    const auto dated = ContactsFromCsv(
        "Bo Hewson,1960-05-10,17.02.2016,5/10/60,030.123.4567,bo@example.com\n", guessed);
    ASSERT_EQ(dated.size(), 1u);
    EXPECT_EQ(dated[0].leftOut,
              (std::vector<std::string>{"date \"1960-05-10\"", "date \"17.02.2016\"",
                                        "date \"5/10/60\""}));
    EXPECT_EQ(dated[0].numbers[0], "030.123.4567");
    EXPECT_EQ(dated[0].email, "bo@example.com");
}

// A number's type or its label gives its kind, wherever a number of no kind stands beside it.
TEST(ContactsTest, TelTypesAndLabelsGiveTheKind) {
    const struct {
        const char* tel;
        std::size_t kind;
    } cases[] = {
        {"TEL;TYPE=CELL:2", 0},
        {"TEL;TYPE=VOICE,MOBILE:2", 0},
        {"TEL;TYPE=IPHONE:2", 0},
        {"TEL;TYPE=HOME:2", 1},
        {"TEL;TYPE=WORK:2", 2},
        {"TEL;TYPE=CELL,PAGER:2", 3},
        {"TEL;TYPE=HOME,FAX:2", 4},
        {"item1.TEL:2\r\nitem1.X-ABLabel:_$!<Mobile>!$_", 0},
        {"item1.TEL:2\r\nitem1.X-ABLabel:homeFax", 4},
        {"item1.TEL:2\r\nitem1.X-ABLabel:_$!<Work>!$_", 2},
    };
    for (const auto& c : cases) {
        const std::string tel = std::string(c.tel) + "\r\n";
        for (const std::string& tels : {"TEL:1\r\n" + tel, tel + "TEL:1\r\n"}) {
            std::vector<std::string> problems;
            const auto contacts = ContactsFromVCard(
                "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann\r\n" + tels + "END:VCARD\r\n", problems);
            ASSERT_EQ(contacts.size(), 1u);
            EXPECT_EQ(contacts[0].numbers[c.kind], "2") << tels;
        }
    }
}

// Each file holds one card for Ann, in another encoding or with other line ends.
TEST(ContactsTest, VCardsInAnyEncodingAndLineEndAreRead) {
    const std::string card =
        "BEGIN:VCARD\nVERSION:3.0\nFN:Ann\nitem1.TEL;TYPE=VOICE,CELL:123\nEND:VCARD\n";
    auto withEnds = [&](std::string_view end) {
        std::string out;
        for (const char c : card) {
            if (c == '\n') {
                out += end;
            } else {
                out += c;
            }
        }
        return out;
    };
    auto utf16 = [&](bool big) {
        std::string out = big ? "\xFE\xFF" : "\xFF\xFE";
        for (const char c : withEnds("\r\n")) {
            out += big ? std::string{'\0', c} : std::string{c, '\0'};
        }
        return out;
    };
    auto utf32 = [&](bool big) {
        std::string out = big ? std::string("\0\0\xFE\xFF", 4) : std::string("\xFF\xFE\0\0", 4);
        for (const char c : withEnds("\n")) {
            out += big ? std::string{'\0', '\0', '\0', c} : std::string{c, '\0', '\0', '\0'};
        }
        return out;
    };
    for (const std::string& file :
         {withEnds("\r\n"), withEnds("\r"), withEnds("\n"), "\xEF\xBB\xBF" + withEnds("\r\n"),
          utf16(false), utf16(true), utf32(false), utf32(true)}) {
        std::vector<std::string> problems;
        const auto contacts = ContactsFromVCard(file, problems);
        ASSERT_EQ(contacts.size(), 1u) << file;
        EXPECT_EQ(contacts[0].name, "Ann");
        EXPECT_EQ(contacts[0].numbers[0], "123");
        EXPECT_TRUE(problems.empty());
    }
}

std::string FileText(std::string_view bytes, std::vector<std::string>& problems) {
    ContactsText text(BuiltinCharsets());
    std::string out = text.File(bytes);
    problems = text.Problems();
    return out;
}

TEST(ContactsTest, Utf16PairsMakeOneCharacterAndLoneHalvesAreReported) {
    using namespace std::string_literals;
    // "é€😀", half a pair, "x"
    const std::string little = "\xFF\xFE\xE9\x00\xAC\x20\x3D\xD8\x00\xDE\x00\xD8x\x00"s;
    const std::string big = "\xFE\xFF\x00\xE9\x20\xAC\xD8\x3D\xDE\x00\xD8\x00\x00x"s;
    for (const std::string& file : {little, big}) {
        std::vector<std::string> problems;
        EXPECT_EQ(FileText(file, problems), "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80\xEF\xBF\xBDx");
        EXPECT_EQ(problems.size(), 1u);
    }
    std::vector<std::string> problems;  // half a pair before a character that is no half
    EXPECT_EQ(FileText("\xFF\xFE\x00\xD8\x00\xE0"s, problems), "\xEF\xBF\xBD\xEE\x80\x80");

    // Without a mark, UTF-16 shows in its zero bytes, also when one character in ten has a zero
    // low byte, as "\xE4\xB8\x80" (U+4E00) has: "Tanaka, \xE4\xB8\x80\xE9\x83\x8E".
    const std::string name = "Tanaka, \xE4\xB8\x80\xE9\x83\x8E";
    const std::string ascii = "T\0a\0n\0a\0k\0a\0,\0 \0"s;
    std::string swapped = ascii;
    for (std::size_t i = 0; i + 1 < swapped.size(); i += 2)
        std::swap(swapped[i], swapped[i + 1]);
    EXPECT_EQ(FileText(ascii + "\x00\x4E\xCE\x90"s, problems), name);
    EXPECT_EQ(FileText(swapped + "\x4E\x00\x90\xCE"s, problems), name);
    EXPECT_EQ(FileText("A\0B\0"s, problems), "AB");
    EXPECT_EQ(FileText("\xFF\xFE"
                       "A\0B"s,
                       problems),
              "A");  // the odd byte is reported, never read with what lies beyond
}

TEST(ContactsTest, QuotedPrintableSoftBreaksJoinButATrailingEqualsEndsTheValue) {
    const std::string file =
        "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Bo\r\n"
        "NOTE;ENCODING=QUOTED-PRINTABLE:one=\r\ntwo =3D=\r\n"
        "item1.TEL;CELL:555\r\n"  // a property after a trailing '=', grouped or not
        "EMAIL;ENCODING=QUOTED-PRINTABLE:=61@x=2eorg\r\n"  // hex digits in either case
        "ADR;ENCODING=QUOTED-PRINTABLE:" +
        std::string(5000, 'x') + "=\r\nEND:VCARD\r\n";
    std::vector<std::string> problems;
    const auto contacts = ContactsFromVCard(file, problems);
    ASSERT_EQ(contacts.size(), 1u);
    EXPECT_EQ(contacts[0].memo, "onetwo =");
    EXPECT_EQ(contacts[0].numbers[0], "555");
    EXPECT_EQ(contacts[0].email, "a@x.org");
    ASSERT_EQ(contacts[0].leftOut.size(), 1u);
    EXPECT_EQ(contacts[0].leftOut[0], "address \"" + std::string(40, 'x') + "...\"");
}

TEST(ContactsTest, CsvQuotesLeftOpenAndSecondColumnsAreReportedAndTheRowsKept) {
    const std::string csv =
        "Name,Mobile,Name\n"
        "Bob 5\" tall,123,Robert\n"
        "\"Ann,456\n"
        "Cid,789\n";
    std::vector<std::string> problems;
    const auto contacts = ContactsFromCsv(csv, problems);
    ASSERT_EQ(contacts.size(), 3u);
    EXPECT_EQ(contacts[0].name, "Bob 5\" tall");
    EXPECT_EQ(contacts[0].leftOut, (std::vector<std::string>{"\"Name\" value \"Robert\""}));
    EXPECT_EQ(contacts[1].name, "\"Ann");
    EXPECT_EQ(contacts[1].numbers[0], "456");
    EXPECT_EQ(contacts[2].name, "Cid");
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_NE(problems[0].find("line 3"), std::string::npos);
    EXPECT_NE(problems[1].find("\"Name\" appears twice"), std::string::npos);
}

TEST(ContactsTest, GoogleAndOutlookShapesAreReadByHeadingAndWrittenBack) {
    const std::string google =
        "Name,Given Name,Family Name,Group Membership,E-mail 1 - Type,E-mail 1 - Value,"
        "Phone 1 - Type,Phone 1 - Value,Phone 2 - Type,Phone 2 - Value,Notes\n"
        "Ann Lee,Ann,Lee,* myContacts ::: Friends,* Home,ann@x.org,Mobile,0170 1 ::: 0170 2,"
        "Work Fax,040 9,hi\n";
    const std::string outlook =
        "Title,First Name,Last Name,Business Phone,Mobile Phone,Home Fax,Other Phone,"
        "E-mail Address,E-mail Type,Categories,Sensitivity,Company,Web Page\n"
        ",Ann,Lee,040 1,0170 1,040 9,0170 2,ann@x.org,SMTP,Friends;Golf,Private,Acme,wap.x\n";
    const std::string thunderbird =
        "First Name,Last Name,Display Name,Primary Email,Work Phone,Home Phone,Fax Number,"
        "Pager Number,Mobile Number,Web Page 1\n"
        "Ann,Lee,Ann Lee,ann@x.org,040 1,0170 2,040 9,0190 3,0170 1,wap.x\n";
    std::vector<std::string> problems;
    const auto g = ContactsFromCsv(google, problems);
    const auto o = ContactsFromCsv(outlook, problems);
    const auto t = ContactsFromCsv(thunderbird, problems);
    EXPECT_TRUE(problems.empty());
    ASSERT_EQ(g.size(), 1u);
    ASSERT_EQ(o.size(), 1u);
    ASSERT_EQ(t.size(), 1u);
    EXPECT_EQ(t[0].name, "Ann Lee");
    EXPECT_EQ(t[0].numbers,
              (std::array<std::string, 5>{"0170 1", "0170 2", "040 1", "0190 3", "040 9"}));
    EXPECT_TRUE(t[0].leftOut.empty());
    EXPECT_EQ(g[0].name, "Ann Lee");
    EXPECT_EQ(o[0].name, "Ann Lee");
    EXPECT_EQ(g[0].group, "Friends");
    EXPECT_EQ(o[0].group, "Friends");
    EXPECT_EQ(g[0].email, "ann@x.org");
    EXPECT_EQ(g[0].numbers, (std::array<std::string, 5>{"0170 1", "", "", "", "040 9"}));
    EXPECT_EQ(g[0].leftOut, (std::vector<std::string>{"second mobile number \"0170 2\""}));
    EXPECT_EQ(o[0].numbers, (std::array<std::string, 5>{"0170 1", "0170 2", "040 1", "", "040 9"}));
    EXPECT_EQ(g[0].memo, "hi");
    EXPECT_TRUE(o[0].secret);
    EXPECT_EQ(o[0].leftOut,
              (std::vector<std::string>{"group \"Golf\"", "\"Company\" value \"Acme\""}));

    for (const CsvShape shape : {CsvShape::Google, CsvShape::Outlook}) {
        std::vector<std::string> none;
        const auto back = ContactsFromCsv(ContactsToCsv(o, shape), none);
        EXPECT_TRUE(none.empty());
        ASSERT_EQ(back.size(), 1u);
        EXPECT_EQ(back[0].name, "Ann Lee");
        EXPECT_EQ(back[0].numbers, o[0].numbers);
        EXPECT_EQ(back[0].email, o[0].email);
        EXPECT_EQ(back[0].wireless, "wap.x");
        EXPECT_EQ(back[0].memo, o[0].memo);
        EXPECT_EQ(back[0].group, "Friends");
    }
}

TEST(BookFormatsTest, TheNameChoosesTheFormatAndTheShapeWritten) {
    const std::vector<std::pair<std::string_view, BookFormat>> cases = {
        {"a.JSON", BookFormat::Json},
        {"x.vcf", BookFormat::VCard},
        {"x.VCard", BookFormat::VCard},
        {"x.csv", BookFormat::Csv},
        {"google.csv", BookFormat::Csv},
        {"My.Google.CSV", BookFormat::GoogleCsv},
        {"a.outlook.csv", BookFormat::OutlookCsv},
        {"a.pb", BookFormat::PhoneBook},
        {"no-extension", BookFormat::PhoneBook}};
    for (const auto& [path, format] : cases)
        EXPECT_EQ(FormatOfPath(path), format) << path;

    PhoneBook book;
    test::AddEntry(book, 3, "Ann", kEtcGroup);
    const std::vector<std::pair<BookFormat, std::string_view>> starts = {
        {BookFormat::Json, "{"},
        {BookFormat::VCard, "BEGIN:VCARD"},
        {BookFormat::Csv, "Slot,Name,"},
        {BookFormat::GoogleCsv, "Name,Given Name,"},
        {BookFormat::OutlookCsv, "First Name,"}};
    for (const auto& [format, start] : starts) {
        const std::string text = BookToText(format, book);
        EXPECT_TRUE(text.starts_with(start)) << text;
        PhoneBook back;
        EXPECT_TRUE(BookFromText(format, text, back).ok) << text;
        EXPECT_EQ(back.CountUsedEntries(), 1) << text;
    }
    EXPECT_TRUE(BookToText(BookFormat::PhoneBook, book).empty());
    EXPECT_FALSE(BookFromText(BookFormat::PhoneBook, "x", book).ok);
    const TextImport bad = BookFromText(BookFormat::Json, "{", book);
    EXPECT_FALSE(bad.ok);
    EXPECT_FALSE(bad.error.empty());
}

TEST(ContactsTest, AnImportWithoutContactsLeavesTheBook) {
    for (const auto& [format, text] :
         {std::pair{BookFormat::VCard, std::string("\xEF\xBB\xBFnot a card")},
          std::pair{BookFormat::Csv, std::string("Name,Mobile\r\n")},
          std::pair{BookFormat::Csv, std::string("Name\nOnly a name\n")}}) {
        PhoneBook book;
        test::AddEntry(book, 7, "Keep", kEtcGroup);
        const TextImport r = BookFromText(format, text, book);
        EXPECT_FALSE(r.ok) << text;
        EXPECT_TRUE(
            r.error.starts_with(text.find("Only") == std::string::npos ? "no contact" : "none of"))
            << r.error;
        EXPECT_TRUE(book.IsValidEntry(7));
    }
    EXPECT_EQ(NoContactReason(BookFormat::Csv, " \r\n"), "the file is empty");
}

}  // namespace
}  // namespace numora
