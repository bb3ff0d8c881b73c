// The three-way plan of a sync, run against cards held in memory: what each side gets, the
// conflicts, the first merge, the deletions and their guard, and the state between runs.
#include <gtest/gtest.h>

#include <map>

#include "addressbook/CardEdit.h"
#include "addressbook/SyncPlan.h"
#include "support/BookBuilder.h"

namespace numora {
namespace {

std::string CardText(const std::string& uid, const std::string& body) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid + "\r\n" + body + "END:VCARD\r\n";
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

    // Applies a plan as the sync does; the number of cards written and deleted.
    int Apply(SyncPlan plan) {
        int writes = 0;
        std::vector<bool> done;
        for (ContactPlan& c : plan.contacts) {
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

    CPBData m_book;
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
    EXPECT_EQ(Apply(first), 1);  // the handset-only entry becomes a card
    EXPECT_EQ(m_server.size(), 3u);
    EXPECT_EQ(Entry(0, Field::Email), "anna@example.org");
    EXPECT_EQ(Entry(2, Field::Name), "Server Only");
    EXPECT_NE(m_server["/ab/a.vcf"].second.find("ADR:;;Street 1;;;;"), std::string::npos);

    const SyncPlan second = Plan();
    EXPECT_FALSE(second.Changes());
    EXPECT_EQ(m_fetched, 0);
    EXPECT_EQ(m_state.PairedCount(), 3);
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
        m_book = CPBData();
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

TEST_F(Books, ChangesOfDifferentFieldsOnBothSidesBothArrive) {
    PutEntry(0, "Ada", "0123", "memo");
    Sync();
    PutEntry(0, "Ada", "0999", "memo");  // a number changed on the handset
    PutCard("/ab/new-1.vcf", CardText("new-1",
                                      "FN:Ada\r\nTEL;TYPE=CELL:0123\r\nNOTE:new memo\r\n"
                                      "X-KEEP:me\r\n"));
    const SyncPlan plan = Plan();
    EXPECT_TRUE(plan.contacts[0].conflicts.empty());
    Apply(plan);
    EXPECT_EQ(Entry(0, Field::Mobile), "0999");
    EXPECT_EQ(Entry(0, Field::Memo), "new memo");
    const std::string& card = m_server["/ab/new-1.vcf"].second;
    EXPECT_NE(card.find("TEL;TYPE=CELL:0999\r\n"), std::string::npos);
    EXPECT_NE(card.find("NOTE:new memo\r\nX-KEEP:me\r\n"), std::string::npos);
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
    m_book.GetEntry(0, e);
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

TEST_F(Books, FirstSyncPairsAndAsksAboutLikelyPairs) {
    PutEntry(0, "Meyer, Anna", "0170111");  // the same person, name written the other way
    PutEntry(1, "Bob", "0170222");          // shares a number with someone else on the server
    PutEntry(2, "Carl", "0170333");         // the same name, another number
    PutCard("/ab/a.vcf", CardText("a", "FN:Anna Meyer\r\nTEL;TYPE=HOME:0170111\r\n"));
    PutCard("/ab/b.vcf", CardText("b", "FN:Robert's office\r\nTEL;TYPE=WORK:0170222\r\n"));
    PutCard("/ab/c.vcf", CardText("c", "FN:Carl\r\nTEL;TYPE=CELL:0899\r\n"));
    const SyncPlan plan = Plan();
    ASSERT_EQ(plan.likely.size(), 2u);
    EXPECT_EQ(plan.likely[0].slot, 1);
    EXPECT_EQ(plan.likely[1].slot, 2);
    // The sure pair is merged: the number keeps the card's kind and is not held twice.
    const auto anna = std::find_if(plan.contacts.begin(), plan.contacts.end(),
                                   [](const ContactPlan& c) { return c.href == "/ab/a.vcf"; });
    ASSERT_NE(anna, plan.contacts.end());
    EXPECT_EQ(anna->merged[Field::Home], "0170111");
    EXPECT_EQ(anna->merged[Field::Mobile], "");
    EXPECT_EQ(anna->cardAction, CardAction::None);
    EXPECT_EQ(anna->conflicts.size(), 1u);  // the names differ: listed, the server's wins
    Apply(plan);
    EXPECT_EQ(m_server.size(), 3u);  // nothing was created for the held-out entries
    // Answered: Carl is the same person, Bob is not.
    PlanOptions o;
    o.answers = {{1, "/ab/b.vcf", false}, {2, "/ab/c.vcf", true}};
    Sync(o);
    EXPECT_EQ(m_server.size(), 4u);  // Bob's card
    // The card's Mobile wins; the handset's is not lost but takes a free kind on both sides.
    EXPECT_EQ(Entry(2, Field::Mobile), "0899");
    EXPECT_EQ(Entry(2, Field::Home), "0170333");
    EXPECT_NE(m_server["/ab/c.vcf"].second.find("TEL;TYPE=CELL:0899"), std::string::npos);
    EXPECT_NE(m_server["/ab/c.vcf"].second.find("TEL;TYPE=HOME,VOICE:0170333"), std::string::npos);
    EXPECT_FALSE(Plan(o).Changes());
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
        CPBData book = m_book;
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
    PutEntry(5, "New", "03");
    PlanOptions o;
    o.category = "Phone";
    Sync(o);
    EXPECT_EQ(Entry(0, Field::Name), "In");
    EXPECT_EQ(Entry(0, Field::Group), "Friends");
    EXPECT_EQ(m_book.CountUsedEntries(), 2);
    EXPECT_NE(m_server["/ab/new-1.vcf"].second.find("CATEGORIES:Phone\r\n"), std::string::npos);
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
    s.cards = {c, CardState{"/ab/x.vcf", "x", "\"e2\"", std::nullopt, {}}};
    std::string error;
    EXPECT_EQ(StateFromJson(StateToJson(s), error), s);
    for (const char* bad : {"", "[]", "{\"version\":1}", "{\"version\":2,\"cards\":[]}",
                            "{\"version\":1,\"cards\":[{\"href\":\"/a\",\"slot\":300}]}",
                            "{\"version\":1,\"cards\":[{\"slot\":1}]}"}) {
        EXPECT_FALSE(StateFromJson(bad, error)) << bad;
        EXPECT_FALSE(error.empty());
    }
}

}  // namespace
}  // namespace numora
