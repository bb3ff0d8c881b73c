// numora-cli sync against real servers on this machine, as a user runs it: Radicale with a
// password, Xandikos without one, and curl as a second client changing cards in between.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "book/PbFile.h"
#include "support/BookBuilder.h"
#include "support/DavServers.h"
#include "support/ToolTest.h"

namespace numora {
namespace {

using test::DavServer;
using test::ServerKind;

std::string Card(const std::string& uid, const std::string& body) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid + "\r\n" + body + "END:VCARD\r\n";
}

// A card as address books hold them: a photo, an address, a birthday, seven numbers, a long
// name, an international number, labels in groups and vendor properties.
const std::string kRich =
    Card("rich",
         "FN:Maximilian Alexander Huber-Schwarz\r\n"
         "N:Huber-Schwarz;Maximilian;Alexander;;\r\n"
         "item1.TEL;TYPE=CELL:+49 170 7654321\r\n"
         "item1.X-ABLabel:mobile\r\n"
         "TEL;TYPE=HOME:089 1234\r\nTEL;TYPE=WORK:089 5555\r\nTEL;TYPE=WORK:089 6666\r\n"
         "TEL;TYPE=PAGER:111\r\nTEL;TYPE=FAX:222\r\nTEL;TYPE=CELL:0171 999\r\n"
         "ADR;TYPE=HOME:;;Hauptstr. 1;München;;80331;Germany\r\n"
         "BDAY:1980-02-29\r\n"
         "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQEASABIAAD/2wBDAAMCAgICAgMCAgIDAwMDBA\r\n"
         " YEBAQEBAgGBgUGCQgKCgkICQkKDA8MCgsOCwkJDRENDg8QEBEQCgwSExIQEw8QEBD/2Q==\r\n"
         "X-CUSTOM;X-PARAM=1:keep me\r\n");

class SyncTool : public test::ToolTest {
protected:
    void Start(ServerKind kind, bool tls = false) {
        m_server = std::make_unique<DavServer>(kind, Path("server"), tls);
        ASSERT_TRUE(m_server->Up())
            << "the server did not start; see " << Path("server/server.log");
        setenv("NUMORA_CARDDAV_PASSWORD", DavServer::kPassword, 1);
    }
    void TearDown() override {
        m_server.reset();
        ToolTest::TearDown();
    }

    test::ToolRun Sync(const std::string& extra = "") {
        return Cli("sync " + Path("book.pb") + " --server " + m_server->Root() + " --user alice " +
                   extra);
    }
    // Requests in a trace: one line each, their statuses indented below.
    static int Requests(const std::string& trace) {
        int n = 0;
        for (std::size_t at = 0; at < trace.size();) {
            const std::size_t end = trace.find('\n', at);
            const std::string line = trace.substr(at, end - at);
            for (const char* verb : {"PROPFIND ", "REPORT ", "PUT ", "DELETE ", "GET "}) {
                if (line.starts_with(verb)) ++n;
            }
            at = end == std::string::npos ? trace.size() : end + 1;
        }
        return n;
    }
    PhoneBook Book() {
        PhoneBook book;
        const std::string bytes = Slurp(Path("book.pb"));
        ReadPbRecords(book, std::span(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()),
                      nullptr);
        return book;
    }
    static std::string Field(const PhoneBook& book, int slot, std::string_view what) {
        const PBEntry& e = book.Entry(slot);
        if (what == "name") return std::string(TextOf(e.name));
        if (what == "memo") return std::string(TextOf(e.memo));
        if (what == "email") return std::string(TextOf(e.email));
        return std::string(NumberText(e.numbers[0]));
    }

    std::unique_ptr<DavServer> m_server;
};

TEST_F(SyncTool, FirstSyncMergesKeepsEveryPropertyAndTheNextOnesStayCheap) {
    Start(ServerKind::Radicale);
    ASSERT_TRUE(m_server->PutCard("rich.vcf", kRich));
    ASSERT_TRUE(m_server->PutCard("anna.vcf", Card("anna",
                                                   "FN:Anna Meyer\r\nTEL;TYPE=CELL:0170111\r\n"
                                                   "EMAIL:anna@example.org\r\n")));
    PhoneBook book;
    test::AddEntry(book, 0, "Anna Meyer", kEtcGroup, "0170111");
    test::AddEntry(book, 1, "Handset Only", kEtcGroup, "0302222");
    SaveBook(book, "book.pb");

    const std::string stored = m_server->GetCard(m_server->Collection() + "rich.vcf");
    const auto first = Sync();
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(m_server->Cards().size(), 3u);  // one card per person
    EXPECT_EQ(m_server->GetCard(m_server->Collection() + "rich.vcf"), stored);
    book = Book();
    EXPECT_EQ(book.CountUsedEntries(), 3);
    EXPECT_EQ(std::string(TextOf(book.Entry(0).email)), "anna@example.org");
    EXPECT_EQ(Field(book, 2, "name"), "Maximilian Huber");

    const auto again = Sync("--trace");
    ASSERT_EQ(again.status, 0) << again.err;
    EXPECT_NE(again.err.find("Nothing to do"), std::string::npos);
    EXPECT_LE(Requests(again.err), 3) << again.err;
    EXPECT_EQ(m_server->Cards().size(), 3u);
    EXPECT_EQ(again.err.find(DavServer::kPassword), std::string::npos);
    EXPECT_EQ(again.err.find("Authorization"), std::string::npos);

    // A number changed on the handset and a memo on the server, in the same contact: both arrive,
    // and the card keeps its photo, address and its other numbers.
    PBEntry rich = book.Entry(2);
    SetNumber(rich.numbers[1], "0897777");
    book.SetEntry(rich);
    SaveBook(book, "book.pb");
    std::string changed = kRich;
    changed.insert(changed.find("END:VCARD"), "NOTE:call after six\r\n");
    ASSERT_TRUE(m_server->PutCard("rich.vcf", changed));
    const auto both = Sync("--trace");
    ASSERT_EQ(both.status, 0) << both.err;
    EXPECT_LE(Requests(both.err), 3) << both.err;  // the changes, the card, and its PUT
    EXPECT_NE(both.err.find("PUT "), std::string::npos);
    EXPECT_EQ(Field(Book(), 2, "memo"), "call after six");
    const std::string card = m_server->GetCard(m_server->Collection() + "rich.vcf");
    std::string expected = changed;
    expected.replace(expected.find("089 1234"), 8, "0897777");
    EXPECT_EQ(DavServer::Lines(card), DavServer::Lines(expected));
    const auto quiet = Sync("--trace");
    EXPECT_LE(Requests(quiet.err), 3) << quiet.err;
    EXPECT_NE(quiet.err.find("Nothing to do"), std::string::npos) << quiet.out;

    // Nothing the sync keeps holds the password.
    for (const auto& f : std::filesystem::recursive_directory_iterator(Path("data"))) {
        if (f.is_regular_file()) {
            EXPECT_EQ(Slurp(f.path().string()).find(DavServer::kPassword), std::string::npos)
                << f.path();
        }
    }
}

// The first sync pairs as merging does: one person under a reversed name and another written
// form of the number is one card and one entry; a likely pair waits for --same or --different,
// and the answer is remembered, even when the sync starts over.
TEST_F(SyncTool, FirstSyncPairsPeopleAndAsksAboutALikelyPairOnce) {
    Start(ServerKind::Radicale);
    ASSERT_TRUE(m_server->PutCard("anna.vcf", Card("anna",
                                                   "FN:Anna Meyer\r\nTEL;TYPE=CELL:+49 170 "
                                                   "1234567\r\nEMAIL:anna@example.org\r\n")));
    ASSERT_TRUE(m_server->PutCard(
        "julia.vcf", Card("julia", "FN:Julia Meyer\r\nTEL;TYPE=HOME:030 1234567\r\n")));
    PhoneBook book;
    test::AddEntry(book, 0, "Meyer, Anna", kEtcGroup, "00491701234567");
    PBEntry tom = test::MakeEntry(1, "Tom Meyer", kEtcGroup, "");
    SetNumber(tom.numbers[1], "0301234567");  // the family's landline
    book.SetEntry(tom);
    SaveBook(book, "book.pb");
    const std::string anna = m_server->GetCard(m_server->Collection() + "anna.vcf");
    const std::string julia = m_server->Collection() + "julia.vcf";

    const auto first = Sync("--region DE");
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_NE(first.out.find("likely pair: entry 1 \"Tom Meyer\" and card \"Julia Meyer\" (" +
                             julia + "): a shared number under other names (--same 1=" + julia +
                             " or --different 1=" + julia + ")"),
              std::string::npos)
        << first.out;
    EXPECT_EQ(m_server->Cards().size(), 2u);  // nothing of the likely pair went across
    EXPECT_EQ(m_server->GetCard(m_server->Collection() + "anna.vcf"), anna);
    EXPECT_EQ(Book().CountUsedEntries(), 2);
    EXPECT_EQ(Field(Book(), 0, "email"), "anna@example.org");
    EXPECT_EQ(Field(Book(), 0, "name"), "Meyer, Anna");

    const auto answered = Sync("--region DE --different 1=" + julia);
    ASSERT_EQ(answered.status, 0) << answered.err;
    EXPECT_EQ(answered.out.find("likely pair"), std::string::npos) << answered.out;
    EXPECT_EQ(m_server->Cards().size(), 3u);  // Tom's own card
    EXPECT_EQ(Book().CountUsedEntries(), 3);  // Julia's own entry
    std::filesystem::remove_all(Path("data/numora/addressbooks"));
    const auto over = Sync("--region DE");
    ASSERT_EQ(over.status, 0) << over.err;
    EXPECT_EQ(over.out.find("likely pair"), std::string::npos) << over.out;
    EXPECT_NE(over.err.find("Nothing to do"), std::string::npos) << over.out;
    EXPECT_EQ(m_server->Cards().size(), 3u);
    EXPECT_EQ(Book().CountUsedEntries(), 3);
}

// The state of a sync is the address book's, paired with one phone book under one category:
// another book, or another category, would overwrite or duplicate the cards paired last time.
// The sync stops before it changes anything and says how to start over; starting over pairs
// afresh, and a card outside the new category that is an entry's person joins it.
TEST_F(SyncTool, AnotherBookOrCategoryStopsUntilStartedOver) {
    Start(ServerKind::Radicale);
    PhoneBook mine;
    PhoneBook other;
    for (int i = 0; i < 6; ++i) {
        test::AddEntry(mine, i, "Mine " + std::to_string(i), kEtcGroup, "0170" + std::to_string(i));
        test::AddEntry(other, i, "Other " + std::to_string(i), kEtcGroup,
                       "0151" + std::to_string(i));
    }
    SaveBook(mine, "book.pb");
    ASSERT_EQ(Sync().status, 0);
    const auto cards = [this] {
        std::vector<std::string> out;
        for (const std::string& href : m_server->Cards())
            out.push_back(m_server->GetCard(href));
        std::sort(out.begin(), out.end());
        return out;
    };
    const std::vector<std::string> paired = cards();
    ASSERT_EQ(paired.size(), 6u);

    struct Case {
        const char* what;
        const PhoneBook& book;
        const char* extra;
        const char* message;
    };
    const Case cases[] = {
        {"another phone book", other, "",
         "the book is not the one last synced with this address book: 6 of the 6 entries"},
        {"another category", mine, "--category Phone",
         "last synced with all contacts, not the category \"Phone\""},
    };
    for (const Case& c : cases) {
        SaveBook(c.book, "book.pb");
        const std::string before = Slurp(Path("book.pb"));
        const auto r = Sync(c.extra);
        EXPECT_EQ(r.status, 1) << c.what << ": " << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.what << ": " << r.err;
        EXPECT_NE(r.err.find("Nothing was changed; --start-over"), std::string::npos) << r.err;
        EXPECT_EQ(cards(), paired) << c.what;
        EXPECT_EQ(Slurp(Path("book.pb")), before) << c.what;
    }

    // Over again under the category: the same people stay one card each, which join it, and
    // the next sync has nothing to do.
    SaveBook(mine, "book.pb");
    const auto over = Sync("--category Phone --start-over");
    ASSERT_EQ(over.status, 0) << over.err;
    EXPECT_EQ(m_server->Cards().size(), 6u) << over.out;
    EXPECT_NE(over.out.find("the card joins the category \"Phone\""), std::string::npos)
        << over.out;
    const auto again = Sync("--category Phone");
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_NE(again.err.find("Nothing to do"), std::string::npos) << again.out;
    // Another book, started over: its people are new cards; no card of the first is touched.
    SaveBook(other, "book.pb");
    const auto others = Sync("--category Phone --start-over");
    ASSERT_EQ(others.status, 0) << others.err;
    EXPECT_EQ(m_server->Cards().size(), 12u);
    const std::vector<std::string> all = cards();
    for (int i = 0; i < 6; ++i) {
        const std::string name = "FN:Mine " + std::to_string(i) + "\r\n";
        EXPECT_EQ(std::count_if(all.begin(), all.end(),
                                [&](const std::string& card) {
                                    return card.find(name) != std::string::npos;
                                }),
                  1)
            << name;
    }
}

TEST_F(SyncTool, ConflictsAreListedWithTheLosingValue) {
    Start(ServerKind::Radicale);
    ASSERT_TRUE(m_server->PutCard("ada.vcf", Card("ada", "FN:Ada\r\nTEL:0123\r\nNOTE:old\r\n")));
    PhoneBook book;
    SaveBook(book, "book.pb");
    ASSERT_EQ(Sync().status, 0);
    book = Book();
    PBEntry e = book.Entry(0);
    SetText(e.memo, "handset memo");
    book.SetEntry(e);
    SaveBook(book, "book.pb");
    ASSERT_TRUE(
        m_server->PutCard("ada.vcf", Card("ada", "FN:Ada\r\nTEL:0123\r\nNOTE:server memo\r\n")));

    const auto dry = Sync("--dry-run");
    EXPECT_EQ(dry.status, 1);  // a conflict no --prefer decides
    EXPECT_NE(dry.out.find("conflict: \"Ada\" memo: the server's \"server memo\" wins over the "
                           "handset's \"handset memo\""),
              std::string::npos)
        << dry.out;
    EXPECT_EQ(Field(Book(), 0, "memo"), "handset memo");
    const auto run = Sync("--prefer book");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("the handset's \"handset memo\" wins over the server's \"server memo\""),
              std::string::npos);
    EXPECT_NE(m_server->GetCard(m_server->Collection() + "ada.vcf").find("NOTE:handset memo"),
              std::string::npos);
}

TEST_F(SyncTool, ManyDeletionsStopUntilAllowed) {
    Start(ServerKind::Radicale);
    PhoneBook book;
    for (int i = 0; i < 8; ++i)
        test::AddEntry(book, i, "P" + std::to_string(i), kEtcGroup, "0170" + std::to_string(i));
    SaveBook(book, "book.pb");
    ASSERT_EQ(Sync().status, 0);
    ASSERT_EQ(m_server->Cards().size(), 8u);
    book = Book();
    for (int i = 0; i < 6; ++i)
        book.DeleteEntry(i);
    SaveBook(book, "book.pb");
    const std::string before = Slurp(Path("book.pb"));

    const auto stopped = Sync();
    EXPECT_EQ(stopped.status, 1);
    EXPECT_NE(stopped.err.find("it would delete 6 cards on the server (listed above)"),
              std::string::npos)
        << stopped.err;
    EXPECT_EQ(std::count(stopped.out.begin(), stopped.out.end(), '\n'), 6);  // the six, listed
    EXPECT_EQ(m_server->Cards().size(), 8u);
    EXPECT_EQ(Slurp(Path("book.pb")), before);

    const auto allowed = Sync("--allow-deletes");
    ASSERT_EQ(allowed.status, 0) << allowed.err;
    EXPECT_EQ(m_server->Cards().size(), 2u);
    // The cards deleted are kept as they were, in one file of the history.
    std::vector<std::string> kept;
    for (const auto& f : std::filesystem::directory_iterator(Path("data/numora/history/cards")))
        kept.push_back(Slurp(f.path().string()));
    ASSERT_EQ(kept.size(), 1u);
    std::size_t cards = 0;
    for (std::size_t at = kept[0].find("BEGIN:VCARD"); at != std::string::npos;
         at = kept[0].find("BEGIN:VCARD", at + 1)) {
        ++cards;
    }
    EXPECT_EQ(cards, 6u);
}

TEST_F(SyncTool, RefusalsSayWhy) {
    Start(ServerKind::Radicale);
    PhoneBook book;
    SaveBook(book, "book.pb");
    struct Case {
        const char* what;
        std::string args;
        const char* password;
        int status;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"a wrong password", "--server " + m_server->Root(), "wrong", 2,
         "refused the user name or password"},
        {"plain http to another machine", "--server http://192.0.2.1/dav/", DavServer::kPassword, 2,
         "plain http://"},
        {"no address book of that name", "--server " + m_server->Root() + " --addressbook Work",
         DavServer::kPassword, 2, "no address book \"Work\""},
        {"a bad --prefer", "--server " + m_server->Root() + " --prefer mine", DavServer::kPassword,
         2, "--prefer"},
    };
    for (const Case& c : cases) {
        setenv("NUMORA_CARDDAV_PASSWORD", c.password, 1);
        const auto r = Cli("sync " + Path("book.pb") + " --user alice " + c.args);
        EXPECT_EQ(r.status, c.status) << c.what;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.what << ": " << r.err;
        EXPECT_EQ(r.err.find(c.password), std::string::npos) << c.what;
    }
    unsetenv("NUMORA_CARDDAV_PASSWORD");
    const auto none = Run("setsid " + std::string(NUMORA_CLI) + " sync " + Path("book.pb") +
                          " --server " + m_server->Root() + " --user alice </dev/null");
    EXPECT_EQ(none.status, 2);
    EXPECT_NE(none.err.find("No password"), std::string::npos) << none.err;
}

TEST_F(SyncTool, CertificatesAreCheckedAndAPrivateAuthorityIsTrustedWhenGiven) {
    Start(ServerKind::Radicale, true);
    PhoneBook book;
    test::AddEntry(book, 0, "Ada", kEtcGroup, "0123");
    SaveBook(book, "book.pb");
    const auto refused = Sync();
    EXPECT_EQ(refused.status, 2) << refused.err;
    EXPECT_NE(refused.err.find("certificate is not trusted: The certificate is self-signed"),
              std::string::npos)
        << refused.err;
    const auto trusted = Sync("--ca-file " + m_server->CertificateFile());
    EXPECT_EQ(trusted.status, 0) << trusted.err;
    EXPECT_NE(trusted.out.find("server: new card \"Ada\""), std::string::npos);
}

TEST_F(SyncTool, DigestAuthentication) {
    Start(ServerKind::XandikosDigest);
    ASSERT_TRUE(m_server->PutCard("bob.vcf", Card("bob", "FN:Bob\r\nTEL;TYPE=HOME:0401\r\n")));
    PhoneBook book;
    SaveBook(book, "book.pb");
    const auto run = Sync("--trace");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(NumberText(Book().Entry(0).numbers[1]), "0401");
    EXPECT_EQ(run.err.find(DavServer::kPassword), std::string::npos);
    setenv("NUMORA_CARDDAV_PASSWORD", "wrong", 1);
    const auto refused = Sync();
    EXPECT_EQ(refused.status, 2) << refused.err;
    EXPECT_NE(refused.err.find("refused the user name or password"), std::string::npos);
}

TEST_F(SyncTool, XandikosFromItsRootWithoutAPassword) {
    Start(ServerKind::Xandikos);
    unsetenv("NUMORA_CARDDAV_PASSWORD");  // none is asked for: the server wants none
    ASSERT_TRUE(m_server->PutCard("bob.vcf", Card("bob", "FN:Bob\r\nTEL;TYPE=HOME:0401\r\n")));
    PhoneBook book;
    test::AddEntry(book, 3, "Cleo", kEtcGroup, "0555");
    SaveBook(book, "book.pb");
    const auto first = Sync("--trace");
    ASSERT_EQ(first.status, 0) << first.err;
    EXPECT_EQ(m_server->Cards().size(), 2u);
    const auto again = Sync("--trace");
    EXPECT_LE(Requests(again.err), 3) << again.err;
    EXPECT_NE(again.err.find("Nothing to do"), std::string::npos);
    ASSERT_TRUE(m_server->PutCard("bob.vcf", Card("bob", "FN:Bob\r\nTEL;TYPE=HOME:0402\r\n")));
    ASSERT_EQ(Sync().status, 0);
    PhoneBook synced = Book();
    bool found = false;
    for (int i = 0; i < kEntrySlots; ++i)
        found = found || NumberText(synced.Entry(i).numbers[1]) == "0402";
    EXPECT_TRUE(found);
}

}  // namespace
}  // namespace numora
