// Picking speed dials: the "Speed Dial Setting" table with the shown entry's unsaved choices
// laid over the book, the click that makes a choice, and what Save does with the boxes.
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <optional>

#include "UiTestSupport.h"
#include "ui/SpeedDialDialog.h"

using namespace numora;
using namespace numora::test;

namespace {

constexpr int kColName = 1;
constexpr int kColKind = 2;
constexpr int kColDialNumber = 3;

SpeedDialDialog& AsSpeedDial(QDialog& dialog) {
    return dynamic_cast<SpeedDialDialog&>(dialog);
}

QStringList Row(ReportList* table, int row) {
    return {table->CellText(row, kColName), table->CellText(row, kColKind),
            table->CellText(row, kColDialNumber)};
}

// Clicks the row of a speed-dial number (none: the last row, "None") and presses OK.
TestRunner::Handler ClickAndOk(std::optional<int> number) {
    return [number](QDialog& dialog) {
        SpeedDialDialog& sd = AsSpeedDial(dialog);
        ClickCell(sd.Table(), number ? *number - kFirstSpeedDial : kSpeedDialSlots);
        sd.accept();
        return sd.result();
    };
}

}  // namespace

class SpeedDialTest : public QObject {
    Q_OBJECT

private:
    // Each test's messages, and its page showing the test book.
    std::optional<TestRunner> runner;
    std::optional<PageRig> rig;

    // Opens the dialog from a "Select" button; the handler sees it and says how it ends.
    void PickWith(const char* select, TestRunner::Handler handler) {
        runner->Expect(std::move(handler));
        rig->Click(select);
        QVERIFY(runner->AllHandled());
    }

    // The rows of these speed-dial numbers in the dialog a "Select" button opens, below its
    // title and the "None" row it always ends with.
    QList<QStringList> Shown(const char* select, std::initializer_list<int> numbers) {
        QList<QStringList> rows;
        PickWith(select, [&](QDialog& dialog) {
            ReportList* table = AsSpeedDial(dialog).Table();
            [&] {
                QCOMPARE(dialog.windowTitle(), QStringLiteral("Speed Dial Setting"));
                QCOMPARE(table->RowCount(), 20);
                QCOMPARE(table->CellText(18, 0), QStringLiteral("20 "));
                QCOMPARE(Row(table, 19), QStringList({"Not Use Speed Dial", "", ""}));
                QCOMPARE(table->CellText(19, 0), QStringLiteral("None"));
                QVERIFY(ShowsWhole(table, 0, kColDialNumber));
            }();
            for (const int number : numbers)
                rows << Row(table, number - kFirstSpeedDial);
            return int{QDialog::Rejected};
        });
        return rows;
    }

private slots:
    void init() { runner.emplace(), rig.emplace(), rig->Load(); }
    void cleanup() { rig.reset(), runner.reset(); }

    // The book's speed dials; a number naming an empty slot shows as free, one of no kind
    // shows its entry alone.
    void tableShowsTheBooksSpeedDials() {
        rig->Load([](PhoneBook& book) {
            book.SetSpeedDial(3, 200, NumberKind::Mobile);
            book.SetSpeedDial(4, PBSpeedDial{1, 9});
        });
        ClickCell(rig->page.List(), 7);
        QCOMPARE(Shown("mobileSelect", {5, 12, 2, 3, 4}),
                 (QList<QStringList>{{"Anna", "MOBILE", "0101234567"},
                                     {"Carl", "PAGER", "0555"},
                                     {"", "", ""},
                                     {"", "", ""},
                                     {"Bert", "", ""}}));
    }

    // The shown entry's unsaved choices: Anna's mobile moves from 5 to 12 (Carl's pager holds
    // 12 in the book) under her new name, and home keeps 9; a pager giving up its number leaves
    // it "Unassigned".
    void unsavedChoicesAreLaidOverTheBook() {
        ClickCell(rig->page.List(), 0);
        rig->Find<QLineEdit>("mobileSpeedDial")->setText(QStringLiteral("12"));
        rig->Find<QLineEdit>("nameEdit")->setText(QStringLiteral("Anna B."));
        QCOMPARE(Shown("homeSelect", {5, 12, 9}),
                 (QList<QStringList>{{"", "", ""},
                                     {"Anna B.", "MOBILE", "0101234567"},
                                     {"Anna", "HOME", "0207654321"}}));
        ClickCell(rig->page.List(), 3);
        rig->Find<QLineEdit>("pagerSpeedDial")->setText(QStringLiteral("X"));
        QCOMPARE(Shown("homeSelect", {12}), (QList<QStringList>{{"", "", "Unassigned"}}));
    }

    void okCountsOnlyAfterAClickOrSpace() {
        ClickCell(rig->page.List(), 3);
        // Keys alone choose nothing: OK is Cancel.
        PickWith("homeSelect", [](QDialog& dialog) {
            SpeedDialDialog& sd = AsSpeedDial(dialog);
            sd.Table()->setFocus();
            PressKey(sd.Table(), Qt::Key_Down);
            PressKey(sd.Table(), Qt::Key_Down);
            sd.accept();
            return sd.result();
        });
        QCOMPARE(rig->Find<QLineEdit>("homeSpeedDial")->text(), QStringLiteral("X"));
        // After a click, OK takes the row selected when it is pressed.
        PickWith("homeSelect", [](QDialog& dialog) {
            SpeedDialDialog& sd = AsSpeedDial(dialog);
            ClickCell(sd.Table(), 3 - kFirstSpeedDial);
            PressKey(sd.Table(), Qt::Key_Down);
            sd.accept();
            return sd.result();
        });
        QCOMPARE(rig->Find<QLineEdit>("homeSpeedDial")->text(), QStringLiteral("4"));
        // Space is the click of the keyboard.
        PickWith("homeSelect", [](QDialog& dialog) {
            SpeedDialDialog& sd = AsSpeedDial(dialog);
            sd.Table()->setFocus();
            PressKey(sd.Table(), Qt::Key_Down);
            PressKey(sd.Table(), Qt::Key_Space);
            sd.accept();
            return sd.result();
        });
        QCOMPARE(rig->Find<QLineEdit>("homeSpeedDial")->text(), QStringLiteral("3"));
        // Cancel changes nothing.
        PickWith("homeSelect", [](QDialog& dialog) {
            ClickCell(AsSpeedDial(dialog).Table(), 7);
            dialog.reject();
            return dialog.result();
        });
        QCOMPARE(rig->Find<QLineEdit>("homeSpeedDial")->text(), QStringLiteral("3"));
        QVERIFY(!rig->page.Book().FindSpeedDial(3, NumberKind::Home));
    }

    void oneNumberServesOneKindOfTheEntry() {
        ClickCell(rig->page.List(), 0);
        PickWith("homeSelect", ClickAndOk(5));
        QCOMPARE(rig->Find<QLineEdit>("homeSpeedDial")->text(), QStringLiteral("5"));
        QCOMPARE(rig->Find<QLineEdit>("mobileSpeedDial")->text(), QStringLiteral("X"));
        // Nothing reaches the book before Save.
        QCOMPARE(rig->page.Book().FindSpeedDial(0, NumberKind::Mobile),
                 std::optional(5 - kFirstSpeedDial));
        rig->Click("saveButton");
        QCOMPARE(rig->page.Book().SpeedDial(5 - kFirstSpeedDial),
                 (PBSpeedDial{0, KindByte(NumberKind::Home)}));
        QVERIFY(!rig->page.Book().FindSpeedDial(0, NumberKind::Mobile));
        // The home number's old 9 is free.
        QCOMPARE(rig->page.Book().SpeedDial(9 - kFirstSpeedDial), PBSpeedDial{});
        QCOMPARE(rig->Cell(0, col::SpeedDial(0)), QStringLiteral("X"));
        QCOMPARE(rig->Cell(0, col::SpeedDial(1)), QStringLiteral("5"));
        QCOMPARE(runner->messages, QStringList());
    }

    void takingAnotherEntrysNumberAndGivingOneUp() {
        ClickCell(rig->page.List(), 7);
        PickWith("mobileSelect", ClickAndOk(12));
        rig->Click("saveButton");
        // Dora takes 12 from Carl's pager without a word.
        QCOMPARE(rig->page.Book().SpeedDial(12 - kFirstSpeedDial),
                 (PBSpeedDial{7, KindByte(NumberKind::Mobile)}));
        QCOMPARE(rig->Cell(3, col::SpeedDial(3)), QStringLiteral("X"));
        // "None" gives it up again.
        PickWith("mobileSelect", ClickAndOk(std::nullopt));
        QCOMPARE(rig->Find<QLineEdit>("mobileSpeedDial")->text(), QStringLiteral("X"));
        rig->Click("saveButton");
        QCOMPARE(rig->page.Book().SpeedDial(12 - kFirstSpeedDial), PBSpeedDial{});
        QCOMPARE(runner->messages, QStringList());
    }

    void savingUntouchedBoxesKeepsEverySpeedDial() {
        std::array<PBSpeedDial, kSpeedDialSlots> before{};
        for (int k = 0; k < kSpeedDialSlots; ++k)
            before[k] = rig->page.Book().SpeedDial(k);
        for (int row : {0, 3, 7}) {
            ClickCell(rig->page.List(), row);
            rig->Find<QLineEdit>("memoEdit")->setText(QStringLiteral("seen"));
            rig->Click("saveButton");
        }
        for (int k = 0; k < kSpeedDialSlots; ++k)
            QCOMPARE(rig->page.Book().SpeedDial(k), before[k]);
    }
};

QTEST_MAIN(SpeedDialTest)
#include "SpeedDialTest.moc"
