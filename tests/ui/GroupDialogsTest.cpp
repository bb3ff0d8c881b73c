// The group and SMS group dialogs, opened from the page's buttons: names shown and edited,
// deletes and their limits, empty names refused, and the page refreshed afterwards.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <optional>

#include "ui/GroupDialogs.h"
#include "ui/PageTestCase.h"

using namespace numora;
using namespace numora::test;

namespace {

constexpr int kColName = 1;

ReportList* ListOf(QDialog& dialog) {
    return dynamic_cast<GroupListDialog&>(dialog).List();
}

QStringList Names(ReportList* list) {
    QStringList names;
    for (int r = 0; r < list->RowCount(); ++r)
        names << list->CellText(r, kColName);
    return names;
}

// Selects a row of the open list dialog and presses one of its buttons.
void Press(QDialog& dialog, int row, const char* button) {
    ClickCell(ListOf(dialog), row);
    ClickButton(dialog, button);
}

// An edit dialog that gets a new name and OK.
TestRunner::Handler Rename(const QString& name) {
    return [name](QDialog& edit) {
        auto* field = FindIn<QLineEdit>(edit, "groupName");
        field->clear();
        QTest::keyClicks(field, name);
        ClickButton(edit, "ok");
        return edit.result();
    };
}

}  // namespace

class GroupDialogsTest : public PageTestCase {
    Q_OBJECT

private slots:

    void deletingGroupFourMovesItsMembersToEtc() {
        rig->Load([](PhoneBook& book) {
            book.SetGroup(4, "Club");
            AddEntry(book, 40, "Gus", 4);
        });
        runner->Expect([](QDialog& dialog) {
            Press(dialog, 4, "delete");
            [&] { QCOMPARE(ListOf(dialog)->CellText(4, kColName), QString()); }();
            return int{QDialog::Accepted};
        });
        rig->Click("editGroupButton");
        QVERIFY(runner->AllHandled());
        // The page refreshed: the group is gone from its selectors, the row says "Etc.".
        QVERIFY(!rig->Items("filterCombo").contains("Club"));
        QVERIFY(!rig->Items("groupCombo").contains("Club"));
        QCOMPARE(rig->Cell(40, col::kGroup), QStringLiteral("Etc."));
        QCOMPARE(runner->messages, QStringList());
    }

    // The fixed groups stay, and Delete without a selection is refused as well.
    void deletingFixedGroupsIsRefused_data() {
        QTest::addColumn<int>("row");
        for (int row : {-1, 0, 1, 2, 6})
            QTest::addRow("row %d", row) << row;
    }

    void deletingFixedGroupsIsRefused() {
        QFETCH(int, row);
        const PBGroup before = rig->page.Book().Group(std::max(row, 0));
        runner->Expect([row](QDialog& dialog) {
            if (row >= 0) ClickCell(ListOf(dialog), row);
            ClickButton(dialog, "delete");
            return int{QDialog::Accepted};
        });
        rig->Click("editGroupButton");
        QCOMPARE(runner->messages, QStringList({"Invalid Operation"}));
        QCOMPARE(rig->page.Book().Group(std::max(row, 0)), before);
    }

    // In the SMS group list every row may go, row 0 too, but only a row the user chose: Edit
    // and Delete without a selection do nothing.
    void anySmsGroupMayBeDeleted() {
        runner->Expect([](QDialog& dialog) {
            ClickButton(dialog, "edit");
            ClickButton(dialog, "delete");
            [&] { QCOMPARE(ListOf(dialog)->CellText(0, kColName), QStringLiteral("Club")); }();
            Press(dialog, 0, "delete");
            return int{QDialog::Accepted};
        });
        rig->Click("editSmsGroupButton");
        QCOMPARE(runner->dialogsRun, 1);
        PBSmsGroup s;
        QVERIFY(!rig->page.Book().GetSmsGroup(0, s));
        QCOMPARE(rig->Items("smsGroupCombo"), QStringList({"Team"}));
        QCOMPARE(runner->messages, QStringList());
    }

    void editingRenamesAndCreatesGroups() {
        runner->Expect([this](QDialog& dialog) {
            runner->Expect(Rename(QStringLiteral("Neighbours")));
            Press(dialog, 5, "edit");
            [&] { QCOMPARE(ListOf(dialog)->CellText(5, kColName), "Neighbours"); }();
            // Double-clicking a row edits it as the button does.
            runner->Expect(Rename(QStringLiteral("Kin")));
            DoubleClickCell(ListOf(dialog), 3);
            return int{QDialog::Accepted};
        });
        rig->Click("editGroupButton");
        QVERIFY(runner->AllHandled());
        // The page shows the book's new names.
        QVERIFY(rig->Items("filterCombo").contains("Neighbours"));
        QCOMPARE(rig->Cell(1, col::kGroup), QStringLiteral("Kin"));
    }

    // The list shows the seven slots, all at once; row 0 reads "All" whatever the book calls
    // group 0, and shows and stores it in the edit dialog, where a fixed group's name cannot
    // be typed.
    void groupZeroIsAllAndFixedNamesAreNotTyped() {
        rig->page.Book().SetGroup(0, "Everyone");
        runner->Expect([this](QDialog& dialog) {
            [&] {
                QCOMPARE(dialog.windowTitle(), QStringLiteral("Phone Book Group List"));
                QCOMPARE(ListOf(dialog)->CellText(6, 0), QStringLiteral(" 6 "));
                QCOMPARE(Names(ListOf(dialog)),
                         QStringList({"All", "Family", "Friends", "Fam", "", "", "Etc."}));
                QVERIFY(ShowsWhole(ListOf(dialog), 6, kColName));
            }();
            runner->Expect([](QDialog& edit) {
                auto* name = FindIn<QLineEdit>(edit, "groupName");
                [&] {
                    QCOMPARE(edit.windowTitle(), QStringLiteral("Phone Book Group Edit"));
                    QCOMPARE(FindIn<QLineEdit>(edit, "groupId")->text(), QStringLiteral("0"));
                    QVERIFY(name->isReadOnly());
                    QCOMPARE(name->text(), QStringLiteral("All"));
                }();
                ClickButton(edit, "ok");
                return edit.result();
            });
            Press(dialog, 0, "edit");
            return int{QDialog::Accepted};
        });
        rig->Click("editGroupButton");
        QVERIFY(runner->AllHandled());
        QCOMPARE(FromBytes(TextOf(rig->page.Book().Group(0).name)), QStringLiteral("All"));
    }

    // An empty name is refused and the dialog stays; Cancel then changes nothing.
    void emptyNamesAreRefused_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("row");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("group") << "editGroupButton"
                               << "Phone Book Group Edit"
                               << "Enter Group Name, please!" << 3
                               << QStringList({"All", "Family", "Friends", "Fam", "", "", "Etc."});
        QTest::newRow("SMS group")
            << "editSmsGroupButton"
            << "Phone Book SMS Group Edit"
            << "Enter SMS Group Name, please!" << 1 << QStringList({"Club", "Team", "", "", ""});
    }

    void emptyNamesAreRefused() {
        QFETCH(QString, button);
        QFETCH(QString, title);
        QFETCH(QString, message);
        QFETCH(int, row);
        QFETCH(QStringList, names);
        runner->Expect([&](QDialog& dialog) {
            runner->Expect([&](QDialog& edit) {
                auto* name = FindIn<QLineEdit>(edit, "groupName");
                [&] {
                    QCOMPARE(edit.windowTitle(), title);
                    QVERIFY(!name->isReadOnly());
                    QCOMPARE(name->maxLength(), 16);
                    QCOMPARE(edit.maximumSize(), edit.minimumSize());
                }();
                name->clear();
                ClickButton(edit, "ok");
                [&] {
                    QCOMPARE(runner->messages, QStringList({message}));
                    QVERIFY(edit.isVisible());
                }();
                ClickButton(edit, "cancel");
                return edit.result();
            });
            Press(dialog, row, "edit");
            [&] { QCOMPARE(Names(ListOf(dialog)), names); }();
            return int{QDialog::Accepted};
        });
        rig->Click(button.toLatin1().constData());
        QVERIFY(runner->AllHandled());
    }

    void enterClosesTheGroupListButEditsInTheSmsList() {
        runner->Expect([](QDialog& dialog) {
            ClickCell(ListOf(dialog), 2);
            QTest::keyClick(ListOf(dialog), Qt::Key_Return);
            [&] { QCOMPARE(dialog.result(), int{QDialog::Accepted}); }();
            return dialog.result();
        });
        rig->Click("editGroupButton");
        QCOMPARE(runner->dialogsRun, 1);
        QCOMPARE(runner->unexpectedDialogs, 0);

        runner->Expect([this](QDialog& dialog) {
            [&] { QCOMPARE(dialog.windowTitle(), QStringLiteral("Phone Book SMS Group List")); }();
            runner->Expect(Rename(QStringLiteral("Choir")));
            ClickCell(ListOf(dialog), 3);
            QTest::keyClick(ListOf(dialog), Qt::Key_Return);
            return int{QDialog::Accepted};
        });
        rig->Click("editSmsGroupButton");
        QVERIFY(runner->AllHandled());
        QCOMPARE(rig->Texts({"smsGroupCombo"}), QStringList({"Choir"}));
    }
};

QTEST_MAIN(GroupDialogsTest)
#include "GroupDialogsTest.moc"
