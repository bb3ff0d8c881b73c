// The group and SMS group dialogs, opened from the page's buttons: names shown and edited,
// deletes and their limits, empty names refused, and the page refreshed afterwards.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "UiTestSupport.h"
#include "ui/PBGroupDlg.h"
#include "ui/PBSmsGroupDlg.h"

using namespace numora;
using namespace numora::test;

namespace {

constexpr int kColName = 1;

template <typename T>
T* Child(QDialog& dialog, const char* name) {
    return dialog.findChild<T*>(QString::fromLatin1(name));
}

CPBListCtrl* ListOf(QDialog& dialog) {
    if (auto* g = dynamic_cast<CPBGroupListDlg*>(&dialog)) return g->List();
    return dynamic_cast<CPBSmsGroupListDlg&>(dialog).List();
}

QStringList Names(CPBListCtrl* list) {
    QStringList names;
    for (int r = 0; r < list->RowCount(); ++r)
        names << list->CellText(r, kColName);
    return names;
}

QStringList ComboTexts(QComboBox* combo) {
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i)
        texts << combo->itemText(i);
    return texts;
}

// Selects a row of the open list dialog and presses one of its buttons.
void Press(QDialog& dialog, int row, const char* button) {
    ClickCell(ListOf(dialog), row);
    QTest::mouseClick(Child<QPushButton>(dialog, button), Qt::LeftButton);
}

// An edit dialog that gets a new name and OK.
CTestRunner::Handler Rename(const QString& name) {
    return [name](QDialog& edit) {
        auto* field = Child<QLineEdit>(edit, "groupName");
        field->clear();
        QTest::keyClicks(field, name);
        QTest::mouseClick(Child<QPushButton>(edit, "ok"), Qt::LeftButton);
        return edit.result();
    };
}

}  // namespace

class GroupDialogsTest : public QObject {
    Q_OBJECT

private slots:
    void groupListShowsTheSlots() {
        CTestRunner runner;
        PageRig rig;
        rig.Load();
        rig.page.Book().SetGroup(0, "Everyone");
        runner.Expect([](QDialog& dialog) {
            [&] {
                QCOMPARE(dialog.windowTitle(), QStringLiteral("Phone Book Group List"));
                CPBListCtrl* list = ListOf(dialog);
                QCOMPARE(list->CellText(0, 0), QStringLiteral(" 0 "));
                QCOMPARE(list->CellText(6, 0), QStringLiteral(" 6 "));
                // Row 0 reads "All" whatever the book calls group 0.
                QCOMPARE(Names(list),
                         QStringList({"All", "Family", "Friends", "Fam", "", "", "Etc."}));
            }();
            return int{QDialog::Accepted};
        });
        QTest::mouseClick(rig.Find<QPushButton>("editGroupButton"), Qt::LeftButton);
        QVERIFY(runner.AllHandled());
    }

    void deletingGroupFourMovesItsMembersToEtc() {
        CTestRunner runner;
        PageRig rig;
        rig.Load([](CPBData& book) {
            FillTestBook(book);
            book.SetGroup(4, "Club");
            AddEntry(book, 40, "Gus", 4);
            AddEntry(book, 41, "Hal", 4);
        });
        runner.Expect([](QDialog& dialog) {
            Press(dialog, 4, "delete");
            [&] { QCOMPARE(ListOf(dialog)->CellText(4, kColName), QString()); }();
            return int{QDialog::Accepted};
        });
        QTest::mouseClick(rig.Find<QPushButton>("editGroupButton"), Qt::LeftButton);
        QVERIFY(runner.AllHandled());
        PBGroup g;
        QVERIFY(!rig.page.Book().GetGroup(4, g));
        const std::vector<int> etc = Members(rig.page.Book(), kEtcGroup);
        QVERIFY(std::find(etc.begin(), etc.end(), 40) != etc.end());
        QVERIFY(std::find(etc.begin(), etc.end(), 41) != etc.end());
        // The page refreshed: the group is gone from its selectors, the rows say "Etc.".
        QVERIFY(!ComboTexts(rig.Find<QComboBox>("filterCombo")).contains("Club"));
        QVERIFY(!ComboTexts(rig.Find<QComboBox>("groupCombo")).contains("Club"));
        QCOMPARE(rig.Cell(40, col::kGroup), QStringLiteral("Etc."));
        QCOMPARE(runner.messages, QStringList());
    }

    void deletingFixedGroupsIsRefused_data() {
        QTest::addColumn<int>("row");
        for (int row : {0, 1, 2, 6})
            QTest::addRow("row %d", row) << row;
    }

    void deletingFixedGroupsIsRefused() {
        QFETCH(int, row);
        CTestRunner runner;
        PageRig rig;
        rig.Load();
        const PBGroup before = rig.page.Book().Group(row);
        runner.Expect([row](QDialog& dialog) {
            Press(dialog, row, "delete");
            return int{QDialog::Accepted};
        });
        QTest::mouseClick(rig.Find<QPushButton>("editGroupButton"), Qt::LeftButton);
        QCOMPARE(runner.messages, QStringList({"Invalid Operation"}));
        QCOMPARE(rig.page.Book().Group(row), before);
    }

    void deleteWithoutSelectionActsOnRowZero() {
        CTestRunner runner;
        PageRig rig;
        rig.Load();
        runner.Expect([](QDialog& dialog) {
            QTest::mouseClick(Child<QPushButton>(dialog, "delete"), Qt::LeftButton);
            return int{QDialog::Accepted};
        });
        QTest::mouseClick(rig.Find<QPushButton>("editGroupButton"), Qt::LeftButton);
        QCOMPARE(runner.messages, QStringList({"Invalid Operation"}));

        // In the SMS group list every row may go, row 0 too.
        runner.Expect([](QDialog& dialog) {
            QTest::mouseClick(Child<QPushButton>(dialog, "delete"), Qt::LeftButton);
            return int{QDialog::Accepted};
        });
        QTest::mouseClick(rig.Find<QPushButton>("editSmsGroupButton"), Qt::LeftButton);
        PBSmsGroup s;
        QVERIFY(!rig.page.Book().GetSmsGroup(0, s));
        QCOMPARE(ComboTexts(rig.Find<QComboBox>("smsGroupCombo")), QStringList({"Team"}));
        QCOMPARE(runner.messages.size(), 1);
    }

    void editingRenamesAndCreatesGroups() {
        CTestRunner runner;
        PageRig rig;
        rig.Load();
        runner.Expect([&runner](QDialog& dialog) {
            runner.Expect(Rename(QStringLiteral("Neighbours")));
            Press(dialog, 5, "edit");
            [&] { QCOMPARE(ListOf(dialog)->CellText(5, kColName), "Neighbours"); }();
            // Double-clicking a row edits it as the button does.
            runner.Expect(Rename(QStringLiteral("Kin")));
            DoubleClickCell(ListOf(dialog), 3);
            return int{QDialog::Accepted};
        });
        QTest::mouseClick(rig.Find<QPushButton>("editGroupButton"), Qt::LeftButton);
        QVERIFY(runner.AllHandled());
        PBGroup g;
        QVERIFY(rig.page.Book().GetGroup(5, g));
        QCOMPARE(QString::fromLatin1(TextOf(g.name).data()), QStringLiteral("Neighbours"));
        QCOMPARE(g.firstEntry, kNone16);
        QVERIFY(rig.page.Book().GetGroup(3, g));
        QCOMPARE(QString::fromLatin1(TextOf(g.name).data()), QStringLiteral("Kin"));
        QVERIFY(ComboTexts(rig.Find<QComboBox>("filterCombo")).contains("Neighbours"));
        QCOMPARE(rig.Cell(1, col::kGroup), QStringLiteral("Kin"));
    }

    void editDialogRules() {
        CTestRunner runner;
        PageRig rig;
        rig.Load();
        runner.Expect([&runner](QDialog& dialog) {
            // A fixed group's name cannot be typed; row 0 shows "All" and stores it.
            runner.Expect([](QDialog& edit) {
                auto* name = Child<QLineEdit>(edit, "groupName");
                [&] {
                    QCOMPARE(edit.windowTitle(), QStringLiteral("Phone Book Group Edit"));
                    QCOMPARE(Child<QLineEdit>(edit, "groupId")->text(), QStringLiteral("0"));
                    QVERIFY(name->isReadOnly());
                    QCOMPARE(name->text(), QStringLiteral("All"));
                }();
                QTest::mouseClick(Child<QPushButton>(edit, "ok"), Qt::LeftButton);
                return edit.result();
            });
            Press(dialog, 0, "edit");
            // An empty name is refused and the dialog stays; Cancel then changes nothing.
            runner.Expect([&runner](QDialog& edit) {
                Child<QLineEdit>(edit, "groupName")->clear();
                QTest::mouseClick(Child<QPushButton>(edit, "ok"), Qt::LeftButton);
                [&] {
                    QCOMPARE(runner.messages, QStringList({"Enter Group Name, please!"}));
                    QVERIFY(edit.isVisible());
                    QCOMPARE(edit.maximumSize(), edit.minimumSize());
                    QCOMPARE(Child<QLineEdit>(edit, "groupName")->maxLength(), 16);
                }();
                QTest::mouseClick(Child<QPushButton>(edit, "cancel"), Qt::LeftButton);
                return edit.result();
            });
            Press(dialog, 3, "edit");
            [&] { QCOMPARE(ListOf(dialog)->CellText(3, kColName), QStringLiteral("Fam")); }();
            return int{QDialog::Accepted};
        });
        QTest::mouseClick(rig.Find<QPushButton>("editGroupButton"), Qt::LeftButton);
        QVERIFY(runner.AllHandled());
        QCOMPARE(QString::fromLatin1(TextOf(rig.page.Book().Group(0).name).data()),
                 QStringLiteral("All"));
        QCOMPARE(QString::fromLatin1(TextOf(rig.page.Book().Group(3).name).data()),
                 QStringLiteral("Fam"));
    }

    void enterClosesTheGroupListButEditsInTheSmsList() {
        CTestRunner runner;
        PageRig rig;
        rig.Load();
        runner.Expect([](QDialog& dialog) {
            ClickCell(ListOf(dialog), 2);
            QTest::keyClick(ListOf(dialog), Qt::Key_Return);
            [&] { QCOMPARE(dialog.result(), int{QDialog::Accepted}); }();
            return dialog.result();
        });
        QTest::mouseClick(rig.Find<QPushButton>("editGroupButton"), Qt::LeftButton);
        QCOMPARE(runner.dialogsRun, 1);
        QCOMPARE(runner.unexpectedDialogs, 0);

        runner.Expect([&runner](QDialog& dialog) {
            [&] { QCOMPARE(dialog.windowTitle(), QStringLiteral("Phone Book SMS Group List")); }();
            runner.Expect(Rename(QStringLiteral("Choir")));
            ClickCell(ListOf(dialog), 3);
            QTest::keyClick(ListOf(dialog), Qt::Key_Return);
            return int{QDialog::Accepted};
        });
        QTest::mouseClick(rig.Find<QPushButton>("editSmsGroupButton"), Qt::LeftButton);
        QVERIFY(runner.AllHandled());
        PBSmsGroup s;
        QVERIFY(rig.page.Book().GetSmsGroup(3, s));
        QCOMPARE(QString::fromLatin1(TextOf(s.name).data()), QStringLiteral("Choir"));
        QCOMPARE(rig.Find<QComboBox>("smsGroupCombo")->currentText(), QStringLiteral("Choir"));
    }

    void smsEditRefusesEmptyNames() {
        CTestRunner runner;
        PageRig rig;
        rig.Load();
        runner.Expect([&runner](QDialog& dialog) {
            [&] { QCOMPARE(Names(ListOf(dialog)), QStringList({"Club", "Team", "", "", ""})); }();
            runner.Expect([&runner](QDialog& edit) {
                auto* name = Child<QLineEdit>(edit, "groupName");
                [&] {
                    QCOMPARE(edit.windowTitle(), QStringLiteral("Phone Book SMS Group Edit"));
                    QVERIFY(!name->isReadOnly());
                }();
                name->clear();
                QTest::mouseClick(Child<QPushButton>(edit, "ok"), Qt::LeftButton);
                [&] {
                    QCOMPARE(runner.messages, QStringList({"Enter SMS Group Name, please!"}));
                    QVERIFY(edit.isVisible());
                }();
                edit.reject();
                return edit.result();
            });
            Press(dialog, 1, "edit");
            return int{QDialog::Rejected};
        });
        QTest::mouseClick(rig.Find<QPushButton>("editSmsGroupButton"), Qt::LeftButton);
        QVERIFY(runner.AllHandled());
        PBSmsGroup s;
        QVERIFY(rig.page.Book().GetSmsGroup(1, s));
        QCOMPARE(QString::fromLatin1(TextOf(s.name).data()), QStringLiteral("Team"));
    }

    void listDialogsWithoutABookShowNoNames() {
        CPBGroupListDlg groups(nullptr);
        CPBSmsGroupListDlg sms(nullptr);
        QCOMPARE(Names(groups.List()), QStringList(7, QString()));
        QCOMPARE(Names(sms.List()), QStringList(5, QString()));
    }
};

QTEST_MAIN(GroupDialogsTest)
#include "GroupDialogsTest.moc"
