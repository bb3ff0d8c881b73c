// The book's history in the window: edits survive a read that fails, come back with Restore,
// and are kept when the window closes; a history that cannot be stored is said once. A write
// that would lose much of what the phone held asks first.
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "WindowTestSupport.h"
#include "app/HistoryDialog.h"
#include "app/MainWindow.h"
#include "book/PbFile.h"
#include "history/BookHistory.h"
#include "ui/QtFileAccess.h"
#include "ui/UiTestSupport.h"

using namespace numora;
using namespace numora::test;

class HistoryTest : public QObject {
    Q_OBJECT

private slots:
    void editsSurviveAFailedReadAndComeBackWithRestore() {
        TestRunner runner;
        QTemporaryDir dir;
        MainWindow frame(TestOptions(dir, QStringLiteral("no-handset")));
        frame.show();
        PhoneBookPage* page = frame.Page();
        page->Book().SetGroup(2, "Friends");
        AddEntry(page->Book(), 5, "Edited", 2, "0555");
        page->ShowBook(BookChange::Everything);

        page->Session().Engine().SetTimeouts(300, 300);
        QSignalSpy ended(page, &PhoneBookPage::runEnded);
        page->OnReadFromPhone();
        QVERIFY(ended.wait(10000));
        QCOMPARE(ended.takeFirst().first().value<RunOutcome>(), RunOutcome::Failed);
        // Nothing was read: the book stays. A read that takes it is undone from the history.
        QVERIFY(page->Book().IsValidEntry(5));
        page->Book().DeleteEntry(5);
        page->ShowBook(BookChange::Entries);

        const auto list = frame.History().List();
        QCOMPARE(list.size(), std::size_t{1});
        QCOMPARE(list[0].what, QString::fromLatin1(history::kBeforeRead));
        QCOMPARE(list[0].entries, 1);

        QString differences;
        runner.Expect([&](QDialog& dialog) {
            auto& history = static_cast<HistoryDialog&>(dialog);
            differences = history.DifferencesText();
            QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("restoreButton")),
                              Qt::LeftButton);
            return dialog.result();
        });
        FileAction(frame, QStringLiteral("&History..."))->trigger();
        QVERIFY(runner.AllHandled());
        QVERIFY2(differences.contains(QStringLiteral("entry 5 \"Edited\": added (Mobile 0555)")),
                 qPrintable(differences));
        QCOMPARE(page->List()->CellText(5, col::kName), QStringLiteral("Edited"));
        QCOMPARE(page->List()->CellText(5, col::kGroup), QStringLiteral("Friends"));

        // The book as it was before the restore is kept, and the one brought back is not kept
        // again when the window closes.
        const std::size_t kept = frame.History().List().size();
        QCOMPARE(kept, std::size_t{3});
        frame.close();
        QCOMPARE(frame.History().List().size(), kept);
    }

    // "Write to Phone" asks before it writes a book from a damaged file, or one that takes many of
    // the entries the phone held when last read or written; No writes nothing.
    void aWriteThatWouldLoseMuchAsksFirst() {
        TestRunner runner;
        runner.answer = false;
        QTemporaryDir dir;
        MainWindow frame(TestOptions(dir, QStringLiteral("no-handset")));
        PhoneBookPage& page = *frame.Page();
        PhoneBook held;
        for (int slot = 0; slot < 10; ++slot)
            AddEntry(held, slot, "Held", kEtcGroup, "0" + std::to_string(100 + slot));
        QVERIFY(frame.History().Record(held, QString::fromLatin1(history::kRead)));
        frame.History().Record(PhoneBook(), QString::fromLatin1(history::kOpened));

        // The guard's figures come from the history's last read; No writes nothing. (Where the
        // guard draws its line is the sync tests'.)
        page.Book() = held;
        page.Book().DeleteEntry(3);
        page.Book().DeleteEntry(4);
        page.OnWriteToPhone();
        QCOMPARE(runner.questions,
                 QStringList(QStringLiteral("Writing this book removes 2 of the 10 entries the "
                                            "phone held when it was last read or written. Write "
                                            "it anyway?")));
        QVERIFY(!page.Session().Engine().Running());

        // A file cut between its records opens, and is not written without a question.
        std::vector<uint8_t> bytes;
        QVERIFY(WritePbRecords(held, bytes, nullptr));
        const QString cut = dir.filePath(QStringLiteral("cut.pb"));
        QFile file(cut);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bytes.data()), 5 * 168 + 24 + 9 * 344);
        file.close();
        QtFileAccess files(&page, [&](bool) { return std::optional<QString>(cut); });
        page.SetFileAccess(files);
        page.OnFileOpen();
        QVERIFY(page.BookFromDamagedFile());
        runner.questions.clear();
        page.OnWriteToPhone();
        QCOMPARE(runner.questions, QStringList{FromBytes(kWriteDamagedBook)});
        QVERIFY(!page.Session().Engine().Running());
    }

    // Edits are kept when the window closes; an empty book has nothing to lose.
    void closingKeepsEdits() {
        TestRunner runner;
        QTemporaryDir dir;
        for (const bool edited : {true, false}) {
            MainWindow frame(TestOptions(dir, QStringLiteral("no-handset")));
            if (edited) AddEntry(frame.Page()->Book(), 9, "Late", kEtcGroup, "0999");
            frame.close();
            const auto list = frame.History().List();
            QCOMPARE(list.size(), std::size_t{1});
            QCOMPARE(list[0].what, QString::fromLatin1(history::kOnClose));
        }
        QCOMPARE(runner.messages, QStringList());
    }
};

QTEST_MAIN(HistoryTest)
#include "HistoryTest.moc"
