// The three-way plan of a sync, run against cards held in memory: what each side gets, the
// conflicts, the first merge and its pairs, the deletions and their guard, and the state
// between runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <set>

#include "addressbook/CardEdit.h"
#include "addressbook/PlanListing.h"
#include "addressbook/SyncPlan.h"
#include "book/BookDiff.h"
#include "formats/VCard.h"
#include "matching/MergePlan.h"
#include "support/BookBuilder.h"

namespace numora {
namespace {

std::string CardText(const std::string& uid, const std::string& body) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid + "\r\n" + body + "END:VCARD\r\n";
}

// Whether the plan's listing holds the line.
bool Lists(const SyncPlan& plan, const std::string& line) {
    const auto lines = PlanLines(plan);
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// An address book in memory: href -> (etag, text). The sync's own steps, without a network.
class Books : public ::testing::Test {
protected:
    void PutCard(const std::string& href, const std::string& text) {
        m_server[href] = {"e" + std::to_string(++m_etags), text};
    }
    void PutEntry(int slot, const std::string& name, const std::string& mobile,
                  const std::string& memo = "") {
        PBEntry e = test::MakeEntry(slot, name, kEtcGroup, mobile);
        SetText(e.memo, memo);
        m_book.SetEntry(e);
    }

    SyncPlan Plan(const PlanOptions& options = {}) {
        std::vector<ServerCard> listing;
        for (const auto& [href, card] : m_server)
            listing.push_back({href, card.first, std::nullopt});
        const auto fetch = CardsToFetch(m_state, m_book, listing);
        m_fetched = static_cast<int>(fetch.size());
        for (ServerCard& sc : listing) {
            if (std::find(fetch.begin(), fetch.end(), sc.href) != fetch.end()) {
                sc.card = Card::Parse(m_server[sc.href].second);
            }
        }
        PlanOptions o = options;
        o.newUid = [this] { return "new-" + std::to_string(++m_uids); };
        return MakePlan(m_state, m_book, listing, o);
    }

    // Applies a plan as the sync does; the number of cards written and deleted. A server that
    // refuses takes no card, and the handset still gets its changes.
    int Apply(SyncPlan plan, bool serverRefuses = false) {
        int writes = 0;
        std::vector<bool> done;
        for (ContactPlan& c : plan.contacts) {
            if (serverRefuses && c.cardAction != CardAction::None) {
                done.push_back(false);
                continue;
            }
            if (c.cardAction == CardAction::Create) c.href = "/ab/" + c.uid + ".vcf";
            if (c.cardAction == CardAction::Create || c.cardAction == CardAction::Change) {
                PutCard(c.href, c.cardText);
                c.etag = m_server[c.href].first;
                ++writes;
            } else if (c.cardAction == CardAction::Delete) {
                m_server.erase(c.href);
                ++writes;
            }
            done.push_back(true);
        }
        ApplyToBook(plan, m_book);
        m_state = NextState(m_state, plan, done, "", "");
        return writes;
    }

    int Sync(const PlanOptions& options = {}) { return Apply(Plan(options)); }

    std::string Entry(int slot, Field f) const {
        const auto fields = FieldsOfEntry(m_book, slot);
        return fields ? (*fields)[f] : "(none)";
    }

    PhoneBook m_book;
    std::map<std::string, std::pair<std::string, std::string>> m_server;
    AddressBookState m_state;
    int m_fetched = 0;
    int m_etags = 0;
    int m_uids = 0;
};

TEST_F(Books, FirstSyncMergesTheSamePersonAndASecondSyncChangesNothing) {
    PutEntry(0, "Anna Meyer", "01701234567");
    PutEntry(1, "Handset Only", "0301111");
    PutCard("/ab/a.vcf", CardText("a",
                                  "FN:Anna Meyer\r\nTEL;TYPE=CELL:01701234567\r\n"
                                  "EMAIL:anna@example.org\r\nADR:;;Street 1;;;;\r\n"));
    PutCard("/ab/b.vcf", CardText("b", "FN:Server Only\r\nTEL;TYPE=HOME:0402222\r\n"));
    const SyncPlan first = Plan();
    EXPECT_TRUE(first.likely.empty());
    EXPECT_EQ(PlanLines(first),
              (std::vector<std::string>{
                  "handset: entry 0 \"Anna Meyer\": e-mail \"\" -> \"anna@example.org\"",
                  "server: new card \"Handset Only\"", "handset: add entry 2 \"Server Only\""}));
    EXPECT_EQ(Apply(first), 1);  // the handset-only entry becomes a card
    EXPECT_EQ(m_server.size(), 3u);
    EXPECT_EQ(Entry(0, Field::Email), "anna@example.org");
    EXPECT_EQ(Entry(2, Field::Name), "Server Only");
    EXPECT_NE(m_server["/ab/a.vcf"].second.find("ADR:;;Street 1;;;;"), std::string::npos);

    const SyncPlan second = Plan();
    EXPECT_FALSE(second.Changes());
    EXPECT_EQ(m_fetched, 0);
    EXPECT_EQ(m_state.PairedCount(), 3);

    // A card the server refused keeps its base: the next sync writes it again.
    PutEntry(1, "Handset Only", "0301111", "memo");
    EXPECT_EQ(Apply(Plan(), true), 0);
    EXPECT_EQ(Sync(), 1);
    EXPECT_FALSE(Plan().Changes());
}

// A name the handset holds only in part (the card's full name cut at 16 characters) or in its
// own writing is the card's name: no conflict, nothing written back, nothing fetched again.
TEST_F(Books, ANameHeldInPartIsNoChange) {
    PutEntry(0, "Anna Albrecht-Al", "01701234567");
    PutEntry(1, "bernd lindqvist-", "01707654321");
    const std::string anna = CardText("a",
                                      "FN:Anna Albrecht-Albrecht 000\r\nN:Albrecht;Anna;;;\r\n"
                                      "TEL;TYPE=CELL:01701234567\r\n");
    PutCard("/ab/a.vcf", anna);
    PutCard("/ab/b.vcf", CardText("b", "FN:Bernd Lindqvist\r\nTEL;TYPE=CELL:01707654321\r\n"));
    const SyncPlan first = Plan();
    for (const ContactPlan& c : first.contacts)
        EXPECT_TRUE(c.conflicts.empty()) << c.label;
    EXPECT_EQ(Apply(first), 0);
    EXPECT_EQ(m_server["/ab/a.vcf"].second, anna);
    EXPECT_EQ(Entry(0, Field::Name), "Anna Albrecht-Al");

    EXPECT_FALSE(Plan().Changes());
    EXPECT_EQ(m_fetched, 0);
}

TEST_F(Books, ThreeWayFieldByField) {
    struct Case {
        const char* what;
        std::string bookMemo, serverMemo;  // after the first sync agreed on "base"
        bool preferBook;
        std::string expect;
        std::size_t conflicts;
    };
    const std::vector<Case> cases = {
        {"changed on the handset only", "book", "base", false, "book", 0},
        {"changed on the server only", "base", "server", false, "server", 0},
        {"both to the same value", "same", "same", false, "same", 0},
        {"both, the server wins by default", "book", "server", false, "server", 1},
        {"both, the handset preferred", "book", "server", true, "book", 1},
        {"emptied on the handset", "", "base", false, "", 0},
    };
    for (const Case& c : cases) {
        m_book = PhoneBook();
        m_server.clear();
        m_state = {};
        m_uids = 0;
        PutEntry(0, "Ada", "0123", "base");
        Sync();
        PutEntry(0, "Ada", "0123", c.bookMemo);
        PutCard("/ab/new-1.vcf",
                CardText("new-1", "FN:Ada\r\nTEL;TYPE=CELL:0123\r\nNOTE:" + c.serverMemo + "\r\n"));
        PlanOptions o;
        o.preferBook = c.preferBook;
        const SyncPlan plan = Plan(o);
        ASSERT_EQ(plan.contacts.size(), 1u) << c.what;
        EXPECT_EQ(plan.contacts[0].conflicts.size(), c.conflicts) << c.what;
        if (c.conflicts != 0) {
            // The losing value is in the list.
            const SyncConflict& lost = plan.contacts[0].conflicts[0];
            EXPECT_EQ(lost.field, Field::Memo);
            EXPECT_EQ(lost.bookWins ? lost.server : lost.book, c.preferBook ? "server" : "book");
        }
        Apply(plan);
        EXPECT_EQ(Entry(0, Field::Memo), c.expect) << c.what;
        EXPECT_EQ(
            HandsetView(*Card::Parse(m_server["/ab/new-1.vcf"].second), "").value()[Field::Memo],
            c.expect)
            << c.what;
        EXPECT_FALSE(Plan().Changes()) << c.what;
    }
}

// One value written two ways (a reversed name, a number in another form) is neither a change
// nor a conflict, sync after sync; a new value on either side still goes across.
TEST_F(Books, OneValueWrittenTwoWaysIsNoChangeButANewValueIs) {
    struct Case {
        const char* what;
        std::string handsetName, handsetNumber;  // before the first sync
        std::string cardName, cardNumber;        // the card, first and then as edited
        std::string editedName, editedNumber;
        std::string wantName, wantNumber;  // on the handset after the second sync
        bool cardWritten;
    };
    const std::vector<Case> cases = {
        {"the number written anew on the server", "Meyer, Anna", "00491701234567", "Anna Meyer",
         "+49 170 1234567", "Anna Meyer", "0170/1234567", "Meyer, Anna", "00491701234567", false},
        {"a new number on the server", "Meyer, Anna", "00491701234567", "Anna Meyer",
         "+49 170 1234567", "Anna Meyer", "+49 171 5555555", "Meyer, Anna", "01715555555", false},
        {"a new name on the server", "Meyer, Anna", "00491701234567", "Anna Meyer",
         "+49 170 1234567", "Anna Schmidt", "+49 170 1234567", "Anna Schmidt", "00491701234567",
         false},
        {"an accent put right on the server", "Zoe Roth", "0301", "Zoe Roth", "0301",
         "Zo\xC3\xAB Roth", "0301", "Zo\xC3\xAB Roth", "0301", false},
        {"a new name on the handset", "Anna Maria Meyer", "00491701234567", "Anna Meyer",
         "+49 170 1234567", "Anna Meyer", "+49 170 1234567", "Anna Maria Meyer", "00491701234567",
         true},
    };
    PlanOptions o;
    o.region = "DE";
    for (const Case& c : cases) {
        m_book = PhoneBook();
        m_server.clear();
        m_state = {};
        const bool handsetRenames = c.wantName == c.handsetName && c.cardWritten;
        PutEntry(0, handsetRenames ? "Meyer, Anna" : c.handsetName, c.handsetNumber);
        const auto card = [](const std::string& name, const std::string& number) {
            return CardText("a", "FN:" + name + "\r\nTEL;TYPE=CELL:" + number + "\r\n");
        };
        PutCard("/ab/a.vcf", card(c.cardName, c.cardNumber));
        EXPECT_EQ(Sync(o), 0) << c.what;
        EXPECT_FALSE(Plan(o).Changes()) << c.what;
        if (handsetRenames) PutEntry(0, c.handsetName, c.handsetNumber);
        if (!c.cardWritten) PutCard("/ab/a.vcf", card(c.editedName, c.editedNumber));
        const std::string before = m_server["/ab/a.vcf"].second;
        const SyncPlan plan = Plan(o);
        EXPECT_TRUE(plan.contacts[0].conflicts.empty()) << c.what;
        Apply(plan);
        EXPECT_EQ(Entry(0, Field::Name), c.wantName) << c.what;
        EXPECT_EQ(Entry(0, Field::Mobile), c.wantNumber) << c.what;
        EXPECT_EQ(m_server["/ab/a.vcf"].second != before, c.cardWritten) << c.what;
        EXPECT_FALSE(Plan(o).Changes()) << c.what;
    }
}

// A card that changed on the server while the sync wrote is fetched and resolved again: the
// listing says what now happens, nothing of what was planned before.
TEST_F(Books, AContactResolvedAgainListsOnlyWhatNowHappens) {
    PutEntry(0, "Ada", "0123", "book");
    PutCard("/ab/a.vcf", CardText("a", "FN:Ada\r\nTEL;TYPE=CELL:0123\r\nNOTE:server\r\n"));
    SyncPlan plan = Plan();
    ASSERT_EQ(plan.contacts.size(), 1u);
    ContactPlan& c = plan.contacts[0];
    ASSERT_EQ(PlanLines(plan).size(), 2u);  // the memo to the handset, and its conflict
    // Fetched again, the card is no longer one the handset would take, and a first pairing has
    // no base to stand for it.
    c.card = Card::Parse(CardText("a", "NOTE:server\r\n"));
    c.server = HandsetView(*c.card, "");
    ASSERT_FALSE(c.server);
    Resolve(c, {});
    EXPECT_EQ(PlanLines(plan), std::vector<std::string>{});
}

TEST_F(Books, ChangesOfDifferentFieldsOnBothSidesBothArrive) {
    PBEntry e = test::MakeEntry(0, "Ada", kEtcGroup, "0123");
    SetNumber(e.numbers[IndexOf(NumberKind::Home)], "0301");
    SetText(e.memo, "memo");
    m_book.SetEntry(e);
    m_book.SetSpeedDial(5, 0, NumberKind::Home);
    Sync();
    SetNumber(e.numbers[IndexOf(NumberKind::Mobile)], "0999");  // a number changed on the handset
    m_book.SetEntry(e);
    // The server's card has a new memo and no home number any more.
    PutCard("/ab/new-1.vcf", CardText("new-1",
                                      "FN:Ada\r\nTEL;TYPE=CELL:0123\r\nNOTE:new memo\r\n"
                                      "X-KEEP:me\r\n"));
    const SyncPlan plan = Plan();
    EXPECT_TRUE(plan.contacts[0].conflicts.empty());
    Apply(plan);
    EXPECT_EQ(Entry(0, Field::Mobile), "0999");
    EXPECT_EQ(Entry(0, Field::Memo), "new memo");
    EXPECT_EQ(Entry(0, Field::Home), "");
    EXPECT_FALSE(m_book.FindSpeedDial(0, NumberKind::Home));  // its speed dial went with it
    const std::string& card = m_server["/ab/new-1.vcf"].second;
    EXPECT_NE(card.find("TEL;TYPE=CELL:0999\r\n"), std::string::npos);
    EXPECT_NE(card.find("NOTE:new memo\r\nX-KEEP:me\r\n"), std::string::npos);

    // A number held under two kinds keeps its speed dial where it is when another field changes.
    PBEntry twice = m_book.Entry(0);
    SetNumber(twice.numbers[IndexOf(NumberKind::Fax)], "0999");
    m_book.SetEntry(twice);
    m_book.SetSpeedDial(5, 0, NumberKind::Mobile);
    Sync();
    PutCard("/ab/new-1.vcf", CardText("new-1",
                                      "FN:Ada\r\nTEL;TYPE=CELL:0999\r\n"
                                      "TEL;TYPE=FAX:0999\r\nNOTE:newer\r\n"));
    Sync();
    EXPECT_EQ(Entry(0, Field::Memo), "newer");
    EXPECT_EQ(m_book.FindSpeedDial(0, NumberKind::Mobile), 5 - kFirstSpeedDial);
}

TEST_F(Books, WhatTheHandsetHoldsOnlyInPartIsNoChange) {
    std::string body = "FN:Bartholomew Montgomery-Smythe\r\n";
    for (int i = 0; i < 7; ++i)
        body += "TEL;TYPE=CELL:0170 00" + std::to_string(i) + "\r\n";
    body += "NOTE:" + std::string(60, 'n') + "\r\n";
    PutCard("/ab/long.vcf", CardText("long", body));
    Sync();
    EXPECT_EQ(Entry(0, Field::Name), "Bartholomew Mont");
    const std::string before = m_server["/ab/long.vcf"].second;
    // The handset changes another field: the cut name, the seventh number and the long note stay
    // on the server as they are.
    PBEntry e;
    ASSERT_TRUE(m_book.GetEntry(0, e));
    SetText(e.email, "b@example.org");
    m_book.SetEntry(e);
    EXPECT_EQ(Sync(), 1);
    const std::string after = m_server["/ab/long.vcf"].second;
    EXPECT_EQ(after, before.substr(0, before.size() - 11) +
                         "EMAIL;TYPE=INTERNET:b@example.org\r\n"
                         "END:VCARD\r\n");
    EXPECT_FALSE(Plan().Changes());
}

TEST_F(Books, AnInternationalNumberIsTheHandsetsNumberUnderTheHomeRegion) {
    PutEntry(0, "Anna", "01701234567");
    const std::string card = CardText("a", "FN:Anna\r\nTEL;TYPE=CELL:+49 170 1234567\r\n");
    PutCard("/ab/a.vcf", card);
    PlanOptions o;
    o.region = "DE";
    const SyncPlan plan = Plan(o);
    ASSERT_EQ(plan.contacts.size(), 1u);
    EXPECT_EQ(plan.contacts[0].href, "/ab/a.vcf");
    EXPECT_FALSE(plan.Changes());
    Apply(plan);
    EXPECT_EQ(m_server["/ab/a.vcf"].second, card);
    EXPECT_FALSE(Plan(o).Changes());
}

// Likely pairs are never merged unasked: neither side goes to the other until the user answers.
// An answer is remembered by the people it is about, so that it is asked once, even when the
// sync starts over.
TEST_F(Books, LikelyPairsWaitForAnAnswerThatIsAskedOnce) {
    PutEntry(1, "Bob", "0170222");       // shares a number with someone else on the server
    PutEntry(2, "Carl", "0170333");      // the same name, another number
    PutEntry(3, "Dora Fox", "0175111");  // shares an e-mail under another name
    PBEntry dora = m_book.Entry(3);
    SetText(dora.email, "dora@x.de");
    m_book.SetEntry(dora);
    PutCard("/ab/b.vcf", CardText("b", "FN:Robert's office\r\nTEL;TYPE=WORK:0170222\r\n"));
    PutCard("/ab/c.vcf", CardText("c", "FN:Carl\r\nTEL;TYPE=CELL:0899\r\n"));
    PutCard("/ab/d.vcf", CardText("d", "FN:D. Fox\r\nEMAIL:Dora@x.de\r\nTEL:0401\r\n"));
    const auto server = m_server;
    const PhoneBook book = m_book;
    const SyncPlan plan = Plan();
    ASSERT_EQ(plan.likely.size(), 3u);
    // Each is listed with the answers that decide it.
    EXPECT_EQ(PlanLines(plan),
              (std::vector<std::string>{
                  "likely pair: entry 1 \"Bob\" and card \"Robert's office\" (/ab/b.vcf): a "
                  "shared number under other names (--same 1=/ab/b.vcf or --different "
                  "1=/ab/b.vcf)",
                  "likely pair: entry 2 \"Carl\" and card \"Carl\" (/ab/c.vcf): the same name, "
                  "nothing else in common (--same 2=/ab/c.vcf or --different 2=/ab/c.vcf)",
                  "likely pair: entry 3 \"Dora Fox\" and card \"D. Fox\" (/ab/d.vcf): a shared "
                  "e-mail under other names (--same 3=/ab/d.vcf or --different 3=/ab/d.vcf)"}));
    for (const ContactPlan& c : plan.contacts)
        EXPECT_FALSE(c.book && c.server) << c.label;
    Apply(plan);
    EXPECT_EQ(m_server, server);
    EXPECT_TRUE(CompareBooks(book, m_book).empty());
    EXPECT_EQ(Plan().likely.size(), 3u);  // listed again, still unanswered

    // Carl is the same person, Bob is not; Dora waits.
    PlanOptions o;
    o.answers = {{1, "/ab/b.vcf", false}, {2, "/ab/c.vcf", true}};
    const SyncPlan answered = Plan(o);
    ASSERT_EQ(answered.likely.size(), 1u);
    EXPECT_EQ(answered.likely[0].slot, 3);
    EXPECT_EQ(answered.answered.size(), 2u);
    PairAnswers remembered;
    RememberAnswers(answered, "", remembered);
    Apply(answered);
    EXPECT_EQ(m_server.size(), 4u);  // Bob's card
    // The card's Mobile stays; the handset's takes a free kind on both sides.
    EXPECT_EQ(Entry(2, Field::Mobile), "0899");
    EXPECT_EQ(Entry(2, Field::Home), "0170333");
    EXPECT_NE(m_server["/ab/c.vcf"].second.find("TEL;TYPE=CELL:0899"), std::string::npos);
    EXPECT_NE(m_server["/ab/c.vcf"].second.find("TEL;TYPE=HOME,VOICE:0170333"), std::string::npos);
    EXPECT_EQ(Entry(0, Field::Name), "Robert's office");
    EXPECT_FALSE(Plan().Changes());

    // Started over without its state, the sync pairs what the answers paired and asks nothing
    // answered again.
    m_state = {};
    PlanOptions again;
    again.remembered = &remembered;
    const SyncPlan fresh = Plan(again);
    ASSERT_EQ(fresh.likely.size(), 1u);
    EXPECT_EQ(fresh.likely[0].slot, 3);
    EXPECT_FALSE(fresh.Changes());
    EXPECT_EQ(Apply(fresh), 0);
    EXPECT_EQ(m_server.size(), 4u);
}

std::vector<std::string> NumbersOf(const PBEntry& e) {
    std::vector<std::string> out;
    for (const PBNumber& n : e.numbers) {
        if (n.length != 0) out.emplace_back(NumberText(n));
    }
    std::sort(out.begin(), out.end());
    return out;
}

// The first sync pairs exactly the people that merging the same cards into the book pairs, and
// a paired entry ends as the merge leaves it: one person, one entry, each number once.
TEST_F(Books, FirstSyncPairsAndMergesAsMergingTheCardsWould) {
    const auto entry = [this](int slot, const char* name, int kind, const char* number,
                              const char* email = "") {
        PBEntry e = test::MakeEntry(slot, name, kEtcGroup, "");
        SetNumber(e.numbers[static_cast<std::size_t>(kind)], number);
        SetText(e.email, email);
        m_book.SetEntry(e);
    };
    entry(0, "Meyer, Anna", 0, "00491701234567");  // reversed name, the number in another form
    entry(1, "Bob Stone", 1, "0301111");
    m_book.SetSpeedDial(2, 1, NumberKind::Home);
    entry(2, "Carla Diaz", 0, "0401", "Carla@X.de");
    entry(3, "Tom Meyer", 1, "0301234567");  // a family's number
    entry(4, "Dieter Huber", 0, "0891");     // a namesake, or a new number
    entry(5, "", 0, "01763334444");
    entry(6, "Eva", 0, "0305555");  // only on the handset
    const std::vector<std::pair<std::string, std::string>> cards = {
        {"/ab/a.vcf", "FN:Anna Meyer\r\nTEL;TYPE=CELL:+49 170 1234567\r\nEMAIL:anna@x.de\r\n"},
        {"/ab/b.vcf", "FN:bob stone\r\nTEL;TYPE=WORK:030 1111\r\nTEL;TYPE=CELL:0170 999\r\n"},
        {"/ab/c.vcf", "FN:Diaz\\, Carla\r\nEMAIL:carla@x.de\r\nTEL;TYPE=HOME:0402\r\n"},
        {"/ab/d.vcf", "FN:Julia Meyer\r\nTEL;TYPE=HOME:030 1234567\r\n"},
        {"/ab/e.vcf", "FN:Dieter Huber\r\nTEL;TYPE=CELL:0171 555\r\n"},
        {"/ab/f.vcf", "FN:Gina\r\nTEL;TYPE=CELL:+49 176 3334444\r\n"},
        {"/ab/g.vcf", "FN:Frank\r\nTEL;TYPE=CELL:0409999\r\n"},  // only on the server
    };
    std::string file;
    for (std::size_t i = 0; i < cards.size(); ++i) {
        PutCard(cards[i].first, CardText(std::to_string(i), cards[i].second));
        file += CardText(std::to_string(i), cards[i].second);
    }
    const std::string annasCard = m_server["/ab/a.vcf"].second;
    NumberKeys keys{PhoneNumbers("DE")};
    std::vector<std::string> problems;
    const MergePlan merge = PlanMerge(m_book, ContactsFromVCard(file, problems), keys);
    using Pairs = std::set<std::pair<int, std::string>>;
    Pairs merged;
    Pairs likely;
    for (const MergedPair& p : merge.merged)
        merged.insert({p.slot, cards[static_cast<std::size_t>(p.other - 1)].first});
    for (const LikelyPair& p : merge.likely)
        likely.insert({p.slot, cards[static_cast<std::size_t>(p.other - 1)].first});
    ASSERT_EQ(merged.size(), 4u);
    ASSERT_EQ(likely.size(), 2u);

    PlanOptions o;
    o.region = "DE";
    const SyncPlan plan = Plan(o);
    Pairs paired;
    Pairs asked;
    for (const ContactPlan& c : plan.contacts) {
        if (c.book && c.server) paired.insert({*c.slot, c.href});
    }
    for (const SyncLikelyPair& p : plan.likely)
        asked.insert({p.slot, p.href});
    EXPECT_EQ(paired, merged);
    EXPECT_EQ(asked, likely);
    Apply(plan);
    for (const auto& [slot, href] : merged) {
        const PBEntry& want = merge.result.Entry(slot);
        const PBEntry& got = m_book.Entry(slot);
        EXPECT_EQ(TextOf(got.name), TextOf(want.name)) << href;
        EXPECT_EQ(TextOf(got.email), TextOf(want.email)) << href;
        EXPECT_EQ(NumbersOf(got), NumbersOf(want)) << href;
    }
    // A number both sides hold stays as the card writes it and where the card has it; on the
    // handset its speed dial follows it there.
    EXPECT_EQ(m_server["/ab/a.vcf"].second, annasCard);
    EXPECT_EQ(Entry(1, Field::Office), "0301111");
    EXPECT_EQ(m_book.FindSpeedDial(1, NumberKind::Office), 0);
    EXPECT_FALSE(Plan(o).Changes());

    // An answer given while merging contacts is the sync's answer too.
    PairAnswers answers;
    for (const LikelyPair& p : merge.likely) {
        if (p.slot == 4) answers.Set(p.person, p.otherPerson, Answer::SamePerson, keys);
    }
    o.remembered = &answers;
    const SyncPlan answered = Plan(o);
    ASSERT_EQ(answered.likely.size(), 1u);
    EXPECT_EQ(answered.likely[0].slot, 3);
    Apply(answered);
    EXPECT_EQ(Entry(4, Field::Mobile), "0171555");
    EXPECT_EQ(Entry(4, Field::Home), "0891");
}

// With every kind taken on both sides, the numbers that find no place are conflicts, each named
// in the listing with the number it lost to.
TEST_F(Books, NumbersWithNoKindLeftAreNamedAsConflicts) {
    PBEntry e = test::MakeEntry(0, "Ada Byron", kEtcGroup, "01701");
    for (const auto& [kind, number] : {std::pair{1, "0301"}, {2, "0401"}, {3, "0501"}, {4, "0601"}})
        SetNumber(e.numbers[static_cast<std::size_t>(kind)], number);
    m_book.SetEntry(e);
    // The card holds the handset's mobile number as its home number.
    PutCard("/ab/a.vcf",
            CardText("a",
                     "FN:Ada Byron\r\nTEL;TYPE=HOME:01701\r\nTEL;TYPE=CELL:0171\r\n"
                     "TEL;TYPE=WORK:0409\r\nTEL;TYPE=PAGER:0509\r\nTEL;TYPE=FAX:0609\r\n"));
    std::vector<std::string> conflicts;
    for (const std::string& line : PlanLines(Plan())) {
        if (line.starts_with("conflict: ")) conflicts.push_back(line);
    }
    const std::string who = "conflict: \"Ada Byron\" ";
    EXPECT_EQ(conflicts,
              (std::vector<std::string>{
                  who + "Office: the server's \"0409\" wins over the handset's \"0401\"",
                  who + "Pager: the server's \"0509\" wins over the handset's \"0501\"",
                  who + "Fax: the server's \"0609\" wins over the handset's \"0601\"",
                  who + "Home: the server's \"01701\" wins over the handset's \"0301\""}));
}

TEST_F(Books, DeletionsGoBothWaysAndEditsWinOverThem) {
    for (int i = 0; i < 20; ++i)
        PutEntry(i, "P" + std::to_string(i), "0170" + std::to_string(i));
    Sync();
    ASSERT_EQ(m_server.size(), 20u);
    m_book.DeleteEntry(0);            // deleted on the handset
    m_server.erase("/ab/new-2.vcf");  // deleted on the server
    m_book.DeleteEntry(2);            // deleted on the handset, while
    PutCard("/ab/new-3.vcf", CardText("new-3", "FN:P2\r\nTEL;TYPE=CELL:01702\r\nNOTE:x\r\n"));
    PutEntry(3, "P3", "01703", "changed");  // changed on the handset, while
    m_server.erase("/ab/new-4.vcf");        // deleted on the server
    const SyncPlan plan = Plan();
    EXPECT_EQ(plan.ServerDeletions(), 1);
    EXPECT_EQ(plan.BookDeletions(), 1);
    EXPECT_FALSE(DeletionStop(plan, m_state));
    EXPECT_TRUE(Lists(plan, "server: delete card \"P0\" (/ab/new-1.vcf)"));
    Apply(plan);
    EXPECT_EQ(Entry(0, Field::Name), "(none)");
    EXPECT_EQ(Entry(1, Field::Name), "(none)");
    EXPECT_EQ(Entry(2, Field::Memo), "x");  // put back
    EXPECT_EQ(m_server.count("/ab/new-1.vcf"), 0u);
    EXPECT_EQ(m_server.size(), 18u);  // P0's card gone, P3's created again
    EXPECT_FALSE(Plan().Changes());
}

TEST_F(Books, RunawayDeletionsStopTheSync) {
    for (int i = 0; i < 40; ++i)
        PutEntry(i, "P" + std::to_string(i), "0170" + std::to_string(i));
    Sync();
    struct Case {
        const char* what;
        int handsetDeletes;
        int serverDeletes;
        bool stops;
    };
    const std::vector<Case> cases = {
        {"four on the handset", 4, 0, false},  {"six in all", 3, 3, true},
        {"five of a small book", 0, 0, false}, {"the whole handset", 40, 0, true},
        {"the whole server", 0, 40, true},
    };
    for (const Case& c : cases) {
        PhoneBook book = m_book;
        auto server = m_server;
        for (int i = 0; i < c.handsetDeletes; ++i)
            m_book.DeleteEntry(i);
        for (int i = 0; i < c.serverDeletes; ++i)
            m_server.erase("/ab/new-" + std::to_string(40 - i) + ".vcf");
        EXPECT_EQ(DeletionStop(Plan(), m_state).has_value(), c.stops) << c.what;
        m_book = book;
        m_server = server;
    }
    // A tenth of a side: 3 of 20 cards.
    AddressBookState small = m_state;
    small.cards.resize(20);
    SyncPlan plan;
    plan.bookEntries = 40;
    plan.serverCards = 20;
    plan.contacts.resize(3);
    for (auto& c : plan.contacts)
        c.cardAction = CardAction::Delete;
    EXPECT_TRUE(DeletionStop(plan, small));
    plan.contacts.resize(2);
    EXPECT_FALSE(DeletionStop(plan, small));
}

TEST_F(Books, CardsBeyondTheHandsetFillItInNameOrderAndStayOnTheServer) {
    for (int i = 0; i < 310; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "N%03d", 309 - i);
        PutCard("/ab/" + std::to_string(i) + ".vcf",
                CardText(std::to_string(i), std::string("FN:") + name + "\r\nTEL:0" +
                                                std::to_string(1000 + i) + "\r\n"));
    }
    PutCard("/ab/nonumber.vcf", CardText("x", "FN:No Number\r\nADR:;;Somewhere;;;;\r\n"));
    const SyncPlan plan = Plan();
    EXPECT_EQ(plan.notOnHandset.size(), 10u);
    EXPECT_EQ(plan.notOnHandset.front(), "N300");
    EXPECT_EQ(PlanLines(plan).back(), "not on the handset: \"N309\"");
    Apply(plan);
    EXPECT_EQ(m_book.CountUsedEntries(), 300);
    EXPECT_EQ(Entry(0, Field::Name), "N000");
    EXPECT_EQ(m_server.size(), 311u);
    // Known and unchanged, the cards off the handset are not fetched again.
    EXPECT_FALSE(Plan().Changes());
    EXPECT_EQ(m_fetched, 0);
    // A freed slot takes the next card by name.
    m_book.DeleteEntry(5);
    m_state.cards.erase(std::remove_if(m_state.cards.begin(), m_state.cards.end(),
                                       [](const CardState& c) { return c.slot == 5; }),
                        m_state.cards.end());
    Sync();
    EXPECT_EQ(Entry(5, Field::Name), "N005");
}

TEST_F(Books, CategoryLimitsTheCardsAndNewCardsJoinIt) {
    PutCard("/ab/a.vcf", CardText("a", "FN:In\r\nTEL:01\r\nCATEGORIES:Phone,Friends\r\n"));
    PutCard("/ab/b.vcf", CardText("b", "FN:Out\r\nTEL:02\r\nCATEGORIES:Work\r\n"));
    PutCard("/ab/u.vcf", CardText("u", "FN:Ute\r\nTEL:04\r\n"));
    PutEntry(5, "New", "03");
    PutEntry(6, "Ute", "04");
    PlanOptions o;
    o.category = "Phone";
    const SyncPlan joining = Plan(o);
    EXPECT_TRUE(Lists(joining, "note: \"Ute\": the card joins the category \"Phone\""));
    Apply(joining);
    EXPECT_EQ(Entry(0, Field::Name), "In");
    EXPECT_EQ(Entry(0, Field::Group), "Friends");
    EXPECT_EQ(m_book.CountUsedEntries(), 3);
    EXPECT_NE(m_server["/ab/new-1.vcf"].second.find("CATEGORIES:Phone\r\n"), std::string::npos);
    // A card of no category that is an entry's person joins the sync's category.
    EXPECT_NE(m_server["/ab/u.vcf"].second.find("CATEGORIES:Phone\r\n"), std::string::npos);
    EXPECT_FALSE(Plan(o).Changes());
    // A card that leaves the category leaves the handset; the card stays.
    PutCard("/ab/a.vcf", CardText("a", "FN:In\r\nTEL:01\r\nCATEGORIES:Friends\r\n"));
    const SyncPlan plan = Plan(o);
    EXPECT_EQ(plan.BookDeletions(), 1);
    Apply(plan);
    EXPECT_EQ(m_server.count("/ab/a.vcf"), 1u);
    EXPECT_FALSE(Plan(o).Changes());
}

TEST(SyncState, JsonRoundTripAndRefusals) {
    AddressBookState s;
    s.url = "https://dav.example.org/ab/";
    s.syncToken = "http://radicale.org/ns/sync/1";
    s.ctag = "c";
    CardState c{"/ab/a b.vcf", "u", "\"e1\"", 7, {}};
    c.base[Field::Name] = "Zoë";
    c.base[Field::Secret] = "yes";
    s.cards = {c, CardState{"/ab/x.vcf", "x", "\"e2\"", std::nullopt, {}},
               CardState{"/ab/y.vcf", "y", "\"e3\"", 0, {}}};
    std::string error;
    EXPECT_EQ(StateFromJson(StateToJson(s), error), s);
    for (const char* bad : {"", "[]", "{\"version\":1}", "{\"version\":2,\"cards\":[]}",
                            "{\"version\":1,\"cards\":[{\"href\":\"/a\",\"slot\":300}]}",
                            "{\"version\":1,\"cards\":[{\"slot\":1}]}"}) {
        EXPECT_FALSE(StateFromJson(bad, error)) << bad;
        EXPECT_FALSE(error.empty());
    }
}

// The book a state was paired with is known by its people at the paired slots: a slot used
// anew for someone else is a change, a book that is mostly strangers there is another book.
TEST_F(Books, AnotherBookIsToldFromTheOnePairedWith) {
    for (int i = 0; i < 8; ++i)
        PutEntry(i, "Person " + std::to_string(i), "0170" + std::to_string(i));
    Sync();
    const PhoneBook paired = m_book;
    const struct {
        const char* what;
        std::function<void(PhoneBook&)> change;
        bool stranger;
    } cases[] = {
        {"the same book", [](PhoneBook&) {}, false},
        {"one slot used for someone else",
         [](PhoneBook& b) { b.SetEntry(test::MakeEntry(2, "Zoe", kEtcGroup, "0999")); }, false},
        {"a new name, the same number",
         [](PhoneBook& b) { b.SetEntry(test::MakeEntry(3, "Mum", kEtcGroup, "01703")); }, false},
        {"half the slots used for others",
         [](PhoneBook& b) {
             for (int i = 0; i < 4; ++i)
                 b.SetEntry(test::MakeEntry(i, "Other " + std::to_string(i), kEtcGroup, "0151"));
         },
         false},
        {"sorted anew: each slot holds another of the people",
         [](PhoneBook& b) {
             for (int i = 0; i < 8; ++i) {
                 const int j = (i + 1) % 8;
                 b.SetEntry(test::MakeEntry(i, "Person " + std::to_string(j), kEtcGroup,
                                            "0170" + std::to_string(j)));
             }
         },
         true},
        {"another book",
         [](PhoneBook& b) {
             for (int i = 0; i < 8; ++i)
                 b.SetEntry(test::MakeEntry(i, "Other " + std::to_string(i), kEtcGroup, "0151"));
         },
         true},
    };
    for (const auto& c : cases) {
        PhoneBook book = paired;
        c.change(book);
        EXPECT_EQ(StrangerBook(m_state, book, "DE").has_value(), c.stranger) << c.what;
    }
}

}  // namespace
}  // namespace numora
