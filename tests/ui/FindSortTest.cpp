// Find as you type and sorting by a heading on the page: what the list shows and selects, and
// that neither touches the book nor what a write reads from the list.
#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>

#include "UiTestSupport.h"
#include "formats/BookJson.h"

using namespace numora;
using namespace numora::test;

namespace {

QList<int> ShownRows(const ReportList* list) {
    QList<int> rows;
    for (int at = 0; at < list->RowCount(); ++at) {
        const int row = list->verticalHeader()->logicalIndex(at);
        if (list->IsRowShown(row)) rows << row;
    }
    return rows;
}

void ClickHeading(ReportList* list, int column) {
    QHeaderView* header = list->horizontalHeader();
    const QPoint at(header->sectionViewportPosition(column) + 4, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

}  // namespace

class FindSortTest : public QObject {
    Q_OBJECT

private slots:
    // Typing finds the entries; the highlight goes to the first found; Escape shows every
    // slot again and keeps that entry selected.
    void findFiltersAndEscapeShowsEverySlotAgain() {
        TestRunner runner;
        PageRig rig;
        rig.Load();
        ReportList* list = rig.page.List();
        ClickCell(list, 3);
        QTest::keyClicks(rig.page.FindField(), QStringLiteral("DOR"));
        QCOMPARE(ShownRows(list), QList<int>({7}));
        QCOMPARE(list->SelectedRow(), 7);
        QCOMPARE(rig.Texts({"nameEdit"}), QStringList({"Dora"}));
        rig.page.FindField()->clear();
        QTest::keyClicks(rig.page.FindField(), QStringLiteral("0111"));
        QCOMPARE(ShownRows(list), QList<int>({1}));
        PressKey(rig.page.FindField(), Qt::Key_Escape);
        QCOMPARE(rig.page.FindField()->text(), QString());
        QCOMPARE(ShownRows(list).size(), kEntrySlots);
        QCOMPARE(list->SelectedRow(), 1);
        QCOMPARE(rig.Texts({"nameEdit"}), QStringList({"Bert"}));
        QCOMPARE(runner.messages, QStringList());
    }

    // An entry edited so that the search no longer finds it stays in sight until the search
    // changes; the status line follows every change.
    void anEditedEntryStaysUntilTheSearchChanges() {
        TestRunner runner;
        PageRig rig;
        rig.Load();
        QSignalSpy shown(&rig.page, &PhoneBookPage::bookShown);
        QTest::keyClicks(rig.page.FindField(), QStringLiteral("0777"));
        QCOMPARE(rig.page.List()->SelectedRow(), 7);
        rig.Find<QLineEdit>("mobileEdit")->setText(QStringLiteral("0888"));
        rig.Click("saveButton");
        QCOMPARE(ShownRows(rig.page.List()), QList<int>({7}));
        QTest::keyClick(rig.page.FindField(), Qt::Key_7);
        QCOMPARE(ShownRows(rig.page.List()), QList<int>());
        // Nothing found: the panel stays on the chosen entry, never on one out of sight.
        QCOMPARE(rig.page.List()->SelectedRow(), 7);
        QCOMPARE(rig.Texts({"idEdit", "nameEdit"}), QStringList({"7", "Dora"}));
        rig.page.ClearFind();
        QCOMPARE(rig.page.List()->SelectedRow(), 7);
        shown.clear();
        ClickCell(rig.page.List(), 3);
        rig.Click("deleteButton");
        QVERIFY(!shown.isEmpty());
        QVERIFY(rig.page.StatusLine().startsWith(QStringLiteral("3 of 300 entries")));
    }

    // A number typed with its country code finds the entry stored in national form under the
    // home region; without one it cannot, and the status line and the find field's tip say so
    // and where the region is set.
    void anInternationalNumberNeedsTheHomeRegion_data() {
        QTest::addColumn<QString>("region");
        QTest::addColumn<QList<int>>("found");
        QTest::addColumn<bool>("hint");
        QTest::newRow("Germany") << "DE" << QList<int>({9}) << false;
        QTest::newRow("none") << "" << QList<int>() << true;
        QTest::newRow("unknown") << "XX" << QList<int>() << true;
    }

    void anInternationalNumberNeedsTheHomeRegion() {
        QFETCH(QString, region);
        QFETCH(QList<int>, found);
        QFETCH(bool, hint);
        PageRig rig;
        rig.page.SetHomeRegion(region.toStdString(), QStringLiteral("/home/u/numora.ini"));
        rig.Load([](PhoneBook& book) {
            FillTestBook(book);
            AddEntry(book, 9, "Ida", 2, "01701891234");
        });
        QTest::keyClicks(rig.page.FindField(), QStringLiteral("+49170189"));
        QCOMPARE(ShownRows(rig.page.List()), found);
        QCOMPARE(rig.page.StatusLine().startsWith(QStringLiteral("No home region")), hint);
        QCOMPARE(rig.page.FindField()->toolTip().contains(
                     QStringLiteral("\"Home Region\" (a country code such as DE) in the \"Port "
                                    "Setting\" section of /home/u/numora.ini")),
                 hint);
        // Digits alone are found without it.
        rig.page.FindField()->setText(QStringLiteral("170189"));
        QCOMPARE(ShownRows(rig.page.List()), QList<int>({9}));
        QVERIFY(rig.page.StatusLine().contains(QStringLiteral(" of 300 entries")));
    }

    // Headings sort the view: twice for descending, a third time back to slot order. Row i
    // stays slot i for everything else.
    void sortingOrdersTheViewOnly() {
        PageRig rig;
        rig.Load();
        ReportList* list = rig.page.List();
        const std::string book = BookToJson(rig.page.Book());
        QStringList groups;
        for (int r = 0; r < kEntrySlots; ++r)
            groups.push_back(list->CellText(r, col::kGroup));
        ClickHeading(list, col::kName);
        ClickHeading(list, col::kName);
        QCOMPARE(ShownRows(list).mid(0, 4), QList<int>({7, 3, 1, 0}));
        QCOMPARE(list->horizontalHeader()->sortIndicatorOrder(), Qt::DescendingOrder);
        ClickCell(list, 3);
        QCOMPARE(rig.Texts({"idEdit", "nameEdit"}), QStringList({"3", "Carl"}));
        QCOMPARE(BookToJson(rig.page.Book()), book);
        for (int r = 0; r < kEntrySlots; ++r)
            QCOMPARE(list->CellText(r, col::kGroup), groups[r]);
        // A third click, or one on "#", returns to slot order.
        ClickHeading(list, col::kGroup);
        ClickHeading(list, col::kSlot);
        QCOMPARE(ShownRows(list).mid(0, 4), QList<int>({0, 1, 2, 3}));
        QVERIFY(!list->horizontalHeader()->isSortIndicatorShown());
    }
};

QTEST_MAIN(FindSortTest)
#include "FindSortTest.moc"
