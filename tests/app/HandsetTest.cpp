// The window against the real numora-sim on a pseudo-terminal: --simulate starts it, the read
// at start-up fills the list, an edit written to the handset comes back with the next read,
// and closing the window during a write asks first, saying what the phone is left with.
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <optional>

#include "WindowTestSupport.h"
#include "app/FormView.h"
#include "app/MainWindow.h"
#include "book/PbFile.h"
#include "history/BookHistory.h"
#include "link/CommPort.h"
#include "support/SimProcess.h"
#include "ui/UiTestSupport.h"

using namespace numora;
using namespace numora::test;

namespace {

// A whole run against the simulator takes a few seconds; this is only the point where a run
// that never ends counts as a failure.
constexpr int kRunLimitMs = 60000;

// Waits for the page's run to end; its outcome, none when it does not end.
std::optional<RunOutcome> WaitForRun(QSignalSpy& ended) {
    if (ended.isEmpty() && !ended.wait(kRunLimitMs)) return std::nullopt;
    return ended.takeFirst().first().value<RunOutcome>();
}

// The window on the port of a simulated handset that holds the test book, with its faults.
struct WindowOnSimulator {
    explicit WindowOnSimulator(const std::vector<std::string>& faults = {})
        : sim(NUMORA_SIM, SimArgs(dir, faults),
              dir.filePath(QStringLiteral("sim.log")).toStdString()),
          options(PortOptions(dir, sim)),
          frame(options),
          ended(frame.Page(), &PhoneBookPage::runEnded) {
        frame.show();
        frame.StartUp();
    }
    static std::vector<std::string> SimArgs(QTemporaryDir& dir, std::vector<std::string> faults) {
        faults.insert(
            faults.begin(),
            {"--book", WriteTestBookFile(dir, QStringLiteral("handset.pb")).toStdString()});
        return faults;
    }
    static WindowOptions PortOptions(QTemporaryDir& dir, const SimProcess& sim) {
        WindowOptions o = TestOptions(dir);
        o.port = QString::fromStdString(sim.Device());
        return o;
    }

    QTemporaryDir dir;
    SimProcess sim;
    WindowOptions options;
    MainWindow frame;
    QSignalSpy ended;
};

}  // namespace

class HandsetTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (QByteArray(NUMORA_SIM).isEmpty()) QSKIP("numora-sim is not built here");
    }

    // With --simulate the window starts the simulator and its read at start-up fills the list;
    // an edit written with "Verify After Writing" is read back, found on the handset and kept
    // in the history.
    void startUpReadsTheHandsetThenWritesAnEdit() {
        TestRunner runner;
        QTemporaryDir dir;
        WindowOptions options = TestOptions(dir);
        options.simulate = true;
        options.simulator = QStringLiteral(NUMORA_SIM);
        options.simulatorBook = WriteTestBookFile(dir, QStringLiteral("handset.pb"));
        MainWindow frame(options);
        frame.show();
        QSignalSpy ended(frame.Page(), &PhoneBookPage::runEnded);
        frame.StartUp();
        QTRY_VERIFY(frame.Page()->SearchDialog() != nullptr);
        QCOMPARE(frame.Page()->SearchDialog()->windowTitle(), QStringLiteral("Port Searching"));
        QVERIFY(frame.Page()->SearchDialog()->Status().endsWith(QStringLiteral(" Port Open...")));
        QVERIFY(!frame.View()->Tabs()->tabBar()->isEnabled());

        QCOMPARE(WaitForRun(ended), RunOutcome::ReadCompleted);
        const ReportList* list = frame.Page()->List();
        QCOMPARE(list->CellText(0, col::SpeedDial(0)), QStringLiteral("5"));
        QCOMPARE(list->CellText(3, col::kRinger), QStringLiteral("Behind Story"));
        QCOMPARE(list->CellText(7, col::kName), QStringLiteral("Dora"));
        QCOMPARE(frame.Page()->SearchDialog(), nullptr);
        QVERIFY(frame.View()->Tabs()->tabBar()->isEnabled());
        QCOMPARE(frame.Page()->ProgressPos(), 0);
        QCOMPARE(runner.messages, QStringList());
        // The simulator's device is not remembered as the handset's port.
        const QSettings ini(dir.filePath(QStringLiteral("profile.ini")), QSettings::IniFormat);
        QVERIFY(!ini.contains(QStringLiteral("Port Setting/DS Com Port")));

        // Edit Carl, write the book, and read it back.
        FileAction(frame, QStringLiteral("&Verify After Writing"))->setChecked(true);
        PhoneBookPage& page = *frame.Page();
        ClickCell(page.List(), 3);
        FindIn<QLineEdit>(page, "nameEdit")->setText(QStringLiteral("Carla"));
        FindIn<QLineEdit>(page, "faxEdit")->setText(QStringLiteral("0666"));
        ClickButton(page, "saveButton");
        ClickButton(page, "writeButton");
        QVERIFY(!FindIn<QPushButton>(page, "readButton")->isEnabled());
        QCOMPARE(WaitForRun(ended), RunOutcome::WriteCompleted);
        QTRY_VERIFY_WITH_TIMEOUT(runner.messages.size() == 2, kRunLimitMs);
        QCOMPARE(runner.messages, QStringList({"Phonebook Write Completed!",
                                               "The phone holds the book as written."}));
        QCOMPARE(frame.History().List().front().what, QString::fromLatin1(history::kWritten));
    }

    // A handset that hangs up in the middle of the read: what arrived is shown, said to be part
    // of the book, and writing it asks first.
    void aReadCutShortIsSaidSoAndAskedAboutBeforeAWrite() {
        TestRunner runner;
        WindowOnSimulator on({"--hangup", "30"});
        MainWindow& frame = on.frame;
        QCOMPARE(WaitForRun(on.ended), RunOutcome::Failed);
        QVERIFY(frame.Page()->BookFromIncompleteRead());
        QCOMPARE(runner.messages.size(), 3);
        QCOMPARE(runner.messages.last(), FromBytes(kReadIncomplete));
        runner.answer = false;
        frame.Page()->OnWriteToPhone();
        QCOMPARE(runner.questions, QStringList({FromBytes(kWriteIncompleteBook)}));
        QVERIFY(!frame.Page()->Session().Engine().Running());
    }

    // Closed while its entries go out, the write leaves the handset without entries, as the
    // question says and as the next read finds; the window's book is kept to write again.
    void closingWhileWritingSaysWhatThePhoneIsLeftWith() {
        TestRunner runner;
        WindowOnSimulator on;
        MainWindow& frame = on.frame;
        QSignalSpy& ended = on.ended;
        const QTemporaryDir& dir = on.dir;
        const SimProcess& sim = on.sim;
        const WindowOptions& options = on.options;
        QCOMPARE(WaitForRun(ended), RunOutcome::ReadCompleted);
        // A device named on the command line is not remembered as the handset's port.
        const QSettings ini(options.profilePath, QSettings::IniFormat);
        QVERIFY(!ini.contains(QStringLiteral("Port Setting/DS Com Port")));

        // An edit no snapshot holds yet.
        PBEntry dora = frame.Page()->Book().Entry(7);
        SetText(dora.name, "Doris");
        frame.Page()->Book().SetEntry(dora);
        const SyncEngine& engine = frame.Page()->Session().Engine();
        frame.Page()->OnWriteToPhone();
        QTRY_VERIFY_WITH_TIMEOUT(engine.Holds() == PhoneHolds::NoEntries, kRunLimitMs);
        runner.answer = false;
        QVERIFY(!frame.close());
        QCOMPARE(runner.questions,
                 QStringList({QStringLiteral("A write to the phone is in progress. Closing now "
                                             "leaves the phone with no entries. Close anyway?")}));
        QVERIFY(engine.Running());

        runner.answer = true;
        QVERIFY(frame.close());
        QVERIFY(!engine.Running());
        QVERIFY(!frame.SerialPort().IsOpen());
        QCOMPARE(ended.last().first().toInt(), static_cast<int>(RunOutcome::Cancelled));
        QCOMPARE(runner.messages, QStringList());
        QCOMPARE(frame.History().List().front().what, QString::fromLatin1(history::kWriteStopped));
        QCOMPARE(frame.History().List().front().entries, 4);
        QCOMPARE(frame.Page()->Book().Entry(7).name, dora.name);

        QProcess read;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DATA_HOME"), dir.path());
        read.setProcessEnvironment(env);
        read.start(QStringLiteral(NUMORA_CLI),
                   {QStringLiteral("read"), QStringLiteral("--port"),
                    QString::fromStdString(sim.Device()), QStringLiteral("--no-progress"),
                    QStringLiteral("-o"), dir.filePath(QStringLiteral("back.pb"))});
        QVERIFY(read.waitForFinished(kRunLimitMs));
        QVERIFY2(read.readAllStandardError().contains("Read 0 entries"), "entries on the phone");
    }
};

QTEST_MAIN(HandsetTest)
#include "HandsetTest.moc"
