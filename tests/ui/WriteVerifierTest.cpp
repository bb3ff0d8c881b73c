// "Verify After Writing" against the simulated handset on the tests' clock: the handset's book
// is read back into a scratch book and compared with the window's, which stays as it is.
#include <QTest>

#include "UiTestSupport.h"
#include "app/WriteVerifier.h"
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
        verifier.Start(found);
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
};

QTEST_MAIN(WriteVerifierTest)
#include "WriteVerifierTest.moc"
