// Contacts import and export from the File menu, and the protocol log window.
#include <QFile>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTest>

#include "FrameTestSupport.h"
#include "UiTestSupport.h"
#include "app/ContactsCommands.h"
#include "app/MainFrame.h"
#include "app/ProtocolLogDlg.h"

using namespace numora;
using namespace numora::test;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class ContactsAndLogTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { SetContactsPathChooser(nullptr); }

    // A file with no card is refused and the book stays; the contacts of a file (with a
    // byte-order mark) replace the entries, the groups stay, and what did not fit is reported.
    void importReplacesEntriesKeepsGroupsAndReports() {
        CTestRunner runner;
        QTemporaryDir dir;
        CMainFrame frame(TestOptions(dir, QStringLiteral("no-such-device")));
        FillTestBook(frame.Page()->Book());
        frame.Page()->ShowBook(BookChange::Everything);
        const QString path = dir.filePath(QStringLiteral("in.vcf"));
        SetContactsPathChooser([&](QWidget*, bool save) { return save ? QString() : path; });
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("\xEF\xBB\xBFnothing here\r\n");
        file.close();
        FileAction(frame, QStringLiteral("&Import Contacts..."))->trigger();
        QCOMPARE(frame.Page()->Book().CountUsedEntries(), 4);
        QCOMPARE(runner.messages.size(), 1);
        QVERIFY(runner.messages[0].startsWith(QStringLiteral("No contact could be read")));

        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(
            "\xEF\xBB\xBF"
            "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Zed Zebra\r\nCATEGORIES:Friends\r\n"
            "TEL;TYPE=CELL;X-SPEED-DIAL=5:0999\r\nEND:VCARD\r\n"
            "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Maximilian Oberbergmann\r\n"
            "TEL;TYPE=HOME:0888\r\nEND:VCARD\r\n");
        file.close();
        FileAction(frame, QStringLiteral("&Import Contacts..."))->trigger();
        const CPBListCtrl* list = frame.Page()->List();
        QCOMPARE(list->CellText(0, col::kName), QStringLiteral("Zed Zebra"));
        QCOMPARE(list->CellText(0, col::kGroup), QStringLiteral("Friends"));
        QCOMPARE(list->CellText(0, col::SpeedDial(0)), QStringLiteral("5"));
        QCOMPARE(list->CellText(7, col::kName), QString());  // Dora is gone
        PBGroup fam;
        QCOMPARE(frame.Page()->Book().GetGroup(3, fam), 1);  // groups stay
        QCOMPARE(runner.messages.size(), 2);
        // The count, then what did not fit.
        QVERIFY(runner.messages[1].startsWith(QStringLiteral("2 contact(s) imported.\n")));
        QVERIFY(runner.messages[1].contains(QStringLiteral("name cut to 16")));
    }
    void protocolLogFollowsTheLastRunAndSaves() {
        CTestRunner runner;
        QTemporaryDir dir;
        CMainFrame frame(TestOptions(dir, QStringLiteral("no-such-device")));
        const std::vector<uint8_t> poll{0x3F};
        frame.ProtocolLog().Trace(TraceDir::Out, poll);
        FileAction(frame, QStringLiteral("Protocol &Log..."))->trigger();
        CProtocolLogDlg* log = frame.ProtocolLogWindow();
        QVERIFY(log != nullptr && log->isVisible());
        QVERIFY(log->Text().endsWith(QStringLiteral(" > Status           3F")));

        // A new run starts the log afresh; its frames appear as they go out.
        frame.Page()->Session().Engine().OnReadFromPhone();
        QVERIFY(!log->Text().contains(QStringLiteral("Status")));
        frame.ProtocolLog().Trace(TraceDir::In, std::vector<uint8_t>{0x29, 0x01, 0x00});
        QVERIFY(log->Text().contains(QStringLiteral("< ModeControl      29 01 00")));

        const QString path = dir.filePath(QStringLiteral("log.txt"));
        log->SetPathChooser([&](QWidget*) { return path; });
        log->OnSave();
        QCOMPARE(QString::fromLatin1(ReadAll(path)), log->Text() + '\n');
    }
};

QTEST_MAIN(ContactsAndLogTest)
#include "ContactsAndLogTest.moc"
