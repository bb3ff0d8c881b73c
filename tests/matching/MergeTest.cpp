// Merging contacts into a book and a book's duplicates into one entry each. Above all: merging
// the same files again, or the book's own export, changes nothing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "book/BookDiff.h"
#include "formats/BookFormats.h"
#include "formats/BookJson.h"
#include "formats/ContactFiles.h"
#include "matching/MergePlan.h"
#include "support/SampleBook.h"

namespace numora {
namespace {

PBEntry MakeEntry(int slot, std::string_view name,
                  std::array<std::string_view, kNumberKinds> numbers, std::string_view email = {}) {
    PBEntry e;
    e.index = static_cast<uint16_t>(slot);
    e.group = kEtcGroup;
    SetText(e.name, name);
    for (std::size_t k = 0; k < numbers.size(); ++k)
        SetNumber(e.numbers[k], numbers[k]);
    SetText(e.email, email);
    return e;
}

Contact MakeContact(int source, std::string name, std::array<std::string, kNumberKinds> numbers,
                    std::string email = {}) {
    Contact c;
    c.source = source;
    c.name = std::move(name);
    c.numbers = std::move(numbers);
    c.email = std::move(email);
    return c;
}

std::vector<Contact> Read(BookFormat format, const std::string& text) {
    const ContactsOfFile r = ContactsFromFile(format, text, BuiltinCharsets());
    EXPECT_TRUE(r.ok) << r.error;
    return r.contacts;
}

std::string Lines(const std::vector<BookDifference>& diffs) {
    std::string out;
    for (const BookDifference& d : diffs)
        out += DifferenceLine(d) + "\n";
    return out;
}

bool Mentions(const std::vector<std::string>& lines, const std::string& what) {
    for (const std::string& l : lines) {
        if (l.find(what) != std::string::npos) return true;
    }
    return false;
}

// A handset book, a Google Contacts export and a vCard export that overlap with it and with
// each other, numbers written as each program writes them.
PhoneBook HandsetBook() {
    PhoneBook book;
    book.SetEntry(MakeEntry(0, "Anna Meyer", {"01701234567", "", "", "", ""}));
    book.SetEntry(MakeEntry(1, "Mum", {"", "0301234567", "", "", ""}));
    book.SetEntry(MakeEntry(2, "Pizza", {"", "", "0307654321", "", ""}));  // only on the phone
    book.SetEntry(MakeEntry(3, "Tom Meyer", {"01719876543", "0301234567", "", "", ""}));
    book.SetSpeedDial(2, 1, NumberKind::Home);
    return book;
}

const char* const kGoogleCsv =
    "Name,Given Name,Family Name,Phone 1 - Type,Phone 1 - Value,Phone 2 - Type,Phone 2 - Value,"
    "E-mail 1 - Type,E-mail 1 - Value\r\n"
    "Anna Meyer,Anna,Meyer,Mobile,+49 170 1234567,Work,+49 30 5550100,* Other,anna@example.org\r\n"
    "Bert Brandt,Bert,Brandt,Mobile,+49 160 1112223,,,,\r\n"
    "Tom Meyer,Tom,Meyer,Mobile,0171 9876543,,,* Other,Tom.Meyer@Example.org\r\n";

const char* const kVCard =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Meyer\\, Anna\r\nN:Meyer;Anna;;;\r\n"
    "TEL;TYPE=CELL:0170/1234567\r\nEMAIL:ANNA@example.org\r\nNOTE:Met at the fair\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Bert Brandt\r\nTEL;TYPE=CELL:01601112223\r\n"
    "TEL;TYPE=HOME:+49 (30) 777-888\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:2.1\r\nFN:Carla Conte\r\nTEL;CELL:+39 333 1234567\r\nEND:VCARD\r\n";

TEST(MergeTest, MergingTheSameFilesAgainChangesNothing) {
    for (const Prefer prefer : {Prefer::Book, Prefer::Incoming}) {
        NumberKeys keys{PhoneNumbers("DE")};
        const MergeOptions options{prefer, nullptr};
        PhoneBook book = HandsetBook();
        for (const auto& [format, text] :
             {std::pair(BookFormat::GoogleCsv, kGoogleCsv), std::pair(BookFormat::VCard, kVCard)}) {
            ApplyMergePlan(PlanMerge(book, Read(format, text), keys, options), book);
        }
        // One entry per person: the three of the phone, Bert and Carla; the phone-only ones
        // and their speed dial stay.
        EXPECT_EQ(book.CountUsedEntries(), 6);
        EXPECT_EQ(TextOf(book.Entry(2).name), "Pizza");
        EXPECT_EQ(book.SpeedDial(0).entry, 1);
        const PBEntry& anna = book.Entry(0);
        EXPECT_EQ(NumberText(anna.numbers[0]), "01701234567");
        EXPECT_EQ(NumberText(anna.numbers[2]), "0305550100");
        EXPECT_EQ(TextOf(anna.email), "anna@example.org");
        EXPECT_EQ(TextOf(anna.memo), "Met at the fair");
        EXPECT_EQ(TextOf(book.Entry(3).email), "Tom.Meyer@Example.org");
        EXPECT_EQ(NumberText(book.Entry(4).numbers[1]), "030777888");  // Bert's home, from the card

        for (const auto& [format, text] :
             {std::pair(BookFormat::GoogleCsv, kGoogleCsv), std::pair(BookFormat::VCard, kVCard)}) {
            const MergePlan again = PlanMerge(book, Read(format, text), keys, options);
            EXPECT_EQ(Lines(again.changes), "");
            EXPECT_TRUE(again.likely.empty());
        }
    }
}

using test::SampleBook;

// In every format the tool writes, with a person entered twice in the book: each contact finds
// the entry it came from.
TEST(MergeTest, MergingTheBooksOwnExportChangesNothing) {
    PhoneBook book = SampleBook();
    PBEntry twice = book.Entry(1);
    twice.index = 299;
    SetText(twice.memo, "");
    book.SetEntry(twice);
    PBEntry more = book.Entry(1);
    more.index = 298;
    SetNumber(more.numbers[4], "0309999");
    book.SetEntry(more);
    NumberKeys keys{PhoneNumbers("DE")};
    for (const BookFormat format : {BookFormat::VCard, BookFormat::Csv, BookFormat::GoogleCsv,
                                    BookFormat::OutlookCsv, BookFormat::Json}) {
        const MergePlan plan = PlanMerge(book, Read(format, BookToText(format, book)), keys);
        EXPECT_EQ(Lines(plan.changes), "") << static_cast<int>(format);
        EXPECT_TRUE(plan.conflicts.empty()) << ConflictLine(plan.conflicts.front());
        EXPECT_TRUE(plan.likely.empty()) << LikelyLine(plan.likely.front());
        EXPECT_EQ(plan.added, 0);
    }
}

TEST(MergeTest, FieldsMergeByTheirRules) {
    struct Case {
        const char* what;
        PBEntry entry;
        Contact contact;
        Prefer prefer;
        PBEntry after;
        std::vector<std::string> conflicts;  // fields
        const char* notFitting;
    };
    const Case cases[] = {
        {"empty fields take the contact's",
         MakeEntry(0, "", {"0170111", "", "", "", ""}),
         MakeContact(1, "Anna", {"+49 170 111", "", "", "", ""}, "a@x.de"),
         Prefer::Book,
         MakeEntry(0, "Anna", {"0170111", "", "", "", ""}, "a@x.de"),
         {},
         ""},
        {"a number in another kind is there already",
         MakeEntry(0, "Anna", {"", "0301234567", "", "", ""}),
         MakeContact(1, "Anna", {"+49 30 1234567", "", "", "", ""}),
         Prefer::Book,
         MakeEntry(0, "Anna", {"", "0301234567", "", "", ""}),
         {},
         ""},
        {"a new number with its kind taken goes to the first free, the Mobile last",
         MakeEntry(0, "Anna", {"", "0301", "", "", ""}, "a@x"),
         MakeContact(1, "Anna", {"", "0302", "", "", ""}, "a@x"),
         Prefer::Book,
         MakeEntry(0, "Anna", {"", "0301", "0302", "", ""}, "a@x"),
         {},
         ""},
        {"home numbers fill Office, then the Mobile",
         MakeEntry(0, "Anna", {"", "0301", "", "0303", "0304"}),
         MakeContact(1, "Anna", {"", "0305", "0301", "", "0306"}, ""),
         Prefer::Book,
         MakeEntry(0, "Anna", {"0306", "0301", "0305", "0303", "0304"}),
         {},
         ""},
        {"a full entry lists the number",
         MakeEntry(0, "Anna", {"1", "2", "3", "4", "5"}),
         MakeContact(1, "Anna", {"1", "", "", "", "0309"}),
         Prefer::Book,
         MakeEntry(0, "Anna", {"1", "2", "3", "4", "5"}),
         {},
         "entry 0 \"Anna\": Fax number \"0309\" of contact 1 \"Anna\" left out: the entry has no "
         "free number"},
        {"another Mobile is a conflict: the book's stays",
         MakeEntry(0, "Anna", {"0170111", "0301", "", "", ""}, "a@x"),
         MakeContact(1, "Anna", {"0170222", "0301", "", "", ""}, "b@x"),
         Prefer::Book,
         MakeEntry(0, "Anna", {"0170111", "0301", "", "", ""}, "a@x"),
         {"Mobile", "E-mail"},
         ""},
        {"the incoming side when preferred",
         MakeEntry(0, "Anna", {"0170111", "", "", "", ""}, "a@x"),
         MakeContact(1, "Anna", {"0170222", "0170111", "", "", ""}, "b@x"),
         Prefer::Incoming,
         MakeEntry(0, "Anna", {"0170222", "0170111", "", "", ""}, "b@x"),
         {"Mobile", "E-mail"},
         ""},
        {"the same text written another way is no conflict",
         MakeEntry(0, "Meyer, Anna", {"0170111", "", "", "", ""}, "Anna@X.de"),
         MakeContact(1, "anna meyer", {"0170111", "", "", "", ""}, "anna@x.de"),
         Prefer::Incoming,
         MakeEntry(0, "Meyer, Anna", {"0170111", "", "", "", ""}, "Anna@X.de"),
         {},
         ""},
    };
    for (const Case& c : cases) {
        PhoneBook book;
        book.SetEntry(c.entry);
        NumberKeys keys{PhoneNumbers("DE")};
        const MergePlan plan = PlanMerge(book, {c.contact}, keys, {c.prefer, nullptr});
        ASSERT_EQ(plan.merged.size(), 1u) << c.what;
        const PBEntry& e = plan.result.Entry(0);
        EXPECT_EQ(TextOf(e.name), TextOf(c.after.name)) << c.what;
        for (std::size_t k = 0; k < kNumberKinds; ++k)
            EXPECT_EQ(NumberText(e.numbers[k]), NumberText(c.after.numbers[k]))
                << c.what << " " << k;
        EXPECT_EQ(TextOf(e.email), TextOf(c.after.email)) << c.what;
        std::vector<std::string> fields;
        for (const Conflict& conflict : plan.conflicts) {
            fields.push_back(conflict.field);
            EXPECT_EQ(conflict.incomingTaken, c.prefer == Prefer::Incoming) << c.what;
        }
        EXPECT_EQ(fields, c.conflicts) << c.what;
        EXPECT_EQ(plan.notFitting.empty(), std::string(c.notFitting).empty()) << c.what;
        if (!plan.notFitting.empty()) {
            EXPECT_EQ(plan.notFitting.front(), c.notFitting) << c.what;
        }
    }
}

TEST(MergeTest, WhatTheEntryHasOfItsOwnStays) {
    PhoneBook book;
    book.SetGroup(3, "Family");
    PBEntry e = MakeEntry(7, "Anna", {"0170111", "", "", "", ""});
    e.group = 3;
    e.secret = 1;
    e.ringer = 104;
    book.SetEntry(e);
    book.SetSpeedDial(5, 7, NumberKind::Mobile);
    Contact c = MakeContact(1, "Anna", {"0170111", "0301", "", "", ""});
    c.group = "Work";
    c.ringer = 100;
    c.speedDials = {9, 6, 0, 0, 0};  // the Mobile's is taken by 5; the new Home's is free
    NumberKeys keys{PhoneNumbers("DE")};
    const MergePlan plan = PlanMerge(book, {c}, keys);
    const PBEntry& after = plan.result.Entry(7);
    EXPECT_EQ(after.group, 3);
    EXPECT_EQ(after.secret, 1);
    EXPECT_EQ(after.ringer, 104);
    EXPECT_EQ(plan.result.SpeedDial(5 - kFirstSpeedDial).entry, 7);
    EXPECT_EQ(plan.result.SpeedDial(9 - kFirstSpeedDial).entry, kNone16);
    EXPECT_EQ(plan.result.FindSpeedDial(7, NumberKind::Home), 6 - kFirstSpeedDial);
    EXPECT_TRUE(
        Mentions(plan.notFitting,
                 "speed dial 9 of contact 1 \"Anna\" left out: the number has speed dial 5"));
}

// Deleting an entry leaves its speed dials naming the empty slot: they are free, for a contact
// that joins an entry as for one that comes in new.
TEST(MergeTest, ASpeedDialOfADeletedEntryIsFree) {
    PhoneBook book;
    book.SetEntry(MakeEntry(3, "Gone", {"0170999", "0309", "", "", ""}));
    book.SetEntry(MakeEntry(7, "Anna", {"0170111", "", "", "", ""}));
    book.SetSpeedDial(5, 3, NumberKind::Mobile);
    book.SetSpeedDial(6, 3, NumberKind::Home);
    book.DeleteEntry(3);
    Contact anna = MakeContact(1, "Anna", {"0170111", "", "", "", ""});
    anna.speedDials = {5, 0, 0, 0, 0};
    Contact bert = MakeContact(2, "Bert", {"", "0160222", "", "", ""});
    bert.speedDials = {0, 6, 0, 0, 0};
    NumberKeys keys{PhoneNumbers("DE")};
    const MergePlan plan = PlanMerge(book, {anna, bert}, keys);
    EXPECT_EQ(plan.result.FindSpeedDial(7, NumberKind::Mobile), 5 - kFirstSpeedDial);
    EXPECT_EQ(plan.result.FindSpeedDial(0, NumberKind::Home), 6 - kFirstSpeedDial);
    EXPECT_TRUE(plan.notFitting.empty()) << plan.notFitting.front();
}

TEST(MergeTest, NewContactsTakeFreeSlotsInOrderAndTheRestIsListed) {
    PhoneBook book;
    for (int i = 0; i < kEntrySlots; ++i) {
        if (i != 5 && i != 298)
            book.SetEntry(
                MakeEntry(i, "P" + std::to_string(i), {std::to_string(1000 + i), "", "", "", ""}));
    }
    std::vector<Contact> contacts;
    for (int k = 1; k <= 3; ++k)
        contacts.push_back(
            MakeContact(k, "New " + std::to_string(k), {std::to_string(5000 + k), "", "", "", ""}));
    contacts[0].group = "Club";
    NumberKeys keys{PhoneNumbers("DE")};
    const MergePlan plan = PlanMerge(book, contacts, keys);
    EXPECT_EQ(TextOf(plan.result.Entry(5).name), "New 1");
    EXPECT_EQ(TextOf(plan.result.Group(plan.result.Entry(5).group).name), "Club");
    EXPECT_EQ(TextOf(plan.result.Entry(298).name), "New 2");
    EXPECT_EQ(plan.added, 2);
    EXPECT_EQ(plan.notFitting, std::vector<std::string>{
                                   "contact 3 \"New 3\": left out: the handset holds 300 entries"});
}

// A shared family number or a shared name is asked about: nothing of the pair merges until the
// user answers, and the answer decides.
TEST(MergeTest, LikelyPairsMergeOnlyWhenAnsweredTheSamePerson) {
    PhoneBook book;
    book.SetEntry(MakeEntry(0, "Anna Meyer", {"01701234567", "0301234567", "", "", ""}));
    const std::vector<Contact> contacts = {
        MakeContact(1, "Tom Meyer", {"", "030 1234567", "", "", ""}),
        MakeContact(2, "Meyer, Anna", {"0172 5555555", "", "", "", ""}),
    };
    NumberKeys keys{PhoneNumbers("DE")};
    const MergePlan asked = PlanMerge(book, contacts, keys);
    ASSERT_EQ(asked.likely.size(), 2u);
    EXPECT_EQ(
        LikelyLine(asked.likely[0]),
        "entry 0 \"Anna Meyer\" and contact 1 \"Tom Meyer\": a shared number under other names");
    EXPECT_EQ(asked.likely[1].rule, MatchRule::SameNameOtherNumbers);
    EXPECT_EQ(asked.added, 2);
    EXPECT_EQ(NumberText(asked.result.Entry(0).numbers[0]), "01701234567");

    PairAnswers answers;
    answers.Set(asked.likely[0].person, asked.likely[0].otherPerson, Answer::DifferentPeople, keys);
    answers.Set(asked.likely[1].person, asked.likely[1].otherPerson, Answer::SamePerson, keys);
    const MergePlan answered = PlanMerge(book, contacts, keys, {Prefer::Book, &answers});
    EXPECT_TRUE(answered.likely.empty());
    EXPECT_EQ(answered.added, 1);
    EXPECT_EQ(TextOf(answered.result.Entry(1).name), "Tom Meyer");
    // Anna's new mobile number is a conflict with her old one, not a silent change.
    ASSERT_EQ(answered.conflicts.size(), 1u);
    EXPECT_EQ(ConflictLine(answered.conflicts[0]),
              "entry 0 \"Anna Meyer\": Mobile \"01701234567\" kept; contact 2 \"Meyer, Anna\" has "
              "\"01725555555\"");

    // The answer outlives the merge it caused: the entry that took the contact's office number
    // is still the same person, and merging again changes nothing and asks nothing.
    const std::vector<Contact> tom = {
        MakeContact(1, "Tom Meyer", {"", "030 1234567", "0221 555555", "", ""})};
    const MergePlan askedTom = PlanMerge(book, tom, keys);
    ASSERT_EQ(askedTom.likely.size(), 1u);
    answers = {};
    answers.Set(askedTom.likely[0].person, askedTom.likely[0].otherPerson, Answer::SamePerson,
                keys);
    PhoneBook merged = book;
    ApplyMergePlan(PlanMerge(merged, tom, keys, {Prefer::Book, &answers}), merged);
    EXPECT_EQ(NumberText(merged.Entry(0).numbers[2]), "0221555555");
    const MergePlan again = PlanMerge(merged, tom, keys, {Prefer::Book, &answers});
    EXPECT_EQ(Lines(again.changes), "");
    EXPECT_TRUE(again.likely.empty());
}

// Three people entered twice (an international and a national number, names in both orders)
// are exactly three pairs; each becomes one entry in the lower slot, and a speed dial of the
// merged-away entry follows its number.
TEST(MergeTest, FindDuplicatesMergesEachPairIntoTheLowerSlot) {
    PhoneBook book;
    book.SetEntry(MakeEntry(2, "Anna Meyer", {"00447700900123", "", "", "", ""}));
    book.SetEntry(MakeEntry(4, "Bob Smith", {"", "02079460958", "", "", ""}));
    book.SetEntry(MakeEntry(6, "Carl Jones", {"", "", "", "", ""}, "carl@example.org"));
    book.SetEntry(MakeEntry(8, "Dora Jones", {"", "01632960001", "", "", ""}));  // a family
    book.SetEntry(MakeEntry(9, "Dave Jones", {"", "01632960001", "", "", ""}));  // number
    book.SetEntry(MakeEntry(10, "Anna Meyer", {"07700 900123", "", "", "", ""}, "anna@x.uk"));
    book.SetEntry(MakeEntry(12, "Smith, Bob", {"07700900456", "+44 20 7946 0958", "", "", ""}));
    book.SetEntry(
        MakeEntry(14, "Jones, Carl", {"07700900789", "", "", "", ""}, "Carl@Example.org"));
    book.SetSpeedDial(3, 12, NumberKind::Mobile);
    book.SetSpeedDial(4, 12, NumberKind::Home);
    NumberKeys keys{PhoneNumbers("GB")};
    const MergePlan plan = PlanDuplicates(book, keys);
    std::vector<std::pair<int, int>> pairs;
    for (const MergedPair& p : plan.merged)
        pairs.emplace_back(p.slot, p.other);
    EXPECT_EQ(pairs, (std::vector<std::pair<int, int>>{{2, 10}, {4, 12}, {6, 14}}));
    ASSERT_EQ(plan.likely.size(), 1u);
    EXPECT_EQ(
        LikelyLine(plan.likely[0]),
        "entry 8 \"Dora Jones\" and entry 9 \"Dave Jones\": a shared number under other names");
    const PhoneBook& after = plan.result;
    EXPECT_EQ(after.CountUsedEntries(), 5);
    EXPECT_EQ(TextOf(after.Entry(2).email), "anna@x.uk");
    EXPECT_EQ(NumberText(after.Entry(4).numbers[0]), "07700900456");
    EXPECT_EQ(after.SpeedDial(3 - kFirstSpeedDial), (PBSpeedDial{4, KindByte(NumberKind::Mobile)}));
    EXPECT_EQ(after.SpeedDial(4 - kFirstSpeedDial), (PBSpeedDial{4, KindByte(NumberKind::Home)}));
    // Nothing is dropped between duplicates: Carl's other mobile goes with him.
    EXPECT_EQ(NumberText(after.Entry(6).numbers[0]), "07700900789");
    EXPECT_TRUE(plan.conflicts.empty()) << ConflictLine(plan.conflicts.front());

    const MergePlan again = PlanDuplicates(after, keys);
    EXPECT_TRUE(again.merged.empty());
    EXPECT_EQ(Lines(again.changes), "");
    PairAnswers answers;
    answers.Set(plan.likely[0].person, plan.likely[0].otherPerson, Answer::DifferentPeople, keys);
    EXPECT_TRUE(PlanDuplicates(after, keys, {Prefer::Book, &answers}).likely.empty());
}

}  // namespace
}  // namespace numora
