// Another client changes a card between the sync's fetch and its write: the write is refused
// (If-Match), the card is fetched and merged again once, and a second refusal leaves the card
// for the next sync with a word. Either way no change of either client is lost.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTcpServer>
#include <set>

#include "addressbook/PlanListing.h"
#include "carddav/AddressBookSync.h"
#include "support/BookBuilder.h"
#include "support/DavServers.h"

namespace numora {
namespace {

using test::DavServer;

std::string Ada(const std::string& mobile, const std::string& note) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:ada\r\nFN:Ada\r\nTEL;TYPE=CELL:" + mobile +
           "\r\nNOTE:" + note + "\r\nEND:VCARD\r\n";
}

class ConcurrentChange : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::remove_all(m_dir);
        m_server = std::make_unique<DavServer>(test::ServerKind::Radicale, m_dir / "server");
        ASSERT_TRUE(m_server->Up());
        m_client.SetCredentials(DavServer::kUser, DavServer::kPassword);
        m_client.SetTrace([this](const QString& line) {
            if (m_onTrace) m_onTrace(line.toStdString());
        });
    }
    void TearDown() override {
        m_server.reset();
        std::filesystem::remove_all(m_dir);
    }

    // One sync; `between` runs after the plan and before it is applied.
    AddressBookSync& Sync(const std::function<void()>& between = {}) {
        SyncSettings settings;
        settings.server = QUrl(QString::fromStdString(m_server->Root()));
        settings.user = DavServer::kUser;
        m_sync = std::make_unique<AddressBookSync>(settings, m_client, m_store);
        QEventLoop loop;
        bool failed = false;
        QObject::connect(m_sync.get(), &AddressBookSync::planned, &loop, [&] {
            if (between) between();
            m_sync->Apply(m_book);
        });
        QObject::connect(m_sync.get(), &AddressBookSync::applied, &loop, &QEventLoop::quit);
        QObject::connect(m_sync.get(), &AddressBookSync::failed, &loop, [&](const QString& why) {
            ADD_FAILURE() << why.toStdString();
            failed = true;
            loop.quit();
        });
        m_sync->Prepare(m_book);
        loop.exec();
        EXPECT_FALSE(failed);
        return *m_sync;
    }
    void SetMobile(const std::string& number) {
        PBEntry e = m_book.Entry(0);
        SetNumber(e.numbers[0], number);
        m_book.SetEntry(e);
    }
    std::string Card() const { return m_server->GetCard(m_server->Collection() + "ada.vcf"); }

    int m_argc = 1;
    char m_name[8] = "tests";
    char* m_argv[2] = {m_name, nullptr};
    QCoreApplication m_app{m_argc, m_argv};
    // Set before the store below, which keeps its state and cards in it.
    std::filesystem::path m_dir =
        std::filesystem::temp_directory_path() / ("numora-dav-" + std::to_string(getpid()));
    std::unique_ptr<DavServer> m_server;
    DavClient m_client;
    SyncStore m_store{QString::fromStdString((m_dir / "state").string()),
                      QString::fromStdString((m_dir / "cards").string())};
    std::unique_ptr<AddressBookSync> m_sync;
    std::function<void(const std::string&)> m_onTrace;
    PhoneBook m_book;
};

TEST_F(ConcurrentChange, ARefusedWriteIsMergedAgainOnceThenLeftForTheNextSync) {
    ASSERT_TRUE(m_server->PutCard("ada.vcf", Ada("0123", "first")));
    Sync();
    ASSERT_EQ(std::string(NumberText(m_book.Entry(0).numbers[0])), "0123");

    // Changed by the other client after the sync fetched it: both changes arrive, and the
    // listing of what was done tells the merge made after the refusal.
    SetMobile("0999");
    const auto lines = [](const AddressBookSync& sync) {
        std::string out;
        for (const std::string& l : PlanLines(sync.Plan(), &sync.Done()))
            out += l + "\n";
        return out;
    };
    const std::string merged = lines(
        Sync([this] { ASSERT_TRUE(m_server->PutCard("ada.vcf", Ada("0123", "other client"))); }));
    EXPECT_EQ(DavServer::Lines(Card()), DavServer::Lines(Ada("0999", "other client")));
    EXPECT_EQ(std::string(TextOf(m_book.Entry(0).memo)), "other client");
    EXPECT_EQ(merged,
              "handset: entry 0 \"Ada\": memo \"first\" -> \"other client\"\n"
              "server: card \"Ada\": Mobile \"0123\" -> \"0999\"\n");

    // Changed again right after the sync fetched it the second time: left with a word.
    SetMobile("0777");
    bool refused = false;
    m_onTrace = [&](const std::string& line) {
        if (line.find("-> 412") != std::string::npos) refused = true;
        if (refused && line.find("-> 207") != std::string::npos) {
            m_server->PutCard("ada.vcf", Ada("0999", "third"));
            m_onTrace = {};
        }
    };
    const AddressBookSync& sync =
        Sync([this] { ASSERT_TRUE(m_server->PutCard("ada.vcf", Ada("0999", "second"))); });
    ASSERT_EQ(sync.Problems().size(), 1);
    EXPECT_TRUE(sync.Problems()[0].contains(QStringLiteral("changed by another client")));
    EXPECT_EQ(lines(sync),
              "handset: entry 0 \"Ada\": memo \"other client\" -> \"second\"\n"
              "server: left for the next sync: card \"Ada\"\n");
    EXPECT_EQ(DavServer::Lines(Card()), DavServer::Lines(Ada("0999", "third")));
    Sync();
    EXPECT_EQ(DavServer::Lines(Card()), DavServer::Lines(Ada("0777", "third")));
    EXPECT_EQ(std::string(TextOf(m_book.Entry(0).memo)), "third");
    // The cards kept before each change are filed under the address book's name, also by the
    // syncs that took the address book from their state instead of finding it.
    std::set<std::string> names;
    for (const auto& kept : std::filesystem::directory_iterator(m_dir / "cards"))
        names.insert(kept.path().filename().string().substr(20));
    EXPECT_EQ(names, std::set<std::string>{"Contacts.vcf"});
}

// A server that takes the connection and never answers: the request ends with its time-out,
// said once, and without Qt's warning about reading a reply already closed.
TEST_F(ConcurrentChange, ATimeOutEndsTheRequestWithoutAWarning) {
    QTcpServer silent;
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    static QStringList warnings;
    warnings.clear();
    const QtMessageHandler before = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& text) { warnings << text; });
    m_client.SetTimeoutMs(300);
    DavReply got;
    QEventLoop loop;
    m_client.Send({"PROPFIND",
                   QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(silent.serverPort())),
                   "<propfind/>",
                   "application/xml",
                   {}},
                  [&](const DavReply& reply) {
                      got = reply;
                      loop.quit();
                  });
    loop.exec();
    qInstallMessageHandler(before);
    EXPECT_EQ(got.status, 0);
    EXPECT_TRUE(got.error.contains(QStringLiteral("no answer from 127.0.0.1")))
        << got.error.toStdString();
    EXPECT_TRUE(warnings.isEmpty()) << warnings.join('\n').toStdString();
}

}  // namespace
}  // namespace numora
