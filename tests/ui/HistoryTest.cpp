// The book's history in the window: edits survive a read that fails, come back with Restore,
// and are kept when the window closes; a history that cannot be stored is said once.
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "FrameTestSupport.h"
#include "UiTestSupport.h"
#include "app/HistoryDlg.h"
#include "app/MainFrame.h"
#include "history/BookHistory.h"

using namespace numora;
using namespace numora::test;

class HistoryTest : public QObject {
    Q_OBJECT

private slots:
    void editsSurviveAFailedReadAndComeBackWithRestore() {
        CTestRunner runner;
        QTemporaryDir dir;
        CMainFrame frame(TestOptions(dir, QStringLiteral("no-handset")));
        frame.show();
        CPBDialog* page = frame.Page();
        page->Book().SetGroup(2, "Friends");
        AddEntry(page->Book(), 5, "Edited", 2, "0555");
        page->ShowBook(BookChange::Everything);

        page->Session().Engine().SetTimeouts(300, 300);
        QSignalSpy ended(page, &CPBDialog::runEnded);
        page->OnReadFromPhone();
        QVERIFY(ended.wait(10000));
        QCOMPARE(ended.takeFirst().first().toInt(), static_cast<int>(RunOutcome::Failed));
        QVERIFY(!page->Book().IsValidEntry(5));

        const auto list = frame.History().List();
        QCOMPARE(list.size(), std::size_t{1});
        QCOMPARE(list[0].what, QString::fromLatin1(history::kBeforeRead));
        QCOMPARE(list[0].entries, 1);

        QString differences;
        runner.Expect([&](QDialog& dialog) {
            auto& history = static_cast<CHistoryDlg&>(dialog);
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

        // The book brought back is the newest snapshot already: it is not kept twice, nor again
        // when the window closes.
        frame.close();
        QCOMPARE(frame.History().List().size(), std::size_t{1});
    }

    // Edits are kept when the window closes; an empty book has nothing to lose.
    void closingKeepsEdits() {
        CTestRunner runner;
        QTemporaryDir dir;
        for (const bool edited : {true, false}) {
            CMainFrame frame(TestOptions(dir, QStringLiteral("no-handset")));
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
