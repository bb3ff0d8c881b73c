#include "ui/ReportList.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyledItemDelegate>
#include <algorithm>
#include <functional>
#include <vector>

#include "ui/DialogUnits.h"

namespace numora {

class ReportListModel : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_headings.size());
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid()) return {};
        if (role == Qt::DisplayRole) return Cell(index.row(), index.column());
        if (role == Qt::TextAlignmentRole) return QVariant::fromValue(AlignmentOf(index.column()));
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || section < 0 || section >= columnCount()) return {};
        const QString& heading = m_headings[static_cast<std::size_t>(section)];
        if (role == Qt::DisplayRole) return m_fitHeading ? m_fitHeading(section, heading) : heading;
        // A heading cut to its column's width keeps its whole text as the tool tip.
        if (role == Qt::ToolTipRole) return heading;
        if (role == Qt::TextAlignmentRole) return QVariant::fromValue(AlignmentOf(section));
        return {};
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    // Where the column went: before col, or at the end.
    int InsertColumn(int col, const QString& heading, Qt::Alignment align) {
        col = std::clamp(col, 0, columnCount());
        beginInsertColumns({}, col, col);
        m_headings.insert(m_headings.begin() + col, heading);
        m_aligns.insert(m_aligns.begin() + col, align);
        for (auto& row : m_rows)
            row.insert(row.begin() + col, QString());
        endInsertColumns();
        return col;
    }

    void InsertRow(int row, const QString& label) {
        row = std::clamp(row, 0, rowCount());
        beginInsertRows({}, row, row);
        std::vector<QString> cells(m_headings.size());
        if (!cells.empty()) cells[0] = label;
        m_rows.insert(m_rows.begin() + row, std::move(cells));
        endInsertRows();
    }

    QString Cell(int row, int col) const {
        if (row < 0 || row >= rowCount() || col < 0 || col >= columnCount()) return {};
        return m_rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
    }

    void SetCell(int row, int col, const QString& text) {
        if (row < 0 || row >= rowCount() || col < 0 || col >= columnCount()) return;
        QString& cell = m_rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(col)];
        if (cell == text) return;
        cell = text;
        Changed(row, col, row, col);
    }

    // How a heading is cut to its column's width when the header draws it.
    void SetHeadingFit(std::function<QString(int, const QString&)> fit) {
        m_fitHeading = std::move(fit);
    }

    void BeginUpdate() { ++m_batch; }
    void EndUpdate() {
        if (m_batch > 0 && --m_batch == 0 && m_dirty) {
            m_dirty = false;
            emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1),
                             {Qt::DisplayRole});
        }
    }

private:
    Qt::Alignment AlignmentOf(int col) const {
        const Qt::Alignment h = col >= 0 && col < columnCount()
                                    ? m_aligns[static_cast<std::size_t>(col)]
                                    : Qt::AlignHCenter;
        return h | Qt::AlignVCenter;
    }

    void Changed(int r0, int c0, int r1, int c1) {
        if (m_batch > 0) {
            m_dirty = true;
            return;
        }
        emit dataChanged(index(r0, c0), index(r1, c1), {Qt::DisplayRole});
    }

    std::vector<QString> m_headings;
    std::function<QString(int, const QString&)> m_fitHeading;
    std::vector<Qt::Alignment> m_aligns;
    std::vector<std::vector<QString>> m_rows;
    int m_batch = 0;
    bool m_dirty = false;
};

namespace {

// Text stands two blanks' width away from the cell edges.
int TextOffset(const QFontMetrics& fm) {
    return 2 * fm.horizontalAdvance(QLatin1Char(' '));
}

// Draws the cells: the selected row highlighted, texts on one line cut with an ellipsis, empty
// cells left alone.
class CellDelegate : public QStyledItemDelegate {
public:
    explicit CellDelegate(ReportList* list) : QStyledItemDelegate(list), m_list(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QPalette& pal = option.palette;
        const QPalette::ColorGroup group =
            m_list->isEnabled() ? QPalette::Active : QPalette::Disabled;
        // The selection shows whether or not the list has the focus.
        const bool selected = (option.state & QStyle::State_Selected) != 0;
        const int col = index.column();
        const QFontMetrics fm(option.font);
        const int offset = TextOffset(fm);
        const QString text = index.data(Qt::DisplayRole).toString();
        const QRect cell = option.rect;

        painter->save();
        painter->fillRect(cell, pal.color(group, selected ? QPalette::Highlight : QPalette::Base));
        if (!text.isEmpty()) {
            QRect area;
            Qt::Alignment align;
            if (col == 0) {
                area = cell.adjusted(offset / 2, 0, -offset, 0);
                align = Qt::AlignLeft | Qt::AlignVCenter;
            } else {
                area = cell.adjusted(offset, 0, -offset, 0);
                align = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());
            }
            painter->setPen(
                pal.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
            painter->setFont(option.font);
            painter->drawText(area, static_cast<int>(align | Qt::TextSingleLine),
                              fm.elidedText(text, Qt::ElideRight, std::max(area.width(), 0)));
        }
        painter->restore();
    }

private:
    ReportList* m_list;
};

bool IsNavigationKey(int key) {
    switch (key) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            return true;
        default:
            return false;
    }
}

}  // namespace

ReportList::ReportList(QWidget* parent) : QTableView(parent), m_model(new ReportListModel(this)) {
    setModel(m_model);
    setItemDelegate(new CellDelegate(this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setSortingEnabled(false);
    setShowGrid(false);  // drawn over the whole view by paintEvent
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setMinimumSectionSize(1);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    // A heading wider than its column shows its start with an ellipsis ("Spe..."), not a
    // middle cut out of it; the tool tip has the whole heading.
    m_model->SetHeadingFit([this](int section, const QString& heading) {
        const QHeaderView* header = horizontalHeader();
        const int margin = 2 * style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
        return header->fontMetrics().elidedText(heading, Qt::ElideRight,
                                                header->sectionSize(section) - margin);
    });
}

ReportList::~ReportList() = default;

void ReportList::InsertColumn(int col, const QString& heading, int width, Align align) {
    Qt::Alignment a = Qt::AlignHCenter;
    if (align == Align::Left) a = Qt::AlignLeft;
    if (align == Align::Right) a = Qt::AlignRight;
    const int at = m_model->InsertColumn(col, heading, a);
    setColumnWidth(at, DialogUnits(font()).Pixels(width));
}

void ReportList::SetCell(int row, int col, const QString& text) {
    if (col == 0) {
        m_model->InsertRow(row, text);
    } else {
        m_model->SetCell(row, col, text);
    }
}

QString ReportList::CellText(int row, int col) const {
    return m_model->Cell(row, col);
}

int ReportList::RowCount() const {
    return m_model->rowCount();
}

int ReportList::ColumnCount() const {
    return m_model->columnCount();
}

void ReportList::SetRowTexts(int row, std::span<const std::string> texts) {
    BeginUpdate();
    const int n = std::min(static_cast<int>(texts.size()), ColumnCount());
    for (int c = 1; c < n; ++c) {
        const std::string& t = texts[static_cast<std::size_t>(c)];
        m_model->SetCell(row, c, QString::fromLatin1(t.data(), static_cast<qsizetype>(t.size())));
    }
    EndUpdate();
}

void ReportList::BeginUpdate() {
    m_model->BeginUpdate();
}

void ReportList::EndUpdate() {
    m_model->EndUpdate();
}

std::optional<int> ReportList::SelectedRow() const {
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (rows.isEmpty()) return std::nullopt;
    return rows.first().row();
}

void ReportList::ClearSelectedRow() {
    selectionModel()->clear();
}

void ReportList::SelectRow(int row) {
    if (row < 0 || row >= RowCount()) return;
    selectionModel()->setCurrentIndex(
        m_model->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

QSize ReportList::SizeForRows(int rows) const {
    int width = 2 * frameWidth();
    for (int c = 0; c < ColumnCount(); ++c)
        width += columnWidth(c);
    if (RowCount() > rows) width += style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    const int header = horizontalHeader()->sizeHint().height();
    return {width, 2 * frameWidth() + header + rows * verticalHeader()->defaultSectionSize()};
}

void ReportList::SetRowOrder(std::span<const int> order) {
    QHeaderView* rows = verticalHeader();
    for (int at = 0; at < static_cast<int>(order.size()); ++at) {
        const int from = rows->visualIndex(order[static_cast<std::size_t>(at)]);
        if (from >= 0 && from != at) rows->moveSection(from, at);
    }
}

void ReportList::SetRowsShown(std::span<const bool> shown) {
    const int n = std::min(RowCount(), static_cast<int>(shown.size()));
    for (int row = 0; row < n; ++row) {
        if (isRowHidden(row) == shown[static_cast<std::size_t>(row)]) {
            setRowHidden(row, !shown[static_cast<std::size_t>(row)]);
        }
    }
}

bool ReportList::IsRowShown(int row) const {
    return row >= 0 && row < RowCount() && !isRowHidden(row);
}

std::optional<int> ReportList::FirstShownRow() const {
    const QHeaderView* rows = verticalHeader();
    for (int at = 0; at < RowCount(); ++at) {
        const int row = rows->logicalIndex(at);
        if (!isRowHidden(row)) return row;
    }
    return std::nullopt;
}

std::optional<int> ReportList::RowUnder(const QPoint& pos) const {
    const int row = rowAt(pos.y());
    if (row < 0 || columnAt(pos.x()) < 0) return std::nullopt;
    return row;
}

void ReportList::PostSelect() {
    if (m_reports != Reports::Selections) return;
    QMetaObject::invokeMethod(
        this, [this] { emit rowSelected(this); }, Qt::QueuedConnection);
}

void ReportList::PostDoubleClick() {
    if (m_reports != Reports::Selections) return;
    QMetaObject::invokeMethod(
        this, [this] { emit rowDoubleClicked(this); }, Qt::QueuedConnection);
}

void ReportList::PostClick() {
    if (m_reports != Reports::Clicks) return;
    QMetaObject::invokeMethod(
        this, [this] { emit rowClicked(this); }, Qt::QueuedConnection);
}

void ReportList::mousePressEvent(QMouseEvent* event) {
    const std::optional<int> row = RowUnder(event->position().toPoint());
    // A click off the cells leaves the selection alone, so the selected row and what its
    // owner shows of it always agree.
    if (!row) {
        setFocus(Qt::MouseFocusReason);
        return;
    }
    QTableView::mousePressEvent(event);
    if (event->button() != Qt::LeftButton) return;
    // A click on any column selects the row.
    SelectRow(*row);
    PostSelect();
    PostClick();
}

void ReportList::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) PostDoubleClick();
    QTableView::mouseDoubleClickEvent(event);
}

void ReportList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && m_reports == Reports::Clicks && currentIndex().isValid()) {
        SelectRow(currentIndex().row());
        PostSelect();
        PostClick();
        return;
    }
    QTableView::keyPressEvent(event);
    if (IsNavigationKey(event->key())) PostSelect();
}

void ReportList::focusInEvent(QFocusEvent* event) {
    QTableView::focusInEvent(event);
    viewport()->update();
}

void ReportList::focusOutEvent(QFocusEvent* event) {
    QTableView::focusOutEvent(event);
    viewport()->update();
}

void ReportList::paintEvent(QPaintEvent* event) {
    QTableView::paintEvent(event);
    QPainter painter(viewport());
    const QRect client = viewport()->rect();
    const int columns = ColumnCount();
    const int lastRight =
        columns > 0 ? columnViewportPosition(columns - 1) + columnWidth(columns - 1) : 0;

    // Grid lines over the whole client area, also below the last row.
    painter.setPen(palette().color(QPalette::Mid));
    for (int c = 0; c < columns; ++c) {
        const int x = columnViewportPosition(c) + columnWidth(c) - 1;
        if (x > client.right()) break;
        if (x >= 0) painter.drawLine(x, 0, x, client.bottom());
    }
    const int rowH = verticalHeader()->defaultSectionSize();
    if (rowH > 0) {
        const int top = RowCount() > 0 ? rowViewportPosition(rowAt(0)) : 0;
        for (int y = top + rowH - 1; y <= client.bottom(); y += rowH) {
            painter.drawLine(0, y, client.right(), y);
        }
    }

    // The focus frame around the columns of the current row: a dotted line in the
    // colour of the row's text, drawn by the list itself because some styles draw none until
    // the keyboard has been used.
    if (hasFocus() && currentIndex().isValid()) {
        const int row = currentIndex().row();
        const QRect frame(columnViewportPosition(0), rowViewportPosition(row),
                          lastRight - columnViewportPosition(0), rowHeight(row) - 1);
        const bool rowSelected = selectionModel()->isRowSelected(row, QModelIndex());
        QPen pen(palette().color(rowSelected ? QPalette::HighlightedText : QPalette::Text));
        pen.setStyle(Qt::DotLine);
        pen.setWidth(1);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(frame.adjusted(0, 0, -1, -1));
    }
}

}  // namespace numora
