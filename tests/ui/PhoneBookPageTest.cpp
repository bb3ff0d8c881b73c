// The phone book page: the list and the panel filled from the book, selecting rows, saving
// with its checks, the number clean-up, deleting, the group filter and the locking rules.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <optional>

#include "browse/ListText.h"
#include "sync/SyncEngine.h"
#include "ui/PageTestCase.h"
#include "ui/PhoneBookPage.h"

using namespace numora;
using namespace numora::test;

namespace {

const char* const kNumberEdits[] = {"mobileEdit", "homeEdit", "officeEdit", "pagerEdit", "faxEdit"};
const char* const kSelectButtons[] = {"mobileSelect", "homeSelect", "officeSelect", "pagerSelect",
                                      "faxSelect"};

}  // namespace

class PhoneBookPageTest : public PageTestCase {
    Q_OBJECT

private slots:

    void filterOffersAllAndTheValidGroups() {
        rig->Load([](PhoneBook& book) {
            book.DeleteGroup(0);  // "All" is offered even without group 0
        });
        QCOMPARE(rig->Items("filterCombo"),
                 QStringList({"All", "Family", "Friends", "Fam", "Etc."}));
        QCOMPARE(rig->Items("groupCombo"), QStringList({"Family", "Friends", "Fam", "Etc."}));
        QCOMPARE(rig->Items("smsGroupCombo"), QStringList({"Club", "Team"}));
        QCOMPARE(rig->Texts({"filterCombo", "smsGroupCombo"}), QStringList({"All", "Team"}));
    }

    void clearFormShowsTheInterimGroups() {
        rig->page.ClearForm();
        QCOMPARE(rig->Items("filterCombo"), QStringList({"Etc.", "All"}));
        QCOMPARE(rig->Items("groupCombo"), QStringList({"Etc.", "All"}));
        QCOMPARE(rig->Items("smsGroupCombo"), QStringList());
        // The panel is cleared after the combos are filled: no group chosen.
        QCOMPARE(rig->Texts({"filterCombo", "groupCombo", "idEdit", "nameEdit", "ringerCombo"}),
                 QStringList({"All", "", "0", "", ""}));
        QCOMPARE(rig->Cell(0, col::kName), QString());
    }

    void panelShowsTheSelectedRow() {
        // Nothing selected: row 0.
        QCOMPARE(rig->Texts({"nameEdit", "groupCombo", "mobileSpeedDial", "homeSpeedDial"}),
                 QStringList({"Anna", "Family", "5", "9"}));
        QVERIFY(rig->Find<QPushButton>("mobileSelect")->isEnabled());
        QVERIFY(!rig->Find<QPushButton>("officeSelect")->isEnabled());

        ClickCell(rig->page.List(), 3, col::kMemo);
        QCOMPARE(rig->Texts({"idEdit", "nameEdit", "groupCombo", "pagerSpeedDial",
                             "mobileSpeedDial", "ringerCombo", "msgRingerCombo", "graphicCombo"}),
                 QStringList(
                     {"3", "Carl", "Etc.", "12", "X", "Behind Story", "Tone 3", "Select Graphic"}));

        // Down moves to the empty row 4: an empty panel filed under "Etc.".
        rig->page.List()->setFocus();
        PressKey(rig->page.List(), Qt::Key_Down);
        QCOMPARE(rig->Texts({"idEdit", "nameEdit", "groupCombo", "mobileSpeedDial", "homeSpeedDial",
                             "officeSpeedDial", "pagerSpeedDial", "faxSpeedDial"}),
                 QStringList({"4", "", "Etc.", "X", "X", "X", "X", "X"}));
        for (const char* name : kSelectButtons)
            QVERIFY2(!rig->Find<QPushButton>(name)->isEnabled(), name);
        QCOMPARE(rig->Find<QComboBox>("ringerCombo")->currentIndex(), 0);

        // A downloaded ringer shows the default item; "YES" ticks "Secret".
        ClickCell(rig->page.List(), 7);
        QCOMPARE(rig->Find<QComboBox>("ringerCombo")->currentIndex(), 0);
        QVERIFY(rig->Find<QCheckBox>("secretCheck")->isChecked());
        QCOMPARE(rig->Texts({"emailEdit"}), QStringList({"dora@example.org"}));

        // Bert is in "Fam", listed after "Family", whose name begins with his group's: the
        // panel shows his own group, and saving him keeps him there.
        ClickCell(rig->page.List(), 1);
        QCOMPARE(rig->Texts({"groupCombo"}), QStringList({"Fam"}));
        rig->Click("saveButton");
        QCOMPARE(rig->page.Book().Entry(1).group, uint8_t{3});
    }

    void saveChecks_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("message");
        const char* const messages[] = {
            "Cannot use Prohibit Number(Mobile)", "Cannot use Prohibit Number(Home)",
            "Cannot use Prohibit Number(Office)", "Cannot use Prohibit Number(Pager)",
            "Cannot use Prohibit Number(Fax)"};
        // One prohibited number in each field, the service codes among mobile numbers, and
        // near misses that are fine.
        const char* const inEachField[] = {"*911", "911", "#911", "923", "*228"};
        for (int k = 0; k < kNumberKinds; ++k)
            QTest::newRow(inEachField[k]) << k << inEachField[k] << messages[k];
        for (const char* number : {"*22800", "*22807", "*22880", "*22890", "*22899"})
            QTest::newRow(number) << 0 << number << messages[0];
        for (const char* number : {"*9110", "0911", "*22808", "*22810", "*22900"})
            QTest::newRow(number) << 0 << number << "";
    }

    void saveChecks() {
        QFETCH(int, kind);
        QFETCH(QString, number);
        QFETCH(QString, message);
        ClickCell(rig->page.List(), 10);
        rig->Find<QLineEdit>("nameEdit")->setText(QStringLiteral("Eve"));
        rig->Find<QLineEdit>(kNumberEdits[kind])->setText(number);
        // Only the first field's prohibited number is reported.
        if (!message.isEmpty() && kind < 4)
            rig->Find<QLineEdit>("faxEdit")->setText(QStringLiteral("*22890"));
        rig->Click("saveButton");
        QCOMPARE(runner->messages, message.isEmpty() ? QStringList() : QStringList({message}));
        QCOMPARE(rig->page.Book().IsValidEntry(10), message.isEmpty());
        if (message.isEmpty()) {
            QCOMPARE(rig->Cell(10, col::Number(kind)), number);
        } else {
            QCOMPARE(QApplication::focusWidget(), rig->Find<QLineEdit>(kNumberEdits[kind]));
        }
    }

    void saveNeedsANumberEmailOrWirelessAddress() {
        ClickCell(rig->page.List(), 10);
        rig->Find<QLineEdit>("nameEdit")->setText(QStringLiteral("Only a name"));
        rig->Find<QLineEdit>("memoEdit")->setText(QStringLiteral("and a memo"));
        // Enter in a panel field saves as the button does.
        QTest::keyClick(rig->Find<QLineEdit>("nameEdit"), Qt::Key_Return);
        QCOMPARE(runner->messages, QStringList({"Insufficient Information!"}));
        QVERIFY(!rig->page.Book().IsValidEntry(10));
        rig->Find<QLineEdit>("wirelessEdit")->setText(QStringLiteral("wap.example.org"));
        QTest::keyClick(rig->Find<QLineEdit>("memoEdit"), Qt::Key_Enter);
        QCOMPARE(runner->messages.size(), 1);
        QVERIFY(rig->page.Book().IsValidEntry(10));
    }

    void saveStoresThePanelInTheBook() {
        ClickCell(rig->page.List(), 10);
        rig->Find<QLineEdit>("nameEdit")->setText(QStringLiteral("Fred"));
        rig->Find<QLineEdit>("officeEdit")->setText(QStringLiteral("0444"));
        rig->Find<QComboBox>("groupCombo")->setCurrentText(QStringLiteral("Friends"));
        rig->Find<QComboBox>("ringerCombo")->setCurrentText(QStringLiteral("Bell_2"));
        rig->Find<QComboBox>("msgRingerCombo")->setCurrentText(QStringLiteral("Tone 5"));
        rig->Find<QCheckBox>("secretCheck")->setChecked(true);
        rig->Click("saveButton");
        QCOMPARE(runner->messages, QStringList());

        PBEntry e;
        QVERIFY(rig->page.Book().GetEntry(10, e));
        QCOMPARE(QString::fromLatin1(TextOf(e.name).data(), 4), QStringLiteral("Fred"));
        QCOMPARE(e.group, uint8_t{2});
        QCOMPARE(e.ringer, uint16_t{201});
        QCOMPARE(e.msgRinger, uint16_t{304});
        QCOMPARE(e.secret, uint8_t{1});
        QCOMPARE(rig->Cell(10, col::kGroup), QStringLiteral("Friends"));
        QCOMPARE(rig->Cell(10, col::Number(2)), QStringLiteral("0444"));
        // The panel shows the selected row again after the save.
        QCOMPARE(rig->Texts({"officeEdit"}), QStringList({"0444"}));
    }

    void combosWithoutChoiceKeepTheEntrysCodesAndGroup() {
        ClickCell(rig->page.List(), 7);
        // Saved as shown, Dora's downloaded ringer becomes the default one...
        rig->Click("saveButton");
        QCOMPARE(rig->page.Book().Entry(7).ringer, kNone16);
        // ...but a list without a choice leaves the code, and no group leaves the group.
        PBEntry dora = rig->page.Book().Entry(7);
        dora.ringer = 150;
        rig->page.Book().SetEntry(dora);
        rig->page.RefreshList();
        rig->Find<QComboBox>("ringerCombo")->setCurrentIndex(-1);
        rig->Find<QComboBox>("groupCombo")->setCurrentIndex(-1);
        rig->Click("saveButton");
        QCOMPARE(rig->page.Book().Entry(7).ringer, uint16_t{150});
        QCOMPARE(rig->page.Book().Entry(7).group, uint8_t{2});
        QCOMPARE(runner->messages, QStringList());
    }

    void numbersKeepOnlyDialableCharacters() {
        ClickCell(rig->page.List(), 10);
        auto* mobile = rig->Find<QLineEdit>("mobileEdit");
        mobile->setFocus();
        QTest::keyClicks(mobile, QStringLiteral("01a2-3"));
        QCOMPARE(mobile->text(), QStringLiteral("0123"));
        QCOMPARE(mobile->cursorPosition(), 4);
        QVERIFY(rig->Find<QPushButton>("mobileSelect")->isEnabled());
        // A character dropped before the caret moves it back; P, T, # and * stay.
        mobile->setCursorPosition(2);
        QTest::keyClicks(mobile, QStringLiteral("xP#"));
        QCOMPARE(mobile->text(), QStringLiteral("01P#23"));
        QCOMPARE(mobile->cursorPosition(), 4);
        QTest::keyClicks(mobile, QStringLiteral("p"));
        QCOMPARE(mobile->text(), QStringLiteral("01P#23"));
        QCOMPARE(mobile->cursorPosition(), 4);
        // Emptied, the number gives up its speed dial and its "Select".
        rig->Find<QLineEdit>("mobileSpeedDial")->setText(QStringLiteral("6"));
        mobile->clear();
        QCOMPARE(rig->Find<QLineEdit>("mobileSpeedDial")->text(), QStringLiteral("X"));
        QVERIFY(!rig->Find<QPushButton>("mobileSelect")->isEnabled());
    }
    void deleteEmptiesTheSlotAndLeavesItsSpeedDials() {
        // Without a selection nothing goes, though the panel rests on slot 0.
        rig->Click("deleteButton");
        QVERIFY(rig->page.Book().IsValidEntry(0));
        QCOMPARE(rig->Cell(0, col::kName), QStringLiteral("Anna"));
        QCOMPARE(rig->Texts({"nameEdit"}), QStringList({"Anna"}));

        ClickCell(rig->page.List(), 0);
        PressKey(rig->page.List(), Qt::Key_Delete);
        QVERIFY(!rig->page.Book().IsValidEntry(0));
        for (int c = 1; c < kListColumns; ++c)
            QCOMPARE(rig->Cell(0, c), QString());
        QCOMPARE(rig->Find<QLineEdit>("nameEdit")->text(), QString());
        QCOMPARE(rig->page.Book().SpeedDial(5 - kFirstSpeedDial).entry, uint16_t{0});
        // The button does the same, without confirmation.
        ClickCell(rig->page.List(), 3);
        rig->Click("deleteButton");
        QVERIFY(!rig->page.Book().IsValidEntry(3));
        QCOMPARE(runner->messages, QStringList());
    }

    void lockingTheControls() {
        QSignalSpy controls(&rig->page, &PhoneBookPage::controlsEnabled);
        rig->page.EnableControls(false);
        QCOMPARE(controls.count(), 1);
        QCOMPARE(controls.first().first().toBool(), false);
        for (const char* name : {"readButton", "writeButton", "fileOpenButton", "fileSaveButton",
                                 "saveButton", "mobileSelect", "editGroupButton"}) {
            QVERIFY2(!rig->Find<QPushButton>(name)->isEnabled(), name);
        }
        QVERIFY(!rig->page.List()->isEnabled());
        QVERIFY(!rig->Find<QLineEdit>("nameEdit")->isEnabled());
        QVERIFY(rig->Find<QProgressBar>("progressBar")->isEnabled());
        // Filling the page while it is locked keeps it locked.
        rig->page.RefreshList();
        QVERIFY(!rig->Find<QPushButton>("saveButton")->isEnabled());
        QVERIFY(!rig->Find<QPushButton>("mobileSelect")->isEnabled());

        rig->page.EnableControls(true);
        QCOMPARE(controls.last().first().toBool(), true);
        QVERIFY(rig->Find<QPushButton>("saveButton")->isEnabled());
        QVERIFY(rig->Find<QPushButton>("mobileSelect")->isEnabled());
        QVERIFY(!rig->Find<QPushButton>("officeSelect")->isEnabled());
    }

    void aReadThatFindsNoHandsetEndsInAUsableForm() {
        QSignalSpy ended(&rig->page, &PhoneBookPage::runEnded);
        rig->page.StartUp(PortTable{});
        QVERIFY(rig->page.SearchDialog() != nullptr);
        QVERIFY(!rig->Find<QPushButton>("readButton")->isEnabled());
        QCOMPARE(rig->Cell(0, col::kName), QString());

        rig->clock.Advance(kDefaultSearchTimeoutMs + 1000);
        QCOMPARE(ended.count(), 1);
        QCOMPARE(ended.first().first().value<RunOutcome>(), RunOutcome::Failed);
        // After the connection message, one says why, once. Nothing was read: the window's
        // book is not taken for part of the phone's.
        QCOMPARE(runner->messages,
                 QStringList({"Check Phone connection and power on !!!     ",
                              FromBytes(FailureText(rig->page.Session().Engine().Failure()))}));
        QVERIFY(runner->messages[1].startsWith("No handset answered"));
        QVERIFY(!rig->page.BookFromIncompleteRead());
        QVERIFY(rig->port.opens > 1);
        QApplication::processEvents();
        QCOMPARE(rig->page.SearchDialog(), nullptr);
        QCOMPARE(rig->Texts({"filterCombo"}), QStringList({"All"}));
        QVERIFY(rig->Find<QPushButton>("readButton")->isEnabled());
        QVERIFY(rig->Find<QPushButton>("saveButton")->isEnabled());
        QCOMPARE(rig->page.ProgressPos(), 0);

        // The book the window held is written without a question about an incomplete read.
        rig->page.OnWriteToPhone();
        QCOMPARE(runner->questions, QStringList());
        QVERIFY(rig->page.Session().Engine().Running());
        // No handset answers the write: the search window comes up, and closing it gives up.
        QVERIFY(rig->page.SearchDialog() == nullptr);
        QTRY_VERIFY_WITH_TIMEOUT(rig->page.SearchDialog() != nullptr, 10000);
        QVERIFY(rig->page.SearchDialog()->isVisible());
        rig->page.SearchDialog()->close();
        QVERIFY(!rig->page.Session().Engine().Running());
        QVERIFY(rig->Find<QPushButton>("writeButton")->isEnabled());
    }

    void progressStaysInsideItsRange() {
        rig->page.SetProgressRange(0, 387);
        rig->page.SetProgressPos(2);
        rig->page.StepProgress(400);
        QCOMPARE(rig->page.ProgressPos(), 387);
        rig->page.SetProgressPos(-5);
        QCOMPARE(rig->page.ProgressPos(), 0);
    }

    void groupColumnShowsTheNameOfTheEntrysGroup() {
        rig->Load([](PhoneBook& book) {
            book.SetGroup(4, "A group name of16");
            AddEntry(book, 30, "Long", 4);
        });
        const ReportList* list = rig->page.List();
        QCOMPARE(list->CellText(0, col::kGroup), QStringLiteral("Family"));
        QCOMPARE(list->CellText(30, col::kGroup), QStringLiteral("A group name of1"));
        QCOMPARE(list->CellText(2, col::kGroup), QString());
    }
};

QTEST_MAIN(PhoneBookPageTest)
#include "PhoneBookPageTest.moc"
