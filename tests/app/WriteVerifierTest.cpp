// "Verify After Writing" against the simulated handset on the tests' clock: the handset's book
// is read back into a scratch book and compared with the window's, which stays as it is.
#include <QTest>
#include <algorithm>
#include <optional>

#include "app/WriteVerifier.h"
#include "link/HandsetCommands.h"
#include "link/ProtocolLog.h"
#include "sim/HandsetSim.h"
#include "support/SimPort.h"
#include "ui/UiTestSupport.h"

using namespace numora;
using namespace numora::test;

namespace {

// A page with the test book, and a verifier reading back from the simulated handset that
// holds the given book.
struct VerifyRig {
    explicit VerifyRig(void (*fill)(PhoneBook&)) {
        fill(page.Book());
        // The codes as a write leaves them in the book.
        for (int i = 0; i < kEntrySlots; ++i) {
            if (page.Book().IsValidEntry(i)) page.Book().MakeEntryRecord(i);
        }
    }
    void Hold(const PhoneBook& handsetBook) {
        sim.emplace(TablesFromBook(handsetBook));
        port.emplace(clock, *sim);
        port->SetReceiver([this](std::span<uint8_t> b) { verifier->OnPhoneData(b); });
        verifier.emplace(*port, clock, profile, page);
    }
    void Start(Pace pace) {
        PortTable found{};
        found[3] = true;
        verifier->Start(found, pace);
    }

    TestRunner runner;
    FakeClock clock;
    MemoryProfile profile;
    AbsentPort absent;
    PhoneBookPage page{absent, clock, profile};
    std::optional<HandsetSim> sim;
    std::optional<SimPort> port;
    std::optional<WriteVerifier> verifier;
};

}  // namespace

class WriteVerifierTest : public QObject {
    Q_OBJECT

private slots:
    void saysWhatTheHandsetHoldsOtherwise_data() {
        QTest::addColumn<int>("lostSlot");
        QTest::addColumn<QString>("message");
        QTest::newRow("as written") << -1 << QString::fromLatin1(kWrittenAsIs);
        QTest::newRow("entry lost")
            << 7
            << QStringLiteral(
                   "The phone's book differs from the book written:\n"
                   "entry 7 \"Dora\": removed (Mobile 0777, E-mail dora@example.org)");
    }

    void saysWhatTheHandsetHoldsOtherwise() {
        QFETCH(int, lostSlot);
        QFETCH(QString, message);
        VerifyRig rig(FillTestBook);
        PhoneBook handsetBook = rig.page.Book();
        if (lostSlot >= 0) handsetBook.DeleteEntry(lostSlot);
        const PhoneBook written = rig.page.Book();
        rig.Hold(handsetBook);
        rig.Start(Pace::Specified);
        QVERIFY(rig.page.Locked());
        rig.clock.RunUntilIdle();
        QTRY_COMPARE(rig.runner.messages.size(), 1);
        QCOMPARE(rig.runner.messages[0], message);
        QVERIFY(!rig.verifier->Active());
        QVERIFY(!rig.page.Locked());
        QCOMPARE(rig.page.ProgressPos(), 0);
        QVERIFY(rig.page.Book().IsValidEntry(7));
        QCOMPARE(rig.page.Book().Entry(7), written.Entry(7));
    }

    // The read-back goes at the pace the write went, and its frames follow the write's in the
    // protocol log under a line of their own.
    void readsBackAtTheWritesPaceIntoTheLog() {
        // Enough entries for the pace to show past the port search.
        VerifyRig rig([](PhoneBook& book) {
            FillTestBook(book);
            for (int slot = 20; slot < 60; ++slot)
                AddEntry(book, slot, "Entry", kEtcGroup, "0123");
        });
        rig.Hold(rig.page.Book());
        ProtocolLog log(rig.clock);
        log.TraceNote(TraceDir::In, {}, "the write");
        rig.verifier->SetTrace(&log);
        int64_t took[2] = {};
        for (const Pace pace : {Pace::Specified, Pace::Fast}) {
            const int64_t start = rig.clock.NowMs();
            rig.Start(pace);
            rig.clock.RunUntilIdle();
            QTRY_VERIFY(!rig.verifier->Active());
            took[pace == Pace::Fast] = rig.clock.NowMs() - start;
        }
        QVERIFY2(
            took[1] * 2 < took[0],
            qPrintable(QStringLiteral("%1 ms fast, %2 ms specified").arg(took[1]).arg(took[0])));
        QCOMPARE(log.Lines()[0].note, std::string("the write"));
        QCOMPARE(log.Lines()[1].note, std::string(kReadBackHeading));
        QVERIFY(log.Lines()[1].bytes.empty());
        const auto entryReplies =
            std::count_if(log.Lines().begin(), log.Lines().end(), [](const auto& line) {
                return line.dir == TraceDir::In && !line.bytes.empty() &&
                       line.bytes[0] == cmd::kEntryRead;
            });
        QCOMPARE(entryReplies, 2 * rig.page.Book().CountUsedEntries());
    }
};

QTEST_MAIN(WriteVerifierTest)
#include "WriteVerifierTest.moc"
