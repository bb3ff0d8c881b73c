// "Verify After Writing" against the simulated handset on the tests' clock: the handset's book
// is read back into a scratch book and compared with the window's, which stays as it is.
#include <QTest>
#include <algorithm>

#include "UiTestSupport.h"
#include "app/WriteVerifier.h"
#include "link/HandsetCommands.h"
#include "link/ProtocolLog.h"
#include "sim/HandsetSim.h"
#include "support/SimPort.h"

using namespace numora;
using namespace numora::test;

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
        CTestRunner runner;
        FakeClock clock;
        CMemoryProfile profile;
        CAbsentPort absent;
        CPBDialog page(absent, clock, profile);
        FillTestBook(page.Book());
        // The codes as a write leaves them in the book.
        for (int i = 0; i < kEntrySlots; ++i) {
            if (page.Book().IsValidEntry(i)) page.Book().MakeEntryRecord(i);
        }
        CPBData handsetBook = page.Book();
        if (lostSlot >= 0) handsetBook.DeleteEntry(lostSlot);
        const CPBData written = page.Book();

        CHandsetSim sim(TablesFromBook(handsetBook));
        SimPort port(clock, sim);
        CWriteVerifier verifier(port, clock, profile, page);
        port.SetReceiver([&verifier](std::span<uint8_t> b) { verifier.OnPhoneData(b); });
        PortTable found{};
        found[3] = true;
        verifier.Start(found, Pace::Specified);
        QVERIFY(page.Locked());
        clock.RunUntilIdle();
        QTRY_COMPARE(runner.messages.size(), 1);
        QCOMPARE(runner.messages[0], message);
        QVERIFY(!verifier.Active());
        QVERIFY(!page.Locked());
        QCOMPARE(page.ProgressPos(), 0);
        QVERIFY(page.Book().IsValidEntry(7));
        QCOMPARE(page.Book().Entry(7), written.Entry(7));
    }

    // The read-back goes at the pace the write went, and its frames follow the write's in the
    // protocol log under a line of their own.
    void readsBackAtTheWritesPaceIntoTheLog() {
        CTestRunner runner;
        FakeClock clock;
        CMemoryProfile profile;
        CAbsentPort absent;
        CPBDialog page(absent, clock, profile);
        FillTestBook(page.Book());
        // Enough entries for the pace to show past the port search.
        for (int slot = 20; slot < 60; ++slot)
            AddEntry(page.Book(), slot, "Entry", kEtcGroup, "0123");
        CHandsetSim sim(TablesFromBook(page.Book()));
        SimPort port(clock, sim);
        CProtocolLog log(clock);
        log.TraceNote(TraceDir::In, {}, "the write");
        CWriteVerifier verifier(port, clock, profile, page);
        verifier.SetTrace(&log);
        port.SetReceiver([&verifier](std::span<uint8_t> b) { verifier.OnPhoneData(b); });
        PortTable found{};
        found[3] = true;
        int64_t took[2] = {};
        for (const Pace pace : {Pace::Specified, Pace::Fast}) {
            const int64_t start = clock.NowMs();
            verifier.Start(found, pace);
            clock.RunUntilIdle();
            QTRY_VERIFY(!verifier.Active());
            took[pace == Pace::Fast] = clock.NowMs() - start;
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
        QCOMPARE(entryReplies, 2 * page.Book().CountUsedEntries());
    }
};

QTEST_MAIN(WriteVerifierTest)
#include "WriteVerifierTest.moc"
