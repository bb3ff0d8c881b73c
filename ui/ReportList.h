// The list view every list of the program uses: the phone book page's entry list, the group
// and SMS group lists and the speed dial table. A report view with grid lines and one selected
// row, highlighted across its columns and drawn by the list itself. It tells its owners about
// clicks, double clicks and keyboard moves with queued signals, so an owner always handles
// them after the list has moved its selection.
#pragma once

#include <QTableView>
#include <optional>
#include <span>
#include <string>

namespace numora {

class ReportListModel;

class ReportList : public QTableView {
    Q_OBJECT
public:
    enum class Align { Left, Right, Center };

    explicit ReportList(QWidget* parent = nullptr);
    ~ReportList() override;

    // Inserts a report column before col (or at the end). The width is in pixels of the form's
    // font and grows with a larger one.
    void InsertColumn(int col, const QString& heading, int width, Align align = Align::Center);
    // Column 0 inserts a new row at row (at most at the end) with that text; any other column
    // sets the text of a cell of an existing row.
    void SetCell(int row, int col, const QString& text);
    QString CellText(int row, int col) const;
    int RowCount() const;
    int ColumnCount() const;

    // Sets columns 1 and up of a row at once.
    void SetRowTexts(int row, std::span<const std::string> texts);
    // Cell changes between the two calls reach the view as one update.
    void BeginUpdate();
    void EndUpdate();

    // The list reports selections and double clicks (rowSelected, rowDoubleClicked), or else
    // clicks and Space on the current row (rowClicked); by default it reports nothing.
    void ReportSelections() { m_reports = Reports::Selections; }
    void ReportClicks() { m_reports = Reports::Clicks; }

    [[nodiscard]] std::optional<int> SelectedRow() const;
    void SelectRow(int row);
    void ClearSelectedRow();

    // The size that shows every column and this many rows under the headings, without scroll
    // bars; a vertical scroll bar's width is added when the list has more rows than that.
    QSize SizeForRows(int rows) const;

    // The order rows are shown in, first shown first (a permutation of the rows), and which
    // are shown at all. Both change the view only: row i stays row i for every other call.
    void SetRowOrder(std::span<const int> order);
    void SetRowsShown(std::span<const bool> shown);
    bool IsRowShown(int row) const;
    // The first row shown from the top, if any is.
    [[nodiscard]] std::optional<int> FirstShownRow() const;

    // The row of the cell under a point of the list's viewport; none off the cells.
    [[nodiscard]] std::optional<int> RowUnder(const QPoint& pos) const;

signals:
    void rowSelected(numora::ReportList* list);
    void rowDoubleClicked(numora::ReportList* list);
    void rowClicked(numora::ReportList* list);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    // Space on a list that reports clicks is a click on the current row, so that a choice made
    // by clicking can be made from the keyboard too.
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void PostSelect();
    void PostDoubleClick();
    void PostClick();

    enum class Reports { Nothing, Selections, Clicks };

    ReportListModel* m_model;
    Reports m_reports = Reports::Nothing;
};

}  // namespace numora
