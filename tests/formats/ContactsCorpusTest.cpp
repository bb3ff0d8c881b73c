// Contacts files other programs wrote (tests/data/contacts, sources in its SOURCES file), read as
// the window and the tool read them: with Qt's character sets. Every contact another reader
// finds is in the book or named in the report, no text is garbled, no control byte reaches the
// book, the report names the encoding, and the book goes out and back in unchanged.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "formats/BookFormats.h"
#include "formats/BookJson.h"
#include "formats/ContactsCsv.h"
#include "formats/ContactsText.h"
#include "formats/VCard.h"
#include "text/QtCharsets.h"
#include "text/TextCodec.h"

namespace numora {
namespace {

namespace fs = std::filesystem;

const QtCharsets kCharsets;

std::string Slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool IsCsv(const fs::path& path) {
    return path.extension() == ".csv";
}

// How many contacts a reader that knows nothing of this program finds: vCard's BEGIN lines,
// less the cards nested in others; for CSV, counted by hand.
int ContactsAnotherReaderFinds(const fs::path& path, const std::string& bytes) {
    static const std::map<std::string, int> kCounted = {
        {"made-controls.csv", 3},
        {"made-google.csv", 2},
        {"made-outlook-de.csv", 2},
        {"made-outlook.csv", 2},
        {"made-utf16le-tabs.csv", 2},
        {"thunderbird-basic_csv_addressbook.csv", 2},
        {"thunderbird-csv_no_header.csv", 2},
        {"thunderbird-csv_semicolon.csv", 2},
        {"thunderbird-export-tabs.csv", 2},
        {"thunderbird-export.csv", 2},
        {"pimalaya-vcard21_agent_nested.vcf", 1},
        {"roundcube-all.csv", 1},
        {"monica-single_contact_stub.csv", 1},
        {"roundcube-email.csv", 4},
        {"roundcube-outlook.csv", 1},
        {"roundcube-tb_plain.csv", 1},
    };
    if (const auto it = kCounted.find(path.filename().string()); it != kCounted.end()) {
        return it->second;
    }
    EXPECT_FALSE(IsCsv(path)) << "count the contacts of " << path << " by hand";
    ContactsText text(kCharsets);
    const std::string decoded = text.File(bytes);
    static const std::regex kBegin("^[ \\t]*begin:vcard",
                                   std::regex::icase | std::regex::multiline);
    return static_cast<int>(
        std::distance(std::sregex_iterator(decoded.begin(), decoded.end(), kBegin), {}));
}

// Text that was decoded in the wrong character set: UTF-8 read as Latin-1 ("Ã©").
bool LooksGarbled(const std::string& utf8) {
    for (std::size_t i = 0; i + 3 < utf8.size(); ++i) {
        if (utf8.compare(i, 2, "\xC3\x83") == 0 && (utf8[i + 2] == '\xC2' || utf8[i + 2] == '\xC6'))
            return true;
    }
    return false;
}

bool HasControl(std::string_view bytes, bool lineBreaksAllowed) {
    return std::any_of(bytes.begin(), bytes.end(), [&](char c) {
        const auto b = static_cast<uint8_t>(c);
        if (lineBreaksAllowed && (b == '\r' || b == '\n')) return false;
        return b < 0x20 || b == 0x7F || (b >= 0x80 && b <= 0x9F);
    });
}

std::string Numbers(const PBEntry& e) {
    std::string out;
    for (const auto& n : e.numbers)
        out += std::string(NumberText(n)) + "|";
    return out;
}

TEST(ContactsCorpusTest, EveryContactIsInTheBookOrInTheReportAndReadsRight) {
    const PhoneNumbers home("US");
    int files = 0;
    int contactsSeen = 0;
    for (const auto& item : fs::directory_iterator(NUMORA_CONTACTS_CORPUS)) {
        const fs::path path = item.path();
        if (path.extension() != ".vcf" && !IsCsv(path)) continue;
        SCOPED_TRACE(path.filename().string());
        ++files;
        const std::string bytes = Slurp(path);
        const ContactsRead read =
            IsCsv(path) ? ReadCsv(bytes, kCharsets) : ReadVCard(bytes, kCharsets);
        EXPECT_EQ(static_cast<int>(read.contacts.size()), ContactsAnotherReaderFinds(path, bytes));
        EXPECT_FALSE(read.encoding.empty());
        contactsSeen += static_cast<int>(read.contacts.size());

        const bool sourceHasReplacement = bytes.find("\xEF\xBF\xBD") != std::string::npos;
        for (const Contact& c : read.contacts) {
            for (const std::string* text : {&c.name, &c.email, &c.wireless, &c.memo, &c.group}) {
                EXPECT_TRUE(IsUtf8(*text)) << *text;
                EXPECT_FALSE(LooksGarbled(*text)) << *text;
                if (!sourceHasReplacement) {
                    EXPECT_EQ(text->find("\xEF\xBF\xBD"), std::string::npos) << *text;
                }
            }
        }

        PhoneBook book;
        const TextImport r = BookFromText(IsCsv(path) ? BookFormat::Csv : BookFormat::VCard, bytes,
                                          book, ContactsOptions{home, &kCharsets});
        EXPECT_EQ(r.ok, book.CountUsedEntries() > 0) << r.error;
        EXPECT_EQ(r.encoding, read.encoding);
        for (const std::string& line : r.problems) {
            EXPECT_EQ(line.find_first_of(std::string("\n\r\0", 3)), std::string::npos) << line;
        }
        // Each contact: stored as it fits, or left out with its reason.
        for (const Contact& c : read.contacts) {
            const ContactFit fit = FitContact(c, home);
            if (fit.stored) {
                bool found = false;
                for (int slot = 0; slot < kEntrySlots && !found; ++slot) {
                    PBEntry e;
                    found = book.GetEntry(slot, e) && TextOf(e.name) == TextOf(fit.entry.name) &&
                            Numbers(e) == Numbers(fit.entry) &&
                            TextOf(e.email) == TextOf(fit.entry.email);
                }
                EXPECT_TRUE(found) << "contact " << c.source << " is not in the book";
            } else {
                const std::string who = "contact " + std::to_string(c.source);
                EXPECT_TRUE(std::any_of(r.problems.begin(), r.problems.end(),
                                        [&](const std::string& p) {
                                            return p.starts_with(who) &&
                                                   p.find("left out: ") != std::string::npos;
                                        }))
                    << who << " is neither stored nor reported";
            }
        }
        for (int slot = 0; slot < kEntrySlots; ++slot) {
            PBEntry e;
            if (!book.GetEntry(slot, e)) continue;
            EXPECT_FALSE(HasControl(TextOf(e.name), false)) << TextOf(e.name);
            EXPECT_FALSE(HasControl(TextOf(e.email), false));
            EXPECT_FALSE(HasControl(TextOf(e.wireless), false));
            EXPECT_FALSE(HasControl(TextOf(e.memo), true));
        }
        if (!r.ok) continue;
        // Out in the book's own shapes and back in: the same book.
        for (const BookFormat format : {BookFormat::VCard, BookFormat::Csv}) {
            PhoneBook back;
            const TextImport again = BookFromText(format, BookToText(format, book), back,
                                                  ContactsOptions{home, &kCharsets});
            EXPECT_TRUE(again.ok);
            EXPECT_EQ(BookToJson(back), BookToJson(book));
        }
    }
    EXPECT_GE(files, 100);
    EXPECT_GE(contactsSeen, 90);
}

// What particular files must give: names as written, numbers as the handset dials them from the
// home region, the preferred value, the encoding named.
TEST(ContactsCorpusTest, FilesOfOtherProgramsGiveWhatTheyHold) {
    enum class Field {
        Name,
        BookName,
        Mobile,
        Home,
        Office,
        Fax,
        Email,
        Memo,
        Group,
        Report,
        Encoding
    };
    struct Expect {
        const char* file;
        const char* region;
        int contact;  // from 1
        Field field;
        std::string value;
    };
    using namespace std::string_literals;
    const Expect cases[] = {
        // Legacy character sets, declared or not.
        // Undeclared and not UTF-8: Windows-1252, where 0xF1 is "ñ".
        {"made-outlook21-windows1252.vcf", "DE", 1, Field::Name, "J\xC3\xB3zef Iksi\xC3\xB1ski"},
        {"made-outlook21-windows1252.vcf", "DE", 1, Field::Memo,
         "Schuldet \xE2\x82\xAC 5\r\nseit M\xC3\xA4rz"},
        {"made-outlook21-windows1252.vcf", "DE", 1, Field::Office, "0048221234567P102"},
        {"made-outlook21-windows1252.vcf", "DE", 1, Field::Mobile, "0048601234567"},
        {"made-outlook21-windows1252.vcf", "DE", 2, Field::Name, "J\xC3\xBCrgen M\xC3\xBCller"},
        {"made-outlook21-windows1252.vcf", "DE", 1, Field::Encoding, "Windows-1252"},
        {"made-shift_jis.vcf", "JP", 1, Field::Name,
         "\xE5\xB1\xB1\xE7\x94\xB0 \xE5\xA4\xAA\xE9\x83\x8E"},
        {"made-shift_jis.vcf", "JP", 1, Field::Memo, "\xE3\x82\xBD\xE3\x83\x8B\xE3\x83\xBC"},
        {"made-shift_jis.vcf", "JP", 1, Field::Encoding, "SHIFT_JIS as declared"},
        {"made-koi8r.vcf", "RU", 1, Field::Name,
         "\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD \xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD\xD0\xBE\xD0\xB2"},
        {"made-koi8r.vcf", "RU", 1, Field::Home, "84951234567"},
        {"made-utf16le-nobom.vcf", "FR", 1, Field::Name,
         "Zo\xC3\xAB \xC5\x81\xC3\xB3"
         "d\xC5\xBA"},
        {"made-utf16le-nobom.vcf", "FR", 1, Field::Mobile, "0612345678"},
        {"made-utf16le-nobom.vcf", "FR", 1, Field::Encoding, "UTF-16LE (no byte-order mark)"},
        {"made-outlook-de.csv", "DE", 1, Field::Name,
         "Frau K\xC3\xA4the M\xC3\xBCller-L\xC3\xBC"
         "denscheidt"},
        {"made-outlook-de.csv", "DE", 1, Field::Office, "0231123456"},
        {"made-outlook-de.csv", "DE", 1, Field::Encoding, "Windows-1252"},
        {"made-utf16le-tabs.csv", "DK", 1, Field::Name, "S\xC3\xB8ren Kierkegaard"},
        {"made-utf16le-tabs.csv", "DK", 1, Field::Mobile, "20123456"},
        {"jeroen-encoding.vcf", "DE", 3, Field::Memo, "Lieblingsfarbe: Violett"},
        {"jeroen-encoding.vcf", "DE", 8, Field::Memo, "Ludwig-G\xC3\xB6tz Gra\xC3\x9Fl"},
        {"radicale-vcard-quoted-printable1.vcf", "CN", 1, Field::Name,
         "\xE9\xBB\x84\xE4\xB8\x96\xE5\x8B\x87"},
        {"jeroen-invalid_encoding.vcf", "DE", 1, Field::Report, "invalid-encoding is unknown"},
        // Numbers: typed before untyped, the preferred first, words dropped, tel: URIs.
        {"made-tel-uri-v4.vcf", "US", 1, Field::Mobile, "14185550123"},
        {"made-tel-uri-v4.vcf", "US", 1, Field::Office, "14186569254P102"},
        {"made-tel-uri-v4.vcf", "US", 1, Field::Fax, "5550102"},
        {"made-tel-uri-v4.vcf", "US", 1, Field::Email, "preferred@example.com"},
        {"made-tel-uri-v4.vcf", "US", 1, Field::Report,
         "\"+49 PRIVAT\" left out: no number after the country code"},
        {"made-tel-uri-v4.vcf", "US", 1, Field::Report, "\"mainphone\" left out"},
        {"made-tel-uri-v4.vcf", "US", 1, Field::Report,
         "second mobile number \"tel:+1-418-555-0199\""},
        {"made-tel-uri-v4.vcf", "US", 1, Field::Report, "number \"+1 555 0101\" left out"},
        {"calcard-037_0.vcf", "US", 1, Field::Mobile, "5555551113"},
        {"calcard-037_0.vcf", "US", 1, Field::Home, "5555551111"},
        {"calcard-037_0.vcf", "US", 1, Field::Office, "5555551112"},
        {"calcard-037_0.vcf", "US", 1, Field::Fax, "5555551116"},
        {"folkerkinzel-v3.vcf", "DE", 2, Field::Fax, "03443333440"},  // labelled "homeFax"
        {"becky-4e4d186e.vcf", "JP", 1, Field::Office, "2222222222"},
        // Names as a person writes them, shortened before they are cut.
        {"made-google.csv", "DE", 1, Field::BookName, "Franz Branntwein"},
        {"made-google.csv", "DE", 1, Field::Mobile, "01701234567"},
        {"made-google.csv", "DE", 1, Field::Email, "branntwein@example.com"},
        {"made-google.csv", "DE", 1, Field::Group, "Stammtisch"},
        {"made-google.csv", "DE", 1, Field::Memo, "Zweite Zeile\nfolgt"},
        {"made-google.csv", "DE", 2, Field::Mobile, "0048225550102"},
        {"made-outlook.csv", "US", 1, Field::BookName, "John Public"},
        {"made-outlook.csv", "US", 1, Field::Fax, "4255550109"},
        {"made-outlook.csv", "US", 1, Field::Home, "4255550102"},  // of no kind: what is left
        {"pimalaya-vcard21_basic.vcf", "US", 1, Field::BookName, "John M. Smith"},
        {"radicale-contact_issue2224.vcf", "DE", 1, Field::BookName, "Pretty Name"},
        // Structure: a nested card, properties of no place, contacts without a name.
        {"pimalaya-vcard21_agent_nested.vcf", "US", 1, Field::Report, "agent (a card inside"},
        // An agent's card starting on the AGENT line: its number is not the parent's.
        {"vcardnet-v21-Contacts.vcf", "US", 1, Field::Mobile, ""},
        {"vcardnet-v21-Contacts.vcf", "US", 1, Field::Report, "agent (a card inside"},
        {"vcardnet-v21-Contacts.vcf", "US", 2, Field::BookName, "Jane Doe"},
        // Snake-case headings of a web application's export.
        {"monica-single_contact_stub.csv", "US", 1, Field::BookName, "Bono Hewson"},
        // A webmail export's headings.
        {"roundcube-all.csv", "US", 1, Field::Mobile, "500"},
        {"roundcube-all.csv", "US", 1, Field::Email, "home@example.com"},
        {"roundcube-all.csv", "US", 1, Field::Report, "e-mail \"work@example.com\""},
        {"ezvcard-John_Doe_GMAIL.vcf", "US", 1, Field::Report, "related name \"Jenny\" left out"},
        {"ezvcard-John_Doe_EVOLUTION.vcf", "US", 1, Field::Report, "manager \"Big Blue\" left out"},
        {"calcard-009_0.vcf", "DE", 1, Field::Report, "custom field \"vnd.android"},
        {"radicale-broken-vcards.vcf", "US", 2, Field::Report,
         "contact 2 (no name, test-misses-N-or-FN@example1.com): no name"},
        // Control characters: escaped in the report, dropped from the book, line breaks kept
        // in memos.
        {"made-controls.csv", "US", 1, Field::Report,
         "contact 1 \"Nul\\x00Name\": name: 1 control"},
        {"made-controls.csv", "US", 1, Field::BookName, "NulName"},
        {"made-controls.csv", "US", 2, Field::BookName, "Two Lines"},
        {"made-controls.csv", "US", 2, Field::Report, "name: line break written as a space"},
        {"made-controls.csv", "US", 1, Field::Memo, "line one\r\nline two"},
        {"made-controls.csv", "US", 2, Field::Memo, "cr\ronly"},
    };
    for (const Expect& e : cases) {
        SCOPED_TRACE(std::string(e.file) + " contact " + std::to_string(e.contact));
        const fs::path path = fs::path(NUMORA_CONTACTS_CORPUS) / e.file;
        const std::string bytes = Slurp(path);
        ASSERT_FALSE(bytes.empty());
        const ContactsRead read =
            IsCsv(path) ? ReadCsv(bytes, kCharsets) : ReadVCard(bytes, kCharsets);
        ASSERT_GE(static_cast<int>(read.contacts.size()), e.contact);
        const Contact& c = read.contacts[static_cast<std::size_t>(e.contact - 1)];
        const PhoneNumbers home(e.region);
        const ContactFit fit = FitContact(c, home);
        const auto number = [&](int kind) {
            return std::string(NumberText(fit.entry.numbers[static_cast<std::size_t>(kind)]));
        };
        switch (e.field) {
            case Field::Name:
                EXPECT_EQ(c.name, e.value);
                break;
            case Field::BookName:
                EXPECT_EQ(Latin1ToUtf8(TextOf(fit.entry.name)), e.value);
                break;
            case Field::Mobile:
                EXPECT_EQ(number(0), e.value);
                break;
            case Field::Home:
                EXPECT_EQ(number(1), e.value);
                break;
            case Field::Office:
                EXPECT_EQ(number(2), e.value);
                break;
            case Field::Fax:
                EXPECT_EQ(number(4), e.value);
                break;
            case Field::Email:
                EXPECT_EQ(c.email, e.value);
                break;
            case Field::Memo:
                EXPECT_EQ(c.memo, e.value);
                break;
            case Field::Group:
                EXPECT_EQ(c.group, e.value);
                break;
            case Field::Report: {
                std::vector<std::string> report = read.problems;
                report.insert(report.end(), fit.problems.begin(), fit.problems.end());
                EXPECT_TRUE(std::any_of(report.begin(), report.end(), [&](const std::string& p) {
                    return p.find(e.value) != std::string::npos;
                })) << e.value;
                break;
            }
            case Field::Encoding:
                EXPECT_NE(read.encoding.find(e.value), std::string::npos) << read.encoding;
                break;
        }
    }
}

}  // namespace
}  // namespace numora
