// The server's cards: kept byte for byte, edited property by property.
#include <gtest/gtest.h>

#include "addressbook/Card.h"
#include "addressbook/CardEdit.h"
#include "addressbook/Fields.h"

namespace numora {
namespace {

// A card as other programs write them: folded lines, a photo, grouped properties with labels,
// unknown parameters, vendor properties.
const std::string kRich =
    "BEGIN:VCARD\r\n"
    "VERSION:3.0\r\n"
    "UID:rich-1\r\n"
    "FN:Maximilian Alexander Huber-Schwarz\r\n"
    "N:Huber-Schwarz;Maximilian;Alexander;Dr.;\r\n"
    "item1.TEL;type=CELL;type=pref;X-SERVICE=\"a;b\":+49 170 1234567\r\n"
    "item1.X-ABLabel:_$!<Mobile>!$_\r\n"
    "TEL;TYPE=HOME:089 1234\r\n"
    "TEL;TYPE=WORK:089 5555\r\n"
    "TEL;TYPE=WORK:089 6666\r\n"
    "TEL;TYPE=PAGER:111\r\n"
    "TEL;TYPE=FAX:222\r\n"
    "TEL;TYPE=CELL:0171 999\r\n"
    "EMAIL;TYPE=INTERNET:max@example.org\r\n"
    "ADR;TYPE=HOME:;;Hauptstr. 1;München;;80331;Germany\r\n"
    "BDAY:1980-02-29\r\n"
    "NOTE:A note that is long enough to be folded by the writer of this card becau\r\n"
    " se it has more than seventy-five octets on its line.\r\n"
    "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQEASABIAAD/2wBDAAMCAgICAgMCAgIDAw\r\n"
    " MDBAYEBAQEBAgGBgUGCQgKCgkICQkKDA8MCgsOCwkJDRENDg8QEBEQCgwSExIQEw8QEBD/2Q==\r\n"
    "X-CUSTOM;X-PARAM=1:keep me\r\n"
    "CATEGORIES:Phone,Friends\r\n"
    "END:VCARD\r\n";

TEST(Card, TextIsByteForByteWhateverTheShape) {
    const std::vector<std::string> cards = {
        kRich,
        "BEGIN:VCARD\nVERSION:3.0\nFN:Only LF\nTEL:1\nEND:VCARD\n",
        "BEGIN:VCARD\r\nVERSION:2.1\r\nFN;ENCODING=QUOTED-PRINTABLE:Iksi=\r\n=F1ski\r\n"
        "TEL;CELL:1\r\nEND:VCARD",
        "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Four\r\nTEL;VALUE=uri;TYPE=\"cell,voice\":tel:+1-418-"
        "656-9254\r\n\r\nEND:VCARD\r\n",
    };
    for (const std::string& text : cards) {
        const auto card = Card::Parse(text);
        ASSERT_TRUE(card) << text;
        EXPECT_EQ(card->Text(), text);
    }
    EXPECT_FALSE(Card::Parse("BEGIN:VCARD\r\nFN:cut short\r\n"));
    EXPECT_FALSE(
        Card::Parse("BEGIN:VCARD\r\nAGENT:BEGIN:VCARD\r\nBEGIN:VCARD\r\nFN:Inner\r\n"
                    "END:VCARD\r\nEND:VCARD\r\n"));
    EXPECT_FALSE(Card::Parse("not a card"));
}

TEST(Card, ReadsValuesParametersAndGroups) {
    const auto card = Card::Parse(kRich);
    ASSERT_TRUE(card);
    const CardProperty* tel = card->Find("TEL");
    ASSERT_NE(tel, nullptr);
    EXPECT_EQ(tel->group, "item1");
    EXPECT_TRUE(tel->HasType("cell"));
    EXPECT_TRUE(tel->HasType("PREF"));
    EXPECT_EQ(tel->Param("X-SERVICE"), "a;b");
    EXPECT_EQ(card->Find("NOTE")->Text(),
              "A note that is long enough to be folded by the writer of this card because it has "
              "more than seventy-five octets on its line.");
    EXPECT_EQ(card->Uid(), "rich-1");
    const auto qp = Card::Parse(
        "BEGIN:VCARD\r\nFN;ENCODING=QUOTED-PRINTABLE:Iksi=\r\n=C3=B1ski\r\n"
        "END:VCARD\r\n");
    ASSERT_TRUE(qp);
    EXPECT_EQ(qp->Find("FN")->Text(), "Iksiñski");
    // A soft break that a writer left before the next property, a blank line inside a folded
    // value, an edge with blanks around: the card reads as the contacts import reads it.
    const std::string odd =
        "BEGIN:VCARD\r\nVERSION:2.1\r\nNOTE;ENCODING=QUOTED-PRINTABLE:ends=\r\n"
        "TEL;CELL:0170 1\r\nFN:Fol\r\n\r\n ded\r\n  END:VCARD  \r\n";
    const auto written = Card::Parse(odd);
    ASSERT_TRUE(written);
    EXPECT_EQ(written->Text(), odd);
    EXPECT_EQ(written->Find("NOTE")->Text(), "ends");
    EXPECT_EQ(written->Find("FN")->Text(), "Folded");
    const auto view = HandsetView(*written, "");
    ASSERT_TRUE(view);
    EXPECT_EQ((*view)[Field::Mobile], "01701");
    EXPECT_EQ((*view)[Field::Name], "Folded");
}

// Lines of the text that are not in the other, one per line.
std::vector<std::string> LinesOnlyIn(const std::string& a, const std::string& b) {
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < a.size()) {
        const std::size_t end = a.find("\r\n", start);
        const std::string line = a.substr(start, end - start);
        if (b.find(line + "\r\n") == std::string::npos) out.push_back(line);
        start = end == std::string::npos ? a.size() : end + 2;
    }
    return out;
}

TEST(CardEdit, OnlyThePropertiesOfChangedFieldsAreWritten) {
    auto card = Card::Parse(kRich);
    ASSERT_TRUE(card);
    const auto from = HandsetView(*card, "Phone");
    ASSERT_TRUE(from);
    // The handset holds the long name shortened and the group besides the sync's category.
    EXPECT_EQ((*from)[Field::Name], "Maximilian Huber");
    EXPECT_EQ((*from)[Field::Group], "Friends");

    struct Case {
        const char* what;
        Field field;
        std::string value;
        std::vector<std::string> removed;
        std::vector<std::string> added;
    };
    const std::vector<Case> cases = {
        {"a number rewritten where it was, parameters and group kept",
         Field::Mobile,
         "017042",
         {"item1.TEL;type=CELL;type=pref;X-SERVICE=\"a;b\":+49 170 1234567"},
         {"item1.TEL;type=CELL;type=pref;X-SERVICE=\"a;b\":017042"}},
        {"a number deleted takes its property", Field::Pager, "", {"TEL;TYPE=PAGER:111"}, {}},
        {"the group renamed in the categories",
         Field::Group,
         "Work",
         {"CATEGORIES:Phone,Friends"},
         {"CATEGORIES:Phone,Work"}},
        {"the group left", Field::Group, "", {"CATEGORIES:Phone,Friends"}, {"CATEGORIES:Phone"}},
        {"secret", Field::Secret, "yes", {}, {"CLASS:PRIVATE"}},
        {"the e-mail",
         Field::Email,
         "m@x.de",
         {"EMAIL;TYPE=INTERNET:max@example.org"},
         {"EMAIL;TYPE=INTERNET:m@x.de"}},
        {"a web address new to the card", Field::Wireless, "x.de", {}, {"URL:x.de"}},
    };
    for (const Case& c : cases) {
        Card edited = *card;
        Fields to = *from;
        to[c.field] = c.value;
        EditCard(edited, *from, to, "Phone");
        const std::string text = edited.Text();
        EXPECT_EQ(LinesOnlyIn(kRich, text), c.removed) << c.what;
        EXPECT_EQ(LinesOnlyIn(text, kRich), c.added) << c.what;
        const auto view = HandsetView(*Card::Parse(text), "Phone");
        ASSERT_TRUE(view) << c.what;
        EXPECT_EQ((*view)[c.field], c.value) << c.what;
    }
}

// Line ends and folding as the contacts import reads them: an edit lands in the property the
// handset's value came from, whatever the card's shape.
TEST(CardEdit, EditsTheValueTheHandsetReads) {
    const std::vector<std::string> cards = {
        "BEGIN:VCARD\rFN:Lone CR\rTEL:1\rNOTE:old\rEND:VCARD\r",
        "BEGIN:VCARD\r\nFN:Blank\r\nTEL:1\r\nNOTE:ol\r\n\r\n d\r\nEND:VCARD\r\n",
        "BEGIN:VCARD\r\nFN:Two notes\r\nTEL:1\r\nNOTE;CHARSET=ISO-8859-1:\xF6ld\r\nNOTE:2\r\n"
        "END:VCARD\r\n",
    };
    for (const std::string& text : cards) {
        auto card = Card::Parse(text);
        ASSERT_TRUE(card) << text;
        EXPECT_EQ(card->Text(), text);
        const auto from = HandsetView(*card, "");
        ASSERT_TRUE(from) << text;
        Fields to = *from;
        to[Field::Memo] = "new";
        EditCard(*card, *from, to, "");
        const auto view = HandsetView(*Card::Parse(card->Text()), "");
        ASSERT_TRUE(view) << text;
        EXPECT_EQ(*view, to) << card->Text();
    }
}

TEST(CardEdit, ANewCardReadsBackAsTheEntry) {
    Fields f;
    f[Field::Name] = "Zoë Ann; Smith";
    f[Field::Mobile] = "0170123";
    f[Field::Fax] = "0899";
    f[Field::Email] = "zoe@example.org";
    f[Field::Memo] = "gate code, 1234";
    f[Field::Group] = "Family";
    f[Field::Secret] = std::string(kSecretValue);
    const Card card = NewCard("uid-1", f, "Phone");
    const std::string text = card.Text();
    EXPECT_NE(text.find("VERSION:3.0\r\n"), std::string::npos);
    EXPECT_NE(text.find("UID:uid-1\r\n"), std::string::npos);
    EXPECT_NE(text.find("CATEGORIES:Phone,Family\r\n"), std::string::npos);
    const auto view = HandsetView(*Card::Parse(text), "Phone");
    ASSERT_TRUE(view);
    EXPECT_EQ(*view, f);

    // No longer secret, the card loses its class.
    Card shown = card;
    Fields to = f;
    to[Field::Secret].clear();
    EditCard(shown, f, to, "Phone");
    EXPECT_EQ(shown.Find("CLASS"), nullptr);
    EXPECT_EQ(HandsetView(shown, "Phone"), to);
}

// A number goes to the server as the card writes it: the card's own writing of a number it held
// (moved to another kind on the handset), and the handset's pause and wait as vCard readers
// write them; each reads back as the handset's value.
TEST(CardEdit, NumbersAreWrittenInTheCardsOwnForm) {
    const std::string intl =
        "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ina\r\n"
        "TEL;TYPE=CELL:+49 170 1234567\r\nEND:VCARD\r\n";
    const std::string uri =
        "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Uri\r\n"
        "TEL;VALUE=uri;TYPE=cell:tel:+1-418-656-9254\r\nEND:VCARD\r\n";
    const struct {
        const char* what;
        const std::string& card;
        std::vector<std::pair<Field, std::string>> edits;
        std::string line;  // in the card after the edit
    } cases[] = {
        {"a number moved to another kind keeps +49",
         intl,
         {{Field::Mobile, ""}, {Field::Home, "01701234567"}},
         "TEL;TYPE=HOME,VOICE:+49 170 1234567"},
        {"pause and wait in a text value",
         intl,
         {{Field::Office, "0301234P56T7"}},
         "TEL;TYPE=WORK,VOICE:0301234\\,56\\;7"},
        {"pause and wait in a tel: URI",
         uri,
         {{Field::Mobile, "0123P4T5"}},
         "TEL;VALUE=uri;TYPE=cell:tel:0123p4w5"},
    };
    for (const auto& c : cases) {
        auto card = Card::Parse(c.card);
        ASSERT_TRUE(card) << c.what;
        const auto from = HandsetView(*card, "", "DE");
        ASSERT_TRUE(from) << c.what;
        Fields to = *from;
        for (const auto& [field, value] : c.edits)
            to[field] = value;
        EditCard(*card, *from, to, "", "DE");
        const std::string text = card->Text();
        EXPECT_NE(text.find(c.line + "\r\n"), std::string::npos) << c.what << "\n" << text;
        const auto view = HandsetView(*Card::Parse(text), "", "DE");
        ASSERT_TRUE(view) << c.what;
        EXPECT_EQ(*view, to) << c.what << "\n" << text;
    }
}

TEST(CardEdit, ATelUriStaysAUri) {
    auto card = Card::Parse(
        "BEGIN:VCARD\r\nVERSION:4.0\r\nFN:Four\r\nTEL;VALUE=uri;TYPE=cell:tel:+1-418-656-9254\r\n"
        "END:VCARD\r\n");
    ASSERT_TRUE(card);
    const auto from = HandsetView(*card, "");
    ASSERT_TRUE(from);
    Fields to = *from;
    to[Field::Mobile] = "0123";
    EditCard(*card, *from, to, "");
    EXPECT_NE(card->Text().find("TEL;VALUE=uri;TYPE=cell:tel:0123\r\n"), std::string::npos);
}

}  // namespace
}  // namespace numora
