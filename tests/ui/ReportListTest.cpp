// The list control: rows and cells, the selection, hit testing and the notifications it posts
// to its owners.
#include <QSignalSpy>
#include <QTest>

#include "UiTestSupport.h"
#include "ui/ReportList.h"

using namespace numora;
using namespace numora::test;

namespace {

int RightOfLastColumn(const ReportList& list) {
    return list.columnViewportPosition(2) + list.columnWidth(2) + 20;
}

}  // namespace

class ReportListTest : public QObject {
    Q_OBJECT

private:
    // A shown list of three 60-pixel columns and 5 rows, wide enough to leave room right of
    // the last column.
    std::unique_ptr<ReportList> MakeList() {
        auto list = std::make_unique<ReportList>();
        list->resize(400, 200);
        list->InsertColumn(0, QStringLiteral("#"), 60);
        list->InsertColumn(1, QStringLiteral("Name"), 60);
        list->InsertColumn(2, QStringLiteral("Kind"), 60);
        for (int r = 0; r < 5; ++r)
            list->SetCell(r, 0, QString::number(r));
        list->show();
        return list;
    }

private slots:
    void cellsAndRows() {
        auto list = MakeList();
        // Column 0 inserts a row where asked; other columns only set cells of existing rows.
        list->SetCell(1, 0, QStringLiteral("new"));
        QCOMPARE(list->RowCount(), 6);
        QCOMPARE(list->CellText(1, 0), QStringLiteral("new"));
        QCOMPARE(list->CellText(2, 0), QStringLiteral("1"));
        list->SetCell(99, 1, QStringLiteral("nobody"));
        list->SetCell(2, 7, QStringLiteral("nowhere"));
        QCOMPARE(list->RowCount(), 6);
        QCOMPARE(list->CellText(99, 1), QString());
        // A row inserted past the end lands at the end.
        list->SetCell(50, 0, QStringLiteral("last"));
        QCOMPARE(list->CellText(6, 0), QStringLiteral("last"));

        // Batched updates reach the view once.
        QSignalSpy changed(list->model(), &QAbstractItemModel::dataChanged);
        list->BeginUpdate();
        for (int r = 0; r < 5; ++r)
            list->SetCell(r, 1, QStringLiteral("x"));
        QCOMPARE(changed.count(), 0);
        list->EndUpdate();
        QCOMPARE(changed.count(), 1);
    }

    void selectionAndHitTest() {
        auto list = MakeList();
        QCOMPARE(list->SelectedRow(), std::nullopt);
        list->SelectRow(3);
        QCOMPARE(list->SelectedRow(), 3);
        list->SelectRow(17);  // no such row: the selection stays
        QCOMPARE(list->SelectedRow(), 3);

        QCOMPARE(list->RowUnder(CellCentre(list.get(), 2, 1)), 2);
        QCOMPARE(list->RowUnder(CellCentre(list.get(), 4, 2)), 4);
        // Right of the last column and below the last row there is no cell.
        const QPoint right(RightOfLastColumn(*list), CellCentre(list.get(), 1, 0).y());
        QCOMPARE(list->RowUnder(right), std::nullopt);
        const QPoint below(30, list->viewport()->height() - 2);
        QCOMPARE(list->RowUnder(below), std::nullopt);
    }

    void clickSelectsTheRowAndNotifiesLater() {
        for (const bool clicks : {false, true}) {
            auto list = MakeList();
            if (clicks) {
                list->ReportClicks();
            } else {
                list->ReportSelections();
            }
            QSignalSpy select(list.get(), &ReportList::rowSelected);
            QSignalSpy click(list.get(), &ReportList::rowClicked);
            QSignalSpy& reported = clicks ? click : select;
            // The reports are posted: nothing arrives while the click is handled.
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, CellCentre(list.get(), 3, 2));
            QCOMPARE(list->SelectedRow(), 3);
            QCOMPARE(reported.count(), 0);
            QCoreApplication::processEvents();
            QCOMPARE(reported.count(), 1);
            QCOMPARE(select.count() + click.count(), 1);
            QCOMPARE(reported.first().first().value<ReportList*>(), list.get());
            // A click off any cell keeps the selection and posts nothing.
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              QPoint(RightOfLastColumn(*list), CellCentre(list.get(), 1, 0).y()));
            QCoreApplication::processEvents();
            QCOMPARE(select.count() + click.count(), 1);
            QCOMPARE(list->SelectedRow(), 3);
        }
    }
    void doubleClickIsReportedEveryTimeOnceAsked() {
        auto list = MakeList();
        QSignalSpy select(list.get(), &ReportList::rowSelected);
        QSignalSpy dbl(list.get(), &ReportList::rowDoubleClicked);
        DoubleClickCell(list.get(), 1);
        QCOMPARE(select.count(), 0);
        QCOMPARE(dbl.count(), 0);
        QCOMPARE(list->SelectedRow(), 1);
        list->ReportSelections();
        DoubleClickCell(list.get(), 2);
        QCOMPARE(dbl.count(), 1);
        // Off the cells too.
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, QPoint(390, 5));
        QCoreApplication::processEvents();
        QCOMPARE(dbl.count(), 2);
    }
};

QTEST_MAIN(ReportListTest)
#include "ReportListTest.moc"
