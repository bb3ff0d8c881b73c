// Contacts import and export from the File menu, and the protocol log window.
#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileInfo>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>

#include "WindowTestSupport.h"
#include "app/ContactsCommands.h"
#include "app/MainWindow.h"
#include "app/ProtocolLogDialog.h"
#include "link/Profile.h"
#include "ui/UiTestSupport.h"

using namespace numora;
using namespace numora::test;

namespace {

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

}  // namespace

class ContactsAndLogTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() { SetContactsPathChooser(nullptr); }

    // A file with no card is refused and the book stays; the contacts of a file replace the
    // entries, the groups stay, and the report shows every line and every name as written, in a
    // dialog that fits a 1024x600 screen and copies and saves all of it.
    void importReplacesEntriesKeepsGroupsAndReports() {
        TestRunner runner;
        QTemporaryDir dir;
        MainWindow frame(TestOptions(dir, QStringLiteral("no-such-device")));
        frame.Profile().SetString(kPortSection, kHomeRegionKey, "DE");
        FillTestBook(frame.Page()->Book());
        frame.Page()->ShowBook(BookChange::Everything);
        const QString path = dir.filePath(QStringLiteral("in.vcf"));
        SetContactsPathChooser([&](QWidget*, bool save) {
            return ContactsFileChoice{save ? QString() : path, {}};
        });
        QString report;
        const auto keepReport = [&](QDialog& dialog) {
            report = static_cast<ContactsReportDialog&>(dialog).Text();
            return QDialog::Rejected;
        };
        WriteFile(path, "\xEF\xBB\xBFnothing here\r\n");
        runner.Expect(keepReport);
        FileAction(frame, QStringLiteral("&Import Contacts..."))->trigger();
        QCOMPARE(frame.Page()->Book().CountUsedEntries(), 4);
        QVERIFY(report.startsWith(QStringLiteral("No contact could be read")));

        QByteArray cards =
            "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Zed Zebra\r\nCATEGORIES:Friends\r\n"
            "TEL;TYPE=CELL;X-SPEED-DIAL=5:+49 170 1234567\r\nEND:VCARD\r\n"
            "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Zo\xC3\xAB \xC5\x81\xC3\xB3"
            "d\xC5\xBA\r\n"
            "TEL;TYPE=HOME:0888\r\nEND:VCARD\r\n";
        for (int k = 0; k < 60; ++k) {
            cards += "BEGIN:VCARD\r\nFN:Person " + QByteArray::number(k) +
                     "\r\nTEL:1\r\nBDAY:2000-01-01\r\nEND:VCARD\r\n";
        }
        WriteFile(path, cards);
        ContactsReportDialog* shown = nullptr;
        QSize size;
        runner.Expect([&](QDialog& dialog) {
            shown = static_cast<ContactsReportDialog*>(&dialog);
            size = dialog.size();
            report = shown->Text();
            shown->OnCopy();
            const QString saved = dir.filePath(QStringLiteral("report.txt"));
            shown->SetPathChooser([&](QWidget*) { return saved; });
            shown->OnSaveAs();
            report += QStringLiteral("\n--saved--\n") + QString::fromUtf8(ReadAll(saved));
            return QDialog::Rejected;
        });
        FileAction(frame, QStringLiteral("&Import Contacts..."))->trigger();
        const ReportList* list = frame.Page()->List();
        QCOMPARE(list->CellText(0, col::kName), QStringLiteral("Zed Zebra"));
        QCOMPARE(list->CellText(0, col::kGroup), QStringLiteral("Friends"));
        QCOMPARE(list->CellText(0, col::SpeedDial(0)), QStringLiteral("5"));
        QCOMPARE(list->CellText(0, col::Number(0)), QStringLiteral("01701234567"));
        QCOMPARE(list->CellText(7, col::kName), QStringLiteral("Person 5"));  // Dora is gone
        PBGroup fam;
        QVERIFY(frame.Page()->Book().GetGroup(3, fam));  // groups stay
        QVERIFY(runner.AllHandled());
        QVERIFY(size.width() <= 1024 && size.height() <= 600);
        QVERIFY(report.startsWith(QStringLiteral("62 contact(s) imported (read as UTF-8).\n")));
        // Every name as written, every one of the 61 lines, in the dialog, the clipboard and
        // the saved file.
        const QString zoe = QString::fromUtf8(
            "Zo\xC3\xAB \xC5\x81\xC3\xB3"
            "d\xC5\xBA");
        QVERIFY(report.contains(QStringLiteral("contact 2 \"") + zoe + '"'));
        QVERIFY(report.contains(QStringLiteral("contact 62 \"Person 59\": birthday")));
        const QString text = report.section(QStringLiteral("\n--saved--\n"), 0, 0);
        QCOMPARE(QApplication::clipboard()->text(), text);
        QCOMPARE(report.section(QStringLiteral("\n--saved--\n"), 1), text + '\n');
    }

    // The chosen file is read before the book is offered for replacing: a file that cannot be
    // read asks nothing and says why, and a contacts file is not held to a phone book's size.
    void importReadsFirstAsksSecondAndSaysWhy() {
        TestRunner runner;
        QTemporaryDir dir;
        MainWindow frame(TestOptions(dir, QStringLiteral("no-such-device")));
        FillTestBook(frame.Page()->Book());
        WriteFile(dir.filePath(QStringLiteral("big.vcf")),
                  "BEGIN:VCARD\r\nFN:Ada\r\nTEL:0123\r\nNOTE:" + QByteArray((16 << 20) + 1, 'n') +
                      "\r\nEND:VCARD\r\n");
        QFile huge(dir.filePath(QStringLiteral("huge.vcf")));
        QVERIFY(huge.open(QIODevice::WriteOnly) && huge.resize((qint64{256} << 20) + 1));
        huge.close();
        const struct {
            const char* file;
            int questions;
            const char* message;
        } cases[] = {
            {"missing.vcf", 0, "File open failed!\n\nmissing.vcf: No such file or directory."},
            {"huge.vcf", 0, "File open failed!\n\nhuge.vcf: the file is larger than 256 MB"},
            {"big.vcf", 1, ""},
        };
        runner.answer = false;
        for (const auto& c : cases) {
            SetContactsPathChooser([&](QWidget*, bool) {
                return ContactsFileChoice{dir.filePath(QString::fromLatin1(c.file)), {}};
            });
            runner.messages.clear();
            runner.questions.clear();
            FileAction(frame, QStringLiteral("&Import Contacts..."))->trigger();
            QCOMPARE(runner.questions.size(), c.questions);
            QCOMPARE(runner.messages.size(), *c.message != 0 ? 1 : 0);
            if (*c.message != 0) {
                QVERIFY2(runner.messages.front().startsWith(QString::fromLatin1(c.message)),
                         qPrintable(runner.messages.front()));
            }
        }
        QCOMPARE(frame.Page()->Book().CountUsedEntries(), 4);
    }

    // Export writes the shape of the chosen type, adds its extension to a bare name and says
    // what that shape leaves out.
    void exportWritesTheChosenTypeAndNamesWhatItLeavesOut() {
        TestRunner runner;
        QTemporaryDir dir;
        MainWindow frame(TestOptions(dir, QStringLiteral("no-such-device")));
        FillTestBook(frame.Page()->Book());
        struct Case {
            const char* name;
            const char* type;
            const char* written;
            const char* starts;
        };
        const Case cases[] = {
            {"a", "Google Contacts CSV (*.google.csv)", "a.google.csv", "Name,Given Name,"},
            {"b.csv", "Outlook CSV (*.outlook.csv)", "b.csv", "First Name,"},
            {"c", "CSV (*.csv)", "c.csv", "Slot,Name,"},
            {"d.vcf", "CSV (*.csv)", "d.vcf", "BEGIN:VCARD"},
            {"e", "vCard (*.vcf)", "e.vcf", "BEGIN:VCARD"},
        };
        QString report;
        for (const Case& c : cases) {
            SetContactsPathChooser([&](QWidget*, bool) {
                return ContactsFileChoice{dir.filePath(QString::fromLatin1(c.name)),
                                          QString::fromLatin1(c.type)};
            });
            runner.messages.clear();
            report.clear();
            runner.Expect([&](QDialog& dialog) {
                report = static_cast<ContactsReportDialog&>(dialog).Text();
                return QDialog::Rejected;
            });
            FileAction(frame, QStringLiteral("&Export Contacts..."))->trigger();
            QVERIFY2(ReadAll(dir.filePath(QString::fromLatin1(c.written))).startsWith(c.starts),
                     c.written);
            if (QByteArray(c.type).startsWith("Google")) {
                QVERIFY(report.contains(QStringLiteral("speed dials (3)")));
                QVERIFY(report.contains(QStringLiteral("secret flags (1)")));
            } else if (QByteArray(c.type).startsWith("Outlook")) {
                QVERIFY(report.contains(QStringLiteral("ringers (2)")));
            } else {
                QCOMPARE(runner.messages.size(), 1);
                QVERIFY(runner.messages[0].startsWith(QStringLiteral("4 contact(s) exported")));
                runner.Expect([](QDialog&) { return QDialog::Rejected; });  // not shown
            }
        }
    }
    void protocolLogFollowsTheLastRunAndSaves() {
        TestRunner runner;
        QTemporaryDir dir;
        MainWindow frame(TestOptions(dir, QStringLiteral("no-such-device")));
        const std::vector<uint8_t> poll{0x3F};
        frame.Log().Trace(TraceDir::Out, poll);
        FileAction(frame, QStringLiteral("Protocol &Log..."))->trigger();
        ProtocolLogDialog* log = frame.ProtocolLogWindow();
        QVERIFY(log != nullptr && log->isVisible());
        QVERIFY(log->Text().endsWith(QStringLiteral(" > Status           3F")));

        // A new run starts the log afresh; its frames appear as they go out.
        frame.Page()->Session().Engine().OnReadFromPhone();
        QVERIFY(!log->Text().contains(QStringLiteral("Status")));
        frame.Log().Trace(TraceDir::In, std::vector<uint8_t>{0x29, 0x01, 0x00});
        QVERIFY(log->Text().contains(QStringLiteral("< ModeControl      29 01 00")));

        const QString path = dir.filePath(QStringLiteral("log.txt"));
        log->SetPathChooser([&](QWidget*) { return path; });
        log->OnSave();
        QCOMPARE(QString::fromLatin1(ReadAll(path)), log->Text() + '\n');
        QCOMPARE(runner.messages, QStringList());
        log->SetPathChooser([&](QWidget*) { return dir.path(); });
        log->OnSave();
        QCOMPARE(runner.messages, QStringList({QStringLiteral("File save failed!\n\n") +
                                               QFileInfo(dir.path()).fileName() +
                                               QStringLiteral(": Is a directory.")}));

        // It opens within the screen, its buttons in sight, and can be made larger.
        const QRect room = log->screen()->availableGeometry();
        QVERIFY(log->width() < room.width() && log->height() < room.height());
        QVERIFY(log->maximumSize().width() > room.width());
        const auto* save = log->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Save);
        QVERIFY(log->rect().contains(QRect(save->mapTo(log, QPoint()), save->size())));
    }
};

QTEST_MAIN(ContactsAndLogTest)
#include "ContactsAndLogTest.moc"
