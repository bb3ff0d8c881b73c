// Merging in the window: File > "Merge Contacts..." and "Find Duplicates..." show their preview,
// "Merge" changes the book between snapshots and keeps the answers, "Cancel" changes nothing;
// Import Contacts asks first and points at Merge Contacts.
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "WindowTestSupport.h"
#include "app/ContactsCommands.h"
#include "app/MainWindow.h"
#include "app/MergeCommands.h"
#include "app/MergeDialog.h"
#include "history/BookHistory.h"
#include "ui/UiTestSupport.h"

using namespace numora;
using namespace numora::test;

namespace {

void Write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

QStringList HistoryWhats(MainWindow& frame) {
    QStringList out;
    for (const SnapshotInfo& s : frame.History().List())
        out << s.what;
    return out;
}

// The test book's people as an address book has them: Anna by her number written
// internationally, Bert under his full name with a new e-mail, and Zoe who is new. Bert's card
// is likely Bert (the same name, nothing in common).
const QByteArray kCards =
    "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Anna\r\nTEL;TYPE=CELL:+49 10 1234567\r\n"
    "EMAIL:anna@example.org\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Bert\r\nTEL;TYPE=WORK:0222\r\nEND:VCARD\r\n"
    "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Zoe Zander\r\nTEL;TYPE=CELL:0999\r\nEND:VCARD\r\n";

}  // namespace

class MergeDialogTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        qputenv("LANG", "de_DE.UTF-8");
        qunsetenv("LC_ALL");
        qunsetenv("LC_TELEPHONE");
    }
    void cleanup() {
        SetMergePathsChooser(nullptr);
        SetContactsPathChooser(nullptr);
    }

    void mergeShowsThePreviewAndAppliesItBetweenSnapshots() {
        TestRunner runner;
        QTemporaryDir dir;
        MainWindow frame(TestOptions(dir, QStringLiteral("no-such-device")));
        FillTestBook(frame.Page()->Book());
        frame.Page()->ShowBook(BookChange::Everything);
        const PhoneBook before = frame.Page()->Book();
        const QString path = dir.filePath(QStringLiteral("cards.vcf"));
        Write(path, kCards);
        SetMergePathsChooser([&](QWidget*) { return QStringList{path}; });

        // Cancel changes nothing, whatever was answered.
        runner.Expect([](QDialog& d) {
            static_cast<MergeDialog&>(d).AnswerPair(0, Answer::SamePerson);
            QTest::qWait(0);
            return int(QDialog::Rejected);
        });
        FileAction(frame, QStringLiteral("&Merge Contacts..."))->trigger();
        QVERIFY(runner.AllHandled());
        QCOMPARE(CompareBooks(before, frame.Page()->Book()).size(), std::size_t{0});
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("likely-pairs.json"))));

        runner.Expect([](QDialog& d) {
            auto& dialog = static_cast<MergeDialog&>(d);
            const QString text = dialog.PreviewText();
            // Until answered, Bert's card would be an entry of its own.
            [&] {
                QVERIFY2(text.contains(QStringLiteral("To add (2)\n  2 Bert |")), qPrintable(text));
                QVERIFY(text.contains(QStringLiteral("  4 Zoe Zander |")));
                QVERIFY(text.contains(QStringLiteral("0 Anna | E-mail | anna@example.org")));
                QCOMPARE(dialog.Pairs()->topLevelItemCount(), 1);
            }();
            // The row's button answers and plans again.
            auto* same = dialog.Pairs()
                             ->itemWidget(dialog.Pairs()->topLevelItem(0), 3)
                             ->findChild<QPushButton*>();
            same->click();
            QTest::qWait(0);
            [&] {
                auto* row = dialog.Pairs()->itemWidget(dialog.Pairs()->topLevelItem(0), 3);
                QVERIFY(row->findChild<QPushButton*>()->isChecked());
                QVERIFY2(dialog.PreviewText().contains(QStringLiteral("1 Bert | Office | 0222")),
                         qPrintable(dialog.PreviewText()));
                QVERIFY(dialog.Summary().startsWith(QStringLiteral("1 contact(s) to add")));
            }();
            return int(QDialog::Accepted);
        });
        FileAction(frame, QStringLiteral("&Merge Contacts..."))->trigger();
        QVERIFY(runner.AllHandled());
        const PhoneBook& book = frame.Page()->Book();
        QCOMPARE(book.CountUsedEntries(), 5);
        QCOMPARE(TextOf(book.Entry(0).email), std::string_view("anna@example.org"));
        QCOMPARE(NumberText(book.Entry(1).numbers[2]), std::string_view("0222"));
        QCOMPARE(TextOf(book.Entry(2).name), std::string_view("Zoe Zander"));
        QCOMPARE(frame.Page()->List()->CellText(2, col::kName), QStringLiteral("Zoe Zander"));
        QCOMPARE(HistoryWhats(frame).first(), QStringLiteral("contacts merged"));
        QVERIFY(QFile::exists(dir.filePath(QStringLiteral("likely-pairs.json"))));

        // The same file again: the answer is remembered, and nothing changes.
        runner.Expect([](QDialog& d) {
            auto& dialog = static_cast<MergeDialog&>(d);
            [&] {
                QCOMPARE(dialog.Pairs()->topLevelItemCount(), 0);
                QVERIFY(!dialog.Plan().ChangesBook());
            }();
            return int(QDialog::Accepted);
        });
        const auto snapshots = frame.History().List().size();
        FileAction(frame, QStringLiteral("&Merge Contacts..."))->trigger();
        QCOMPARE(frame.History().List().size(), snapshots);
    }

    void aFileThatCannotBeReadChangesNothing() {
        TestRunner runner;
        QTemporaryDir dir;
        MainWindow frame(TestOptions(dir, QStringLiteral("no-such-device")));
        FillTestBook(frame.Page()->Book());
        const QString good = dir.filePath(QStringLiteral("cards.vcf"));
        const QString bad = dir.filePath(QStringLiteral("bad.json"));
        Write(good, kCards);
        Write(bad, "{\"entries\":[");
        MergeContactsFiles(&frame, *frame.Page(), frame.Profile(), {good, bad});
        QCOMPARE(runner.dialogsRun, 0);
        QCOMPARE(runner.messages.size(), 1);
        QVERIFY2(runner.messages[0].startsWith(QStringLiteral("bad.json: JSON, line 1")),
                 qPrintable(runner.messages[0]));
        QCOMPARE(frame.Page()->Book().CountUsedEntries(), 4);
    }

    // Two entries of one person become one in the lower slot, and its speed dial follows.
    void findDuplicatesMergesPairsIntoTheLowerSlot() {
        TestRunner runner;
        QTemporaryDir dir;
        MainWindow frame(TestOptions(dir, QStringLiteral("no-such-device")));
        PhoneBook& book = frame.Page()->Book();
        FillTestBook(book);
        AddEntry(book, 20, "anna", 6, "+49 10 1234567");
        book.SetSpeedDial(7, 20, NumberKind::Mobile);
        frame.Page()->ShowBook(BookChange::Everything);
        runner.Expect([](QDialog& d) {
            auto& dialog = static_cast<MergeDialog&>(d);
            [&] {
                QVERIFY(dialog.PreviewText().contains(
                    QStringLiteral("Entries that are one person (1)\n  entry 0 \"Anna\" and entry "
                                   "20 \"anna\"")));
                QVERIFY(dialog.PreviewText().contains(QStringLiteral("20 anna")));
            }();
            return int(QDialog::Accepted);
        });
        FileAction(frame, QStringLiteral("Find D&uplicates..."))->trigger();
        QVERIFY(runner.AllHandled());
        QVERIFY(!book.IsValidEntry(20));
        QCOMPARE(book.SpeedDial(7 - kFirstSpeedDial),
                 (PBSpeedDial{0, KindByte(NumberKind::Mobile)}));
        QCOMPARE(HistoryWhats(frame).first(), QStringLiteral("duplicates merged"));

        FileAction(frame, QStringLiteral("Find D&uplicates..."))->trigger();
        QCOMPARE(runner.dialogsRun, 1);
        QCOMPARE(runner.messages.last(),
                 QStringLiteral("No two entries of the book are one person."));
    }

    void importAsksFirstAndPointsAtMerge() {
        TestRunner runner;
        QTemporaryDir dir;
        MainWindow frame(TestOptions(dir, QStringLiteral("no-such-device")));
        FillTestBook(frame.Page()->Book());
        const QString path = dir.filePath(QStringLiteral("cards.vcf"));
        Write(path, kCards);
        SetContactsPathChooser([&](QWidget*, bool) { return ContactsFileChoice{path, {}}; });
        runner.answer = false;
        FileAction(frame, QStringLiteral("&Import Contacts..."))->trigger();
        QCOMPARE(runner.questions.size(), 1);
        QVERIFY(runner.questions[0].contains(QStringLiteral("replaces the entries")));
        QVERIFY(runner.questions[0].contains(QStringLiteral("\"Merge Contacts...\"")));
        QCOMPARE(frame.Page()->Book().CountUsedEntries(), 4);
        QVERIFY(runner.messages.isEmpty());
    }
};

QTEST_MAIN(MergeDialogTest)
#include "MergeDialogTest.moc"
